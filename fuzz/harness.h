#pragma once
// What the fuzz harnesses share: a check that stops the run with a message
// (the fuzzer then keeps the input), and the empty initializer for the
// harnesses that need none.

#include <cstdio>
#include <cstdlib>

inline void fuzzCheck(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

#define FUZZ_NO_INITIALIZE \
    extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

// splitWords on any line of up to a line buffer's length: every word it hands
// out lies inside the line and ends there, and it never hands out more than
// MAX_WORDS words.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "console/shell.h"
#include "console/words.h"
#include "fuzz/harness.h"

FUZZ_NO_INITIALIZE

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= kLineBufferSize) return 0;
    // The line as the shell hands it over: cut at its first NUL, terminated.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<char[]> line(new char[length + 1]);
    std::memcpy(line.get(), data, length);
    line[length] = '\0';
    std::int32_t count = -1;
    char* words[MAX_WORDS];
    for (auto& w : words) w = nullptr;
    splitWords(line.get(), &count, words);
    fuzzCheck(count >= 0 && count <= MAX_WORDS, "word count out of range");
    for (std::int32_t i = 0; i < count; ++i) {
        fuzzCheck(words[i] >= line.get() && words[i] <= line.get() + length, "word outside the line");
        fuzzCheck(std::strlen(words[i]) <= length, "word runs past the line");
    }
    return 0;
}

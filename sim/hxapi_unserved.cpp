// Operations the simulated library does not serve yet. Each one fails with a
// non-zero status (kHxStatusNotServed) and leaves its buffers untouched, so a
// command that calls one sees a library that refuses the request. The served
// ones live in the other hxapi_*.cpp files of this folder.

#include "access/hxapi.h"
#include "sim/call_log.h"

namespace {

// Notes the call, then refuses it.
uint32_t notServed(const char* operation) {
    sim::recordLibraryCall(operation, nullptr, 0);
    return kHxStatusNotServed;
}

}  // namespace

extern "C" {

// ---- Background activities --------------------------------------------------

uint32_t HXAPI_CALL hx_startRebuild(uint32_t, uint32_t, uint32_t, const void*) {
    return notServed(__func__);
}

}  // extern "C"

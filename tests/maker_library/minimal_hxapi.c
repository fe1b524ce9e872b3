/* A minimal management library for the tests, written from the library's
 * calling conventions alone and sharing nothing with the tool set: it
 * answers one controller whose ids no simulated controller has, and
 * exports only what start-up and the event display call. Built as
 * libhxapi.so.1 and as hxapi.dll, it stands where the maker's library is
 * looked for. */
#include <stdint.h>
#include <string.h>

#if defined(_WIN32)
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

static int started;

EXPORT uint32_t hx_initialize(const void* block) { (void)block; started = 1; return 0; }
EXPORT uint32_t hx_discover(uint32_t option) { (void)option; return started ? 0 : 1; }
EXPORT uint32_t hx_finalize(void) { started = 0; return 0; }

EXPORT uint32_t hx_getNumberOfHBA(uint32_t* count) {
    if (count) *count = 1;
    return 0;
}

/* Controller id 0x7A11 at offset 64, subsystem id 0x0B0E at offset 68. */
EXPORT uint32_t hx_getDiscoverPath(uint32_t w1, uint32_t w2, void* buf, uint32_t size) {
    unsigned char* b = (unsigned char*)buf;
    (void)w2;
    if (w1 != 0 || b == 0 || size < 72) return 3;
    memset(b, 0, 72);
    memcpy(b, "minimal test library", 20);
    b[64] = 0x11; b[65] = 0x7A;
    b[68] = 0x0E; b[69] = 0x0B;
    return 0;
}

/* No events, ever: the count word stays as the caller preset it. */
EXPORT uint32_t hx_getHBAEvents(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t* range, void* buf, uint32_t size) {
    (void)w1; (void)w2; (void)w3; (void)range; (void)buf; (void)size;
    return 0;
}

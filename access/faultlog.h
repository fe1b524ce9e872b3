#pragma once
// C interface of faultlog, the maker's logging library.

#include <cstddef>
#include <cstdint>

// Configuration record for createErrorHandler. On the 32-bit target it is
// 24 bytes, with the two text pointers at offsets 12 and 20.
struct LogConfig {
    std::uint8_t enabled;      // 1
    std::uint8_t reserved1;
    std::uint8_t reserved2;
    std::uint8_t reserved3;
    std::uint8_t reserved4;
    std::uint8_t level;        // 3
    std::uint16_t reserved6;
    std::uint32_t reserved8;
    const char* logFileName;   // "hxapitest.log"
    std::uint32_t reserved16;
    const char* sourceName;    // "HXTest"
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(LogConfig) == 24);
static_assert(offsetof(LogConfig, level) == 5);
static_assert(offsetof(LogConfig, logFileName) == 12);
static_assert(offsetof(LogConfig, sourceName) == 20);
#endif

extern "C" {

// Makes a log handle from the configuration and stores it in *handle.
std::uint32_t createErrorHandler(std::uint32_t* handle, const LogConfig* config);
// Writes one formatted information line.
std::uint32_t logInfoMsg(std::uint32_t handle, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// Writes one error line carrying a status.
std::uint32_t logErrMsg(std::uint32_t handle, std::uint32_t status, const char* text);

}  // extern "C"

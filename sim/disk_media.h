#pragma once
// The simulated errors a disk carries: each makes the accesses of the kinds
// its flags name fail at its sectors, as a media error or a time-out. The
// error simulator puts them there; reads, writes and media patrol meet them.

#include <cstdint>
#include <vector>

namespace sim {

struct Disk;

// Kinds of access a simulated error applies to, one bit each.
constexpr std::uint8_t kErrorFlagWriteCache = 0x01;
constexpr std::uint8_t kErrorFlagRead = 0x02;
constexpr std::uint8_t kErrorFlagWrite = 0x04;
constexpr std::uint8_t kErrorFlagUnplug = 0x08;
constexpr std::uint8_t kErrorFlagPlugin = 0x10;
constexpr std::uint8_t kErrorFlagVerify = 0x20;
constexpr std::uint8_t kErrorFlagSmart = 0x40;

// The error's kind: bit 7 set is a time-out, anything else a media error.
constexpr std::uint8_t kErrorTypeMedia = 0x51;
constexpr std::uint8_t kErrorTypeTimeout = 0x80;
constexpr bool isTimeout(std::uint8_t type) { return (type & 0x80) != 0; }

struct SimulatedError {
    std::uint32_t lba = 0;
    std::uint16_t count = 1;  // sectors from lba
    std::uint8_t flags = 0;   // kErrorFlag* bits
    std::uint8_t type = kErrorTypeMedia;
};

// The first simulated error of the disk that an access of the kind (one
// kErrorFlag* bit) to the sector meets, or null.
const SimulatedError* simulatedErrorAt(const Disk& disk, std::uint64_t lba, std::uint8_t access);

}  // namespace sim

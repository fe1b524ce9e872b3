#pragma once
// What the stand-in library and driver received last, per operation, so
// that tests can look at the bytes a command handed over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Notes a call the stand-in library received, served or not, queries too:
// the bytes of the record it was handed as they were before the library
// wrote anything back (and the scalar arguments, where an operation takes
// them, as the record's leading bytes).
void recordLibraryCall(const std::string& operation, const void* record, std::size_t size);
// The bytes last recorded for the operation; empty when it was not called
// since the last clearCallLog().
std::vector<std::uint8_t> lastLibraryCall(const std::string& operation);
std::size_t libraryCallCount(const std::string& operation);

// Notes a call whose only argument of interest is one 32-bit scalar, as
// four little-endian bytes.
void noteScalarCall(const std::string& operation, std::uint32_t value);

struct LibraryCallRecord {
    std::string operation;
    std::vector<std::uint8_t> record;  // as recordLibraryCall noted it
};
// The library calls since the last clearCallLog(), oldest first (the most
// recent 256).
std::vector<LibraryCallRecord> libraryCallLog();

struct PassThroughRecord {
    std::vector<std::uint8_t> cdb;   // 16 bytes
    std::vector<std::uint8_t> data;  // the transfer buffer as sent, its first 64 KiB
    std::size_t length = 0;          // the transfer buffer's whole length
};
void recordPassThrough(const std::uint8_t* cdb, const void* data, std::size_t length);
// The pass-through requests since the last clearCallLog(), oldest first.
std::vector<PassThroughRecord> passThroughLog();

void clearCallLog();

}  // namespace sim

#pragma once
// What the stand-in library and driver received last, per operation, so
// that tests can look at the bytes a command handed over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Notes the bytes of a record passed to a library operation (and the scalar
// arguments, where an operation takes them, as the record's leading bytes).
void recordLibraryCall(const std::string& operation, const void* record, std::size_t size);
// The bytes last recorded for the operation; empty when it was not called
// since the last clearCallLog().
std::vector<std::uint8_t> lastLibraryCall(const std::string& operation);
std::size_t libraryCallCount(const std::string& operation);

struct PassThroughRecord {
    std::vector<std::uint8_t> cdb;   // 16 bytes
    std::vector<std::uint8_t> data;  // the transfer buffer as sent
};
void recordPassThrough(const std::uint8_t* cdb, const void* data, std::size_t length);
// The pass-through requests since the last clearCallLog(), oldest first.
std::vector<PassThroughRecord> passThroughLog();

void clearCallLog();

}  // namespace sim

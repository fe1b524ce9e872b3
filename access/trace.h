#pragma once
// The exchange trace: when TALO_TRACE names a file, every exchange with the
// controller is appended to it as one JSON object per line. Lines are
// written whole, under one lock and in one write, so the lines of two
// threads never mix. Without the variable nothing is traced and nothing
// is spent on it beyond one test of a flag.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class DeviceAccess;
}

namespace trace {

// True when TALO_TRACE named a file that could be opened for appending
// (decided once, at the first question).
bool enabled();

// The name the trace gives the calling thread: "console" unless the thread
// named itself.
const char* threadName();
void nameThisThread(const char* name);

// Appends one line: a whole JSON object, without its line break.
void writeLine(const std::string& json);

// The bytes as lower-case hexadecimal digits, two per byte.
std::string hex(const void* data, std::size_t length);

// A device layer that passes everything on to inner and traces each control
// request: a pass-through with its command block, the vendor command it
// is, direction, data length, the first and last 64 bytes of the data, SCSI
// status and sense; any other request with its input and output bytes.
std::unique_ptr<platform::DeviceAccess> tracingDeviceAccess(platform::DeviceAccess& inner);

}  // namespace trace

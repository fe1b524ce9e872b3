// The vendor command set: each method builds one command block and sends it
// with executeVendorCommand. Multi-byte values in a block are little-endian.
//
// Opcode families:
//   E0  operations on one array; the array id goes in CDB byte 15 (extra byte)
//   E1  table reads and disk-level control; ids inside the block
//   E2  sector access and error simulation on one disk; disk id in byte 2
//   E3  controller information

#include <cstddef>
#include <cstdint>

#include "access/driver_device.h"
#include "access/record.h"

namespace {

using drv::kOpArray;
using drv::kOpController;
using drv::kOpDisk;
using drv::kOpTable;

constexpr std::uint8_t kNoExtraByte = 0xFF;
constexpr int kClear = 1;   // zero the buffer first: the command reads into it
constexpr int kAsIs = 0;

// Data lengths of the fixed-size transfers.
constexpr std::uint32_t kControllerInfoSize = 116;
constexpr std::uint32_t kArrayStatusSize = 8;
constexpr std::uint32_t kArraySettingsSize = 72;
constexpr std::uint32_t kMediaPatrolInfoSize = 16;
constexpr std::uint32_t kErrorTableSize = 512;
constexpr std::uint32_t kEccBlockSize = 520;

// One record, or all kMaxSlots of them when the id asks for all entries.
std::uint32_t tableLength(std::uint8_t id, std::uint32_t entrySize) {
    return id == kAllEntries ? kMaxSlots * entrySize : entrySize;
}

template <std::size_t N>
constexpr std::uint8_t lengthOf(const std::uint8_t (&)[N]) {
    static_assert(N >= 1 && N <= 16);
    return static_cast<std::uint8_t>(N);
}

}  // namespace

int ControllerDevice::readControllerInfo(void* data) {
    const std::uint8_t cdb[] = {kOpController, 0x05};
    return executeVendorCommand(data, kControllerInfoSize, cdb, lengthOf(cdb), kClear,
                                kNoExtraByte);
}

int ControllerDevice::readDiskInfo(void* data, std::uint8_t diskId) {
    const std::uint8_t cdb[] = {kOpTable, 0x02, 0x02, diskId};
    return executeVendorCommand(data, tableLength(diskId, kDiskTableEntrySize), cdb,
                                lengthOf(cdb), kClear, kNoExtraByte);
}

int ControllerDevice::readArrayInfo(void* data, std::uint8_t arrayId) {
    const std::uint8_t cdb[] = {kOpTable, 0x02, 0x04, arrayId};
    return executeVendorCommand(data, tableLength(arrayId, kArrayTableEntrySize), cdb,
                                lengthOf(cdb), kClear, kNoExtraByte);
}

int ControllerDevice::readArrayActivityInfo(void* data, std::uint8_t arrayId) {
    const std::uint8_t cdb[] = {kOpTable, 0x02, 0x07, arrayId};
    return executeVendorCommand(data, tableLength(arrayId, kArrayActivityEntrySize), cdb,
                                lengthOf(cdb), kClear, kNoExtraByte);
}

int ControllerDevice::createArray(void* data, std::uint32_t length) {
    const std::uint8_t cdb[] = {kOpTable, 0x01};
    return executeVendorCommand(data, length, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::deleteArray(std::uint8_t arrayId) {
    const std::uint8_t cdb[] = {kOpArray, 0x07};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::startInitialization(std::uint8_t arrayId, std::uint8_t kind) {
    const std::uint8_t cdb[] = {kOpArray, 0x03, 0x01, kind};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::startSynchronization(std::uint8_t arrayId, std::uint8_t kind) {
    const std::uint8_t cdb[] = {kOpArray, 0x03, 0x02, kind};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::startMigration(std::uint8_t arrayId, void* data, std::uint32_t length) {
    const std::uint8_t cdb[] = {kOpArray, 0x03, 0x03};
    return executeVendorCommand(data, length, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::controlActivity(std::uint8_t arrayId, std::uint8_t action) {
    const std::uint8_t cdb[] = {kOpArray, 0x04, action};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::readArrayStatus(std::uint8_t arrayId, void* data) {
    const std::uint8_t cdb[] = {kOpArray, 0x06};
    return executeVendorCommand(data, kArrayStatusSize, cdb, lengthOf(cdb), kClear, arrayId);
}

int ControllerDevice::activateArray(std::uint8_t arrayId, std::uint8_t value2,
                                    std::uint8_t value3) {
    const std::uint8_t cdb[] = {kOpArray, 0x00, value2, value3};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::readArraySettings(std::uint8_t arrayId, void* data) {
    const std::uint8_t cdb[] = {kOpArray, 0x01};
    return executeVendorCommand(data, kArraySettingsSize, cdb, lengthOf(cdb), kClear, arrayId);
}

int ControllerDevice::writeArraySettings(std::uint8_t arrayId, void* data) {
    const std::uint8_t cdb[] = {kOpArray, 0x02};
    return executeVendorCommand(data, kArraySettingsSize, cdb, lengthOf(cdb), kAsIs, arrayId);
}

int ControllerDevice::wipeDiskMetadata(std::uint8_t diskId) {
    const std::uint8_t cdb[] = {kOpTable, 0x07, 0x03, 0x00, diskId};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::controlMediaPatrol(std::uint8_t diskId, std::uint8_t action) {
    const std::uint8_t cdb[] = {kOpTable, 0x04, action, diskId};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::readMediaPatrolInfo(std::uint8_t diskId, void* data) {
    const std::uint8_t cdb[] = {kOpTable, 0x0C, 0x00, diskId};
    return executeVendorCommand(data, kMediaPatrolInfoSize, cdb, lengthOf(cdb), kClear,
                                kNoExtraByte);
}

int ControllerDevice::readErrorTable(std::uint8_t diskId, void* data) {
    // The error table is read into the buffer as it comes, without clearing.
    const std::uint8_t cdb[] = {kOpTable, 0x0C, 0x01, diskId};
    return executeVendorCommand(data, kErrorTableSize, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::readSimulatedErrors(std::uint8_t diskId, void* data, std::uint32_t length) {
    const std::uint8_t cdb[] = {kOpDisk, 0x10, diskId, 0x00};
    return executeVendorCommand(data, length, cdb, lengthOf(cdb), kClear, kNoExtraByte);
}

int ControllerDevice::injectSimulatedError(std::uint8_t diskId, std::uint32_t lba,
                                           std::uint8_t flags, std::uint8_t errorType) {
    // E2 10, disk, 01, the LBA's low 32 bits, 01 00, error type, flags.
    std::uint8_t cdb[12] = {kOpDisk, 0x10, diskId, 0x01};
    rec::storeLe32(cdb + 4, lba);
    cdb[8] = 0x01;
    cdb[10] = errorType;
    cdb[11] = flags;
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::clearSimulatedErrors(std::uint8_t diskId) {
    const std::uint8_t cdb[] = {kOpDisk, 0x10, diskId, 0x03};
    return executeVendorCommand(nullptr, 0, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::transferSectors(std::uint8_t diskId, std::uint8_t direction,
                                      std::uint32_t lbaLow, std::uint32_t lbaHigh,
                                      std::uint16_t count, void* data, std::uint32_t length) {
    // E2, direction (0 read, 1 write), disk, 0, LBA low and high words,
    // sector count, two zero bytes.
    std::uint8_t cdb[16] = {kOpDisk, direction, diskId, 0x00};
    rec::storeLe32(cdb + 4, lbaLow);
    rec::storeLe32(cdb + 8, lbaHigh);
    rec::storeLe16(cdb + 12, count);
    return executeVendorCommand(data, length, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

int ControllerDevice::corruptSectorEcc(std::uint8_t diskId, std::uint32_t lbaLow,
                                       std::uint32_t lbaHigh) {
    // E2 02, disk, 0, LBA low and high words, the 16-bit value 1, two zero
    // bytes. The command carries a 520-byte block the console neither
    // prepares nor reads; it goes out zeroed.
    std::uint8_t cdb[16] = {kOpDisk, 0x02, diskId, 0x00};
    rec::storeLe32(cdb + 4, lbaLow);
    rec::storeLe32(cdb + 8, lbaHigh);
    rec::storeLe16(cdb + 12, 1);
    std::uint8_t block[kEccBlockSize] = {};
    return executeVendorCommand(block, kEccBlockSize, cdb, lengthOf(cdb), kAsIs, kNoExtraByte);
}

// The vendor command set: each method sends one described command (see
// access/vendor_commands.h) through sendVendorCommand.

#include <cstdint>

#include "access/driver_device.h"
#include "access/vendor_commands.h"

namespace {

constexpr std::uint8_t kNoExtraByte = 0xFF;
constexpr std::uint8_t kNoId = 0;

}  // namespace

int ControllerDevice::sendVendorCommand(const vendor::Command& command, std::uint8_t id,
                                        std::initializer_list<std::uint32_t> arguments,
                                        void* data, std::uint32_t length) {
    std::uint8_t cdb[vendor::kBlockSize];
    vendor::buildBlock(command, id, arguments.begin(), arguments.size(), cdb);
    const std::uint8_t extraByte = command.idInExtraByte() ? id : kNoExtraByte;
    return executeVendorCommand(data, vendor::dataLengthOf(command, id, length), cdb,
                                command.blockLength, command.clearsBuffer ? 1 : 0, extraByte);
}

int ControllerDevice::readControllerInfo(void* data) {
    return sendVendorCommand(vendor::kReadControllerInfo, kNoId, {}, data);
}

int ControllerDevice::readDiskInfo(void* data, std::uint8_t diskId) {
    return sendVendorCommand(vendor::kReadDiskInfo, diskId, {}, data);
}

int ControllerDevice::readArrayInfo(void* data, std::uint8_t arrayId) {
    return sendVendorCommand(vendor::kReadArrayInfo, arrayId, {}, data);
}

int ControllerDevice::readArrayActivityInfo(void* data, std::uint8_t arrayId) {
    return sendVendorCommand(vendor::kReadArrayActivityInfo, arrayId, {}, data);
}

int ControllerDevice::createArray(void* data, std::uint32_t length) {
    return sendVendorCommand(vendor::kCreateArray, kNoId, {}, data, length);
}

int ControllerDevice::deleteArray(std::uint8_t arrayId) {
    return sendVendorCommand(vendor::kDeleteArray, arrayId, {});
}

int ControllerDevice::startInitialization(std::uint8_t arrayId, std::uint8_t kind) {
    return sendVendorCommand(vendor::kStartInitialization, arrayId, {kind});
}

int ControllerDevice::startSynchronization(std::uint8_t arrayId, std::uint8_t kind) {
    return sendVendorCommand(vendor::kStartSynchronization, arrayId, {kind});
}

int ControllerDevice::startMigration(std::uint8_t arrayId, void* data, std::uint32_t length) {
    return sendVendorCommand(vendor::kStartMigration, arrayId, {}, data, length);
}

int ControllerDevice::controlActivity(std::uint8_t arrayId, std::uint8_t action) {
    return sendVendorCommand(vendor::kControlActivity, arrayId, {action});
}

int ControllerDevice::readArrayStatus(std::uint8_t arrayId, void* data) {
    return sendVendorCommand(vendor::kReadArrayStatus, arrayId, {}, data);
}

int ControllerDevice::activateArray(std::uint8_t arrayId, std::uint8_t value2,
                                    std::uint8_t value3) {
    return sendVendorCommand(vendor::kActivateArray, arrayId, {value2, value3});
}

int ControllerDevice::readArraySettings(std::uint8_t arrayId, void* data) {
    return sendVendorCommand(vendor::kReadArraySettings, arrayId, {}, data);
}

int ControllerDevice::writeArraySettings(std::uint8_t arrayId, void* data) {
    return sendVendorCommand(vendor::kWriteArraySettings, arrayId, {}, data);
}

int ControllerDevice::wipeDiskMetadata(std::uint8_t diskId) {
    return sendVendorCommand(vendor::kWipeDiskMetadata, diskId, {});
}

int ControllerDevice::controlMediaPatrol(std::uint8_t diskId, std::uint8_t action) {
    return sendVendorCommand(vendor::kControlMediaPatrol, diskId, {action});
}

int ControllerDevice::readMediaPatrolInfo(std::uint8_t diskId, void* data) {
    return sendVendorCommand(vendor::kReadMediaPatrolInfo, diskId, {}, data);
}

int ControllerDevice::readErrorTable(std::uint8_t diskId, void* data) {
    return sendVendorCommand(vendor::kReadErrorTable, diskId, {}, data);
}

int ControllerDevice::readSimulatedErrors(std::uint8_t diskId, void* data, std::uint32_t length) {
    return sendVendorCommand(vendor::kReadSimulatedErrors, diskId, {}, data, length);
}

int ControllerDevice::injectSimulatedError(std::uint8_t diskId, std::uint32_t lba,
                                           std::uint8_t flags, std::uint8_t errorType) {
    return sendVendorCommand(vendor::kInjectSimulatedError, diskId, {lba, errorType, flags});
}

int ControllerDevice::clearSimulatedErrors(std::uint8_t diskId) {
    return sendVendorCommand(vendor::kClearSimulatedErrors, diskId, {});
}

int ControllerDevice::transferSectors(std::uint8_t diskId, std::uint8_t direction,
                                      std::uint32_t lbaLow, std::uint32_t lbaHigh,
                                      std::uint16_t count, void* data, std::uint32_t length) {
    return sendVendorCommand(vendor::kTransferSectors, diskId, {direction, lbaLow, lbaHigh, count},
                             data, length);
}

int ControllerDevice::corruptSectorEcc(std::uint8_t diskId, std::uint32_t lbaLow,
                                       std::uint32_t lbaHigh) {
    // The block goes out zeroed.
    std::uint8_t block[vendor::kEccBlockSize] = {};
    return sendVendorCommand(vendor::kCorruptSectorEcc, diskId, {lbaLow, lbaHigh}, block);
}

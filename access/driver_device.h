#pragma once
// Devices of the controller's storage driver, opened by path, and the scan
// of the SCSI port devices for a Talo controller.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "access/driver_protocol.h"
#include "access/vendor_commands.h"
#include "platform/device_access.h"

class DriverDevice {
public:
    explicit DriverDevice(const char* path);
    virtual ~DriverDevice();
    DriverDevice(const DriverDevice&) = delete;
    DriverDevice& operator=(const DriverDevice&) = delete;

    // Opens the device for reading and writing, unshared. True when the
    // handle is valid.
    bool open();

    // Passes a control request to the device; non-zero on success. The
    // device must be open. dataBuffer is the transfer buffer a pass-through
    // block refers to, or null.
    int ioControl(std::uint32_t code, void* input, std::uint32_t inputLength, void* output,
                  std::uint32_t outputLength, std::uint32_t* bytesReturned,
                  void* dataBuffer = nullptr);

    const std::string& path() const { return devicePath; }

protected:
    platform::DeviceHandle m_hDriver;
    std::string devicePath;
};

class ControllerDevice : public DriverDevice {
public:
    explicit ControllerDevice(const char* path) : DriverDevice(path) {}
    ~ControllerDevice() override = default;

    // Sends one vendor command block through the pass-through interface.
    // cdbLength above 16 counts as 16; with clearData the first dataLength
    // bytes of data are zeroed first; an extraByte other than 0xFF is put in
    // CDB byte 15. Returns 1 on success, 0 on failure, having printed why.
    int executeVendorCommand(void* data, std::uint32_t dataLength, const std::uint8_t* cdb,
                             std::uint8_t cdbLength, int clearData, std::uint8_t extraByte);

    // Builds the block of one described command (its codes, the id and the
    // arguments in order) and sends it with the description's block length,
    // data length and clearing. length counts only for commands whose data
    // length the caller gives.
    int sendVendorCommand(const vendor::Command& command, std::uint8_t id,
                          std::initializer_list<std::uint32_t> arguments, void* data = nullptr,
                          std::uint32_t length = 0);

    // The vendor command set: each builds one command block and sends it.
    // All return 1 on success and 0 on failure (already printed).
    int readControllerInfo(void* data);
    int readDiskInfo(void* data, std::uint8_t diskId);
    int readArrayInfo(void* data, std::uint8_t arrayId);
    int readArrayActivityInfo(void* data, std::uint8_t arrayId);
    int createArray(void* data, std::uint32_t length);
    int deleteArray(std::uint8_t arrayId);
    int startInitialization(std::uint8_t arrayId, std::uint8_t kind);
    int startSynchronization(std::uint8_t arrayId, std::uint8_t kind);
    int startMigration(std::uint8_t arrayId, void* data, std::uint32_t length);
    int controlActivity(std::uint8_t arrayId, std::uint8_t action);
    int readArrayStatus(std::uint8_t arrayId, void* data);
    int activateArray(std::uint8_t arrayId, std::uint8_t value2, std::uint8_t value3);
    int readArraySettings(std::uint8_t arrayId, void* data);
    int writeArraySettings(std::uint8_t arrayId, void* data);
    int wipeDiskMetadata(std::uint8_t diskId);
    int controlMediaPatrol(std::uint8_t diskId, std::uint8_t action);
    int readMediaPatrolInfo(std::uint8_t diskId, void* data);
    int readErrorTable(std::uint8_t diskId, void* data);
    int readSimulatedErrors(std::uint8_t diskId, void* data, std::uint32_t length);
    int injectSimulatedError(std::uint8_t diskId, std::uint32_t lba, std::uint8_t flags,
                             std::uint8_t errorType);
    int clearSimulatedErrors(std::uint8_t diskId);
    int transferSectors(std::uint8_t diskId, std::uint8_t direction, std::uint32_t lbaLow,
                        std::uint32_t lbaHigh, std::uint16_t count, void* data,
                        std::uint32_t length);
    int corruptSectorEcc(std::uint8_t diskId, std::uint32_t lbaLow, std::uint32_t lbaHigh);

    std::int32_t portNumber = 0;
    std::uint8_t targetId = 0;
};

// Prints the SCSI status of a completed pass-through block and its sense
// data (block: the 80-byte request block as returned).
void printScsiStatus(const std::uint8_t* block);

// Prints the system's text for the calling thread's last error.
void printSystemError();

// Prints data as lines of 16 bytes: offset, items of the given width (1, 2, 4
// or 8 bytes) and, for complete lines, the bytes as characters.
void hexDump(const void* data, std::uint32_t length, int itemWidth);

// Appends the same dump to out instead of printing it.
void formatHexDump(std::string& out, const void* data, std::uint32_t length, int itemWidth);

// Scans the SCSI port devices from startPort on and returns the first Talo
// controller, open and identified, or null. The scan ends at the first port
// that cannot be opened. When identity is not null, the controller's 40-byte
// identification record is copied there. Prints nothing.
ControllerDevice* findController(std::int32_t startPort, std::uint8_t* identity);

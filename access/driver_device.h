#pragma once
// Devices of the controller's storage driver, opened by path, and the scan
// of the SCSI port devices for a Talo controller.

#include <cstdint>
#include <string>

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

    std::int32_t portNumber = 0;
    std::uint8_t targetId = 0;
};

// Scans the SCSI port devices from startPort on and returns the first Talo
// controller, open and identified, or null. The scan ends at the first port
// that cannot be opened. When identity is not null, the controller's 40-byte
// identification record is copied there. Prints nothing.
ControllerDevice* findController(std::int32_t startPort, std::uint8_t* identity);

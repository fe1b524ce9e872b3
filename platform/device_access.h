#pragma once
// Access to storage devices by path: open, I/O control, close, and the last
// system error with its text. The values of the access, share, disposition
// and attribute arguments, and the control codes, are those of the Windows
// API, whichever system runs the program.

#include <cstdint>
#include <string>

namespace platform {

using DeviceHandle = void*;

inline DeviceHandle invalidDeviceHandle() {
    return reinterpret_cast<DeviceHandle>(static_cast<std::intptr_t>(-1));
}

constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 0x00000001u;
constexpr std::uint32_t kFileShareWrite = 0x00000002u;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kFileAttributeNormal = 0x00000080u;

constexpr std::uint32_t kIoctlScsiMiniport = 0x0004D008u;
constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x0004D014u;
constexpr std::uint32_t kIoctlDiskGetDriveGeometry = 0x00070000u;

constexpr std::uint32_t kFileBegin = 0;  // move method of setFilePointer

// The Windows DISK_GEOMETRY record that kIoctlDiskGetDriveGeometry returns.
constexpr std::uint32_t kDiskGeometrySize = 24;

// System error codes the device layers report.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotReady = 21;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorIoDevice = 1117;
constexpr std::uint32_t kErrorSectorNotFound = 27;
constexpr std::uint32_t kErrorSemTimeout = 121;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;

class DeviceAccess {
public:
    virtual ~DeviceAccess() = default;

    // Opens the device; invalidDeviceHandle() on failure, with the reason in
    // lastError().
    virtual DeviceHandle createFile(const char* path, std::uint32_t desiredAccess,
                                    std::uint32_t shareMode, std::uint32_t creationDisposition,
                                    std::uint32_t flagsAndAttributes) = 0;

    // Sends a control request; true on success. For a pass-through request the
    // input block's 32-bit DataBuffer field cannot hold an address on a 64-bit
    // host, so the transfer buffer travels beside the block as dataBuffer; the
    // block itself keeps its 32-bit layout.
    virtual bool deviceIoControl(DeviceHandle handle, std::uint32_t controlCode, void* input,
                                 std::uint32_t inputLength, void* output,
                                 std::uint32_t outputLength, std::uint32_t* bytesReturned,
                                 void* dataBuffer) = 0;

    virtual bool closeHandle(DeviceHandle handle) = 0;

    // Raw access to a disk opened by path: position, read and write.
    virtual bool setFilePointer(DeviceHandle handle, std::int64_t distance,
                                std::uint32_t moveMethod, std::int64_t* newPosition) = 0;
    virtual bool readFile(DeviceHandle handle, void* buffer, std::uint32_t length,
                          std::uint32_t* bytesRead) = 0;
    virtual bool writeFile(DeviceHandle handle, const void* buffer, std::uint32_t length,
                           std::uint32_t* bytesWritten) = 0;

    // The calling thread's last error code, and the system's text for a code
    // (normally ending in a line break of its own).
    virtual std::uint32_t lastError() const = 0;
    virtual std::string errorText(std::uint32_t code) const = 0;
};

// A device layer that hands every call on to another one; a layer that
// looks at or changes some calls derives from it and overrides those.
class ForwardingDeviceAccess : public DeviceAccess {
public:
    explicit ForwardingDeviceAccess(DeviceAccess& inner) : inner_(inner) {}

    DeviceHandle createFile(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                            std::uint32_t creationDisposition,
                            std::uint32_t flagsAndAttributes) override {
        return inner_.createFile(path, desiredAccess, shareMode, creationDisposition,
                                 flagsAndAttributes);
    }
    bool deviceIoControl(DeviceHandle handle, std::uint32_t controlCode, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned, void* dataBuffer) override {
        return inner_.deviceIoControl(handle, controlCode, input, inputLength, output,
                                      outputLength, bytesReturned, dataBuffer);
    }
    bool closeHandle(DeviceHandle handle) override { return inner_.closeHandle(handle); }
    bool setFilePointer(DeviceHandle handle, std::int64_t distance, std::uint32_t moveMethod,
                        std::int64_t* newPosition) override {
        return inner_.setFilePointer(handle, distance, moveMethod, newPosition);
    }
    bool readFile(DeviceHandle handle, void* buffer, std::uint32_t length,
                  std::uint32_t* bytesRead) override {
        return inner_.readFile(handle, buffer, length, bytesRead);
    }
    bool writeFile(DeviceHandle handle, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override {
        return inner_.writeFile(handle, buffer, length, bytesWritten);
    }
    std::uint32_t lastError() const override { return inner_.lastError(); }
    std::string errorText(std::uint32_t code) const override { return inner_.errorText(code); }

protected:
    DeviceAccess& inner() const { return inner_; }

private:
    DeviceAccess& inner_;
};

// The device layer in use: the one the program installed (see
// installDeviceAccess), else the operating system's devices. A test's
// override (overrideDeviceAccess) comes before both.
DeviceAccess& deviceAccess();

// The operating system's own storage devices. Where the system has no
// controller driver (POSIX), every open fails with kErrorFileNotFound.
DeviceAccess& systemDeviceAccess();

// True where systemDeviceAccess() can reach a real controller driver.
bool systemHasControllerDriver();

// The program's choice of device layer, made once at start-up by whatever
// composes the program (the console chooses between the simulated
// controller and the system's devices). Null returns to the system's.
void installDeviceAccess(DeviceAccess* access);

// While set, deviceAccess() returns this one instead; null restores the
// installed choice. For tests that look at what goes to a device.
void overrideDeviceAccess(DeviceAccess* access);

}  // namespace platform

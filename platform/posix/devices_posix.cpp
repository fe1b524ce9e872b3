// POSIX systems have no Talo controller driver: there is no SCSI port
// device to open, so every open fails as for a missing file. The program
// puts the simulated controller's driver in front of this where it wants one.

#include "platform/device_access.h"

namespace platform {

namespace {

class NoControllerDevices final : public DeviceAccess {
public:
    DeviceHandle createFile(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t) override {
        lastError_ = kErrorFileNotFound;
        return invalidDeviceHandle();
    }
    bool deviceIoControl(DeviceHandle, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t,
                         std::uint32_t* bytesReturned, void*) override {
        if (bytesReturned != nullptr) *bytesReturned = 0;
        return invalidHandle();
    }
    bool closeHandle(DeviceHandle) override { return invalidHandle(); }
    bool setFilePointer(DeviceHandle, std::int64_t, std::uint32_t, std::int64_t*) override {
        return invalidHandle();
    }
    bool readFile(DeviceHandle, void*, std::uint32_t, std::uint32_t* bytesRead) override {
        if (bytesRead != nullptr) *bytesRead = 0;
        return invalidHandle();
    }
    bool writeFile(DeviceHandle, const void*, std::uint32_t, std::uint32_t* bytesWritten) override {
        if (bytesWritten != nullptr) *bytesWritten = 0;
        return invalidHandle();
    }
    std::uint32_t lastError() const override { return lastError_; }
    std::string errorText(std::uint32_t code) const override {
        switch (code) {
            case kErrorFileNotFound: return "The system cannot find the file specified.\r\n";
            case kErrorInvalidHandle: return "The handle is invalid.\r\n";
            default: return std::string();
        }
    }

private:
    // No handle is ever handed out, so every handle is invalid.
    bool invalidHandle() {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    static thread_local std::uint32_t lastError_;
};

thread_local std::uint32_t NoControllerDevices::lastError_ = 0;

}  // namespace

DeviceAccess& systemDeviceAccess() {
    static NoControllerDevices none;
    return none;
}

bool systemHasControllerDriver() { return false; }

}  // namespace platform

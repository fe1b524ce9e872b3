#pragma once
// A device layer for tests: every device opens, and nothing else works.
// Tests derive from it and answer the control requests they care about;
// install one with platform::overrideDeviceAccess.

#include <cstdint>
#include <string>

#include "platform/device_access.h"

class FakeDeviceAccess : public platform::DeviceAccess {
public:
    platform::DeviceHandle createFile(const char*, std::uint32_t, std::uint32_t, std::uint32_t,
                                      std::uint32_t) override {
        return reinterpret_cast<platform::DeviceHandle>(static_cast<std::intptr_t>(0x100));
    }
    bool deviceIoControl(platform::DeviceHandle, std::uint32_t, void*, std::uint32_t, void*,
                         std::uint32_t, std::uint32_t*, void*) override {
        return false;
    }
    bool closeHandle(platform::DeviceHandle) override { return true; }
    bool setFilePointer(platform::DeviceHandle, std::int64_t, std::uint32_t,
                        std::int64_t*) override {
        return false;
    }
    bool readFile(platform::DeviceHandle, void*, std::uint32_t, std::uint32_t*) override {
        return false;
    }
    bool writeFile(platform::DeviceHandle, const void*, std::uint32_t, std::uint32_t*) override {
        return false;
    }
    std::uint32_t lastError() const override { return 0; }
    std::string errorText(std::uint32_t) const override { return std::string(); }
};

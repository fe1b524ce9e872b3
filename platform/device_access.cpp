#include "platform/device_access.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<DeviceAccess*> installed{nullptr};
std::atomic<DeviceAccess*> overridden{nullptr};
}  // namespace

DeviceAccess& deviceAccess() {
    if (DeviceAccess* access = overridden.load()) return *access;
    if (DeviceAccess* access = installed.load()) return *access;
    return systemDeviceAccess();
}

void installDeviceAccess(DeviceAccess* access) { installed.store(access); }

void overrideDeviceAccess(DeviceAccess* access) { overridden.store(access); }

}  // namespace platform

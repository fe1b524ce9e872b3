#include "platform/device_access.h"

#include <atomic>

namespace platform {

// Chosen per platform at link time.
DeviceAccess& selectedDeviceAccess();

namespace {
std::atomic<DeviceAccess*> overridden{nullptr};
}  // namespace

DeviceAccess& deviceAccess() {
    DeviceAccess* access = overridden.load();
    return access != nullptr ? *access : selectedDeviceAccess();
}

void overrideDeviceAccess(DeviceAccess* access) { overridden.store(access); }

}  // namespace platform

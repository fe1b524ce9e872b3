#pragma once
// The simulated storage driver, reached through the same device interface as
// the operating system's devices.

#include "platform/device_access.h"

namespace sim {

platform::DeviceAccess& simulatedDeviceAccess();

}  // namespace sim

#pragma once
// The simulated storage driver, reached through the same device interface as
// the operating system's devices.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/device_access.h"

namespace sim {

platform::DeviceAccess& simulatedDeviceAccess();

// Number of simulated devices this process holds open.
std::size_t simulatedOpenHandleCount();

// The input bytes of the last miniport request this process sent, as the
// driver received them, for tests that look at what went out.
std::vector<std::uint8_t> lastMiniportRequest();

}  // namespace sim

#pragma once
// The simulated storage driver, reached through the same device interface as
// the operating system's devices.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/device_access.h"

namespace sim {

platform::DeviceAccess& simulatedDeviceAccess();

// Makes the simulated driver the device layer of this process and reads the
// state (one that cannot be used ends the process), for programs that link
// the stand-in library in rather than loading the simulator kit: the tests
// and the fuzz harnesses.
void installInProcessSimulator();

// Number of simulated devices this process holds open.
std::size_t simulatedOpenHandleCount();

// The input bytes of the last miniport request this process sent, as the
// driver received them, for tests that look at what went out.
std::vector<std::uint8_t> lastMiniportRequest();

}  // namespace sim

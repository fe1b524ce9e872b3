// POSIX systems have no Talo driver: the simulated controller answers.

#include "platform/device_access.h"
#include "sim/sim_driver.h"

namespace platform {

DeviceAccess& selectedDeviceAccess() { return sim::simulatedDeviceAccess(); }

}  // namespace platform

#include "console/device_choice.h"

#include <cstdlib>

#include "platform/device_access.h"
#include "sim/sim_driver.h"

void installChosenDevices() {
    const char* simulator = std::getenv("TALO_SIM");
    const bool simulate =
        !platform::systemHasControllerDriver() || (simulator != nullptr && *simulator != '\0');
    platform::installDeviceAccess(simulate ? &sim::simulatedDeviceAccess() : nullptr);
}

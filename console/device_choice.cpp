#include "console/device_choice.h"

#include <cstdlib>
#include <memory>

#include "access/trace.h"
#include "platform/device_access.h"
#include "sim/sim_driver.h"
#include "sim/store.h"

void installChosenDevices() {
    const char* simulator = std::getenv("TALO_SIM");
    const bool simulate =
        !platform::systemHasControllerDriver() || (simulator != nullptr && *simulator != '\0');
    platform::DeviceAccess* chosen =
        simulate ? &sim::simulatedDeviceAccess() : &platform::systemDeviceAccess();
    if (trace::enabled()) {
        // Once per process: the layer outlives every device opened through it.
        static const std::unique_ptr<platform::DeviceAccess> traced =
            trace::tracingDeviceAccess(*chosen);
        chosen = traced.get();
    }
    platform::installDeviceAccess(chosen);
    // The simulator's state is read now, so that a state file that cannot
    // be used ends the program before it asks anything.
    if (simulate) sim::Store::instance().read([](const sim::State&) {});
}

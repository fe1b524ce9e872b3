// The simulated controller inside the process, for the tests and harnesses
// that link the stand-in library itself rather than loading the kit.

#include "platform/device_access.h"
#include "sim/sim_driver.h"
#include "sim/store.h"

namespace sim {

void installInProcessSimulator() {
    platform::installDeviceAccess(&simulatedDeviceAccess());
    Store::instance().read([](const State&) {});
}

}  // namespace sim

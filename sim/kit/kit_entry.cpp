// The simulator kit's one entry point beyond the management library's
// operations: a program that loaded the kit attaches to it here, and the
// library and the driver it gets back serve one simulated controller.

#include "access/simulator_kit.h"
#include "sim/sim_driver.h"
#include "sim/store.h"

extern "C" int talo_attachSimulator(const kit::Host* host, kit::Services* services) {
    if (host == nullptr || services == nullptr || host->version != kit::kInterfaceVersion) return 1;
    lib::lookUpLoansThrough(host->findLentBuffer);
    if (host->statePath != nullptr && *host->statePath != '\0') sim::Store::chooseInstanceFile(host->statePath);
    services->devices = &sim::simulatedDeviceAccess();
    // Read now, so that a state that cannot be used ends the program
    // before it asks anything.
    sim::Store::instance().read([](const sim::State&) {});
    return 0;
}

// The unit tests run the commands on the simulated controller inside their
// own process: its driver is the device layer, the stand-in library is
// linked in. Tests that look at what goes to a device override it for
// their own time.

#include <gtest/gtest.h>

#include "sim/sim_driver.h"

namespace {

class DeviceChoice : public testing::Environment {
public:
    void SetUp() override { sim::installInProcessSimulator(); }
};

[[maybe_unused]] testing::Environment* const deviceChoice =
    testing::AddGlobalTestEnvironment(new DeviceChoice);

}  // namespace

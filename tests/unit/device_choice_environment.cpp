// The unit tests meet the device layer the console itself would choose: on
// a system without the controller's driver, the simulated one. Tests that
// look at what goes to a device override it for their own time.

#include <gtest/gtest.h>

#include "console/device_choice.h"

namespace {

class DeviceChoice : public testing::Environment {
public:
    void SetUp() override { installChosenDevices(); }
};

[[maybe_unused]] testing::Environment* const deviceChoice =
    testing::AddGlobalTestEnvironment(new DeviceChoice);

}  // namespace

// adapter in both modes against two controllers on ports 1 and 3 (other
// adapters on ports 0 and 2, port 4 missing), and how the stand-in library
// numbers controllers: in port order, over the ports that hold one.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "commands/adapter.h"
#include "console/context.h"
#include "console/words.h"
#include "console_capture.h"
#include "platform/record.h"
#include "sim/hxapi_library.h"
#include "sim/model.h"
#include "sim/sim_driver.h"
#include "sim/store.h"

namespace {

sim::Port port(sim::PortKind kind, int controller = -1) {
    sim::Port p;
    p.kind = kind;
    p.controller = controller;
    return p;
}

sim::Controller controllerWithIds(std::uint16_t ctrlId, std::uint16_t subsysId) {
    sim::Controller c = sim::demoState().controllers[0];
    c.controllerId = ctrlId;
    c.subsystemId = subsysId;
    return c;
}

// Talo controllers on ports 1 and 3, other adapters on 0 and 2, 4 missing.
sim::State twoControllers() {
    sim::State s = sim::demoState();
    s.ports = {port(sim::PortKind::Adapter), port(sim::PortKind::Talo, 0),
               port(sim::PortKind::Adapter), port(sim::PortKind::Talo, 1),
               port(sim::PortKind::Missing)};
    s.controllers = {controllerWithIds(0x3120, 0x100), controllerWithIds(0x3121, 0x101)};
    s.controllers[1].driverVersion = {4, 0, 10, 255};
    return s;
}

void setState(const sim::State& state) {
    sim::Store::instance().modify([&](sim::State& s) { s = state; });
}

// What adapter printed and the current controller it left.
struct AdapterRun {
    std::int32_t result = 0;
    std::string printed;
};

AdapterRun runAdapter(ControllerDevice** current, const std::string& line) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    std::int32_t count = 0;
    char* words[MAX_WORDS] = {};
    splitWords(buffer.data(), &count, words);
    ConsoleCapture capture;
    AdapterRun run;
    run.result = adapterCommand(current, count, words);
    run.printed = capture.take();
    return run;
}

class AdapterTest : public testing::Test {
protected:
    void SetUp() override {
        setState(twoControllers());
        std::uint8_t init[256] = {};
        ASSERT_EQ(hx_initialize(init), 0u);
        ASSERT_EQ(hx_discover(0), 0u);
        ASSERT_EQ(hx_getNumberOfHBA(&controllerContext.controllerCount), 0u);
        controllerContext.selectController(0);
    }
    void TearDown() override {
        delete current;
        current = nullptr;
        hx_finalize();
        controllerContext.controllerCount = 0;
        controllerContext.selectController(0);
        setState(sim::demoState());
    }

    ControllerDevice* current = nullptr;
};

const char* const kNotFound = "Cannot find the specified controller!\n";

// Numbers no controller has, among them those that would name controller 0
// or 1 if they were cut to 32 or 64 bits.
const char* const kTooLarge[] = {
    "2",
    "65536",
    "65537",
    "4294967296",
    "4294967297",
    "18446744073709551616",
    "18446744073709551617",
    "99999999999999999999999999999999999999",
};

TEST_F(AdapterTest, LibraryModeRefusesEveryNumberTooLargeAndKeepsTheIndex) {
    ASSERT_EQ(controllerContext.controllerCount, 2u);
    for (std::uint16_t index : {std::uint16_t{0}, std::uint16_t{1}}) {
        controllerContext.selectController(index);
        for (const char* number : kTooLarge) {
            const AdapterRun run = runAdapter(&current, std::string("adapter ") + number);
            EXPECT_EQ(run.result, 1);
            EXPECT_EQ(run.printed, kNotFound) << number;
            EXPECT_EQ(controllerContext.controllerIndex, index) << number;
            EXPECT_EQ(controllerContext.controllerAddress[0], index) << number;
        }
    }
}

// The controller id the library reports for the selected controller.
std::uint16_t selectedControllerId() {
    std::vector<std::uint8_t> path(65536, 0);
    EXPECT_EQ(hx_getDiscoverPath(controllerContext.controllerAddress[0],
                                 controllerContext.controllerAddress[1], path.data(), 65536),
              0u);
    return rec::ByteView(path.data(), path.size()).at<std::uint16_t>(64);
}

TEST_F(AdapterTest, LibraryModeSwitchAddressesLaterCallsToTheNewController) {
    EXPECT_EQ(selectedControllerId(), 0x3120);
    const AdapterRun run = runAdapter(&current, "adapter 1");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.printed, "Controller ID was switched to 1 from 0.\n");
    EXPECT_EQ(controllerContext.controllerIndex, 1);
    EXPECT_EQ(controllerContext.controllerAddress[0], 1u);
    EXPECT_EQ(controllerContext.controllerAddress[1], 0u);
    EXPECT_EQ(controllerContext.controllerAddress[2], 0u);
    EXPECT_EQ(selectedControllerId(), 0x3121);
}

TEST_F(AdapterTest, LibraryModeRefusalsLeaveTheIndex) {
    struct Case {
        const char* line;
        const char* printed;
    };
    const Case cases[] = {
        {"adapter x1", "Invalid controller ID specified.\n"},
        {"adapter -1", "Invalid controller ID specified.\n"},
        {"adapter +1", "Invalid controller ID specified.\n"},
        {"adapter 1x", "Invalid controller ID specified.\n"},
        {"adapter \"\"", "Invalid controller ID specified.\n"},
        {"adapter 0", "No switch was made. Controller ID 0 is currently used now!\n"},
        {"adapter 000", "No switch was made. Controller ID 0 is currently used now!\n"},
    };
    for (const Case& c : cases) {
        const AdapterRun run = runAdapter(&current, c.line);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.printed, c.printed) << c.line;
        EXPECT_EQ(controllerContext.controllerAddress[0], 0u) << c.line;
    }
}

TEST_F(AdapterTest, LibraryModeWithoutControllersListsAnEmptyRange) {
    controllerContext.controllerCount = 0;
    EXPECT_EQ(runAdapter(&current, "adapter").printed,
              "There are 0 controllers. Controller ID is from 0 to -1\n"
              "Current used controller ID: 0\n");
    EXPECT_EQ(runAdapter(&current, "adapter 0").printed, kNotFound);
}

class DirectAdapterTest : public AdapterTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(AdapterTest::SetUp());
        current = findController(0, nullptr);
        ASSERT_NE(current, nullptr);
        ASSERT_EQ(current->portNumber, 1);
    }
};

TEST_F(DirectAdapterTest, SwitchReplacesTheControllerAndClosesTheOldOne) {
    const ControllerDevice* old = current;
    ASSERT_EQ(sim::simulatedOpenHandleCount(), 1u);
    const AdapterRun run = runAdapter(&current, "adapter 1");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.printed, "Controller was switched to 1 at scsi3.\n");
    ASSERT_NE(current, nullptr);
    EXPECT_NE(current, old);
    EXPECT_EQ(current->portNumber, 3);
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 1u);
}

TEST_F(DirectAdapterTest, SwitchToTheCurrentControllerOpensItAfresh) {
    const AdapterRun run = runAdapter(&current, "adapter 0");
    EXPECT_EQ(run.printed, "Controller was switched to 0 at scsi1.\n");
    EXPECT_EQ(current->portNumber, 1);
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 1u);
}

TEST_F(DirectAdapterTest, RefusalsKeepTheControllerOpen) {
    const ControllerDevice* old = current;
    std::vector<std::pair<std::string, std::string>> cases = {
        {"adapter x1", "Invalid adapter ID specified.\n"},
        {"adapter -1", "Invalid adapter ID specified.\n"},
        {"adapter 0x1", "Invalid adapter ID specified.\n"},
        {"adapter x1 1", "Invalid adapter ID specified.\n"},
    };
    for (const char* number : kTooLarge) cases.emplace_back(std::string("adapter ") + number, kNotFound);
    for (const auto& [line, printed] : cases) {
        const AdapterRun run = runAdapter(&current, line);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.printed, printed) << line;
        EXPECT_EQ(current, old) << line;
        EXPECT_EQ(current->portNumber, 1) << line;
        EXPECT_EQ(sim::simulatedOpenHandleCount(), 1u) << line;
    }
}

TEST_F(DirectAdapterTest, ListOpensEveryControllerAndClosesItAgain) {
    const AdapterRun run = runAdapter(&current, "adapter");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.printed,
              "0: Talo controller found on scsi1 Driver version: 3.2.0.13\n"
              "1: Talo controller found on scsi3 Driver version: 4.0.a.ff\n"
              "Current adapter is at scsi1\n");
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 1u);
}

// The library's index of a controller follows the ports, not the list of
// controllers: a port naming no controller and a controller on no port are
// not counted.
TEST(LibraryNumbering, FollowsTaloPortsInPortOrder) {
    sim::State s;
    s.ports = {port(sim::PortKind::Talo, 2), port(sim::PortKind::Adapter),
               port(sim::PortKind::Talo, 7), port(sim::PortKind::Missing),
               port(sim::PortKind::Talo, 0)};
    s.controllers = {controllerWithIds(0x10, 0), controllerWithIds(0x11, 0),
                     controllerWithIds(0x12, 0)};
    EXPECT_EQ(sim::libraryControllerCount(s), 2u);
    EXPECT_EQ(sim::libraryControllerSlot(s, 0), std::optional<std::size_t>(2));
    EXPECT_EQ(sim::libraryControllerSlot(s, 1), std::optional<std::size_t>(0));
    EXPECT_EQ(sim::libraryControllerSlot(s, 2), std::nullopt);
    EXPECT_EQ(sim::libraryControllerSlot(s, 0xFFFFFFFFu), std::nullopt);

    setState(s);
    std::uint8_t init[256] = {};
    ASSERT_EQ(hx_initialize(init), 0u);
    ASSERT_EQ(hx_discover(0), 0u);
    std::uint32_t count = 0;
    EXPECT_EQ(hx_getNumberOfHBA(&count), 0u);
    EXPECT_EQ(count, 2u);
    struct Case {
        std::uint32_t w1;
        std::uint32_t status;
        std::uint16_t controllerId;
    };
    const Case cases[] = {{0, 0, 0x12}, {1, 0, 0x10}, {2, sim::kHxStatusNoSuchController, 0}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> path(65536, 0);
        EXPECT_EQ(hx_getDiscoverPath(c.w1, 0, path.data(), 65536), c.status) << c.w1;
        EXPECT_EQ(rec::ByteView(path.data(), path.size()).at<std::uint16_t>(64), c.controllerId)
            << c.w1;
    }
    hx_finalize();
    setState(sim::demoState());
}

}  // namespace

#pragma once
// Running commands the way the shell does, and the simulated controller the
// command tests run them against.
//
// runLine splits a line with splitWords, lowers the command word, finds the
// row in the console's own command table and calls its handler through
// runHandler, just as a typed line is run; what the handler printed and what
// it returned come back. A command word the table does not carry (or carries
// without a handler) fails the test instead of printing "Invalid command".
//
// SimulatorFixture resets the simulated controller to the demo state (with a
// clock that stands still, when a test asks for one), brings the stand-in
// library up on controller 0 and clears the call log; TearDown leaves the
// demo state behind. DirectModeFixture also opens the controller in direct
// mode (the device findController finds), so commands go to the driver.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "console/context.h"
#include "console/shell.h"
#include "console/words.h"
#include "console_capture.h"
#include "sim/call_log.h"
#include "sim/model.h"
#include "sim/store.h"

// What one command line did.
struct CommandRun {
    std::int32_t result = 1;  // the handler's: non-zero to go on
    std::string printed;
};

// Runs the line with controller as the current one (null: library mode).
// It captures the console while it runs, which ends any ConsoleCapture the
// caller holds.
inline CommandRun runLine(ControllerDevice* controller, const std::string& line) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    std::int32_t count = 0;
    char* words[MAX_WORDS] = {};
    splitWords(buffer.data(), &count, words);
    CommandRun run;
    if (count == 0) {
        ADD_FAILURE() << "no command in '" << line << "'";
        return run;
    }
    for (char* c = words[0]; *c != '\0'; ++c) {
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    }
    const CommandEntry* entry = findCommand(words[0]);
    if (entry == nullptr || entry->handler == nullptr) {
        ADD_FAILURE() << "no handler for '" << words[0] << "' in the command table";
        return run;
    }
    ConsoleCapture capture;
    ControllerDevice* current = controller;
    run.result = runHandler(entry->name, entry->handler, &current, count, words);
    run.printed = capture.take();
    return run;
}

inline void resetSimulator(std::optional<std::uint32_t> clock = std::nullopt) {
    sim::Store::instance().modify([clock](sim::State& s) {
        s = sim::demoState();
        if (clock) s.clock = *clock;
    });
}

class SimulatorFixture : public testing::Test {
protected:
    // With a clock, the simulated time stands at it, so that activities stay
    // where they are.
    explicit SimulatorFixture(std::optional<std::uint32_t> clock = std::nullopt) : clock_(clock) {}

    void SetUp() override {
        resetSimulator(clock_);
        std::uint8_t init[256] = {};
        ASSERT_EQ(hx_initialize(init), 0u);
        ASSERT_EQ(hx_discover(0), 0u);
        controllerContext.selectController(0);
        sim::clearCallLog();
    }
    void TearDown() override {
        controller = nullptr;
        device.reset();
        hx_finalize();
        resetSimulator();
    }

    // Opens controller 0 in direct mode and makes it the current controller;
    // clears the call log after the scan.
    void openDirectMode() {
        device.reset(findController(0, nullptr));
        ASSERT_NE(device, nullptr);
        controller = device.get();
        sim::clearCallLog();
    }

    // Runs the line against the current controller; the command must ask to
    // go on. Returns what it printed.
    std::string run(const std::string& line) {
        const CommandRun r = runLine(controller, line);
        EXPECT_EQ(r.result, 1) << line;
        return r.printed;
    }

    // The one pass-through request the stand-in driver received (an empty
    // record, after a failure, when there is not exactly one).
    static sim::PassThroughRecord onlyPassThrough() {
        const auto log = sim::passThroughLog();
        EXPECT_EQ(log.size(), 1u);
        return log.empty() ? sim::PassThroughRecord{} : log.front();
    }

    ControllerDevice* controller = nullptr;  // null: library mode
    std::unique_ptr<ControllerDevice> device;

private:
    std::optional<std::uint32_t> clock_;
};

class DirectModeFixture : public SimulatorFixture {
protected:
    using SimulatorFixture::SimulatorFixture;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SimulatorFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(openDirectMode());
    }
};

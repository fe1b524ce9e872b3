// Settings that change what the controller does: a faster rate set with gs
// makes a running activity finish sooner while the simulator's clock moves
// on between runs.

#include <gtest/gtest.h>

#include <string>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;
using e2e::runAtPrompt;

constexpr std::uint32_t kClock = 315626635;  // Wed Jan 02 02:03:55 1980

// Starts a synchronisation with the rate setting given (none: the
// controller's default), lets 300 seconds pass, and returns what as shows.
std::string statusAfter300Seconds(const std::string& rateSetting) {
    RunOptions first;
    first.state = sim::demoState();
    first.state->clock = kClock;
    const e2e::RunResult start = e2e::runConsole(
        "yca RAID1 128 \"0 1\" \"0 0\" first NONE NONE\nbga 0 start sync sync\n" + rateSetting + "q\n", first);
    EXPECT_EQ(start.exitCode, 0) << start.errors;
    RunOptions later;
    later.state = e2e::stateAfter(start);
    later.state->clock = kClock + 300;
    return runAtPrompt(Mode::Library, "as 0\nq\n", later);
}

TEST(Settings, AFasterRateFinishesAnActivitySooner) {
    const std::string header = "> -----------------Array 0 status-----------------\n";
    EXPECT_EQ(statusAfter300Seconds(""),
              header + "pmicAry->ldhx_Flags 16778241\nStatus         BGA            BGA Progress\n"
                       "Functional     Synchronizing  30%\n"
                       "Start time Wed Jan 02 02:03:55 1980\n \n> ");
    EXPECT_EQ(statusAfter300Seconds("gs rate sync 250\n"),
              header + "pmicAry->ldhx_Flags 16777217\nStatus         BGA            BGA Progress\n"
                       "Functional     Idle           0%\n> ");
}

}  // namespace

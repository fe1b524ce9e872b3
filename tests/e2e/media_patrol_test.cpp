// Media patrol across runs of the console while the simulator's clock moves
// on between them: progress and times, a pause that holds it, and the
// bad-sector log and error table it fills with the simulated errors a
// verify meets, in both modes.

#include <gtest/gtest.h>

#include <string>

#include "console_runner.h"
#include "sim/disk_media.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;

constexpr std::uint32_t kClock = 1000000000;  // Sun Sep 09 01:46:40 2001

// The demo with errors on disk 2 (312581808 sectors, a pass in 2000
// seconds): 4 sectors at 1000 and 2 at 5000000 that a verify meets, 3 at
// 7000 only reads meet, and one at 200000000, past the middle.
sim::State stateWithErrors() {
    sim::State s = sim::demoState();
    s.clock = kClock;
    s.controllers.at(0).disks.at(2).simulatedErrors = {
        {1000, 4, sim::kErrorFlagVerify, sim::kErrorTypeMedia},
        {5000000, 2, sim::kErrorFlagRead | sim::kErrorFlagVerify, sim::kErrorTypeTimeout},
        {7000, 3, sim::kErrorFlagRead, sim::kErrorTypeMedia},
        {200000000, 1, sim::kErrorFlagVerify, sim::kErrorTypeMedia},
    };
    return s;
}

const std::string kTable =
    "Dumping Error Table of Disk 2\n"
    "Dumping Header Info\n"
    "Signature       1413633093\n"
    "Version         1\n"
    "Flags           0\n"
    "EntryNo   LBAL      LBAH       STATUS     COUNT     FLAGS \n";

// Runs the lines in the mode on the state and returns what was printed
// from the first prompt on; the state the run left behind goes to after.
std::string lastState(Mode mode, const sim::State& state, const std::string& lines, sim::State* after) {
    RunOptions options;
    options.state = state;
    // What earlier runs queued is not this run's to show.
    for (sim::Controller& c : options.state->controllers) c.events.clear();
    const e2e::RunResult run = e2e::runConsole((mode == Mode::Library ? "y" : "ny") + lines, options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    *after = e2e::stateAfter(run);
    static const std::string enter = "\nEnter ? or help for help.\n";
    const std::size_t at = run.output.find(enter);
    return at == std::string::npos ? run.output : run.output.substr(at + enter.size());
}

TEST(MediaPatrol, LibraryModeProgressPauseAndTheLogsItFills) {
    sim::State state = stateWithErrors();
    EXPECT_EQ(lastState(Mode::Library, state, "patrol 2 start\nq\n", &state), "> > ");
    state.clock = kClock + 1000;
    EXPECT_EQ(lastState(Mode::Library, state, "patrol 2 dump\nbsl 2 dump\npatrol 2 pause\nq\n", &state),
              "> Dumping Media Patrol Information of Disk 2\n"
              "State: Running\n"
              "Watermark: 950cf58\n"
              "Run loop count: 0\n"
              "Error Count: 6\n"
              "Progress 50%\n"
              "Start time Sun Sep 09 01:46:40 2001\n%\n"
              "> LBA_HI     LBA        Count      Status   Flags   \n"
              "0x00000000 0x000003e8 0x00000004 0x000051 0x000020\n"
              "0x00000000 0x004c4b40 0x00000002 0x000080 0x000020\n"
              "> > ");
    state.clock = kClock + 4000;
    EXPECT_EQ(lastState(Mode::Library, state, "patrol 2 dump\npatrol 2 resume\nq\n", &state),
              "> Dumping Media Patrol Information of Disk 2\n"
              "State: Paused\n"
              "Watermark: 950cf58\n"
              "Run loop count: 0\n"
              "Error Count: 6\n"
              "Progress 50%\n"
              "Start time Sun Sep 09 01:46:40 2001\n%\n"
              "> > ");
    state.clock = kClock + 5000;
    const std::string entries =
        "  1     3e8     0     51     8004\n"
        "  2     4c4b40     0     80     8002\n"
        "  3     bebc200     0     51     8001\n";
    EXPECT_EQ(lastState(Mode::Library, state, "patrol 2 dump\net 2 dump\nq\n", &state),
              "> Dumping Media Patrol Information of Disk 2\n"
              "State:  \n"
              "Watermark: 12a19eb0\n"
              "Run loop count: 1\n"
              "Error Count: 7\n"
              "Progress 100%\n"
              "Start time Sun Sep 09 01:46:40 2001\n%\n"
              "Last resume time Sun Sep 09 02:53:20 2001\n%\n"
              "> " + kTable + entries + kTable + entries + "> ");
}

TEST(MediaPatrol, DirectModeProgressAndErrorTable) {
    sim::State state = stateWithErrors();
    EXPECT_EQ(lastState(Mode::Direct, state, "patrol 2 START\nq\n", &state), "> > ");
    state.clock = kClock + 1500;
    EXPECT_EQ(lastState(Mode::Direct, state, "patrol 2 dump\net 2 dump\npatrol 2 abort\npatrol 2 dump\nq\n", &state),
              "> Dumping Media Patrol Information of Disk 2\n"
              "State: Running\n"
              "Watermark: df93704\n"
              "Run loop count: 0\n"
              "Error Count: 7\n"
              "Progress 75%\n"
              "> " + kTable +
                  "  1     3e8     0     51     8004\n"
                  "  2     4c4b40     0     80     8002\n"
                  "  3     bebc200     0     51     8001\n"
                  "> > Dumping Media Patrol Information of Disk 2\n"
                  "State: Aborted\n"
                  "Watermark: df93704\n"
                  "Run loop count: 0\n"
                  "Error Count: 7\n"
                  "Progress 75%\n"
                  "> ");
}

}  // namespace

namespace {

TEST(MediaPatrol, AMediaPatrolScheduleStartsAPatrolOnEveryWorkingDisk) {
    sim::State state = sim::demoState();
    state.clock = 1230000000;  // Tue Dec 23 2008
    EXPECT_EQ(lastState(Mode::Library, state, "bgaschd add MP enable 0 30 ONCE 1/1/2009 NONE\nq\n", &state), "> > ");
    state.clock = 1230768000 + 600;  // ten minutes after midnight, 1 January 2009
    state.controllers.at(0).disks.at(5).failed = true;
    EXPECT_EQ(lastState(Mode::Library, state, "patrol 7 dump\npatrol 5 dump\nq\n", &state),
              "> Dumping Media Patrol Information of Disk 7\n"
              "State: Running\n"
              "Watermark: 22ee874e\n"  // sector 586057550 of 1953525168
              "Run loop count: 0\n"
              "Error Count: 0\n"
              "Progress 29%\n"  // whole percent done, rounded down
              "Start time Thu Jan 01 00:00:00 2009\n%\n"
              "> Dumping Media Patrol Information of Disk 5\n"
              "State:  \n"
              "Watermark: 0\n"
              "Run loop count: 0\n"
              "Error Count: 0\n"
              "Progress 0%\n"
              "Start time and last resume time are not available.\n"
              "> ");
    EXPECT_EQ(state.controllers.at(0).patrols.size(), 7u);
}

}  // namespace

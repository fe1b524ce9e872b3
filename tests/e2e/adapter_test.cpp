// Several controllers end to end: after adapter switches, every command
// reaches the new controller and only that one, in both modes, and the
// library's controller numbers name the same controllers as direct mode's.

#include <gtest/gtest.h>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;
using e2e::runConsole;

constexpr std::uint32_t kClock = 315626635;  // Wed Jan 02 02:03:55 1980

const std::string kEnterHelp = "\nEnter ? or help for help.\n";
const std::string kArrayBanner =
    "-----------------dumping arrays-----------------\n"
    "ID    RAID Width SBS(K) CM LA WR RD   Size(MB)                     Blocks Pt Sy Sh Sb Name Mask "
    "SectorSize\n";
const std::string kCreateMirror = "ca RAID1 128 \"0 1\" \"0 0\" \"Mirror\" NONE NONE\n";
// The mirror of disks 0 and 1 as la shows it in each mode.
const std::string kMirrorFromLibrary =
    " 0   RAID1     2     64  1  0 1000001   76318.09                (0,1)  0  0  0  0 Mirror    0 "
    "512\n";
const std::string kMirrorFromDriver =
    " 0   RAID1     2     64  0  0  1   76318.09                (0,1) Mirror\n";

sim::Port port(sim::PortKind kind, int controller = -1) {
    sim::Port p;
    p.kind = kind;
    p.controller = controller;
    return p;
}

// Two demo controllers: Talo on ports 1 and 3, other adapters on 0 and 2,
// port 4 missing.
sim::State twoControllers() {
    sim::State s = sim::demoState();
    s.clock = kClock;
    s.ports = {port(sim::PortKind::Adapter), port(sim::PortKind::Talo, 0),
               port(sim::PortKind::Adapter), port(sim::PortKind::Talo, 1),
               port(sim::PortKind::Missing)};
    s.controllers.push_back(s.controllers[0]);
    s.controllers[1].controllerId = 0x3121;
    s.controllers[1].subsystemId = 0x101;
    return s;
}

struct Step {
    std::string output;  // from the first prompt on
    sim::State state;    // the state the run left
};

// Library mode takes controller 0 at start-up, direct mode the first found.
Step step(Mode mode, const sim::State& state, const std::string& lines) {
    RunOptions options;
    options.state = state;
    const auto run = runConsole((mode == Mode::Library ? "y0" : "ny") + lines + "q\n", options);
    EXPECT_EQ(run.exitCode, 0);
    const std::size_t at = run.output.find(kEnterHelp);
    Step s;
    s.output = at == std::string::npos ? run.output : run.output.substr(at + kEnterHelp.size());
    s.state = e2e::stateAfter(run);
    return s;
}

std::size_t arraysOn(const sim::State& state, std::size_t controller) {
    return state.controllers.at(controller).arrays.size();
}

TEST(SeveralControllers, LibraryModeChangesOnlyTheSelectedController) {
    const Step s = step(Mode::Library, twoControllers(),
                        "adapter 1\n" + kCreateMirror + "la\nadapter 0\nla\nadapter 1\nla\n");
    EXPECT_EQ(s.output, "> Controller ID was switched to 1 from 0.\n"
                        "> "
                        "> " + kArrayBanner + kMirrorFromLibrary +
                        "> Controller ID was switched to 0 from 1.\n"
                        "> " + kArrayBanner +
                        "> Controller ID was switched to 1 from 0.\n"
                        "> " + kArrayBanner + kMirrorFromLibrary +
                        "> ");
    EXPECT_EQ(arraysOn(s.state, 0), 0u);
    EXPECT_EQ(arraysOn(s.state, 1), 1u);
}

TEST(SeveralControllers, DirectModeChangesOnlyTheCurrentController) {
    const Step s = step(Mode::Direct, twoControllers(),
                        "adapter 1\n" + kCreateMirror + "la\nadapter 0\nla\nadapter 1\nla\n");
    EXPECT_EQ(s.output, "> Controller was switched to 1 at scsi3.\n"
                        "> "
                        "> " + kArrayBanner + kMirrorFromDriver +
                        "> Controller was switched to 0 at scsi1.\n"
                        "> " + kArrayBanner +
                        "> Controller was switched to 1 at scsi3.\n"
                        "> " + kArrayBanner + kMirrorFromDriver +
                        "> ");
    EXPECT_EQ(arraysOn(s.state, 0), 0u);
    EXPECT_EQ(arraysOn(s.state, 1), 1u);
}

// Controller 1 of the library is controller 1 of the port scan.
TEST(SeveralControllers, BothModesNumberTheControllersAlike) {
    const Step made = step(Mode::Library, twoControllers(), "adapter 1\n" + kCreateMirror);
    const Step seen = step(Mode::Direct, made.state, "la\nadapter 1\nla\n");
    EXPECT_EQ(seen.output, "> " + kArrayBanner +
                               "> Controller was switched to 1 at scsi3.\n"
                               "> " + kArrayBanner + kMirrorFromDriver +
                               "> ");

    const Step madeDirect = step(Mode::Direct, twoControllers(), "adapter 1\n" + kCreateMirror);
    const Step seenLibrary = step(Mode::Library, madeDirect.state, "la\nadapter 1\nla\n");
    EXPECT_EQ(seenLibrary.output, "> " + kArrayBanner +
                                      "> Controller ID was switched to 1 from 0.\n"
                                      "> " + kArrayBanner + kMirrorFromLibrary +
                                      "> ");
}

}  // namespace

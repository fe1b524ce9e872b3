// talo-sim capture as a round trip: a varied state is made with the
// console's own commands, captured through the library, and the console
// run on the copy must print exactly what it prints on the original. Then
// the captures the tool refuses, each leaving no file behind.

#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "console_runner.h"
#include "sim/model.h"
#include "temp_folder.h"

namespace {

using tooltest::Folder;
using tooltest::readFile;

using e2e::Mode;

constexpr std::uint32_t kClock = 1190000000;  // Mon Sep 17 03:33:20 2007

sim::State stateIn(const std::string& path) {
    return nlohmann::json::parse(readFile(path)).get<sim::State>();
}

struct ToolRun {
    std::string out, err;
    int code = -1;
};

// Runs talo-sim in the folder with the words (none needs quoting), with
// TALO_SIM set to `env` (empty: unset, the built-in demo).
ToolRun runTool(const std::string& folder, const std::string& words, const std::string& env = "") {
    const std::string command = "cd \"" + folder + "\" && " + (env.empty() ? "env -u TALO_SIM" : "TALO_SIM=" + env) +
                                " \"" + TALO_SIM_TOOL_PATH + "\" " + words + " >tool-out.txt 2>tool-err.txt";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(folder + "/tool-out.txt");
    run.err = readFile(folder + "/tool-err.txt");
    return run;
}

// The demo as the first case's original: arrays of four levels (three of
// them leaving free space), a split extent, a global and a dedicated spare,
// names, changed controller, CAM, array and disk settings, and schedules of
// four types and recurrences.
const char* const kVariedDemo =
    "ca RAID5 128 \"0 1 2\" \"0 0 0\" \"Five\" NONE NONE\n"
    "ca2 RAID1 64 \"3 4\" 10000 \"Mirror\" NONE NONE 512\n"
    "ca2 RAID0 256 \"5 6\" 20000 \"Stripe\" NONE NONE 512\n"
    "ca RAID10 128 \"2 5 6 7\" \"1 1 1 0\" \"Ten\" NONE NONE\n"
    "blk 3 1 split 1000\n"
    "blk 3 1 spare GLOBAL\n"
    "blk 4 1 spare 1\n"
    "ac 0 name Renamed\n"
    "ac 1 cache writethrough\n"
    "ac 2 lookahead 5\n"
    "ac 2 consolidation enable\n"
    "ac 3 bypass enable\n"
    "gs rate rebuild 80\n"
    "gs rate timeout 20\n"
    "gs interval smart 300\n"
    "gs disable autorebuild\n"
    "gs policy rebuild 1f\n"
    "gsc buzzer 0\n"
    "ds 2 cache disable\n"
    "ds 5 smart disable\n"
    "ds 6 ncq disable\n"
    "bgaschd add MP enable 120 60 ONCE 12/25/2007 NONE\n"
    "bgaschd add SC disable 0 30 WEEKLY 2 Sun 1/1/2008 COUNT 10\n"
    "bgaschd add RB enable 0 30 MONTHLY ORDINAL Last Fri Dec 1/1/2008 NONE 1 \"3\" 1\n"
    "bgaschd add RC enable 90 45 DAILY 3 1/1/2008 DATE 2/1/2009 1 2 \"0 2\"\n";

// What the console is asked on both states.
const char* const kCompare = "ld\nla\nle\ngs\nbgaschd get\ngsc\nac 0\nac 1\nac 2\nac 3\nds 2\nds 5\nds 6\nq\n";

struct RoundTrip {
    const char* name;
    std::vector<std::string> tools;  // talo-sim words run on state.json first
    std::string console;             // then typed at the console in library mode (with the choice of controller)
    std::vector<std::string> after;  // then talo-sim words again
    std::string capture;             // the capture's words
    std::string summary;             // what it prints
    // Keys that choose the controller at the console's start, on the
    // original and on the copy; one pair per controller compared.
    std::vector<std::pair<std::string, std::string>> choices;
    bool direct;                     // also compared in direct mode (the first controller)
    // A line of the original's output and what the copy prints instead: a
    // controller captured alone is the copy's controller 0, and the
    // schedule listing names it so.
    std::pair<std::string, std::string> renumbered = {};
};

std::string replaced(std::string text, const std::pair<std::string, std::string>& change) {
    const std::size_t at = change.first.empty() ? std::string::npos : text.find(change.first);
    if (at != std::string::npos) text.replace(at, change.first.size(), change.second);
    return text;
}

TEST(Capture, TheConsoleShowsTheCopyAsItShowsTheOriginal) {
    const std::vector<RoundTrip> cases = {
        {"a varied demo", {"create --clock " + std::to_string(kClock)}, kVariedDemo, {},
         "capture -o copy.json",
         "captured 1 controller into copy.json: 8 disks, 17 extents, 4 arrays, 4 schedules\n", {{"", ""}}, true},
        // Activities stand still under the fixed clock; the copy reports
        // them as they were. A failed member leaves its array critical.
        {"activities and a failed disk, all controllers",
         {"create --controllers 2 --disks 6 --clock " + std::to_string(kClock),
          "add-disk -c 1 --model LongModelTextOfMoreThanTwentyTwoCharacters --serial S-1 --firmware F1 --sectors 3000000"},
         "1ca RAID1 128 \"0 1\" \"0 0\" \"Keep\" NONE NONE\n"
         "bga 0 START BACKUP \"5\"\n"
         "ca RAID5 128 \"2 3 4\" \"0 0 0\" \"Five\" NONE NONE\n"
         "bga 1 START INIT BACK\n"
         "ca RAID0 128 \"6\" \"0\" \"One\" NONE NONE\n"
         "ac 2 cache bypass\n",
         {"fail -c 1 3"},
         "capture -o copy.json",
         "captured 2 controllers into copy.json: 13 disks, 16 extents, 3 arrays, 0 schedules\n",
         {{"0", "0"}, {"1", "1"}}, false},
        {"one controller of two", {"create --controllers 2 --disks 3", "add-disk -c 1 --id 9 --channel 4"},
         "1gs rate sync 7\nbgaschd add MP enable 0 10 DAILY 2 1/1/2030 NONE\n", {}, "capture -c 1 -o copy.json",
         "captured 1 controller into copy.json: 4 disks, 4 extents, 0 arrays, 1 schedule\n", {{"1", ""}}, false,
         {"ControlID:1\n", "ControlID:0\n"}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const Folder folder;
        ASSERT_FALSE(folder.path.empty());
        for (const std::string& words : c.tools) {
            ASSERT_EQ(runTool(folder.path, "--state state.json " + words).code, 0) << words;
        }
        e2e::RunOptions making;
        making.simulatorFile = false;
        making.environment["TALO_SIM"] = folder.path + "/state.json";
        const e2e::RunResult made = e2e::runConsole("y" + c.console + "q\n", making);
        ASSERT_EQ(made.exitCode, 0) << made.output << made.errors;
        for (const std::string& words : c.after) {
            ASSERT_EQ(runTool(folder.path, "--state state.json " + words).code, 0) << words;
        }

        const ToolRun captured = runTool(folder.path, c.capture, "state.json");
        EXPECT_EQ(captured.err, "");
        EXPECT_EQ(captured.code, 0);
        EXPECT_EQ(captured.out, c.summary);

        e2e::RunOptions onOriginal, onCopy;
        onOriginal.state = stateIn(folder.path + "/state.json");
        onCopy.state = stateIn(folder.path + "/copy.json");
        // Queued events are not part of a capture (reading them would take
        // them from the original): none is left to interleave with the output.
        for (sim::Controller& controller : onOriginal.state->controllers) controller.events.clear();
        for (const auto& [original, copy] : c.choices) {
            SCOPED_TRACE("controller " + original);
            const std::string expected =
                replaced(e2e::runAtPrompt(Mode::Library, original + kCompare, onOriginal), c.renumbered);
            EXPECT_NE(expected.find("dumping extents"), std::string::npos) << expected;
            EXPECT_EQ(e2e::runAtPrompt(Mode::Library, copy + kCompare, onCopy), expected);
        }
        if (c.direct) {
            SCOPED_TRACE("direct mode");
            EXPECT_EQ(e2e::runAtPrompt(Mode::Direct, kCompare, onCopy), e2e::runAtPrompt(Mode::Direct, kCompare, onOriginal));
        }
    }
}

// Replies that claim more than they hold: the capture reads no further
// than the buffers and the records' own tables, keeps what was really
// there and says what it left out.
TEST(Capture, AbsurdCountsInTheRepliesAreCapped) {
    const Folder folder;
    ASSERT_FALSE(folder.path.empty());
    sim::State original = sim::demoState();
    sim::Controller& c = original.controllers[0];
    c.quirks.phyDrvCount = 100000;
    c.quirks.phyDrvFilled = 0xFFFFFFFFu;
    c.disks[0].reportedExtentCount = 255;
    sim::Array wide;
    wide.members = {1, 2};
    wide.reportedMemberCount = 65535;
    c.arrays.push_back(wide);
    std::ofstream(folder.path + "/state.json") << nlohmann::json(original).dump();

    const ToolRun run = runTool(folder.path, "capture -o copy.json", "state.json");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "captured 1 controller into copy.json: 8 disks, 23 extents, 1 array, 0 schedules\n");
    EXPECT_EQ(run.err,
              "talo-sim: note: controller 0: 120 disk records repeat an id listed before them; the first of each id "
              "is kept\n");
    const sim::State copy = stateIn(folder.path + "/copy.json");
    ASSERT_EQ(copy.controllers.size(), 1u);
    ASSERT_EQ(copy.controllers[0].arrays.size(), 1u);
    EXPECT_EQ(copy.controllers[0].disks[0].extents.size(), 16u);
    EXPECT_EQ(copy.controllers[0].arrays[0].members.size(), 32u);
    EXPECT_EQ(copy.controllers[0].arrays[0].reportedMemberCount, 65535);
}

struct Refusal {
    const char* name;
    std::string setUp;  // talo-sim words run first on s.json (TALO_SIM unset); empty: none
    std::string words;  // the capture
    std::string err;
};

TEST(Capture, RefusalsWriteNothing) {
    const std::vector<Refusal> cases = {
        {"no such folder", "", "--state s.json capture -o nowhere/copy.json",
         "talo-sim: folder 'nowhere' of the output file does not exist\n"},
        {"output exists", "", "--state s.json capture -o s.json",
         "talo-sim: 's.json' exists; give --force to replace it\n"},
        {"no state file", "", "--state none.json capture -o copy.json",
         "talo-sim: state file 'none.json' does not exist\n"},
        {"no controller", "--state s.json remove-controller 0", "--state s.json capture -o copy.json",
         "talo-sim: the management library finds no controller\n"},
        {"no such controller", "", "--state s.json capture -c 1 -o copy.json",
         "talo-sim: no controller 1 (the library finds 1)\n"},
        {"library does not start", "--state s.json failures set --initialize 0xE0000099",
         "--state s.json capture -o copy.json",
         "talo-sim: the management library did not start (hx_initialize: 0xE0000099)\n"},
        {"library finds nothing", "--state s.json failures set --discover 0xE0000098",
         "--state s.json capture -o copy.json",
         "talo-sim: the management library found no controllers (hx_discover: 0xE0000098)\n"},
        {"no output named", "", "--state s.json capture",
         "talo-sim: --output is required (talo-sim --help lists the commands)\n"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        const Folder folder;
        ASSERT_FALSE(folder.path.empty());
        ASSERT_EQ(runTool(folder.path, "--state s.json create").code, 0);
        if (!c.setUp.empty()) {
            ASSERT_EQ(runTool(folder.path, c.setUp).code, 0);
        }
        const std::string before = readFile(folder.path + "/s.json");
        const ToolRun run = runTool(folder.path, c.words);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
        EXPECT_NE(run.code, 0);
        EXPECT_FALSE(std::filesystem::exists(folder.path + "/copy.json"));
        EXPECT_EQ(readFile(folder.path + "/s.json"), before);
    }
}

TEST(Capture, ReplacesAFileWithForceAndTakesTheBuiltInDemoWithoutAState) {
    const Folder folder;
    ASSERT_FALSE(folder.path.empty());
    std::ofstream(folder.path + "/copy.json") << "not a state";
    // Chosen by name, the demo comes without a word; on a system with no
    // driver and no maker's library, it is taken by default, and a note
    // says so.
    const ToolRun byDefault = runTool(folder.path, "capture -o copy.json --force --clock 1000000000");
    EXPECT_EQ(byDefault.code, 0);
    EXPECT_EQ(byDefault.err.rfind("talo-sim: no Talo controller driver and no libhxapi.so.1 on this system: "
                                  "the simulated controller answers (the simulator kit in ", 0),
              0u)
        << byDefault.err;
    const ToolRun run = runTool(folder.path, "capture -o copy.json --force --clock 1000000000", ":demo");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(byDefault.out, run.out);
    EXPECT_EQ(run.out, "captured 1 controller into copy.json: 8 disks, 8 extents, 0 arrays, 0 schedules\n");
    // The demo's controller, on a port of its own, with the clock asked for.
    sim::State expected = sim::demoState();
    expected.clock = 1000000000;
    expected.ports = {sim::Port{sim::PortKind::Talo, 0, false}};
    expected.controllers[0].enclosures.clear();
    for (sim::Disk& d : expected.controllers[0].disks) {
        sim::Extent free;
        free.start = sim::kReservedSectors;
        free.size = d.sectors - sim::kReservedSectors;
        d.extents = {free};
    }
    EXPECT_EQ(nlohmann::json(stateIn(folder.path + "/copy.json")).dump(1), nlohmann::json(expected).dump(1));
}

TEST(Capture, TheCaptureIsTracedAsTheConsoleIs) {
    const Folder folder;
    const ToolRun run = runTool(folder.path, "capture -o copy.json", "");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path + "/trace.jsonl"));

    const std::string command = "cd \"" + folder.path + "\" && env -u TALO_SIM TALO_TRACE=trace.jsonl \"" +
                                TALO_SIM_TOOL_PATH + "\" capture --force -o copy.json >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::istringstream lines(readFile(folder.path + "/trace.jsonl"));
    std::vector<std::string> calls;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(nlohmann::json::accept(line)) << line;
        calls.push_back(nlohmann::json::parse(line)["call"]);
    }
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), "hx_initialize");
    EXPECT_EQ(calls.back(), "hx_finalize");
    for (const char* read : {"hx_getPhyDrvInfo", "hx_getLogDrvInfo", "hx_getControllerSettings", "hx_getBGASchedule"}) {
        EXPECT_EQ(std::count(calls.begin(), calls.end(), read), 1) << read;
    }
}

}  // namespace

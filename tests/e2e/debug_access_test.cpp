// What the simulated disks keep between runs: sectors written by one run
// of the console are read back by a later run whose state has the image
// files beside it, in both modes; the sector data never enters the state
// file, however much is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first line of a dump of the sector, as the console prints it.
std::string firstDumpLine(const std::string& output) {
    const std::size_t at = output.find("00000    ");
    return at == std::string::npos ? output : output.substr(at, output.find('\n', at) - at);
}

TEST(DebugAccess, SectorsWrittenInOneRunAreReadBackByALaterRun) {
    RunOptions first;
    first.state = sim::demoState();
    const e2e::RunResult written = e2e::runConsole(
        "ydbg write 3 2A 1 11223344\ndbg disk write 0 5 1 55667788\nq\n", first);
    ASSERT_EQ(written.exitCode, 0) << written.errors;

    // The later run starts elsewhere, from the state and the images the
    // first left behind.
    RunOptions later;
    later.state = e2e::stateAfter(written);
    for (const auto& entry : std::filesystem::directory_iterator(written.directory)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".img") {
            later.files[name] = readFile(entry.path().string());
        }
    }
    EXPECT_EQ(later.files.size(), 2u);
    const std::string lines = "dbg read 3 2A 1\ndbg disk read 0 5 1\nq\n";
    for (const Mode mode : {Mode::Library, Mode::Direct}) {
        const std::string output = e2e::runAtPrompt(mode, lines, later);
        const std::size_t second = output.find("\n> ");
        ASSERT_NE(second, std::string::npos) << output;
        EXPECT_EQ(firstDumpLine(output),
                  "00000    44 33 22 11 44 33 22 11 44 33 22 11 44 33 22 11 D3\".D3\".D3\".D3\".");
        EXPECT_EQ(firstDumpLine(output.substr(second)),
                  "00000    88 77 66 55 88 77 66 55 88 77 66 55 88 77 66 55 .wfU.wfU.wfU.wfU");
    }
}

TEST(DebugAccess, TheStateFileHoldsNoSectorData) {
    RunOptions options;
    options.state = sim::demoState();
    const e2e::RunResult before = e2e::runConsole("ydbg write 5 0 1 0BADF00D\nq\n", options);
    const e2e::RunResult after = e2e::runConsole("ydbg write 5 0 65535 0BADF00D\nq\n", options);
    ASSERT_EQ(after.exitCode, 0) << after.errors;
    EXPECT_EQ(readFile(after.directory + "/state.json").size(),
              readFile(before.directory + "/state.json").size());
    EXPECT_EQ(std::filesystem::file_size(after.directory + "/state.json.c0-disk5.img"), 65535u * 512u);
}

// Ports [adapter, Talo, Talo], controller 1 chosen in library mode: the
// sectors land on the controller of port 2, as direct mode then reads them;
// the controller of port 1, which the library's index 1 would name as a
// port, is untouched.
TEST(DebugAccess, LibraryModeWritesTheSelectedControllersDiskAsDirectModeSeesIt) {
    sim::State state = sim::demoState();
    state.ports.resize(1);  // the other adapter
    state.controllers.resize(2, state.controllers[0]);
    for (int i = 0; i < 2; ++i) state.ports.push_back(sim::Port{sim::PortKind::Talo, i, false});
    RunOptions first;
    first.state = state;
    const e2e::RunResult written = e2e::runConsole("y1dbg write 1 10 1 C1C1C1C1\nq\n", first);
    ASSERT_EQ(written.exitCode, 0) << written.errors;
    EXPECT_TRUE(std::filesystem::exists(written.directory + "/state.json.c1-disk1.img"));
    EXPECT_FALSE(std::filesystem::exists(written.directory + "/state.json.c0-disk1.img"));

    RunOptions later;
    later.state = e2e::stateAfter(written);
    later.files["state.json.c1-disk1.img"] = readFile(written.directory + "/state.json.c1-disk1.img");
    const std::string onPort2 = e2e::runConsole("nnydbg read 1 10 1\nq\n", later).output;
    EXPECT_NE(onPort2.find("scsi2"), std::string::npos) << onPort2;
    EXPECT_EQ(firstDumpLine(onPort2), "00000    C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 C1 ................");
    const std::string onPort1 = e2e::runConsole("nydbg read 1 10 1\nq\n", later).output;
    EXPECT_EQ(firstDumpLine(onPort1), "00000    00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ................");
}

// One simulated controller behind both seams of one process, with the
// built-in demo and with a state file: a fault the library injects fails
// the driver's read in library mode (dbg's device for the command), and the
// sector the driver wrote is what the library's ATA pass-through reads,
// through a data buffer lent across the kit's boundary.
TEST(DebugAccess, TheLibraryAndTheDriverServeOneSimulatedController) {
    for (const bool builtInDemo : {true, false}) {
        SCOPED_TRACE(builtInDemo ? "built-in demo" : "state file");
        RunOptions options;
        if (builtInDemo) {
            options.simulatorFile = false;
            options.environment["TALO_SIM"] = ":demo";
        } else {
            options.state = sim::demoState();
        }
        options.environment["TALO_TRACE"] = "trace.jsonl";
        const e2e::RunResult run = e2e::runConsole(
            "yes 2 inject 1001 media read\ndbg read 2 1000 2\ndbg write 0 0 1 AABBCCDD\natapass\nq\n", options);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_NE(run.output.find("Scsi status: 02h\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("00000    F0 00 03 00 00 10 01 0A 00 00 00 00 11 00 00 00 "), std::string::npos)
            << run.output;
        std::istringstream trace(readFile(run.directory + "/trace.jsonl"));
        std::string line, ata;
        while (std::getline(trace, line)) {
            if (line.find("\"call\":\"hx_ATAPassThru\"") != std::string::npos) ata = line;
        }
        EXPECT_NE(ata.find("\"reply\":{\"data\":{\"length\":512,\"hex\":\"ddccbbaaddccbbaa"), std::string::npos) << ata;
        EXPECT_NE(ata.find("\"status\":0,"), std::string::npos) << ata;
    }
}

}  // namespace

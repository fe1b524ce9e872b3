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

}  // namespace

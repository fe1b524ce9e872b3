// talo-sim beside a running console: a disk pulled with the tool while the
// console waits in library mode shows up as an event at the console.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console_runner.h"
#include "sim/model.h"

namespace {

const std::string kEnter = "\nEnter ? or help for help.\n";

TEST(ToolBesideConsole, ADiskPulledWhileTheConsoleRunsIsShownAsAnEvent) {
    e2e::RunOptions options;
    options.state = sim::demoState();
    int toolResult = -1;
    // The runner writes the state before the console starts; the tool runs
    // at once, well before the console's first poll, and the delay leaves
    // room for two polls more.
    options.alongside = [&toolResult](const std::string& directory) {
        const std::string command = std::string("\"") + TALO_SIM_TOOL_PATH + "\" --state \"" +
                                    directory + "/state.json\" pull 3 >/dev/null";
        toolResult = std::system(command.c_str());
    };
    const e2e::RunResult run = e2e::runConsole("ydelay 12\nq\n", options);
    EXPECT_EQ(toolResult, 0);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const std::size_t at = run.output.find(kEnter);
    ASSERT_NE(at, std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(at + kEnter.size()),
              "> EventID: 0x3001 \nEvent Severity : Warning \narray:  \nDisk 3 unplugged\n> > ");
}

}  // namespace

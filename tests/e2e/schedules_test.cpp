// bgaschd's lines in the log: the head counts of a change and a delete, and
// the failures of add, change and delete, as the console writes them to
// hxapitest.log in its working directory.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "console_runner.h"

namespace {

// The log's lines without their time stamps ("YYYY-MM-DD HH:MM:SS ").
std::string logWithoutTimes(const std::string& directory) {
    std::ifstream file(directory + "/hxapitest.log", std::ios::binary);
    std::string line, text;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += (line.size() > 20 ? line.substr(20) : line) + "\n";
    }
    return text;
}

TEST(Schedules, ChangesAndFailuresAreLogged) {
    e2e::RunOptions options;
    options.state = sim::demoState();
    options.state->clock = 1230000000;
    const e2e::RunResult run = e2e::runConsole(
        "y"
        "bgaschd add MP enable 0 30 ONCE 1/1/2009 NONE\n"   // kept: nothing logged
        "bgaschd add RC enable 0 30 ONCE 1/1/2009 NONE 1 1 \"4\"\n"  // no array 4
        "bgaschd mod MP disable 0 30 ONCE 1/1/2009 NONE 1\n"
        "bgaschd mod SC disable 0 30 ONCE 1/1/2009 NONE 3\n"  // no such schedule
        "bgaschd del MG 1\n"
        "q\n",
        options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    // The head counts a change or delete logs: one of its type.
    const auto counts = [](int mp, int sc, int mg) {
        return "HXTest INFO num mp=" + std::to_string(mp) + "\nHXTest INFO num brc=0\nHXTest INFO num sc=" +
               std::to_string(sc) + "\nHXTest INFO num rc=0\nHXTest INFO num mg=" + std::to_string(mg) +
               "\nHXTest INFO num rb=0\n";
    };
    EXPECT_EQ(logWithoutTimes(run.directory),
              "HXTest INFO callling hx_getDiscoverPath() for HBA 0\n"
              "HXTest ERROR status 0xE0000010: \t failed add default bga scheduler settings\n" +
                  counts(1, 0, 0) + counts(0, 1, 0) +
                  "HXTest ERROR status 0xE0000018: \t failed delete bga schedulers\n" + counts(0, 0, 1) +
                  "HXTest ERROR status 0xE0000018: \t failed delete bga schedulers\n");
}

}  // namespace

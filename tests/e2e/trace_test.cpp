// The exchange trace: with TALO_TRACE the console appends one JSON line per
// exchange with the driver and per call of the management library; without
// it, no trace file appears.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "console_runner.h"

namespace {

std::vector<nlohmann::json> traceLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<nlohmann::json> lines;
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(nlohmann::json::accept(line)) << line;
        if (nlohmann::json::accept(line)) lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

std::string a5Bytes() {
    std::string hex;
    for (int i = 0; i < 64; ++i) hex += "a5";
    return hex;
}

TEST(Trace, EveryPassThroughIsOneLineWithItsBlockDataStatusAndSense) {
    e2e::RunOptions options;
    options.environment["TALO_TRACE"] = "trace.jsonl";
    const e2e::RunResult run = e2e::runConsole(
        "ny"
        "dbg write 2 1000 1 A5A5A5A5\n"
        "es 2 inject 1001 media read\n"
        "dbg read 2 1000 2\n"
        "q\n",
        options);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<nlohmann::json> lines = traceLines(run.directory + "/trace.jsonl");

    std::vector<nlohmann::json> passThrough;
    for (const nlohmann::json& line : lines) {
        if (line["device"] == "passThrough") passThrough.push_back(line);
    }
    ASSERT_EQ(passThrough.size(), 3u);

    const nlohmann::json& write = passThrough[0];
    EXPECT_EQ(write["command"], "transferSectors");
    EXPECT_EQ(write["cdb"], "e2010200001000000000000001000000");
    EXPECT_EQ(write["length"], 512);
    EXPECT_EQ(write["dataHead"], a5Bytes());
    EXPECT_EQ(write["dataTail"], a5Bytes());
    EXPECT_EQ(write["ok"], true);
    EXPECT_EQ(write["scsiStatus"], 0);
    EXPECT_EQ(write["sense"], "");
    EXPECT_TRUE(write["us"].is_number_integer());

    EXPECT_EQ(passThrough[1]["command"], "injectSimulatedError");
    EXPECT_EQ(passThrough[1]["direction"], "none");
    EXPECT_EQ(passThrough[1]["length"], 0);

    // The read over the injected error: CHECK CONDITION with the sense of
    // a medium error at 1001h.
    const nlohmann::json& read = passThrough[2];
    EXPECT_EQ(read["cdb"], "e2000200001000000000000002000000");
    EXPECT_EQ(read["length"], 1024);
    EXPECT_EQ(read["scsiStatus"], 2);
    EXPECT_EQ(read["sense"].get<std::string>().substr(0, 36), "f00003000010010a00000000110000000000");

    // Opening the controller's device and identifying it come first.
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["device"], "open");
    EXPECT_EQ(lines[0]["ok"], true);
}

TEST(Trace, EveryLibraryCallIsOneLineWithItsArgumentsBytesAndStatus) {
    e2e::RunOptions options;
    options.environment["TALO_TRACE"] = "trace.jsonl";
    const e2e::RunResult run = e2e::runConsole("y" "ld\n" "ds 99\n" "q\n", options);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<nlohmann::json> lines = traceLines(run.directory + "/trace.jsonl");

    std::vector<std::string> calls;
    for (const nlohmann::json& line : lines) calls.push_back(line["call"]);
    const std::vector<std::string> expected = {
        "hx_initialize",  "hx_discover",          "hx_getNumberOfHBA", "hx_getDiscoverPath",
        "hx_getPhyDrvInfo", "hx_getPhyDrvSettings", "hx_finalize"};
    ASSERT_EQ(calls, expected);

    // ld: the request key asks for 128 disks from id 0 and comes back with
    // the count of the demo's eight; the reply's bytes end where its last
    // record's last byte that is not zero does.
    const nlohmann::json& list = lines[4];
    EXPECT_EQ(list["thread"], "console");
    EXPECT_EQ(list["args"], nlohmann::json::parse(R"({"w1":0,"w2":0,"w3":0,"size":85056})"));
    EXPECT_EQ(list["request"], nlohmann::json::parse(R"({"req":{"length":12,"hex":"0000000080000000ff"}})"));
    EXPECT_EQ(list["reply"]["req"], nlohmann::json::parse(R"({"length":12,"hex":"0000000008000000ff"})"));
    EXPECT_EQ(list["reply"]["buf"]["length"], 85056);
    const std::string disks = list["reply"]["buf"]["hex"];
    EXPECT_GT(disks.size(), 2u * 7 * 664);
    EXPECT_LE(disks.size(), 2u * 85056);
    EXPECT_NE(disks.substr(disks.size() - 2), "00");
    EXPECT_EQ(list["status"], 0);
    EXPECT_TRUE(list["us"].is_number_integer());

    // ds 99: the library refuses the missing disk, and the reply holds
    // nothing.
    const nlohmann::json& settings = lines[5];
    EXPECT_EQ(settings["request"]["req"]["hex"], "630000000100000001");
    EXPECT_EQ(settings["reply"]["buf"], nlohmann::json::parse(R"({"length":80,"hex":""})"));
    EXPECT_EQ(settings["status"], 0xE0000011u);

    EXPECT_EQ(lines[0]["request"]["initBlock"]["length"], 256);
    EXPECT_EQ(lines[2]["reply"]["count"]["hex"], "01");
}

TEST(Trace, WithoutTheVariableNothingIsWritten) {
    const e2e::RunResult run = e2e::runConsole("nyld\nq\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    for (const auto& entry : std::filesystem::directory_iterator(run.directory)) {
        EXPECT_EQ(entry.path().filename().string().find("trace"), std::string::npos)
            << entry.path();
    }
}

}  // namespace

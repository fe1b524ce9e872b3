// The state file as the console meets it: names that are not UTF-8 kept
// byte for byte through both back-ends, and files that do not hold a valid
// state refused before the shell starts, and left as they were.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;
using e2e::runConsole;

const std::string kArrayBanner =
    "-----------------dumping arrays-----------------\n"
    "ID    RAID Width SBS(K) CM LA WR RD   Size(MB)                     Blocks Pt Sy Sh Sb Name Mask "
    "SectorSize\n";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string repeated(const std::string& text, int times) {
    std::string whole;
    for (int i = 0; i < times; ++i) whole += text;
    return whole;
}

std::string afterPrompt(const e2e::RunResult& run) {
    const std::string enter = "\nEnter ? or help for help.\n";
    const std::size_t at = run.output.find(enter);
    return at == std::string::npos ? "unexpected run:\n" + run.output
                                   : run.output.substr(at + enter.size());
}

TEST(StateFile, NamesThatAreNotUtf8AreKeptByteForByte) {
    // A lone 0xFF, and a 62-letter name ending in a two-byte character that
    // the console's 63-byte cut splits after its first byte.
    const std::string letters(62, 'a');
    struct Case {
        Mode createIn;
        std::string typed;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {Mode::Direct, "\xff", "\xff"},
        {Mode::Library, letters + "\xc3\xa9", letters + "\xc3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.size());
        const auto made = runConsole(std::string(c.createIn == Mode::Library ? "y" : "ny") +
                                     "ca raid1 128 \"0 1\" \"0 0\" " + c.typed + " NONE NONE\nq\n");
        ASSERT_EQ(made.exitCode, 0) << made.errors;
        EXPECT_EQ(made.errors, "");
        EXPECT_EQ(afterPrompt(made), "> > ");
        const sim::State state = e2e::stateAfter(made);
        ASSERT_EQ(state.controllers.at(0).arrays.size(), 1u);
        EXPECT_EQ(state.controllers[0].arrays[0].name, c.stored);

        RunOptions options;
        options.state = state;
        const auto library = runConsole("yla\nq\n", options);
        EXPECT_EQ(afterPrompt(library),
                  "> " + kArrayBanner + " 0   RAID1     2     64  1  0 1000001   76318.09                (0,1)  0  0  0  0 " +
                      c.stored + "    0 512\n> ");
        const auto direct = runConsole("nyla\nq\n", options);
        EXPECT_EQ(afterPrompt(direct), "> " + kArrayBanner +
                                           " 0   RAID1     2     64  0  0  1   76318.09                (0,1) " +
                                           c.stored + "\n> ");
    }
}

TEST(StateFile, InvalidStatesEndTheConsoleBeforeTheShellAndStayUntouched) {
    struct Case {
        std::string text;
        std::string why;
    };
    const std::vector<Case> cases = {
        {"{", "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error while "
              "parsing object key - unexpected end of input; expected string literal"},
        {"null\n", "the top level: expected an object"},
        {"[]\n", "the top level: expected an object"},
        {"42\n", "the top level: expected an object"},
        {R"({"controllers": [{"disks": [{}, {}, {"extents": [{"role": "bogus"}]}]}]})",
         "controllers[0].disks[2].extents[0].role: unknown name \"bogus\" (known: free, assigned, "
         "globalSpare, dedicatedSpare, backup, latestBackup)"},
        {R"({"clock": 1e300})", "clock: out of range (0 to 4294967295)"},
        // Wrong types.
        {R"({"controllers": "many"})", "controllers: expected a list"},
        {R"({"ports": [{"kind": "talo", "controller": "0"}]})",
         "ports[0].controller: expected a whole number"},
        {R"({"controllers": [{"disks": [{"id": 0.5}]}]})",
         "controllers[0].disks[0].id: expected a whole number"},
        // Ids out of range, given twice, or naming nothing.
        {R"({"controllers": [{"disks": [{"id": 300}]}]})",
         "controllers[0].disks[0].id: id 300 out of range (0 to 254)"},
        {R"({"controllers": [{"disks": [{"id": 1}, {"id": 1}]}]})",
         "controllers[0].disks[1].id: disk id 1 given twice"},
        {R"({"controllers": [{"arrays": [{"id": 2}, {"id": 2}]}]})",
         "controllers[0].arrays[1].id: array id 2 given twice"},
        {R"({"controllers": [{"disks": [{"extents": [{"arrayId": -1}]}]}]})",
         "controllers[0].disks[0].extents[0].arrayId: id -1 out of range (0 to 254)"},
        {R"({"controllers": [{"disks": [{"id": 0}], "arrays": [{"members": [0, 255, 7]}]}]})",
         "controllers[0].arrays[0].members[2]: no disk 7 on this controller"},
        // Absurd counts.
        {"{\"controllers\": [" + repeated("{},", 64) + "{}]}",
         "controllers: 65 entries, more than the 64 a state may hold"},
        {"{\"osDisks\": [" + repeated("1,", 64) + "1]}",
         "osDisks: 65 entries, more than the 64 a state may hold"},
        // Huge lists.
        {"{\"ignoredEvents\": [" + repeated("7,", 70000) + "7]}",
         "ignoredEvents: a list of 70001 values, more than the 65536 taken"},
        {"{\"controllers\": [{\"events\": [" + repeated("{},", 256) + "{}]}]}",
         "controllers[0].events: 257 entries, more than the 256 a state may hold"},
    };
    for (const Case& c : cases) {
        for (const char* input : {"yca raid0 128 \"0\" \"0\" A NONE NONE\nq\n", "nyq\n"}) {
            SCOPED_TRACE(c.text + " with " + input);
            RunOptions options;
            options.files["state.json"] = c.text;
            const auto run = runConsole(input, options);
            EXPECT_EQ(run.output, "");
            EXPECT_EQ(run.errors, "simulator state 'state.json' cannot be used: " + c.why +
                                      (e2e::targetIsWindows() ? "\r\n" : "\n"));
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_EQ(readFile(run.directory + "/state.json"), c.text);
        }
    }
}

}  // namespace

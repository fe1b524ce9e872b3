// The command table (names, handlers and detail help in one row) and what
// the shell does when a handler throws.

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_harness.h"
#include "console/help_texts.h"
#include "console/keys.h"
#include "console/shell.h"
#include "console_capture.h"

namespace {

std::string generalHelp() {
    ConsoleCapture capture;
    printGeneralHelp();
    return capture.take();
}

// What "? <name>" prints.
std::string helpFor(const std::string& name) {
    const CommandRun run = runLine(nullptr, "? " + name);
    EXPECT_EQ(run.result, 1);
    return run.printed;
}

TEST(CommandTable, EveryRowsHelpIsWhatTheHelpCommandPrints) {
    const std::string general = generalHelp();
    ASSERT_GT(commandEntryCount, 0);
    for (int i = 0; i < commandEntryCount; ++i) {
        const CommandEntry& row = commandEntries[i];
        SCOPED_TRACE(row.name);
        const std::string expected = row.help != nullptr ? row.help : general;
        EXPECT_EQ(helpFor(row.name), expected);
        std::string upper = row.name;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        EXPECT_EQ(helpFor(upper), expected);
        // A row is found by its own name, and no name has two rows.
        EXPECT_EQ(findCommand(row.name), &row);
    }
}

TEST(CommandTable, DetailHelpForExactlyTheseNames) {
    const std::set<std::string> expected = {
        "adapter", "ca",  "ca2", "ds",  "da",  "bga", "gs",    "ac",    "es",   "bsl",   "patrol",
        "dbg",     "blk", "wd",  "enc", "buz", "dsp", "hplug", "alpe", "gsc", "flash", "ie"};
    std::set<std::string> withHelp;
    for (int i = 0; i < commandEntryCount; ++i) {
        if (commandEntries[i].help != nullptr) withHelp.insert(commandEntries[i].name);
    }
    EXPECT_EQ(withHelp, expected);
    // Unknown names and names without a detail text get the general list.
    const std::string general = generalHelp();
    for (const char* name : {"la", "nosuch", "delbp", ""}) EXPECT_EQ(helpFor(name), general) << name;
}

TEST(CommandTable, GeneralListIsUnchanged) {
    const std::string general = generalHelp();
    EXPECT_EQ(std::count(general.begin(), general.end(), '\n'), 34);  // 33 lines, one with a blank before
    EXPECT_EQ(general.rfind("?|h|help\tPrint this information screen.\n", 0), 0u);
    EXPECT_NE(general.find("\nFor commands commented with (*), you can use ? <command name> to get "
                           "detail help information.\n"),
              std::string::npos);
}

TEST(CommandTable, RowsWithoutAHandlerAreUnknownCommands) {
    int withoutHandler = 0;
    for (int i = 0; i < commandEntryCount; ++i) {
        const CommandEntry& row = commandEntries[i];
        if (row.handler != nullptr) continue;
        ++withoutHandler;
        ConsoleCapture capture;
        std::string line = row.name;
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        ControllerDevice* none = nullptr;
        EXPECT_EQ(dispatchLine(&none, buffer.data(), 0), 1);
        EXPECT_EQ(capture.take(), std::string("Invalid command - ") + row.name + "\n");
    }
    // Every command of the console is built now; a row added for its help
    // text alone would be checked above.
    EXPECT_EQ(withoutHandler, 0);
}

// ---- Handlers that throw -------------------------------------------------------------

std::int32_t throwsBadAlloc(ControllerDevice**, std::int32_t, char**) { throw std::bad_alloc(); }
std::int32_t throwsRuntimeError(ControllerDevice**, std::int32_t, char**) {
    throw std::runtime_error("broken");
}
std::int32_t throwsInt(ControllerDevice**, std::int32_t, char**) { throw 42; }
std::int32_t throwsEndOfInput(ControllerDevice**, std::int32_t, char**) { throw EndOfInput{}; }
std::int32_t returnsZero(ControllerDevice**, std::int32_t, char**) { return 0; }

TEST(RunHandler, AnythingThrownIsReportedAndTheConsoleGoesOn) {
    const struct {
        CommandHandler handler;
        std::int32_t result;
        const char* printed;
    } cases[] = {
        {throwsBadAlloc, 1, "Command 'ld' stopped: out of memory.\n"},
        {throwsRuntimeError, 1, "Command 'ld' stopped by an unexpected error.\n"},
        {throwsInt, 1, "Command 'ld' stopped by an unexpected error.\n"},
        {returnsZero, 0, ""},
    };
    for (const auto& c : cases) {
        ConsoleCapture capture;
        char word[] = "ld";
        char* words[MAX_WORDS] = {word};
        ControllerDevice* none = nullptr;
        EXPECT_EQ(runHandler("ld", c.handler, &none, 1, words), c.result);
        EXPECT_EQ(capture.take(), c.printed);
    }
}

TEST(RunHandler, EndOfInputAtAKeyQuestionPassesToStartUp) {
    char word[] = "adapter";
    char* words[MAX_WORDS] = {word};
    ControllerDevice* none = nullptr;
    EXPECT_THROW(runHandler("adapter", throwsEndOfInput, &none, 1, words), EndOfInput);
}

}  // namespace

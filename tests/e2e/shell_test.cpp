// The command shell at the prompt and in scripts: quit words, lines at the
// length limits, and scripts nested to the limit. The other shell cases are
// transcripts in cases/.

#include <gtest/gtest.h>

#include "console_runner.h"

namespace {

using e2e::RunOptions;
using e2e::runConsole;

// Direct mode on the demo controller, up to the first prompt.
const std::string kDirectStart =
    "Use HXAPI ? Y/N\n"
    "Talo Test Console, V1.0\n"
    "Quarrow Technologies. Support: talo-support@quarrow.example\n"
    "Looking for Quarrow Talo controller...\n"
    "\nTalo controller found on scsi1 Driver version: 3.2.0.13\n"
    "\nPress Y to operate with this controller (you can use the 'adapter'\n"
    "command to switch to another controller (if available) at any time),\n"
    "otherwise press N to continue looking for the next controller. (Y|N): Y\n"
    "\nEnter ? or help for help.\n";

const std::string kGeneralHelp =
    "?|h|help\tPrint this information screen.\n"
    "q|exit|bye|quit\tTerminate program execution.\n"
    "adapter\tAdapter Operations. (*)\n"
    "dc\tDump controller information.\n"
    "la\tList all arrays.\n"
    "ld\tList all disks.\n"
    "ds\tDisplay and set disk setting.(*)\n"
    "le\tList all extents.\n"
    "ca\tCreate array. (*)\n"
    "ca2\tCreate array with specified extent index. (*)\n"
    "da\tDelete array. (*)\n"
    "bga\tBGA control. (*)\n"
    "as\tDisplay array status.\n"
    "ac\tDisplay and set array configuration.(*)\n"
    "gs\tDump global settings. (*)\n"
    "gsc\tDump CAM setting. (*)\n"
    "script\tRun script file.\n"
    "delay\tSleep for a while.\n"
    "Patrol\tMedia patrol operations. (*)\n"
    "es\tError simulation operations. (*)\n"
    "bsl\tBSL operations. (*)\n"
    "dbg\tDebugging operations. (*)\n"
    "blk\tExtent Operation. (*)\n"
    "wd\tWipe out disk MDD. (*)\n"
    "enc\tEnclosure Command. (*)\n"
    "bat\tShow battery temperature and voltage.\n"
    "buz\tEnable or disable buzzer. (*)\n"
    "dsp\tEnable, disable or get the status of disk 3G setting. (*)\n"
    "hplug\tEnable, disable or get the hotplug setting for the specified port. (*)\n"
    "alpe\tEnable, disable or get the ALPE setting for the specified port. (*)\n"
    "flash\tFlash BIOS, Firmware or RedBoot (*).\n"
    "delbp\tDelete back up disk\n"
    "\nFor commands commented with (*), you can use ? <command name> to get detail help information.\n";

const std::string kDaHelp =
    "da - Delete an array\nUsage: da <array ID>\nYou can use the 'la' command to list all arrays to "
    "get the array ID.\n";
const std::string kWdHelp = "wd - Wipe out Disk MDD.\nSyntax:\twd <diskID>\n";
// Runs the lines at the prompt in direct mode and returns what they printed
// after the first prompt, up to the end.
std::string atPrompt(const std::string& lines, const RunOptions& options = {}) {
    const auto run = runConsole("ny" + lines, options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);
    if (run.output.compare(0, kDirectStart.size(), kDirectStart) != 0) {
        ADD_FAILURE() << "unexpected start-up:\n" << run.output;
        return run.output;
    }
    return run.output.substr(kDirectStart.size());
}

RunOptions withFiles(std::map<std::string, std::string> files) {
    RunOptions options;
    options.files = std::move(files);
    return options;
}

TEST(Shell, QuitWordsInAnyCase) {
    for (const char* word : {"q", "Q", "exit", "Bye", "QUIT"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(atPrompt(std::string(word) + "\nhelp\n"), "> ");
    }
}

TEST(Shell, LongLinesAtThePrompt) {
    const std::string exactly1023 = "help" + std::string(1019, ' ');
    EXPECT_EQ(atPrompt(exactly1023 + "\nq\n"), "> " + kGeneralHelp + "> ");
    const std::string tooLong = "help" + std::string(1020, ' ');
    const std::string refusal =
        "Line too long: at most 1023 characters are taken. Nothing was run.\n";
    EXPECT_EQ(atPrompt(tooLong + "\nq\n"), "> " + refusal + "> ");
    EXPECT_EQ(atPrompt(std::string(5000, 'x') + "\n? da\nq\n"), "> " + refusal + "> " + kDaHelp + "> ");
}

TEST(Script, LongScriptLinesAreTakenAsSeveralLines) {
    // 1023 characters, then the rest of the same line as a line of its own.
    const std::string first = "help" + std::string(1019, ' ');
    const auto options = withFiles({{"s.txt", first + "zz\n"}});
    EXPECT_EQ(atPrompt("script s.txt\nq\n", options),
              "> > help \n" + kGeneralHelp + "> zz \nInvalid command - zz\n> ");
}

TEST(Script, AScriptThatRunsItselfStopsAtTheNestingLimit) {
    const auto options = withFiles({{"self.txt", "script self.txt\n"}});
    std::string expected = "> ";
    for (int level = 0; level < 32; ++level) expected += "> script self.txt \n";
    expected +=
        "Script 'self.txt' not run: scripts may run other scripts only 32 levels deep.\n> ";
    EXPECT_EQ(atPrompt("script self.txt\nq\n", options), expected);
}

TEST(Script, TwoScriptsRunningEachOtherStopToo) {
    const auto options = withFiles({{"a.txt", "script b.txt\n"}, {"b.txt", "script a.txt\n"}});
    std::string expected = "> ";
    for (int level = 0; level < 32; ++level) {
        expected += level % 2 == 0 ? "> script b.txt \n" : "> script a.txt \n";
    }
    expected += "Script 'a.txt' not run: scripts may run other scripts only 32 levels deep.\n> " +
                kWdHelp + "> ";
    EXPECT_EQ(atPrompt("script a.txt\n? wd\nq\n", options), expected);
}

}  // namespace

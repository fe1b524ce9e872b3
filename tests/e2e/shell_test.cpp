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
const std::string kAdapterHelp =
    "adapter - Adapter Operations\nSyntax:\n  adapter\tList all controllers.\n  adapter <adapter "
    "ID>\tSwitch to the specified controller.\n";
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

const std::string kLineTooLong =
    "Line too long: at most 1023 characters are taken. Nothing was run.\n";
const std::string kLineHoldsNul = "Line not taken: it holds a NUL byte. Nothing was run.\n";

TEST(Script, LongScriptLinesAreRefusedWholeAndTheScriptGoesOn) {
    // A line of 1023 characters runs, also with \r\n after it; the tail of a
    // longer one never runs as a command of its own.
    const std::string fits = "help" + std::string(1019, ' ');
    const std::string commentThenDa = "#" + std::string(1022, 'x') + "? da";
    const std::string fitsBeforeCrLf = "? da" + std::string(1019, ' ');
    const auto options = withFiles({{"s.txt", fits + "\n" + commentThenDa + "\n? wd\r\n" +
                                                  fitsBeforeCrLf + "\r\n" + std::string(1024, 'y') +
                                                  "\n" + std::string(5000, 'z') + "\n? adapter"}});
    EXPECT_EQ(atPrompt("script s.txt\nq\n", options),
              "> > help \n" + kGeneralHelp + kLineTooLong + "> ? wd \n" + kWdHelp + "> ? da \n" +
                  kDaHelp + kLineTooLong + kLineTooLong + "> ? adapter \n" + kAdapterHelp + "> ");
}

TEST(Script, BytesThatAreNotTextDoNoHarm) {
    const char bytes[] = "? da\0? wd\n"  // the part after the NUL must not run either
                         "\xff\xfe ? wd\n"
                         "\x1a\n"  // ends a file read as text on some systems
                         "\r\n"
                         "\0\n"
                         "? wd\r\n";
    const auto options = withFiles({{"s.txt", std::string(bytes, sizeof bytes - 1)}});
    EXPECT_EQ(atPrompt("script s.txt\nq\n", options),
              "> " + kLineHoldsNul +
                  "> \xff\xfe ? wd \nInvalid command - \xff\xfe\n"
                  "> \x1a \nInvalid command - \x1a\n" +
                  kLineHoldsNul + "> ? wd \n" + kWdHelp + "> ");
}

TEST(Shell, ALineHoldingANulByteAtThePromptIsNotRun) {
    const char input[] = "? da\0? wd\n? wd\nq\n";
    EXPECT_EQ(atPrompt(std::string(input, sizeof input - 1)),
              "> " + kLineHoldsNul + "> " + kWdHelp + "> ");
}

const std::string kAlreadyRunning = "' not run: it is already running.\n";

TEST(Script, AScriptThatRunsItselfIsRefused) {
    // However the running script is named: as typed, or by another path to
    // the same file.
    const auto options = withFiles(
        {{"self2.txt", "script self2.txt\nscript ./self2.txt\nscript .//self2.txt\n? wd\n"}});
    EXPECT_EQ(atPrompt("script self2.txt\n? da\nq\n", options),
              "> "
              "> script self2.txt \nScript 'self2.txt" + kAlreadyRunning +
              "> script ./self2.txt \nScript './self2.txt" + kAlreadyRunning +
              "> script .//self2.txt \nScript './/self2.txt" + kAlreadyRunning +
              "> ? wd \n" + kWdHelp + "> " + kDaHelp + "> ");
}

TEST(Script, TwoScriptsRunningEachOtherAreRefusedAtTheFirstRepeat) {
    const auto options = withFiles({{"a.txt", "script b.txt\n? da\n"},
                                    {"b.txt", "script a.txt\nscript b.txt\n? wd\n"}});
    EXPECT_EQ(atPrompt("script a.txt\nq\n", options),
              "> "
              "> script b.txt \n"
              "> script a.txt \nScript 'a.txt" + kAlreadyRunning +
              "> script b.txt \nScript 'b.txt" + kAlreadyRunning +
              "> ? wd \n" + kWdHelp +
              "> ? da \n" + kDaHelp + "> ");
}

TEST(Script, AScriptMayRunAgainOnceItHasEnded) {
    const auto options = withFiles({{"outer.txt", "script inner.txt\nscript inner.txt\n"},
                                    {"inner.txt", "? wd\n"}});
    EXPECT_EQ(atPrompt("script outer.txt\nscript inner.txt\nq\n", options),
              "> "
              "> script inner.txt \n> ? wd \n" + kWdHelp +
              "> script inner.txt \n> ? wd \n" + kWdHelp +
              "> > ? wd \n" + kWdHelp + "> ");
}

TEST(Script, ChainsOfScriptsStopAtTheNestingLimit) {
    // s0 runs s1, s1 runs s2, and so on: 32 scripts run, the 33rd is refused.
    std::map<std::string, std::string> files;
    for (int i = 0; i <= 32; ++i) {
        files["s" + std::to_string(i) + ".txt"] = "script s" + std::to_string(i + 1) + ".txt\n";
    }
    std::string expected = "> ";
    for (int i = 1; i <= 32; ++i) expected += "> script s" + std::to_string(i) + ".txt \n";
    expected += "Script 's32.txt' not run: scripts may run other scripts only 32 levels deep.\n> ";
    EXPECT_EQ(atPrompt("script s0.txt\nq\n", withFiles(files)), expected);
}

}  // namespace

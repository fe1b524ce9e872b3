// Arrays and their background activities end to end: created in one mode
// and seen in the other, deleted, and activities followed with as, la and le
// while the simulator's clock moves on between runs.

#include <gtest/gtest.h>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;
using e2e::runAtPrompt;
using e2e::runConsole;

constexpr std::uint32_t kClock = 315626635;  // Wed Jan 02 02:03:55 1980

const std::string kArrayBanner =
    "-----------------dumping arrays-----------------\n"
    "ID    RAID Width SBS(K) CM LA WR RD   Size(MB)                     Blocks Pt Sy Sh Sb Name Mask "
    "SectorSize\n";
// Library mode on the demo controller, up to the first prompt.
const std::string kLibraryStart =
    "Use HXAPI ? Y/N\n"
    "Y\n"
    "callling hx_initialize() ...\n"
    "callling hx_discover() ...\n"
    "callling hx_getNumberOfHBA() ...\n"
    "Number of HBA is 1\n"
    "Device Discover Path:\n"
    "Device Id: subsys id 256, ctrl id 12576\n"
    "\nEnter ? or help for help.\n";
const std::string kExtentBanner =
    "-----------------dumping extents-----------------\n"
    "DiskID Index AryID Size     StartLBA   MainStatus   FuncStatus AssignStatus  SmartStatus\n";

sim::State clockedDemo() {
    sim::State s = sim::demoState();
    s.clock = kClock;
    return s;
}

// Runs the lines in the mode on the state and returns the printed text and
// the state the run left.
struct Step {
    std::string output;
    sim::State state;
};

Step step(Mode mode, const sim::State& state, const std::string& lines) {
    RunOptions options;
    options.state = state;
    const auto run = runConsole((mode == Mode::Library ? "y" : "ny") + lines + "q\n", options);
    EXPECT_EQ(run.exitCode, 0);
    const std::string enter = "\nEnter ? or help for help.\n";
    const std::size_t at = run.output.find(enter);
    Step s;
    s.output = at == std::string::npos ? run.output : run.output.substr(at + enter.size());
    s.state = e2e::stateAfter(run);
    return s;
}

sim::State later(sim::State state, std::uint32_t seconds) {
    state.clock = *state.clock + seconds;
    return state;
}

TEST(Arrays, CreatedInOneModeAndListedInTheOther) {
    const Step made = step(Mode::Library, clockedDemo(),
                           "ca RAID1 128 \"0 1\" \"0 0\" \"Mirror\" NONE NONE\n");
    EXPECT_EQ(made.output, "> > ");
    EXPECT_EQ(step(Mode::Direct, made.state, "la\n").output,
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  0  0  1   76318.09                (0,1) Mirror\n> ");

    // Direct mode sends no size: each member takes its disk's free extent,
    // and GBB rounds the usable size down to a whole GiB.
    const Step sized =
        step(Mode::Direct, made.state, "ca2 RAID5 128 \"2 3 4\" 10000 \"Five\" GBB NONE 512\n");
    EXPECT_EQ(step(Mode::Library, sized.state, "la\n").output,
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  1  0 1000001   76318.09                (0,1)  0  0  0  0 Mirror    0 512\n"
                  " 1   RAID5     3     64  1  0 1000001  305152.00              (2,3,4)  0  0  0  0 Five    0 512\n"
                  "> ");
}

TEST(Arrays, SizedCreationCarvesExtentsAndDeletionMergesThem) {
    const Step made = step(Mode::Library, clockedDemo(),
                           "ca2 RAID0 128 \"0 1\" 20000 \"Stripe\" NONE NONE 512\nle\n");
    EXPECT_EQ(made.output,
              "> > " + kExtentBanner +
                  "     0     0     0 10000.00     1.00       Idle Functional     Assigned          OK\n"
                  "     0     1    -1 66318.09 10001.00       Idle Functional         Free          OK\n"
                  "     1     0     0 10000.00     1.00       Idle Functional     Assigned          OK\n"
                  "     1     1    -1 66318.09 10001.00       Idle Functional         Free          OK\n"
                  "     2     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     3     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     4     0    -1 238474.18     1.00       Idle Functional         Free          OK\n"
                  "     5     0    -1 305244.34     1.00       Idle Functional         Free          OK\n"
                  "     6     0    -1 476939.02     1.00       Idle Functional         Free          OK\n"
                  "     7     0    -1 953868.71     1.00       Idle Functional         Free          OK\n"
                  "> ");
    // Deleted in direct mode: the extents are free again, and whole.
    const Step gone = step(Mode::Direct, made.state, "da 0\nla\n");
    EXPECT_EQ(gone.output, "> > " + kArrayBanner + "> ");
    EXPECT_EQ(step(Mode::Library, gone.state, "le\n").output,
              "> " + kExtentBanner +
                  "     0     0    -1 76318.09     1.00       Idle Functional         Free          OK\n"
                  "     1     0    -1 76318.09     1.00       Idle Functional         Free          OK\n"
                  "     2     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     3     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     4     0    -1 238474.18     1.00       Idle Functional         Free          OK\n"
                  "     5     0    -1 305244.34     1.00       Idle Functional         Free          OK\n"
                  "     6     0    -1 476939.02     1.00       Idle Functional         Free          OK\n"
                  "     7     0    -1 953868.71     1.00       Idle Functional         Free          OK\n"
                  "> ");
}

TEST(Arrays, ImpossibleRequestsCreateNothing) {
    // Too few disks, an extent already in use, a disk that does not exist,
    // and more space than the disks hold.
    const Step first = step(Mode::Library, clockedDemo(),
                            "ca RAID5 128 \"0 1\" \"0 0\" \"A\" NONE NONE\n"
                            "ca RAID0 128 \"0 9\" \"0 0\" \"B\" NONE NONE\n"
                            "ca2 RAID1 128 \"0 1\" 90000 \"C\" NONE NONE 512\n"
                            "ca RAID0 128 \"0\" \"0\" \"D\" NONE NONE\n"
                            "ca RAID0 128 \"0\" \"0\" \"E\" NONE NONE\n"
                            "la\n");
    EXPECT_EQ(first.output,
              "> > > > > > " + kArrayBanner +
                  " 0   RAID0     1     64  1  0 1000001   76318.09                  (0)  0  0  0  0 D    0 512\n"
                  "> ");
    const Step direct = step(Mode::Direct, first.state, "da 5\nla\n");
    EXPECT_EQ(direct.output,
              "> Scsi status: 02h\n\n"
              "Sense Info -- consult SCSI spec for details\n"
              "-------------------------------------------------------------\n"
              "00000    70 00 05 00 00 00 00 0A 00 00 00 00 24 00 00 00 p...........$...\n"
              "00010    00 00 \n"
              "> " + kArrayBanner +
              " 0   RAID0     1     64  0  0  1   76318.09                  (0) D\n> ");
}

TEST(Activities, InitialisationRunsPausesResumesAndFinishes) {
    Step s = step(Mode::Library, clockedDemo(),
                  "ca RAID5 128 \"0 1 2\" \"0 0 0\" \"Five\" NONE NONE\nbga 0 START INIT BACK\nas 0\n");
    EXPECT_EQ(s.output,
              "> > BGA Init started on Array 0 Type 4\n"
              "> -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16777729\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Initializing   0%\n"
              "Start time Wed Jan 02 02:03:55 1980\n \n"
              "> ");

    s = step(Mode::Library, later(s.state, 250), "bga 0 INIT PAUSE\nas 0\n");
    EXPECT_EQ(s.output,
              "> > -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16777729\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Init Paused    25%\n"
              "Start time Wed Jan 02 02:03:55 1980\n \n"
              "> ");

    // Paused, it stays where it was; resumed, the resume time shows.
    s = step(Mode::Direct, later(s.state, 5000), "bga 0 INIT RESUME\nas 0\n");
    EXPECT_EQ(s.output,
              "> > -----------------Array 0 status-----------------\n"
              "Status, State, BGA, BGA State\n"
              "Optimal, Normal, Backgound initialization, Running, 25%\n"
              "BgaStartTime, BgaLastResumeTime\n"
              "Wed Jan 02 02:03:55 1980\n, Wed Jan 02 03:31:25 1980\n\n"
              "> ");

    s = step(Mode::Library, later(s.state, 749), "as 0\n");
    EXPECT_EQ(s.output,
              "> -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16777729\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Initializing   99%\n"
              "Start time Wed Jan 02 02:03:55 1980\n \n"
              "Last resume time Wed Jan 02 03:31:25 1980\n \n"
              "> ");
    s = step(Mode::Library, later(s.state, 1), "as 0\n");
    EXPECT_EQ(s.output,
              "> -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16777217\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Idle           0%\n"
              "> ");
    ASSERT_FALSE(s.state.controllers[0].events.empty());
    EXPECT_EQ(s.state.controllers[0].events.back().description, "Initialization completed");
}

TEST(Activities, SynchronisationStartedInDirectModeAndAborted) {
    Step s = step(Mode::Library, clockedDemo(), "ca RAID1 128 \"0 1\" \"0 0\" \"M\" NONE NONE\n");
    s = step(Mode::Direct, s.state, "bga 0 START SYNC CHECK\n");
    EXPECT_EQ(s.output, "> > ");
    s = step(Mode::Library, later(s.state, 100), "as 0\nbga 0 SYNC ABORT\nas 0\n");
    EXPECT_EQ(s.output,
              "> -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16779265\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Synchronizing  10%\n"
              "Start time Wed Jan 02 02:03:55 1980\n \n"
              "> > -----------------Array 0 status-----------------\n"
              "pmicAry->ldhx_Flags 16777217\n"
              "Status         BGA            BGA Progress\n"
              "Functional     Idle           0%\n"
              "> ");
    // Starting a second activity while one runs fails and says so.
    s = step(Mode::Library, s.state, "bga 0 START SYNC SYNC\nbga 0 START INIT QUICK\n");
    EXPECT_EQ(s.output,
              "> BGA Sync started on Array 0 Type 0\n"
              "> BGA Init failed to started on Array 0 Type 1\n> ");
}

// A mirror that lost disk 1: its member slot is empty and the disk's space
// is free again.
sim::State lostMirror() {
    sim::State s = clockedDemo();
    sim::Array a;
    a.id = 0;
    a.level = lib::RAID_LEVEL_RAID1;
    a.members = {0, sim::kMissingMember};
    a.sectors = 156301488 - 2048;
    a.rawSectors = 2 * a.sectors;
    a.name = "Lost";
    a.flags = 0x3000001;  // valid, functional, critical
    a.lostMask = 0x2;
    s.controllers[0].arrays.push_back(a);
    sim::Extent e;
    e.start = 2048;
    e.size = a.sectors;
    e.role = sim::ExtentRole::Assigned;
    e.arrayId = 0;
    s.controllers[0].disks[0].extents = {e};
    return s;
}

TEST(Activities, RebuildMakesTheArrayFunctionalAgain) {
    Step s = step(Mode::Library, lostMirror(), "la\nbga 0 START REBUILD \"0\"\nbga 0 START REBUILD \"2\"\nas 0\n");
    EXPECT_EQ(s.output,
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  1  0 3000001   76318.09                (0,-)  0  0  0  0 Lost    2 512\n"
                  "> Failed to start rebuild on Array 0 Disk 0\n"
                  "> Rebuild started on Array 0 Disk 2\n"
                  "> -----------------Array 0 status-----------------\n"
                  "pmicAry->ldhx_Flags 50331905\n"
                  "Status         BGA            BGA Progress\n"
                  "Critical       Rebuild        0%\n"
                  "Start time Wed Jan 02 02:03:55 1980\n \n"
                  "> ");
    s = step(Mode::Direct, later(s.state, 500), "as 0\nla\n");
    EXPECT_EQ(s.output,
              "> -----------------Array 0 status-----------------\n"
              "Status, State, BGA, BGA State\n"
              "Critical, Normal, Rebuild, Running, 50%\n"
              "BgaStartTime, BgaLastResumeTime\n"
              "Wed Jan 02 02:03:55 1980\n, Sun Feb 07 06:28:15 2106\n\n"
              "> " + kArrayBanner +
              " 0   RAID1     2     64  0  0  1   76318.09                (0,-) Lost\n> ");
    s = step(Mode::Library, later(s.state, 500), "la\n");
    EXPECT_EQ(s.output,
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  1  0 1000001   76318.09                (0,2)  0  0  0  0 Lost    0 512\n"
                  "> ");
}

TEST(Activities, MigrationLeavesTheArrayAtItsNewLevel) {
    Step s = step(Mode::Library, clockedDemo(),
                  "ca RAID0 128 \"0 1\" \"0 0\" \"Grow\" NONE NONE\nbga 0 START MIGRATION RAID5 \"2\"\nla\n");
    EXPECT_EQ(s.output,
              "> > Migrate started on Array 0 \n"
              "> " + kArrayBanner +
              " 0   RAID0     2     64  1  0 1001001  152636.17                (0,1)  0  0  0  0 Grow    0 512\n"
              "> ");
    s = step(Mode::Library, later(s.state, 1000), "la\n");
    EXPECT_EQ(s.output,
              "> " + kArrayBanner +
                  " 0   RAID5     3     64  1  0 1000001  152636.17              (0,1,2)  0  0  0  0 Grow    0 512\n"
                  "> ");
}

TEST(Activities, BackupMarksItsExtentAndDelbpRemovesIt) {
    Step s = step(Mode::Library, clockedDemo(),
                  "ca RAID1 128 \"0 1\" \"0 0\" \"Keep\" NONE NONE\nbga 0 START BACKUP \"7\"\nla\n");
    EXPECT_EQ(s.output,
              "> > Back up started on Array 0 Disk 7\n"
              "> " + kArrayBanner +
              " 0   RAID1     2     64  1  0 1102001   76318.09                (0,1)  0  0  0  0 Keep    0 512\n"
              "Debug Info: ArrayID:0, LOGDRV_OPERATION_BACKUP\n"
              "Debug Info: ArrayID:0, LOGDRV_COND_BACKUPING\n"
              "> ");
    s = step(Mode::Library, later(s.state, 1000), "la\nle\n");
    EXPECT_EQ(s.output,
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  1  0 1280001   76318.09                (0,1)  0  0  0  0 Keep    0 512\n"
                  "Debug Info: ArrayID:0, LOGDRV_COND_BACKUPED\n"
                  "Debug Info: ArrayID:0, LOGDRV_COND_BACKUP\n"
                  "> " + kExtentBanner +
                  "     0     0     0 76318.09     1.00       Idle Functional     Assigned          OK\n"
                  "     1     0     0 76318.09     1.00       Idle Functional     Assigned          OK\n"
                  "     2     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     3     0    -1 152626.84     1.00       Idle Functional         Free          OK\n"
                  "     4     0    -1 238474.18     1.00       Idle Functional         Free          OK\n"
                  "     5     0    -1 305244.34     1.00       Idle Functional         Free          OK\n"
                  "     6     0    -1 476939.02     1.00       Idle Functional         Free          OK\n"
                  "     7     0     0 76318.09     1.00       Idle Functional Latest Backup          OK\n"
                  "Debug Info: Extent backup date:Wed Jan 02 02:20:35 1980\n"
                  "     7     1    -1 877550.62 76319.09       Idle Functional         Free          OK\n"
                  "> ");
    // delbp always asks the library, which direct mode never brings up: there
    // it changes nothing.
    s = step(Mode::Direct, s.state, "delbp 0\n");
    EXPECT_EQ(s.output, "> > ");
    EXPECT_TRUE(s.state.controllers[0].arrays[0].flags & 0x200000u);
    s = step(Mode::Library, s.state, "delbp 0\nla\n");
    EXPECT_EQ(s.output, "> > " + kArrayBanner +
                            " 0   RAID1     2     64  1  0 1000001   76318.09                (0,1)  0  0  0  0 Keep    0 512\n"
                            "> ");
}

}  // namespace

namespace {

TEST(Activities, MigrationPromptsReadStandardInputAlsoFromAScript) {
    const Step made = step(Mode::Library, clockedDemo(),
                           "ca RAID0 128 \"0 1 2\" \"0 0 0\" \"Wide\" NONE NONE\n");
    // At the prompt: the answer is the next line of input.
    Step s = step(Mode::Library, made.state, "bga 0 START MIGRATION RAID50 \"3 4 5\"\n2\n");
    EXPECT_EQ(s.output, "> Please enter the subArray Count: Migrate started on Array 0 \n> ");
    ASSERT_TRUE(s.state.controllers[0].arrays[0].activity);
    EXPECT_EQ(s.state.controllers[0].arrays[0].activity->subArrayCount, 2);

    // From a script, the answers still come from standard input.
    RunOptions options;
    options.state = made.state;
    options.files["grow.txt"] = "bga 0 START MIGRATION RAIDMF \"3\"\n";
    const auto run = runConsole("yscript grow.txt\n2\n0\n-1\nq\n", options);
    EXPECT_EQ(run.output, kLibraryStart +
                              "> > bga 0 START MIGRATION RAIDMF 3 \n"
                              "Please enter the parity count: Please enter the symmetric: "
                              "Please enter the shift: Migrate started on Array 0 \n> ");

    // An answer that is not a number, or no answer at all, sends nothing.
    s = step(Mode::Library, made.state, "bga 0 START MIGRATION RAID50 \"3 4 5\"\nx2\n");
    EXPECT_EQ(s.output, "> Please enter the subArray Count: Invalid number 'x2' entered.\n> ");
    EXPECT_FALSE(s.state.controllers[0].arrays[0].activity);
    options.files.clear();
    const auto ended = runConsole("ybga 0 START MIGRATION RAID50 \"3 4 5\"\n", options);
    EXPECT_EQ(ended.exitCode, 0);
    EXPECT_EQ(ended.output,
              kLibraryStart + "> Please enter the subArray Count: Invalid number '' entered.\n> \n");
}

}  // namespace

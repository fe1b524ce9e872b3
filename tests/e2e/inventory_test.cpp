// ld, la and dc in both modes, from states that reach their edge cases and
// from replies made to be absurd.

#include <gtest/gtest.h>

#include "console_runner.h"

namespace {

using e2e::Mode;
using e2e::RunOptions;
using e2e::runAtPrompt;

const std::string kDiskBanner =
    "-----------------dumping disks-----------------\n"
    "ID CH       Size                                    Model                Serial        F/W ENC\n";
const std::string kArrayBanner =
    "-----------------dumping arrays-----------------\n"
    "ID    RAID Width SBS(K) CM LA WR RD   Size(MB)                     Blocks Pt Sy Sh Sb Name Mask "
    "SectorSize\n";

RunOptions withState(const sim::State& state) {
    RunOptions options;
    options.state = state;
    return options;
}

sim::Disk disk(int id, int channel, std::uint64_t sectors, std::string model, std::string serial,
               std::string firmware, int enclosure = 255) {
    sim::Disk d;
    d.id = id;
    d.channel = channel;
    d.sectors = sectors;
    d.model = std::move(model);
    d.serial = std::move(serial);
    d.firmware = std::move(firmware);
    d.enclosureId = enclosure;
    return d;
}

// Disks with ids 0, 1 and 4: the smallest size, enclosures 255, 10 and 0,
// a model ended by a zero byte in its first part, one longer than 40
// characters, and texts that fill their fields without a terminator.
sim::State edgeDisks() {
    sim::State s = sim::demoState();
    s.controllers[0].disks = {
        disk(0, 0, 1024, std::string("SHORT\0HIDDEN TEXT", 17), "S0", "F0"),
        disk(1, 3, 156301488, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdEXTRA",
             "123456789012345678901234", "1234567890", 10),
        disk(4, 4, 2000000000000ull, "Hitachi HDS721010KLA330", "GTA0", "GKAOA74A", 0),
    };
    return s;
}

TEST(ListDisks, NoDisksShowsOnlyTheBanner) {
    sim::State s = sim::demoState();
    s.controllers[0].disks.clear();
    for (Mode mode : {Mode::Library, Mode::Direct}) {
        EXPECT_EQ(runAtPrompt(mode, "ld\nq\n", withState(s)), "> " + kDiskBanner + "> ");
    }
}

TEST(ListDisks, LibraryModeEdgeCases) {
    EXPECT_EQ(runAtPrompt(Mode::Library, "LD extra words\nq\n", withState(edgeDisks())),
              "> " + kDiskBanner +
                  " 0  0       0.50                                    SHORT                    S0         F0 ff\n"
                  " 1  3   76319.09 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd 123456789012345678901234 1234567890  a\n"
                  " 4  4 976562500.00                  Hitachi HDS721010KLA330                  GTA0   GKAOA74A  0\n"
                  "> ");
}

TEST(ListDisks, DirectModeSkipsEmptySlotsAndHasNoEnclosureColumn) {
    EXPECT_EQ(runAtPrompt(Mode::Direct, "ld\nq\n", withState(edgeDisks())),
              "> " + kDiskBanner +
                  " 0  0       0.50                  SHORT                    S0         F0\n"
                  " 1  3   76319.09 ABCDEFGHIJKLMNOPQRSTUVWXYZ012345 123456789012345678901234 1234567890\n"
                  " 4  4 976562500.00 Hitachi HDS721010KLA330                  GTA0   GKAOA74A\n"
                  "> ");
}

// The library's count and its bytes-filled field each limit the listing.
TEST(ListDisks, CountAndFilledLengthThatDisagree) {
    struct Case {
        const char* name;
        std::uint32_t count;
        std::uint32_t filled;
        int lines;
    };
    const Case cases[] = {
        {"count 3, two records filled", 3, 64 + 2 * 664, 2},
        {"count 3, five records filled", 3, 64 + 5 * 664, 3},
        {"filled ends inside the third record", 8, 64 + 2 * 664 + 1, 3},
        {"nothing filled", 8, 64, 0},
        {"absurd count and length", 0xFFFFFFFFu, 0xFFFFFFFFu, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::State s = sim::demoState();
        s.controllers[0].quirks.phyDrvCount = c.count;
        s.controllers[0].quirks.phyDrvFilled = c.filled;
        const std::string out = runAtPrompt(Mode::Library, "ld\nq\n", withState(s));
        ASSERT_EQ(out.substr(0, 2 + kDiskBanner.size()), "> " + kDiskBanner);
        int lines = 0;
        for (char ch : out.substr(2 + kDiskBanner.size())) lines += ch == '\n';
        EXPECT_EQ(lines, c.lines) << out;
    }
}

sim::Array array(int id, std::uint8_t level, std::vector<int> members, std::uint64_t sectors,
                 std::string name) {
    sim::Array a;
    a.id = id;
    a.level = level;
    a.members = std::move(members);
    a.sectors = sectors;
    a.rawSectors = sectors;
    a.name = std::move(name);
    return a;
}

// Arrays that reach the listing's edge cases.
sim::State edgeArrays() {
    sim::State s = sim::demoState();
    auto& arrays = s.controllers[0].arrays;
    arrays.push_back(array(0, sim::kLevelRaid1, {0, 1}, 156301488, "Mirror"));
    arrays.push_back(array(1, sim::kLevelRaid10, {2, 3, 4, 5}, 312581808, "Stripe of mirrors"));
    arrays[1].stripeSectors = 129;
    arrays[1].cacheMode = 0x4;
    arrays[1].lookahead = 7;
    arrays[1].lostMask = 0x2;
    arrays.push_back(array(2, sim::kLevelRaid5, {0, 1, sim::kMissingMember}, 2048, "Lost one"));
    arrays[2].flags = 0x1 | 0x2000000 | 0x80000 | 0x200000;  // critical, backed up, backup
    arrays.push_back(array(3, sim::kLevelRaid6, {0, 1, 2, 3}, 4096, "Six"));
    arrays[3].parityCount = 2;
    arrays[3].symmetric = 1;
    arrays[3].parityShift = -1;
    arrays[3].sectorSize = 4096;
    arrays.push_back(array(4, sim::kLevelRaid50, {0, 1, 2, 3, 4, 5}, 8192, "Fifty"));
    arrays[4].subArrayCount = 2;
    arrays[4].flags = 0x1 | 0x2000 | 0x100000;
    arrays.push_back(array(5, 0x07, {}, 0, ""));
    return s;
}

TEST(ListArrays, LibraryModeEdgeCases) {
    EXPECT_EQ(runAtPrompt(Mode::Library, "la\nq\n", withState(edgeArrays())),
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  1  0 1000001   76319.09                (0,1)  0  0  0  0 Mirror    0 512\n"
                  " 1  RAID10     4     64  4  7 1000001  152627.84            (2,3,4,5)  0  0  0  0 Stripe of mirrors    2 512\n"
                  " 2   RAID5     3     64  1  0 2280001       1.00              (0,1,-)  0  0  0  0 Lost one    0 512\n"
                  "Debug Info: ArrayID:2, LOGDRV_COND_BACKUPED\n"
                  "Debug Info: ArrayID:2, LOGDRV_COND_BACKUP\n"
                  " 3   RAID6     4     64  1  0 1000001       2.00            (0,1,2,3)  2  1 4294967295  0 Six    0 4096\n"
                  " 4  RAID50     6     64  1  0 102001       4.00        (0,1,2,3,4,5)  0  0  0  2 Fifty    0 512\n"
                  "Debug Info: ArrayID:4, LOGDRV_OPERATION_BACKUP\n"
                  "Debug Info: ArrayID:4, LOGDRV_COND_BACKUPING\n"
                  " 5 UNKNOWN     0     64  1  0 1000001       0.00                   ()  0  0  0  0     0 512\n"
                  "> ");
}

TEST(ListArrays, DirectModeNamesLevelsByMemberCount) {
    EXPECT_EQ(runAtPrompt(Mode::Direct, "la\nq\n", withState(edgeArrays())),
              "> " + kArrayBanner +
                  " 0   RAID1     2     64  0  0  1   76319.09                (0,1) Mirror\n"
                  " 1  RAID10     4     64  2  7  0  152627.84            (2,3,4,5) Stripe of mirrors\n"
                  " 2   RAID5     3     64  0  0  1       1.00              (0,1,-) Lost one\n"
                  " 3 UNKNOWN     4     64  0  0  1       2.00            (0,1,2,3) Six\n"
                  " 4 UNKNOWN     6     64  0  0  1       4.00        (0,1,2,3,4,5) Fifty\n"
                  " 5 UNKNOWN     0     64  0  0  1       0.00                   () \n"
                  "> ");
}

TEST(ListArrays, LibraryListingEndsAtTheFirstRecordThatIsNotValid) {
    sim::State s = edgeArrays();
    s.controllers[0].arrays[1].flags = 0x1000000;  // no valid bit: ends the list
    const std::string out = runAtPrompt(Mode::Library, "la\nq\n", withState(s));
    EXPECT_EQ(out, "> " + kArrayBanner +
                       " 0   RAID1     2     64  1  0 1000001   76319.09                (0,1)  0  0  0  0 Mirror    0 512\n"
                       "> ");
}

TEST(ListArrays, CountsAndNamesLongerThanTheirRecordsAreCut) {
    sim::State s = sim::demoState();
    std::vector<int> members;
    for (int i = 0; i < 40; ++i) members.push_back(i % 8);
    s.controllers[0].arrays.push_back(array(0, sim::kLevelRaid0, members, 2048, std::string(100, 'N')));
    s.controllers[0].arrays[0].reportedMemberCount = 200;
    std::string ids;
    for (int i = 0; i < 32; ++i) ids += (i ? "," : "") + std::to_string(i % 8);
    EXPECT_EQ(runAtPrompt(Mode::Library, "la\nq\n", withState(s)),
              "> " + kArrayBanner + " 0   RAID0   200     64  1  0 1000001       1.00 (" + ids +
                  ")  0  0  0  0 " + std::string(84, 'N') + "    0 512\n> ");
    EXPECT_EQ(runAtPrompt(Mode::Direct, "la\nq\n", withState(s)),
              "> " + kArrayBanner + " 0   RAID0   200     64  0  0  1       1.00 (" + ids + ") " +
                  std::string(64, 'N') + "\n> ");
}

TEST(ControllerInfo, LibraryMode) {
    sim::State s = edgeArrays();
    s.controllers[0].eccMemory = false;
    s.controllers[0].memorySizeMb = 512;
    s.controllers[0].productId = 0xABCD;
    s.controllers[0].subProductId = 0x12;
    // Arrays 2 and 4 are not functional (offline), 2 is critical, 0 degraded.
    s.controllers[0].arrays[0].flags = 0x1 | 0x4000000 | 0x1000000;
    EXPECT_EQ(runAtPrompt(Mode::Library, "dc\nq\n", withState(s)),
              "> diskpresent: 8\n"
              "Device ID: 12576\n"
              "Product ID: abcd\n"
              "Sub Product ID: 12\n"
              "Memory Type: Non-ECC Type\n"
              "Memory Size: 512 MB\n"
              "Number of disk presented: 8\n"
              "Number of array presented: 6\n"
              "Number of array Online: 4\n"
              "Number of array Offline: 2\n"
              "Number of array Critical: 1\n"
              "Number of array Degrade: 1\n"
              "BIOS Version: 1.0.12.3\n"
              "firmware Version: 1.2.0.41\n"
              "Driver Version: 3.2.0.19\n"
              "OS Version:Windows XP Professional Service Pack 3 (build 2600)\n"
              "> ");
}

TEST(ControllerInfo, LibraryModeMemoryTypeAndLongHostText) {
    sim::State s = sim::demoState();
    s.hostOs = std::string(600, 'W');
    // The text is cut inside the 520-byte host record.
    EXPECT_EQ(runAtPrompt(Mode::Library, "dc\nq\n", withState(s)),
              "> diskpresent: 8\n"
              "Device ID: 12576\n"
              "Product ID: 3120\n"
              "Sub Product ID: 100\n"
              "Memory Type: ECC Type\n"
              "Memory Size: 256 MB\n"
              "Number of disk presented: 8\n"
              "Number of array presented: 0\n"
              "Number of array Online: 0\n"
              "Number of array Offline: 0\n"
              "Number of array Critical: 0\n"
              "Number of array Degrade: 0\n"
              "BIOS Version: 1.0.12.3\n"
              "firmware Version: 1.2.0.41\n"
              "Driver Version: 3.2.0.19\n"
              "OS Version:" +
                  std::string(455, 'W') + "\n> ");
}

TEST(DirectFailures, CheckConditionAndSystemErrorStopTheListings) {
    sim::State sense = sim::demoState();
    sense.failures.vendorCheckCondition = {0x05, 0x24, 0x00};
    const std::string report =
        "Scsi status: 02h\n\n"
        "Sense Info -- consult SCSI spec for details\n"
        "-------------------------------------------------------------\n"
        "00000    70 00 05 00 00 00 00 0A 00 00 00 00 24 00 00 00 p...........$...\n"
        "00010    00 00 \n";
    EXPECT_EQ(runAtPrompt(Mode::Direct, "ld\nla\ndc\nq\n", withState(sense)),
              "> " + kDiskBanner + report + "> " + kArrayBanner + report + "> " + report + "> ");

    sim::State ioctl = sim::demoState();
    ioctl.failures.passThroughError = 1117;
    const std::string error =
        "The request could not be performed because of an I/O device error.\r\n\n";
    EXPECT_EQ(runAtPrompt(Mode::Direct, "ld\ndc\nq\n", withState(ioctl)),
              "> " + kDiskBanner + error + "> " + error + "> ");
}

}  // namespace

// ld, la and dc from replies made to be absurd, texts longer than their
// records, and failing vendor commands. The listings of the demo and of
// states at their edge cases are transcripts in cases/.

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

sim::Disk disk(int id, int channel, std::uint64_t sectors, std::string model, std::string serial,
               std::string firmware) {
    sim::Disk d;
    d.id = id;
    d.channel = channel;
    d.sectors = sectors;
    d.model = std::move(model);
    d.serial = std::move(serial);
    d.firmware = std::move(firmware);
    return d;
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

TEST(ListDisks, DisksWhoseByteCountsPassSixtyFourBits) {
    // Four disks of 2^63 sectors: sectors * 512 does not fit in 64 bits, the
    // megabytes are shown all the same, and no array that would hold more
    // sectors than a 64-bit count is made of them.
    sim::State s = sim::demoState();
    s.controllers[0].disks.clear();
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        s.controllers[0].disks.push_back(
            disk(i, i, std::uint64_t{1} << 63, "HUGE" + n, "S" + n, "F" + n));
    }
    const std::string input = "ld\nca RAID0 128 \"0 1 2 3\" \"0 0 0 0\" Big NONE NONE\nla\nq\n";
    EXPECT_EQ(runAtPrompt(Mode::Library, input, withState(s)),
              "> " + kDiskBanner +
                  " 0  0 4503599627370496.00                                    HUGE0                    S0         F0 ff\n"
                  " 1  1 4503599627370496.00                                    HUGE1                    S1         F1 ff\n"
                  " 2  2 4503599627370496.00                                    HUGE2                    S2         F2 ff\n"
                  " 3  3 4503599627370496.00                                    HUGE3                    S3         F3 ff\n"
                  "> > " + kArrayBanner + "> ");
    EXPECT_EQ(runAtPrompt(Mode::Direct, input, withState(s)),
              "> " + kDiskBanner +
                  " 0  0 4503599627370496.00                  HUGE0                    S0         F0\n"
                  " 1  1 4503599627370496.00                  HUGE1                    S1         F1\n"
                  " 2  2 4503599627370496.00                  HUGE2                    S2         F2\n"
                  " 3  3 4503599627370496.00                  HUGE3                    S3         F3\n"
                  "> "
                  // The controller refuses the array: illegal request, invalid field.
                  "Scsi status: 02h\n\n"
                  "Sense Info -- consult SCSI spec for details\n"
                  "-------------------------------------------------------------\n"
                  "00000    70 00 05 00 00 00 00 0A 00 00 00 00 26 00 00 00 p...........&...\n"
                  "00010    00 00 \n"
                  "> " + kArrayBanner + "> ");
}

TEST(ListArrays, CountsAndNamesLongerThanTheirRecordsAreCut) {
    sim::State s = sim::demoState();
    std::vector<int> members;
    for (int i = 0; i < 40; ++i) members.push_back(i % 8);
    s.controllers[0].arrays.push_back(array(0, lib::RAID_LEVEL_RAID0, members, 2048, std::string(100, 'N')));
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

// bgaschd: the buffers handed to the library, byte by byte, every refusal
// with nothing sent, and the entry walk over hostile buffers.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "access/schedule_records.h"
#include "command_harness.h"
#include "platform/record.h"
#include "sim/call_log.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Fields = std::map<std::size_t, std::uint8_t>;

constexpr std::size_t kEntry = lib::ScheduleBufferHead::kSize;

// A buffer of `size` zero bytes with the given bytes set; entry offsets are
// counted from the entry's start.
Bytes buffer(std::size_t size, const Fields& head, const Fields& entry) {
    Bytes b(size, 0);
    for (const auto& [at, v] : head) b[at] = v;
    for (const auto& [at, v] : entry) b[kEntry + at] = v;
    return b;
}

// Where a buffer differs from the expected one, as text (empty: none).
std::string differences(const Bytes& got, const Bytes& want) {
    if (got.size() != want.size()) return "size " + std::to_string(got.size()) + " not " + std::to_string(want.size());
    std::string text;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] != want[i]) {
            text += " [" + std::to_string(i) + "]=" + std::to_string(got[i]) + " not " + std::to_string(want[i]);
        }
    }
    return text;
}

class Schedules : public SimulatorFixture {
protected:
    std::size_t sent() {
        return sim::libraryCallCount("hx_addBGASchedule") + sim::libraryCallCount("hx_modifyBGASchedule") +
               sim::libraryCallCount("hx_deleteBGASchedule");
    }
};

TEST_F(Schedules, AddBuildsOneEntryInAClearedBuffer) {
    // Head: the control id at 32, the entry count of the type at 46 + type.
    const struct {
        const char* line;
        Fields head;
        Fields entry;
    } cases[] = {
        {"bgaschd add MP enable 120 60 ONCE 12/25/2007 NONE",
         {{46, 1}},
         {{0, 0}, {4, 1}, {5, 0}, {6, 120}, {8, 60}, {20, 1}, {24, 25}, {25, 12}, {26, 2007 & 0xFF}, {27, 2007 >> 8}}},
        {"bgaschd add SC enable 0 30 WEEKLY 2 Sun 1/1/2008 COUNT 10",
         {{49, 1}},
         {{0, 3}, {4, 1}, {5, 2}, {8, 30}, {12, 2}, {13, 64}, {20, 2}, {21, 10}, {24, 1}, {25, 1},
          {26, 2008 & 0xFF}, {27, 2008 >> 8}}},
        {"bgaschd add RB enable 0 30 MONTHLY ORDINAL Last Fri Dec 1/1/2008 NONE 2 \"3 4\" 1",
         {{51, 1}},
         {{0, 5}, {4, 1}, {5, 3}, {8, 30}, {12, 0x00}, {13, 0x08}, {14, 1}, {16, 5}, {17, 5}, {20, 1}, {24, 1},
          {25, 1}, {26, 2008 & 0xFF}, {27, 2008 >> 8}, {32, 1}, {34, 2}, {36, 3}, {38, 4}}},
        {"bgaschd add RC disable 1500 70000 DAILY 3 2/29/2008 DATE 12/31/2009 1 3 \"0 1 2\"",
         {{47, 1}},
         {{0, 1}, {4, 0}, {5, 1}, {6, 1500 & 0xFF}, {7, 1500 >> 8}, {8, 70000 & 0xFF}, {9, (70000 >> 8) & 0xFF},
          {10, 70000 >> 16}, {12, 3}, {20, 3}, {24, 29}, {25, 2}, {26, 2008 & 0xFF}, {27, 2008 >> 8}, {28, 31},
          {29, 12}, {30, 2009 & 0xFF}, {31, 2009 >> 8}, {32, 1}, {34, 3}, {36, 0}, {38, 1}, {40, 2}}},
        {"bgaschd add MG enable 0 30 MONTHLY DAY 31 Jan 1/1/1900 NONE RAID50 2 \"5 6\" 0 2",
         {{50, 1}},
         {{0, 4}, {4, 1}, {5, 3}, {8, 30}, {12, 1}, {14, 0}, {16, 31}, {20, 1}, {24, 1}, {25, 1},
          {26, 1900 & 0xFF}, {27, 1900 >> 8}, {32, 0x50}, {34, 0}, {37, 2}, {38, 2}, {40, 5}, {42, 6}}},
        {"bgaschd add MG enable 0 30 ONCE 1/1/2008 NONE RAIDMF 1 \"5\" 0 2",
         {{50, 1}},
         {{0, 4}, {4, 1}, {8, 30}, {20, 1}, {24, 1}, {25, 1}, {26, 2008 & 0xFF}, {27, 2008 >> 8}, {32, 6},
          {36, 2}, {38, 1}, {40, 5}}},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(differences(sim::lastLibraryCall("hx_addBGASchedule"),
                              buffer(lib::kScheduleBufferSize, c.head, c.entry)),
                  "")
            << c.line;
    }
}

TEST_F(Schedules, ChangeAndDeleteBuffers) {
    controllerContext.selectController(3);  // the control id, whether or not the controller answers
    EXPECT_EQ(run("bgaschd mod SC disable 0 30 ONCE 1/1/2008 NONE 7"), "");
    EXPECT_EQ(differences(sim::lastLibraryCall("hx_modifyBGASchedule"),
                          buffer(lib::kScheduleBufferSize, {{32, 3}, {49, 1}},
                                 {{0, 3}, {1, 7}, {8, 30}, {20, 1}, {24, 1}, {25, 1}, {26, 2008 & 0xFF},
                                  {27, 2008 >> 8}})),
              "");
    EXPECT_EQ(run("bgaschd del RC 2"), "");
    // The delete's buffer has no control id.
    EXPECT_EQ(differences(sim::lastLibraryCall("hx_deleteBGASchedule"),
                          buffer(lib::kScheduleDeleteSize, {{47, 1}}, {{0, 1}, {1, 2}})),
              "");
    controllerContext.selectController(0);
}

TEST_F(Schedules, RefusalsSendNothing) {
    const std::string params =
        "Invalid Parameters, please check and also you can get the help information by typing 'help bgaschd'\n";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"bgaschd", params},
        {"bgaschd list", ""},
        {"bgaschd add", "BGAschd Type not specified.\n"},
        {"bgaschd add XX enable", "must be 'MP','RC','BRC','SC'\n"},
        {"bgaschd add MP", "BGAschd enable or disable not specified.\n"},
        {"bgaschd add MP on 0 30 ONCE 1/1/2008 NONE", "Must be either 'disable' or 'enable'\n"},
        {"bgaschd add MP enable", "BGAschd start time not specified.\n"},
        {"bgaschd add MP enable 0", "BGAschd duration not specified.\n"},
        {"bgaschd add MP enable 0 30", "BGAschd DayPattern Type not specified.\n"},
        {"bgaschd add MP enable 0 30 YEARLY", "must be 'ONCES','DALIY','WEEKLY','MONTHLY'\n"},
        {"bgaschd add MP enable 0 30 ONCE", "BGAschd start date not specified.\n"},
        {"bgaschd add MP enable 0 30 ONCE 13/1/2008 NONE", "Error Month Parameter value, 0 < month < 13\n"},
        {"bgaschd add MP enable 0 30 ONCE 0/1/2008 NONE", "Error Month Parameter value, 0 < month < 13\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/32/2008 NONE", "Error Day Parameter value, 1 <= day <= 31\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/1899 NONE", "Error Year Parameter value, year > 1900\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/70000 NONE", "Error Year Parameter value, year < 65536\n"},
        {"bgaschd add MP enable 0 30 ONCE 1-1-2008 NONE", "Error Day Parameter value, 1 <= day <= 31\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/2008", "BGAschd End Type not specified.\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/2008 NEVER", "must be 'NONE','COUNT','DATE'"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/2008 COUNT", "BGAschd number of recurrences not specified.\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/2008 DATE", "BGAschd end date not specified.\n"},
        {"bgaschd add MP enable 0 30 ONCE 1/1/2008 DATE 1/1/1800", "Error Year Parameter value, year > 1900\n"},
        {"bgaschd add MP enable 0 30 DAILY", "BGAschd day interval not specified.\n"},
        {"bgaschd add MP enable 0 30 DAILY 511 1/1/2008 NONE", ""},
        {"bgaschd add MP enable 0 30 WEEKLY 54 Sun 1/1/2008 NONE",
         "Out of Scope, Weekly interval should more than 1 and less than 53\n"},
        {"bgaschd add MP enable 0 30 WEEKLY 2", "BGAschd day of week not specified.\n"},
        {"bgaschd add MP enable 0 30 WEEKLY 2 Sunday 1/1/2008 NONE",
         "Unknow Day of Week: Sunday,must be 'Mon','Tue','Wen','Thur','Fri','Sat','Sun'\n"},
        {"bgaschd add MP enable 0 30 MONTHLY", "BGAschd DayPattern Type not specified.\n"},
        {"bgaschd add MP enable 0 30 MONTHLY WEEK", "must be 'DAY','ORDINAL'"},
        {"bgaschd add SC enable 0 30 MONTHLY DAY 40 Jan 1/1/2008 NONE", "must between 1~31"},
        {"bgaschd add SC enable 0 30 MONTHLY DAY 3 Janu 1/1/2008 NONE", "Unknow Month: Janu\n"},
        {"bgaschd add SC enable 0 30 MONTHLY DAY 3", "BGAschd End Type not specified.\n"},
        {"bgaschd add SC enable 0 30 MONTHLY ORDINAL", "BGAschd End Type not specified.\n"},
        {"bgaschd add SC enable 0 30 MONTHLY ORDINAL Fifth", "must be First,Second,Third,Fourth,Last\n"},
        {"bgaschd add SC enable 0 30 MONTHLY ORDINAL Last", "BGAschd End Type not specified.\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE", "BGAschd automatic fix flag not specified.\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE 1", "BGAschd number of devices not specified.\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE 1 2", "BGAschd device IDs not specified.\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE 1 2 \"0\"",
         "Number of devices 2 does not match the 1 device IDs given.\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE 1 0 \"\"", "No block ID specified!\n"},
        {"bgaschd add RC enable 0 30 ONCE 1/1/2008 NONE 1 1 \"x\"", "Invalid block ID 'x' specified!\n"},
        {"bgaschd add RB enable 0 30 ONCE 1/1/2008 NONE 1 \"3\"", "BGAschd array ID not specified.\n"},
        {"bgaschd add MG enable 0 30 ONCE 1/1/2008 NONE", "BGAschd RAID level not specified.\n"},
        {"bgaschd add MG enable 0 30 ONCE 1/1/2008 NONE RAID7 1 \"3\" 0", "Unknown RAID level 'RAID7' specified!\n"},
        {"bgaschd add MG enable 0 30 ONCE 1/1/2008 NONE RAID6 1 \"3\" 0", "BGAschd parity count not specified.\n"},
        {"bgaschd add MG enable 0 30 ONCE 1/1/2008 NONE RAID50 1 \"3\" 0",
         "BGAschd sub-array count not specified.\n"},
        {"bgaschd mod MP enable 0 30 ONCE 1/1/2008 NONE", "BGAschd sequence number not specified.\n"},
        {"bgaschd del", "BGAschd Type not specified.\n"},
        {"bgaschd del RC", "BGAschd sequence number not specified.\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sent(), 0u) << c.line;
    }
}

// The walk, fed what no controller should send.
TEST(ScheduleWalk, NeverLeavesTheScanLength) {
    using H = lib::ScheduleBufferHead;
    const auto walk = [](const Bytes& b) {
        std::vector<std::size_t> offsets;
        const rec::ByteView v(b.data(), b.size());
        for (auto at = lib::nextScheduleEntry(v, 0); at && offsets.size() < 100; at = lib::nextScheduleEntry(v, *at)) {
            offsets.push_back(*at);
        }
        return offsets;
    };
    Bytes b(lib::kScheduleBufferSize, 0);
    for (std::size_t t = 0; t < 6; ++t) b[H::EntryCounts::offset + t] = 255;
    // 255 of each type claimed; MP entries (type 0) fill the scan length:
    // 30 entries of 32 bytes end at 1012, and the next does not fit.
    std::vector<std::size_t> expected;
    for (std::size_t at = 52; at + 32 <= 1024; at += 32) expected.push_back(at);
    EXPECT_EQ(walk(b), expected);

    // An RC entry whose device count runs past the scan length ends the walk.
    b[52] = lib::SCHEDULE_RC;
    b[52 + 34] = 0xFF;
    b[52 + 35] = 0xFF;
    EXPECT_EQ(walk(b), std::vector<std::size_t>{});
    // One with 468 devices ends exactly at 1024 and is found.
    b[52 + 34] = 468 & 0xFF;
    b[52 + 35] = 468 >> 8;
    EXPECT_EQ(walk(b), std::vector<std::size_t>{52});

    // Unknown type codes are passed over by 32 bytes, uncounted.
    Bytes c(2000, 0);
    c[H::EntryCounts::offset + lib::SCHEDULE_SC] = 1;
    c[52] = 9;
    c[84] = 200;
    c[116] = lib::SCHEDULE_SC;
    EXPECT_EQ(walk(c), std::vector<std::size_t>{116});
    // A buffer shorter than its head holds nothing.
    EXPECT_EQ(walk(Bytes(40, 0xFF)), std::vector<std::size_t>{});
}

}  // namespace

// le and as, in process: the extent status words and the extent rows of a
// disk reply made here, the as name tables, condition and time lines, the
// direct-mode output against a driver that answers the two vendor commands
// with bytes set here, and the argument errors in both modes.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "access/array_records.h"
#include "access/driver_protocol.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/vendor_commands.h"
#include "command_harness.h"
#include "commands/array_status.h"
#include "commands/extents.h"
#include "console_capture.h"
#include "fake_driver.h"
#include "platform/record.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------
// le: status words

struct WordCase {
    std::uint32_t flags;
    const char* word;
};

TEST(ExtentStatus, MainStatusFirstActivityWins) {
    const WordCase cases[] = {
        {0x00000000, "Idle"},
        {0x08000000, "Rebuild"},
        {0x08000100, "Rebuild"},  // rebuild before sync
        {0x18009300, "Rebuild"},  // every activity bit
        {0x10000000, "Rebuild Aborted"},
        {0x10009300, "Rebuild Aborted"},
        {0x00000100, "Sync"},
        {0x00009300, "Sync"},
        {0x00001000, "Migrate"},
        {0x00009200, "Migrate"},
        {0x00000200, "Init"},
        {0x00008200, "Init"},
        {0x00008000, "Backup"},
        // Every bit but the activity ones.
        {0xE7FF6CFF, "Idle"},
        // Backup extent bits and a running backup are different things.
        {0x00000018, "Idle"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(mainStatusOf(c.flags), c.word);
    }
}

TEST(ExtentStatus, FunctionalStatus) {
    const WordCase cases[] = {
        {0x00000000, "Offline"},
        {0x01000000, "Functional"},
        {0xFEFFFFFF, "Offline"},
        {0xFFFFFFFF, "Functional"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(functionalStatusOf(c.flags), c.word);
    }
}

TEST(ExtentStatus, AssignStatusNotAccessibleComesFirst) {
    const WordCase cases[] = {
        {0x00000000, "NotAccess"},
        {0x00000001, "NotAccess"},
        {0x0020001F, "NotAccess"},  // every assignment bit, not accessible
        {0xFFBFFFFF, "NotAccess"},  // every bit but accessible
        {0x00400000, "Unknown"},
        {0x01420000, "Unknown"},  // accessible, functional, SMART failure: no assignment
        {0x00400001, "Assigned"},
        {0x0060001F, "Assigned"},
        {0x00400002, "GlobalSp"},
        {0x0060001E, "GlobalSp"},
        {0x00400004, "DedicateSp"},
        {0x0060001C, "DedicateSp"},
        {0x00600000, "Free"},
        {0x00600018, "Free"},
        {0x00400008, "Backup"},
        {0x00400018, "Backup"},
        {0x00400010, "Latest Backup"},
        {0xFFFFFFFF, "Assigned"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(assignStatusOf(c.flags), c.word);
    }
}

TEST(ExtentStatus, SmartStatus) {
    const WordCase cases[] = {
        {0x00000000, "OK"},
        {0x00020000, "Fail"},
        {0xFFFDFFFF, "OK"},
        {0xFFFFFFFF, "Fail"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(smartStatusOf(c.flags), c.word);
    }
}

TEST(ExtentStatus, ArrayIdColumn) {
    const struct {
        std::uint16_t id;
        int shown;
    } cases[] = {{0, 0}, {1, 1}, {254, 254}, {255, -1}, {256, 256}, {0xFFFF, 65535}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(shownArrayId(c.id), c.shown);
    }
}

// ---------------------------------------------------------------------------
// le: the rows of a reply

struct ExtentFields {
    std::uint16_t index = 0;
    std::uint32_t flags = 0;
    std::uint16_t arrayId = 255;
    std::uint32_t backupTime = 0;
    std::uint64_t start = 0;
    std::uint64_t size = 0;
};

struct DiskFields {
    std::uint16_t id = 0;
    std::uint8_t inUse = 0;  // the count the record claims
    std::vector<ExtentFields> extents;  // table entries written
};

constexpr std::size_t kFullReply = 64 + 128 * 664;

constexpr std::uint32_t filledFor(std::uint32_t disks) { return 64 + disks * 664; }

// A reply buffer of the given size with the disks' records from offset 64
// and the bytes-filled field set.
Bytes replyOf(const std::vector<DiskFields>& disks, std::uint32_t filled,
              std::size_t size = kFullReply) {
    Bytes reply(size, 0);
    const rec::ByteSpan span(reply.data(), reply.size());
    span.put<lib::InfoReplyHeader::BytesFilled>(filled);
    for (std::size_t k = 0; k < disks.size(); ++k) {
        const rec::ByteSpan disk = span.sub(64 + k * 664, 664);
        disk.put<lib::PhyDrvInfo::DiskId>(disks[k].id);
        disk.put<lib::PhyDrvInfo::ExtentCount>(disks[k].inUse);
        const rec::ByteSpan table = disk.sub<lib::PhyDrvInfo::Extents>();
        for (std::size_t j = 0; j < disks[k].extents.size(); ++j) {
            const ExtentFields& e = disks[k].extents[j];
            const rec::ByteSpan entry = table.sub(j * 32, 32);
            entry.put<lib::PhyDrvExtent::Index>(e.index);
            entry.put<lib::PhyDrvExtent::Flags>(e.flags);
            entry.put<lib::PhyDrvExtent::ArrayId>(e.arrayId);
            entry.put<lib::PhyDrvExtent::BackupTime>(e.backupTime);
            entry.put<lib::PhyDrvExtent::Start>(e.start);
            entry.put<lib::PhyDrvExtent::Size>(e.size);
        }
    }
    return reply;
}

std::string rowsOf(const Bytes& reply) {
    ConsoleCapture capture;
    printExtentRows(rec::ByteView(reply.data(), reply.size()));
    return capture.take();
}

// Flags of common extents.
constexpr std::uint32_t kFreeFlags = 0x01600000;      // functional, accessible, free
constexpr std::uint32_t kAssignedFlags = 0x01400001;  // functional, accessible, assigned

// A free extent after the metadata area: 1024 sectors at sector 2048.
const ExtentFields kFreeExtent{0, kFreeFlags, 255, 0, 2048, 1024};
const char* const kFreeRow =
    "     2     0    -1     0.50     1.00       Idle Functional         Free          OK\n";

struct RowsCase {
    const char* name;
    Bytes reply;
    std::string printed;
};

std::ostream& operator<<(std::ostream& os, const RowsCase& c) { return os << c.name; }

std::vector<RowsCase> rowsCases() {
    const DiskFields freeDisk{2, 1, {kFreeExtent}};
    const DiskFields otherDisk{3, 1, {{1, kAssignedFlags, 0, 0, 4096, 2048}}};
    const std::string otherRow =
        "     3     1     0     1.00     2.00       Idle Functional     Assigned          OK\n";

    std::vector<RowsCase> cases;
    cases.push_back({"NothingFilled", replyOf({freeDisk}, 0), ""});
    cases.push_back({"OnlyTheHeaderFilled", replyOf({freeDisk}, 64), ""});
    cases.push_back({"LessThanTheHeader", replyOf({freeDisk}, 63), ""});
    cases.push_back({"OneByteShortOfARecord", replyOf({freeDisk}, filledFor(1) - 1), ""});
    cases.push_back({"AllOnesIsNegative", replyOf({freeDisk}, 0xFFFFFFFFu), ""});
    cases.push_back({"OneRecordFilled", replyOf({freeDisk, otherDisk}, filledFor(1)), kFreeRow});
    cases.push_back(
        {"SecondRecordCutShort", replyOf({freeDisk, otherDisk}, filledFor(2) - 1), kFreeRow});
    cases.push_back({"TwoRecordsFilled", replyOf({freeDisk, otherDisk}, filledFor(2)),
                     kFreeRow + otherRow});
    cases.push_back({"ClaimsMoreDisksThanWritten", replyOf({freeDisk, otherDisk}, filledFor(100)),
                     kFreeRow + otherRow});
    // A disk with no extent in use adds nothing, whatever its table holds.
    cases.push_back({"DiskWithoutExtents",
                     replyOf({{7, 0, {kFreeExtent}}, otherDisk}, filledFor(2)), otherRow});

    // The status columns and the array id column.
    cases.push_back(
        {"StatusColumns",
         replyOf({{0,
                   5,
                   {{0, 0x09400101, 1, 0, 2048, 2048},    // rebuild and sync: Rebuild
                    {1, 0x00000001, 254, 0, 0, 0},        // not accessible, offline
                    {2, 0x01420004, 256, 0, 0, 2},        // dedicated spare, SMART failure
                    {3, 0x10400002, 0xFFFF, 0, 0, 0},     // global spare, rebuild aborted, offline
                    {4, 0x01401201, 0, 0, 1953525168, 1953525168}}}},  // migrate and init
                 filledFor(1)),
         "     0     0     1     1.00     1.00    Rebuild Functional     Assigned          OK\n"
         "     0     1   254     0.00     0.00       Idle    Offline    NotAccess          OK\n"
         "     0     2   256     0.00     0.00       Idle Functional   DedicateSp        Fail\n"
         "     0     3 65535     0.00     0.00 Rebuild Aborted    Offline     GlobalSp          OK\n"
         "     0     4     0 953869.71 953869.71    Migrate Functional     Assigned          OK\n"});

    // Backup extents (0x8 or 0x10) are followed by their backup date.
    cases.push_back(
        {"BackupDates",
         replyOf({{1,
                   4,
                   {{0, 0x01400008, 255, 315626635, 2048, 1024},
                    {1, 0x01400010, 255, 951868799, 3072, 1024},
                    {2, 0x01408018, 0, 0, 4096, 1024},
                    {3, 0x01400001, 0, 315626635, 5120, 1024}}}},
                 filledFor(1)),
         "     1     0    -1     0.50     1.00       Idle Functional       Backup          OK\n"
         "Debug Info: Extent backup date:Wed Jan 02 02:03:55 1980\n"
         "     1     1    -1     0.50     1.50       Idle Functional Latest Backup          OK\n"
         "Debug Info: Extent backup date:Tue Feb 29 23:59:59 2000\n"
         "     1     2     0     0.50     2.00     Backup Functional       Backup          OK\n"
         "Debug Info: Extent backup date:Thu Jan 01 00:00:00 1970\n"
         "     1     3     0     0.50     2.50       Idle Functional     Assigned          OK\n"});

    // A count in use above 16 takes the 16 table entries and no more: the
    // bytes after the table belong to the next disk.
    {
        DiskFields many{4, 200, {}};
        std::string printed;
        for (std::uint16_t j = 0; j < 16; ++j) {
            many.extents.push_back({j, kFreeFlags, 255, 0, 0, 0});
            char line[128];
            std::snprintf(line, sizeof line,
                          "     4 %5d    -1     0.00     0.00       Idle Functional         Free"
                          "          OK\n",
                          j);
            printed += line;
        }
        cases.push_back({"AtMostSixteenExtents",
                         replyOf({many, {0x0900, 0, {}}}, filledFor(2)), printed});
        DiskFields seventeen = many;
        seventeen.inUse = 17;
        cases.push_back(
            {"SeventeenInUse", replyOf({seventeen, {0x0900, 0, {}}}, filledFor(2)), printed});
        DiskFields sixteen = many;
        sixteen.inUse = 16;
        cases.push_back(
            {"SixteenInUse", replyOf({sixteen, {0x0900, 0, {}}}, filledFor(2)), printed});
    }

    // At most 128 disks, however much the reply claims and however large
    // the buffer it was put in.
    {
        std::vector<DiskFields> disks(130);
        for (std::uint16_t k = 0; k < 130; ++k) disks[k].id = k;
        for (const std::uint16_t k : std::initializer_list<std::uint16_t>{0, 127, 128, 129}) disks[k] = {k, 1, {kFreeExtent}};
        const std::string printed =
            "     0     0    -1     0.50     1.00       Idle Functional         Free          OK\n"
            "   127     0    -1     0.50     1.00       Idle Functional         Free          OK\n";
        cases.push_back({"AtMost128Disks",
                         replyOf(disks, filledFor(130), 64 + 130 * 664), printed});
        disks.resize(128);
        cases.push_back({"HugeFilledCountStopsAt128",
                         replyOf(disks, 0x80000000u), printed});
    }
    // A record that does not lie wholly inside the buffer is not taken.
    cases.push_back({"RecordPastTheBuffer",
                     replyOf({freeDisk, {5, 1, {kFreeExtent}}}, filledFor(2), 64 + 664 + 400),
                     kFreeRow});
    cases.push_back({"BufferShorterThanTheHeader", Bytes(40, 0xFF), ""});
    return cases;
}

class ExtentRows : public testing::TestWithParam<RowsCase> {};

TEST_P(ExtentRows, PrintsExactly) {
    const RowsCase& c = GetParam();
    EXPECT_EQ(rowsOf(c.reply), c.printed);
}

INSTANTIATE_TEST_SUITE_P(Replies, ExtentRows, testing::ValuesIn(rowsCases()),
                         [](const testing::TestParamInfo<RowsCase>& tested) {
                             return std::string(tested.param.name);
                         });

// ---------------------------------------------------------------------------
// as: names, condition and time lines

TEST(ArrayStatusNames, Tables) {
    const struct {
        std::uint8_t code;
        const char* status;
        const char* configuration;
        const char* kind;
        const char* state;
    } cases[] = {
        {0, "Optimal", "Normal", "No BGA", " "},
        {1, "Degrade", "Configuring", "Rebuild", "Running"},
        {2, "Offline", "Unknown", "Foregound initialization", "Aborted"},
        {3, "Invalid", "Unknown", "Backgound initialization", "Paused"},
        {4, "Critical", "Unknown", "Consistency check", "Autopaused"},
        {5, "Unknown", "Unknown", "Synchronization", "Unknown"},
        {6, "Unknown", "Unknown", "Migration", "Unknown"},
        {7, "Unknown", "Unknown", "Unknown", "Unknown"},
        {255, "Unknown", "Unknown", "Unknown", "Unknown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        EXPECT_STREQ(arrayStatusName(c.code), c.status);
        EXPECT_STREQ(configurationStateName(c.code), c.configuration);
        EXPECT_STREQ(bgaKindName(c.code), c.kind);
        EXPECT_STREQ(bgaStateName(c.code), c.state);
    }
}

TEST(ArrayStatusNames, LibraryConditionFirstMatchWins) {
    const WordCase cases[] = {
        {0x00000000, "Offline"},
        {0x00000001, "Offline"},
        {0x01000001, "Functional"},
        {0x02000001, "Critical"},
        {0x03000001, "Critical"},
        {0x07000001, "Critical"},
        {0x04000001, "Degrade"},
        {0x05000001, "Functional"},
        {0xF8FFFFFF, "Offline"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(arrayConditionOf(c.flags), c.word);
    }
}

TEST(ArrayStatusTimes, StartAndResumeLines) {
    const struct {
        std::uint32_t start;
        std::uint32_t resume;
        const char* printed;
    } cases[] = {
        {0, 0, ""},
        {10000, 20000, ""},
        {5, 315626635, ""},  // no start time: no resume line either
        {10001, 0xFFFFFFFFu, "Start time Thu Jan 01 02:46:41 1970\n \n"},
        {10001, 10000, "Start time Thu Jan 01 02:46:41 1970\n \n"},
        {10001, 0, "Start time Thu Jan 01 02:46:41 1970\n \n"},
        {10001, 10001,
         "Start time Thu Jan 01 02:46:41 1970\n \nLast resume time Thu Jan 01 02:46:41 1970\n \n"},
        {315626635, 315626700,
         "Start time Wed Jan 02 02:03:55 1980\n \nLast resume time Wed Jan 02 02:05:00 1980\n \n"},
        // Both compared as unsigned.
        {0x80000000u, 0xFFFFFFFEu,
         "Start time Tue Jan 19 03:14:08 2038\n \nLast resume time Sun Feb 07 06:28:14 2106\n \n"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, "Start time Sun Feb 07 06:28:15 2106\n \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + " " + std::to_string(c.resume));
        ConsoleCapture capture;
        printActivityTimes(c.start, c.resume);
        EXPECT_EQ(capture.take(), c.printed);
    }
}

// ---------------------------------------------------------------------------
// as in direct mode, and both commands' paths that need no library answer

// The fake driver answers the array status (E0 06, array id in byte 15) and
// the array activity entry (E1 02 07 <id>) with the bytes set here, or ends
// either with a check condition without sense data; anything else ends with
// a check condition too.
class StatusCommands : public FakeDriverTest {
protected:
    void SetUp() override {
        // The library stays uninitialised here: every query it gets fails
        // and leaves its buffers as they were.
        hx_finalize();
        ASSERT_NO_FATAL_FAILURE(FakeDriverTest::SetUp());
        driver.otherwise().endWith(drv::kScsiStatusCheckCondition);
        driver.on(vendor::kReadArrayStatus).reply(Bytes(8, 0));
        driver.on(vendor::kReadArrayActivityInfo).reply(Bytes(144, 0));
    }

    void setStatus(std::uint8_t code, std::uint8_t configuration, std::uint8_t kind,
                   std::uint8_t state, std::uint16_t percent) {
        driver.on(vendor::kReadArrayStatus).replyBytes() = {
            code, configuration, kind, state, static_cast<std::uint8_t>(percent),
            static_cast<std::uint8_t>(percent >> 8), 0xEE, 0xEE};
    }
    void setTimes(std::uint32_t start, std::uint32_t resume) {
        Bytes& activity = driver.on(vendor::kReadArrayActivityInfo).replyBytes();
        const rec::ByteSpan entry(activity.data(), activity.size());
        entry.put<drv::ArrayActivityEntry::StartTime>(start);
        entry.put<drv::ArrayActivityEntry::ResumeTime>(resume);
    }
    // Whether each of the two commands ends with a check condition.
    void setFailures(bool statusFails, bool activityFails) {
        const auto status = [](bool fails) {
            return fails ? drv::kScsiStatusCheckCondition : drv::kScsiStatusGood;
        };
        driver.on(vendor::kReadArrayStatus).endWith(status(statusFails));
        driver.on(vendor::kReadArrayActivityInfo).endWith(status(activityFails));
    }
};

const char* const kCheckCondition = "Scsi status: 02h\n\n";

TEST_F(StatusCommands, DirectModeLines) {
    struct Case {
        const char* name;
        std::array<std::uint8_t, 4> codes;  // status, configuration, kind, state
        std::uint16_t percent;
        const char* line;
    };
    const Case cases[] = {
        {"no activity", {0, 0, 0, 0}, 0, "Optimal, Normal, No BGA, N/A, 0%\n"},
        {"no activity whatever its state", {0, 0, 0, 3}, 12, "Optimal, Normal, No BGA, N/A, 12%\n"},
        {"running rebuild", {1, 0, 1, 1}, 45, "Degrade, Normal, Rebuild, Running, 45%\n"},
        {"paused initialisation", {4, 1, 3, 3}, 0x1234,
         "Critical, Configuring, Backgound initialization, Paused, 4660%\n"},
        {"state zero", {2, 0, 2, 0}, 7, "Offline, Normal, Foregound initialization,  , 7%\n"},
        {"aborted check", {3, 0, 4, 2}, 100, "Invalid, Normal, Consistency check, Aborted, 100%\n"},
        {"autopaused sync", {0, 0, 5, 4}, 99, "Optimal, Normal, Synchronization, Autopaused, 99%\n"},
        {"migration", {0, 0, 6, 1}, 65535, "Optimal, Normal, Migration, Running, 65535%\n"},
        {"unknown codes", {9, 2, 7, 5}, 1, "Unknown, Unknown, Unknown, Unknown, 1%\n"},
        {"all ones", {255, 255, 255, 255}, 0, "Unknown, Unknown, Unknown, Unknown, 0%\n"},
    };
    setTimes(315626635, 0xFFFFFFFFu);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setStatus(c.codes[0], c.codes[1], c.codes[2], c.codes[3], c.percent);
        const CommandRun run = runLine(device.get(), "as 3");
        EXPECT_EQ(run.printed,
                  std::string("-----------------Array 3 status-----------------\n"
                              "Status, State, BGA, BGA State\n") +
                      c.line +
                      "BgaStartTime, BgaLastResumeTime\n"
                      "Wed Jan 02 02:03:55 1980\n, Sun Feb 07 06:28:15 2106\n\n");
        EXPECT_EQ(run.result, 1);
    }
}

TEST_F(StatusCommands, DirectModeSendsStatusThenActivityForTheArray) {
    setTimes(0, 951868799);
    EXPECT_EQ(runLine(device.get(), "as 254").printed,
              "-----------------Array 254 status-----------------\n"
              "Status, State, BGA, BGA State\n"
              "Optimal, Normal, No BGA, N/A, 0%\n"
              "BgaStartTime, BgaLastResumeTime\n"
              "Thu Jan 01 00:00:00 1970\n, Tue Feb 29 23:59:59 2000\n\n");
    const std::vector<FakeDriver::Cdb> cdbs = driver.cdbs();
    ASSERT_EQ(cdbs.size(), 2u);
    const std::array<std::uint8_t, 16> status = {0xE0, 0x06, 0, 0, 0, 0, 0, 0,
                                                 0,    0,    0, 0, 0, 0, 0, 254};
    const std::array<std::uint8_t, 16> activity = {0xE1, 0x02, 0x07, 254, 0, 0, 0, 0,
                                                   0,    0,    0,    0,   0, 0, 0, 0};
    EXPECT_EQ(cdbs[0], status);
    EXPECT_EQ(cdbs[1], activity);
}

TEST_F(StatusCommands, DirectModeFailuresDropOnlyTheirOwnLines) {
    const std::string banner = "-----------------Array 0 status-----------------\n";
    const std::string statusLines = "Status, State, BGA, BGA State\nDegrade, Normal, Rebuild, "
                                    "Running, 45%\n";
    const std::string activityLines =
        "BgaStartTime, BgaLastResumeTime\nWed Jan 02 02:03:55 1980\n, Wed Jan 02 02:05:00 1980\n\n";
    const struct {
        const char* name;
        bool statusFails;
        bool activityFails;
        std::string printed;
    } cases[] = {
        {"status fails", true, false, banner + kCheckCondition + activityLines},
        {"activity fails", false, true, banner + statusLines + kCheckCondition},
        {"both fail", true, true, banner + kCheckCondition + kCheckCondition},
    };
    setStatus(1, 0, 1, 1, 45);
    setTimes(315626635, 315626700);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        driver.requests.clear();
        setFailures(c.statusFails, c.activityFails);
        const CommandRun run = runLine(device.get(), "as 0");
        EXPECT_EQ(run.printed, c.printed);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(driver.requests.size(), 2u);
    }
}

TEST_F(StatusCommands, ArgumentErrorsInBothModes) {
    const struct {
        const char* line;
        const char* printed;
    } cases[] = {
        {"as", "Array ID not specified.\n"},
        {"as \"\"", "Array ID not specified.\n"},
        {"as x1", "Invalid array ID 'x1' specified.\n"},
        {"as 1x", "Invalid array ID '1x' specified.\n"},
        {"as -1", "Invalid array ID '-1' specified.\n"},
        {"as 256", "Invalid array ID '256' specified.\n"},
        {"as 255", ""},
        {"as 0255", ""},
    };
    for (ControllerDevice* current : {static_cast<ControllerDevice*>(nullptr), device.get()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(current != nullptr ? "direct: " : "library: ") + c.line);
            const CommandRun run = runLine(current, c.line);
            EXPECT_EQ(run.printed, c.printed);
            EXPECT_EQ(run.result, 1);
        }
    }
    EXPECT_TRUE(driver.requests.empty());
}

TEST_F(StatusCommands, LibraryModeRefusedRecordQuery) {
    // Array 0 included: the cleared record holds id 0, but the failed call
    // is enough.
    for (const char* id : {"0", "3", "254"}) {
        SCOPED_TRACE(id);
        const CommandRun run = runLine(nullptr, std::string("as ") + id);
        EXPECT_EQ(run.printed,
                  std::string("-----------------Array ") + id +
                      " status-----------------\n"
                      "Array with ID " + id + " is not existed!\n");
        EXPECT_EQ(run.result, 1);
    }
}

TEST_F(StatusCommands, ExtentListingAsksTheLibraryInBothModes) {
    const std::string header =
        "-----------------dumping extents-----------------\n"
        "DiskID Index AryID Size     StartLBA   MainStatus   FuncStatus AssignStatus  SmartStatus\n";
    for (ControllerDevice* current : {static_cast<ControllerDevice*>(nullptr), device.get()}) {
        const CommandRun run = runLine(current, "le extra words");
        EXPECT_EQ(run.printed, header);
        EXPECT_EQ(run.result, 1);
    }
    EXPECT_TRUE(driver.requests.empty());
}

}  // namespace

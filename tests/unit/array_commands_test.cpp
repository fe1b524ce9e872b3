// ca, ca2, da, delbp and bga: the bytes each command hands to the library or
// sends to the driver, the prompts of a migration, and every refusal.
//
// Library-mode tests read what the stand-in library noted for each
// operation; direct-mode tests read the stand-in driver's pass-through log.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "commands/activities.h"
#include "command_harness.h"
#include "console/parsers.h"
#include "console_capture.h"
#include "platform/record.h"
#include "sim/call_log.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::AnyOf;
using testing::Eq;

// Every library operation these commands may call.
const char* const kOperations[] = {
    "hx_addHBAArray",          "hx_delDiskArray",         "hx_deleteBackUp",
    "hx_startHBARebuildExtent", "hx_startHBABackup",      "hx_startLogDrvInit",
    "hx_startRedundancyCheck", "hx_migrateHBAArray",      "hx_restartRebuild",
    "hx_pauseRebuild",         "hx_resumeRebuild",        "hx_stopRebuild",
    "hx_pauseLogDrvInit",      "hx_resumeLogDrvInit",     "hx_stopLogDrvInit",
    "hx_pauseRedundancyCheck", "hx_resumeRedundancyCheck", "hx_stopRedundancyCheck",
    "hx_PauseMigration",       "hx_ResumeMigration",
};

std::size_t libraryCalls() {
    std::size_t n = 0;
    for (const char* op : kOperations) n += sim::libraryCallCount(op);
    return n;
}

std::uint16_t le16(const Bytes& b, std::size_t at) {
    return rec::ByteView(b.data(), b.size()).at<std::uint16_t>(at);
}
std::uint32_t le32(const Bytes& b, std::size_t at) {
    return rec::ByteView(b.data(), b.size()).at<std::uint32_t>(at);
}
std::string textAt(const Bytes& b, std::size_t at, std::size_t width) {
    return rec::ByteView(b.data(), b.size()).text(at, width);
}

Bytes cdbOf(std::initializer_list<std::uint8_t> head, std::uint8_t byte15 = 0) {
    Bytes cdb(16, 0);
    std::size_t i = 0;
    for (std::uint8_t b : head) cdb[i++] = b;
    cdb[15] = byte15;
    return cdb;
}

// Answers for the migration prompts, one line each; the end of the list is
// the end of input. Notes whether anything was sent before each answer.
// The answers are withdrawn when the object goes.
struct Answers {
    std::deque<std::string> lines;
    int asked = 0;
    bool sentBeforeAnswer = false;

    Answers() = default;
    Answers(const Answers&) = delete;
    Answers& operator=(const Answers&) = delete;
    ~Answers() { setMigrationAnswerSource({}); }

    void install() {
        setMigrationAnswerSource([this](std::string& line, bool& tooLong) {
            ++asked;
            if (libraryCalls() != 0 || !sim::passThroughLog().empty()) sentBeforeAnswer = true;
            tooLong = false;
            if (lines.empty()) return false;
            line = lines.front();
            lines.pop_front();
            return true;
        });
    }
};

class LibraryMode : public SimulatorFixture {};

class DirectMode : public DirectModeFixture {};

// ---- Shared helper -----------------------------------------------------------------

TEST(LeadingDigits, Conversion) {
    const struct {
        const char* word;
        std::int64_t value;
    } cases[] = {
        {nullptr, 0},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"0x10", 0},
        {"12abc", 12},
        {"+7x", 7},
        {"  -2", -2},
        {" \t\r\n42 9", 42},
        {"4096", 4096},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},
        {"99999999999999999999999", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"-99999999999999999999999", INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leadingDigitsValue(c.word), c.value) << (c.word != nullptr ? c.word : "(null)");
    }
}

TEST(MigrationAnswers, SignedDecimalLines) {
    const struct {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {"3", true, 3},          {"  -2", true, -2},       {"+5 \t\r", true, 5},
        {"0", true, 0},          {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0}, {"", false, 0},          {"   ", false, 0},
        {"-", false, 0},         {"x", false, 0},          {"1 2", false, 0},
        {"12a", false, 0},       {"0x1", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t value = 99;
        EXPECT_EQ(parseAnswerNumber(c.text, &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(BgaWords, CodesInAnyCase) {
    ConsoleCapture capture;
    EXPECT_EQ(parseBgaCategory("rebuild"), 0);
    EXPECT_EQ(parseBgaCategory("Init"), 1);
    EXPECT_EQ(parseBgaCategory("SYNC"), 2);
    EXPECT_EQ(parseBgaCategory("migration"), 3);
    EXPECT_EQ(parseBgaCategory("BackUp"), 5);
    EXPECT_EQ(parseSyncKind("sync"), 0);
    EXPECT_EQ(parseSyncKind("Check"), 1);
    EXPECT_EQ(parseBgaInitKind("quick"), 0);
    EXPECT_EQ(parseBgaInitKind("FORE"), 1);
    EXPECT_EQ(parseBgaInitKind("Back"), 2);
    EXPECT_EQ(parseBgaAction("restart"), 1);
    EXPECT_EQ(parseBgaAction("PAUSE"), 2);
    EXPECT_EQ(parseBgaAction("Resume"), 3);
    EXPECT_EQ(parseBgaAction("abort"), 4);
    EXPECT_EQ(capture.take(), "");
}

TEST(BgaWords, Messages) {
    ConsoleCapture capture;
    const struct {
        std::uint8_t (*parse)(const char*);
        const char* word;
        const char* message;
    } cases[] = {
        {parseBgaCategory, nullptr, "BGA category not specified.\n"},
        {parseBgaCategory, "", "BGA category not specified.\n"},
        {parseBgaCategory, "START", "Unknown BGA category 'START' specified.\n"},
        {parseSyncKind, nullptr, "Synchronization kind not specified.\n"},
        {parseSyncKind, "QUICK", "Unknown synchronization kind 'QUICK' specified.\n"},
        {parseBgaInitKind, "", "Initialization kind not specified.\n"},
        {parseBgaInitKind, "NONE", "Unknown initialization kind 'NONE' specified.\n"},
        {parseBgaAction, nullptr, "BGA control action not specified.\n"},
        {parseBgaAction, "STOP", "Unknown BGA control action 'STOP' specified.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.parse(c.word), 0xFF);
        EXPECT_EQ(capture.take(), c.message);
    }
}

// ---- Library mode: array creation and deletion -------------------------------------

TEST_F(LibraryMode, CaRequestFromExtents) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"1 1\" \"Array 0\" GBB NONE"), "");
    const Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    Bytes expected(2160, 0);
    expected[0] = 128;
    std::memcpy(expected.data() + 24, "Array 0", 7);
    expected[88] = 1;   // RAID1
    expected[90] = 0;   // NONE
    expected[91] = 1;
    expected[92] = 1;   // GBB
    expected[93] = 0;   // creation method: extents
    expected[94] = 2;
    expected[112] = 1;  // member 0: extent 1, disk 0
    expected[120] = 1;  // member 1: extent 1, disk 1
    expected[124] = 1;
    EXPECT_EQ(r, expected);
}

TEST_F(LibraryMode, Ca2RequestFromSize) {
    EXPECT_EQ(run("ca2 RAID5 64 \"2 3 4\" 1000 Big 10GBB QUICK 4096"), "");
    const Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    Bytes expected(2160, 0);
    expected[0] = 64;
    rec::storeLe32(expected.data() + 16, 1000);
    std::memcpy(expected.data() + 24, "Big", 3);
    expected[88] = 5;
    expected[90] = 1;  // QUICK
    expected[91] = 1;
    expected[92] = 2;  // 10GBB
    expected[93] = 3;  // creation method: size
    expected[94] = 3;
    expected[104] = 0;
    rec::storeLe32(expected.data() + 108, 4096);
    for (std::size_t i = 0; i < 3; ++i) expected[112 + 8 * i + 4] = static_cast<std::uint8_t>(2 + i);
    EXPECT_EQ(r, expected);
}

TEST_F(LibraryMode, NumbersOutsideTheParsersUseLeadingDigits) {
    // A sector size without digits is sent as 0; one with trailing letters
    // keeps its digits.
    run("ca2 RAID1 128 \"0 1\" 10 A NONE NONE none");
    EXPECT_EQ(le32(sim::lastLibraryCall("hx_addHBAArray"), 108), 0u);
    run("ca2 RAID1 128 \"0 1\" 10 A NONE NONE 512b");
    EXPECT_EQ(le32(sim::lastLibraryCall("hx_addHBAArray"), 108), 512u);
}

TEST_F(LibraryMode, LibraryLevelCodes) {
    const struct {
        const char* line;
        std::uint16_t code;
    } cases[] = {
        {"ca raid0 128 \"0 1\" \"0 0\" A NONE NONE", 0x00},
        {"ca RAID1 128 \"0 1\" \"0 0\" A NONE NONE", 0x01},
        {"ca Raid5 128 \"0 1\" \"0 0\" A NONE NONE", 0x05},
        {"ca RAID6 128 \"0 1\" \"0 0\" A NONE NONE 1 0 0", 0x06},
        {"ca RAIDMF 128 \"0 1\" \"0 0\" A NONE NONE 1 0 0", 0x06},
        {"ca RAID10 128 \"0 1\" \"0 0\" A NONE NONE", 0x10},
        {"ca JBOD 128 \"0 1\" \"0 0\" A NONE NONE", 0x0A},
        {"ca RAID50 128 \"0 1 2 3 4 5\" \"0 0 0 0 0 0\" A NONE NONE 2", 0x50},
        {"ca SPAN 128 \"0 1\" \"0 0\" A NONE NONE", 0x08},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        const Bytes r = sim::lastLibraryCall("hx_addHBAArray");
        ASSERT_EQ(r.size(), 2160u) << c.line;
        EXPECT_EQ(le16(r, 88), c.code) << c.line;
    }
}

TEST_F(LibraryMode, InitialisationKindsOfCreation) {
    const struct {
        const char* word;
        std::uint8_t code;
    } cases[] = {{"NONE", 0}, {"QUICK", 1}, {"FORE", 2}, {"back", 4}};
    for (const auto& c : cases) {
        sim::clearCallLog();
        run(std::string("ca RAID1 128 \"0 1\" \"0 0\" A NONE ") + c.word);
        const Bytes r = sim::lastLibraryCall("hx_addHBAArray");
        ASSERT_EQ(r.size(), 2160u) << c.word;
        EXPECT_EQ(r[90], c.code) << c.word;
    }
}

TEST_F(LibraryMode, ParityLevelWords) {
    run("ca RAIDMF 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 2 1 -2");
    Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(le16(r, 88), 6);
    EXPECT_EQ(r[95], 2);
    EXPECT_EQ(r[96], 1);
    EXPECT_EQ(le16(r, 98), 0xFFFE);
    EXPECT_EQ(r[100], 0);

    sim::clearCallLog();
    run("ca2 RAID6 128 \"0 1 2 3\" 500 M NONE NONE 512 3 0 7");
    r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(r[95], 3);
    EXPECT_EQ(r[96], 0);
    EXPECT_EQ(le16(r, 98), 7);
    EXPECT_EQ(le32(r, 108), 512u);
}

TEST_F(LibraryMode, NumbersAtTheEdgesOfTheirFields) {
    run("ca RAIDMF 4294967295 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 255 255 -32768");
    Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(le32(r, 0), 4294967295u);
    EXPECT_EQ(r[95], 255);
    EXPECT_EQ(r[96], 255);
    EXPECT_EQ(le16(r, 98), 0x8000);

    sim::clearCallLog();
    run("ca2 RAID6 128 \"0 1 2 3\" 4294967295 M NONE NONE 4294967295 0 0 32767");
    r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(le32(r, 16), 4294967295u);
    EXPECT_EQ(le32(r, 108), 4294967295u);
    EXPECT_EQ(le16(r, 98), 0x7FFF);

    sim::clearCallLog();
    run("ca2 RAID50 128 \"0 1 2 3 4 5\" 600 R NONE NONE 512 255");
    r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(r[100], 255);
}

TEST_F(LibraryMode, Raid50SubArrayCount) {
    run("ca RAID50 128 \"0 1 2 3 4 5\" \"0 0 0 0 0 0\" R NONE NONE 2");
    Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(r[100], 2);
    EXPECT_EQ(r[95], 0);
    EXPECT_EQ(le16(r, 98), 0);

    sim::clearCallLog();
    run("ca2 RAID50 128 \"0 1 2 3 4 5\" 600 R NONE NONE 512 3");
    r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(r[100], 3);
}

TEST_F(LibraryMode, LongNamesAreCutTo63Characters) {
    const std::string name(70, 'n');
    run("ca RAID1 128 \"0 1\" \"0 0\" " + name + " NONE NONE");
    const Bytes r = sim::lastLibraryCall("hx_addHBAArray");
    ASSERT_EQ(r.size(), 2160u);
    EXPECT_EQ(textAt(r, 24, 64), std::string(63, 'n'));
    EXPECT_EQ(r[24 + 63], 0);
}

TEST_F(LibraryMode, DeleteArrayAndBackup) {
    EXPECT_EQ(run("da 3"), "");
    EXPECT_EQ(sim::lastLibraryCall("hx_delDiskArray"), (Bytes{1, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(run("delbp 7"), "");
    EXPECT_EQ(sim::lastLibraryCall("hx_deleteBackUp"), (Bytes{7, 0}));
}

// ---- Library mode: background activities ------------------------------------------

Bytes rebuildTarget(std::uint32_t array, std::uint32_t disk, std::uint32_t extent) {
    Bytes t(16, 0);
    rec::storeLe32(t.data(), array);
    rec::storeLe32(t.data() + 4, disk);
    rec::storeLe32(t.data() + 8, extent);
    return t;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST_F(LibraryMode, RebuildTargets) {
    const struct {
        const char* line;
        Bytes targets;
        const char* disks;  // the disk part of the outcome line
    } cases[] = {
        {"bga 1 START REBUILD \"2\"", rebuildTarget(1, 2, 0xFFFFFFFFu), " Disk 2"},
        {"bga 1 START REBUILD \"2 3\"",
         join({rebuildTarget(1, 2, 0xFFFFFFFFu), rebuildTarget(1, 3, 0xFFFFFFFFu)}),
         " Disk 2 Disk 3"},
        {"bga 1 START REBUILD \"2 3\" \"0 4\"",
         join({rebuildTarget(1, 2, 0), rebuildTarget(1, 3, 4)}), " Disk 2 Disk 3"},
        // A shorter extent list makes fewer targets.
        {"bga 1 START REBUILD \"2 3\" \"4\"", rebuildTarget(1, 2, 4), " Disk 2"},
        // With a word after it the extent list is ignored.
        {"bga 1 START REBUILD \"2\" \"0\" extra", rebuildTarget(1, 2, 0xFFFFFFFFu), " Disk 2"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        const std::string out = run(c.line);
        const std::string tail = std::string(c.disks) + "\n";
        EXPECT_THAT(out, AnyOf(Eq("Rebuild started on Array 1" + tail),
                               Eq("Failed to start rebuild on Array 1" + tail)))
            << c.line;
        EXPECT_EQ(sim::lastLibraryCall("hx_startHBARebuildExtent"), c.targets) << c.line;
    }
}

TEST_F(LibraryMode, BackupTargetList) {
    const std::string out = run("bga 2 START BACKUP \"4 5\"");
    EXPECT_THAT(out, AnyOf(Eq("Back up started on Array 2 Disk 4 Disk 5\n"),
                           Eq("Failed to start backup on Array 2 Disk 4 Disk 5\n")));
    Bytes expected(21 * 16, 0xFF);
    std::memset(expected.data(), 0, 32);
    expected[0] = 2;
    expected[2] = 4;
    expected[16] = 2;
    expected[18] = 5;
    EXPECT_EQ(sim::lastLibraryCall("hx_startHBABackup"), expected);

    sim::clearCallLog();
    EXPECT_THAT(run("bga 2 START BACKUP \"6\""),
                AnyOf(Eq("Back up started on Array 2 Disk 6\n"),
                      Eq("Failed to start backup on Array 2 Disk 6\n")));
}

TEST_F(LibraryMode, InitialisationKinds) {
    const struct {
        const char* word;
        int code;
    } cases[] = {{"QUICK", 1}, {"FORE", 2}, {"back", 4}};
    for (const auto& c : cases) {
        sim::clearCallLog();
        const std::string out = run(std::string("bga 3 START INIT ") + c.word);
        const std::string type = " on Array 3 Type " + std::to_string(c.code) + "\n";
        EXPECT_THAT(out, AnyOf(Eq("BGA Init started" + type), Eq("BGA Init failed to started" + type)))
            << c.word;
        Bytes expected(524, 0);
        expected[0] = 3;
        expected[4] = static_cast<std::uint8_t>(c.code);
        expected[6] = expected[7] = expected[8] = expected[9] = 0xFF;
        EXPECT_EQ(sim::lastLibraryCall("hx_startLogDrvInit"), expected) << c.word;
    }
}

TEST_F(LibraryMode, SynchronisationKinds) {
    const struct {
        const char* word;
        int code;
    } cases[] = {{"SYNC", 0}, {"check", 1}};
    for (const auto& c : cases) {
        sim::clearCallLog();
        const std::string out = run(std::string("bga 0 START SYNC ") + c.word);
        const std::string type = " on Array 0 Type " + std::to_string(c.code) + "\n";
        EXPECT_THAT(out, AnyOf(Eq("BGA Sync started" + type), Eq("BGA Sync failed to started" + type)))
            << c.word;
        EXPECT_EQ(sim::lastLibraryCall("hx_startRedundancyCheck"),
                  (Bytes{0, 0, 0, 0, static_cast<std::uint8_t>(c.code), 0, 0, 0}))
            << c.word;
    }
}

const char* const kMigrateOutcomes[] = {"Migrate started on Array 4 \n",
                                        "Failed to start Migrate on Array 4\n"};

TEST_F(LibraryMode, MigrationRequestHead) {
    const struct {
        const char* line;
        std::uint16_t members;
        std::uint16_t level;
        std::uint8_t disksOnly;
        Bytes memberBytes;
    } cases[] = {
        {"bga 4 START MIGRATION RAID0", 0, 0, 0, {}},
        {"bga 4 START MIGRATION RAID5 \"0 1 2\"", 3, 5, 1,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}},
        {"bga 4 START MIGRATION RAID10 \"0 1\" \"2 3\"", 2, 0x10, 0,
         {2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        const std::string out = run(c.line);
        EXPECT_THAT(out, AnyOf(Eq(kMigrateOutcomes[0]), Eq(kMigrateOutcomes[1]))) << c.line;
        const Bytes r = sim::lastLibraryCall("hx_migrateHBAArray");
        ASSERT_EQ(r.size(), 2064u) << c.line;
        Bytes expected(2064, 0);
        expected[0] = 4;
        rec::storeLe16(expected.data() + 2, c.members);
        rec::storeLe16(expected.data() + 4, c.level);
        expected[6] = 128;
        expected[11] = c.disksOnly;
        std::copy(c.memberBytes.begin(), c.memberBytes.end(), expected.begin() + 16);
        EXPECT_EQ(r, expected) << c.line;
    }
}

TEST_F(LibraryMode, MigrationPromptsComeBeforeAnythingIsSent) {
    const struct {
        const char* level;
        std::vector<std::string> answers;
        std::string prompts;
    } cases[] = {
        {"RAID50", {"3"}, "Please enter the subArray Count: "},
        {"RAIDMF",
         {"2", " 1 ", "-2\r"},
         "Please enter the parity count: Please enter the symmetric: Please enter the shift: "},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        Answers answers;
        answers.lines.assign(c.answers.begin(), c.answers.end());
        answers.install();
        const std::string out =
            run(std::string("bga 4 START MIGRATION ") + c.level + " \"0 1 2 3 4 5\"");
        EXPECT_THAT(out, AnyOf(Eq(c.prompts + kMigrateOutcomes[0]), Eq(c.prompts + kMigrateOutcomes[1])))
            << c.level;
        EXPECT_EQ(answers.asked, static_cast<int>(c.answers.size())) << c.level;
        EXPECT_FALSE(answers.sentBeforeAnswer) << c.level;
    }
}

TEST_F(LibraryMode, MigrationAnswersInTheRequest) {
    Answers answers;
    answers.lines = {"3"};
    answers.install();
    run("bga 4 START MIGRATION RAID50 \"0 1 2 3 4 5\"");
    Bytes r = sim::lastLibraryCall("hx_migrateHBAArray");
    ASSERT_EQ(r.size(), 2064u);
    EXPECT_EQ(le16(r, 4), 0x50);
    EXPECT_EQ(r[8], 3);

    sim::clearCallLog();
    // A symmetric flag of -1 would not fit its unsigned byte: it is refused
    // (see MigrationAnswersThatAreNotNumbersSendNothing), not sent as FFh.
    answers.lines = {"2", " 1 ", "-2\r"};
    run("bga 4 START MIGRATION RAIDMF \"0 1 2 3\"");
    r = sim::lastLibraryCall("hx_migrateHBAArray");
    ASSERT_EQ(r.size(), 2064u);
    EXPECT_EQ(le16(r, 4), 6);
    EXPECT_EQ(r[8], 0);
    EXPECT_EQ(r[9], 2);
    EXPECT_EQ(r[10], 1);
    EXPECT_EQ(le16(r, 12), 0xFFFE);
}

TEST_F(LibraryMode, MigrationAnswersThatAreNotNumbersSendNothing) {
    const struct {
        const char* level;
        std::vector<std::string> answers;  // input ends after the last
        std::string out;
    } cases[] = {
        {"RAID50", {"x"}, "Please enter the subArray Count: Invalid number 'x' entered.\n"},
        {"RAID50", {"1 2"}, "Please enter the subArray Count: Invalid number '1 2' entered.\n"},
        {"RAID50", {""}, "Please enter the subArray Count: Invalid number '' entered.\n"},
        {"RAID50", {"99999999999"},
         "Please enter the subArray Count: Invalid number '99999999999' entered.\n"},
        {"RAID50", {}, "Please enter the subArray Count: Invalid number '' entered.\n"},
        // Answers that do not fit their fields are refused, never wrapped.
        {"RAID50", {"258"}, "Please enter the subArray Count: Invalid number '258' entered.\n"},
        {"RAID50", {"-1"}, "Please enter the subArray Count: Invalid number '-1' entered.\n"},
        {"RAIDMF", {"256"},
         "Please enter the parity count: Invalid number '256' entered.\n"},
        {"RAIDMF", {"2", "-1"},
         "Please enter the parity count: Please enter the symmetric: "
         "Invalid number '-1' entered.\n"},
        {"RAIDMF", {"2", "1", "32768"},
         "Please enter the parity count: Please enter the symmetric: Please enter the shift: "
         "Invalid number '32768' entered.\n"},
        {"RAIDMF", {"2", "sym"},
         "Please enter the parity count: Please enter the symmetric: "
         "Invalid number 'sym' entered.\n"},
        {"RAIDMF", {"2", "1"},
         "Please enter the parity count: Please enter the symmetric: Please enter the shift: "
         "Invalid number '' entered.\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        Answers answers;
        answers.lines.assign(c.answers.begin(), c.answers.end());
        answers.install();
        EXPECT_EQ(run(std::string("bga 0 START MIGRATION ") + c.level + " \"0 1 2 3 4 5\""), c.out);
        EXPECT_EQ(libraryCalls(), 0u);
    }
}

TEST_F(LibraryMode, ControlActionsPassTheArray) {
    const Bytes rebuildRef{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes ref{3, 0, 0, 0};
    const struct {
        const char* line;
        const char* operation;
        const Bytes& bytes;
    } cases[] = {
        {"bga 3 REBUILD RESTART", "hx_restartRebuild", rebuildRef},
        {"bga 3 rebuild pause", "hx_pauseRebuild", rebuildRef},
        {"bga 3 REBUILD RESUME", "hx_resumeRebuild", rebuildRef},
        {"bga 3 REBUILD ABORT", "hx_stopRebuild", rebuildRef},
        {"bga 3 INIT PAUSE", "hx_pauseLogDrvInit", ref},
        {"bga 3 INIT RESUME", "hx_resumeLogDrvInit", ref},
        {"bga 3 INIT ABORT", "hx_stopLogDrvInit", ref},
        {"bga 3 SYNC PAUSE", "hx_pauseRedundancyCheck", ref},
        {"bga 3 SYNC RESUME", "hx_resumeRedundancyCheck", ref},
        {"bga 3 SYNC ABORT", "hx_stopRedundancyCheck", ref},
        {"bga 3 MIGRATION PAUSE", "hx_PauseMigration", ref},
        {"bga 3 Migration Resume", "hx_ResumeMigration", ref},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(sim::lastLibraryCall(c.operation), c.bytes) << c.line;
        EXPECT_EQ(libraryCalls(), 1u) << c.line;
    }
}

// ---- Direct mode -------------------------------------------------------------------

Bytes createBlock(std::uint8_t init, std::uint8_t level, std::uint8_t rounding, std::uint32_t stripe,
                  const char* name, std::uint32_t sectorSize, const Bytes& disks) {
    Bytes b(872, 0);
    b[1] = init;
    b[2] = level;
    b[3] = rounding;
    b[5] = 1;
    b[7] = 1;
    rec::storeLe32(b.data() + 8, stripe);
    std::memcpy(b.data() + 28, name, std::strlen(name));
    rec::storeLe32(b.data() + 92, sectorSize);
    b[96] = static_cast<std::uint8_t>(disks.size());
    std::copy(disks.begin(), disks.end(), b.begin() + 120);
    return b;
}

TEST_F(DirectMode, CreateArrayBlocks) {
    const struct {
        const char* line;
        Bytes block;
    } cases[] = {
        {"ca RAID1 128 \"0 1\" \"1 1\" \"Array 0\" GBB NONE",
         createBlock(0, 1, 1, 128, "Array 0", 0, {0, 1})},
        {"ca2 RAID5 64 \"2 3 4\" 1000 Big 10GBB BACK 4096",
         createBlock(4, 4, 2, 64, "Big", 4096, {2, 3, 4})},
        // No RAID50 disk-count check and no extra words in direct mode.
        {"ca RAID50 128 \"0 1 2 3 4\" \"0 0 0 0 0\" R NONE QUICK",
         createBlock(1, 0x20, 0, 128, "R", 0, {0, 1, 2, 3, 4})},
        {"ca RAIDMF 32 \"5 6 7\" \"0 0 0\" M NONE FORE", createBlock(2, 0x80, 0, 32, "M", 0, {5, 6, 7})},
        {"ca JBOD 0 \"7\" \"2\" J NONE NONE", createBlock(0, 0x10, 0, 0, "J", 0, {7})},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        run(c.line);
        const sim::PassThroughRecord r = onlyPassThrough();
        EXPECT_EQ(r.cdb, cdbOf({0xE1, 0x01})) << c.line;
        EXPECT_EQ(r.data, c.block) << c.line;
        EXPECT_EQ(libraryCalls(), 0u) << c.line;
    }
}

TEST_F(DirectMode, ArrayCommandsWithoutData) {
    const struct {
        const char* line;
        Bytes cdb;
    } cases[] = {
        {"da 3", cdbOf({0xE0, 0x07}, 3)},
        {"bga 0 START INIT QUICK", cdbOf({0xE0, 0x03, 0x01, 0x00}, 0)},
        {"bga 0 START INIT FORE", cdbOf({0xE0, 0x03, 0x01, 0x01}, 0)},
        {"bga 8 START INIT back", cdbOf({0xE0, 0x03, 0x01, 0x02}, 8)},
        {"bga 6 START SYNC SYNC", cdbOf({0xE0, 0x03, 0x02, 0x00}, 6)},
        {"bga 6 START SYNC CHECK", cdbOf({0xE0, 0x03, 0x02, 0x01}, 6)},
        {"bga 9 REBUILD RESTART", cdbOf({0xE0, 0x04, 0x01}, 9)},
        {"bga 0 FOO PAUSE", cdbOf({0xE0, 0x04, 0x02}, 0)},
        {"bga 1 BACKUP RESUME", cdbOf({0xE0, 0x04, 0x03}, 1)},
        {"bga 2 MIGRATION ABORT", cdbOf({0xE0, 0x04, 0x04}, 2)},
        {"bga 2 INIT RESTART", cdbOf({0xE0, 0x04, 0x01}, 2)},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        const std::string out = run(c.line);
        EXPECT_EQ(out.find("library"), std::string::npos) << c.line;
        const sim::PassThroughRecord r = onlyPassThrough();
        EXPECT_EQ(r.cdb, c.cdb) << c.line;
        EXPECT_TRUE(r.data.empty()) << c.line;
        EXPECT_EQ(libraryCalls(), 0u) << c.line;
    }
}

TEST_F(DirectMode, MigrationBlockWithoutPrompts) {
    const struct {
        const char* line;
        std::uint8_t level;
        Bytes disks;
    } cases[] = {
        {"bga 2 START MIGRATION RAID50 \"0 1 2 3 4 5\" \"0 0 0 0 0 0\"", 0x20, {0, 1, 2, 3, 4, 5}},
        {"bga 2 START MIGRATION RAIDMF \"3 4 5\"", 0x80, {3, 4, 5}},
        {"bga 2 START MIGRATION raid5", 4, {}},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        Answers answers;
        answers.install();
        const std::string out = run(c.line);
        EXPECT_EQ(out.find("Please enter"), std::string::npos) << c.line;
        EXPECT_EQ(answers.asked, 0) << c.line;
        const sim::PassThroughRecord r = onlyPassThrough();
        EXPECT_EQ(r.cdb, cdbOf({0xE0, 0x03, 0x03}, 2)) << c.line;
        Bytes expected(800, 0);
        expected[1] = c.level;
        expected[24] = static_cast<std::uint8_t>(c.disks.size());
        std::copy(c.disks.begin(), c.disks.end(), expected.begin() + 40);
        EXPECT_EQ(r.data, expected) << c.line;
    }
}

// Rebuild, backup and delbp have no vendor command: the library serves them
// in direct mode too.
TEST_F(DirectMode, RebuildBackupAndDelbpUseTheLibrary) {
    const struct {
        const char* line;
        const char* operation;
    } cases[] = {
        {"bga 1 START REBUILD \"2\"", "hx_startHBARebuildExtent"},
        {"bga 1 START BACKUP \"2\"", "hx_startHBABackup"},
        {"delbp 1", "hx_deleteBackUp"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        run(c.line);
        EXPECT_TRUE(sim::passThroughLog().empty()) << c.line;
        EXPECT_EQ(sim::libraryCallCount(c.operation), 1u) << c.line;
    }
}

// ---- Refusals ------------------------------------------------------------------------

enum class In { Both, Library, Direct };

struct Refusal {
    In mode;
    const char* line;
    std::string out;
};

std::string invalid(const char* name) {
    return std::string(
               "Invalid Parameters, please check and also you can get the help information by "
               "typing 'help ") +
           name + "'\n";
}

const std::string kInvalidCa = invalid("ca");
const std::string kInvalidCa2 = invalid("ca2");
const std::string kInvalidBga = invalid("bga");
const std::string kNoCategory = "BGA category not specified.\n";

const Refusal kRefusals[] = {
    // ca and ca2
    {In::Both, "ca", kInvalidCa},
    {In::Both, "ca RAID1 128 \"0 1\" \"1 1\" A GBB", kInvalidCa},
    {In::Both, "ca2 RAID1 128 \"0 1\" 100 A GBB NONE", kInvalidCa2},
    {In::Both, "ca RAID7 128 \"0 1\" \"1 1\" A GBB NONE", "Unknown RAID level 'RAID7' specified!\n"},
    {In::Direct, "ca RAID6 128 \"0 1\" \"1 1\" A GBB NONE", "Unknown RAID level 'RAID6' specified!\n"},
    {In::Both, "ca RAID1 12k \"0 1\" \"1 1\" A GBB NONE", "Invalid stripe block size '12k' specified\n"},
    {In::Both, "ca RAID1 -1 \"0 1\" \"1 1\" A GBB NONE", "Invalid stripe block size '-1' specified\n"},
    {In::Both, "ca RAID1 \"\" \"0 1\" \"1 1\" A GBB NONE", "Invalid stripe block size '' specified\n"},
    // Numbers that do not fit their fields are refused, never wrapped.
    {In::Both, "ca RAID1 4294967424 \"0 1\" \"1 1\" A GBB NONE",
     "Invalid stripe block size '4294967424' specified\n"},
    {In::Both, "ca2 RAID1 99999999999999999999999 \"0 1\" 10 A GBB NONE 512",
     "Invalid stripe block size '99999999999999999999999' specified\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" 4294967296 A GBB NONE 512",
     "Array size => Invalid integer '4294967296' specified.\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" 10 A GBB NONE 4294967808",
     "Sector size => Invalid integer '4294967808' specified.\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" 10 A GBB NONE -512",
     "Sector size => Invalid integer '-512' specified.\n"},
    {In::Library, "ca RAID50 128 \"0 1 2 3 4 5\" \"0 0 0 0 0 0\" R NONE NONE 258",
     "Sub-array count => Invalid integer '258' specified.\n"},
    {In::Library, "ca2 RAID50 128 \"0 1 2 3 4 5\" 10 R NONE NONE 512 -1",
     "Sub-array count => Invalid integer '-1' specified.\n"},
    {In::Library, "ca RAIDMF 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 258 1 0",
     "Parity count => Invalid integer '258' specified.\n"},
    {In::Library, "ca RAIDMF 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 2 256 0",
     "Symmetric => Invalid integer '256' specified.\n"},
    {In::Library, "ca RAIDMF 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 2 1 32768",
     "Shift => Invalid integer '32768' specified.\n"},
    {In::Library, "ca2 RAID6 128 \"0 1 2 3\" 10 M NONE NONE 512 2 1 -32769",
     "Shift => Invalid integer '-32769' specified.\n"},
    {In::Both, "ca RAID1 128 \"\" \"1 1\" A GBB NONE", "No block ID specified!\n"},
    {In::Both, "ca RAID1 128 \"0 x\" \"1 1\" A GBB NONE", "Invalid block ID 'x' specified!\n"},
    {In::Both, "ca RAID1 128 \"0 256\" \"1 1\" A GBB NONE", "Invalid block ID '256' specified!\n"},
    {In::Both, "ca RAID1 128 \"0 1\" \"1 y\" A GBB NONE", "Invalid block ID 'y' specified!\n"},
    {In::Both, "ca RAID1 128 \"0 1\" \"1\" A GBB NONE", ""},
    {In::Both, "ca RAID1 128 \"0\" \"1 1\" A GBB NONE", ""},
    {In::Both, "ca RAID1 128 \"0 1\" \"1 1\" A GB NONE", "Unknown rounding scheme 'GB' specified!\n"},
    {In::Both, "ca RAID1 128 \"0 1\" \"1 1\" A GBB SLOW", "Unknown initialization 'SLOW' specified!\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" 10a A GBB NONE 512",
     "Array size => Invalid integer '10a' specified.\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" \"\" A GBB NONE 512",
     "Array size => integer number not specified.\n"},
    {In::Both, "ca2 RAID1 128 \"0 1\" 10 A GBB LATER 512",
     "Unknown initialization 'LATER' specified!\n"},
    {In::Library, "ca RAID50 128 \"0 1 2 3 4\" \"0 0 0 0 0\" R NONE NONE 2",
     "Total number of disk for RAID50 must be at least 6 disks\n"},
    {In::Library, "ca RAID50 128 \"0 1 2 3 4 5\" \"0 0 0 0 0 0\" R NONE NONE", kInvalidCa},
    {In::Library, "ca RAIDMF 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE 2 1", kInvalidCa},
    {In::Library, "ca RAID6 128 \"0 1 2 3\" \"0 0 0 0\" M NONE NONE", kInvalidCa},
    {In::Library, "ca2 RAID50 128 \"0 1 2 3 4 5\" 10 R NONE NONE 512", kInvalidCa2},
    {In::Library, "ca2 RAID50 128 \"0 1 2 3 4\" 10 R NONE NONE 512 2",
     "Total number of disk for RAID50 must be at least 6 disks\n"},
    {In::Library, "ca2 RAIDMF 128 \"0 1 2 3\" 10 M NONE NONE 512 2 1", kInvalidCa2},
    // da and delbp
    {In::Both, "da", "Array ID not specified.\n"},
    {In::Both, "da \"\"", "Array ID not specified.\n"},
    {In::Both, "da x1", "Invalid array ID 'x1' specified.\n"},
    {In::Both, "da 256", "Invalid array ID '256' specified.\n"},
    {In::Both, "da 255", ""},
    {In::Both, "delbp", "Array ID not specified.\n"},
    {In::Both, "delbp -1", "Invalid array ID '-1' specified.\n"},
    {In::Both, "delbp 255", ""},
    // bga, common start
    {In::Both, "bga", kInvalidBga},
    {In::Both, "bga 0", kInvalidBga},
    {In::Both, "bga x START REBUILD \"1\"", "Invalid array ID 'x' specified.\n"},
    {In::Both, "bga 255 START REBUILD \"1\"", ""},
    {In::Both, "bga 999 REBUILD PAUSE", "Invalid array ID '999' specified.\n"},
    // start form
    {In::Both, "bga 0 START", (kNoCategory + kInvalidBga)},
    {In::Both, "bga 0 start FOO", ("Unknown BGA category 'FOO' specified.\n" + kInvalidBga)},
    {In::Both, "bga 0 START REBUILD", kInvalidBga},
    {In::Both, "bga 0 START FOO \"1\"", "Unknown BGA category 'FOO' specified.\n"},
    {In::Both, "bga 0 START REBUILD \"\"", "No block ID specified!\n"},
    {In::Both, "bga 0 START REBUILD \"1 y\"", "Invalid block ID 'y' specified!\n"},
    {In::Both, "bga 0 START REBUILD \"1\" \"z\"", "Invalid block ID 'z' specified!\n"},
    {In::Both, "bga 0 START REBUILD \"1\" \"0 1\"", "More extent indexes than disk IDs specified.\n"},
    {In::Both, "bga 0 START BACKUP \"\"", "No block ID specified!\n"},
    {In::Both, "bga 0 START BACKUP \"4 b\"", "Invalid block ID 'b' specified!\n"},
    {In::Both, "bga 0 START INIT \"\"", "Initialization kind not specified.\n"},
    {In::Both, "bga 0 START INIT NONE", "Unknown initialization kind 'NONE' specified.\n"},
    {In::Both, "bga 0 START SYNC \"\"", "Synchronization kind not specified.\n"},
    {In::Both, "bga 0 START SYNC FAST", "Unknown synchronization kind 'FAST' specified.\n"},
    {In::Both, "bga 0 START MIGRATION RAID6", "Unknown RAID level 'RAID6' specified!\n"},
    {In::Both, "bga 0 START MIGRATION RAID5 \"0 q\"", "Invalid block ID 'q' specified!\n"},
    {In::Both, "bga 0 START MIGRATION RAID5 \"0\" \"1\" x", kInvalidBga},
    {In::Library, "bga 0 START MIGRATION RAID5 \"0 1\" \"2\"", ""},
    {In::Library, "bga 0 START MIGRATION RAID5 \"0 1\" \"2 w\"", "Invalid block ID 'w' specified!\n"},
    {In::Library, "bga 0 START MIGRATION RAID50 \"0 1\" \"2\"", ""},
    // control form
    {In::Both, "bga 0 PAUSE", "BGA control action not specified.\n"},
    {In::Both, "bga 0 REBUILD \"\"", "BGA control action not specified.\n"},
    {In::Both, "bga 0 REBUILD HALT", "Unknown BGA control action 'HALT' specified.\n"},
    {In::Both, "bga 0 FOO STOP", "Unknown BGA control action 'STOP' specified.\n"},
    {In::Library, "bga 0 FOO PAUSE", "Unknown BGA category 'FOO' specified.\n"},
    {In::Library, "bga 0 \"\" PAUSE", kNoCategory},
    {In::Library, "bga 0 BACKUP PAUSE",
     "No control action is defined for a backup; use delbp to delete a backup.\n"},
    {In::Library, "bga 0 backup abort",
     "No control action is defined for a backup; use delbp to delete a backup.\n"},
    {In::Library, "bga 0 INIT RESTART", "The library has no restart operation for initialization.\n"},
    {In::Library, "bga 0 SYNC RESTART", "The library has no restart operation for synchronization.\n"},
    {In::Library, "bga 0 MIGRATION RESTART", "The library has no restart operation for migration.\n"},
    {In::Library, "bga 0 MIGRATION ABORT", "The library has no abort operation for migration.\n"},
};

void checkRefusals(In mode, const std::function<std::string(const char*)>& run) {
    int checked = 0;
    for (const Refusal& r : kRefusals) {
        if (r.mode != In::Both && r.mode != mode) continue;
        sim::clearCallLog();
        Answers answers;
        answers.install();
        EXPECT_EQ(run(r.line), r.out) << r.line;
        EXPECT_EQ(libraryCalls(), 0u) << r.line;
        EXPECT_TRUE(sim::passThroughLog().empty()) << r.line;
        EXPECT_EQ(answers.asked, 0) << r.line;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(LibraryMode, RefusalsSendNothing) {
    checkRefusals(In::Library, [this](const char* line) { return run(line); });
}

TEST_F(DirectMode, RefusalsSendNothing) {
    checkRefusals(In::Direct, [this](const char* line) { return run(line); });
}

}  // namespace

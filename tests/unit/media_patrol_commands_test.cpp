// patrol, bsl and et: the arguments refused before anything is sent, the
// bytes each form sends in both modes, and what a patrol that met simulated
// errors leaves in the patrol information, the bad-sector log and the error
// table. Every list ends where its data or buffer ends, whatever it claims.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "access/patrol_records.h"
#include "command_harness.h"
#include "sim/call_log.h"
#include "sim/disk_media.h"
#include "sim/patrol_model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kT0 = 1000000000;  // Sun Sep 09 01:46:40 2001
// Disk 2 of the demo holds 312581808 sectors: a pass at the default rate
// takes 2000 seconds.
constexpr std::uint32_t kDisk2Sectors = 312581808;

void moveClock(std::int64_t seconds) {
    sim::Store::instance().modify([&](sim::State& s) { s.clock = static_cast<std::uint32_t>(*s.clock + seconds); });
}

// Puts errors on disk 2: one a verify meets (4 sectors at 1000), one a read
// or verify meets as a time-out (2 at 5000000), one only reads meet, and
// one in the second half of the disk.
void putErrorsOnDisk2() {
    sim::Store::instance().modify([](sim::State& s) {
        sim::Disk& d = s.controllers[0].disks[2];
        d.simulatedErrors = {
            {1000, 4, sim::kErrorFlagVerify, sim::kErrorTypeMedia},
            {5000000, 2, sim::kErrorFlagRead | sim::kErrorFlagVerify, sim::kErrorTypeTimeout},
            {7000, 3, sim::kErrorFlagRead, sim::kErrorTypeMedia},
            {200000000, 1, sim::kErrorFlagVerify, sim::kErrorTypeMedia},
        };
    });
}

void setPatrol(const sim::DiskPatrol& p) {
    sim::Store::instance().modify([&](sim::State& s) { s.controllers[0].patrols = {p}; });
}

sim::DiskPatrol patrolOfDisk2() {
    sim::DiskPatrol p;
    sim::Store::instance().read([&](const sim::State& s) {
        if (const sim::DiskPatrol* found = sim::findPatrol(s.controllers[0], 2)) p = *found;
    });
    return p;
}

Bytes request(std::uint32_t disk) { return {static_cast<std::uint8_t>(disk), 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}; }

const char* const kErrorTableHead =
    "Dumping Error Table of Disk 2\n"
    "Dumping Header Info\n"
    "Signature       1413633093\n"
    "Version         1\n"
    "Flags           0\n"
    "EntryNo   LBAL      LBAH       STATUS     COUNT     FLAGS \n";

class PatrolLibrary : public SimulatorFixture {
protected:
    PatrolLibrary() : SimulatorFixture(kT0) {}
};

class PatrolDirect : public DirectModeFixture {
protected:
    PatrolDirect() : DirectModeFixture(kT0) {}

    // The first four bytes of the one command block sent.
    static Bytes cdbStart() {
        const sim::PassThroughRecord sent = onlyPassThrough();
        if (sent.cdb.size() < 4) return {};
        return Bytes(sent.cdb.begin(), sent.cdb.begin() + 4);
    }
};

TEST_F(PatrolLibrary, WordsRefusedBeforeAnythingIsSent) {
    struct Case {
        const char* line;
        const char* printed;
    };
    const Case cases[] = {
        {"patrol", "Disk ID not specified.\n"},
        {"patrol x start", "Invalid Disk ID 'x' specified.\n"},
        {"patrol 256 start", "Invalid Disk ID '256' specified.\n"},
        {"patrol 255 start", ""},
        {"patrol 2", "Sub-command not specified.\n"},
        {"patrol 2 stop", "Invalid sub command 'stop' specified.\n"},
        {"bsl", "Disk ID not specified.\n"},
        {"bsl 2", "Sub-command not specified.\n"},
        {"bsl 2 list", "Invalid sub-command 'list' specified.\n"},
        {"bsl 2x dump", "Invalid Disk ID '2x' specified.\n"},
        {"et", "Disk ID not specified.\n"},
        {"et 2", "Sub-command not specified.\n"},
        {"et 2 show", ""},
        {"et 255 dump", ""},
        {"patrol 129 dump", "Media patrol information is reported for disk IDs 0 to 128 only.\n"},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_TRUE(sim::libraryCallLog().empty()) << c.line;
    }
}

TEST_F(PatrolLibrary, EachControlWordCallsItsOperationWithTheDisk) {
    struct Case {
        const char* line;
        const char* operation;
    };
    const Case cases[] = {
        {"patrol 2 Start", "hx_startHBAMediaPatrol"},
        {"patrol 2 PAUSE", "hx_pauseHBAMediaPatrol"},
        {"patrol 2 resume", "hx_resumeHBAMediaPatrol"},
        {"patrol 2 abort", "hx_stopHBAMediaPatrol"},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(sim::lastLibraryCall(c.operation), request(2)) << c.line;
        EXPECT_EQ(sim::libraryCallLog().size(), 1u) << c.line;
    }
    EXPECT_EQ(patrolOfDisk2().state, lib::PATROL_STATE_ABORTED);
}

TEST_F(PatrolDirect, EachControlWordSendsItsCode) {
    struct Case {
        const char* line;
        std::uint8_t code;
    };
    const Case cases[] = {{"patrol 3 Start", 0}, {"patrol 3 pause", 2}, {"patrol 3 RESUME", 3}, {"patrol 3 abort", 4}};
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(cdbStart(), (Bytes{0xE1, 0x04, c.code, 0x03})) << c.line;
        EXPECT_TRUE(sim::libraryCallLog().empty());
    }
}

TEST_F(PatrolLibrary, ProgressRunsAgainstTheClockAndMeetsTheVerifyErrors) {
    putErrorsOnDisk2();
    EXPECT_EQ(run("patrol 2 start"), "");
    moveClock(1000);
    EXPECT_EQ(run("patrol 2 dump"),
              "Dumping Media Patrol Information of Disk 2\n"
              "State: Running\n"
              "Watermark: 950cf58\n"
              "Run loop count: 0\n"
              "Error Count: 6\n"
              "Progress 50%\n"
              "Start time Sun Sep 09 01:46:40 2001\n%\n");
    EXPECT_EQ(sim::lastLibraryCall("hx_getHBAMediaPatrolProgress"),
              (Bytes{0, 0, 0, 0, 128, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(run("bsl 2 dump"),
              "LBA_HI     LBA        Count      Status   Flags   \n"
              "0x00000000 0x000003e8 0x00000004 0x000051 0x000020\n"
              "0x00000000 0x004c4b40 0x00000002 0x000080 0x000020\n");
    EXPECT_EQ(sim::lastLibraryCall("hx_getHBABSL"), (Bytes{2, 0}));

    // Paused, the patrol stands still; resumed, it carries on to the end.
    EXPECT_EQ(run("patrol 2 pause"), "");
    moveClock(5000);
    EXPECT_EQ(run("patrol 2 resume"), "");
    moveClock(999);
    EXPECT_EQ(patrolOfDisk2().state, lib::PATROL_STATE_RUNNING);
    moveClock(1);
    EXPECT_EQ(run("patrol 2 dump"),
              "Dumping Media Patrol Information of Disk 2\n"
              "State:  \n"
              "Watermark: 12a19eb0\n"
              "Run loop count: 1\n"
              "Error Count: 7\n"
              "Progress 100%\n"
              "Start time Sun Sep 09 01:46:40 2001\n%\n"
              "Last resume time Sun Sep 09 03:26:40 2001\n%\n");
    const std::string table = std::string(kErrorTableHead) +
                              "  1     3e8     0     51     8004\n"
                              "  2     4c4b40     0     80     8002\n"
                              "  3     bebc200     0     51     8001\n";
    // The second read asks for the entries from LBA 100 on: all of them.
    EXPECT_EQ(run("et 2 dump"), table + table);
    const auto calls = sim::libraryCallLog();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2].record, (Bytes{2, 0, 1, 0}));
    EXPECT_EQ(calls.back().record, (Bytes{2, 0, 2, 0}));

    // A new pass meets the same sectors again: counted, not logged twice.
    EXPECT_EQ(run("patrol 2 start"), "");
    moveClock(2000);
    const sim::DiskPatrol p = patrolOfDisk2();
    EXPECT_EQ(p.runLoops, 2);
    EXPECT_EQ(p.errorCount, 14);
    EXPECT_EQ(p.badSectors.size(), 3u);
    EXPECT_EQ(p.errorTable.size(), 3u);
}

TEST_F(PatrolLibrary, TheGlobalPatrolRateScalesTheSpeedFromItsChange) {
    EXPECT_EQ(run("patrol 2 start"), "");
    moveClock(500);  // a quarter at 50
    EXPECT_EQ(run("gs rate patrol 100"), "");
    moveClock(250);  // another quarter at 100
    sim::DiskPatrol p = patrolOfDisk2();
    EXPECT_EQ(p.rate, 100);
    sim::Store::instance().read([&](const sim::State& s) {
        EXPECT_EQ(sim::patrolSectorsDone(p, s.controllers[0].disks[2], *s.clock), kDisk2Sectors / 2);
    });
    moveClock(500);
    EXPECT_EQ(patrolOfDisk2().runLoops, 1);
}

TEST_F(PatrolLibrary, ControlsThatDoNotFitTheStateAreRefused) {
    const Bytes none = request(9);
    EXPECT_NE(hx_pauseHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
    EXPECT_NE(hx_resumeHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
    EXPECT_NE(hx_stopHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
    EXPECT_NE(hx_startHBAMediaPatrol(0, 0, 0, none.data()), 0u);
    EXPECT_EQ(hx_startHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
    EXPECT_NE(hx_startHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
    EXPECT_NE(hx_resumeHBAMediaPatrol(0, 0, 0, request(2).data()), 0u);
}

TEST_F(PatrolLibrary, APulledDiskEndsItsPatrolWhereItWas) {
    EXPECT_EQ(run("patrol 2 start"), "");
    moveClock(1000);
    sim::Store::instance().modify([](sim::State& s) { s.controllers[0].disks[2].present = false; });
    moveClock(1000);
    const sim::DiskPatrol p = patrolOfDisk2();
    EXPECT_EQ(p.state, lib::PATROL_STATE_ABORTED);
    EXPECT_EQ(p.runLoops, 0);
    EXPECT_EQ(p.doneBefore, kDisk2Sectors / 2);
    EXPECT_EQ(run("patrol 2 start"), "");  // refused by the controller: the disk is not there
    EXPECT_EQ(patrolOfDisk2().state, lib::PATROL_STATE_ABORTED);
}

TEST_F(PatrolLibrary, TimesNotAvailableUnsetAndOutOfRange) {
    struct Case {
        std::uint32_t start;
        std::uint32_t resume;
        const char* times;
    };
    const Case cases[] = {
        {0, 0, "Start time and last resume time are not available.\n"},
        {10000, kT0, "Start time and last resume time are not available.\n"},
        {10001, 0xFFFFFFFFu, "Start time Thu Jan 01 02:46:41 1970\n%\n"},
        {kT0, 10000, "Start time Sun Sep 09 01:46:40 2001\n%\n"},
        {0x7FFFFFFFu, 0x80000000u,
         "Start time Tue Jan 19 03:14:07 2038\n%\nLast resume time (time out of range)\n%\n"},
        {0xFFFFFFFEu, kT0, "Start time (time out of range)\n%\nLast resume time Sun Sep 09 01:46:40 2001\n%\n"},
    };
    for (const Case& c : cases) {
        sim::DiskPatrol p;
        p.disk = 2;
        p.state = 7;
        p.startTime = c.start;
        p.resumeTime = c.resume;
        setPatrol(p);
        EXPECT_EQ(run("patrol 2 dump"), std::string("Dumping Media Patrol Information of Disk 2\n"
                                                     "State: Unknown\n"
                                                     "Watermark: 0\n"
                                                     "Run loop count: 0\n"
                                                     "Error Count: 0\n"
                                                     "Progress 0%\n") +
                                             c.times)
            << c.start;
    }
}

TEST_F(PatrolLibrary, AFailedProgressQueryPrintsItsStatus) {
    hx_finalize();
    EXPECT_EQ(run("patrol 2 dump"), "Call hx_getHBAMediaPatrolProgress failed, error code:0xe0000002\n");
}

TEST_F(PatrolLibrary, TheLogLengthDecidesTheLinesUpToThirty) {
    sim::DiskPatrol p;
    p.disk = 2;
    for (std::uint32_t i = 0; i < 40; ++i) p.badSectors.push_back({100 + 10 * i, 1, 0x51, 0x20});
    struct Case {
        std::uint32_t filled;
        std::size_t lines;  // heading included
    };
    // 64: nothing; 96: two; 95: (31 / 16) one; 0: a negative count, the
    // heading only; far more than fits: thirty.
    const Case cases[] = {{64, 0}, {96, 3}, {95, 2}, {0, 1}, {0x7FFFFFF0u, 31}, {0x80000000u, 1}};
    for (const Case& c : cases) {
        p.reportedLogBytes = c.filled;
        setPatrol(p);
        const std::string printed = run("bsl 2 dump");
        EXPECT_EQ(static_cast<std::size_t>(std::count(printed.begin(), printed.end(), '\n')), c.lines) << c.filled;
        if (c.lines > 1) {
            EXPECT_EQ(printed.substr(0, 2 * 51),
                      "LBA_HI     LBA        Count      Status   Flags   \n"
                      "0x00000000 0x00000064 0x00000001 0x000051 0x000020\n");
        }
    }
}

TEST_F(PatrolLibrary, AnEmptyErrorTablePrintsTheHeadTwice) {
    EXPECT_EQ(run("et 2 dump"), std::string(kErrorTableHead) + kErrorTableHead);
}

TEST_F(PatrolLibrary, AFullErrorTableEndsAtTheBuffer) {
    sim::DiskPatrol p;
    p.disk = 2;
    for (std::uint32_t i = 0; i < sim::kErrorTableCapacity; ++i) p.errorTable.push_back({10 * i, 1, 0x51, 0x20});
    setPatrol(p);
    const std::string printed = run("et 2 dump");
    // 62 entries fill the 1024 bytes; the second read starts at LBA 100.
    EXPECT_NE(printed.find("  62     262     0     51     8001\n"), std::string::npos);
    EXPECT_NE(printed.find("  52     262     0     51     8001\n"), std::string::npos);
    EXPECT_EQ(printed.find("  63 "), std::string::npos);
}

TEST_F(PatrolDirect, DumpAndErrorTableThroughTheDriver) {
    putErrorsOnDisk2();
    EXPECT_EQ(run("patrol 2 start"), "");
    moveClock(1000);
    sim::clearCallLog();
    EXPECT_EQ(run("patrol 2 dump"),
              "Dumping Media Patrol Information of Disk 2\n"
              "State: Running\n"
              "Watermark: 950cf58\n"
              "Run loop count: 0\n"
              "Error Count: 6\n"
              "Progress 50%\n");
    EXPECT_EQ(cdbStart(), (Bytes{0xE1, 0x0C, 0x00, 0x02}));
    sim::clearCallLog();
    EXPECT_EQ(run("et 2 dump"), std::string(kErrorTableHead) +
                                    "  1     3e8     0     51     8004\n"
                                    "  2     4c4b40     0     80     8002\n");
    EXPECT_EQ(cdbStart(), (Bytes{0xE1, 0x0C, 0x01, 0x02}));
    EXPECT_TRUE(sim::libraryCallLog().empty());
}

TEST_F(PatrolDirect, AFullErrorTableEndsAtTheDataReceived) {
    sim::DiskPatrol p;
    p.disk = 2;
    for (std::uint32_t i = 0; i < sim::kErrorTableCapacity; ++i) p.errorTable.push_back({10 * i, 1, 0x51, 0x20});
    setPatrol(p);
    const std::string printed = run("et 2 dump");
    EXPECT_NE(printed.find("  30     122     0     51     8001\n"), std::string::npos);
    EXPECT_EQ(printed.find("  31 "), std::string::npos);
}

TEST_F(PatrolDirect, ADiskThatDoesNotExistIsRefusedByTheDriver) {
    EXPECT_NE(run("patrol 9 dump"), "");
    EXPECT_EQ(run("patrol 9 dump").find("Dumping"), std::string::npos);
}

}  // namespace

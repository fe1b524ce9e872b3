// dbg and es against the simulated controller: the blocks and requests each
// form sends, byte for byte, in both modes; argument refusals that send
// nothing; the data a disk keeps; faults as the console shows them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "access/debug_records.h"
#include "command_harness.h"
#include "sim/array_model.h"
#include "sim/call_log.h"
#include "sim/disk_faults.h"
#include "sim/hxapi_library.h"
#include "sim/sector_store.h"
#include "sim/sim_driver.h"
#include "access/library_records.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The 16 command-block bytes the bypass request last handed over.
Bytes lastBypassBlock() {
    const Bytes request = sim::lastLibraryCall("hx_sendBypassCommand");
    if (request.size() != lib::BypassRequest::kSize) return {};
    return Bytes(request.begin() + 16, request.begin() + 32);
}

Bytes block(std::initializer_list<int> leading) {
    Bytes b(16, 0);
    std::size_t i = 0;
    for (int v : leading) b[i++] = static_cast<std::uint8_t>(v);
    return b;
}

// A dump of bytes as hexDump prints whole lines of them.
std::string dumpOf(const Bytes& data) {
    std::string text;
    char line[96];
    for (std::size_t at = 0; at < data.size(); at += 16) {
        int n = std::snprintf(line, sizeof line, "%05X    ", static_cast<unsigned>(at));
        std::string chars;
        for (std::size_t i = at; i < at + 16; ++i) {
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X ", data[i]);
            const std::uint8_t c = data[i];
            chars += (c >= 0x20 && c <= 0x2D) || (c >= 0x30 && c <= 0x7E) ? static_cast<char>(c) : '.';
        }
        text += line + chars + "\n";
    }
    return text;
}

Bytes pattern(std::size_t bytes, std::uint32_t value) {
    Bytes b(bytes);
    for (std::size_t i = 0; i < bytes; i += 4) {
        for (int k = 0; k < 4; ++k) b[i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
    }
    return b;
}

class Debug : public SimulatorFixture {
protected:
    void SetUp() override {
        sim::forgetMemoryImages();
        SimulatorFixture::SetUp();
    }
    void TearDown() override {
        SimulatorFixture::TearDown();
        sim::forgetMemoryImages();
    }
    // Runs the line in both modes from the same start; what each printed.
    std::string inDirectMode(const std::string& line) {
        openDirectMode();
        const std::string printed = run(line);
        controller = nullptr;
        device.reset();
        return printed;
    }
};

TEST_F(Debug, RefusedWordsPrintTheirMessageAndSendNothing) {
    struct Case {
        const char* line;
        const char* printed;
    };
    const Case cases[] = {
        {"dbg", "Invalid Parameters, please check and also you can get the help information by typing 'help dbg'\n"},
        {"dbg foo", "Invalid debugging command 'foo' specified.\n"},
        {"dbg read", "Disk ID not specified.\n"},
        {"dbg read x1 0 1", "Invalid Disk ID 'x1' specified.\n"},
        {"dbg read 256 0 1", "Invalid Disk ID '256' specified.\n"},
        {"dbg read 255 0 1", ""},
        {"dbg read 3 0 0", ""},
        {"dbg read 3 0", "Sector Count => integer number not specified.\n"},
        {"dbg read 3 0 8388608", "Sector Count => Invalid integer '8388608' specified.\n"},
        {"dbg write 3 0 1", "Write Pattern => hex integer number not specified.\n"},
        {"dbg ecc 3", "LBA not specified.\n"},
        {"dbg disk", "OS Disk operation command not specified.\n"},
        {"dbg disk erase 0", "Invalid disk operation command 'erase' specified.\n"},
        {"dbg disk read 0 0 0", ""},
        {"dbg cc 1", "Invalid Parameters, please check and also you can get the help information by typing 'help dbg'\n"},
        {"dbg cc 1 on", "Invalid Parameters, please check and also you can get the help information by typing 'help dbg cc'\n"},
        {"dbg cc 300 enablebypass", "Invalid array ID '300' specified.\n"},
        {"es", "Disk ID not specified.\n"},
        {"es 255 dump", ""},
        {"es 3", "Command not specified.\n"},
        {"es 3 smart", "Command - 'smart' is not implemented yet.\n"},
        {"es 3 smarterror", "Must be either 'disable' or 'enable'\n"},
        {"es 3 smarterror maybe", "Must be either 'disable' or 'enable'\n"},
        {"es 3 inject", "LBA not specified.\n"},
        {"es 3 inject 1000", "You should specify if it is media error or timeout.\n"},
        {"es 3 inject 1000 disk read", "invalid error type 'disk' specified. must be media or timeout.\n"},
        {"es 3 inject 1000 media", "ES flag not specified.\n"},
        {"es 3 inject 1000 media foo", "ES flag not specified.\n"},
        {"es 3 purge 10", "sector count => hex integer number not specified.\n"},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_TRUE(sim::passThroughLog().empty()) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_sendBypassCommand"), 0u) << c.line;
    }
}

TEST_F(Debug, AWrittenPatternIsReadBackAsAHexDumpInBothModes) {
    EXPECT_EQ(run("dbg write 1 10 2 A5A5A5A5"), "");
    const auto log = sim::passThroughLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.back().cdb, block({0xE2, 1, 1, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(log.back().data, pattern(1024, 0xA5A5A5A5));
    const std::string expected = dumpOf(pattern(512, 0xA5A5A5A5));
    EXPECT_EQ(run("dbg read 1 11 1"), expected);
    EXPECT_EQ(inDirectMode("dbg read 1 11 1"), expected);
    EXPECT_EQ(inDirectMode("dbg write 1 11 1 01020304"), "");
    EXPECT_EQ(run("dbg read 1 11 1"), dumpOf(pattern(512, 0x01020304)));
    // Never written: zeros.
    EXPECT_EQ(run("dbg read 1 12 1"), dumpOf(Bytes(512, 0)));
    // The library-mode device is found for the command and closed after it.
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 0u);
}

TEST_F(Debug, ACountAboveTheBlockFieldKeepsItsLowSixteenBitsInTheBlock) {
    openDirectMode();
    // 65536 sectors: the block says 0, the buffer holds all 32 MiB.
    EXPECT_EQ(run("dbg write 2 0 65536 5A5A5A5A"), "");
    auto log = sim::passThroughLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].cdb, block({0xE2, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(log[0].length, 65536u * 512u);
    // 65537: the block says 1 while the buffer holds 65537 sectors; the
    // controller refuses the mismatch and nothing is written.
    sim::clearCallLog();
    const std::string printed = run("dbg write 2 0 65537 11111111");
    log = sim::passThroughLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].cdb[12], 1);
    EXPECT_EQ(log[0].cdb[13], 0);
    EXPECT_EQ(log[0].length, 65537u * 512u);
    EXPECT_EQ(printed.substr(0, 17), "Scsi status: 02h\n");
    EXPECT_EQ(run("dbg read 2 FFFF 1"), dumpOf(pattern(512, 0x5A5A5A5A)));
}

TEST_F(Debug, AMediaErrorEndsAReadWithItsSenseAndPrintsNoData) {
    EXPECT_EQ(run("es 1 inject 21 media read"), "");
    const std::string sense =
        "Scsi status: 02h\n\n"
        "Sense Info -- consult SCSI spec for details\n"
        "-------------------------------------------------------------\n"
        "00000    F0 00 03 00 00 00 21 0A 00 00 00 00 11 00 00 00 ......!.........\n"
        "00010    00 00 \n";
    EXPECT_EQ(run("dbg read 1 20 4"), sense);
    EXPECT_EQ(inDirectMode("dbg read 1 20 4"), sense);
    // The read flag alone: writes go through.
    EXPECT_EQ(run("dbg write 1 21 1 0"), "");
    EXPECT_EQ(run("dbg read 1 22 1"), dumpOf(Bytes(512, 0)));
    // The write flag fails writes, with the write error code.
    EXPECT_EQ(run("es 1 inject 40 media write"), "");
    const std::string printed = run("dbg write 1 3E 4 0");
    EXPECT_NE(printed.find("F0 00 03 00 00 00 40 0A 00 00 00 00 0C 00"), std::string::npos) << printed;
    // A time-out fails the request itself, after a while.
    EXPECT_EQ(run("es 1 inject 50 timeout read"), "");
    EXPECT_EQ(run("dbg read 1 50 1"), "The semaphore timeout period has expired.\r\n\n");
}

TEST_F(Debug, AnEccBreakFailsReadsOfItsSectorUntilItIsRewritten) {
    EXPECT_EQ(run("dbg ecc 4 100"), "");
    const auto log = sim::passThroughLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].cdb, block({0xE2, 2, 4, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(log[0].data.size(), 520u);
    EXPECT_EQ(run("dbg read 4 100 1").substr(0, 17), "Scsi status: 02h\n");
    EXPECT_EQ(run("dbg write 4 100 1 0"), "");
    EXPECT_EQ(run("dbg read 4 100 1"), dumpOf(Bytes(512, 0)));
}

// In library mode the command's device is the selected controller's, found
// by the ids the library reports for it: a library that reports no path,
// or ports of which none carries those ids, stop the command with a
// message, and nothing goes to any device.
TEST_F(Debug, LibraryModeWithoutAnAnsweringControllerStopsWithAMessage) {
    sim::Store::instance().modify([](sim::State& s) { s.ports = {{sim::PortKind::Missing, -1, false}}; });
    EXPECT_EQ(run("dbg read 1 0 1"), "The library reports no device path for controller 0: no device to send to.\n");
    EXPECT_TRUE(sim::passThroughLog().empty());
}

TEST_F(Debug, TheBypassSwitchSendsItsBlockThroughTheLibraryOnly) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" A NONE NONE"), "");
    EXPECT_EQ(run("dbg cc 0 ENABLEBYPASS"), "dbg cc 0 command is returned successfully.\n");
    const Bytes request = sim::lastLibraryCall("hx_sendBypassCommand");
    Bytes expected(lib::BypassRequest::kSize, 0);
    expected[15] = 4;
    expected[16] = 0xE2;
    expected[17] = 0x51;
    expected[18] = 4;
    expected[19] = 0;
    EXPECT_EQ(request, expected);
    bool bypass = false;
    sim::Store::instance().read([&](const sim::State& s) { bypass = s.controllers[0].arrays[0].bypass; });
    EXPECT_TRUE(bypass);
    EXPECT_EQ(run("dbg cc 0 disablebypass"), "dbg cc 0 command is returned successfully.\n");
    EXPECT_EQ(lastBypassBlock(), block({0xE2, 0x51, 3, 0}));
    EXPECT_EQ(run("dbg cc 7 enablebypass"), "dbg cc 7 command is returned unsuccessfully.\n");
    sim::clearCallLog();
    EXPECT_EQ(inDirectMode("dbg cc 0 enablebypass"), "");
    EXPECT_EQ(sim::libraryCallCount("hx_sendBypassCommand"), 0u);
}

TEST_F(Debug, SimulatorBlocksAreTheSameInBothModes) {
    struct Case {
        const char* line;
        Bytes block;
        std::size_t directLength;  // the block bytes the driver is given
    };
    const std::vector<Case> cases = {
        {"es 3 inject 1000 media read write", block({0xE2, 0x10, 3, 1, 0, 0x10, 0, 0, 1, 0, 0x51, 6}), 12},
        {"es 3 inject 1000 timeout wc verify", block({0xE2, 0x10, 3, 1, 0, 0x10, 0, 0, 1, 0, 0x80, 0x21}), 12},
        {"es 3 inject 1000 media foo read", block({0xE2, 0x10, 3, 1, 0, 0x10, 0, 0, 1, 0, 0x51, 2}), 12},
        {"es 3 inject 100000000 MEDIA READ", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 0x51, 2}), 12},
        {"es 3 clear", block({0xE2, 0x10, 3, 3}), 4},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(lastBypassBlock(), c.block) << c.line;
        const Bytes request = sim::lastLibraryCall("hx_sendBypassCommand");
        ASSERT_EQ(request.size(), lib::BypassRequest::kSize);
        EXPECT_EQ(request[15], 0) << c.line;
        EXPECT_EQ(request[216], 0) << c.line;
        EXPECT_EQ(request[224], 0) << c.line;
        EXPECT_EQ(inDirectMode(c.line), "") << c.line;
        const auto log = sim::passThroughLog();
        ASSERT_EQ(log.size(), 1u) << c.line;
        EXPECT_EQ(log[0].cdb, c.block) << c.line;
    }
    // The library-only forms.
    const std::vector<std::pair<const char*, Bytes>> libraryOnly = {
        {"es 3 purge 20 10", block({0xE2, 0x10, 3, 2, 0x20, 0, 0, 0, 0x10, 0, 0, 0})},
        {"es 3 smarterror ENABLE", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 1, 0x40})},
        {"es 3 smarterror disable", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0x40})},
        {"es 3 unplug", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0x08})},
        {"es 3 plugin", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0x10})},
        {"es 3 setdown", block({0xE2, 0x10, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0xFF})},
    };
    for (const auto& [line, expected] : libraryOnly) {
        sim::clearCallLog();
        EXPECT_EQ(run(line), "") << line;
        EXPECT_EQ(lastBypassBlock(), expected) << line;
    }
}

TEST_F(Debug, DumpListsTheRecordsInBothModes) {
    EXPECT_EQ(run("es 2 dump"), "Dumping simulated error on disk 2\n");
    run("es 2 inject 1000 media read write");
    run("es 2 inject 2000 timeout wc verify unplug smart");
    run("es 2 inject 30 media plugin");
    const std::string listing =
        "Dumping simulated error on disk 2\n"
        "00001000 (0001)  media error ( read write  )\n"
        "00002000 (0001)      timeout ( verify wc unplug smart )\n"
        "00000030 (0001)  media error ( )\n";
    EXPECT_EQ(run("es 2 dump"), listing);
    const Bytes request = sim::lastLibraryCall("hx_sendBypassCommand");
    ASSERT_EQ(request.size(), lib::BypassRequest::kSize);
    EXPECT_EQ(request[216], 0x00);
    EXPECT_EQ(request[217], 0x02);  // 512 bytes
    EXPECT_EQ(inDirectMode("es 2 dump"), listing);
    run("es 2 purge 1000 1001");
    EXPECT_EQ(run("es 2 dump"), "Dumping simulated error on disk 2\n00000030 (0001)  media error ( )\n");
    run("es 2 clear");
    EXPECT_EQ(run("es 2 dump"), "Dumping simulated error on disk 2\n");
}

TEST_F(Debug, DiskFaultsTakeTheDiskFromItsArraysAndQueueEvents) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" A NONE NONE"), "");
    run("es 1 unplug");
    sim::Store::instance().read([](const sim::State& s) {
        const sim::Controller& c = s.controllers[0];
        EXPECT_FALSE(c.disks[1].present);
        EXPECT_EQ(c.arrays[0].members, (std::vector<int>{0, sim::kMissingMember}));
        EXPECT_NE(c.arrays[0].flags & lib::LOGDRV_COND_CRITICAL, 0u);
        ASSERT_FALSE(c.events.empty());
        EXPECT_EQ(c.events.back().id, sim::kEventDiskUnplugged);
    });
    EXPECT_EQ(run("dbg read 1 0 1").substr(0, 17), "Scsi status: 02h\n");
    run("es 1 plugin");
    run("es 0 setdown");
    run("es 5 smarterror enable");
    sim::Store::instance().read([](const sim::State& s) {
        const sim::Controller& c = s.controllers[0];
        EXPECT_TRUE(c.disks[1].present);
        EXPECT_TRUE(c.disks[0].failed);
        EXPECT_TRUE(c.disks[5].smartFailure);
        EXPECT_EQ(c.arrays[0].members, (std::vector<int>{sim::kMissingMember, sim::kMissingMember}));
        EXPECT_EQ(c.arrays[0].flags & lib::LOGDRV_COND_FUNCTIONAL, 0u);
        ASSERT_GE(c.events.size(), 3u);
        EXPECT_EQ(c.events.back().id, sim::kEventDiskSmartError);
    });
}

TEST_F(Debug, TheLibraryTakesOnlyBuffersLentToIt) {
    std::uint8_t request[lib::BypassRequest::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    request[16] = 0xE2;
    request[17] = 0x10;
    request[18] = 2;
    request[19] = 0;  // list
    std::uint8_t list[512];
    std::memset(list, 0xEE, sizeof list);
    r.put<lib::BypassRequest::DataLength>(512);
    {
        lib::BufferLoan loan(list, 256);  // shorter than the request says
        r.put<lib::BypassRequest::DataAddress>(loan.address());
        EXPECT_EQ(hx_sendBypassCommand(0, 0, 0, request), sim::kHxStatusInvalidArgument);
    }
    std::uint32_t gone = 0;
    {
        lib::BufferLoan loan(list, sizeof list);
        gone = loan.address();
    }
    r.put<lib::BypassRequest::DataAddress>(gone);
    EXPECT_EQ(hx_sendBypassCommand(0, 0, 0, request), sim::kHxStatusInvalidArgument);
    r.put<lib::BypassRequest::DataAddress>(0x12345670u);
    EXPECT_EQ(hx_sendBypassCommand(0, 0, 0, request), sim::kHxStatusInvalidArgument);
    EXPECT_EQ(list[0], 0xEE);
    {
        lib::BufferLoan loan(list, sizeof list);
        r.put<lib::BypassRequest::DataAddress>(loan.address());
        EXPECT_EQ(hx_sendBypassCommand(0, 0, 0, request), 0u);
    }
    // The disk has no records: the whole list comes back empty.
    EXPECT_EQ(list[6], 0);
    EXPECT_EQ(list[511], 0);
}

TEST_F(Debug, OsDisksAreImagesOfTheSimulatedMachine) {
    sim::Store::instance().modify([](sim::State& s) { s.osDisks = {16450560, 0, 2048}; });
    EXPECT_EQ(run("dbg disk list"),
              "OS Disk ID: 0 Size: 0xfb0400 blocks\n"
              "OS Disk ID: 1 Size: 0x0 blocks\n"
              "OS Disk ID: 2 Size: 0x0 blocks\n");
    EXPECT_EQ(run("dbg disk write 2 7FF 1 CAFEF00D"), "Disk write OK!\n");
    EXPECT_EQ(run("dbg disk read 2 7FF 1"), dumpOf(pattern(512, 0xCAFEF00D)));
    EXPECT_EQ(inDirectMode("dbg disk read 2 7FF 1"), dumpOf(pattern(512, 0xCAFEF00D)));
    EXPECT_EQ(run("dbg disk read 2 800 1"), "The drive cannot find the sector requested.\r\n\n");
    EXPECT_EQ(run("dbg disk read 5 0 1"), "Open disk 5 failed : The system cannot find the file specified.\r\n\n");
    EXPECT_EQ(run("dbg disk read 0 FFFFFFFFFFFFFF 1"), "The parameter is incorrect.\r\n\n");
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 0u);
}

}  // namespace

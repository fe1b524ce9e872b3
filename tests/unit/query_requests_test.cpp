// What the listing and status commands ask for: in library mode the bytes of
// each query's request record as the stand-in library received it, in
// direct mode the command blocks the stand-in driver received.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_harness.h"
#include "sim/call_log.h"
#include "sim/model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// An InfoRequest as bytes: first id, count and the 16-bit word.
Bytes infoRequest(std::uint32_t firstId, std::uint32_t count, std::uint16_t word) {
    return {static_cast<std::uint8_t>(firstId), static_cast<std::uint8_t>(firstId >> 8),
            static_cast<std::uint8_t>(firstId >> 16), static_cast<std::uint8_t>(firstId >> 24),
            static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24),
            static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8), 0, 0};
}

Bytes cdb(std::initializer_list<std::uint8_t> head, std::uint8_t byte15 = 0) {
    Bytes block(16, 0);
    std::size_t i = 0;
    for (std::uint8_t b : head) block[i++] = b;
    block[15] = byte15;
    return block;
}

struct LibraryCall {
    std::string operation;
    Bytes request;
};

struct Case {
    const char* line;
    std::vector<LibraryCall> library;  // every call, in order
    std::vector<Bytes> direct;         // every command block, in order
};

class QueryRequests : public SimulatorFixture {
protected:
    // The clock stands still so the activities stay where they are.
    QueryRequests() : SimulatorFixture(1000000000u) {}

    // Array 0, a RAID1 of disks 0 and 1, initialising; array 1, a RAID1 of
    // disks 2 and 3, migrating.
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SimulatorFixture::SetUp());
        run("ca raid1 128 \"0 1\" \"0 0\" first NONE QUICK");
        run("ca raid1 128 \"2 3\" \"0 0\" second NONE NONE");
        sim::Store::instance().modify([](sim::State& s) {
            sim::Activity migration;
            migration.kind = sim::ActivityKind::Migration;
            migration.startTime = migration.runningSince = 1000000000u;
            s.controllers[0].arrays[1].activity = migration;
        });
        sim::clearCallLog();
    }
};

const Case kCases[] = {
    {"ld", {{"hx_getPhyDrvInfo", infoRequest(0, 128, 255)}}, {cdb({0xE1, 0x02, 0x02, 0xFF})}},
    {"la",
     {{"hx_getLogDrvInfo", infoRequest(0, 128, 0)},
      {"hx_getAryLostDisk", {0, 0, 0, 0}},
      {"hx_getAryLostDisk", {1, 0, 0, 0}}},
     {cdb({0xE1, 0x02, 0x04, 0xFF})}},
    {"le", {{"hx_getPhyDrvInfo", infoRequest(0, 128, 0)}}, {}},
    // The initialisation's progress is asked for twice: once for the
    // activity's name, once for its percentage.
    {"as 0",
     {{"hx_getLogDrvInfo", infoRequest(0, 1, 0)},
      {"hx_getLogDrvInitProgress", infoRequest(0, 0, 0)},
      {"hx_getLogDrvInitProgress", infoRequest(0, 0, 0)}},
     {cdb({0xE0, 0x06}, 0), cdb({0xE1, 0x02, 0x07, 0x00})}},
    {"as 1",
     {{"hx_getLogDrvInfo", infoRequest(1, 1, 0)},
      {"hx_getMigrationProgress", infoRequest(1, 1, 0)},
      {"hx_getMigrationProgress", infoRequest(1, 1, 0)}},
     {cdb({0xE0, 0x06}, 1), cdb({0xE1, 0x02, 0x07, 0x01})}},
};

TEST_F(QueryRequests, LibraryModeRequestRecords) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        sim::clearCallLog();
        run(c.line);
        const auto calls = sim::libraryCallLog();
        ASSERT_EQ(calls.size(), c.library.size());
        for (std::size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].operation, c.library[i].operation) << i;
            EXPECT_EQ(calls[i].record, c.library[i].request) << calls[i].operation;
        }
        EXPECT_TRUE(sim::passThroughLog().empty());
    }
}

TEST_F(QueryRequests, DirectModeCommandBlocks) {
    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    for (const Case& c : kCases) {
        if (std::string(c.line) == "le") continue;  // le always asks the library
        SCOPED_TRACE(c.line);
        sim::clearCallLog();
        run(c.line);
        const auto blocks = sim::passThroughLog();
        ASSERT_EQ(blocks.size(), c.direct.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) EXPECT_EQ(blocks[i].cdb, c.direct[i]) << i;
        EXPECT_TRUE(sim::libraryCallLog().empty());
    }
}

}  // namespace

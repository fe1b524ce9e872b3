// blk and wd: the words refused before anything is sent, the records each
// form hands over byte by byte, and what the operations do to the
// simulated controller's extents and arrays.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_harness.h"
#include "sim/array_model.h"
#include "sim/call_log.h"
#include "sim/extent_model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

sim::Controller controllerNow() {
    sim::Controller c;
    sim::Store::instance().read([&](const sim::State& s) { c = s.controllers[0]; });
    return c;
}

const sim::Disk& diskOf(const sim::Controller& c, int id) { return c.disks[static_cast<std::size_t>(id)]; }

class ExtentControl : public SimulatorFixture {
protected:
    ExtentControl() : SimulatorFixture(1000000000u) {}

    // A mirror of disks 0 and 1, array 0.
    void createMirror() {
        EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
        ASSERT_EQ(controllerNow().arrays.size(), 1u);
        sim::clearCallLog();
    }
};

TEST_F(ExtentControl, WordsRefusedBeforeAnythingIsSent) {
    struct Case {
        const char* line;
        const char* printed;
    };
    const Case cases[] = {
        {"blk", "Disk ID not specified.\n"},
        {"blk z wipe", "Invalid Disk ID 'z' specified.\n"},
        {"blk 255 wipe", ""},
        {"blk 300 wipe", "Invalid Disk ID '300' specified.\n"},
        {"blk 1", "Block control command not specified.\n"},
        {"blk 1 0", ""},
        {"blk 1 FREE", ""},
        {"blk 1 0 WIPE", "Invalid block control command 'WIPE' specified.\n"},
        {"blk 1 0 SPARE", "Either GLOBAL or array ID must be specified!\n"},
        {"blk 1 0 SPARE x", "Invalid array ID 'x' specified.\n"},
        {"blk 1 x SPARE global", "Invalid Extent index 'x' specified.\n"},
        {"blk 1 x FREE", "Invalid Extent index 'x' specified.\n"},
        {"blk 1 2 ADD", "Array ID not specified.\n"},
        {"blk 1 x ADD 0", "Invalid Extent index 'x' specified.\n"},
        {"blk 1 x SPLIT 10", "Invalid Extent index 'x' specified.\n"},
        {"blk 1 2 SPLIT 1k", "Split block offset => Invalid integer '1k' specified.\n"},
        {"blk 1 2 SPLIT", "Split block offset => integer number not specified.\n"},
        {"blk 1 x DELETE", "Invalid Extent index 'x' specified.\n"},
        {"blk 1 2 MOVE 3", "Invalid block control command 'MOVE' specified.\n"},
        {"wd", "Disk ID not specified.\n"},
        {"wd 255", ""},
        {"wd 1x", "Invalid Disk ID '1x' specified.\n"},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_TRUE(sim::libraryCallLog().empty()) << c.line;
    }
}

TEST_F(ExtentControl, EachFormHandsOverItsRecord) {
    struct Case {
        const char* line;
        const char* operation;
        Bytes record;
    };
    const Case cases[] = {
        {"blk 1 wipe", "hx_removeHBADiskMDD", {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"wd 3", "hx_removeHBADiskMDD", {3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"blk 1 0 SPARE Global", "hx_spareHBAExtent", {0, 0, 1, 0, 255, 0}},
        {"blk 1 0 spare 7", "hx_spareHBAExtent", {0, 0, 1, 0, 7, 0}},
        {"blk 1 0 free", "hx_freeHBAExtent", {0, 0, 0, 0, 1, 0, 0, 0}},
        {"blk 1 4 ADD 6", "hx_addHBAExtentToArray", {4, 0, 1, 0, 6, 0}},
        {"blk 1 2 SPLIT 1024", "hx_splitHBAExtent", {2, 0, 0, 0, 1, 0, 0, 0, 0, 4, 0, 0}},
        {"blk 1 2 split 4294967295", "hx_splitHBAExtent", {2, 0, 0, 0, 1, 0, 0, 0, 255, 255, 255, 255}},
        {"blk 6 3 Delete extra words", "hx_deleteHBAExtent", {3, 0, 0, 0, 6, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        sim::clearCallLog();
        run(c.line);
        EXPECT_EQ(sim::lastLibraryCall(c.operation), c.record) << c.line;
        EXPECT_EQ(sim::libraryCallLog().size(), 1u) << c.line;
    }
}

TEST_F(ExtentControl, SplitDeleteSpareAndFreeChangeTheExtents) {
    const std::uint64_t size = diskOf(controllerNow(), 4).extents.at(0).size;
    EXPECT_EQ(run("blk 4 0 SPLIT 1024"), "");
    sim::Disk d = diskOf(controllerNow(), 4);
    ASSERT_EQ(d.extents.size(), 2u);
    EXPECT_EQ(d.extents[0].size, 1024u * 2048u);
    EXPECT_EQ(d.extents[1].index, 1);
    EXPECT_EQ(d.extents[1].start, sim::kReservedSectors + 1024u * 2048u);
    EXPECT_EQ(d.extents[0].size + d.extents[1].size, size);

    EXPECT_EQ(run("blk 4 1 SPARE GLOBAL"), "");
    EXPECT_EQ(diskOf(controllerNow(), 4).extents[1].role, sim::ExtentRole::GlobalSpare);
    // A spare is neither split nor deleted; freed, it can be.
    EXPECT_NE(hx_deleteHBAExtent(0, 0, 0, Bytes{1, 0, 0, 0, 4, 0, 0, 0}.data()), 0u);
    EXPECT_EQ(run("blk 4 1 FREE"), "");
    EXPECT_EQ(diskOf(controllerNow(), 4).extents[1].role, sim::ExtentRole::Free);
    EXPECT_EQ(run("blk 4 1 DELETE"), "");
    d = diskOf(controllerNow(), 4);
    ASSERT_EQ(d.extents.size(), 1u);
    EXPECT_EQ(d.extents[0].size, size);
    // A split at or past the end, or at 0, changes nothing.
    for (std::uint32_t mb : {0u, 4294967295u}) {
        const Bytes ref{0, 0, 0, 0, 4, 0, 0, 0};
        EXPECT_NE(hx_splitHBAExtent(0, 0, 0, ref.data(), mb), 0u) << mb;
    }
    EXPECT_EQ(diskOf(controllerNow(), 4).extents.size(), 1u);
}

TEST_F(ExtentControl, ASpareMadeByBlkTakesPartInTheNextRebuild) {
    createMirror();
    EXPECT_EQ(run("blk 5 0 SPLIT 100000"), "");
    EXPECT_EQ(run("blk 5 1 SPARE 0"), "");
    EXPECT_EQ(diskOf(controllerNow(), 5).extents[1].role, sim::ExtentRole::DedicatedSpare);
    EXPECT_EQ(run("wd 1"), "");
    sim::Controller c = controllerNow();
    EXPECT_EQ(c.arrays[0].members, (std::vector<int>{0, sim::kMissingMember}));
    EXPECT_EQ(c.arrays[0].lostMask, 2u);
    ASSERT_EQ(diskOf(c, 1).extents.size(), 1u);
    EXPECT_EQ(diskOf(c, 1).extents[0].role, sim::ExtentRole::Free);

    // A rebuild onto disk 5 that names no extent takes the spare.
    sim::Store::instance().modify([](sim::State& s) {
        EXPECT_EQ(sim::startRebuild(s, s.controllers[0], 0, {sim::MemberChoice{5, -1}}), sim::Outcome::Ok);
    });
    c = controllerNow();
    const sim::Disk& d5 = diskOf(c, 5);
    ASSERT_EQ(d5.extents.size(), 2u);
    EXPECT_EQ(d5.extents[0].role, sim::ExtentRole::Free);
    EXPECT_EQ(d5.extents[1].role, sim::ExtentRole::Assigned);
    EXPECT_EQ(d5.extents[1].arrayId, 0);
}

TEST_F(ExtentControl, AddStartsARebuildOntoTheExtent) {
    createMirror();
    EXPECT_EQ(run("wd 1"), "");
    EXPECT_EQ(run("blk 6 0 ADD 0"), "");
    const sim::Controller c = controllerNow();
    ASSERT_TRUE(c.arrays[0].activity.has_value());
    EXPECT_EQ(c.arrays[0].activity->kind, sim::ActivityKind::Rebuild);
    EXPECT_EQ(c.arrays[0].activity->targetDisks, (std::vector<int>{6}));
    EXPECT_EQ(diskOf(c, 6).extents[0].role, sim::ExtentRole::Assigned);
}

TEST_F(ExtentControl, ExtentsInUseAreRefused) {
    createMirror();
    EXPECT_NE(hx_freeHBAExtent(0, 0, 0, Bytes{0, 0, 0, 0, 0, 0, 0, 0}.data()), 0u);
    EXPECT_NE(hx_spareHBAExtent(0, 0, 0, Bytes{0, 0, 0, 0, 255, 0}.data()), 0u);
    EXPECT_NE(hx_spareHBAExtent(0, 0, 0, Bytes{0, 0, 4, 0, 9, 0}.data()), 0u);  // no array 9
    EXPECT_NE(hx_splitHBAExtent(0, 0, 0, Bytes{0, 0, 0, 0, 0, 0, 0, 0}.data(), 10), 0u);
    EXPECT_EQ(controllerNow().arrays[0].members, (std::vector<int>{0, 1}));
}

TEST_F(ExtentControl, AFailedWipeIsReported) {
    EXPECT_EQ(run("wd 9"), "Failed to wipe the reserved sector of disk with ID 9!\n");
    EXPECT_EQ(run("blk 9 wipe"), "");
}

class ExtentControlDirect : public DirectModeFixture {};

TEST_F(ExtentControlDirect, WdSendsTheWipeThroughTheDriver) {
    sim::Store::instance().modify([](sim::State& s) {
        sim::NewArray mirror;
        mirror.level = lib::RAID_LEVEL_RAID1;
        mirror.members = {{2, -1}, {3, -1}};
        EXPECT_EQ(sim::createArray(s, s.controllers[0], mirror), sim::Outcome::Ok);
    });
    sim::clearCallLog();
    EXPECT_EQ(run("wd 3"), "");
    const sim::PassThroughRecord sent = onlyPassThrough();
    ASSERT_GE(sent.cdb.size(), 5u);
    EXPECT_EQ(Bytes(sent.cdb.begin(), sent.cdb.begin() + 5), (Bytes{0xE1, 0x07, 0x03, 0x00, 0x03}));
    EXPECT_TRUE(sim::libraryCallLog().empty());
    const sim::Controller c = controllerNow();
    ASSERT_EQ(c.arrays.size(), 1u);
    EXPECT_EQ(c.arrays[0].members, (std::vector<int>{2, sim::kMissingMember}));
}

}  // namespace

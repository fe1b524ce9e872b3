// The simulated controller's array rules: capacity by level, rounding,
// extents taken and given back, activities against the clock.

#include <gtest/gtest.h>

#include "access/code_tables.h"
#include "sim/array_model.h"

namespace {

using namespace sim;

constexpr std::uint64_t kGiB = 2097152;  // sectors

State freshState(std::uint32_t clock = 1000000) {
    State s = demoState();
    s.clock = clock;
    for (Disk& d : s.controllers[0].disks) d.sectors = 100 * kGiB + kReservedSectors;
    settleState(s);
    return s;
}

NewArray createRequest(std::uint8_t level, std::vector<int> disks, int parity = 0, int subArrays = 0) {
    NewArray c;
    c.level = level;
    c.parityCount = parity;
    c.subArrayCount = subArrays;
    for (int d : disks) c.members.push_back(MemberChoice{d, 0});
    return c;
}

TEST(ArrayModel, FreshDisksHoldOneFreeExtentAfterTheReservedArea) {
    State s = freshState();
    const Disk& d = s.controllers[0].disks[0];
    ASSERT_EQ(d.extents.size(), 1u);
    EXPECT_EQ(d.extents[0].start, kReservedSectors);
    EXPECT_EQ(d.extents[0].size, 100 * kGiB);
    EXPECT_EQ(d.extents[0].role, ExtentRole::Free);
}

TEST(ArrayModel, CapacityFollowsTheLevel) {
    struct Case {
        const char* name;
        NewArray request;
        std::uint64_t gib;  // 0: refused
    };
    const Case cases[] = {
        {"RAID0 of 3", createRequest(lib::RAID_LEVEL_RAID0, {0, 1, 2}), 300},
        {"SPAN of 2", createRequest(lib::RAID_LEVEL_SPAN, {0, 1}), 200},
        {"RAID1 of 2", createRequest(lib::RAID_LEVEL_RAID1, {0, 1}), 100},
        {"RAID1 of 3", createRequest(lib::RAID_LEVEL_RAID1, {0, 1, 2}), 0},
        {"RAID10 of 4", createRequest(lib::RAID_LEVEL_RAID10, {0, 1, 2, 3}), 200},
        {"RAID10 of 3", createRequest(lib::RAID_LEVEL_RAID10, {0, 1, 2}), 0},
        {"RAID5 of 4", createRequest(lib::RAID_LEVEL_RAID5, {0, 1, 2, 3}), 300},
        {"RAID5 of 2", createRequest(lib::RAID_LEVEL_RAID5, {0, 1}), 0},
        {"RAID6 of 5, two parity", createRequest(lib::RAID_LEVEL_RAID6, {0, 1, 2, 3, 4}, 2), 300},
        {"RAIDMF of 5, three parity", createRequest(lib::RAID_LEVEL_RAID6, {0, 1, 2, 3, 4}, 3), 200},
        {"RAIDMF parity not below the disks", createRequest(lib::RAID_LEVEL_RAID6, {0, 1, 2}, 3), 0},
        {"RAID50 of 6 in 2", createRequest(lib::RAID_LEVEL_RAID50, {0, 1, 2, 3, 4, 5}, 0, 2), 400},
        {"RAID50 of 5", createRequest(lib::RAID_LEVEL_RAID50, {0, 1, 2, 3, 4}, 0, 1), 0},
        {"JBOD", createRequest(lib::RAID_LEVEL_JBOD, {0}), 0},
        {"a disk twice", createRequest(lib::RAID_LEVEL_RAID0, {0, 0}), 0},
        {"a disk that does not exist", createRequest(lib::RAID_LEVEL_RAID0, {0, 9}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        State s = freshState();
        Controller& ctl = s.controllers[0];
        const Outcome outcome = createArray(s, ctl, c.request);
        if (c.gib == 0) {
            EXPECT_NE(outcome, Outcome::Ok);
            EXPECT_TRUE(ctl.arrays.empty());
            for (const Disk& d : ctl.disks) EXPECT_EQ(d.extents.size(), 1u);  // nothing taken
            continue;
        }
        ASSERT_EQ(outcome, Outcome::Ok);
        ASSERT_EQ(ctl.arrays.size(), 1u);
        EXPECT_EQ(ctl.arrays[0].sectors, c.gib * kGiB);
        EXPECT_EQ(ctl.arrays[0].flags, 0x1000001u);
    }
}

TEST(ArrayModel, SizedCreationCarvesFreeSpaceAndRoundsDown) {
    State s = freshState();
    Controller& c = s.controllers[0];
    NewArray request = createRequest(lib::RAID_LEVEL_RAID1, {0, 1});
    request.fromSize = true;
    request.sizeMb = 20000;
    request.rounding = 1;  // whole GiB
    ASSERT_EQ(createArray(s, c, request), Outcome::Ok);
    EXPECT_EQ(c.arrays[0].sectors, 19 * kGiB);  // 20000 MB is 19.53 GiB
    const Disk& d = c.disks[0];
    ASSERT_EQ(d.extents.size(), 2u);
    EXPECT_EQ(d.extents[0].role, ExtentRole::Assigned);
    EXPECT_EQ(d.extents[0].size, 20000u * 2048);
    EXPECT_EQ(d.extents[1].role, ExtentRole::Free);
    EXPECT_EQ(d.extents[1].start, kReservedSectors + 20000u * 2048);

    // Ten-GiB rounding of a second array in the space left; ids count up.
    request.rounding = 2;
    int id = -1;
    ASSERT_EQ(createArray(s, c, request, &id), Outcome::Ok);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(c.arrays[1].sectors, 10 * kGiB);

    // Deleting the first frees its extents; the lowest id is used again.
    ASSERT_EQ(deleteArray(s, c, 0), Outcome::Ok);
    EXPECT_EQ(c.disks[0].extents[0].role, ExtentRole::Free);
    ASSERT_EQ(createArray(s, c, request, &id), Outcome::Ok);
    EXPECT_EQ(id, 0);
    // Deleting both merges the disk back into one free extent.
    ASSERT_EQ(deleteArray(s, c, 0), Outcome::Ok);
    ASSERT_EQ(deleteArray(s, c, 1), Outcome::Ok);
    ASSERT_EQ(c.disks[0].extents.size(), 1u);
    EXPECT_EQ(c.disks[0].extents[0].size, 100 * kGiB);
    EXPECT_EQ(deleteArray(s, c, 1), Outcome::NoSuchArray);
}

TEST(ArrayModel, ExtentsInUseCannotBeTakenAgain) {
    State s = freshState();
    Controller& c = s.controllers[0];
    ASSERT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID0, {0})), Outcome::Ok);
    EXPECT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID0, {0})), Outcome::NoSpace);
    NewArray tooBig = createRequest(lib::RAID_LEVEL_RAID0, {1});
    tooBig.fromSize = true;
    tooBig.sizeMb = 200 * 1024;
    EXPECT_EQ(createArray(s, c, tooBig), Outcome::NoSpace);
    EXPECT_EQ(c.arrays.size(), 1u);
}

TEST(ArrayModel, ActivitiesRunPauseResumeAndFinishWithTheClock) {
    State s = freshState(5000000);
    Controller& c = s.controllers[0];
    ASSERT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID5, {0, 1, 2})), Outcome::Ok);
    ASSERT_EQ(startSync(s, c, 0, true), Outcome::Ok);
    EXPECT_EQ(startInit(s, c, 0, 2), Outcome::Busy);
    const Activity& a = *c.arrays[0].activity;
    EXPECT_EQ(a.startTime, 5000000u);
    EXPECT_EQ(reportedArrayFlags(c.arrays[0]) & 0xFF00u, 0x800u);

    s.clock = 5000250;  // a quarter of the way
    EXPECT_EQ(activityProgress(*c.arrays[0].activity, *s.clock), 250u);
    ASSERT_EQ(controlActivity(s, c, 0, Control::Pause), Outcome::Ok);
    s.clock = 5009999;  // no progress while paused
    settleState(s);
    ASSERT_TRUE(c.arrays[0].activity);
    EXPECT_EQ(activityProgress(*c.arrays[0].activity, *s.clock), 250u);
    ASSERT_EQ(controlActivity(s, c, 0, Control::Resume), Outcome::Ok);
    EXPECT_EQ(c.arrays[0].activity->resumeTime, 5009999u);
    s.clock = 5009999 + 749;
    settleState(s);
    ASSERT_TRUE(c.arrays[0].activity);
    s.clock = 5009999 + 750;
    settleState(s);
    EXPECT_FALSE(c.arrays[0].activity);
    ASSERT_FALSE(c.events.empty());
    EXPECT_EQ(c.events.back().description, "Redundancy check completed");
    EXPECT_EQ(c.events.back().time, 5009999u + 750);
}

TEST(ArrayModel, RebuildReplacesTheMissingMember) {
    State s = freshState();
    Controller& c = s.controllers[0];
    ASSERT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID1, {0, 1})), Outcome::Ok);
    Array& a = c.arrays[0];
    a.members[1] = kMissingMember;  // disk 1 lost; its extent is not free
    EXPECT_EQ(startRebuild(s, c, 0, {MemberChoice{0, -1}}), Outcome::BadRequest);  // a member
    EXPECT_EQ(startRebuild(s, c, 0, {MemberChoice{2, -1}, MemberChoice{3, -1}}), Outcome::BadRequest);
    ASSERT_EQ(startRebuild(s, c, 0, {MemberChoice{2, -1}}), Outcome::Ok);
    EXPECT_EQ(c.disks[2].extents[0].role, ExtentRole::Assigned);
    s.clock = *s.clock + 1000;
    settleState(s);
    EXPECT_FALSE(c.arrays[0].activity);
    EXPECT_EQ(c.arrays[0].members, (std::vector<int>{0, 2}));
    EXPECT_EQ(c.arrays[0].flags, 0x1000001u);
    EXPECT_EQ(c.arrays[0].lostMask, 0u);
}

TEST(ArrayModel, AbortedRebuildGivesTheTargetExtentBack) {
    State s = freshState();
    Controller& c = s.controllers[0];
    ASSERT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID1, {0, 1})), Outcome::Ok);
    c.arrays[0].members[1] = kMissingMember;
    ASSERT_EQ(startRebuild(s, c, 0, {MemberChoice{2, -1}}), Outcome::Ok);
    ASSERT_EQ(controlActivity(s, c, 0, Control::Abort), Outcome::Ok);
    ASSERT_EQ(c.disks[2].extents.size(), 1u);
    EXPECT_EQ(c.disks[2].extents[0].role, ExtentRole::Free);
    EXPECT_EQ(controlActivity(s, c, 0, Control::Abort), Outcome::NothingRunning);
}

TEST(ArrayModel, MigrationAndBackupFinish) {
    State s = freshState();
    Controller& c = s.controllers[0];
    ASSERT_EQ(createArray(s, c, createRequest(lib::RAID_LEVEL_RAID0, {0, 1})), Outcome::Ok);
    MigrationPlan to5;
    to5.level = lib::RAID_LEVEL_RAID5;
    to5.addedMembers = {MemberChoice{2, -1}};
    ASSERT_EQ(startMigration(s, c, 0, to5), Outcome::Ok);
    s.clock = *s.clock + 1000;
    settleState(s);
    EXPECT_EQ(c.arrays[0].level, lib::RAID_LEVEL_RAID5);
    EXPECT_EQ(c.arrays[0].members, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(c.arrays[0].sectors, 200 * kGiB);

    ASSERT_EQ(startBackup(s, c, 0, {0}), Outcome::BadRequest);  // its own disk
    ASSERT_EQ(startBackup(s, c, 0, {3}), Outcome::NoSpace);     // 200 GiB do not fit on 100
    c.disks[3].sectors = 300 * kGiB;
    c.disks[3].extents.clear();
    settleState(s);
    ASSERT_EQ(startBackup(s, c, 0, {3}), Outcome::Ok);
    EXPECT_EQ(reportedArrayFlags(c.arrays[0]) & 0x102000u, 0x102000u);
    s.clock = *s.clock + 1000;
    settleState(s);
    EXPECT_EQ(c.disks[3].extents[0].role, ExtentRole::LatestBackup);
    EXPECT_EQ(c.disks[3].extents[0].backupTime, *s.clock);
    EXPECT_EQ(c.arrays[0].flags & 0x280000u, 0x280000u);
    ASSERT_EQ(deleteBackup(s, c, 0), Outcome::Ok);
    EXPECT_EQ(c.disks[3].extents[0].role, ExtentRole::Free);
    EXPECT_EQ(c.arrays[0].flags & 0x280000u, 0u);
}

TEST(ArrayModel, CapacitiesBeyond64BitsAreRefusedNotWrapped) {
    // Four disks of 2^63 sectors: two of them already hold more sectors than
    // a 64-bit count.
    constexpr std::uint64_t kHuge = std::uint64_t{1} << 63;
    const std::uint64_t member = kHuge - kReservedSectors;
    struct Case {
        const char* name;
        NewArray request;
        std::uint64_t sectors;  // 0: refused
    };
    const Case cases[] = {
        {"RAID0 of 4", createRequest(lib::RAID_LEVEL_RAID0, {0, 1, 2, 3}), 0},
        {"RAID5 of 3", createRequest(lib::RAID_LEVEL_RAID5, {0, 1, 2}), 0},
        {"RAID10 of 4", createRequest(lib::RAID_LEVEL_RAID10, {0, 1, 2, 3}), 0},
        {"RAID1 of 2", createRequest(lib::RAID_LEVEL_RAID1, {0, 1}), member},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        State s = freshState();
        Controller& ctl = s.controllers[0];
        for (Disk& d : ctl.disks) {
            d.sectors = kHuge;
            d.extents.clear();
        }
        settleState(s);
        const Outcome outcome = createArray(s, ctl, c.request);
        if (c.sectors == 0) {
            EXPECT_EQ(outcome, Outcome::BadRequest);
            EXPECT_TRUE(ctl.arrays.empty());
            for (const Disk& d : ctl.disks) EXPECT_EQ(d.extents.size(), 1u);  // nothing taken
            continue;
        }
        ASSERT_EQ(outcome, Outcome::Ok);
        ASSERT_EQ(ctl.arrays.size(), 1u);
        EXPECT_EQ(ctl.arrays[0].sectors, c.sectors);
        EXPECT_EQ(ctl.arrays[0].rawSectors, 2 * c.sectors);
    }

    // A migration that would grow the array past 64 bits is refused too.
    State s = freshState();
    Controller& ctl = s.controllers[0];
    for (Disk& d : ctl.disks) {
        d.sectors = kHuge;
        d.extents.clear();
    }
    settleState(s);
    ASSERT_EQ(createArray(s, ctl, createRequest(lib::RAID_LEVEL_RAID1, {0, 1})), Outcome::Ok);
    MigrationPlan wider;
    wider.level = lib::RAID_LEVEL_RAID5;
    wider.addedMembers = {MemberChoice{2, -1}};
    EXPECT_EQ(startMigration(s, ctl, 0, wider), Outcome::BadRequest);
    EXPECT_FALSE(ctl.arrays[0].activity.has_value());
    EXPECT_EQ(ctl.arrays[0].sectors, member);
}

}  // namespace

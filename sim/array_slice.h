#pragma once
// A controller's arrays and the background activities that run on them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "access/code_tables.h"

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

// A background activity running (or paused) on an array. Progress runs at a
// steady rate against the simulation's clock.
enum class ActivityKind { Rebuild, Init, Sync, Check, Migration, Backup };

// The controller's default rate for every kind of activity. At this rate an
// activity takes its base time; another rate scales its speed in
// proportion, and a rate of 0 runs it at the slowest rate, 1.
constexpr std::uint8_t kDefaultActivityRate = 50;

struct Activity {
    ActivityKind kind = ActivityKind::Init;
    int initKind = 1;              // library code: 1 quick, 2 foreground, 4 background
    bool paused = false;
    std::uint32_t startTime = 0;
    std::uint32_t resumeTime = 0xFFFFFFFFu;  // last resume; all ones: never resumed
    std::uint32_t runningSince = 0;          // when the current run began
    std::uint32_t doneBefore = 0;            // tenths of a percent done before runningSince
    std::uint8_t rate = kDefaultActivityRate;  // the controller's rate since runningSince
    std::vector<int> targetDisks;            // rebuild, backup, migration
    std::vector<int> targetExtents;          // rebuild, migration (-1: none given)
    std::uint8_t targetLevel = 0;            // migration, library code
    int subArrayCount = 0;
    int parityCount = 0;
    int symmetric = 0;
    int parityShift = 0;
};

// Seconds an activity takes from start to end, and so its rate.
std::uint32_t activityDurationSeconds(const Activity& activity);
// Tenths of a percent done at time now.
std::uint32_t activityProgress(const Activity& activity, std::uint32_t now);

constexpr int kMissingMember = 255;

struct Array {
    int id = 0;
    std::uint8_t level = lib::RAID_LEVEL_RAID0;  // library code
    std::vector<int> members;          // disk ids in member order; 255: missing
    std::uint32_t stripeSectors = 128;  // stripe block size in 512-byte sectors
    std::uint32_t cacheMode = 0x1;     // library bits: 0x1 write back, 0x4 bypass, 0x8 auto
    std::uint32_t lookahead = 0;       // threshold; the library's field is 16 bits wide
    bool consolidation = false;
    bool bypass = false;
    std::uint64_t sectors = 0;         // usable capacity
    std::uint64_t rawSectors = 0;
    std::string name;
    int parityCount = 0;
    int symmetric = 0;
    int parityShift = 0;
    int subArrayCount = 0;
    std::uint32_t sectorSize = 512;
    // ldhx_Flags as the library reports them (valid and functional).
    std::uint32_t flags = 0x1000001;
    std::uint32_t lostMask = 0;        // members lost, one bit per member
    std::uint32_t startTime = 0;
    std::uint32_t resumeTime = 0xFFFFFFFFu;
    // A member count to report instead of the real one (for replies that
    // claim more than their record holds).
    std::optional<int> reportedMemberCount;
    std::optional<Activity> activity;
};

struct ArraySlice {
    std::vector<Array> arrays;
};

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const ArraySlice& slice);
void readSlice(const nlohmann::json& j, ArraySlice& slice, const fields::Where& where);

}  // namespace sim

#pragma once
// What the simulated controller does with arrays: creating them from extents
// or free space, deleting them, and running background activities against
// the clock. The library stand-in and the driver stand-in both call these,
// so both ways of reaching the controller behave alike.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/model.h"

namespace sim {

// Why a request was refused; Ok when it was carried out.
enum class Outcome { Ok, NoSuchArray, NoSuchDisk, BadRequest, NoSpace, Busy, NothingRunning };

struct MemberChoice {
    int disk = 0;
    int extent = -1;  // -1: the controller picks (first free extent that fits)
};

struct NewArray {
    std::uint8_t level = lib::RAID_LEVEL_RAID0;  // library code
    std::uint32_t stripeSectors = 128;
    std::string name;
    int initKind = 0;     // library bits: 1 quick, 2 foreground, 4 background
    int rounding = 0;     // 0 none, 1 GiB, 2 ten GiB
    bool fromSize = false;
    std::uint64_t sizeMb = 0;  // with fromSize: the usable size wanted; 0 takes what fits
    std::uint32_t sectorSize = 512;
    int parityCount = 0;
    int symmetric = 0;
    int parityShift = 0;
    int subArrayCount = 0;
    std::vector<MemberChoice> members;
};

// Fills in what a state leaves implicit (a never-configured disk's free
// extent), runs the schedules that came due and finishes the activities
// whose time has come.
void settleState(State& state);
// Finishes the activities whose time has come by the state's clock.
void finishDueActivities(State& state);
// Starts what the schedules that came due since they were last followed
// ask for, each occurrence once and in time order (see schedule_model.h).
void runDueSchedules(State& state);

Outcome createArray(State& state, Controller& c, const NewArray& request, int* newId = nullptr);
Outcome deleteArray(State& state, Controller& c, int arrayId);
Outcome deleteBackup(State& state, Controller& c, int arrayId);

Outcome startInit(State& state, Controller& c, int arrayId, int initKind);
Outcome startSync(State& state, Controller& c, int arrayId, bool check);
Outcome startRebuild(State& state, Controller& c, int arrayId, const std::vector<MemberChoice>& targets);
Outcome startBackup(State& state, Controller& c, int arrayId, const std::vector<int>& disks);
struct MigrationPlan {
    std::uint8_t level = lib::RAID_LEVEL_RAID0;  // library code
    std::vector<MemberChoice> addedMembers;
    int subArrayCount = 0;
    int parityCount = 0;
    int symmetric = 0;
    int parityShift = 0;
};
Outcome startMigration(State& state, Controller& c, int arrayId, const MigrationPlan& request);

enum class Control { Restart, Pause, Resume, Abort };
// Controls the array's activity; with a kind given, only an activity of that
// kind (Sync also matches Check).
Outcome controlActivity(State& state, Controller& c, int arrayId, Control action,
                        const ActivityKind* kind = nullptr);

// The flags the library reports for an array: its state and its activity.
std::uint32_t reportedArrayFlags(const Array& array);
// The flags the library reports for an extent.
std::uint32_t reportedExtentFlags(const Controller& c, const Disk& disk, const Extent& extent);

// The array's status flags and lost members, from its members.
void refreshMembers(Array& a);

Array* arrayById(Controller& c, int id);
Disk* diskById(Controller& c, int id);
// A disk is gone (pulled or failed): every array that has it as a member
// loses that member, turning critical or offline, and the disk's extents
// of those arrays are free again, ready for a rebuild once it is back.
void loseDisk(Controller& c, int diskId);

}  // namespace sim

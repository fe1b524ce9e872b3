#pragma once
// The simulated controllers and what surrounds them: the SCSI ports, the
// disks and arrays, the failures a state asks for, and the clock. The
// stand-in library and the stand-in driver both answer from one State, so
// that both ways of reaching a controller see the same thing.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "access/code_tables.h"

namespace sim {

// What an extent is used for.
enum class ExtentRole { Free, Assigned, GlobalSpare, DedicatedSpare, Backup, LatestBackup };

struct Extent {
    int index = 0;
    std::uint64_t start = 0;  // sectors
    std::uint64_t size = 0;   // sectors
    ExtentRole role = ExtentRole::Free;
    int arrayId = 255;        // owning array (assigned, dedicated spare, backup); 255: none
    std::uint32_t backupTime = 0;
    bool offline = false;     // not functional
    bool inaccessible = false;
    // Flags to report instead of the ones the model derives.
    std::optional<std::uint32_t> reportedFlags;
};

// Sectors at the start of every disk that hold the controller's metadata.
constexpr std::uint64_t kReservedSectors = 2048;

struct Disk {
    int id = 0;
    int channel = 0;
    std::uint64_t sectors = 0;
    std::string model;
    std::string serial;
    std::string firmware;
    int enclosureId = 255;  // 255: not in an enclosure
    int carrierId = 0;
    bool speed3gSupported = true;
    bool speed3gEnabled = true;
    bool smartFailure = false;
    // Extents in disk order. Empty on a disk never configured: it then has
    // one free extent after the reserved area (see normalizeDisk).
    std::vector<Extent> extents;
    // An extent count to report instead of the real one.
    std::optional<int> reportedExtentCount;
};

// A background activity running (or paused) on an array. Progress runs at a
// steady rate against the simulation's clock.
enum class ActivityKind { Rebuild, Init, Sync, Check, Migration, Backup };

struct Activity {
    ActivityKind kind = ActivityKind::Init;
    int initKind = 1;              // library code: 1 quick, 2 foreground, 4 background
    bool paused = false;
    std::uint32_t startTime = 0;
    std::uint32_t resumeTime = 0xFFFFFFFFu;  // last resume; all ones: never resumed
    std::uint32_t runningSince = 0;          // when the current run began
    std::uint32_t doneBefore = 0;            // tenths of a percent done before runningSince
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

// An event a real controller would report, queued for the event display.
struct Event {
    std::uint32_t id = 0;
    int severity = 1;  // 3 warning, 6 error, other information
    std::string description;
    std::string array;
    std::uint32_t time = 0;
};

constexpr int kMissingMember = 255;

struct Array {
    int id = 0;
    std::uint8_t level = lib::RAID_LEVEL_RAID0;  // library code
    std::vector<int> members;          // disk ids in member order; 255: missing
    std::uint32_t stripeSectors = 128;  // stripe block size in 512-byte sectors
    std::uint32_t cacheMode = 0x1;     // library bits: 0x1 write back, 0x4 bypass, 0x8 auto
    std::uint32_t lookahead = 0;
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

struct PciPlace {
    std::uint32_t bus = 2;
    std::uint32_t slot = 0;
    std::uint32_t irql = 0x12;
    std::uint32_t irqVector = 0x1A3;
    std::uint32_t vendorDeviceId = 0x31201D5Au;
    std::uint32_t subsystemId = 0x01001D5Au;
    std::array<std::uint32_t, 6> resources{0xFEBF0000u, 0xFEB00000u, 0x0000E001u, 0, 0, 0};
};

// Replies made to be absurd, for testing that the console trusts nothing it
// receives. Unset fields leave the replies as a real controller makes them.
struct ReplyQuirks {
    std::optional<std::uint32_t> phyDrvCount;   // count returned in the request
    std::optional<std::uint32_t> phyDrvFilled;  // bytes-filled field of the reply
};

struct Controller {
    std::array<std::uint32_t, 4> driverVersion{3, 2, 0, 19};
    std::uint8_t targetId = 0;
    // ReturnCode the driver puts in its identification answer.
    std::uint32_t identifyReturnCode = 0;
    std::uint16_t controllerId = 0x3120;  // PCI device id
    std::uint16_t subsystemId = 0x0100;
    std::string discoverPath = "PCI bus 2, device 0, function 0";
    std::uint32_t productId = 0x3120;
    std::uint32_t subProductId = 0x0100;
    std::array<std::uint32_t, 4> biosVersion{1, 0, 12, 3};
    std::array<std::uint32_t, 4> firmwareVersion{1, 2, 0, 41};
    bool eccMemory = true;
    std::uint32_t memorySizeMb = 256;
    PciPlace pci;
    std::vector<Disk> disks;
    std::vector<Array> arrays;
    std::vector<Event> events;
    ReplyQuirks quirks;
};

enum class PortKind {
    Talo,     // a Talo controller's driver
    Adapter,  // another adapter: answers the identification without the magic
    Missing,  // no device: opening it fails, which ends a scan
};

struct Port {
    PortKind kind = PortKind::Missing;
    int controller = -1;            // index into State::controllers for Talo ports
    bool rejectsIdentify = false;   // an adapter whose driver fails the request
};

// Failures a state can ask for. A status of 0 means "no failure".
struct Failures {
    std::uint32_t initialize = 0;    // status hx_initialize returns
    std::uint32_t discover = 0;      // status hx_discover returns
    std::uint32_t discoverPath = 0;  // status hx_getDiscoverPath returns
    // System error code with which every pass-through request fails.
    std::uint32_t passThroughError = 0;
    // Sense key, code and qualifier with which every vendor command ends in
    // a check condition; empty for none.
    std::vector<int> vendorCheckCondition;
};

struct State {
    // Seconds since 1970; when set, the simulation's clock stands still there.
    std::optional<std::uint32_t> clock;
    std::string hostOs = "Windows XP Professional Service Pack 3 (build 2600)";
    std::vector<Port> ports;
    std::vector<Controller> controllers;
    Failures failures;
};

// The built-in state: port 0 another adapter, port 1 a Talo controller with
// eight disks and nothing else, port 2 missing.
State demoState();

// The simulation's time: the state's fixed clock, else the system's.
std::uint32_t currentTime(const State& state);

// Index of the controller's port, or -1 when no port holds it.
int portOfController(const State& state, int controller);

void to_json(nlohmann::json& json, const State& state);
void from_json(const nlohmann::json& json, State& state);
void to_json(nlohmann::json& json, const Controller& controller);
void from_json(const nlohmann::json& json, Controller& controller);
void to_json(nlohmann::json& json, const Port& port);
void from_json(const nlohmann::json& json, Port& port);

}  // namespace sim

#pragma once
// A controller's inventory: its disks, the extents they are cut into, and
// the quirks of the replies that list them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "sim/disk_media.h"

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

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
    // The disk's own settings, and which queuing features it has at all.
    bool writeCache = true;
    bool smartEnabled = true;
    bool ncqSupported = true;
    bool tcqSupported = false;
    bool ncq = true;
    bool tcq = false;
    bool present = true;   // false: pulled from its slot
    bool failed = false;   // marked failed (still in its slot)
    // Extents in disk order. Empty on a disk never configured: it then has
    // one free extent after the reserved area (see normalizeDisk).
    std::vector<Extent> extents;
    // An extent count to report instead of the real one.
    std::optional<int> reportedExtentCount;
    // Errors the error simulator planted, oldest first.
    std::vector<SimulatedError> simulatedErrors;
    // Sectors whose ECC was broken on purpose: reads fail until rewritten.
    std::vector<std::uint64_t> brokenEcc;
};

// Replies made to be absurd, for testing that the console trusts nothing it
// receives. Unset fields leave the replies as a real controller makes them.
struct ReplyQuirks {
    std::optional<std::uint32_t> phyDrvCount;   // count returned in the request
    std::optional<std::uint32_t> phyDrvFilled;  // bytes-filled field of the reply
};

// Whether the controller reports the disk: a pulled one is left out of
// every disk list.
bool diskVisible(const Disk& disk);

struct InventorySlice {
    std::vector<Disk> disks;
    ReplyQuirks quirks;
};

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const InventorySlice& slice);
void readSlice(const nlohmann::json& j, InventorySlice& slice, const fields::Where& where);

}  // namespace sim

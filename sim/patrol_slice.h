#pragma once
// A controller's media patrol: per disk, the surface scan that verifies
// its sectors against the clock, and the bad-sector log and error table the
// scans fill with the sectors that failed.

#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "sim/array_slice.h"

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

// A run of bad sectors the patrol met: the bad-sector log and the error
// table both keep these.
struct BadSectorRun {
    std::uint64_t lba = 0;
    std::uint32_t count = 1;    // sectors from lba
    std::uint8_t type = 0;      // the simulated error's type (kErrorType*)
    std::uint8_t access = 0;    // the kErrorFlag* bit of the access that met it
};

// One disk's patrol. State codes are lib::PATROL_STATE_*. A pass verifies
// the whole disk in patrolDurationSeconds at the rate it runs at.
struct DiskPatrol {
    int disk = 0;
    std::uint8_t state = 0;
    std::uint32_t startTime = 0;             // 0: never started
    std::uint32_t resumeTime = 0xFFFFFFFFu;  // last resume; all ones: never resumed
    std::uint32_t runningSince = 0;          // when the current run began
    std::uint64_t doneBefore = 0;            // sectors verified before runningSince
    std::uint64_t checkedTo = 0;             // sectors already looked at for errors
    std::uint8_t rate = kDefaultActivityRate;
    std::uint16_t runLoops = 0;              // passes completed
    std::uint16_t errorCount = 0;            // bad sectors met, every pass counted
    std::vector<BadSectorRun> badSectors;    // the bad-sector log, oldest first
    std::vector<BadSectorRun> errorTable;    // the error table, oldest first
    // A bytes-filled value for the bad-sector log reply to claim instead of
    // the real one, for tests of a console that must not trust it.
    std::optional<std::uint32_t> reportedLogBytes;
};

// How many runs the controller keeps in each list; later ones are dropped.
constexpr std::size_t kBadSectorLogCapacity = 64;
constexpr std::size_t kErrorTableCapacity = 62;

struct PatrolSlice {
    std::vector<DiskPatrol> patrols;
};

// Seconds a whole pass takes at the rate (0 counts as 1).
std::uint32_t patrolDurationSeconds(std::uint8_t rate);

void writeSlice(nlohmann::json& j, const PatrolSlice& slice);
void readSlice(const nlohmann::json& j, PatrolSlice& slice, const fields::Where& where);

}  // namespace sim

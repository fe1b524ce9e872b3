#pragma once
// What the simulated controller does for media patrol: starting, pausing,
// resuming and aborting a disk's patrol, advancing the patrols against the
// clock (meeting the disk's simulated errors on the way), and the replies
// that report patrols, the bad-sector log and the error table. The library
// stand-in and the driver stand-in both call these.

#include <cstdint>

#include "platform/record.h"
#include "sim/array_model.h"
#include "sim/model.h"

namespace sim {

enum class PatrolControl { Start, Pause, Resume, Abort };

// Start: a disk that is present and not failed, not already patrolling
// (running, paused or autopaused). Pause: a running patrol. Resume: a
// paused or autopaused one. Abort: any of those.
Outcome controlPatrol(State& state, Controller& c, int diskId, PatrolControl action);

// The patrol of the disk, or null when it never had one.
const DiskPatrol* findPatrol(const Controller& c, int diskId);

// Brings every running patrol of every controller up to the state's
// clock: the sectors verified meet the disk's simulated errors, and a
// pass that reached the end of its disk is complete.
void advancePatrols(State& state);
// Every running patrol of the controller carries on at the new rate from now.
void changePatrolRate(State& state, Controller& c, std::uint8_t rate);

// Sectors a patrol has verified by time now.
std::uint64_t patrolSectorsDone(const DiskPatrol& p, const Disk& disk, std::uint32_t now);

// Replies. Each fills only as much as the span holds.
// readMediaPatrolInfo's 16 bytes.
void fillPatrolInfo(const rec::ByteSpan& r, const Controller& c, const Disk& disk, std::uint32_t now);
// hx_getHBAMediaPatrolProgress: the head and the entries of the disks that
// exist and whose entry fits.
void fillPatrolProgress(const rec::ByteSpan& r, const Controller& c, std::uint32_t now);
// hx_getHBABSL: the head and the log's first entries that fit.
void fillBadSectorLog(const rec::ByteSpan& r, const Controller& c, const Disk& disk);
// The error table: head and the entries (those at or after fromLba) that
// fit, the rest of the span zeroed, so the table ends at its last entry.
void fillErrorTable(const rec::ByteSpan& r, const Controller& c, const Disk& disk, std::uint64_t fromLba);

}  // namespace sim

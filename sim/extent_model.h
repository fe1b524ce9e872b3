#pragma once
// What the simulated controller does with a disk's extents below the level
// of arrays: making one a spare, freeing, splitting and deleting it, adding
// it to an array, and wiping a disk's metadata. The library stand-in and
// the driver stand-in both call these.

#include <cstdint>

#include "sim/array_model.h"

namespace sim {

// The disk forgets its configuration: it leaves every array it was a member
// of (which then miss that member; an activity that was writing to the disk
// stops), and its space becomes one free extent.
Outcome wipeDiskMetadata(State& state, Controller& c, int diskId);

// A free extent (or a spare) becomes a global spare (arrayId 255) or a
// spare dedicated to the array.
Outcome spareExtent(State& state, Controller& c, int diskId, int extent, int arrayId);
// A spare becomes free again; a free extent stays free. Extents an array
// uses (members, backups) are refused.
Outcome freeExtent(State& state, Controller& c, int diskId, int extent);
// The extent replaces a missing member of the array: a rebuild onto it starts.
Outcome addExtentToArray(State& state, Controller& c, int diskId, int extent, int arrayId);
// A free extent is cut in two at offsetMb megabytes from its start; both
// parts are free, the second one numbered after the first.
Outcome splitExtent(State& state, Controller& c, int diskId, int extent, std::uint32_t offsetMb);
// A free extent gives its space to the free extent before it (else the one
// after it); one with no free neighbour is refused.
Outcome deleteExtent(State& state, Controller& c, int diskId, int extent);

}  // namespace sim

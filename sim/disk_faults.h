#pragma once
// Faults a test engineer brings about on a disk: pulling it from its slot,
// putting it back, marking it failed, a S.M.A.R.T. failure coming and going.
// A pulled or failed disk leaves the arrays it belongs to. Each is reported as the controller
// reports it, with an event queued on the controller.

#include <cstdint>
#include <string>

#include "sim/model.h"

namespace sim {

constexpr std::uint32_t kEventDiskUnplugged = 0x3001;
constexpr std::uint32_t kEventDiskPluggedIn = 0x3002;
constexpr std::uint32_t kEventDiskFailed = 0x3003;
constexpr std::uint32_t kEventDiskSmartError = 0x3004;
constexpr std::uint32_t kEventDiskSmartCleared = 0x3005;

enum class DiskChange {
    Pull,  // the disk leaves its slot: no disk list reports it
    Plug,  // a working disk is back in the slot (a failed mark is cleared)
    Fail,  // the disk stays in its slot, marked failed
    SmartError,  // the disk reports a S.M.A.R.T. failure
    SmartClear,  // it no longer does
};

// Applies the change to the disk with the id on the controller and queues
// its event. Returns why it was refused (nothing changed), or an empty text.
std::string changeDisk(State& state, Controller& controller, int diskId, DiskChange change);

}  // namespace sim

// The debug family's answers: sector reads and writes on a disk, the ECC
// break, the error simulator's records and its disk faults, and an array's
// bypass switch. The same rows answer a block that comes through the
// driver and one that comes inside the library's bypass request.
//
// Sector data lives in the sector store; the state keeps the faults. A
// simulated media error or a broken ECC ends the access with a medium
// error naming the sector; a simulated time-out makes the request wait and
// then fail as a request that timed out.

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "access/vendor_commands.h"
#include "platform/device_access.h"
#include "sim/array_model.h"
#include "sim/disk_faults.h"
#include "sim/disk_media.h"
#include "sim/sector_store.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

using vendor::Command;
using D = vendor::DataLength;
using Dir = vendor::Direction;
using E = vendor::Effect;

// Blocks the console's command set does not send itself, but the library's
// bypass request carries: removing the simulated errors of a range of
// sectors, and an array's bypass switch (code 4 on, 3 off; the array id in
// byte 3).
constexpr Command kPurgeSimulatedErrors{
    "purgeSimulatedErrors", {{0, drv::kOpDisk}, {1, 0x10}, {3, 0x02}}, 3, 2, {{4, 4}, {8, 2}}, 2, 12,
    D::None, 0, Dir::None, false, E::Changes};
constexpr Command kSwitchBypass{
    "switchBypass", {{0, drv::kOpDisk}, {1, 0x51}}, 2, 3, {{2, 1}}, 1, 4,
    D::None, 0, Dir::None, false, E::Changes};
static_assert(vendor::wellFormed(kPurgeSimulatedErrors) && vendor::wellFormed(kSwitchBypass));

// How long a simulated time-out keeps the request waiting.
constexpr auto kTimeoutWait = std::chrono::milliseconds(1500);

// The largest count a transfer block can name: a count of 0 stands for it.
constexpr std::uint32_t kMaxTransferSectors = 65536;

Controller& controllerOf(State& state, int controller) {
    return state.controllers[static_cast<std::size_t>(controller)];
}

// The disk a sector access goes to, or why it cannot.
ScsiOutcome accessibleDisk(Controller& c, std::uint8_t id, Disk** disk) {
    Disk* d = diskById(c, id);
    if (d == nullptr) return invalidField();
    if (!d->present) return checkCondition(kSenseNotReady, kAscMediumNotPresent, 0);
    if (d->failed) return checkCondition(kSenseHardwareError, kAscInternalTargetFailure, 0);
    *disk = d;
    return good();
}

ScsiOutcome timedOut() {
    std::this_thread::sleep_for(kTimeoutWait);
    ScsiOutcome outcome;
    outcome.systemError = platform::kErrorSemTimeout;
    return outcome;
}

// The first fault an access of the kind meets in the range: a simulated
// error, or (for reads) a broken ECC.
ScsiOutcome faultIn(const Disk& d, std::uint64_t lba, std::uint32_t count, std::uint8_t access,
                    bool read) {
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t sector = lba + i;
        const SimulatedError* e = nullptr;
        for (std::uint8_t bit = 1; bit != 0; bit = static_cast<std::uint8_t>(bit << 1)) {
            if ((access & bit) != 0 && (e = simulatedErrorAt(d, sector, bit)) != nullptr) break;
        }
        if (e != nullptr) {
            if (isTimeout(e->type)) return timedOut();
            return checkConditionAt(kSenseMediumError,
                                    read ? kAscUnrecoveredReadError : kAscWriteError, 0, sector);
        }
        if (read && std::find(d.brokenEcc.begin(), d.brokenEcc.end(), sector) != d.brokenEcc.end()) {
            return checkConditionAt(kSenseMediumError, kAscUnrecoveredReadError, 0, sector);
        }
    }
    return good();
}

// Whether any simulated error or broken ECC lies in the range at all: only
// then is the range walked sector by sector, so that a long transfer over a
// disk without faults there stays quick.
bool anyFaultNear(const Disk& d, std::uint64_t lba, std::uint32_t count) {
    for (const SimulatedError& e : d.simulatedErrors) {
        const std::uint64_t end = static_cast<std::uint64_t>(e.lba) + std::max<std::uint16_t>(e.count, 1);
        if (e.lba < lba + count && end > lba) return true;
    }
    for (std::uint64_t s : d.brokenEcc) {
        if (s >= lba && s - lba < count) return true;
    }
    return false;
}

ScsiOutcome transfer(State& state, int controller, const VendorRequest& r) {
    const std::uint32_t direction = r.argument(0);
    if (direction > 1) return invalidField();
    const bool write = direction == 1;
    Disk* d = nullptr;
    Controller& c = controllerOf(state, controller);
    ScsiOutcome outcome = accessibleDisk(c, r.id(), &d);
    if (d == nullptr) return outcome;
    const std::uint64_t lba = static_cast<std::uint64_t>(r.argument(2)) << 32 | r.argument(1);
    const std::uint32_t count = r.argument(3) == 0 ? kMaxTransferSectors : r.argument(3);
    // The data must be exactly the sectors the block names: a buffer of
    // another size is refused rather than read or written past its end or
    // left partly untouched.
    if (r.data == nullptr || r.length != count * kSectorBytes) return invalidField();
    if (lba >= d->sectors || count > d->sectors - lba) {
        return checkCondition(kSenseIllegalRequest, kAscLbaOutOfRange, 0);
    }
    if (anyFaultNear(*d, lba, count)) {
        const std::uint8_t access =
            write ? static_cast<std::uint8_t>(kErrorFlagWrite | kErrorFlagWriteCache) : kErrorFlagRead;
        outcome = faultIn(*d, lba, count, access, !write);
        if (outcome.status != 0 || outcome.systemError != 0) return outcome;
    }
    std::string error;
    const std::string image = controllerDiskImage(controller, d->id);
    if (write) {
        if (!writeSectors(image, lba, count, r.data, &error)) {
            return checkConditionAt(kSenseMediumError, kAscWriteError, 0, lba);
        }
        // A rewritten sector has a good ECC again.
        std::erase_if(d->brokenEcc, [&](std::uint64_t s) { return s >= lba && s - lba < count; });
        return good();
    }
    if (!readSectors(image, lba, count, r.data, &error)) {
        return checkConditionAt(kSenseMediumError, kAscUnrecoveredReadError, 0, lba);
    }
    return good();
}

ScsiOutcome breakEcc(State& state, int controller, const VendorRequest& r) {
    Disk* d = nullptr;
    ScsiOutcome outcome = accessibleDisk(controllerOf(state, controller), r.id(), &d);
    if (d == nullptr) return outcome;
    const std::uint64_t lba = static_cast<std::uint64_t>(r.argument(1)) << 32 | r.argument(0);
    if (lba >= d->sectors) return checkCondition(kSenseIllegalRequest, kAscLbaOutOfRange, 0);
    if (std::find(d->brokenEcc.begin(), d->brokenEcc.end(), lba) == d->brokenEcc.end()) {
        d->brokenEcc.push_back(lba);
    }
    return good();
}

// ---- The error simulator ----------------------------------------------------------

constexpr std::size_t kMaxSimulatedErrors = 64;
constexpr std::size_t kEntrySize = 8;

ScsiOutcome listErrors(const State& state, int controller, const VendorRequest& r) {
    const Controller& c = state.controllers[static_cast<std::size_t>(controller)];
    const Disk* d = nullptr;
    for (const Disk& disk : c.disks) {
        if (disk.id == r.id()) d = &disk;
    }
    if (d == nullptr) return invalidField();
    if (r.data == nullptr) return invalidField();
    // The whole list goes back: entries, then zeros.
    const rec::ByteSpan out(r.data, r.length);
    out.clear();
    std::size_t n = 0;
    for (const SimulatedError& e : d->simulatedErrors) {
        if (n == kMaxSimulatedErrors || (n + 1) * kEntrySize > r.length) break;
        out.putAt<std::uint32_t>(n * kEntrySize, e.lba);
        out.putAt<std::uint16_t>(n * kEntrySize + 4, e.count);
        out.putAt<std::uint8_t>(n * kEntrySize + 6, e.flags);
        out.putAt<std::uint8_t>(n * kEntrySize + 7, e.type);
        ++n;
    }
    return good();
}

// Byte 10 of the inject form: an error type for a record, or (with the
// flags below) the disk faults the same form brings about.
constexpr std::uint8_t kFaultUnplug = 0x08;
constexpr std::uint8_t kFaultPlugin = 0x10;
constexpr std::uint8_t kFaultSetDown = 0xFF;
constexpr std::uint8_t kFaultSmart = 0x40;

ScsiOutcome diskFault(State& state, Controller& c, int diskId, DiskChange change) {
    const std::string refused = changeDisk(state, c, diskId, change);
    return refused.empty() ? good() : checkCondition(kSenseIllegalRequest, kAscSequenceError, 0);
}

ScsiOutcome inject(State& state, int controller, const VendorRequest& r) {
    Controller& c = controllerOf(state, controller);
    Disk* d = diskById(c, r.id());
    if (d == nullptr) return invalidField();
    const std::uint32_t lba = r.argument(0);
    const auto type = static_cast<std::uint8_t>(r.argument(1));
    const auto flags = static_cast<std::uint8_t>(r.argument(2));
    if (type == kErrorTypeMedia || type == kErrorTypeTimeout) {
        if (flags == 0) return invalidField();
        for (SimulatedError& e : d->simulatedErrors) {
            if (e.lba == lba && e.type == type) {
                e.flags = static_cast<std::uint8_t>(e.flags | flags);
                return good();
            }
        }
        if (d->simulatedErrors.size() >= kMaxSimulatedErrors) {
            return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInParameters, 0);
        }
        d->simulatedErrors.push_back(SimulatedError{lba, 1, flags, type});
        return good();
    }
    if (lba != 0 || type > 1) return invalidField();
    switch (flags) {
        case kFaultUnplug: return diskFault(state, c, d->id, DiskChange::Pull);
        case kFaultPlugin: return diskFault(state, c, d->id, DiskChange::Plug);
        case kFaultSetDown: return diskFault(state, c, d->id, DiskChange::Fail);
        case kFaultSmart:
            return diskFault(state, c, d->id, type == 1 ? DiskChange::SmartError : DiskChange::SmartClear);
        default: return invalidField();
    }
}

ScsiOutcome purge(State& state, int controller, const VendorRequest& r) {
    Disk* d = diskById(controllerOf(state, controller), r.id());
    if (d == nullptr) return invalidField();
    const std::uint64_t first = r.argument(0);
    const std::uint64_t end = first + r.argument(1);
    std::erase_if(d->simulatedErrors, [&](const SimulatedError& e) {
        const std::uint64_t eEnd = static_cast<std::uint64_t>(e.lba) + std::max<std::uint16_t>(e.count, 1);
        return e.lba < end && eEnd > first;
    });
    return good();
}

ScsiOutcome clearErrors(State& state, int controller, const VendorRequest& r) {
    Disk* d = diskById(controllerOf(state, controller), r.id());
    if (d == nullptr) return invalidField();
    d->simulatedErrors.clear();
    return good();
}

// Code 4 turns the array's bypass on, code 3 off.
ScsiOutcome switchBypass(State& state, int controller, const VendorRequest& r) {
    Array* a = arrayById(controllerOf(state, controller), r.id());
    if (a == nullptr) return invalidField();
    const std::uint32_t code = r.argument(0);
    if (code != 3 && code != 4) return invalidField();
    a->bypass = code == 4;
    return good();
}

}  // namespace

void addDebugHandlers(std::vector<VendorHandler>& table) {
    // The error simulator's rows and the bypass switch come before the
    // transfer, whose direction byte would otherwise take their sub-codes.
    table.insert(table.end(), {
                                  VendorHandler(vendor::kReadSimulatedErrors, listErrors),
                                  VendorHandler(vendor::kInjectSimulatedError, inject),
                                  VendorHandler(vendor::kClearSimulatedErrors, clearErrors),
                                  VendorHandler(kPurgeSimulatedErrors, purge),
                                  VendorHandler(kSwitchBypass, switchBypass),
                                  VendorHandler(vendor::kCorruptSectorEcc, breakEcc),
                                  VendorHandler(vendor::kTransferSectors, transfer),
                              });
}

}  // namespace sim

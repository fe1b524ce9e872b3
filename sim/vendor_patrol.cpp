// The patrol family's answers through the driver: a disk's media patrol
// controlled and reported, its error table, and its metadata wiped.

#include "access/patrol_records.h"
#include "access/vendor_commands.h"
#include "sim/array_model.h"
#include "sim/extent_model.h"
#include "sim/patrol_model.h"
#include "sim/replies.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

Controller& controllerOf(State& state, int controller) {
    return state.controllers[static_cast<std::size_t>(controller)];
}

const Disk* visibleDisk(const State& state, int controller, int id) {
    const Disk* d = findDisk(state.controllers[static_cast<std::size_t>(controller)], id);
    return d != nullptr && diskVisible(*d) ? d : nullptr;
}

ScsiOutcome controlPatrolOf(State& state, int controller, const VendorRequest& r) {
    PatrolControl action;
    switch (r.argument(0)) {
        case lib::PATROL_CONTROL_START: action = PatrolControl::Start; break;
        case lib::PATROL_CONTROL_PAUSE: action = PatrolControl::Pause; break;
        case lib::PATROL_CONTROL_RESUME: action = PatrolControl::Resume; break;
        case lib::PATROL_CONTROL_ABORT: action = PatrolControl::Abort; break;
        default: return invalidField();
    }
    return outcomeOf(controlPatrol(state, controllerOf(state, controller), r.id(), action));
}

ScsiOutcome readPatrolInfo(const State& state, int controller, const VendorRequest& r) {
    const Disk* d = visibleDisk(state, controller, r.id());
    if (d == nullptr || r.data == nullptr || r.length < drv::PatrolInfo::kSize) return invalidField();
    fillPatrolInfo(rec::ByteSpan(r.data, drv::PatrolInfo::kSize), state.controllers[static_cast<std::size_t>(controller)],
                   *d, currentTime(state));
    return good();
}

ScsiOutcome readErrorTableOf(const State& state, int controller, const VendorRequest& r) {
    const Disk* d = visibleDisk(state, controller, r.id());
    if (d == nullptr || r.data == nullptr || r.length < vendor::kErrorTableSize) return invalidField();
    fillErrorTable(rec::ByteSpan(r.data, vendor::kErrorTableSize),
                   state.controllers[static_cast<std::size_t>(controller)], *d, 0);
    return good();
}

ScsiOutcome wipe(State& state, int controller, const VendorRequest& r) {
    return outcomeOf(wipeDiskMetadata(state, controllerOf(state, controller), r.id()));
}

}  // namespace

void addPatrolHandlers(std::vector<VendorHandler>& table) {
    table.insert(table.end(), {
                                  VendorHandler(vendor::kControlMediaPatrol, controlPatrolOf),
                                  VendorHandler(vendor::kReadMediaPatrolInfo, readPatrolInfo),
                                  VendorHandler(vendor::kReadErrorTable, readErrorTableOf),
                                  VendorHandler(vendor::kWipeDiskMetadata, wipe),
                              });
}

}  // namespace sim

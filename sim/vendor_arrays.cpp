// The array family's answers: creating and deleting arrays, starting and
// controlling their background activities, and their status.

#include "access/array_records.h"
#include "access/code_tables.h"
#include "access/driver_records.h"
#include "platform/record.h"
#include "access/vendor_commands.h"
#include "sim/array_model.h"
#include "sim/replies.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

Controller& controllerOf(State& state, int controller) {
    return state.controllers[static_cast<std::size_t>(controller)];
}

// The block names disks only: each member takes the first free extent of
// its disk. It carries no sub-array or parity counts, so those take the
// controller's defaults: two RAID5 sub-arrays, two parity disks.
ScsiOutcome createFromBlock(State& state, int controller, const VendorRequest& r) {
    using B = drv::ArrayCreateBlock;
    if (r.data == nullptr || r.length < B::kSize) return invalidField();
    const rec::ByteView v(r.data, B::kSize);
    NewArray request;
    const std::size_t disks = v.get<B::DiskCount>();
    if (disks == 0 || disks > B::kMaxDisks) return outcomeOf(Outcome::BadRequest);
    request.level = codes::libraryLevelOf(v.get<B::RaidLevel>(), disks);
    request.stripeSectors = v.get<B::StripeSize>();
    request.name = v.text<B::Name>();
    request.initKind = v.get<B::InitKind>();
    request.rounding = v.get<B::RoundingScheme>();
    request.fromSize = true;
    const std::uint32_t sectorSize = v.get<B::SectorSize>();
    request.sectorSize = sectorSize == 0 ? 512 : sectorSize;
    request.subArrayCount = request.level == lib::RAID_LEVEL_RAID50 ? 2 : 0;
    request.parityCount = request.level == lib::RAID_LEVEL_RAID6 ? 2 : 0;
    const rec::ByteView ids = v.sub<B::Disks>();
    for (std::size_t i = 0; i < disks; ++i) request.members.push_back(MemberChoice{ids.data()[i], -1});
    return outcomeOf(createArray(state, controllerOf(state, controller), request));
}

ScsiOutcome migrateFromBlock(State& state, int controller, const VendorRequest& r) {
    using B = drv::MigrationBlock;
    if (r.data == nullptr || r.length < B::kSize) return invalidField();
    const rec::ByteView v(r.data, B::kSize);
    Controller& c = controllerOf(state, controller);
    const int arrayId = r.id();
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return invalidField();
    MigrationPlan request;
    const std::size_t disks = v.get<B::DiskCount>();
    if (disks > B::kMaxDisks) return outcomeOf(Outcome::BadRequest);
    request.level = codes::libraryLevelOf(v.get<B::RaidLevel>(), a->members.size() + disks);
    request.subArrayCount = request.level == lib::RAID_LEVEL_RAID50 ? 2 : 0;
    request.parityCount = request.level == lib::RAID_LEVEL_RAID6 ? 2 : 0;
    const rec::ByteView ids = v.sub<B::Disks>();
    for (std::size_t i = 0; i < disks; ++i) request.addedMembers.push_back(MemberChoice{ids.data()[i], -1});
    return outcomeOf(startMigration(state, c, arrayId, request));
}

ScsiOutcome deleteOne(State& state, int controller, const VendorRequest& r) {
    return outcomeOf(deleteArray(state, controllerOf(state, controller), r.id()));
}

ScsiOutcome startInitialization(State& state, int controller, const VendorRequest& r) {
    const std::uint32_t kind = r.argument(0);
    if (kind > drv::INIT_BACKGROUND) return invalidField();
    return outcomeOf(startInit(state, controllerOf(state, controller), r.id(), codes::kLibraryInitKinds[kind]));
}

ScsiOutcome startSynchronization(State& state, int controller, const VendorRequest& r) {
    const std::uint32_t kind = r.argument(0);
    if (kind > drv::SYNC_CHECK) return invalidField();
    return outcomeOf(startSync(state, controllerOf(state, controller), r.id(), kind == drv::SYNC_CHECK));
}

ScsiOutcome controlOne(State& state, int controller, const VendorRequest& r) {
    Control action;
    switch (r.argument(0)) {
        case drv::ACTION_RESTART: action = Control::Restart; break;
        case drv::ACTION_PAUSE: action = Control::Pause; break;
        case drv::ACTION_RESUME: action = Control::Resume; break;
        case drv::ACTION_ABORT: action = Control::Abort; break;
        default: return invalidField();
    }
    return outcomeOf(controlActivity(state, controllerOf(state, controller), r.id(), action));
}

ScsiOutcome readStatus(const State& state, int controller, const VendorRequest& r) {
    const Array* a = findArray(state.controllers[static_cast<std::size_t>(controller)], r.id());
    if (a == nullptr) return invalidField();
    if (r.data == nullptr || r.length < drv::ArrayStatusReply::kSize) return invalidField();
    const rec::ByteSpan reply(r.data, drv::ArrayStatusReply::kSize);
    reply.clear();
    fillArrayStatusReply(reply, *a, currentTime(state));
    return good();
}

}  // namespace

void addArrayHandlers(std::vector<VendorHandler>& table) {
    table.insert(table.end(), {
                                  VendorHandler(vendor::kCreateArray, createFromBlock),
                                  VendorHandler(vendor::kDeleteArray, deleteOne),
                                  VendorHandler(vendor::kStartInitialization, startInitialization),
                                  VendorHandler(vendor::kStartSynchronization, startSynchronization),
                                  VendorHandler(vendor::kStartMigration, migrateFromBlock),
                                  VendorHandler(vendor::kControlActivity, controlOne),
                                  VendorHandler(vendor::kReadArrayStatus, readStatus),
                              });
}

}  // namespace sim

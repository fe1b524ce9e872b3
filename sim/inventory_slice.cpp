#include "sim/inventory_slice.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<SimulatedError> {
    static constexpr auto list = std::make_tuple(
        field("lba", &SimulatedError::lba), field("count", &SimulatedError::count),
        field("flags", &SimulatedError::flags), field("type", &SimulatedError::type));
};

template <>
struct NameList<ExtentRole> {
    static constexpr std::array<std::pair<ExtentRole, const char*>, 6> names{{
        {ExtentRole::Free, "free"},
        {ExtentRole::Assigned, "assigned"},
        {ExtentRole::GlobalSpare, "globalSpare"},
        {ExtentRole::DedicatedSpare, "dedicatedSpare"},
        {ExtentRole::Backup, "backup"},
        {ExtentRole::LatestBackup, "latestBackup"},
    }};
};

template <>
struct FieldList<Extent> {
    static constexpr auto list = std::make_tuple(
        field("index", &Extent::index), field("start", &Extent::start),
        field("size", &Extent::size), field("role", &Extent::role),
        field("arrayId", &Extent::arrayId), field("backupTime", &Extent::backupTime),
        field("offline", &Extent::offline), field("inaccessible", &Extent::inaccessible),
        field("reportedFlags", &Extent::reportedFlags));
};

template <>
struct FieldList<Disk> {
    static constexpr auto list = std::make_tuple(
        field("id", &Disk::id), field("channel", &Disk::channel),
        field("sectors", &Disk::sectors), field("model", &Disk::model),
        field("serial", &Disk::serial), field("firmware", &Disk::firmware),
        field("enclosureId", &Disk::enclosureId), field("carrierId", &Disk::carrierId),
        field("speed3gSupported", &Disk::speed3gSupported),
        field("speed3gEnabled", &Disk::speed3gEnabled),
        field("smartFailure", &Disk::smartFailure), field("writeCache", &Disk::writeCache),
        field("smartEnabled", &Disk::smartEnabled), field("ncqSupported", &Disk::ncqSupported),
        field("tcqSupported", &Disk::tcqSupported), field("ncq", &Disk::ncq), field("tcq", &Disk::tcq),
        field("present", &Disk::present),
        field("failed", &Disk::failed), field("extents", &Disk::extents),
        field("reportedExtentCount", &Disk::reportedExtentCount),
        field("simulatedErrors", &Disk::simulatedErrors), field("brokenEcc", &Disk::brokenEcc));
};

template <>
struct FieldList<ReplyQuirks> {
    static constexpr auto list = std::make_tuple(field("phyDrvCount", &ReplyQuirks::phyDrvCount),
                                                 field("phyDrvFilled", &ReplyQuirks::phyDrvFilled));
};

template <>
struct FieldList<InventorySlice> {
    static constexpr auto list = std::make_tuple(field("disks", &InventorySlice::disks),
                                                 field("quirks", &InventorySlice::quirks));
};

}  // namespace sim::fields

namespace sim {

bool diskVisible(const Disk& disk) { return disk.present; }

void writeSlice(nlohmann::json& j, const InventorySlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<InventorySlice>::list);
}

void readSlice(const nlohmann::json& j, InventorySlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<InventorySlice>::list, where);
}

}  // namespace sim

namespace sim {

const SimulatedError* simulatedErrorAt(const Disk& disk, std::uint64_t lba, std::uint8_t access) {
    for (const SimulatedError& e : disk.simulatedErrors) {
        if ((e.flags & access) != 0 && lba >= e.lba && lba - e.lba < std::max<std::uint16_t>(e.count, 1)) {
            return &e;
        }
    }
    return nullptr;
}

}  // namespace sim

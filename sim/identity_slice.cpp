#include "sim/identity_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<PciPlace> {
    static constexpr auto list = std::make_tuple(
        field("bus", &PciPlace::bus), field("slot", &PciPlace::slot),
        field("irql", &PciPlace::irql), field("irqVector", &PciPlace::irqVector),
        field("vendorDeviceId", &PciPlace::vendorDeviceId),
        field("subsystemId", &PciPlace::subsystemId), field("resources", &PciPlace::resources));
};

template <>
struct FieldList<ControllerIdentitySlice> {
    using S = ControllerIdentitySlice;
    static constexpr auto list = std::make_tuple(
        field("driverVersion", &S::driverVersion), field("targetId", &S::targetId),
        field("identifyReturnCode", &S::identifyReturnCode),
        field("controllerId", &S::controllerId), field("subsystemId", &S::subsystemId),
        field("discoverPath", &S::discoverPath), field("productId", &S::productId),
        field("subProductId", &S::subProductId), field("biosVersion", &S::biosVersion),
        field("firmwareVersion", &S::firmwareVersion), field("eccMemory", &S::eccMemory),
        field("memorySizeMb", &S::memorySizeMb), field("pci", &S::pci));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const ControllerIdentitySlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<ControllerIdentitySlice>::list);
}

void readSlice(const nlohmann::json& j, ControllerIdentitySlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<ControllerIdentitySlice>::list, where);
}

}  // namespace sim

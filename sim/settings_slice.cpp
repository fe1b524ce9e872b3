#include "sim/settings_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<GlobalSettings> {
    using S = GlobalSettings;
    static constexpr auto list = std::make_tuple(
        field("rebuildRate", &S::rebuildRate), field("syncRate", &S::syncRate),
        field("patrolRate", &S::patrolRate), field("initRate", &S::initRate),
        field("migrationRate", &S::migrationRate), field("autoRebuild", &S::autoRebuild),
        field("smartInterval", &S::smartInterval), field("smartChecking", &S::smartChecking),
        field("enclosureInterval", &S::enclosureInterval), field("rebuildPolicy", &S::rebuildPolicy),
        field("taskTimeout", &S::taskTimeout));
};

template <>
struct FieldList<CamSettings> {
    static constexpr auto list =
        std::make_tuple(field("saved", &CamSettings::saved), field("current", &CamSettings::current));
};

template <>
struct FieldList<SettingsSlice> {
    static constexpr auto list =
        std::make_tuple(field("settings", &SettingsSlice::settings), field("cam", &SettingsSlice::cam));
};

}  // namespace sim::fields

namespace sim {

std::uint8_t activityRate(const GlobalSettings& settings, ActivityKind kind) {
    switch (kind) {
        case ActivityKind::Rebuild:
        case ActivityKind::Backup: return settings.rebuildRate;
        case ActivityKind::Init: return settings.initRate;
        case ActivityKind::Sync:
        case ActivityKind::Check: return settings.syncRate;
        case ActivityKind::Migration: return settings.migrationRate;
    }
    return kDefaultActivityRate;
}

void writeSlice(nlohmann::json& j, const SettingsSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<SettingsSlice>::list);
}

void readSlice(const nlohmann::json& j, SettingsSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<SettingsSlice>::list, where);
}

}  // namespace sim

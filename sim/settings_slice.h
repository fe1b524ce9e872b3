#pragma once
// A controller's settings: the global ones (background activity rates,
// rebuild policy, polling intervals and switches) and the CAM setting bits
// with their saved and current copies. Array and disk settings live with
// the arrays and the disks.

#include <cstdint>

#include <nlohmann/json_fwd.hpp>

#include "sim/array_slice.h"

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

struct GlobalSettings {
    std::uint8_t rebuildRate = kDefaultActivityRate;
    std::uint8_t syncRate = kDefaultActivityRate;
    std::uint8_t patrolRate = kDefaultActivityRate;
    std::uint8_t initRate = kDefaultActivityRate;
    std::uint8_t migrationRate = kDefaultActivityRate;
    bool autoRebuild = true;
    std::uint16_t smartInterval = 600;   // seconds
    bool smartChecking = true;
    std::uint8_t enclosureInterval = 30;  // seconds
    std::uint8_t rebuildPolicy = 0;
    std::uint8_t taskTimeout = 10;
};

// The CAM setting bits (CAM_* of the settings records). Changes go to the
// saved copy, which becomes current when the controller starts again.
struct CamSettings {
    std::uint32_t saved = 0x2;    // buzzer on
    std::uint32_t current = 0x2;
};

struct SettingsSlice {
    GlobalSettings settings;
    CamSettings cam;
};

// The rate the controller runs activities of the kind at.
std::uint8_t activityRate(const GlobalSettings& settings, ActivityKind kind);

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const SettingsSlice& slice);
void readSlice(const nlohmann::json& j, SettingsSlice& slice, const fields::Where& where);

}  // namespace sim

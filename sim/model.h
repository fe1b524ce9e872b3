#pragma once
// The simulated controllers and what surrounds them: the SCSI ports, the
// failures a state asks for, and the clock. A controller's own state is made
// of one slice per family of its functions (identity, inventory, arrays,
// events), each with its structures and its JSON fields in files of its own.
// The stand-in library and the stand-in driver both answer from one State,
// so that both ways of reaching a controller see the same thing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "sim/array_slice.h"
#include "sim/event_slice.h"
#include "sim/firmware_slice.h"
#include "sim/hardware_slice.h"
#include "sim/identity_slice.h"
#include "sim/inventory_slice.h"
#include "sim/patrol_slice.h"
#include "sim/schedule_slice.h"
#include "sim/settings_slice.h"

namespace sim {

// A whole made of slices, whose JSON is one object holding every slice's
// fields (see writeSlice and readSlice in each slice's header).
template <class... Slices>
struct SliceComposition : Slices... {};

// A controller: adding a family adds its slice to this list.
struct Controller
    : SliceComposition<ControllerIdentitySlice, InventorySlice, ArraySlice, EventSlice,
                       SettingsSlice, ScheduleSlice, HardwareSlice, PatrolSlice, FirmwareSlice> {};

enum class PortKind {
    Talo,     // a Talo controller's driver
    Adapter,  // another adapter: answers the identification without the magic
    Missing,  // no device: opening it fails, which ends a scan
};

struct Port {
    PortKind kind = PortKind::Missing;
    int controller = -1;            // index into State::controllers for Talo ports
    bool rejectsIdentify = false;   // an adapter whose driver fails the request
};

// Failures a state can ask for. A status of 0 means "no failure".
struct Failures {
    std::uint32_t initialize = 0;    // status hx_initialize returns
    std::uint32_t discover = 0;      // status hx_discover returns
    std::uint32_t discoverPath = 0;  // status hx_getDiscoverPath returns
    // System error code with which every pass-through request fails.
    std::uint32_t passThroughError = 0;
    // Sense key, code and qualifier with which every vendor command ends in
    // a check condition; empty for none.
    std::vector<int> vendorCheckCondition;
};

// The size of the simulated machine's first own disk when a state names
// none: 1024 cylinders of 255 tracks of 63 sectors.
constexpr std::uint64_t kDefaultOsDiskSectors = 16450560;

struct State {
    // Seconds since 1970; when set, the simulation's clock stands still there.
    std::optional<std::uint32_t> clock;
    std::string hostOs = "Windows XP Professional Service Pack 3 (build 2600)";
    std::vector<Port> ports;
    std::vector<Controller> controllers;
    Failures failures;
    // Event codes the library does not report (its ignore list, kept for
    // every controller alike).
    std::vector<std::uint32_t> ignoredEvents;
    // The simulated machine's own disks (\\.\PHYSICALDRIVEn, n from 0), their
    // sizes in sectors; their data lives in the sector store.
    std::vector<std::uint64_t> osDisks = {kDefaultOsDiskSectors};
};

// Whether the library leaves events with this code unreported.
bool eventIgnored(const State& state, std::uint32_t code);

// The built-in state: port 0 another adapter, port 1 a Talo controller with
// eight disks and nothing else, port 2 missing.
State demoState();

// The simulation's time: the state's fixed clock, else the system's.
std::uint32_t currentTime(const State& state);

// Index of the controller's port, or -1 when no port holds it.
int portOfController(const State& state, int controller);

void to_json(nlohmann::json& json, const State& state);
void from_json(const nlohmann::json& json, State& state);
void to_json(nlohmann::json& json, const Controller& controller);
void from_json(const nlohmann::json& json, Controller& controller);
void to_json(nlohmann::json& json, const Port& port);
void from_json(const nlohmann::json& json, Port& port);

}  // namespace sim

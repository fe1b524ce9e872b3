#pragma once
// The simulated controllers and what surrounds them: the SCSI ports, the
// disks, the failures a state asks for, and the clock. The stand-in library
// and the stand-in driver both answer from one State, so that both ways of
// reaching a controller see the same thing.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace sim {

struct Disk {
    int id = 0;
    int channel = 0;
    std::uint64_t sectors = 0;
    std::string model;
    std::string serial;
    std::string firmware;
    int enclosureId = 255;  // 255: not in an enclosure
    int carrierId = 0;
    bool speed3gSupported = true;
    bool speed3gEnabled = true;
};

struct Controller {
    std::array<std::uint32_t, 4> driverVersion{3, 2, 0, 19};
    std::uint8_t targetId = 0;
    // ReturnCode the driver puts in its identification answer.
    std::uint32_t identifyReturnCode = 0;
    std::uint16_t controllerId = 0x3120;  // PCI device id
    std::uint16_t subsystemId = 0x0100;
    std::string discoverPath = "PCI bus 2, device 0, function 0";
    std::vector<Disk> disks;
};

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
};

struct State {
    // Seconds since 1970; when set, the simulation's clock stands still there.
    std::optional<std::uint32_t> clock;
    std::vector<Port> ports;
    std::vector<Controller> controllers;
    Failures failures;
};

// The built-in state: port 0 another adapter, port 1 a Talo controller with
// eight disks and nothing else, port 2 missing.
State demoState();

// The simulation's time: the state's fixed clock, else the system's.
std::uint32_t currentTime(const State& state);

void to_json(nlohmann::json& json, const Disk& disk);
void from_json(const nlohmann::json& json, Disk& disk);
void to_json(nlohmann::json& json, const Controller& controller);
void from_json(const nlohmann::json& json, Controller& controller);
void to_json(nlohmann::json& json, const Port& port);
void from_json(const nlohmann::json& json, Port& port);
void to_json(nlohmann::json& json, const Failures& failures);
void from_json(const nlohmann::json& json, Failures& failures);
void to_json(nlohmann::json& json, const State& state);
void from_json(const nlohmann::json& json, State& state);

}  // namespace sim

#include "sim/model.h"

#include <ctime>

#include <nlohmann/json.hpp>

namespace sim {

namespace {

using nlohmann::json;

template <typename T>
void readField(const json& from, const char* key, T& into) {
    auto it = from.find(key);
    if (it != from.end() && !it->is_null()) it->get_to(into);
}

const char* portKindName(PortKind kind) {
    switch (kind) {
        case PortKind::Talo: return "talo";
        case PortKind::Adapter: return "adapter";
        case PortKind::Missing: break;
    }
    return "missing";
}

PortKind portKindFromName(const std::string& name) {
    if (name == "talo") return PortKind::Talo;
    if (name == "adapter") return PortKind::Adapter;
    return PortKind::Missing;
}

}  // namespace

void to_json(json& j, const Disk& d) {
    j = json{{"id", d.id},
             {"channel", d.channel},
             {"sectors", d.sectors},
             {"model", d.model},
             {"serial", d.serial},
             {"firmware", d.firmware},
             {"enclosureId", d.enclosureId},
             {"carrierId", d.carrierId},
             {"speed3gSupported", d.speed3gSupported},
             {"speed3gEnabled", d.speed3gEnabled}};
}

void from_json(const json& j, Disk& d) {
    readField(j, "id", d.id);
    readField(j, "channel", d.channel);
    readField(j, "sectors", d.sectors);
    readField(j, "model", d.model);
    readField(j, "serial", d.serial);
    readField(j, "firmware", d.firmware);
    readField(j, "enclosureId", d.enclosureId);
    readField(j, "carrierId", d.carrierId);
    readField(j, "speed3gSupported", d.speed3gSupported);
    readField(j, "speed3gEnabled", d.speed3gEnabled);
}

void to_json(json& j, const Controller& c) {
    j = json{{"driverVersion", c.driverVersion},
             {"targetId", c.targetId},
             {"identifyReturnCode", c.identifyReturnCode},
             {"controllerId", c.controllerId},
             {"subsystemId", c.subsystemId},
             {"discoverPath", c.discoverPath},
             {"disks", c.disks}};
}

void from_json(const json& j, Controller& c) {
    readField(j, "driverVersion", c.driverVersion);
    readField(j, "targetId", c.targetId);
    readField(j, "identifyReturnCode", c.identifyReturnCode);
    readField(j, "controllerId", c.controllerId);
    readField(j, "subsystemId", c.subsystemId);
    readField(j, "discoverPath", c.discoverPath);
    readField(j, "disks", c.disks);
}

void to_json(json& j, const Port& p) {
    j = json{{"kind", portKindName(p.kind)}};
    if (p.kind == PortKind::Talo) j["controller"] = p.controller;
    if (p.rejectsIdentify) j["rejectsIdentify"] = true;
}

void from_json(const json& j, Port& p) {
    std::string kind = "missing";
    readField(j, "kind", kind);
    p.kind = portKindFromName(kind);
    readField(j, "controller", p.controller);
    readField(j, "rejectsIdentify", p.rejectsIdentify);
}

void to_json(json& j, const Failures& f) {
    j = json{{"initialize", f.initialize},
             {"discover", f.discover},
             {"discoverPath", f.discoverPath},
             {"passThroughError", f.passThroughError}};
}

void from_json(const json& j, Failures& f) {
    readField(j, "initialize", f.initialize);
    readField(j, "discover", f.discover);
    readField(j, "discoverPath", f.discoverPath);
    readField(j, "passThroughError", f.passThroughError);
}

namespace {

Disk demoDisk(int id, std::uint64_t sectors, const char* model, const char* serial,
              const char* firmware) {
    Disk d;
    d.id = id;
    d.channel = id;
    d.sectors = sectors;
    d.model = model;
    d.serial = serial;
    d.firmware = firmware;
    return d;
}

}  // namespace

State demoState() {
    State state;
    state.ports.resize(3);
    state.ports[0].kind = PortKind::Adapter;
    state.ports[1].kind = PortKind::Talo;
    state.ports[1].controller = 0;
    state.ports[2].kind = PortKind::Missing;

    Controller c;
    // Sector counts of real drives: 80, 160, 250, 320, 500 GB and 1 TB models.
    c.disks = {
        demoDisk(0, 156301488ull, "WDC WD800JD-75MSA3", "WD-WMAM9AB12345", "10.01E04"),
        demoDisk(1, 156301488ull, "WDC WD800JD-75MSA3", "WD-WMAM9AB67890", "10.01E04"),
        demoDisk(2, 312581808ull, "ST3160812AS", "5LS2ABCD", "3.AAE"),
        demoDisk(3, 312581808ull, "ST3160812AS", "5LS2EFGH", "3.AAE"),
        demoDisk(4, 488397168ull, "Maxtor 7V250F0", "V59ABCDE", "VA111630"),
        demoDisk(5, 625142448ull, "HDS721632PLA380", "PVF904Z2ABCDEF", "P21OABEA"),
        demoDisk(6, 976773168ull, "ST3500630AS", "9QG1ABCD", "3.AAK"),
        demoDisk(7, 1953525168ull, "Hitachi HDS721010KLA330", "GTA000PAG1ABCD", "GKAOA74A"),
    };
    state.controllers.push_back(c);
    return state;
}

std::uint32_t currentTime(const State& state) {
    if (state.clock) return *state.clock;
    return static_cast<std::uint32_t>(std::time(nullptr));
}

void to_json(json& j, const State& s) {
    j = json::object();
    if (s.clock) j["clock"] = *s.clock;
    j["failures"] = s.failures;
    j["ports"] = s.ports;
    j["controllers"] = s.controllers;
}

void from_json(const json& j, State& s) {
    s = State{};
    if (j.contains("clock") && !j["clock"].is_null()) s.clock = j["clock"].get<std::uint32_t>();
    readField(j, "failures", s.failures);
    readField(j, "ports", s.ports);
    readField(j, "controllers", s.controllers);
}

}  // namespace sim

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

// Optional values are written only when set, and read back when present.
template <typename T>
void writeOptional(json& j, const char* key, const std::optional<T>& value) {
    if (value) j[key] = *value;
}
template <typename T>
void readOptional(const json& j, const char* key, std::optional<T>& value) {
    auto it = j.find(key);
    if (it != j.end() && !it->is_null()) value = it->get<T>();
}

NLOHMANN_JSON_SERIALIZE_ENUM(ExtentRole, {{ExtentRole::Free, "free"},
                                          {ExtentRole::Assigned, "assigned"},
                                          {ExtentRole::GlobalSpare, "globalSpare"},
                                          {ExtentRole::DedicatedSpare, "dedicatedSpare"},
                                          {ExtentRole::Backup, "backup"},
                                          {ExtentRole::LatestBackup, "latestBackup"}})
NLOHMANN_JSON_SERIALIZE_ENUM(ActivityKind, {{ActivityKind::Rebuild, "rebuild"},
                                            {ActivityKind::Init, "init"},
                                            {ActivityKind::Sync, "sync"},
                                            {ActivityKind::Check, "check"},
                                            {ActivityKind::Migration, "migration"},
                                            {ActivityKind::Backup, "backup"}})

void to_json(json& j, const Extent& e) {
    j = json{{"index", e.index}, {"start", e.start},     {"size", e.size},
             {"role", e.role},   {"arrayId", e.arrayId}, {"backupTime", e.backupTime},
             {"offline", e.offline}, {"inaccessible", e.inaccessible}};
    writeOptional(j, "reportedFlags", e.reportedFlags);
}

void from_json(const json& j, Extent& e) {
    e = Extent{};
    readField(j, "index", e.index);
    readField(j, "start", e.start);
    readField(j, "size", e.size);
    readField(j, "role", e.role);
    readField(j, "arrayId", e.arrayId);
    readField(j, "backupTime", e.backupTime);
    readField(j, "offline", e.offline);
    readField(j, "inaccessible", e.inaccessible);
    readOptional(j, "reportedFlags", e.reportedFlags);
}

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
             {"speed3gEnabled", d.speed3gEnabled},
             {"smartFailure", d.smartFailure},
             {"extents", d.extents}};
    writeOptional(j, "reportedExtentCount", d.reportedExtentCount);
}

void from_json(const json& j, Disk& d) {
    d = Disk{};
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
    readField(j, "smartFailure", d.smartFailure);
    readField(j, "extents", d.extents);
    readOptional(j, "reportedExtentCount", d.reportedExtentCount);
}

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Activity, kind, initKind, paused, startTime,
                                                resumeTime, runningSince, doneBefore, targetDisks,
                                                targetExtents, targetLevel, subArrayCount,
                                                parityCount, symmetric, parityShift)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Event, id, severity, description, array, time)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(PciPlace, bus, slot, irql, irqVector,
                                                vendorDeviceId, subsystemId, resources)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Failures, initialize, discover, discoverPath,
                                                passThroughError, vendorCheckCondition)

void to_json(json& j, const Array& a) {
    j = json{{"id", a.id},
             {"level", a.level},
             {"members", a.members},
             {"stripeSectors", a.stripeSectors},
             {"cacheMode", a.cacheMode},
             {"lookahead", a.lookahead},
             {"sectors", a.sectors},
             {"rawSectors", a.rawSectors},
             {"name", a.name},
             {"parityCount", a.parityCount},
             {"symmetric", a.symmetric},
             {"parityShift", a.parityShift},
             {"subArrayCount", a.subArrayCount},
             {"sectorSize", a.sectorSize},
             {"flags", a.flags},
             {"lostMask", a.lostMask},
             {"startTime", a.startTime},
             {"resumeTime", a.resumeTime}};
    writeOptional(j, "reportedMemberCount", a.reportedMemberCount);
    writeOptional(j, "activity", a.activity);
}

void from_json(const json& j, Array& a) {
    const Array d;
    a = d;
    readField(j, "id", a.id);
    readField(j, "level", a.level);
    readField(j, "members", a.members);
    readField(j, "stripeSectors", a.stripeSectors);
    readField(j, "cacheMode", a.cacheMode);
    readField(j, "lookahead", a.lookahead);
    readField(j, "sectors", a.sectors);
    readField(j, "rawSectors", a.rawSectors);
    readField(j, "name", a.name);
    readField(j, "parityCount", a.parityCount);
    readField(j, "symmetric", a.symmetric);
    readField(j, "parityShift", a.parityShift);
    readField(j, "subArrayCount", a.subArrayCount);
    readField(j, "sectorSize", a.sectorSize);
    readField(j, "flags", a.flags);
    readField(j, "lostMask", a.lostMask);
    readField(j, "startTime", a.startTime);
    readField(j, "resumeTime", a.resumeTime);
    readOptional(j, "reportedMemberCount", a.reportedMemberCount);
    readOptional(j, "activity", a.activity);
}

void to_json(json& j, const ReplyQuirks& q) {
    j = json::object();
    writeOptional(j, "phyDrvCount", q.phyDrvCount);
    writeOptional(j, "phyDrvFilled", q.phyDrvFilled);
}

void from_json(const json& j, ReplyQuirks& q) {
    q = ReplyQuirks{};
    readOptional(j, "phyDrvCount", q.phyDrvCount);
    readOptional(j, "phyDrvFilled", q.phyDrvFilled);
}

void to_json(json& j, const Controller& c) {
    j = json{{"driverVersion", c.driverVersion},
             {"targetId", c.targetId},
             {"identifyReturnCode", c.identifyReturnCode},
             {"controllerId", c.controllerId},
             {"subsystemId", c.subsystemId},
             {"discoverPath", c.discoverPath},
             {"productId", c.productId},
             {"subProductId", c.subProductId},
             {"biosVersion", c.biosVersion},
             {"firmwareVersion", c.firmwareVersion},
             {"eccMemory", c.eccMemory},
             {"memorySizeMb", c.memorySizeMb},
             {"pci", c.pci},
             {"disks", c.disks},
             {"arrays", c.arrays},
             {"events", c.events},
             {"quirks", c.quirks}};
}

void from_json(const json& j, Controller& c) {
    c = Controller{};
    readField(j, "driverVersion", c.driverVersion);
    readField(j, "targetId", c.targetId);
    readField(j, "identifyReturnCode", c.identifyReturnCode);
    readField(j, "controllerId", c.controllerId);
    readField(j, "subsystemId", c.subsystemId);
    readField(j, "discoverPath", c.discoverPath);
    readField(j, "productId", c.productId);
    readField(j, "subProductId", c.subProductId);
    readField(j, "biosVersion", c.biosVersion);
    readField(j, "firmwareVersion", c.firmwareVersion);
    readField(j, "eccMemory", c.eccMemory);
    readField(j, "memorySizeMb", c.memorySizeMb);
    readField(j, "pci", c.pci);
    readField(j, "disks", c.disks);
    readField(j, "arrays", c.arrays);
    readField(j, "events", c.events);
    readField(j, "quirks", c.quirks);
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

std::uint32_t activityDurationSeconds(const Activity& a) {
    if (a.kind == ActivityKind::Init && a.initKind == 1) return 10;  // quick: metadata only
    return 1000;
}

std::uint32_t activityProgress(const Activity& a, std::uint32_t now) {
    std::uint64_t done = a.doneBefore;
    if (!a.paused && now > a.runningSince) {
        done += static_cast<std::uint64_t>(now - a.runningSince) * 1000 / activityDurationSeconds(a);
    }
    return static_cast<std::uint32_t>(done < 1000 ? done : 1000);
}

std::uint32_t currentTime(const State& state) {
    if (state.clock) return *state.clock;
    return static_cast<std::uint32_t>(std::time(nullptr));
}

int portOfController(const State& state, int controller) {
    for (std::size_t i = 0; i < state.ports.size(); ++i) {
        if (state.ports[i].kind == PortKind::Talo && state.ports[i].controller == controller) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void to_json(json& j, const State& s) {
    j = json::object();
    writeOptional(j, "clock", s.clock);
    j["hostOs"] = s.hostOs;
    j["failures"] = s.failures;
    j["ports"] = s.ports;
    j["controllers"] = s.controllers;
}

void from_json(const json& j, State& s) {
    s = State{};
    readOptional(j, "clock", s.clock);
    readField(j, "hostOs", s.hostOs);
    readField(j, "failures", s.failures);
    readField(j, "ports", s.ports);
    readField(j, "controllers", s.controllers);
}

}  // namespace sim

#include "sim/model.h"

#include <ctime>

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// Each structure's JSON fields, listed once; sim/json_fields.h reads and
// writes them.
namespace sim::fields {

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
struct NameList<ActivityKind> {
    static constexpr std::array<std::pair<ActivityKind, const char*>, 6> names{{
        {ActivityKind::Rebuild, "rebuild"},
        {ActivityKind::Init, "init"},
        {ActivityKind::Sync, "sync"},
        {ActivityKind::Check, "check"},
        {ActivityKind::Migration, "migration"},
        {ActivityKind::Backup, "backup"},
    }};
};

template <>
struct NameList<PortKind> {
    static constexpr std::array<std::pair<PortKind, const char*>, 3> names{{
        {PortKind::Talo, "talo"},
        {PortKind::Adapter, "adapter"},
        {PortKind::Missing, "missing"},
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
        field("smartFailure", &Disk::smartFailure), field("extents", &Disk::extents),
        field("reportedExtentCount", &Disk::reportedExtentCount));
};

template <>
struct FieldList<Activity> {
    static constexpr auto list = std::make_tuple(
        field("kind", &Activity::kind), field("initKind", &Activity::initKind),
        field("paused", &Activity::paused), field("startTime", &Activity::startTime),
        field("resumeTime", &Activity::resumeTime), field("runningSince", &Activity::runningSince),
        field("doneBefore", &Activity::doneBefore), field("targetDisks", &Activity::targetDisks),
        field("targetExtents", &Activity::targetExtents),
        field("targetLevel", &Activity::targetLevel),
        field("subArrayCount", &Activity::subArrayCount),
        field("parityCount", &Activity::parityCount), field("symmetric", &Activity::symmetric),
        field("parityShift", &Activity::parityShift));
};

template <>
struct FieldList<Event> {
    static constexpr auto list = std::make_tuple(
        field("id", &Event::id), field("severity", &Event::severity),
        field("description", &Event::description), field("array", &Event::array),
        field("time", &Event::time));
};

template <>
struct FieldList<Array> {
    static constexpr auto list = std::make_tuple(
        field("id", &Array::id), field("level", &Array::level), field("members", &Array::members),
        field("stripeSectors", &Array::stripeSectors), field("cacheMode", &Array::cacheMode),
        field("lookahead", &Array::lookahead), field("sectors", &Array::sectors),
        field("rawSectors", &Array::rawSectors), field("name", &Array::name),
        field("parityCount", &Array::parityCount), field("symmetric", &Array::symmetric),
        field("parityShift", &Array::parityShift), field("subArrayCount", &Array::subArrayCount),
        field("sectorSize", &Array::sectorSize), field("flags", &Array::flags),
        field("lostMask", &Array::lostMask), field("startTime", &Array::startTime),
        field("resumeTime", &Array::resumeTime),
        field("reportedMemberCount", &Array::reportedMemberCount),
        field("activity", &Array::activity));
};

template <>
struct FieldList<PciPlace> {
    static constexpr auto list = std::make_tuple(
        field("bus", &PciPlace::bus), field("slot", &PciPlace::slot),
        field("irql", &PciPlace::irql), field("irqVector", &PciPlace::irqVector),
        field("vendorDeviceId", &PciPlace::vendorDeviceId),
        field("subsystemId", &PciPlace::subsystemId), field("resources", &PciPlace::resources));
};

template <>
struct FieldList<ReplyQuirks> {
    static constexpr auto list = std::make_tuple(field("phyDrvCount", &ReplyQuirks::phyDrvCount),
                                                 field("phyDrvFilled", &ReplyQuirks::phyDrvFilled));
};

template <>
struct FieldList<Controller> {
    static constexpr auto list = std::make_tuple(
        field("driverVersion", &Controller::driverVersion), field("targetId", &Controller::targetId),
        field("identifyReturnCode", &Controller::identifyReturnCode),
        field("controllerId", &Controller::controllerId),
        field("subsystemId", &Controller::subsystemId),
        field("discoverPath", &Controller::discoverPath), field("productId", &Controller::productId),
        field("subProductId", &Controller::subProductId),
        field("biosVersion", &Controller::biosVersion),
        field("firmwareVersion", &Controller::firmwareVersion),
        field("eccMemory", &Controller::eccMemory), field("memorySizeMb", &Controller::memorySizeMb),
        field("pci", &Controller::pci), field("disks", &Controller::disks),
        field("arrays", &Controller::arrays), field("events", &Controller::events),
        field("quirks", &Controller::quirks));
};

template <>
struct FieldList<Port> {
    static constexpr auto list = std::make_tuple(field("kind", &Port::kind),
                                                 field("controller", &Port::controller),
                                                 field("rejectsIdentify", &Port::rejectsIdentify));
};

template <>
struct FieldList<Failures> {
    static constexpr auto list = std::make_tuple(
        field("initialize", &Failures::initialize), field("discover", &Failures::discover),
        field("discoverPath", &Failures::discoverPath),
        field("passThroughError", &Failures::passThroughError),
        field("vendorCheckCondition", &Failures::vendorCheckCondition));
};

template <>
struct FieldList<State> {
    static constexpr auto list = std::make_tuple(
        field("clock", &State::clock), field("hostOs", &State::hostOs),
        field("failures", &State::failures), field("ports", &State::ports),
        field("controllers", &State::controllers));
};

}  // namespace sim::fields

namespace sim {

using nlohmann::json;

void to_json(json& j, const State& s) { fields::writeValue(j, s); }
void from_json(const json& j, State& s) { fields::readValue(j, s, fields::Where{}); }
void to_json(json& j, const Controller& c) { fields::writeValue(j, c); }
void from_json(const json& j, Controller& c) { fields::readValue(j, c, fields::Where{}); }
void to_json(json& j, const Port& p) { fields::writeValue(j, p); }
void from_json(const json& j, Port& p) { fields::readValue(j, p, fields::Where{}); }

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

}  // namespace sim

#include "sim/model.h"

#include <algorithm>
#include <ctime>

#include <nlohmann/json.hpp>

#include "sim/hardware_model.h"
#include "sim/json_fields.h"

// The JSON fields of the state's own structures, each listed once, and the
// controller's as the union of its slices' (sim/json_fields.h reads and
// writes them).
namespace sim::fields {

template <>
struct NameList<PortKind> {
    static constexpr std::array<std::pair<PortKind, const char*>, 3> names{{
        {PortKind::Talo, "talo"},
        {PortKind::Adapter, "adapter"},
        {PortKind::Missing, "missing"},
    }};
};

// A composition's JSON: one object with every slice's fields.
template <class... Slices>
struct Codec<SliceComposition<Slices...>> {
    static void write(json& j, const SliceComposition<Slices...>& whole) {
        j = json::object();
        (writeSlice(j, static_cast<const Slices&>(whole)), ...);
    }
    static void read(const json& j, SliceComposition<Slices...>& whole, const Where& where) {
        if (!j.is_object()) refuse(where, "expected an object");
        (readSlice(j, static_cast<Slices&>(whole), where), ...);
    }
};

template <>
struct Codec<Controller> {
    using Whole = Codec<Controller::SliceComposition>;
    static void write(json& j, const Controller& c) { Whole::write(j, c); }
    static void read(const json& j, Controller& c, const Where& where) {
        c = Controller{};
        Whole::read(j, c, where);
    }
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
        field("failures", &State::failures), field("ignoredEvents", &State::ignoredEvents),
        field("ports", &State::ports),
        field("controllers", &State::controllers), field("osDisks", &State::osDisks));
};

}  // namespace sim::fields

namespace sim {

using nlohmann::json;

namespace {

using fields::refuse;
using fields::Where;

// Bounds of what a real controller has: the simulation takes ids and list
// lengths as given, so a state beyond them is refused rather than misread.
constexpr std::size_t kMaxControllers = 64;
constexpr std::size_t kMaxPorts = 256;
constexpr std::size_t kMaxOsDisks = 64;
constexpr int kMaxId = 254;  // disk and array ids; 255 stands for none

void checkCount(std::size_t count, std::size_t most, const Where& where) {
    if (count > most) {
        refuse(where, std::to_string(count) + " entries, more than the " + std::to_string(most) +
                          " a state may hold");
    }
}

void checkId(int id, const Where& where) {
    if (id < 0 || id > kMaxId) {
        refuse(where, "id " + std::to_string(id) + " out of range (0 to " +
                          std::to_string(kMaxId) + ")");
    }
}

const Disk* diskWithId(const Controller& c, int id) {
    for (const Disk& d : c.disks) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

void checkController(const Controller& c, const Where& where) {
    const Where disks = where.member("disks");
    checkCount(c.disks.size(), kMaxId + 1, disks);
    for (std::size_t i = 0; i < c.disks.size(); ++i) {
        const Disk& d = c.disks[i];
        const Where disk = disks.element(i);
        checkId(d.id, disk.member("id"));
        if (diskWithId(c, d.id) != &d) {
            refuse(disk.member("id"), "disk id " + std::to_string(d.id) + " given twice");
        }
        const Where extents = disk.member("extents");
        for (std::size_t e = 0; e < d.extents.size(); ++e) {
            const int owner = d.extents[e].arrayId;
            if (owner != kMissingMember) checkId(owner, extents.element(e).member("arrayId"));
        }
    }
    const Where arrays = where.member("arrays");
    checkCount(c.arrays.size(), kMaxId + 1, arrays);
    for (std::size_t i = 0; i < c.arrays.size(); ++i) {
        const Array& a = c.arrays[i];
        const Where array = arrays.element(i);
        checkId(a.id, array.member("id"));
        for (std::size_t k = 0; k < i; ++k) {
            if (c.arrays[k].id == a.id) {
                refuse(array.member("id"), "array id " + std::to_string(a.id) + " given twice");
            }
        }
        const Where members = array.member("members");
        checkCount(a.members.size(), kMaxId + 1, members);
        for (std::size_t m = 0; m < a.members.size(); ++m) {
            const int member = a.members[m];
            if (member != kMissingMember && diskWithId(c, member) == nullptr) {
                refuse(members.element(m),
                       "no disk " + std::to_string(member) + " on this controller");
            }
        }
    }
    checkCount(c.events.size(), kMaxEvents, where.member("events"));
}

// Refuses, naming the place, a state whose counts, ids or references no
// controller could have. (A Talo port naming no controller is allowed: it
// stands for an empty port.)
void checkState(const State& s) {
    const Where top{};
    const Where ports = top.member("ports");
    checkCount(s.ports.size(), kMaxPorts, ports);
    const Where controllers = top.member("controllers");
    checkCount(s.controllers.size(), kMaxControllers, controllers);
    for (std::size_t i = 0; i < s.controllers.size(); ++i) {
        checkController(s.controllers[i], controllers.element(i));
    }
    checkCount(s.osDisks.size(), kMaxOsDisks, top.member("osDisks"));
}

}  // namespace

void to_json(json& j, const State& s) { fields::writeValue(j, s); }
void from_json(const json& j, State& s) {
    fields::readValue(j, s, fields::Where{});
    checkState(s);
    // A state that names neither ports nor controllers (a file holding only
    // failures or a clock, say) stands on the demo's; one that gives either,
    // even as an empty list, keeps exactly what it gives.
    const auto given = [&j](const char* key) {
        const auto it = j.find(key);
        return it != j.end() && !it->is_null();
    };
    if (!given("ports") && !given("controllers")) {
        State demo = demoState();
        s.ports = std::move(demo.ports);
        s.controllers = std::move(demo.controllers);
    }
}
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
    // The two 160 GB disks are of a model without command queuing.
    for (Disk& d : c.disks) {
        if (d.model == "ST3160812AS") d.ncqSupported = d.ncq = false;
    }
    addDemoHardware(c);
    state.controllers.push_back(c);
    return state;
}


std::uint32_t currentTime(const State& state) {
    if (state.clock) return *state.clock;
    return static_cast<std::uint32_t>(std::time(nullptr));
}

bool eventIgnored(const State& state, std::uint32_t code) {
    return std::find(state.ignoredEvents.begin(), state.ignoredEvents.end(), code) != state.ignoredEvents.end();
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

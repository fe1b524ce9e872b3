#include "sim/tool/edits.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "platform/console.h"
#include "sim/array_model.h"
#include "sim/hardware_model.h"
#include "sim/settings_model.h"
#include "sim/tool/summary.h"

namespace simtool {

using sim::State;

namespace {

TALO_PRINTF_FORMAT(1, 2) std::string format(const char* pattern, ...) {
    char text[256];
    std::va_list values;
    va_start(values, pattern);
    std::vsnprintf(text, sizeof text, pattern, values);
    va_end(values);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Disks of real drives: sector counts of 80, 160, 250, 320, 500 GB and 1 TB.
struct DiskKind {
    std::uint64_t sectors;
    const char* model;
    const char* serialPrefix;
    const char* firmware;
};
constexpr DiskKind kDiskKinds[] = {
    {156301488ull, "WDC WD800JD-75MSA3", "WD-WMAM9A", "10.01E04"},
    {312581808ull, "ST3160812AS", "5LS2", "3.AAE"},
    {488397168ull, "Maxtor 7V250F0", "V59A", "VA111630"},
    {625142448ull, "HDS721632PLA380", "PVF904Z2AB", "P21OABEA"},
    {976773168ull, "ST3500630AS", "9QG1", "3.AAK"},
    {1953525168ull, "Hitachi HDS721010KLA330", "GTA000PAG1", "GKAOA74A"},
};

sim::Disk plausibleDisk(int controller, int id) {
    const DiskKind& kind = kDiskKinds[static_cast<std::size_t>(id) % std::size(kDiskKinds)];
    sim::Disk d;
    d.id = id;
    d.channel = id;
    d.sectors = kind.sectors;
    d.model = kind.model;
    d.serial = format("%s%02d%03d", kind.serialPrefix, controller, id);
    d.firmware = kind.firmware;
    return d;
}

sim::Controller plausibleController(int index, int disks) {
    sim::Controller c;
    c.pci.bus = static_cast<std::uint32_t>(2 + index);
    c.discoverPath = format("PCI bus %d, device 0, function 0", 2 + index);
    for (int id = 0; id < disks; ++id) c.disks.push_back(plausibleDisk(index, id));
    return c;
}

const char* kindName(sim::PortKind kind) {
    switch (kind) {
        case sim::PortKind::Talo: return "talo";
        case sim::PortKind::Adapter: return "adapter";
        case sim::PortKind::Missing: return "missing";
    }
    return "?";
}

std::size_t portPlace(const State& state, std::optional<std::size_t> port) {
    if (!port) return defaultPortPlace(state);
    if (*port > state.ports.size()) {
        throw Refusal(format("port %zu is past the end (the state has %zu ports)", *port,
                             state.ports.size()));
    }
    return *port;
}

void checkDiskCount(int disks) {
    if (disks < 0 || disks > kMaxDisks) {
        throw Refusal(format("disk count %d out of range (0 to %d)", disks, kMaxDisks));
    }
}

sim::Disk& diskAt(sim::Controller& c, int controller, int id) {
    sim::Disk* d = sim::diskById(c, id);
    if (d == nullptr) throw Refusal(format("controller %d has no disk %d", controller, id));
    return *d;
}

}  // namespace

std::uint64_t parseNumber(const std::string& text, const std::string& what, std::uint64_t low,
                          std::uint64_t high) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::size_t from = hex ? 2 : 0;
    const std::uint64_t base = hex ? 16 : 10;
    const auto notNumber = [&] {
        return Refusal(what + ": \"" + printable(text) + "\" is not a whole number");
    };
    if (text.size() == from) throw notNumber();
    std::uint64_t value = 0;
    bool tooBig = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        const int digit = hex ? hexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) throw notNumber();
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(digit)) / base) {
            tooBig = true;
        } else {
            value = value * base + static_cast<std::uint64_t>(digit);
        }
    }
    if (tooBig || value < low || value > high) {
        throw Refusal(what + " " + printable(text) + " out of range (" + std::to_string(low) + " to " +
                      std::to_string(high) + ")");
    }
    return value;
}

State generatedState(int controllers, int disks) {
    if (controllers < 0 || controllers > kMaxControllers) {
        throw Refusal(format("controller count %d out of range (0 to %d)", controllers, kMaxControllers));
    }
    checkDiskCount(disks);
    State state;
    for (int i = 0; i < controllers; ++i) {
        sim::Port p;
        p.kind = sim::PortKind::Talo;
        p.controller = i;
        state.ports.push_back(p);
        state.controllers.push_back(plausibleController(i, disks));
    }
    return state;
}

sim::Controller& controllerAt(State& state, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= state.controllers.size()) {
        throw Refusal(format("no controller %d (the state has %zu)", index, state.controllers.size()));
    }
    return state.controllers[static_cast<std::size_t>(index)];
}

std::size_t defaultPortPlace(const State& state) {
    for (std::size_t i = 0; i < state.ports.size(); ++i) {
        if (state.ports[i].kind == sim::PortKind::Missing) return i;
    }
    return state.ports.size();
}

std::string addController(State& state, int disks, std::optional<std::size_t> port) {
    checkDiskCount(disks);
    if (state.controllers.size() >= static_cast<std::size_t>(kMaxControllers)) {
        throw Refusal(format("the state has %d controllers already", kMaxControllers));
    }
    const std::size_t place = portPlace(state, port);
    const int index = static_cast<int>(state.controllers.size());
    state.controllers.push_back(plausibleController(index, disks));
    sim::Port p;
    p.kind = sim::PortKind::Talo;
    p.controller = index;
    state.ports.insert(state.ports.begin() + static_cast<std::ptrdiff_t>(place), p);
    sim::settleState(state);  // its disks' free extents
    return format("controller %d added on port %zu with %d disks", index, place, disks);
}

std::string removeController(State& state, int index) {
    controllerAt(state, index);
    state.controllers.erase(state.controllers.begin() + index);
    std::string ports;
    for (std::size_t i = state.ports.size(); i-- > 0;) {
        sim::Port& p = state.ports[i];
        if (p.kind != sim::PortKind::Talo) continue;
        if (p.controller == index) {
            ports = ports.empty() ? std::to_string(i) : std::to_string(i) + ", " + ports;
            state.ports.erase(state.ports.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (p.controller > index) {
            --p.controller;
        }
    }
    if (ports.empty()) return format("controller %d removed (no port held it)", index);
    return format("controller %d removed with its port %s", index, ports.c_str());
}

std::string addPort(State& state, sim::PortKind kind, bool rejectsIdentify,
                    std::optional<std::size_t> port) {
    const std::size_t place = kind == sim::PortKind::Missing && !port ? state.ports.size()
                                                                       : portPlace(state, port);
    sim::Port p;
    p.kind = kind;
    p.rejectsIdentify = rejectsIdentify;
    state.ports.insert(state.ports.begin() + static_cast<std::ptrdiff_t>(place), p);
    return format("port %zu: %s%s", place, kindName(kind),
                  rejectsIdentify ? ", fails the identification" : "");
}

std::string removePort(State& state, std::size_t port) {
    if (port >= state.ports.size()) {
        throw Refusal(format("no port %zu (the state has %zu)", port, state.ports.size()));
    }
    const sim::Port& p = state.ports[port];
    if (p.kind == sim::PortKind::Talo) {
        throw Refusal(format("port %zu holds controller %d: remove the controller instead", port,
                             p.controller));
    }
    const char* kind = kindName(p.kind);
    state.ports.erase(state.ports.begin() + static_cast<std::ptrdiff_t>(port));
    return format("port %zu (%s) removed", port, kind);
}

std::string addDisk(State& state, int controller, const NewDisk& wanted) {
    sim::Controller& c = controllerAt(state, controller);
    int id = 0;
    if (wanted.id) {
        id = *wanted.id;
        if (sim::diskById(c, id) != nullptr) {
            throw Refusal(format("controller %d has a disk %d already", controller, id));
        }
    } else {
        while (id < kMaxDisks && sim::diskById(c, id) != nullptr) ++id;
        if (id == kMaxDisks) throw Refusal(format("controller %d has no free disk id", controller));
    }
    sim::Disk d = plausibleDisk(controller, id);
    if (wanted.channel) d.channel = *wanted.channel;
    if (wanted.sectors) {
        if (*wanted.sectors <= sim::kReservedSectors) {
            throw Refusal(format("a disk needs more than the %llu sectors of the controller's metadata",
                                 static_cast<unsigned long long>(sim::kReservedSectors)));
        }
        d.sectors = *wanted.sectors;
    }
    if (wanted.model) d.model = *wanted.model;
    if (wanted.serial) d.serial = *wanted.serial;
    if (wanted.firmware) d.firmware = *wanted.firmware;
    c.disks.push_back(d);
    std::sort(c.disks.begin(), c.disks.end(),
              [](const sim::Disk& a, const sim::Disk& b) { return a.id < b.id; });
    sim::settleState(state);  // its free extent
    return format("disk %d added to controller %d", id, controller);
}

std::string removeDisk(State& state, int controller, int disk) {
    sim::Controller& c = controllerAt(state, controller);
    diskAt(c, controller, disk);
    for (const sim::Array& a : c.arrays) {
        if (std::find(a.members.begin(), a.members.end(), disk) != a.members.end()) {
            throw Refusal(format("disk %d is a member of array %d: delete the array first", disk, a.id));
        }
    }
    for (const sim::Extent& e : sim::diskById(c, disk)->extents) {
        if (e.role != sim::ExtentRole::Free && e.arrayId != 255 && sim::arrayById(c, e.arrayId) != nullptr) {
            throw Refusal(format("disk %d holds an extent of array %d: delete the array first", disk,
                                 e.arrayId));
        }
    }
    std::erase_if(c.disks, [disk](const sim::Disk& d) { return d.id == disk; });
    return format("disk %d removed from controller %d", disk, controller);
}

std::string queueEvent(State& state, int controller, std::uint32_t id, int severity,
                       const std::string& array, const std::string& description) {
    sim::queueEvent(controllerAt(state, controller), id, severity, description, array,
                    sim::currentTime(state));
    return format("event 0x%x queued on controller %d", id, controller);
}

std::string restartController(State& state, int controller) {
    sim::restartController(controllerAt(state, controller));
    return format("controller %d started again", controller);
}

namespace {

// Throws the model's refusal, if any, naming the controller.
void refuseIf(const std::string& refused, int controller) {
    if (!refused.empty()) throw Refusal(format("controller %d: %s", controller, refused.c_str()));
}

}  // namespace

std::string addEnclosure(State& state, int controller, const NewEnclosure& wanted) {
    sim::Controller& c = controllerAt(state, controller);
    int id = 0;
    refuseIf(sim::addEnclosure(state, c,
                               sim::NewEnclosure{wanted.type, wanted.slots, wanted.fans, wanted.temperatures,
                                                 wanted.voltages},
                               &id),
             controller);
    return format("enclosure %d added to controller %d", id, controller);
}

std::string stopFan(State& state, int controller, int enclosure, int fan) {
    refuseIf(sim::stopFan(state, controllerAt(state, controller), enclosure, fan), controller);
    return format("fan %d of enclosure %d on controller %d stopped", fan, enclosure, controller);
}

std::string heatSensor(State& state, int controller, int enclosure, int sensor, std::uint8_t celsius) {
    refuseIf(sim::heatSensor(state, controllerAt(state, controller), enclosure, sensor, celsius), controller);
    return format("temperature sensor %d of enclosure %d on controller %d at %d C", sensor, enclosure,
                  controller, celsius);
}

std::string removeBattery(State& state, int controller) {
    refuseIf(sim::removeBattery(state, controllerAt(state, controller)), controller);
    return format("battery of controller %d removed", controller);
}

std::string insertBattery(State& state, int controller, std::uint32_t chargeSeconds) {
    refuseIf(sim::insertBattery(state, controllerAt(state, controller), chargeSeconds), controller);
    return format("battery fitted on controller %d, charged in %u seconds", controller, chargeSeconds);
}

std::string setClock(State& state, std::uint32_t clock) {
    state.clock = clock;
    sim::settleState(state);  // what is due by then is done
    return "clock fixed at " + std::to_string(clock) + " (" + dateText(clock) + ")";
}

std::string advanceClock(State& state, std::uint32_t seconds) {
    const std::uint64_t now = sim::currentTime(state);
    if (now + seconds > std::numeric_limits<std::uint32_t>::max()) {
        throw Refusal(format("the clock cannot pass %u", std::numeric_limits<std::uint32_t>::max()));
    }
    return setClock(state, static_cast<std::uint32_t>(now + seconds));
}

std::string freeClock(State& state) {
    state.clock.reset();
    return "clock follows the system's time";
}

std::string setFailures(State& state, const FailureSettings& settings) {
    if (!settings.initialize && !settings.discover && !settings.discoverPath &&
        !settings.passThroughError && !settings.vendorCheckCondition) {
        throw Refusal("no failure given (see talo-sim failures set --help)");
    }
    sim::Failures& f = state.failures;
    if (settings.initialize) f.initialize = *settings.initialize;
    if (settings.discover) f.discover = *settings.discover;
    if (settings.discoverPath) f.discoverPath = *settings.discoverPath;
    if (settings.passThroughError) f.passThroughError = *settings.passThroughError;
    if (settings.vendorCheckCondition) f.vendorCheckCondition = *settings.vendorCheckCondition;
    return "failures: " + failuresText(f);
}

std::string clearFailures(State& state, const std::vector<std::string>& names) {
    sim::Failures& f = state.failures;
    if (names.empty()) {
        f = sim::Failures{};
    }
    for (const std::string& name : names) {
        if (name == "initialize") {
            f.initialize = 0;
        } else if (name == "discover") {
            f.discover = 0;
        } else if (name == "discoverPath") {
            f.discoverPath = 0;
        } else if (name == "passThroughError") {
            f.passThroughError = 0;
        } else if (name == "vendorCheckCondition") {
            f.vendorCheckCondition.clear();
        } else {
            throw Refusal("unknown failure \"" + printable(name) +
                          "\" (known: initialize, discover, discoverPath, passThroughError, "
                          "vendorCheckCondition)");
        }
    }
    return "failures: " + failuresText(f);
}

}  // namespace simtool

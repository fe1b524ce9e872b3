#include "sim/tool/summary.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "access/code_tables.h"
#include "access/enclosure_records.h"
#include "platform/console.h"
#include "sim/array_model.h"
#include "sim/hardware_model.h"

namespace simtool {

namespace {

TALO_PRINTF_FORMAT(1, 2) std::string format(const char* pattern, ...) {
    char text[512];
    std::va_list values;
    va_start(values, pattern);
    std::vsnprintf(text, sizeof text, pattern, values);
    va_end(values);
    return text;
}

std::string megabytes(std::uint64_t sectors) {
    return format("%.2f", static_cast<double>(sectors * 512u) * (1.0 / 1048576.0));
}

const char* activityName(sim::ActivityKind kind) {
    switch (kind) {
        case sim::ActivityKind::Rebuild: return "rebuild";
        case sim::ActivityKind::Init: return "init";
        case sim::ActivityKind::Sync: return "sync";
        case sim::ActivityKind::Check: return "check";
        case sim::ActivityKind::Migration: return "migration";
        case sim::ActivityKind::Backup: return "backup";
    }
    return "?";
}

std::string severityName(int severity) {
    switch (severity) {
        case sim::kSeverityWarning: return "warning";
        case sim::kSeverityError: return "error";
        case sim::kSeverityInformation: return "information";
    }
    return "severity " + std::to_string(severity);
}

std::string diskState(const sim::Disk& d) {
    std::string text = d.present ? "present" : "pulled";
    if (d.failed) text += ", failed";
    if (d.smartFailure) text += ", SMART failure";
    return text;
}

std::string memberList(const std::vector<int>& members) {
    std::string text;
    for (const int m : members) {
        if (!text.empty()) text += ",";
        text += m == sim::kMissingMember ? std::string("-") : std::to_string(m);
    }
    return text.empty() ? "-" : text;
}

// Ids of the items for which on() holds, "1,3,4", or "none".
template <class T, class On>
std::string idsWhere(const std::vector<T>& items, On on) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!on(items[i])) continue;
        text += (text.empty() ? "" : ",") + std::to_string(i);
    }
    return text.empty() ? "none" : text;
}

const char* railName(sim::VoltageRail rail) {
    switch (rail) {
        case sim::VoltageRail::V3_3: return "3.3V";
        case sim::VoltageRail::V5: return "5V";
        case sim::VoltageRail::V12: return "12V";
    }
    return "?";
}

// Enclosures with their fans and sensors, the battery, the buzzer, the
// locate LEDs and the ports' settings.
std::string hardwareSummary(const sim::Controller& c, std::uint32_t now) {
    std::string out;
    if (c.enclosures.empty()) {
        out += "  enclosures: none\n";
    } else {
        out += "  enclosures:\n";
        for (const sim::Enclosure& e : c.enclosures) {
            out += format("    %d: kind %u (%s), %d carriers, firmware %u.%u.%u.%u\n", e.id, e.type,
                          lib::reportsFullStatus(e.type) ? "full status" : "sensor list", e.slots,
                          e.firmware[0], e.firmware[1], e.firmware[2], e.firmware[3]);
            std::string line;
            for (const sim::Fan& f : e.fans) {
                line += format("%s%d %s (code %u)", line.empty() ? "" : ", ", f.id,
                               f.stopped ? "stopped" : format("at %u rpm", sim::fanSpeedRpm(f)).c_str(),
                               f.speedCode);
            }
            out += "      fans: " + (line.empty() ? std::string("none") : line) + "\n";
            line.clear();
            for (const sim::TemperatureSensor& t : e.temperatures) {
                line += format("%s%d at %u C (limit %u C)", line.empty() ? "" : ", ", t.id, t.celsius, t.limit);
            }
            out += "      temperatures: " + (line.empty() ? std::string("none") : line) + "\n";
            line.clear();
            for (const sim::VoltageSensor& v : e.voltages) {
                line += format("%s%d %s at %u mV", line.empty() ? "" : ", ", v.id, railName(v.rail), v.millivolts);
            }
            out += "      voltages: " + (line.empty() ? std::string("none") : line) + "\n";
        }
    }
    const sim::Battery& b = c.battery;
    if (!b.present) {
        out += "  battery: none\n";
    } else {
        const int tenths = sim::batteryTemperature(b, now) - lib::kZeroCelsiusTenthsKelvin;
        const std::string charge = b.chargedAt != 0 && now < b.chargedAt
                                       ? "charging until " + dateText(b.chargedAt)
                                       : format("charged, %u mV", b.voltage);
        out += format("  battery: %s, %.1f C\n", charge.c_str(), tenths / 10.0);
    }
    std::string leds;
    for (const int id : c.locatedDisks) leds += (leds.empty() ? "" : ",") + std::to_string(id);
    out += format("  buzzer: %s; locate LEDs on: %s\n", c.buzzer ? "on" : "off",
                  leds.empty() ? "none" : leds.c_str());
    out += format("  SATA ports: %zu, hot-plug on %s, ALPE on %s; port value %u\n", c.sataPorts.size(),
                  idsWhere(c.sataPorts, [](const sim::SataPort& p) { return p.hotPlug; }).c_str(),
                  idsWhere(c.sataPorts, [](const sim::SataPort& p) { return p.alpe; }).c_str(), c.portInfo);
    return out;
}

std::string controllerSummary(const sim::State& state, int index) {
    const sim::Controller& c = state.controllers[static_cast<std::size_t>(index)];
    const int port = sim::portOfController(state, index);
    std::string out = format("controller %d %s: driver %u.%u.%u.%u, firmware %u.%u.%u.%u, path \"",
                             index, port < 0 ? "(on no port)" : format("on port %d", port).c_str(),
                             c.driverVersion[0], c.driverVersion[1], c.driverVersion[2],
                             c.driverVersion[3], c.firmwareVersion[0], c.firmwareVersion[1],
                             c.firmwareVersion[2], c.firmwareVersion[3]);
    out += printable(c.discoverPath) + "\"\n";
    if (c.disks.empty()) {
        out += "  disks: none\n";
    } else {
        out += "  disks:\n";
        out += format("    %3s %3s %12s  %-24s %-20s %-10s %s\n", "ID", "CH", "Size (MB)", "Model",
                      "Serial", "F/W", "State");
        for (const sim::Disk& d : c.disks) {
            out += format("    %3d %3d %12s  %-24s %-20s %-10s %s\n", d.id, d.channel,
                          megabytes(d.sectors).c_str(), printable(d.model).c_str(),
                          printable(d.serial).c_str(), printable(d.firmware).c_str(),
                          diskState(d).c_str());
        }
    }
    if (c.arrays.empty()) {
        out += "  arrays: none\n";
    } else {
        out += "  arrays:\n";
        out += format("    %3s %-7s %-16s %12s  %-16s %s\n", "ID", "Level", "Members", "Size (MB)",
                      "Name", "Activity");
        const std::uint32_t now = sim::currentTime(state);
        for (const sim::Array& a : c.arrays) {
            std::string activity = "-";
            if (a.activity) {
                const std::uint32_t done = sim::activityProgress(*a.activity, now);
                activity = format("%s %u.%u%%%s", activityName(a.activity->kind), done / 10, done % 10,
                                  a.activity->paused ? ", paused" : "");
            }
            out += format("    %3d %-7s %-16s %12s  %-16s %s\n", a.id,
                          codes::nameOf(lib::kRaidLevelNames, a.level, "?"),
                          memberList(a.members).c_str(), megabytes(a.sectors).c_str(),
                          ("\"" + printable(a.name) + "\"").c_str(), activity.c_str());
        }
    }
    out += hardwareSummary(c, sim::currentTime(state));
    if (c.events.empty()) {
        out += "  events: none queued\n";
    } else {
        out += format("  events (%zu queued, oldest first):\n", c.events.size());
        for (const sim::Event& e : c.events) {
            out += format("    0x%04x %-11s %s  ", e.id, severityName(e.severity).c_str(),
                          dateText(e.time).c_str());
            out += printable(e.description);
            if (!e.array.empty()) out += " (array \"" + printable(e.array) + "\")";
            out += "\n";
        }
    }
    return out;
}

const char* portKind(sim::PortKind kind) {
    switch (kind) {
        case sim::PortKind::Talo: return "talo";
        case sim::PortKind::Adapter: return "adapter";
        case sim::PortKind::Missing: return "missing";
    }
    return "?";
}

}  // namespace

std::string printable(const std::string& bytes) {
    std::string out;
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += ch;
        } else {
            out += format("\\x%02x", b);
        }
    }
    return out;
}

// The time in UTC, worked out with the standard library's calendar, which
// every system has alike.
std::string dateText(std::uint32_t seconds) {
    using namespace std::chrono;
    const sys_seconds at{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss<std::chrono::seconds> time{at - day};
    std::tm parts{};
    parts.tm_year = static_cast<int>(date.year()) - 1900;
    parts.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    parts.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    parts.tm_wday = static_cast<int>(weekday{day}.c_encoding());
    parts.tm_hour = static_cast<int>(time.hours().count());
    parts.tm_min = static_cast<int>(time.minutes().count());
    parts.tm_sec = static_cast<int>(time.seconds().count());
    char text[64];
    std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", &parts);
    return text;
}

std::string failuresText(const sim::Failures& f) {
    std::string out;
    const auto add = [&out](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
    if (f.initialize != 0) add(format("initialize=%u", f.initialize));
    if (f.discover != 0) add(format("discover=%u", f.discover));
    if (f.discoverPath != 0) add(format("discoverPath=%u", f.discoverPath));
    if (f.passThroughError != 0) add(format("passThroughError=%u", f.passThroughError));
    if (!f.vendorCheckCondition.empty()) {
        std::string list;
        for (const int v : f.vendorCheckCondition) list += (list.empty() ? "" : ",") + format("0x%02x", v);
        add("vendorCheckCondition=" + list);
    }
    return out.empty() ? "none" : out;
}

std::string summary(const sim::State& state, std::optional<int> controller) {
    if (controller) return controllerSummary(state, *controller);
    std::string out;
    if (state.clock) {
        out += "clock: fixed at " + std::to_string(*state.clock) + " (" + dateText(*state.clock) + ")\n";
    } else {
        out += "clock: the system's time\n";
    }
    out += "host: " + printable(state.hostOs) + "\n";
    out += "failures: " + failuresText(state.failures) + "\n";
    if (state.ports.empty()) {
        out += "ports: none\n";
    } else {
        out += "ports:\n";
        for (std::size_t i = 0; i < state.ports.size(); ++i) {
            const sim::Port& p = state.ports[i];
            out += format("  %zu %s", i, portKind(p.kind));
            if (p.kind == sim::PortKind::Talo) out += format(", controller %d", p.controller);
            if (p.rejectsIdentify) out += ", fails the identification";
            out += "\n";
        }
    }
    if (state.controllers.empty()) out += "controllers: none\n";
    for (std::size_t i = 0; i < state.controllers.size(); ++i) {
        out += controllerSummary(state, static_cast<int>(i));
    }
    return out;
}

}  // namespace simtool

#include "sim/hardware_model.h"

#include <algorithm>

#include "access/enclosure_records.h"
#include "sim/array_model.h"
#include "sim/replies.h"

namespace sim {

namespace {

template <class T>
std::uint8_t cutToByte(T n) {
    return static_cast<std::uint8_t>(std::clamp<T>(n, 0, 255));
}

std::string enclosureText(int id) { return "enclosure " + std::to_string(id); }

std::uint8_t sensorType(VoltageRail rail) {
    switch (rail) {
        case VoltageRail::V3_3: return lib::SENSOR_VOLTAGE33;
        case VoltageRail::V5: return lib::SENSOR_VOLTAGE5;
        case VoltageRail::V12: return lib::SENSOR_VOLTAGE12;
    }
    return lib::SENSOR_VOLTAGE5;
}

std::uint16_t nominalMillivolts(VoltageRail rail) {
    switch (rail) {
        case VoltageRail::V3_3: return 3300;
        case VoltageRail::V5: return 5000;
        case VoltageRail::V12: return 12000;
    }
    return 5000;
}

// A disk in a carrier: the carrier's status bits.
std::uint8_t carrierStatus(const Controller& c, const Enclosure& e, int carrier) {
    for (const Disk& d : c.disks) {
        if (d.enclosureId != e.id || d.carrierId != carrier || !d.present) continue;
        std::uint8_t status = lib::CARRIER_DISK_PRESENT;
        if (d.failed) status |= lib::CARRIER_DISK_FAILED;
        if (locateLedOn(c, d.id)) status |= lib::CARRIER_LOCATE_LED;
        return status;
    }
    return 0;
}

bool hasLed(const Controller& c, const Disk& d) {
    return diskVisible(d) && findEnclosure(c, d.enclosureId) != nullptr;
}

void switchLed(Controller& c, int diskId, bool on) {
    auto& leds = c.locatedDisks;
    const auto it = std::find(leds.begin(), leds.end(), diskId);
    if (on && it == leds.end()) leds.push_back(diskId);
    if (!on && it != leds.end()) leds.erase(it);
}

// How long a battery takes to warm by a tenth of a kelvin while charging,
// and the most it warms.
constexpr std::uint32_t kSecondsPerTenth = 36;
constexpr std::uint32_t kMostWarming = 50;

Enclosure makeEnclosure(int id, const NewEnclosure& request) {
    Enclosure e;
    e.id = id;
    e.type = request.type;
    e.slots = request.slots;
    e.firmware = {1, 2, 0, static_cast<std::uint8_t>(id)};
    for (int i = 0; i < request.fans; ++i) e.fans.push_back(Fan{i, 3, false});
    for (int i = 0; i < request.temperatures; ++i) {
        e.temperatures.push_back(TemperatureSensor{i, static_cast<std::uint8_t>(30 + i), 55});
    }
    constexpr VoltageRail kRails[] = {VoltageRail::V3_3, VoltageRail::V5, VoltageRail::V12};
    for (int i = 0; i < request.voltages; ++i) {
        const VoltageRail rail = kRails[i % 3];
        e.voltages.push_back(VoltageSensor{i, rail, nominalMillivolts(rail)});
    }
    return e;
}

}  // namespace

std::uint16_t fanSpeedRpm(const Fan& fan) {
    if (fan.stopped) return 0;
    return static_cast<std::uint16_t>(1000 + 500 * std::min(fan.speedCode, kMaxFanSpeedCode));
}

const Enclosure* findEnclosure(const Controller& c, int id) {
    for (const Enclosure& e : c.enclosures) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

Enclosure* enclosureById(Controller& c, int id) {
    for (Enclosure& e : c.enclosures) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

void fillEnclosureList(const rec::ByteSpan& records, const Controller& c, int firstId, int count) {
    using E = lib::EnclosureInfo;
    for (int i = 0; i < count && static_cast<std::size_t>(i) < lib::EnclosureInfoReply::kEnclosures; ++i) {
        const int id = firstId + i;
        if (id >= static_cast<int>(lib::EnclosureInfoReply::kEnclosures)) break;
        const Enclosure* e = findEnclosure(c, id);
        if (e == nullptr) continue;
        const rec::ByteSpan r = records.sub(static_cast<std::size_t>(i) * E::kSize, E::kSize);
        r.put<E::FanCount>(cutToByte(e->fans.size()));
        r.put<E::SlotCount>(cutToByte(e->slots));
        r.put<E::TemperatureCount>(cutToByte(e->temperatures.size()));
        r.put<E::VoltageCount>(cutToByte(e->voltages.size()));
        const rec::ByteSpan fw = r.sub<E::ExpanderFirmware>();
        for (std::size_t k = 0; k < e->firmware.size(); ++k) fw.putAt<std::uint8_t>(k, e->firmware[k]);
        r.put<E::Type>(e->type);
    }
}

void fillEnclosureStatus(const rec::ByteSpan& s, const Controller& c, const Enclosure& e) {
    using S = lib::EnclosureStatus;
    const std::size_t voltages = std::min(e.voltages.size(), S::kMaxVoltages);
    const std::size_t fans = std::min(e.fans.size(), S::kMaxFans);
    const std::size_t temperatures = std::min(e.temperatures.size(), S::kMaxTemperatures);
    const std::size_t carriers = std::min<std::size_t>(static_cast<std::size_t>(std::max(e.slots, 0)), S::kMaxCarriers);
    s.put<S::VoltageCount>(static_cast<std::uint8_t>(voltages));
    s.put<S::FanCount>(static_cast<std::uint8_t>(fans));
    s.put<S::TemperatureCount>(static_cast<std::uint8_t>(temperatures));
    s.put<S::CarrierCount>(static_cast<std::uint8_t>(carriers));
    for (std::size_t i = 0; i < voltages; ++i) {
        using V = lib::VoltageEntry;
        const rec::ByteSpan v = s.sub<S::Voltages>().sub(i * V::kSize, V::kSize);
        v.put<V::SensorId>(static_cast<std::uint8_t>(e.voltages[i].id));
        v.put<V::Value>(e.voltages[i].millivolts);
    }
    for (std::size_t i = 0; i < temperatures; ++i) {
        using T = lib::TemperatureEntry;
        const rec::ByteSpan t = s.sub<S::Temperatures>().sub(i * T::kSize, T::kSize);
        t.put<T::SensorId>(static_cast<std::uint8_t>(e.temperatures[i].id));
        t.put<T::Value>(e.temperatures[i].celsius);
    }
    for (std::size_t i = 0; i < fans; ++i) {
        using F = lib::FanEntry;
        const rec::ByteSpan f = s.sub<S::Fans>().sub(i * F::kSize, F::kSize);
        f.put<F::FanId>(static_cast<std::uint8_t>(e.fans[i].id));
        f.put<F::SpeedCode>(e.fans[i].speedCode);
        f.put<F::MeasuredSpeed>(fanSpeedRpm(e.fans[i]));
    }
    for (std::size_t i = 0; i < carriers; ++i) {
        using C = lib::CarrierEntry;
        s.sub<S::Carriers>().sub(i * C::kSize, C::kSize).put<C::Status>(carrierStatus(c, e, static_cast<int>(i)));
    }
    if (e.reportedCounts) {
        s.put<S::VoltageCount>((*e.reportedCounts)[0]);
        s.put<S::FanCount>((*e.reportedCounts)[1]);
        s.put<S::TemperatureCount>((*e.reportedCounts)[2]);
        s.put<S::CarrierCount>((*e.reportedCounts)[3]);
    }
}

void fillSensorList(const rec::ByteSpan& sensors, const Enclosure& e) {
    using R = lib::SensorReading;
    std::size_t n = 0;
    auto add = [&](std::uint8_t type, std::int32_t value) {
        if (n == lib::SensorListReply::kSensors) return;
        const rec::ByteSpan r = sensors.sub(n * R::kSize, R::kSize);
        r.put<R::Type>(type);
        r.put<R::Value>(value);
        ++n;
    };
    for (const Fan& f : e.fans) add(lib::SENSOR_FAN, fanSpeedRpm(f));
    for (const VoltageSensor& v : e.voltages) add(sensorType(v.rail), v.millivolts);
    for (const TemperatureSensor& t : e.temperatures) add(lib::SENSOR_TEMPERATURE, t.celsius);
}

HardwareOutcome setFanSpeed(Controller& c, int enclosureId, int fanId, std::uint8_t code) {
    Enclosure* e = enclosureById(c, enclosureId);
    if (e == nullptr) return HardwareOutcome::NoSuchEnclosure;
    if (code > kMaxFanSpeedCode) return HardwareOutcome::BadValue;
    for (Fan& f : e->fans) {
        if (f.id != fanId) continue;
        f.speedCode = code;
        return HardwareOutcome::Ok;
    }
    return HardwareOutcome::NoSuchFan;
}

HardwareOutcome locateDisk(Controller& c, int diskId, bool on) {
    const Disk* d = findDisk(c, diskId);
    if (d == nullptr || !diskVisible(*d)) return HardwareOutcome::NoSuchDisk;
    if (!hasLed(c, *d)) return HardwareOutcome::NoLed;
    switchLed(c, diskId, on);
    return HardwareOutcome::Ok;
}

HardwareOutcome locateArray(Controller& c, int arrayId, bool on) {
    const Array* a = findArray(c, arrayId);
    if (a == nullptr) return HardwareOutcome::NoSuchArray;
    for (int member : a->members) {
        const Disk* d = findDisk(c, member);
        if (d != nullptr && hasLed(c, *d)) switchLed(c, member, on);
    }
    return HardwareOutcome::Ok;
}

bool locateLedOn(const Controller& c, int diskId) {
    return std::find(c.locatedDisks.begin(), c.locatedDisks.end(), diskId) != c.locatedDisks.end();
}

std::uint16_t batteryTemperature(const Battery& battery, std::uint32_t now) {
    if (battery.chargedAt == 0 || now >= battery.chargedAt) return battery.temperature;
    const std::uint32_t warming = std::min((battery.chargedAt - now) / kSecondsPerTenth, kMostWarming);
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(battery.temperature + warming, 0xFFFF));
}

void fillBatteryInfo(const rec::ByteSpan& info, const Battery& battery, std::uint32_t now) {
    using B = lib::BatteryInfo;
    if (!battery.present) return;
    info.put<B::Present>(1);
    info.put<B::Temperature>(batteryTemperature(battery, now));
    const bool charging = battery.chargedAt != 0 && now < battery.chargedAt;
    info.put<B::Voltage>(charging ? lib::BATTERY_CHARGING : battery.voltage);
}

void setSpeed3g(Controller& c, bool enable) {
    for (Disk& d : c.disks) d.speed3gEnabled = enable && d.speed3gSupported;
}

void settleHardware(State& state) {
    const std::uint32_t now = currentTime(state);
    for (Controller& c : state.controllers) {
        Battery& b = c.battery;
        if (b.chargedAt == 0 || now < b.chargedAt) continue;
        const std::uint32_t when = b.chargedAt;
        b.chargedAt = 0;
        if (b.present) queueEvent(c, kEventBatteryCharged, kSeverityInformation, "Battery charged", "", when);
    }
}

std::string stopFan(State& state, Controller& c, int enclosureId, int fanId) {
    Enclosure* e = enclosureById(c, enclosureId);
    if (e == nullptr) return "no " + enclosureText(enclosureId);
    for (Fan& f : e->fans) {
        if (f.id != fanId) continue;
        if (f.stopped) return "fan " + std::to_string(fanId) + " of " + enclosureText(enclosureId) + " has already stopped";
        f.stopped = true;
        queueEvent(c, kEventFanStopped, kSeverityError,
                   "Fan " + std::to_string(fanId) + " of enclosure " + std::to_string(enclosureId) + " stopped",
                   "", currentTime(state));
        return {};
    }
    return "no fan " + std::to_string(fanId) + " in " + enclosureText(enclosureId);
}

std::string heatSensor(State& state, Controller& c, int enclosureId, int sensorId, std::uint8_t celsius) {
    Enclosure* e = enclosureById(c, enclosureId);
    if (e == nullptr) return "no " + enclosureText(enclosureId);
    for (TemperatureSensor& t : e->temperatures) {
        if (t.id != sensorId) continue;
        const bool wasAbove = t.celsius > t.limit;
        t.celsius = celsius;
        if (!wasAbove && t.celsius > t.limit) {
            queueEvent(c, kEventTemperatureHigh, kSeverityWarning,
                       "Temperature sensor " + std::to_string(sensorId) + " of enclosure " +
                           std::to_string(enclosureId) + " at " + std::to_string(celsius) +
                           " C, above its limit of " + std::to_string(t.limit) + " C",
                       "", currentTime(state));
        }
        return {};
    }
    return "no temperature sensor " + std::to_string(sensorId) + " in " + enclosureText(enclosureId);
}

std::string removeBattery(State& state, Controller& c) {
    if (!c.battery.present) return "the battery is already out";
    c.battery.present = false;
    c.battery.chargedAt = 0;
    queueEvent(c, kEventBatteryMissing, kSeverityWarning, "Battery not detected", "", currentTime(state));
    return {};
}

std::string insertBattery(State& state, Controller& c, std::uint32_t chargeSeconds) {
    if (c.battery.present) return "a battery is already fitted";
    const std::uint32_t now = currentTime(state);
    c.battery.present = true;
    // Charged at the latest at the clock's last second, never wrapping round.
    c.battery.chargedAt = chargeSeconds == 0 ? 0 : now + std::min(chargeSeconds, 0xFFFFFFFFu - now);
    queueEvent(c, kEventBatteryInserted, kSeverityInformation,
               chargeSeconds == 0 ? "Battery detected" : "Battery detected, charging", "", now);
    return {};
}

std::string addEnclosure(State& state, Controller& c, const NewEnclosure& request, int* newId) {
    int id = 0;
    while (id < static_cast<int>(lib::EnclosureInfoReply::kEnclosures) && findEnclosure(c, id) != nullptr) ++id;
    if (id == static_cast<int>(lib::EnclosureInfoReply::kEnclosures)) return "the controller has 8 enclosures already";
    c.enclosures.push_back(makeEnclosure(id, request));
    if (newId != nullptr) *newId = id;
    queueEvent(c, kEventEnclosureAdded, kSeverityInformation, "Enclosure " + std::to_string(id) + " added", "",
               currentTime(state));
    return {};
}

void addDemoHardware(Controller& c) {
    Enclosure full = makeEnclosure(0, NewEnclosure{lib::ENCLOSURE_KIND_LARCH, 4, 2, 2, 3});
    full.firmware = {2, 1, 0, 7};
    Enclosure sensors = makeEnclosure(1, NewEnclosure{lib::ENCLOSURE_KIND_GINKGO, 4, 1, 1, 2});
    sensors.firmware = {1, 0, 3, 12};
    c.enclosures = {full, sensors};
    for (Disk& d : c.disks) {
        if (d.id < 0 || d.id > 7) continue;
        d.enclosureId = d.id / 4;
        d.carrierId = d.id % 4;
        if (d.id < 2) d.speed3gSupported = d.speed3gEnabled = false;
    }
}

}  // namespace sim

#pragma once
// What the simulated controller does with its hardware: the enclosure list
// and status replies both stand-ins fill from one model, fan speeds, locate
// LEDs, the battery charging against the clock, the buzzer, the ports, and
// the faults a test engineer brings about (a fan stopping, a sensor heating
// up, the battery taken out), each reported with an event as a real
// controller reports it.

#include <cstdint>
#include <string>

#include "platform/record.h"
#include "sim/model.h"

namespace sim {

constexpr std::uint32_t kEventFanStopped = 0x4001;
constexpr std::uint32_t kEventTemperatureHigh = 0x4002;
// One of the kinds of event the library can be told to ignore.
constexpr std::uint32_t kEventBatteryMissing = lib::EVENT_BATTERY_NOT_DETECTED;
constexpr std::uint32_t kEventBatteryCharged = 0x4004;
constexpr std::uint32_t kEventBatteryInserted = 0x4005;
constexpr std::uint32_t kEventEnclosureAdded = 0x4006;

// Fan speed codes the enclosures take, and the speed each gives.
constexpr std::uint8_t kMaxFanSpeedCode = 7;
std::uint16_t fanSpeedRpm(const Fan& fan);

// The enclosure with the id, or null.
const Enclosure* findEnclosure(const Controller& c, int id);
Enclosure* enclosureById(Controller& c, int id);

// The enclosure list: record i describes enclosure firstId + i, for count
// records at most (and only ids 0 to 7); a record of an id without an
// enclosure stays zero.
void fillEnclosureList(const rec::ByteSpan& records, const Controller& c, int firstId, int count);
void fillEnclosureStatus(const rec::ByteSpan& status, const Controller& c, const Enclosure& e);
void fillSensorList(const rec::ByteSpan& sensors, const Enclosure& e);

// Why a hardware request was refused; Ok when it was carried out.
enum class HardwareOutcome { Ok, NoSuchEnclosure, NoSuchFan, NoSuchDisk, NoSuchArray, NoLed, BadValue };

HardwareOutcome setFanSpeed(Controller& c, int enclosureId, int fanId, std::uint8_t code);

// Locate LEDs: a disk has one when it sits in an enclosure the controller
// knows. An array's LEDs are those of its members that have one.
HardwareOutcome locateDisk(Controller& c, int diskId, bool on);
HardwareOutcome locateArray(Controller& c, int arrayId, bool on);
bool locateLedOn(const Controller& c, int diskId);

// The battery's reply at the time.
void fillBatteryInfo(const rec::ByteSpan& info, const Battery& battery, std::uint32_t now);
// The battery's temperature in tenths of a kelvin at the time.
std::uint16_t batteryTemperature(const Battery& battery, std::uint32_t now);

// Switches the 3 Gb/s option of every disk that supports it.
void setSpeed3g(Controller& c, bool enable);

// What has happened by the time: a battery whose charge is done is charged
// (and says so with an event).
void settleHardware(State& state);

// ---- Faults and changes made from outside ------------------------------------------

// Each returns why it was refused (nothing changed), or an empty text.
std::string stopFan(State& state, Controller& c, int enclosureId, int fanId);
std::string heatSensor(State& state, Controller& c, int enclosureId, int sensorId, std::uint8_t celsius);
std::string removeBattery(State& state, Controller& c);
// A discharged battery is fitted; it is charged after the seconds given.
std::string insertBattery(State& state, Controller& c, std::uint32_t chargeSeconds);

// An enclosure of the kind with its sensors, at the lowest free id from 0 to
// 7; its id is stored in *newId. Refused when all eight ids are taken.
struct NewEnclosure {
    std::uint8_t type = 33;
    int slots = 4;
    int fans = 2;
    int temperatures = 2;
    int voltages = 3;
};
std::string addEnclosure(State& state, Controller& c, const NewEnclosure& request, int* newId);

// The demo's hardware: enclosure 0 (full status) holds disks 0 to 3 in its
// carriers 0 to 3, enclosure 1 (sensor list) disks 4 to 7; disks 0 and 1
// are of a model without the 3 Gb/s option.
void addDemoHardware(Controller& c);

}  // namespace sim

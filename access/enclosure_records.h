#pragma once
// Enclosure and hardware records: the enclosure list and status replies,
// the sensor list, the fan speed setting, and the backup battery's reply,
// with the names printed for enclosure kinds and sensor types. The console
// and the simulated controller both use these.

#include <cstddef>
#include <cstdint>

#include "access/code_tables.h"
#include "access/library_records.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// hx_getEnclosureInfo and hx_getEnclosureStatus take it by address.
struct EnclosureRequest {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (FirstId, LeField<std::uint16_t, 0>),
        (Count, LeField<std::uint16_t, 2>),
        (StatusKind, LeField<std::uint8_t, 4>))  // status only: ENCLOSURE_STATUS_*
};
static_assert(rec::checkLayout<EnclosureRequest>());

constexpr std::uint8_t ENCLOSURE_STATUS_SENSORS = 0;  // a list of SensorReading entries
constexpr std::uint8_t ENCLOSURE_STATUS_FULL = 1;     // an EnclosureStatus

// One enclosure of the list; record i of the reply is enclosure id i.
struct EnclosureInfo {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (FanCount, LeField<std::uint8_t, 0>),
        (SlotCount, LeField<std::uint8_t, 2>),
        (TemperatureCount, LeField<std::uint8_t, 4>),
        (VoltageCount, LeField<std::uint8_t, 8>),
        (ExpanderFirmware, Bytes<10, 4>),         // four parts, in order
        (Type, LeField<std::uint8_t, 14>))        // ENCLOSURE_KIND_*; 0: none, ends the list
};
static_assert(rec::checkLayout<EnclosureInfo>());

// The enclosure list reply: a header and one record per possible id.
struct EnclosureInfoReply {
    static constexpr std::size_t kEnclosures = 8;
    static constexpr std::size_t kSize = InfoReplyHeader::kSize + kEnclosures * EnclosureInfo::kSize;
    REC_FIELDS(
        (Records, Bytes<InfoReplyHeader::kSize, kEnclosures * EnclosureInfo::kSize>))
};
static_assert(rec::checkLayout<EnclosureInfoReply>());
static_assert(EnclosureInfoReply::kSize == 192);

struct VoltageEntry {
    static constexpr std::size_t kSize = 10;
    REC_FIELDS(
        (SensorId, LeField<std::uint8_t, 0>),
        (Value, LeField<std::uint16_t, 2>))  // millivolts
};
static_assert(rec::checkLayout<VoltageEntry>());

struct TemperatureEntry {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (SensorId, LeField<std::uint8_t, 0>),
        (Value, LeField<std::uint8_t, 1>))  // degrees Celsius
};
static_assert(rec::checkLayout<TemperatureEntry>());

struct FanEntry {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (FanId, LeField<std::uint8_t, 0>),
        (SpeedCode, LeField<std::uint8_t, 1>),
        (MeasuredSpeed, LeField<std::uint16_t, 2>))  // revolutions per minute
};
static_assert(rec::checkLayout<FanEntry>());

struct CarrierEntry {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (Status, LeField<std::uint8_t, 0>))  // CARRIER_* bits
};
static_assert(rec::checkLayout<CarrierEntry>());

// Carrier status bits the simulated controller reports.
constexpr std::uint8_t CARRIER_DISK_PRESENT = 0x01;
constexpr std::uint8_t CARRIER_DISK_FAILED = 0x02;
constexpr std::uint8_t CARRIER_LOCATE_LED = 0x04;

// The full status of an enclosure (status kind 1), after the reply header.
struct EnclosureStatus {
    static constexpr std::size_t kSize = 780;
    static constexpr std::size_t kMaxVoltages = 10;
    static constexpr std::size_t kMaxTemperatures = 10;
    static constexpr std::size_t kMaxFans = 10;
    static constexpr std::size_t kMaxCarriers = 64;
    REC_FIELDS(
        (VoltageCount, LeField<std::uint8_t, 0>),
        (FanCount, LeField<std::uint8_t, 1>),
        (TemperatureCount, LeField<std::uint8_t, 2>),
        (CarrierCount, LeField<std::uint8_t, 3>),
        (Voltages, Bytes<8, kMaxVoltages * VoltageEntry::kSize>),
        (Temperatures, Bytes<108, kMaxTemperatures * TemperatureEntry::kSize>),
        (Fans, Bytes<188, kMaxFans * FanEntry::kSize>),
        (Carriers, Bytes<268, kMaxCarriers * CarrierEntry::kSize>))
};
static_assert(rec::checkLayout<EnclosureStatus>());

struct EnclosureStatusReply {
    static constexpr std::size_t kSize = InfoReplyHeader::kSize + EnclosureStatus::kSize;
    REC_FIELDS(
        (Status, Bytes<InfoReplyHeader::kSize, EnclosureStatus::kSize>))
};
static_assert(rec::checkLayout<EnclosureStatusReply>());
static_assert(EnclosureStatusReply::kSize == 844);

// One sensor of the sensor list (status kind 0).
struct SensorReading {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (Type, LeField<std::uint8_t, 0>),  // SENSOR_*; 0: no more sensors
        (Value, LeField<std::int32_t, 4>))
};
static_assert(rec::checkLayout<SensorReading>());

struct SensorListReply {
    static constexpr std::size_t kSensors = 6;
    static constexpr std::size_t kSize = InfoReplyHeader::kSize + 4 + kSensors * SensorReading::kSize;
    REC_FIELDS(
        (Sensors, Bytes<InfoReplyHeader::kSize + 4, kSensors * SensorReading::kSize>))
};
static_assert(rec::checkLayout<SensorListReply>());
static_assert(SensorListReply::kSize == 116);

constexpr std::uint8_t SENSOR_NONE = 0;
constexpr std::uint8_t SENSOR_FAN = 1;
constexpr std::uint8_t SENSOR_VOLTAGE33 = 2;
constexpr std::uint8_t SENSOR_VOLTAGE5 = 3;
constexpr std::uint8_t SENSOR_VOLTAGE12 = 4;
constexpr std::uint8_t SENSOR_TEMPERATURE = 5;

inline constexpr codes::CodeName kSensorTypeNames[] = {
    {SENSOR_FAN, "SENSOR_FAN"},
    {SENSOR_VOLTAGE33, "SENSOR_VOLTAGE33"},
    {SENSOR_VOLTAGE5, "SENSOR_VOLTAGE5"},
    {SENSOR_VOLTAGE12, "SENSOR_VOLTAGE12"},
    {SENSOR_TEMPERATURE, "SENSOR_TEMPERATURE"},
};

// hx_setEnclosureSetting.
struct EnclosureFanSetting {
    static constexpr std::size_t kSize = 4;
    REC_FIELDS(
        (EnclosureId, LeField<std::uint8_t, 0>),
        (FanId, LeField<std::uint8_t, 1>),
        (Item, LeField<std::uint8_t, 2>),        // ENCLOSURE_SETTING_FAN_SPEED
        (SpeedCode, LeField<std::uint8_t, 3>))
};
static_assert(rec::checkLayout<EnclosureFanSetting>());

constexpr std::uint8_t ENCLOSURE_SETTING_FAN_SPEED = 1;

// Enclosure kind codes (EnclosureInfo::Type).
constexpr std::uint8_t ENCLOSURE_KIND_ALDER = 1;
constexpr std::uint8_t ENCLOSURE_KIND_BIRCH = 2;
constexpr std::uint8_t ENCLOSURE_KIND_CEDAR = 3;
constexpr std::uint8_t ENCLOSURE_KIND_ELM = 4;
constexpr std::uint8_t ENCLOSURE_KIND_GINKGO = 5;
constexpr std::uint8_t ENCLOSURE_KIND_GINKGO_B = 6;
constexpr std::uint8_t ENCLOSURE_KIND_IROKO = 7;
constexpr std::uint8_t ENCLOSURE_KIND_KAPOK = 32;
constexpr std::uint8_t ENCLOSURE_KIND_LARCH = 33;
constexpr std::uint8_t ENCLOSURE_KIND_MAPLE_1 = 34;
constexpr std::uint8_t ENCLOSURE_KIND_MAPLE_5 = 38;

inline constexpr codes::CodeName kEnclosureTypeNames[] = {
    {ENCLOSURE_KIND_ALDER, "ENCLOSURE_KIND_ALDER"},
    {ENCLOSURE_KIND_BIRCH, "ENCLOSURE_KIND_BIRCH"},
    {ENCLOSURE_KIND_CEDAR, "ENCLOSURE_KIND_CEDAR"},
    {ENCLOSURE_KIND_ELM, "ENCLOSURE_KIND_ELM"},
    {ENCLOSURE_KIND_GINKGO, "ENCLOSURE_KIND_GINKGO"},
    {ENCLOSURE_KIND_GINKGO_B, "ENCLOSURE_KIND_GINKGO"},
    {ENCLOSURE_KIND_IROKO, "ENCLOSURE_KIND_IROKO"},
    {ENCLOSURE_KIND_KAPOK, "ENCLOSURE_KIND_KAPOK"},
    {ENCLOSURE_KIND_LARCH, "ENCLOSURE_KIND_LARCH"},
    {ENCLOSURE_KIND_MAPLE_1, "ENCLOSURE_KIND_MAPLE_1"},
    {35, "ENCLOSURE_KIND_MAPLE_2"},
    {36, "ENCLOSURE_KIND_MAPLE_3"},
    {37, "ENCLOSURE_KIND_MAPLE_4"},
    {ENCLOSURE_KIND_MAPLE_5, "ENCLOSURE_KIND_MAPLE_5"},
};

// Enclosures of these kinds report a full status; all others a sensor list.
constexpr bool reportsFullStatus(std::uint8_t type) { return type >= 32 && type <= 40; }

// hx_getBatteryInfo: the request (two 16-bit zeros) and the reply.
struct BatteryRequest {
    static constexpr std::size_t kSize = 4;
    REC_FIELDS(
        (First, LeField<std::uint16_t, 0>),
        (Second, LeField<std::uint16_t, 2>))
};
static_assert(rec::checkLayout<BatteryRequest>());

struct BatteryInfo {
    static constexpr std::size_t kSize = 112;
    REC_FIELDS(
        (Temperature, LeField<std::uint16_t, 100>),  // tenths of a kelvin
        (Voltage, LeField<std::uint16_t, 106>),      // millivolts; BATTERY_CHARGING: no reading
        (Present, LeField<std::uint8_t, 110>))       // non-zero: a battery is fitted
};
static_assert(rec::checkLayout<BatteryInfo>());

constexpr std::uint16_t BATTERY_CHARGING = 0xCCCC;
// 0 degrees Celsius in tenths of a kelvin, as the battery reports it.
constexpr std::uint16_t kZeroCelsiusTenthsKelvin = 2731;

}  // namespace lib

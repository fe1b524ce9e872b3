#pragma once
// A controller's hardware: the disk enclosures behind it (fans, temperature
// and voltage sensors, carriers), the locate LEDs, the backup battery, the
// buzzer and the SATA ports' settings. Which carrier holds a disk is the
// disk's own (enclosureId, carrierId).

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

struct Fan {
    int id = 0;
    std::uint8_t speedCode = 3;
    bool stopped = false;  // a fan that has stopped turns at 0 whatever its code
};

struct TemperatureSensor {
    int id = 0;
    std::uint8_t celsius = 30;
    std::uint8_t limit = 55;  // above it the controller reports the sensor
};

// The supply a voltage sensor watches.
enum class VoltageRail { V3_3, V5, V12 };

struct VoltageSensor {
    int id = 0;
    VoltageRail rail = VoltageRail::V5;
    std::uint16_t millivolts = 5000;
};

struct Enclosure {
    int id = 0;             // 0 to 7 are listed
    std::uint8_t type = 33;  // enclosure kind code; 32 to 40 report a full status
    int slots = 4;           // carriers 0 to slots - 1
    std::array<std::uint8_t, 4> firmware = {1, 0, 0, 0};  // expander firmware version
    std::vector<Fan> fans;
    std::vector<TemperatureSensor> temperatures;
    std::vector<VoltageSensor> voltages;
    // Counts of voltage, fan, temperature and carrier entries to report in
    // the full status instead of the real ones, for testing that the
    // console reads no more entries than the reply holds.
    std::optional<std::array<std::uint8_t, 4>> reportedCounts;
};

struct Battery {
    bool present = true;
    std::uint16_t temperature = 2981;  // tenths of a kelvin, at rest (25.0 C)
    std::uint16_t voltage = 4100;      // millivolts, once charged
    // When charging ends (seconds since 1970); 0: charged. While it charges
    // the battery reads no voltage and is warmer, the more so the longer it
    // still has to charge.
    std::uint32_t chargedAt = 0;
};

struct SataPort {
    bool hotPlug = true;
    bool alpe = false;
};

struct HardwareSlice {
    std::vector<Enclosure> enclosures;
    std::vector<int> locatedDisks;  // disks whose locate LED is on
    Battery battery;
    bool buzzer = false;  // sounding
    std::uint32_t portInfo = 8;  // the value hx_getPortInfo reports
    std::vector<SataPort> sataPorts = std::vector<SataPort>(8);
};

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const HardwareSlice& slice);
void readSlice(const nlohmann::json& j, HardwareSlice& slice, const fields::Where& where);

}  // namespace sim

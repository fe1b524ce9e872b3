#include "sim/hardware_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct NameList<VoltageRail> {
    static constexpr std::array<std::pair<VoltageRail, const char*>, 3> names{{
        {VoltageRail::V3_3, "3.3V"},
        {VoltageRail::V5, "5V"},
        {VoltageRail::V12, "12V"},
    }};
};

template <>
struct FieldList<Fan> {
    static constexpr auto list = std::make_tuple(field("id", &Fan::id), field("speedCode", &Fan::speedCode),
                                                 field("stopped", &Fan::stopped));
};

template <>
struct FieldList<TemperatureSensor> {
    using S = TemperatureSensor;
    static constexpr auto list =
        std::make_tuple(field("id", &S::id), field("celsius", &S::celsius), field("limit", &S::limit));
};

template <>
struct FieldList<VoltageSensor> {
    using S = VoltageSensor;
    static constexpr auto list =
        std::make_tuple(field("id", &S::id), field("rail", &S::rail), field("millivolts", &S::millivolts));
};

template <>
struct FieldList<Enclosure> {
    using S = Enclosure;
    static constexpr auto list = std::make_tuple(
        field("id", &S::id), field("type", &S::type), field("slots", &S::slots),
        field("firmware", &S::firmware), field("fans", &S::fans),
        field("temperatures", &S::temperatures), field("voltages", &S::voltages),
        field("reportedCounts", &S::reportedCounts));
};

template <>
struct FieldList<Battery> {
    using S = Battery;
    static constexpr auto list =
        std::make_tuple(field("present", &S::present), field("temperature", &S::temperature),
                        field("voltage", &S::voltage), field("chargedAt", &S::chargedAt));
};

template <>
struct FieldList<SataPort> {
    static constexpr auto list =
        std::make_tuple(field("hotPlug", &SataPort::hotPlug), field("alpe", &SataPort::alpe));
};

template <>
struct FieldList<HardwareSlice> {
    using S = HardwareSlice;
    static constexpr auto list = std::make_tuple(
        field("enclosures", &S::enclosures), field("locatedDisks", &S::locatedDisks),
        field("battery", &S::battery), field("buzzer", &S::buzzer), field("portInfo", &S::portInfo),
        field("sataPorts", &S::sataPorts));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const HardwareSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<HardwareSlice>::list);
}

void readSlice(const nlohmann::json& j, HardwareSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<HardwareSlice>::list, where);
}

}  // namespace sim

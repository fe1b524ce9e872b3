#include "sim/schedule_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct NameList<ScheduleType> {
    static constexpr std::array<std::pair<ScheduleType, const char*>, 6> names{{
        {ScheduleType::MediaPatrol, "MP"},
        {ScheduleType::RedundancyCheck, "RC"},
        {ScheduleType::Brc, "BRC"},
        {ScheduleType::Sc, "SC"},
        {ScheduleType::Migration, "MG"},
        {ScheduleType::Rebuild, "RB"},
    }};
};

template <>
struct NameList<Recurrence> {
    static constexpr std::array<std::pair<Recurrence, const char*>, 4> names{{
        {Recurrence::Once, "once"},
        {Recurrence::Daily, "daily"},
        {Recurrence::Weekly, "weekly"},
        {Recurrence::Monthly, "monthly"},
    }};
};

template <>
struct NameList<MonthlyPattern> {
    static constexpr std::array<std::pair<MonthlyPattern, const char*>, 2> names{{
        {MonthlyPattern::DayOfMonth, "day"},
        {MonthlyPattern::Ordinal, "ordinal"},
    }};
};

template <>
struct NameList<ScheduleEnd> {
    static constexpr std::array<std::pair<ScheduleEnd, const char*>, 3> names{{
        {ScheduleEnd::None, "none"},
        {ScheduleEnd::Count, "count"},
        {ScheduleEnd::Date, "date"},
    }};
};

template <>
struct FieldList<CalendarDate> {
    static constexpr auto list = std::make_tuple(field("day", &CalendarDate::day),
                                                 field("month", &CalendarDate::month),
                                                 field("year", &CalendarDate::year));
};

template <>
struct FieldList<Schedule> {
    using S = Schedule;
    static constexpr auto list = std::make_tuple(
        field("type", &S::type), field("sequence", &S::sequence), field("enabled", &S::enabled),
        field("recurrence", &S::recurrence), field("startMinutes", &S::startMinutes),
        field("durationMinutes", &S::durationMinutes), field("interval", &S::interval),
        field("weekdays", &S::weekdays), field("months", &S::months), field("pattern", &S::pattern),
        field("dayOfMonth", &S::dayOfMonth), field("ordinal", &S::ordinal), field("weekday", &S::weekday),
        field("start", &S::start), field("end", &S::end), field("count", &S::count),
        field("endDate", &S::endDate), field("autoFix", &S::autoFix), field("arrayId", &S::arrayId),
        field("raidLevel", &S::raidLevel), field("parityCount", &S::parityCount),
        field("subArrayCount", &S::subArrayCount), field("devices", &S::devices), field("runs", &S::runs),
        field("checkedUntil", &S::checkedUntil));
};

template <>
struct FieldList<ScheduleSlice> {
    static constexpr auto list = std::make_tuple(field("schedules", &ScheduleSlice::schedules));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const ScheduleSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<ScheduleSlice>::list);
}

void readSlice(const nlohmann::json& j, ScheduleSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<ScheduleSlice>::list, where);
}

}  // namespace sim

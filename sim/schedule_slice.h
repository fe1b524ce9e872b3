#pragma once
// A controller's background activity schedules: what each one runs, when
// it recurs and when it ends, and how far the controller has followed it.

#include <cstdint>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

// The types in the order of their codes.
enum class ScheduleType { MediaPatrol, RedundancyCheck, Brc, Sc, Migration, Rebuild };
enum class Recurrence { Once, Daily, Weekly, Monthly };
enum class MonthlyPattern { DayOfMonth, Ordinal };
enum class ScheduleEnd { None, Count, Date };

struct CalendarDate {
    int day = 1;
    int month = 1;
    int year = 2000;
};

struct Schedule {
    ScheduleType type = ScheduleType::MediaPatrol;
    int sequence = 0;           // within its type
    bool enabled = true;
    Recurrence recurrence = Recurrence::Once;
    int startMinutes = 0;       // from 0:00
    std::uint32_t durationMinutes = 0;
    int interval = 1;           // days (daily) or weeks (weekly)
    int weekdays = 0;           // weekly: bits, Monday 1 to Sunday 64
    int months = 0;             // monthly: bits, January 1 to December 2048
    MonthlyPattern pattern = MonthlyPattern::DayOfMonth;
    int dayOfMonth = 1;
    int ordinal = 1;            // 1 to 4, 5: the last
    int weekday = 1;            // 1 Monday to 7 Sunday
    CalendarDate start;
    ScheduleEnd end = ScheduleEnd::None;
    int count = 0;              // recurrences, with end Count
    CalendarDate endDate;
    int autoFix = 0;            // redundancy check: fix what it finds
    int arrayId = 0;            // rebuild, migration
    int raidLevel = 0;          // migration: library code
    int parityCount = 0;
    int subArrayCount = 0;
    std::vector<int> devices;   // arrays (redundancy check) or disks
    int runs = 0;               // times it came due
    std::uint32_t checkedUntil = 0;  // came due up to this time
};

struct ScheduleSlice {
    std::vector<Schedule> schedules;
};

void writeSlice(nlohmann::json& j, const ScheduleSlice& slice);
void readSlice(const nlohmann::json& j, ScheduleSlice& slice, const fields::Where& where);

}  // namespace sim

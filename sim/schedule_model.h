#pragma once
// What the simulated controller does with schedules: it keeps them (at most
// kMaxSchedules of each type), converts them to and from the library's
// schedule entries, and, as its clock passes each occurrence, starts the
// activity the schedule names.

#include <cstdint>
#include <optional>

#include "platform/record.h"
#include "sim/model.h"

namespace sim {

// How many schedules of each type a controller keeps, in type order.
inline constexpr int kMaxSchedules[] = {4, 8, 4, 4, 4, 8};

enum class ScheduleOutcome { Ok, Malformed, NoSuchArray, NoSuchDisk, Full, NoSuchSchedule };

// The schedule in the entry (the view holds the entry and nothing else
// needs to follow it), checked against the controller; Ok when it could
// be kept.
ScheduleOutcome scheduleFromEntry(const Controller& c, const rec::ByteView& entry, Schedule* schedule);

// The entry's length for the schedule.
std::size_t scheduleEntrySize(const Schedule& schedule);
void fillScheduleEntry(const rec::ByteSpan& entry, const Schedule& schedule);

// Fills a listing: the head, then the entries by type, as many as fit in
// the buffer (the head counts only those).
void fillScheduleBuffer(const rec::ByteSpan& buffer, const Controller& c, std::uint16_t controlId);

ScheduleOutcome addSchedule(State& state, Controller& c, Schedule schedule);
ScheduleOutcome modifySchedule(State& state, Controller& c, Schedule schedule);
ScheduleOutcome deleteSchedule(Controller& c, ScheduleType type, int sequence);

// The first occurrence after `after` (seconds since 1970), whatever the
// schedule's end; none when it never recurs again.
std::optional<std::uint64_t> nextOccurrence(const Schedule& schedule, std::uint64_t after);

}  // namespace sim

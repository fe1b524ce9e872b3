#include "sim/schedule_model.h"

#include <algorithm>

#include "access/code_tables.h"
#include "access/schedule_records.h"
#include "sim/array_model.h"
#include "sim/patrol_model.h"
#include "sim/replies.h"

namespace sim {

namespace {

using E = lib::ScheduleEntry;

constexpr std::int64_t kDay = 86400;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t* y, std::int64_t* m) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = yoe + era * 400 + (*m <= 2 ? 1 : 0);
}

int daysInMonth(std::int64_t y, std::int64_t m) {
    return static_cast<int>(daysFromCivil(m == 12 ? y + 1 : y, m == 12 ? 1 : m + 1, 1) - daysFromCivil(y, m, 1));
}

// 0 for Monday to 6 for Sunday; 1970-01-01 was a Thursday.
int weekdayOf(std::int64_t day) { return static_cast<int>(((day + 3) % 7 + 7) % 7); }

bool validDate(int day, int month, int year) {
    return month >= 1 && month <= 12 && year >= 1900 && day >= 1 && day <= daysInMonth(year, month);
}

std::int64_t dayOf(const CalendarDate& d) { return daysFromCivil(d.year, d.month, d.day); }

const Array* arrayWithId(const Controller& c, int id) { return findArray(c, id); }

bool diskPresent(const Controller& c, int id) {
    const Disk* d = findDisk(c, id);
    return d != nullptr && diskVisible(*d);
}

int& slot(int* counts, ScheduleType type) { return counts[static_cast<int>(type)]; }

Schedule* findSchedule(Controller& c, ScheduleType type, int sequence) {
    for (Schedule& s : c.schedules) {
        if (s.type == type && s.sequence == sequence) return &s;
    }
    return nullptr;
}

bool lastOccurrenceDone(const Schedule& s) { return s.end == ScheduleEnd::Count && s.runs >= s.count; }

bool pastEnd(const Schedule& s, std::uint64_t t) {
    if (s.end != ScheduleEnd::Date) return false;
    return static_cast<std::int64_t>(t) >= (dayOf(s.endDate) + 1) * kDay;
}

const char* typeName(ScheduleType type) {
    return codes::nameOf(lib::kScheduleTypeNames, static_cast<std::uint8_t>(type), "?");
}

// Starts what the schedule names, at the state's clock.
void runOccurrence(State& state, Controller& c, const Schedule& s) {
    std::vector<std::pair<int, Outcome>> outcomes;
    switch (s.type) {
        case ScheduleType::RedundancyCheck:
            for (int array : s.devices) outcomes.emplace_back(array, startSync(state, c, array, s.autoFix == 0));
            break;
        case ScheduleType::Rebuild: {
            std::vector<MemberChoice> targets;
            for (int disk : s.devices) targets.push_back(MemberChoice{disk, -1});
            outcomes.emplace_back(s.arrayId, startRebuild(state, c, s.arrayId, targets));
            break;
        }
        case ScheduleType::Migration: {
            MigrationPlan plan;
            plan.level = static_cast<std::uint8_t>(s.raidLevel);
            plan.parityCount = s.parityCount;
            plan.subArrayCount = s.subArrayCount;
            for (int disk : s.devices) plan.addedMembers.push_back(MemberChoice{disk, -1});
            outcomes.emplace_back(s.arrayId, startMigration(state, c, s.arrayId, plan));
            break;
        }
        case ScheduleType::MediaPatrol:
            // Every disk in its slot and working; one already patrolling
            // carries on.
            for (const Disk& d : c.disks) {
                if (diskVisible(d) && !d.failed) controlPatrol(state, c, d.id, PatrolControl::Start);
            }
            break;
        case ScheduleType::Brc:
        case ScheduleType::Sc:
            // Kept and followed; no activity of these kinds runs here.
            break;
    }
    for (const auto& [array, outcome] : outcomes) {
        if (outcome == Outcome::Ok) continue;
        queueEvent(c, kEventScheduleNotRun, kSeverityWarning,
                   std::string("Scheduled ") + typeName(s.type) + " " + std::to_string(s.sequence) +
                       " could not start on array " + std::to_string(array),
                   std::to_string(array), currentTime(state));
    }
}

}  // namespace

ScheduleOutcome scheduleFromEntry(const Controller& c, const rec::ByteView& e, Schedule* out) {
    if (e.size() < E::kSize) return ScheduleOutcome::Malformed;
    Schedule s;
    const std::uint8_t type = e.get<E::Type>();
    if (type >= lib::kScheduleTypeCount) return ScheduleOutcome::Malformed;
    s.type = static_cast<ScheduleType>(type);
    s.sequence = e.get<E::Sequence>();
    s.enabled = e.get<E::Enabled>() != 0;
    const std::uint8_t recurrence = e.get<E::Recurrence>();
    if (recurrence > lib::RECUR_MONTHLY) return ScheduleOutcome::Malformed;
    s.recurrence = static_cast<Recurrence>(recurrence);
    s.startMinutes = e.get<E::StartMinutes>();
    s.durationMinutes = e.get<E::DurationMinutes>();
    s.start = CalendarDate{e.get<E::StartDay>(), e.get<E::StartMonth>(), e.get<E::StartYear>()};
    if (!validDate(s.start.day, s.start.month, s.start.year)) return ScheduleOutcome::Malformed;
    switch (s.recurrence) {
        case Recurrence::Once: break;
        case Recurrence::Daily:
            s.interval = e.get<E::Interval>();
            if (s.interval == 0) return ScheduleOutcome::Malformed;
            break;
        case Recurrence::Weekly:
            s.interval = e.get<E::Interval>();
            s.weekdays = e.get<E::WeekdayBit>();
            if (s.interval == 0 || s.interval > 53 || s.weekdays == 0 || s.weekdays > 0x7F) {
                return ScheduleOutcome::Malformed;
            }
            break;
        case Recurrence::Monthly: {
            s.months = e.get<E::MonthBits>();
            if (s.months == 0 || s.months > 0xFFF) return ScheduleOutcome::Malformed;
            const std::uint8_t pattern = e.get<E::MonthPattern>();
            if (pattern == lib::MONTHLY_DAY) {
                s.dayOfMonth = e.get<E::DayOrOrdinal>();
                if (s.dayOfMonth < 1 || s.dayOfMonth > 31) return ScheduleOutcome::Malformed;
            } else if (pattern == lib::MONTHLY_ORDINAL) {
                s.pattern = MonthlyPattern::Ordinal;
                s.ordinal = e.get<E::DayOrOrdinal>();
                s.weekday = e.get<E::OrdinalWeekday>();
                if (s.ordinal < 1 || s.ordinal > lib::ORDINAL_LAST || s.weekday < 1 || s.weekday > 7) {
                    return ScheduleOutcome::Malformed;
                }
            } else {
                return ScheduleOutcome::Malformed;
            }
            break;
        }
    }
    switch (e.get<E::EndType>()) {
        case lib::END_NONE: break;
        case lib::END_COUNT:
            s.end = ScheduleEnd::Count;
            s.count = e.get<E::RecurrenceCount>();
            if (s.count == 0) return ScheduleOutcome::Malformed;
            break;
        case lib::END_DATE:
            s.end = ScheduleEnd::Date;
            s.endDate = CalendarDate{e.get<E::EndDay>(), e.get<E::EndMonth>(), e.get<E::EndYear>()};
            if (!validDate(s.endDate.day, s.endDate.month, s.endDate.year) || dayOf(s.endDate) < dayOf(s.start)) {
                return ScheduleOutcome::Malformed;
            }
            break;
        default: return ScheduleOutcome::Malformed;
    }
    const std::size_t list = lib::deviceListOffset(type);
    if (list != 0) {
        const std::size_t n = e.at<std::uint16_t>(lib::deviceCountOffset(type));
        if (n == 0 || list + 2 * n > e.size()) return ScheduleOutcome::Malformed;
        for (std::size_t i = 0; i < n; ++i) s.devices.push_back(e.at<std::uint16_t>(list + 2 * i));
    }
    switch (s.type) {
        case ScheduleType::RedundancyCheck:
            s.autoFix = e.get<lib::RedundancyCheckSchedule::AutoFix>();
            for (int array : s.devices) {
                if (arrayWithId(c, array) == nullptr) return ScheduleOutcome::NoSuchArray;
            }
            break;
        case ScheduleType::Rebuild:
            s.arrayId = e.get<lib::RebuildSchedule::ArrayId>();
            break;
        case ScheduleType::Migration: {
            using M = lib::MigrationSchedule;
            s.arrayId = e.get<M::ArrayId>();
            s.raidLevel = e.get<M::RaidLevel>();
            if (s.raidLevel > 0xFF || codes::nameOf(lib::kRaidLevelNames, static_cast<std::uint8_t>(s.raidLevel),
                                                    nullptr) == nullptr) {
                return ScheduleOutcome::Malformed;
            }
            s.parityCount = e.get<M::ParityCount>();
            s.subArrayCount = e.get<M::SubArrayCount>();
            break;
        }
        default: break;
    }
    if (s.type == ScheduleType::Rebuild || s.type == ScheduleType::Migration) {
        if (arrayWithId(c, s.arrayId) == nullptr) return ScheduleOutcome::NoSuchArray;
        for (int disk : s.devices) {
            if (!diskPresent(c, disk)) return ScheduleOutcome::NoSuchDisk;
        }
    }
    *out = s;
    return ScheduleOutcome::Ok;
}

std::size_t scheduleEntrySize(const Schedule& s) {
    const auto type = static_cast<std::uint8_t>(s.type);
    const std::size_t list = lib::deviceListOffset(type);
    const std::size_t length = list == 0 ? E::kSize : list + 2 * s.devices.size();
    return std::max(length, lib::minimumEntryLength(type));
}

void fillScheduleEntry(const rec::ByteSpan& e, const Schedule& s) {
    e.clear();
    const auto type = static_cast<std::uint8_t>(s.type);
    e.put<E::Type>(type);
    e.put<E::Sequence>(static_cast<std::uint8_t>(s.sequence));
    e.put<E::Enabled>(s.enabled ? 1 : 0);
    e.put<E::Recurrence>(static_cast<std::uint8_t>(s.recurrence));
    e.put<E::StartMinutes>(static_cast<std::uint16_t>(s.startMinutes));
    e.put<E::DurationMinutes>(s.durationMinutes);
    switch (s.recurrence) {
        case Recurrence::Once: break;
        case Recurrence::Daily: e.put<E::Interval>(static_cast<std::uint8_t>(s.interval)); break;
        case Recurrence::Weekly:
            e.put<E::Interval>(static_cast<std::uint8_t>(s.interval));
            e.put<E::WeekdayBit>(static_cast<std::uint8_t>(s.weekdays));
            break;
        case Recurrence::Monthly:
            e.put<E::MonthBits>(static_cast<std::uint16_t>(s.months));
            if (s.pattern == MonthlyPattern::DayOfMonth) {
                e.put<E::MonthPattern>(lib::MONTHLY_DAY);
                e.put<E::DayOrOrdinal>(static_cast<std::uint8_t>(s.dayOfMonth));
            } else {
                e.put<E::MonthPattern>(lib::MONTHLY_ORDINAL);
                e.put<E::DayOrOrdinal>(static_cast<std::uint8_t>(s.ordinal));
                e.put<E::OrdinalWeekday>(static_cast<std::uint8_t>(s.weekday));
            }
            break;
    }
    e.put<E::EndType>(s.end == ScheduleEnd::None    ? lib::END_NONE
                      : s.end == ScheduleEnd::Count ? lib::END_COUNT
                                                    : lib::END_DATE);
    if (s.end == ScheduleEnd::Count) e.put<E::RecurrenceCount>(static_cast<std::uint8_t>(s.count));
    e.put<E::StartDay>(static_cast<std::uint8_t>(s.start.day));
    e.put<E::StartMonth>(static_cast<std::uint8_t>(s.start.month));
    e.put<E::StartYear>(static_cast<std::uint16_t>(s.start.year));
    if (s.end == ScheduleEnd::Date) {
        e.put<E::EndDay>(static_cast<std::uint8_t>(s.endDate.day));
        e.put<E::EndMonth>(static_cast<std::uint8_t>(s.endDate.month));
        e.put<E::EndYear>(static_cast<std::uint16_t>(s.endDate.year));
    }
    switch (s.type) {
        case ScheduleType::RedundancyCheck:
            e.put<lib::RedundancyCheckSchedule::AutoFix>(static_cast<std::uint8_t>(s.autoFix));
            break;
        case ScheduleType::Rebuild: e.put<lib::RebuildSchedule::ArrayId>(static_cast<std::uint16_t>(s.arrayId)); break;
        case ScheduleType::Migration: {
            using M = lib::MigrationSchedule;
            e.put<M::RaidLevel>(static_cast<std::uint16_t>(s.raidLevel));
            e.put<M::ArrayId>(static_cast<std::uint16_t>(s.arrayId));
            e.put<M::ParityCount>(static_cast<std::uint8_t>(s.parityCount));
            e.put<M::SubArrayCount>(static_cast<std::uint8_t>(s.subArrayCount));
            break;
        }
        default: break;
    }
    const std::size_t list = lib::deviceListOffset(type);
    if (list != 0) {
        e.putAt<std::uint16_t>(lib::deviceCountOffset(type), static_cast<std::uint16_t>(s.devices.size()));
        for (std::size_t i = 0; i < s.devices.size(); ++i) {
            e.putAt<std::uint16_t>(list + 2 * i, static_cast<std::uint16_t>(s.devices[i]));
        }
    }
}

void fillScheduleBuffer(const rec::ByteSpan& buffer, const Controller& c, std::uint16_t controlId) {
    using H = lib::ScheduleBufferHead;
    buffer.sub(0, H::kSize).clear();
    buffer.put<H::ControlId>(controlId);
    int current[lib::kScheduleTypeCount] = {};
    for (const Schedule& s : c.schedules) ++slot(current, s.type);
    std::vector<const Schedule*> order;
    for (const Schedule& s : c.schedules) order.push_back(&s);
    std::stable_sort(order.begin(), order.end(), [](const Schedule* a, const Schedule* b) {
        if (a->type != b->type) return a->type < b->type;
        return a->sequence < b->sequence;
    });
    int listed[lib::kScheduleTypeCount] = {};
    std::size_t at = H::kSize;
    for (const Schedule* s : order) {
        const std::size_t size = scheduleEntrySize(*s);
        if (at > buffer.size() || size > buffer.size() - at) break;
        fillScheduleEntry(buffer.sub(at, size), *s);
        ++slot(listed, s->type);
        at += size;
    }
    for (std::size_t t = 0; t < lib::kScheduleTypeCount; ++t) {
        buffer.sub<H::CurrentCounts>().putAt<std::uint8_t>(t, static_cast<std::uint8_t>(current[t]));
        buffer.sub<H::MaxCounts>().putAt<std::uint8_t>(t, static_cast<std::uint8_t>(kMaxSchedules[t]));
        buffer.sub<H::EntryCounts>().putAt<std::uint8_t>(t, static_cast<std::uint8_t>(std::min(listed[t], 255)));
    }
}

ScheduleOutcome addSchedule(State& state, Controller& c, Schedule s) {
    int count = 0;
    for (const Schedule& other : c.schedules) count += other.type == s.type ? 1 : 0;
    if (count >= kMaxSchedules[static_cast<int>(s.type)]) return ScheduleOutcome::Full;
    // The lowest free sequence number of the type, from 1.
    int sequence = 1;
    while (findSchedule(c, s.type, sequence) != nullptr) ++sequence;
    s.sequence = sequence;
    s.runs = 0;
    s.checkedUntil = currentTime(state);
    c.schedules.push_back(s);
    return ScheduleOutcome::Ok;
}

ScheduleOutcome modifySchedule(State& state, Controller& c, Schedule s) {
    Schedule* old = findSchedule(c, s.type, s.sequence);
    if (old == nullptr) return ScheduleOutcome::NoSuchSchedule;
    s.runs = 0;
    s.checkedUntil = currentTime(state);
    *old = s;
    return ScheduleOutcome::Ok;
}

ScheduleOutcome deleteSchedule(Controller& c, ScheduleType type, int sequence) {
    const auto gone = std::find_if(c.schedules.begin(), c.schedules.end(), [&](const Schedule& s) {
        return s.type == type && s.sequence == sequence;
    });
    if (gone == c.schedules.end()) return ScheduleOutcome::NoSuchSchedule;
    c.schedules.erase(gone);
    return ScheduleOutcome::Ok;
}

std::optional<std::uint64_t> nextOccurrence(const Schedule& s, std::uint64_t after) {
    const std::int64_t startDay = dayOf(s.start);
    const std::int64_t minutes = s.startMinutes * std::int64_t{60};
    const std::int64_t first = startDay * kDay + minutes;
    const auto at = static_cast<std::int64_t>(after);
    const auto occurs = [&](std::int64_t day) { return day * kDay + minutes; };
    const auto fits = [&](std::int64_t t) { return t > at && t >= first; };
    // Days are looked at from the later of the start and `after`, a day early
    // for times past midnight.
    const std::int64_t fromDay = std::max(startDay, at / kDay - minutes / kDay - 1);
    switch (s.recurrence) {
        case Recurrence::Once:
            if (first > at) return static_cast<std::uint64_t>(first);
            return std::nullopt;
        case Recurrence::Daily: {
            const std::int64_t step = std::max(s.interval, 1) * kDay;
            if (first > at) return static_cast<std::uint64_t>(first);
            return static_cast<std::uint64_t>(first + ((at - first) / step + 1) * step);
        }
        case Recurrence::Weekly: {
            if ((s.weekdays & 0x7F) == 0) return std::nullopt;
            const std::int64_t weeks = std::max(s.interval, 1);
            const std::int64_t startMonday = startDay - weekdayOf(startDay);
            for (std::int64_t day = fromDay; day < fromDay + 7 * (weeks + 1) + 1; ++day) {
                if ((s.weekdays & (1 << weekdayOf(day))) == 0) continue;
                if (((day - startMonday) / 7) % weeks != 0) continue;
                if (fits(occurs(day))) return static_cast<std::uint64_t>(occurs(day));
            }
            return std::nullopt;
        }
        case Recurrence::Monthly: {
            if ((s.months & 0xFFF) == 0) return std::nullopt;
            std::int64_t year = 0, month = 0;
            civilFromDays(fromDay, &year, &month);
            // Eight years cover every day that exists only in leap years.
            for (int step = 0; step < 12 * 9; ++step) {
                if ((s.months & (1 << (month - 1))) != 0) {
                    const int length = daysInMonth(year, month);
                    int day = 0;
                    if (s.pattern == MonthlyPattern::DayOfMonth) {
                        day = s.dayOfMonth >= 1 && s.dayOfMonth <= length ? s.dayOfMonth : 0;
                    } else if (s.weekday >= 1 && s.weekday <= 7 && s.ordinal >= 1) {
                        const int wanted = s.weekday - 1;
                        if (s.ordinal >= lib::ORDINAL_LAST) {
                            const int last = weekdayOf(daysFromCivil(year, month, length));
                            day = length - (last - wanted + 7) % 7;
                        } else {
                            const int firstWeekday = weekdayOf(daysFromCivil(year, month, 1));
                            day = 1 + (wanted - firstWeekday + 7) % 7 + 7 * (s.ordinal - 1);
                            if (day > length) day = 0;
                        }
                    }
                    if (day != 0) {
                        const std::int64_t t = occurs(daysFromCivil(year, month, day));
                        if (fits(t)) return static_cast<std::uint64_t>(t);
                    }
                }
                if (++month > 12) {
                    month = 1;
                    ++year;
                }
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void runDueSchedules(State& state) {
    const std::uint32_t now = currentTime(state);
    const std::optional<std::uint32_t> clock = state.clock;
    // However far the clock jumped, a bounded number of occurrences is
    // followed; the rest are passed over.
    constexpr int kMostOccurrences = 10000;
    for (int followed = 0; followed < kMostOccurrences; ++followed) {
        Controller* dueController = nullptr;
        Schedule* due = nullptr;
        std::uint64_t dueAt = 0;
        for (Controller& c : state.controllers) {
            for (Schedule& s : c.schedules) {
                if (!s.enabled) {
                    // A disabled schedule does not catch up when enabled again.
                    s.checkedUntil = std::max(s.checkedUntil, now);
                    continue;
                }
                if (lastOccurrenceDone(s) || s.checkedUntil >= now) continue;
                const auto t = nextOccurrence(s, s.checkedUntil);
                if (!t || *t > now || pastEnd(s, *t)) {
                    s.checkedUntil = now;
                    continue;
                }
                if (due == nullptr || *t < dueAt) {
                    dueController = &c;
                    due = &s;
                    dueAt = *t;
                }
            }
        }
        if (due == nullptr) break;
        // The occurrence happens at its own time: what was due before it
        // finishes first, and what it starts starts then.
        state.clock = static_cast<std::uint32_t>(dueAt);
        finishDueActivities(state);
        const Schedule occurrence = *due;
        due->runs += 1;
        due->checkedUntil = static_cast<std::uint32_t>(dueAt);
        runOccurrence(state, *dueController, occurrence);
        state.clock = clock;
    }
    state.clock = clock;
    for (Controller& c : state.controllers) {
        for (Schedule& s : c.schedules) s.checkedUntil = std::max(s.checkedUntil, now);
    }
}

}  // namespace sim

#pragma once
// Background activity schedules: the key and the buffer the library's
// schedule operations exchange, the entries in it, their codes and names,
// and the walk that finds the entries in a received buffer without ever
// reading past its scan length, whatever the counts and lengths say.

#include <array>
#include <cstdint>
#include <optional>

#include "access/code_tables.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// hx_getBGASchedule's key: 255, then zeros.
struct ScheduleKey {
    static constexpr std::size_t kSize = 5;
    REC_FIELDS(
        (Selector, LeField<std::uint8_t, 0>))
};
static_assert(rec::checkLayout<ScheduleKey>());
constexpr std::uint8_t kScheduleKeyAll = 255;

// The schedule types, in the order of the head's per-type fields.
constexpr std::uint8_t SCHEDULE_MP = 0;   // media patrol
constexpr std::uint8_t SCHEDULE_RC = 1;   // redundancy check
constexpr std::uint8_t SCHEDULE_BRC = 2;
constexpr std::uint8_t SCHEDULE_SC = 3;
constexpr std::uint8_t SCHEDULE_MG = 4;   // migration
constexpr std::uint8_t SCHEDULE_RB = 5;   // rebuild
constexpr std::size_t kScheduleTypeCount = 6;

inline constexpr codes::Keyword kScheduleTypeKeywords[] = {
    {"MP", SCHEDULE_MP}, {"RC", SCHEDULE_RC}, {"BRC", SCHEDULE_BRC},
    {"SC", SCHEDULE_SC}, {"MG", SCHEDULE_MG}, {"RB", SCHEDULE_RB},
};
inline constexpr codes::CodeName kScheduleTypeNames[] = {
    {SCHEDULE_MP, "MP"}, {SCHEDULE_RC, "RC"}, {SCHEDULE_BRC, "BRC"},
    {SCHEDULE_SC, "SC"}, {SCHEDULE_MG, "MG"}, {SCHEDULE_RB, "RB"},
};

constexpr std::uint8_t RECUR_ONCE = 0;
constexpr std::uint8_t RECUR_DAILY = 1;
constexpr std::uint8_t RECUR_WEEKLY = 2;
constexpr std::uint8_t RECUR_MONTHLY = 3;
inline constexpr codes::Keyword kRecurrenceKeywords[] = {
    {"ONCE", RECUR_ONCE}, {"DAILY", RECUR_DAILY}, {"WEEKLY", RECUR_WEEKLY}, {"MONTHLY", RECUR_MONTHLY},
};

constexpr std::uint8_t MONTHLY_DAY = 0;
constexpr std::uint8_t MONTHLY_ORDINAL = 1;
inline constexpr codes::Keyword kMonthlyPatternKeywords[] = {{"DAY", MONTHLY_DAY}, {"ORDINAL", MONTHLY_ORDINAL}};

constexpr std::uint8_t ORDINAL_LAST = 5;
inline constexpr codes::Keyword kOrdinalKeywords[] = {
    {"First", 1}, {"Second", 2}, {"Third", 3}, {"Fourth", 4}, {"Last", ORDINAL_LAST},
};

// Days of the week: numbered 1 (Monday) to 7 for a monthly schedule, one
// bit each (Monday 1 to Sunday 64) for a weekly one.
inline constexpr codes::Keyword kWeekdayKeywords[] = {
    {"Mon", 1}, {"Tue", 2}, {"Wen", 3}, {"Thur", 4}, {"Fri", 5}, {"Sat", 6}, {"Sun", 7},
};
constexpr std::uint16_t weekdayBit(std::uint8_t day) { return static_cast<std::uint16_t>(1u << (day - 1)); }

// Months, one bit each (January 1 to December 2048).
inline constexpr const char* kMonthWords[] = {"Jan", "Feb", "Mar",  "Apr", "May", "June",
                                              "July", "Aug", "Sept", "Oct", "Nov", "Dec"};

constexpr std::uint8_t END_NONE = 1;
constexpr std::uint8_t END_COUNT = 2;
constexpr std::uint8_t END_DATE = 3;
inline constexpr codes::Keyword kEndTypeKeywords[] = {{"NONE", END_NONE}, {"COUNT", END_COUNT}, {"DATE", END_DATE}};

// Sizes the console passes: the whole buffer, and the part a delete needs.
constexpr std::uint32_t kScheduleBufferSize = 65535;
constexpr std::uint32_t kScheduleDeleteSize = 84;
// The listing walks entries within this many bytes of the buffer only.
constexpr std::size_t kScheduleScanLength = 1024;

// The head of the buffer; the entries follow from kSize on.
struct ScheduleBufferHead {
    static constexpr std::size_t kSize = 52;
    REC_FIELDS(
        (ControlId, LeField<std::uint16_t, 32>),
        (CurrentCounts, Bytes<34, kScheduleTypeCount>),  // schedules the controller holds, per type
        (MaxCounts, Bytes<40, kScheduleTypeCount>),      // most it can hold, per type
        (EntryCounts, Bytes<46, kScheduleTypeCount>))    // entries in this buffer, per type
};
static_assert(rec::checkLayout<ScheduleBufferHead>());

// The part every entry has.
struct ScheduleEntry {
    static constexpr std::size_t kSize = 32;
    REC_FIELDS(
        (Type, LeField<std::uint8_t, 0>),
        (Sequence, LeField<std::uint8_t, 1>),
        (Enabled, LeField<std::uint8_t, 4>),
        (Recurrence, LeField<std::uint8_t, 5>),
        (StartMinutes, LeField<std::uint16_t, 6>),  // from 0:00
        (DurationMinutes, LeField<std::uint32_t, 8>),
        // DAILY: the day interval; WEEKLY: the week interval and the day
        // bit; MONTHLY: the month bits over both bytes.
        (Interval, LeField<std::uint8_t, 12>),
        (WeekdayBit, LeField<std::uint8_t, 13>),
        (MonthPattern, LeField<std::uint8_t, 14>),
        (DayOrOrdinal, LeField<std::uint8_t, 16>),  // MONTHLY DAY: day of month; ORDINAL: ordinal
        (OrdinalWeekday, LeField<std::uint8_t, 17>),  // 1 to 7
        (EndType, LeField<std::uint8_t, 20>),
        (RecurrenceCount, LeField<std::uint8_t, 21>),
        (StartDay, LeField<std::uint8_t, 24>),
        (StartMonth, LeField<std::uint8_t, 25>),
        (StartYear, LeField<std::uint16_t, 26>),
        (EndDay, LeField<std::uint8_t, 28>),
        (EndMonth, LeField<std::uint8_t, 29>),
        (EndYear, LeField<std::uint16_t, 30>))
    // MONTHLY's month bits, over the bytes of Interval and WeekdayBit.
    using MonthBits = LeField<std::uint16_t, 12>;
};
static_assert(rec::checkLayout<ScheduleEntry>());

// The type-specific parts, after the common one. The device ids (2 bytes
// each) follow the device count.
struct RedundancyCheckSchedule {
    static constexpr std::size_t kSize = 40;  // with at most two ids
    REC_FIELDS(
        (AutoFix, LeField<std::uint8_t, 32>),
        (DeviceCount, LeField<std::uint16_t, 34>),
        (Devices, Bytes<36, 4>))
};
static_assert(rec::checkLayout<RedundancyCheckSchedule>());

struct RebuildSchedule {
    static constexpr std::size_t kSize = 40;
    REC_FIELDS(
        (ArrayId, LeField<std::uint16_t, 32>),
        (DeviceCount, LeField<std::uint16_t, 34>),
        (Devices, Bytes<36, 4>))
};
static_assert(rec::checkLayout<RebuildSchedule>());

struct MigrationSchedule {
    static constexpr std::size_t kSize = 44;
    REC_FIELDS(
        (RaidLevel, LeField<std::uint16_t, 32>),  // library code
        (ArrayId, LeField<std::uint16_t, 34>),
        (ParityCount, LeField<std::uint8_t, 36>),
        (SubArrayCount, LeField<std::uint8_t, 37>),
        (DeviceCount, LeField<std::uint16_t, 38>),
        (Devices, Bytes<40, 4>))
};
static_assert(rec::checkLayout<MigrationSchedule>());

// Where an entry's device ids start, and its count field (0: none).
constexpr std::size_t deviceListOffset(std::uint8_t type) {
    switch (type) {
        case SCHEDULE_RC: return RedundancyCheckSchedule::Devices::offset;
        case SCHEDULE_RB: return RebuildSchedule::Devices::offset;
        case SCHEDULE_MG: return MigrationSchedule::Devices::offset;
        default: return 0;
    }
}
constexpr std::size_t deviceCountOffset(std::uint8_t type) {
    switch (type) {
        case SCHEDULE_RC: return RedundancyCheckSchedule::DeviceCount::offset;
        case SCHEDULE_RB: return RebuildSchedule::DeviceCount::offset;
        case SCHEDULE_MG: return MigrationSchedule::DeviceCount::offset;
        default: return 0;
    }
}
// The shortest entry of the type (0: not a type).
constexpr std::size_t minimumEntryLength(std::uint8_t type) {
    switch (type) {
        case SCHEDULE_RC: return RedundancyCheckSchedule::kSize;
        case SCHEDULE_RB: return RebuildSchedule::kSize;
        case SCHEDULE_MG: return MigrationSchedule::kSize;
        case SCHEDULE_MP:
        case SCHEDULE_BRC:
        case SCHEDULE_SC: return ScheduleEntry::kSize;
        default: return 0;
    }
}

// The length of the entry at the start of the view, from its type and
// device count; 0 when the type is none of the six. The count is read
// through the view: one that lies outside it reads as 0.
inline std::size_t scheduleEntryLength(const rec::ByteView& entry) {
    const std::uint8_t type = entry.get<ScheduleEntry::Type>();
    const std::size_t shortest = minimumEntryLength(type);
    const std::size_t list = deviceListOffset(type);
    if (list == 0) return shortest;
    const std::size_t length = list + 2 * std::size_t{entry.at<std::uint16_t>(deviceCountOffset(type))};
    return length > shortest ? length : shortest;
}

// The first entry whose offset is greater than `after` (0 to start), as
// its offset, or none. Walks from the head over the first
// kScheduleScanLength bytes, counting entries per type, and stops when the
// head's count for every type is reached or an entry would not fit; a type
// code none of the six is passed over by 32 bytes uncounted.
inline std::optional<std::size_t> nextScheduleEntry(const rec::ByteView& buffer, std::size_t after) {
    const rec::ByteView scan = buffer.sub(0, kScheduleScanLength);
    const rec::ByteView wanted = scan.sub<ScheduleBufferHead::EntryCounts>();
    std::array<std::size_t, kScheduleTypeCount> counted{};
    std::size_t offset = ScheduleBufferHead::kSize;
    for (;;) {
        if (offset >= scan.size()) return std::nullopt;
        bool allCounted = true;
        for (std::size_t t = 0; t < kScheduleTypeCount; ++t) {
            if (counted[t] < wanted.at<std::uint8_t>(t)) allCounted = false;
        }
        if (allCounted) return std::nullopt;
        if (ScheduleEntry::kSize > scan.size() - offset) return std::nullopt;
        const rec::ByteView entry = scan.sub(offset, scan.size() - offset);
        const std::uint8_t type = entry.get<ScheduleEntry::Type>();
        if (type >= kScheduleTypeCount) {
            offset += ScheduleEntry::kSize;
            continue;
        }
        const std::size_t length = scheduleEntryLength(entry);
        if (length > entry.size()) return std::nullopt;
        ++counted[type];
        if (offset > after) return offset;
        offset += length;
    }
}

}  // namespace lib

#pragma once
// The controller events hx_getHBAEvents returns: a 64-byte header, which
// belongs to the library, followed by fixed-size event records.

#include <cstddef>
#include <cstdint>

#include "platform/record.h"

namespace lib {

// One event, as the library reports it.
struct EventRecord {
    static constexpr std::size_t kSize = 408;
    REC_FIELDS(
        (EventId, rec::LeField<std::uint32_t, 12>),
        (Severity, rec::LeField<std::uint8_t, 80>),    // EVENT_SEVERITY_*, other: information
        (Description, rec::Bytes<84, 260>),            // zero-terminated text
        (ArrayText, rec::Bytes<344, kSize - 344>))     // zero-terminated text
};
static_assert(rec::checkLayout<EventRecord>());

constexpr std::uint8_t EVENT_SEVERITY_WARNING = 3;
constexpr std::uint8_t EVENT_SEVERITY_ERROR = 6;

// The event buffer the console hands over: the header and the records that
// fit after it.
constexpr std::size_t kEventHeaderSize = 64;
constexpr std::uint32_t kEventBufferRecords = 51;
constexpr std::size_t kEventBufferSize =
    kEventHeaderSize + kEventBufferRecords * EventRecord::kSize;
static_assert(kEventBufferSize == 20872);

// Kinds of event the library can be told to ignore: their codes, the words
// that name them and the texts the ignore list shows.
constexpr std::uint32_t EVENT_BATTERY_NOT_DETECTED = 0x10017;
constexpr std::uint32_t EVENT_ARRAY_DELETED = 0x90001;
constexpr std::uint32_t EVENT_UNKNOWN = 0xFFFFFFFFu;

struct IgnoredEventKind {
    const char* word;
    std::uint32_t code;
    const char* text;
};
inline constexpr IgnoredEventKind kIgnoredEventKinds[] = {
    {"bat_not_detected", EVENT_BATTERY_NOT_DETECTED, "BATTERY NOT DETECTED"},
    {"unknow", EVENT_UNKNOWN, "Unknow event"},
    {"array_del", EVENT_ARRAY_DELETED, "array del"},
};

// The ignore list: up to 256 codes, ended by the first 0.
constexpr std::uint32_t kIgnoreListSize = 1024;
constexpr std::size_t kMaxIgnoredEvents = kIgnoreListSize / 4;

// Where record k of an event buffer starts.
constexpr std::size_t eventRecordOffset(std::size_t k) {
    return kEventHeaderSize + k * EventRecord::kSize;
}

}  // namespace lib

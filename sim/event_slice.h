#pragma once
// The events a controller has queued for the event display.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "access/event_records.h"

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

// An event a real controller would report, queued for the event display.
struct Event {
    std::uint32_t id = 0;
    int severity = 1;  // 3 warning, 6 error, other information
    std::string description;
    std::string array;
    std::uint32_t time = 0;
};

// Replies of hx_getHBAEvents that a real library should never give, for
// tests of the console's defences.
struct EventQuirks {
    std::optional<std::uint32_t> eventCount;  // count returned, whatever was filled
};

struct EventSlice {
    std::vector<Event> events;  // oldest first
    EventQuirks eventQuirks;
};

// Event codes the simulated controller reports.
constexpr std::uint32_t kEventArrayCreated = 0x1001;
// One of the kinds of event the library can be told to ignore.
constexpr std::uint32_t kEventArrayDeleted = lib::EVENT_ARRAY_DELETED;
constexpr std::uint32_t kEventBackupDeleted = 0x1003;
constexpr std::uint32_t kEventActivityStarted = 0x2001;
constexpr std::uint32_t kEventActivityPaused = 0x2002;
constexpr std::uint32_t kEventActivityResumed = 0x2003;
constexpr std::uint32_t kEventActivityFinished = 0x2004;
constexpr std::uint32_t kEventActivityAborted = 0x2005;
constexpr std::uint32_t kEventScheduleNotRun = 0x2006;
constexpr std::uint32_t kEventPatrol = 0x2007;  // a disk's media patrol started, paused, resumed, aborted or done

// Severity codes of an event.
constexpr int kSeverityInformation = 1;
constexpr int kSeverityWarning = 3;
constexpr int kSeverityError = 6;

// How many events a controller keeps; the oldest goes when a new one comes.
constexpr std::size_t kMaxEvents = 256;

// Queues an event on the controller, as a real one reports what happened
// to it. Every family that changes the controller reports through this.
void queueEvent(EventSlice& controller, std::uint32_t id, int severity,
                const std::string& description, const std::string& array, std::uint32_t time);

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const EventSlice& slice);
void readSlice(const nlohmann::json& j, EventSlice& slice, const fields::Where& where);

}  // namespace sim

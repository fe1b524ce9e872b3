#pragma once
// The events a controller has queued for the event display.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

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

struct EventSlice {
    std::vector<Event> events;
};

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const EventSlice& slice);
void readSlice(const nlohmann::json& j, EventSlice& slice, const fields::Where& where);

}  // namespace sim

#include "sim/event_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<Event> {
    static constexpr auto list = std::make_tuple(
        field("id", &Event::id), field("severity", &Event::severity),
        field("description", &Event::description), field("array", &Event::array),
        field("time", &Event::time));
};

template <>
struct FieldList<EventQuirks> {
    static constexpr auto list = std::make_tuple(field("eventCount", &EventQuirks::eventCount));
};

template <>
struct FieldList<EventSlice> {
    static constexpr auto list = std::make_tuple(field("events", &EventSlice::events),
                                                 field("eventQuirks", &EventSlice::eventQuirks));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const EventSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<EventSlice>::list);
}

void readSlice(const nlohmann::json& j, EventSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<EventSlice>::list, where);
}

void queueEvent(EventSlice& controller, std::uint32_t id, int severity,
                const std::string& description, const std::string& array, std::uint32_t time) {
    Event e;
    e.id = id;
    e.severity = severity;
    e.description = description;
    e.array = array;
    e.time = time;
    if (controller.events.size() >= kMaxEvents) controller.events.erase(controller.events.begin());
    controller.events.push_back(std::move(e));
}

}  // namespace sim

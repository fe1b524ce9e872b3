#include "sim/patrol_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct FieldList<BadSectorRun> {
    static constexpr auto list =
        std::make_tuple(field("lba", &BadSectorRun::lba), field("count", &BadSectorRun::count),
                        field("type", &BadSectorRun::type), field("access", &BadSectorRun::access));
};

template <>
struct FieldList<DiskPatrol> {
    using P = DiskPatrol;
    static constexpr auto list = std::make_tuple(
        field("disk", &P::disk), field("state", &P::state), field("startTime", &P::startTime),
        field("resumeTime", &P::resumeTime), field("runningSince", &P::runningSince),
        field("doneBefore", &P::doneBefore), field("checkedTo", &P::checkedTo), field("rate", &P::rate),
        field("runLoops", &P::runLoops), field("errorCount", &P::errorCount),
        field("badSectors", &P::badSectors), field("errorTable", &P::errorTable),
        field("reportedLogBytes", &P::reportedLogBytes));
};

template <>
struct FieldList<PatrolSlice> {
    static constexpr auto list = std::make_tuple(field("patrols", &PatrolSlice::patrols));
};

}  // namespace sim::fields

namespace sim {

std::uint32_t patrolDurationSeconds(std::uint8_t rate) {
    return 2000u * kDefaultActivityRate / (rate == 0 ? 1u : rate);
}

void writeSlice(nlohmann::json& j, const PatrolSlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<PatrolSlice>::list);
}

void readSlice(const nlohmann::json& j, PatrolSlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<PatrolSlice>::list, where);
}

}  // namespace sim

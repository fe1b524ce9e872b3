#include "sim/array_slice.h"

#include <nlohmann/json.hpp>

#include "sim/json_fields.h"

// The JSON fields of this family's structures, each listed once.
namespace sim::fields {

template <>
struct NameList<ActivityKind> {
    static constexpr std::array<std::pair<ActivityKind, const char*>, 6> names{{
        {ActivityKind::Rebuild, "rebuild"},
        {ActivityKind::Init, "init"},
        {ActivityKind::Sync, "sync"},
        {ActivityKind::Check, "check"},
        {ActivityKind::Migration, "migration"},
        {ActivityKind::Backup, "backup"},
    }};
};

template <>
struct FieldList<Activity> {
    static constexpr auto list = std::make_tuple(
        field("kind", &Activity::kind), field("initKind", &Activity::initKind),
        field("paused", &Activity::paused), field("startTime", &Activity::startTime),
        field("resumeTime", &Activity::resumeTime), field("runningSince", &Activity::runningSince),
        field("doneBefore", &Activity::doneBefore), field("rate", &Activity::rate),
        field("targetDisks", &Activity::targetDisks),
        field("targetExtents", &Activity::targetExtents),
        field("targetLevel", &Activity::targetLevel),
        field("subArrayCount", &Activity::subArrayCount),
        field("parityCount", &Activity::parityCount), field("symmetric", &Activity::symmetric),
        field("parityShift", &Activity::parityShift));
};

template <>
struct FieldList<Array> {
    static constexpr auto list = std::make_tuple(
        field("id", &Array::id), field("level", &Array::level), field("members", &Array::members),
        field("stripeSectors", &Array::stripeSectors), field("cacheMode", &Array::cacheMode),
        field("lookahead", &Array::lookahead), field("consolidation", &Array::consolidation),
        field("bypass", &Array::bypass), field("sectors", &Array::sectors),
        field("rawSectors", &Array::rawSectors), field("name", &Array::name),
        field("parityCount", &Array::parityCount), field("symmetric", &Array::symmetric),
        field("parityShift", &Array::parityShift), field("subArrayCount", &Array::subArrayCount),
        field("sectorSize", &Array::sectorSize), field("flags", &Array::flags),
        field("lostMask", &Array::lostMask), field("startTime", &Array::startTime),
        field("resumeTime", &Array::resumeTime),
        field("reportedMemberCount", &Array::reportedMemberCount),
        field("activity", &Array::activity));
};

template <>
struct FieldList<ArraySlice> {
    static constexpr auto list = std::make_tuple(field("arrays", &ArraySlice::arrays));
};

}  // namespace sim::fields

namespace sim {

void writeSlice(nlohmann::json& j, const ArraySlice& slice) {
    fields::writeFields(j, slice, fields::FieldList<ArraySlice>::list);
}

void readSlice(const nlohmann::json& j, ArraySlice& slice, const fields::Where& where) {
    fields::readFields(j, slice, fields::FieldList<ArraySlice>::list, where);
}

std::uint32_t activityDurationSeconds(const Activity& a) {
    if (a.kind == ActivityKind::Init && a.initKind == 1) return 10;  // quick: metadata only
    // 1000 seconds at the default rate; never a division by zero.
    const std::uint32_t rate = a.rate == 0 ? 1 : a.rate;
    return 1000u * kDefaultActivityRate / rate;
}

std::uint32_t activityProgress(const Activity& a, std::uint32_t now) {
    std::uint64_t done = a.doneBefore;
    if (!a.paused && now > a.runningSince) {
        done += static_cast<std::uint64_t>(now - a.runningSince) * 1000 / activityDurationSeconds(a);
    }
    return static_cast<std::uint32_t>(done < 1000 ? done : 1000);
}

}  // namespace sim

// The stand-in library's schedule operations. Each notes the buffer it was
// handed (as many bytes as the call says it holds).

#include <algorithm>

#include "access/schedule_records.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/schedule_model.h"

using namespace sim;

namespace {

std::uint32_t statusOf(ScheduleOutcome outcome) {
    switch (outcome) {
        case ScheduleOutcome::Ok: return 0;
        case ScheduleOutcome::Malformed: return kHxStatusInvalidArgument;
        case ScheduleOutcome::NoSuchArray: return kHxStatusNoSuchArray;
        case ScheduleOutcome::NoSuchDisk: return kHxStatusNoSuchDisk;
        case ScheduleOutcome::Full: return kHxStatusScheduleFull;
        case ScheduleOutcome::NoSuchSchedule: return kHxStatusNoSuchSchedule;
    }
    return kHxStatusInvalidArgument;
}

// The one entry an add, change or delete carries, or an empty view when
// the buffer holds none.
rec::ByteView onlyEntry(const rec::ByteView& buffer) {
    const auto at = lib::nextScheduleEntry(buffer, 0);
    if (!at) return rec::ByteView();
    return buffer.sub(*at, buffer.size() - *at);
}

std::uint32_t changeSchedules(const char* operation, std::uint32_t w1, const void* buf, std::uint32_t size,
                              bool modify) {
    recordLibraryCall(operation, buf, buf != nullptr ? size : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (buf == nullptr || size < lib::ScheduleBufferHead::kSize + lib::ScheduleEntry::kSize) {
        return kHxStatusInvalidArgument;
    }
    const rec::ByteView entry = onlyEntry(rec::ByteView(buf, size));
    if (entry.size() == 0) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State& state, Controller& c) {
        Schedule schedule;
        const ScheduleOutcome parsed = scheduleFromEntry(c, entry, &schedule);
        if (parsed != ScheduleOutcome::Ok) return statusOf(parsed);
        return statusOf(modify ? modifySchedule(state, c, schedule) : addSchedule(state, c, schedule));
    });
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_getBGASchedule(uint32_t w1, uint32_t, uint32_t, const void* key, void* buf,
                                                 uint32_t size) {
    recordLibraryCall("hx_getBGASchedule", key, key != nullptr ? lib::ScheduleKey::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (key == nullptr || buf == nullptr || size < lib::ScheduleBufferHead::kSize) return kHxStatusInvalidArgument;
    if (rec::ByteView(key, lib::ScheduleKey::kSize).get<lib::ScheduleKey::Selector>() != lib::kScheduleKeyAll) {
        return kHxStatusInvalidArgument;
    }
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        fillScheduleBuffer(rec::ByteSpan(buf, size), c, static_cast<std::uint16_t>(w1));
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_addBGASchedule(uint32_t w1, uint32_t, uint32_t, const void* buf, uint32_t size) {
    return changeSchedules("hx_addBGASchedule", w1, buf, size, false);
}

extern "C" uint32_t HXAPI_CALL hx_modifyBGASchedule(uint32_t w1, uint32_t, uint32_t, const void* buf,
                                                    uint32_t size) {
    return changeSchedules("hx_modifyBGASchedule", w1, buf, size, true);
}

extern "C" uint32_t HXAPI_CALL hx_deleteBGASchedule(uint32_t w1, uint32_t, uint32_t, const void* buf,
                                                    uint32_t size) {
    recordLibraryCall("hx_deleteBGASchedule", buf, buf != nullptr ? size : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (buf == nullptr || size < lib::ScheduleBufferHead::kSize + 2) return kHxStatusInvalidArgument;
    const rec::ByteView buffer(buf, size);
    // The entry needs its type and sequence number only.
    const std::uint8_t type = buffer.at<std::uint8_t>(lib::ScheduleBufferHead::kSize);
    const std::uint8_t sequence = buffer.at<std::uint8_t>(lib::ScheduleBufferHead::kSize + 1);
    if (type >= lib::kScheduleTypeCount) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return statusOf(deleteSchedule(c, static_cast<ScheduleType>(type), sequence));
    });
}

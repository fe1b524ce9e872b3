// The stand-in library's media patrol, bad-sector log, error table and
// extent operations. Each notes the record it was handed (scalars as the
// record's leading bytes) before acting on it.

#include <cstring>

#include "access/library_records.h"
#include "access/patrol_records.h"
#include "sim/call_log.h"
#include "sim/extent_model.h"
#include "sim/hxapi_library.h"
#include "sim/patrol_model.h"
#include "sim/replies.h"

using namespace sim;

namespace {

// A patrol control on the disk that the InfoRequest names.
std::uint32_t controlPatrolOf(const char* operation, std::uint32_t w1, const void* req, PatrolControl action) {
    return changeWithRecord(operation, w1, req, lib::InfoRequest::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      if (v.get<lib::InfoRequest::Count>() != 1) return Outcome::BadRequest;
                      const std::uint32_t disk = v.get<lib::InfoRequest::FirstId>();
                      if (disk > 255) return Outcome::NoSuchDisk;
                      return controlPatrol(s, c, static_cast<int>(disk), action);
                  });
}

// The extent operations' records, read as widened ids.
struct ExtentTarget {
    int disk;
    int extent;
    int array;
};

ExtentTarget refTarget(const rec::ByteView& v) {
    const std::uint32_t disk = v.get<lib::ExtentRef::DiskId>();
    const std::uint32_t extent = v.get<lib::ExtentRef::ExtentIndex>();
    return {disk > 255 ? -1 : static_cast<int>(disk), extent > 255 ? -1 : static_cast<int>(extent), 255};
}

ExtentTarget assignmentTarget(const rec::ByteView& v) {
    using A = lib::ExtentAssignment;
    const std::uint16_t disk = v.get<A::DiskId>();
    const std::uint16_t extent = v.get<A::ExtentIndex>();
    const std::uint16_t array = v.get<A::ArrayId>();
    return {disk > 255 ? -1 : disk, extent > 255 ? -1 : extent, array > 255 ? -1 : array};
}

}  // namespace

extern "C" {

uint32_t HXAPI_CALL hx_startHBAMediaPatrol(uint32_t w1, uint32_t, uint32_t, const void* req) {
    return controlPatrolOf("hx_startHBAMediaPatrol", w1, req, PatrolControl::Start);
}

uint32_t HXAPI_CALL hx_pauseHBAMediaPatrol(uint32_t w1, uint32_t, uint32_t, const void* req) {
    return controlPatrolOf("hx_pauseHBAMediaPatrol", w1, req, PatrolControl::Pause);
}

uint32_t HXAPI_CALL hx_resumeHBAMediaPatrol(uint32_t w1, uint32_t, uint32_t, const void* req) {
    return controlPatrolOf("hx_resumeHBAMediaPatrol", w1, req, PatrolControl::Resume);
}

uint32_t HXAPI_CALL hx_stopHBAMediaPatrol(uint32_t w1, uint32_t, uint32_t, const void* req) {
    return controlPatrolOf("hx_stopHBAMediaPatrol", w1, req, PatrolControl::Abort);
}

uint32_t HXAPI_CALL hx_getHBAMediaPatrolProgress(uint32_t w1, uint32_t, uint32_t, void* req, void* buf,
                                                 uint32_t size) {
    recordLibraryCall("hx_getHBAMediaPatrolProgress", req, req != nullptr ? lib::InfoRequest::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr || size < lib::InfoReplyHeader::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
        fillPatrolProgress(rec::ByteSpan(buf, size), c, currentTime(state));
        return 0;
    });
}

uint32_t HXAPI_CALL hx_getHBABSL(uint32_t w1, uint32_t, uint32_t, uint16_t diskId, void* buf, uint32_t size) {
    std::uint8_t id[2];
    rec::storeLe16(id, diskId);
    recordLibraryCall("hx_getHBABSL", id, sizeof id);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (buf == nullptr || size < lib::InfoReplyHeader::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        const Disk* disk = findDisk(c, diskId);
        if (disk == nullptr || !diskVisible(*disk)) return kHxStatusNoSuchDisk;
        fillBadSectorLog(rec::ByteSpan(buf, size), c, *disk);
        return 0;
    });
}

uint32_t HXAPI_CALL hx_getErrorTable(uint32_t w1, uint32_t, uint32_t, const void* req, void* buf, uint32_t size) {
    using R = lib::ErrorTableRequest;
    recordLibraryCall("hx_getErrorTable", req, req != nullptr ? R::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr || size < lib::ErrorTableHead::kSize) return kHxStatusInvalidArgument;
    const rec::ByteView request(req, R::kSize);
    const std::uint16_t kind = request.get<R::Kind>();
    if (kind != lib::kErrorTableFromStart && kind != lib::kErrorTableFromLba) return kHxStatusInvalidArgument;
    std::uint64_t fromLba = 0;
    if (kind == lib::kErrorTableFromLba) {
        const rec::ByteView given(buf, size);
        fromLba = std::uint64_t{given.at<std::uint32_t>(lib::kErrorTableQueryLbaAt + 4)} << 32 |
                  given.at<std::uint32_t>(lib::kErrorTableQueryLbaAt);
    }
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        const Disk* disk = findDisk(c, request.get<R::DiskId>());
        if (disk == nullptr || !diskVisible(*disk)) return kHxStatusNoSuchDisk;
        fillErrorTable(rec::ByteSpan(buf, size), c, *disk, fromLba);
        return 0;
    });
}

uint32_t HXAPI_CALL hx_removeHBADiskMDD(uint32_t w1, uint32_t, uint32_t, const void* req) {
    return changeWithRecord("hx_removeHBADiskMDD", w1, req, lib::InfoRequest::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      if (v.get<lib::InfoRequest::Count>() != 1) return Outcome::BadRequest;
                      const std::uint32_t disk = v.get<lib::InfoRequest::FirstId>();
                      if (disk > 255) return Outcome::NoSuchDisk;
                      return wipeDiskMetadata(s, c, static_cast<int>(disk));
                  });
}

uint32_t HXAPI_CALL hx_spareHBAExtent(uint32_t w1, uint32_t, uint32_t, const void* assignment) {
    return changeWithRecord("hx_spareHBAExtent", w1, assignment, lib::ExtentAssignment::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      const ExtentTarget t = assignmentTarget(v);
                      if (t.array < 0) return Outcome::NoSuchArray;
                      return spareExtent(s, c, t.disk, t.extent, t.array);
                  });
}

uint32_t HXAPI_CALL hx_freeHBAExtent(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return changeWithRecord("hx_freeHBAExtent", w1, ref, lib::ExtentRef::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      const ExtentTarget t = refTarget(v);
                      return freeExtent(s, c, t.disk, t.extent);
                  });
}

uint32_t HXAPI_CALL hx_addHBAExtentToArray(uint32_t w1, uint32_t, uint32_t, const void* assignment) {
    return changeWithRecord("hx_addHBAExtentToArray", w1, assignment, lib::ExtentAssignment::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      const ExtentTarget t = assignmentTarget(v);
                      if (t.array < 0 || t.array == 255) return Outcome::NoSuchArray;
                      return addExtentToArray(s, c, t.disk, t.extent, t.array);
                  });
}

uint32_t HXAPI_CALL hx_splitHBAExtent(uint32_t w1, uint32_t, uint32_t, const void* ref, uint32_t offsetMb) {
    // Noted as the reference followed by the offset.
    std::uint8_t bytes[lib::ExtentRef::kSize + 4] = {};
    if (ref != nullptr) std::memcpy(bytes, ref, lib::ExtentRef::kSize);
    rec::storeLe32(bytes + lib::ExtentRef::kSize, offsetMb);
    recordLibraryCall("hx_splitHBAExtent", ref != nullptr ? bytes : nullptr, ref != nullptr ? sizeof bytes : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (ref == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteView v(ref, lib::ExtentRef::kSize);
    return changeLibraryController(w1, [&](State& s, Controller& c) {
        const ExtentTarget t = refTarget(v);
        return statusOf(splitExtent(s, c, t.disk, t.extent, offsetMb));
    });
}

uint32_t HXAPI_CALL hx_deleteHBAExtent(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return changeWithRecord("hx_deleteHBAExtent", w1, ref, lib::ExtentRef::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      const ExtentTarget t = refTarget(v);
                      return deleteExtent(s, c, t.disk, t.extent);
                  });
}

}  // extern "C"

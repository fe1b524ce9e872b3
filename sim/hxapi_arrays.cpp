// The stand-in library's array operations: creation and deletion, starting
// and controlling background activities, and their progress. Each operation
// notes the record it was handed (see call_log.h) before acting on it.

#include <algorithm>

#include "access/array_records.h"
#include "access/library_records.h"
#include "sim/array_model.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/replies.h"

using namespace sim;

namespace {

std::uint32_t control(const char* operation, std::uint32_t w1, const void* ref, std::size_t size,
                      Control action, ActivityKind kind) {
    return changeWithRecord(operation, w1, ref, size, [&](State& s, Controller& c, const rec::ByteView& v) {
        return controlActivity(s, c, static_cast<int>(v.get<lib::ActivityRef::ArrayId>()), action,
                               &kind);
    });
}

// A progress reply: state and percent of the array's activity of the kinds
// asked for, or idle (state 2) when none runs.
template <typename Progress>
std::uint32_t progress(const char* operation, std::uint32_t w1, void* req, void* buf,
                       std::uint32_t size, std::initializer_list<ActivityKind> kinds) {
    recordLibraryCall(operation, req, req != nullptr ? lib::InfoRequest::kSize : 0);
    if (req == nullptr || buf == nullptr) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
        const auto id = rec::ByteView(req, lib::InfoRequest::kSize).get<lib::InfoRequest::FirstId>();
        const Array* a = findArray(c, static_cast<int>(id));
        if (a == nullptr) return kHxStatusNoSuchArray;
        const rec::ByteSpan reply(buf, size);
        reply.sub(0, Progress::kSize).clear();
        std::uint8_t stateCode = lib::kProgressIdle;
        std::uint32_t percent = 0;
        if (a->activity &&
            std::find(kinds.begin(), kinds.end(), a->activity->kind) != kinds.end()) {
            stateCode = a->activity->paused ? lib::kProgressPaused : lib::kProgressRunning;
            percent = activityProgress(*a->activity, currentTime(state)) / 10;
        }
        reply.put<typename Progress::State>(stateCode);
        reply.put<typename Progress::Percent>(static_cast<typename Progress::Percent::Type>(percent));
        return 0;
    });
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_addHBAArray(uint32_t w1, uint32_t, uint32_t, const void* req) {
    using R = lib::ArrayCreateRequest;
    return changeWithRecord("hx_addHBAArray", w1, req, R::kSize,
                  [](State& s, Controller& c, const rec::ByteView& v) {
                      NewArray request;
                      request.level = static_cast<std::uint8_t>(v.get<R::RaidLevel>());
                      request.stripeSectors = v.get<R::StripeSize>();
                      request.name = v.text<R::Name>();
                      request.initKind = v.get<R::InitKind>();
                      request.rounding = v.get<R::RoundingScheme>();
                      request.fromSize = v.get<R::CreationMethod>() == lib::kCreateFromSize;
                      request.sizeMb = request.fromSize ? v.get<R::SizeMb>() : 0;
                      const std::uint32_t sectorSize = request.fromSize ? v.get<R::SectorSize>() : 0;
                      request.sectorSize = sectorSize == 0 ? 512 : sectorSize;
                      request.parityCount = v.get<R::ParityCount>();
                      request.symmetric = v.get<R::Symmetric>();
                      request.parityShift = v.get<R::Shift>();
                      request.subArrayCount = v.get<R::SubArrayCount>();
                      const rec::ByteView members = v.sub<R::Members>();
                      for (std::size_t i = 0; i < v.get<R::MemberCount>(); ++i) {
                          const rec::ByteView m = members.sub(i * lib::ArrayMember::kSize,
                                                              lib::ArrayMember::kSize);
                          MemberChoice choice;
                          choice.disk = static_cast<int>(m.get<lib::ArrayMember::DiskId>());
                          choice.extent = request.fromSize
                                              ? -1
                                              : static_cast<int>(m.get<lib::ArrayMember::ExtentIndex>());
                          request.members.push_back(choice);
                      }
                      return createArray(s, c, request);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_delDiskArray(uint32_t w1, uint32_t, uint32_t, const void* ids,
                                               uint32_t size) {
    using L = lib::ArrayIdList;
    return changeWithRecord("hx_delDiskArray", w1, ids, size, [](State& s, Controller& c, const rec::ByteView& v) {
        const std::uint32_t count = v.get<L::Count>();
        if (count == 0) return Outcome::BadRequest;
        Outcome outcome = Outcome::Ok;
        // The ids follow one another from the first.
        constexpr std::size_t first = L::ArrayId::offset;
        constexpr std::size_t width = L::ArrayId::width;
        for (std::uint32_t i = 0; i < count && first + width * (i + 1) <= v.size(); ++i) {
            const Outcome one =
                deleteArray(s, c, static_cast<int>(v.at<std::uint32_t>(first + width * i)));
            if (one != Outcome::Ok) outcome = one;
        }
        return outcome;
    });
}

extern "C" uint32_t HXAPI_CALL hx_deleteBackUp(uint32_t w1, uint32_t, uint32_t, uint16_t arrayId) {
    std::uint8_t bytes[2];
    rec::storeLe16(bytes, arrayId);
    return changeWithRecord("hx_deleteBackUp", w1, bytes, sizeof bytes,
                  [&](State& s, Controller& c, const rec::ByteView&) {
                      return deleteBackup(s, c, arrayId);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_startHBARebuildExtent(uint32_t w1, uint32_t, uint32_t,
                                                        uint8_t count, const void* targets) {
    using T = lib::RebuildTarget;
    return changeWithRecord("hx_startHBARebuildExtent", w1, targets, count * T::kSize,
                  [&](State& s, Controller& c, const rec::ByteView& v) {
                      if (count == 0) return Outcome::BadRequest;
                      const auto arrayId = v.get<T::ArrayId>();
                      std::vector<MemberChoice> choices;
                      for (std::size_t i = 0; i < count; ++i) {
                          const rec::ByteView t = v.sub(i * T::kSize, T::kSize);
                          if (t.get<T::ArrayId>() != arrayId) return Outcome::BadRequest;
                          const std::uint32_t extent = t.get<T::ExtentIndex>();
                          choices.push_back(MemberChoice{
                              static_cast<int>(t.get<T::DiskId>()),
                              extent == lib::kNoExtent ? -1 : static_cast<int>(extent)});
                      }
                      return startRebuild(s, c, static_cast<int>(arrayId), choices);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_startHBABackup(uint32_t w1, uint32_t, uint32_t,
                                                 const void* targets) {
    using T = lib::BackupTarget;
    return changeWithRecord("hx_startHBABackup", w1, targets, (lib::kMaxBackupTargets + 1) * T::kSize,
                  [](State& s, Controller& c, const rec::ByteView& v) {
                      const auto arrayId = v.get<T::ArrayId>();
                      std::vector<int> disks;
                      for (std::size_t i = 0; i < lib::kMaxBackupTargets; ++i) {
                          const rec::ByteView t = v.sub(i * T::kSize, T::kSize);
                          if (t.get<T::ArrayId>() == lib::kBackupListEnd) break;
                          if (t.get<T::ArrayId>() != arrayId) return Outcome::BadRequest;
                          disks.push_back(t.get<T::DiskId>());
                      }
                      return startBackup(s, c, arrayId, disks);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_startLogDrvInit(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                  uint32_t size) {
    using R = lib::LogDrvInitRequest;
    return changeWithRecord("hx_startLogDrvInit", w1, req, std::min<std::size_t>(size, R::kSize),
                  [](State& s, Controller& c, const rec::ByteView& v) {
                      return startInit(s, c, static_cast<int>(v.get<R::ArrayId>()), v.get<R::Kind>());
                  });
}

extern "C" uint32_t HXAPI_CALL hx_startRedundancyCheck(uint32_t w1, uint32_t, uint32_t,
                                                       const void* req) {
    using R = lib::RedundancyCheckRequest;
    return changeWithRecord("hx_startRedundancyCheck", w1, req, R::kSize,
                  [](State& s, Controller& c, const rec::ByteView& v) {
                      if (v.get<R::Kind>() > 1) return Outcome::BadRequest;
                      return startSync(s, c, static_cast<int>(v.get<R::ArrayId>()), v.get<R::Kind>() == 1);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_migrateHBAArray(uint32_t w1, uint32_t, uint32_t, const void* req) {
    using R = lib::MigrationRequest;
    using M = lib::MigrationMember;
    return changeWithRecord("hx_migrateHBAArray", w1, req, R::kSize,
                  [](State& s, Controller& c, const rec::ByteView& v) {
                      MigrationPlan request;
                      request.level = static_cast<std::uint8_t>(v.get<R::RaidLevel>());
                      request.subArrayCount = v.get<R::SubArrayCount>();
                      request.parityCount = v.get<R::ParityCount>();
                      request.symmetric = v.get<R::Symmetric>();
                      request.parityShift = v.get<R::Shift>();
                      const bool withExtents = v.get<R::DisksOnly>() == 0;
                      const rec::ByteView members = v.sub<R::Members>();
                      for (std::size_t i = 0; i < v.get<R::MemberCount>(); ++i) {
                          const rec::ByteView m = members.sub(i * M::kSize, M::kSize);
                          request.addedMembers.push_back(MemberChoice{
                              static_cast<int>(m.get<M::DiskId>()),
                              withExtents ? static_cast<int>(m.get<M::ExtentIndex>()) : -1});
                      }
                      return startMigration(s, c, v.get<R::ArrayId>(), request);
                  });
}

extern "C" uint32_t HXAPI_CALL hx_restartRebuild(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_restartRebuild", w1, ref, lib::ActivityRef::kSize, Control::Restart,
                   ActivityKind::Rebuild);
}
extern "C" uint32_t HXAPI_CALL hx_pauseRebuild(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_pauseRebuild", w1, ref, lib::ActivityRef::kSize, Control::Pause,
                   ActivityKind::Rebuild);
}
extern "C" uint32_t HXAPI_CALL hx_resumeRebuild(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_resumeRebuild", w1, ref, lib::ActivityRef::kSize, Control::Resume,
                   ActivityKind::Rebuild);
}
extern "C" uint32_t HXAPI_CALL hx_stopRebuild(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_stopRebuild", w1, ref, lib::ActivityRef::kSize, Control::Abort,
                   ActivityKind::Rebuild);
}
extern "C" uint32_t HXAPI_CALL hx_pauseLogDrvInit(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_pauseLogDrvInit", w1, ref, 4, Control::Pause, ActivityKind::Init);
}
extern "C" uint32_t HXAPI_CALL hx_resumeLogDrvInit(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_resumeLogDrvInit", w1, ref, 4, Control::Resume, ActivityKind::Init);
}
extern "C" uint32_t HXAPI_CALL hx_stopLogDrvInit(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_stopLogDrvInit", w1, ref, 4, Control::Abort, ActivityKind::Init);
}
extern "C" uint32_t HXAPI_CALL hx_pauseRedundancyCheck(uint32_t w1, uint32_t, uint32_t,
                                                       const void* ref) {
    return control("hx_pauseRedundancyCheck", w1, ref, 4, Control::Pause, ActivityKind::Sync);
}
extern "C" uint32_t HXAPI_CALL hx_resumeRedundancyCheck(uint32_t w1, uint32_t, uint32_t,
                                                        const void* ref) {
    return control("hx_resumeRedundancyCheck", w1, ref, 4, Control::Resume, ActivityKind::Sync);
}
extern "C" uint32_t HXAPI_CALL hx_stopRedundancyCheck(uint32_t w1, uint32_t, uint32_t,
                                                      const void* ref) {
    return control("hx_stopRedundancyCheck", w1, ref, 4, Control::Abort, ActivityKind::Sync);
}
extern "C" uint32_t HXAPI_CALL hx_PauseMigration(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_PauseMigration", w1, ref, 4, Control::Pause, ActivityKind::Migration);
}
extern "C" uint32_t HXAPI_CALL hx_ResumeMigration(uint32_t w1, uint32_t, uint32_t, const void* ref) {
    return control("hx_ResumeMigration", w1, ref, 4, Control::Resume, ActivityKind::Migration);
}

extern "C" uint32_t HXAPI_CALL hx_getRebuildProgress(uint32_t w1, uint32_t, uint32_t, void* req,
                                                     void* buf, uint32_t size) {
    return progress<lib::RebuildProgress>("hx_getRebuildProgress", w1, req, buf, size,
                                          {ActivityKind::Rebuild, ActivityKind::Backup});
}
extern "C" uint32_t HXAPI_CALL hx_getRedundancyCheckProgress(uint32_t w1, uint32_t, uint32_t,
                                                             void* req, void* buf, uint32_t size) {
    return progress<lib::RedundancyCheckProgress>("hx_getRedundancyCheckProgress", w1, req, buf, size,
                                                  {ActivityKind::Sync, ActivityKind::Check});
}
extern "C" uint32_t HXAPI_CALL hx_getLogDrvInitProgress(uint32_t w1, uint32_t, uint32_t, void* req,
                                                        void* buf, uint32_t size) {
    return progress<lib::LogDrvInitProgress>("hx_getLogDrvInitProgress", w1, req, buf, size, {ActivityKind::Init});
}
extern "C" uint32_t HXAPI_CALL hx_getMigrationProgress(uint32_t w1, uint32_t, uint32_t, void* req,
                                                       void* buf, uint32_t size) {
    return progress<lib::MigrationProgress>("hx_getMigrationProgress", w1, req, buf, size, {ActivityKind::Migration});
}

// as: one array's condition and background activity, from the library's
// array record and progress queries, or from the driver's status and
// activity replies.

#include "commands/array_status.h"

#include <string>
#include <vector>

#include "access/array_records.h"
#include "access/code_tables.h"
#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "commands/display.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

const char* arrayStatusName(std::uint8_t status) {
    return codes::nameOf(drv::kArrayStatusNames, status, "Unknown");
}

const char* configurationStateName(std::uint8_t state) {
    return codes::nameOf(drv::kConfigurationNames, state, "Unknown");
}

const char* bgaKindName(std::uint8_t kind) {
    return codes::nameOf(drv::kBgaKindNames, kind, "Unknown");
}

const char* bgaStateName(std::uint8_t state) {
    return codes::nameOf(drv::kBgaStateNames, state, "Unknown");
}

const char* arrayConditionOf(std::uint32_t flags) {
    if (flags & lib::LOGDRV_COND_CRITICAL) return "Critical";
    if (flags & lib::LOGDRV_COND_FUNCTIONAL) return "Functional";
    if (flags & lib::LOGDRV_COND_DEGRADED) return "Degrade";
    return "Offline";
}

namespace {

// Times at or below this are not real activity times.
constexpr std::uint32_t kEarliestTime = 10000;
constexpr std::uint32_t kNeverResumed = 0xFFFFFFFFu;

}  // namespace

void printActivityTimes(std::uint32_t startTime, std::uint32_t resumeTime) {
    if (startTime <= kEarliestTime) return;
    // Each date text carries its own line break; the blank of the format
    // opens the line after it.
    consolePrint("Start time %s \n", formatDate(startTime).c_str());
    if (resumeTime != kNeverResumed && resumeTime > kEarliestTime) {
        consolePrint("Last resume time %s \n", formatDate(resumeTime).c_str());
    }
}

namespace {

struct Progress {
    std::uint8_t state = 0;
    int percent = 0;
};

// The request counts of the progress queries. The synchronisation and
// initialisation queries take none: their count stays 0 in the cleared
// request.
constexpr std::uint32_t kRebuildProgressCount = 0;
constexpr std::uint32_t kNoCount = 0;
constexpr std::uint32_t kMigrationProgressCount = 1;

// One progress query of the array into a cleared buffer of the record's
// size. A failed query is not told apart: the state and percent are what
// the buffer holds afterwards.
template <typename Record, typename Query>
Progress queryProgress(Query query, std::uint8_t arrayId, std::uint32_t count) {
    std::vector<std::uint8_t> buffer(Record::kSize, 0);
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(arrayId);
    request.put<lib::InfoRequest::Count>(count);
    query(CONTROLLER_ADDRESS, requestBytes, buffer.data(),
          static_cast<std::uint32_t>(buffer.size()));
    const rec::ByteView reply(buffer.data(), buffer.size());
    Progress progress;
    progress.state = reply.get<typename Record::State>();
    progress.percent = static_cast<int>(reply.get<typename Record::Percent>());
    return progress;
}

Progress rebuildProgress(std::uint8_t arrayId) {
    return queryProgress<lib::RebuildProgress>(hx_getRebuildProgress, arrayId,
                                               kRebuildProgressCount);
}
Progress syncProgress(std::uint8_t arrayId) {
    return queryProgress<lib::RedundancyCheckProgress>(hx_getRedundancyCheckProgress, arrayId,
                                                       kNoCount);
}
Progress initProgress(std::uint8_t arrayId) {
    return queryProgress<lib::LogDrvInitProgress>(hx_getLogDrvInitProgress, arrayId, kNoCount);
}
Progress migrationProgress(std::uint8_t arrayId) {
    return queryProgress<lib::MigrationProgress>(hx_getMigrationProgress, arrayId,
                                                 kMigrationProgressCount);
}

constexpr std::uint32_t kSyncFlags = lib::LOGDRV_OPERATION_SYNC | lib::LOGDRV_OPERATION_CHECK;

// The activity text. The rebuild comes first here; the percent below puts
// the initialisation first.
const char* activityTextOf(std::uint32_t flags, std::uint8_t arrayId) {
    if (flags & lib::LOGDRV_OPERATION_REBUILD) {
        const std::uint8_t state = rebuildProgress(arrayId).state;
        if (state == lib::kProgressPaused) return "Rebuild Paused";
        if (state == lib::kProgressIdle) return "Idle";
        return "Rebuild";
    }
    if (flags & kSyncFlags) {
        return syncProgress(arrayId).state == lib::kProgressPaused ? "Sync Paused" : "Synchronizing";
    }
    if (flags & lib::LOGDRV_OPERATION_INIT) {
        return initProgress(arrayId).state == lib::kProgressPaused ? "Init Paused" : "Initializing";
    }
    if (flags & lib::LOGDRV_OPERATION_MIGRATION) {
        return migrationProgress(arrayId).state == lib::kProgressPaused ? "Migration Paused"
                                                                       : "Migrating";
    }
    if (flags & lib::LOGDRV_OPERATION_BACKUP) {
        const std::uint8_t state = rebuildProgress(arrayId).state;
        if (state == lib::kProgressPaused) return "Backup Paused";
        if (state == lib::kProgressIdle) return "Idle";
        return "Backup";
    }
    return "Idle";
}

// The percent done, asked for again.
int percentDoneOf(std::uint32_t flags, std::uint8_t arrayId) {
    if (flags & lib::LOGDRV_OPERATION_INIT) return initProgress(arrayId).percent;
    if (flags & lib::LOGDRV_OPERATION_REBUILD) return rebuildProgress(arrayId).percent;
    if (flags & kSyncFlags) return syncProgress(arrayId).percent;
    if (flags & lib::LOGDRV_OPERATION_MIGRATION) return migrationProgress(arrayId).percent;
    if (flags & lib::LOGDRV_OPERATION_BACKUP) return rebuildProgress(arrayId).percent;
    return 0;
}

void arrayStatusFromLibrary(std::uint8_t arrayId) {
    using L = lib::LogDrvInfo;
    std::vector<std::uint8_t> buffer(lib::InfoReplyHeader::kSize + L::kSize, 0);
    const rec::ByteSpan reply(buffer.data(), buffer.size());
    reply.put<lib::InfoReplyHeader::BufferSize>(static_cast<std::uint32_t>(buffer.size()));
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(arrayId);
    request.put<lib::InfoRequest::Count>(1);
    const std::uint32_t result = hx_getLogDrvInfo(CONTROLLER_ADDRESS, requestBytes, buffer.data(),
                                                  static_cast<std::uint32_t>(buffer.size()));
    const rec::ByteView array = reply.view().sub(lib::InfoReplyHeader::kSize, L::kSize);
    // A reply that fills no record leaves the cleared one, whose id 0 would
    // match a request for array 0: a record counts only with its valid bit.
    if (result != 0 || array.get<L::ArrayId>() != arrayId ||
        (array.get<L::Flags>() & lib::LOGDRV_VALID) == 0) {
        consolePrint("Array with ID %d is not existed!\n", static_cast<int>(arrayId));
        return;
    }

    const std::uint32_t flags = array.get<L::Flags>();
    const char* activity = activityTextOf(flags, arrayId);
    const char* condition = arrayConditionOf(flags);
    consolePrint("pmicAry->ldhx_Flags %d\n", static_cast<std::int32_t>(flags));
    const int percent = percentDoneOf(flags, arrayId);
    consolePrint("Status         BGA            BGA Progress\n");
    consolePrint("%-15s%-15s%-d%%\n", condition, activity, percent);
    printActivityTimes(array.get<L::StartTime>(), array.get<L::ResumeTime>());
}

void arrayStatusFromDriver(ControllerDevice& controller, std::uint8_t arrayId) {
    using S = drv::ArrayStatusReply;
    using A = drv::ArrayActivityEntry;
    std::uint8_t status[S::kSize] = {};
    if (controller.readArrayStatus(arrayId, status)) {
        const rec::ByteView v(status, sizeof status);
        const std::uint8_t kind = v.get<S::ActivityKind>();
        consolePrint("Status, State, BGA, BGA State\n");
        consolePrint("%s, %s, %s, %s, %d%%\n", arrayStatusName(v.get<S::Status>()),
                     configurationStateName(v.get<S::Configuration>()), bgaKindName(kind),
                     kind == drv::BGA_KIND_NONE ? "N/A" : bgaStateName(v.get<S::ActivityState>()),
                     static_cast<int>(v.get<S::Percent>()));
    }
    // The activity times are asked for whether or not the status came.
    std::uint8_t activity[A::kSize] = {};
    if (controller.readArrayActivityInfo(activity, arrayId)) {
        const rec::ByteView v(activity, sizeof activity);
        const std::string start = formatDate(v.get<A::StartTime>());
        const std::string resume = formatDate(v.get<A::ResumeTime>());
        consolePrint("BgaStartTime, BgaLastResumeTime\n");
        consolePrint("%s, %s\n", start.c_str(), resume.c_str());
    }
}

}  // namespace

std::int32_t arrayStatusCommand(ControllerDevice** currentController, std::int32_t,
                                char** words) {
    // The word count is not looked at: a missing id is a null word.
    const std::uint8_t arrayId = parseArrayId(words[1]);
    if (arrayId == kParseFailed) return 1;
    consolePrint("-----------------Array %d status-----------------\n", static_cast<int>(arrayId));
    if (*currentController == nullptr) {
        arrayStatusFromLibrary(arrayId);
    } else {
        arrayStatusFromDriver(**currentController, arrayId);
    }
    return 1;
}

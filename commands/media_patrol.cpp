// patrol, bsl and et: the controller's surface scan of one disk and the
// error bookkeeping it keeps per disk. Every list is walked only as far as
// the data received and the buffer reach, whatever its counts say.

#include "commands/media_patrol.h"

#include <cstdint>
#include <string>
#include <vector>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/patrol_records.h"
#include "access/vendor_commands.h"
#include "commands/display.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

// The disk id of word 1, or kParseFailed (the parser has said why, or the
// id was 255).
std::uint8_t diskIdOf(std::int32_t count, char** words) {
    return parseDiskId(count > 1 ? words[1] : nullptr);
}

const char* subCommandOf(std::int32_t count, char** words) {
    if (count < 3 || words[2] == nullptr) {
        consolePrint("Sub-command not specified.\n");
        return nullptr;
    }
    return words[2];
}

// The date text of a time, or a fixed text for times the date text does
// not cover (2^31 and above).
std::string patrolTimeText(std::uint32_t seconds) {
    if (seconds >= 0x80000000u) return "(time out of range)\n";
    return formatDate(seconds);
}

struct PatrolFigures {
    std::uint32_t watermark;
    std::uint8_t state;
    std::uint16_t runLoops;
    std::uint16_t errors;
    std::uint16_t progress;
};

void printPatrolFigures(std::uint8_t diskId, const PatrolFigures& f) {
    consolePrint("Dumping Media Patrol Information of Disk %d\n", diskId);
    consolePrint("State: %s\n", codes::nameOf(lib::kPatrolStateNames, f.state, lib::kPatrolStateUnknown));
    consolePrint("Watermark: %x\n", f.watermark);
    consolePrint("Run loop count: %d\n", f.runLoops);
    consolePrint("Error Count: %d\n", f.errors);
    consolePrint("Progress %d%%\n", f.progress);
}

void dumpPatrolFromDriver(ControllerDevice& controller, std::uint8_t diskId) {
    using P = drv::PatrolInfo;
    std::uint8_t bytes[P::kSize] = {};
    if (!controller.readMediaPatrolInfo(diskId, bytes)) return;
    const rec::ByteView v(bytes, sizeof bytes);
    printPatrolFigures(diskId, {v.get<P::Watermark>(), v.get<P::State>(), v.get<P::RunLoopCount>(),
                                v.get<P::ErrorCount>(), v.get<P::Progress>()});
}

void dumpPatrolFromLibrary(std::uint8_t diskId) {
    using P = lib::PatrolProgress;
    if (diskId > lib::kPatrolProgressLastDisk) {
        consolePrint("Media patrol information is reported for disk IDs 0 to %u only.\n",
                     static_cast<unsigned>(lib::kPatrolProgressLastDisk));
        return;
    }
    std::vector<std::uint8_t> buffer(lib::kPatrolProgressBufferSize, 0);
    const rec::ByteSpan reply(buffer.data(), buffer.size());
    reply.put<lib::InfoReplyHeader::BufferSize>(lib::kPatrolProgressBufferSize);
    std::uint8_t request[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan key(request, sizeof request);
    key.put<lib::InfoRequest::FirstId>(0);
    key.put<lib::InfoRequest::Count>(128);
    const std::uint32_t status = hx_getHBAMediaPatrolProgress(CONTROLLER_ADDRESS, request, buffer.data(),
                                                              lib::kPatrolProgressBufferSize);
    if (status != 0) {
        consolePrint("Call hx_getHBAMediaPatrolProgress failed, error code:0x%08x\n", status);
        return;
    }
    const rec::ByteView e =
        reply.view().sub(lib::kPatrolProgressEntriesAt + std::size_t{P::kSize} * diskId, P::kSize);
    printPatrolFigures(diskId, {e.get<P::Watermark>(), e.get<P::State>(), e.get<P::RunLoopCount>(),
                                e.get<P::ErrorCount>(), e.get<P::Progress>()});
    const std::uint32_t start = e.get<P::StartTime>();
    if (start <= lib::kPatrolTimeUnset) {
        consolePrint("Start time and last resume time are not available.\n");
        return;
    }
    consolePrint("Start time %s%%\n", patrolTimeText(start).c_str());
    const std::uint32_t resume = e.get<P::ResumeTime>();
    if (resume <= lib::kPatrolTimeUnset || resume == 0xFFFFFFFFu) return;
    consolePrint("Last resume time %s%%\n", patrolTimeText(resume).c_str());
}

struct PatrolControl {
    const char* word;
    std::uint8_t code;
    std::uint32_t(HXAPI_CALL* operation)(std::uint32_t, std::uint32_t, std::uint32_t, const void*);
};

const PatrolControl kPatrolControls[] = {
    {"start", lib::PATROL_CONTROL_START, hx_startHBAMediaPatrol},
    {"pause", lib::PATROL_CONTROL_PAUSE, hx_pauseHBAMediaPatrol},
    {"resume", lib::PATROL_CONTROL_RESUME, hx_resumeHBAMediaPatrol},
    {"abort", lib::PATROL_CONTROL_ABORT, hx_stopHBAMediaPatrol},
};

// The error table in data (size bytes received): the head, then the entries
// up to the first one without the valid bit or the end of the data.
void printErrorTable(std::uint8_t diskId, const std::uint8_t* data, std::size_t size) {
    using H = lib::ErrorTableHead;
    using E = lib::ErrorTableEntry;
    const rec::ByteView table(data, size);
    consolePrint("Dumping Error Table of Disk %d\n", diskId);
    consolePrint("Dumping Header Info\n");
    consolePrint("Signature       %d\n", table.get<H::Signature>());
    consolePrint("Version         %d\n", table.get<H::Version>());
    consolePrint("Flags           %d\n", table.get<H::Flags>());
    consolePrint("EntryNo   LBAL      LBAH       STATUS     COUNT     FLAGS \n");
    int number = 1;
    for (std::size_t at = H::kSize; at + E::kSize <= size; at += E::kSize, ++number) {
        const rec::ByteView e = table.sub(at, E::kSize);
        const std::uint16_t countWord = e.get<E::Count>();
        if ((countWord & lib::kErrorTableEntryValid) == 0) break;
        consolePrint("  %d", number);
        consolePrint("     %x", e.get<E::LbaLow>());
        consolePrint("     %x", e.get<E::LbaHigh>());
        consolePrint("     %x", e.get<E::Status>());
        consolePrint("     %x\n", countWord);
    }
}

}  // namespace

std::int32_t patrolCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    const std::uint8_t diskId = diskIdOf(count, words);
    if (diskId == kParseFailed) return 1;
    const char* sub = subCommandOf(count, words);
    if (sub == nullptr) return 1;
    ControllerDevice* controller = *currentController;
    if (wordEquals(sub, "dump")) {
        if (controller != nullptr) {
            dumpPatrolFromDriver(*controller, diskId);
        } else {
            dumpPatrolFromLibrary(diskId);
        }
        return 1;
    }
    for (const PatrolControl& control : kPatrolControls) {
        if (!wordEquals(sub, control.word)) continue;
        if (controller != nullptr) {
            controller->controlMediaPatrol(diskId, control.code);
        } else {
            std::uint8_t request[lib::InfoRequest::kSize] = {};
            const rec::ByteSpan key(request, sizeof request);
            key.put<lib::InfoRequest::FirstId>(diskId);
            key.put<lib::InfoRequest::Count>(1);
            control.operation(CONTROLLER_ADDRESS, request);
        }
        return 1;
    }
    consolePrint("Invalid sub command '%s' specified.\n", sub);
    return 1;
}

std::int32_t badSectorLogCommand(ControllerDevice**, std::int32_t count, char** words) {
    using E = lib::BslEntry;
    const std::uint8_t diskId = diskIdOf(count, words);
    if (diskId == kParseFailed) return 1;
    const char* sub = subCommandOf(count, words);
    if (sub == nullptr) return 1;
    if (!wordEquals(sub, "dump")) {
        consolePrint("Invalid sub-command '%s' specified.\n", sub);
        return 1;
    }
    std::vector<std::uint8_t> buffer(lib::kBslBufferSize, 0);
    hx_getHBABSL(CONTROLLER_ADDRESS, diskId, buffer.data(), lib::kBslBufferSize);
    const rec::ByteView reply(buffer.data(), buffer.size());
    const auto filled = static_cast<std::int32_t>(reply.get<lib::InfoReplyHeader::BytesFilled>());
    const std::int64_t entries = (static_cast<std::int64_t>(filled) - 64) / 16;
    if (entries == 0) return 1;
    consolePrint("%-10s %-10s %-10s %-8s %-8s\n", "LBA_HI", "LBA", "Count", "Status", "Flags");
    for (std::int64_t i = 0; i < entries && i < lib::kBslEntryCapacity; ++i) {
        const rec::ByteView e = reply.sub(lib::kBslEntriesAt + static_cast<std::size_t>(i) * E::kSize, E::kSize);
        consolePrint("0x%08x 0x%08x 0x%08x 0x%06x 0x%06x\n", e.get<E::LbaHigh>(), e.get<E::LbaLow>(),
                     e.get<E::Count>(), e.get<E::Status>(), e.get<E::Flags>());
    }
    return 1;
}

std::int32_t errorTableCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    const std::uint8_t diskId = diskIdOf(count, words);
    if (diskId == kParseFailed) return 1;
    const char* sub = subCommandOf(count, words);
    if (sub == nullptr || !wordEquals(sub, "dump")) return 1;
    std::vector<std::uint8_t> buffer(lib::kErrorTableBufferSize, 0);
    ControllerDevice* controller = *currentController;
    if (controller != nullptr) {
        if (controller->readErrorTable(diskId, buffer.data())) {
            printErrorTable(diskId, buffer.data(), vendor::kErrorTableSize);
        }
        return 1;
    }
    std::uint8_t request[lib::ErrorTableRequest::kSize] = {};
    const rec::ByteSpan key(request, sizeof request);
    key.put<lib::ErrorTableRequest::DiskId>(diskId);
    key.put<lib::ErrorTableRequest::Kind>(lib::kErrorTableFromStart);
    if (hx_getErrorTable(CONTROLLER_ADDRESS, request, buffer.data(), lib::kErrorTableBufferSize) == 0) {
        printErrorTable(diskId, buffer.data(), buffer.size());
    }
    const rec::ByteSpan table(buffer.data(), buffer.size());
    table.putAt<std::uint32_t>(lib::kErrorTableQueryLbaAt, 100);
    table.putAt<std::uint32_t>(lib::kErrorTableQueryLbaAt + 4, 0);
    key.put<lib::ErrorTableRequest::Kind>(lib::kErrorTableFromLba);
    if (hx_getErrorTable(CONTROLLER_ADDRESS, request, buffer.data(), lib::kErrorTableBufferSize) == 0) {
        printErrorTable(diskId, buffer.data(), buffer.size());
    }
    return 1;
}

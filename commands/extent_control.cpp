// blk and wd: a disk's extents made spare, freed, added to an array, split
// or deleted, and a disk's metadata wiped. Arguments are checked in full
// before anything is sent.

#include "commands/extent_control.h"

#include <cstdint>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/patrol_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

// The disk request of the wipe operations: {disk, 1}, its 16-bit word left 0.
struct DiskRequest {
    std::uint8_t bytes[lib::InfoRequest::kSize] = {};

    explicit DiskRequest(std::uint8_t diskId) {
        const rec::ByteSpan key(bytes, sizeof bytes);
        key.put<lib::InfoRequest::FirstId>(diskId);
        key.put<lib::InfoRequest::Count>(1);
    }
};

struct ExtentRefBytes {
    std::uint8_t bytes[lib::ExtentRef::kSize] = {};

    ExtentRefBytes(std::uint8_t extent, std::uint8_t diskId) {
        const rec::ByteSpan r(bytes, sizeof bytes);
        r.put<lib::ExtentRef::ExtentIndex>(extent);
        r.put<lib::ExtentRef::DiskId>(diskId);
    }
};

// Eight bytes, the assignment in the first six and zeros after them.
struct ExtentAssignmentBytes {
    std::uint8_t bytes[8] = {};

    ExtentAssignmentBytes(std::uint8_t extent, std::uint8_t diskId, std::uint16_t arrayId) {
        const rec::ByteSpan r(bytes, lib::ExtentAssignment::kSize);
        r.put<lib::ExtentAssignment::ExtentIndex>(extent);
        r.put<lib::ExtentAssignment::DiskId>(diskId);
        r.put<lib::ExtentAssignment::ArrayId>(arrayId);
    }
};

const char* wordAt(std::int32_t count, char** words, std::int32_t n) {
    return n < count ? words[n] : nullptr;
}

void spareExtent(std::uint8_t diskId, std::int32_t count, char** words) {
    if (count < 5) {
        consolePrint("Either GLOBAL or array ID must be specified!\n");
        return;
    }
    std::uint16_t arrayId = lib::kExtentGlobal;
    if (!wordEquals(words[4], "global")) {
        const std::uint8_t id = parseArrayId(words[4]);
        if (id == kParseFailed) return;
        arrayId = id;
    }
    const std::uint8_t extent = parseExtentIndex(words[2]);
    if (extent == kParseFailed) return;
    const ExtentAssignmentBytes assignment(extent, diskId, arrayId);
    hx_spareHBAExtent(CONTROLLER_ADDRESS, assignment.bytes);
}

void addExtent(std::uint8_t diskId, std::int32_t count, char** words) {
    const std::uint8_t arrayId = parseArrayId(wordAt(count, words, 4));
    if (arrayId == kParseFailed) return;
    const std::uint8_t extent = parseExtentIndex(words[2]);
    if (extent == kParseFailed) return;
    const ExtentAssignmentBytes assignment(extent, diskId, arrayId);
    hx_addHBAExtentToArray(CONTROLLER_ADDRESS, assignment.bytes);
}

void splitExtent(std::uint8_t diskId, std::int32_t count, char** words) {
    const std::uint8_t extent = parseExtentIndex(words[2]);
    if (extent == kParseFailed) return;
    std::uint32_t offsetMb = 0;
    if (!parseDecimalArg(wordAt(count, words, 4), &offsetMb, "Split block offset")) return;
    const ExtentRefBytes ref(extent, diskId);
    hx_splitHBAExtent(CONTROLLER_ADDRESS, ref.bytes, offsetMb);
}

using RefOperation = std::uint32_t(HXAPI_CALL*)(std::uint32_t, std::uint32_t, std::uint32_t, const void*);

void withExtentRef(std::uint8_t diskId, char** words, RefOperation operation) {
    const std::uint8_t extent = parseExtentIndex(words[2]);
    if (extent == kParseFailed) return;
    const ExtentRefBytes ref(extent, diskId);
    operation(CONTROLLER_ADDRESS, ref.bytes);
}

}  // namespace

std::int32_t extentControlCommand(ControllerDevice**, std::int32_t count, char** words) {
    const std::uint8_t diskId = parseDiskId(wordAt(count, words, 1));
    if (diskId == kParseFailed) return 1;
    if (count < 3) {
        consolePrint("Block control command not specified.\n");
        return 1;
    }
    if (count == 3) {
        if (wordEquals(words[2], "wipe")) {
            const DiskRequest request(diskId);
            hx_removeHBADiskMDD(CONTROLLER_ADDRESS, request.bytes);
        }
        return 1;
    }
    const char* operation = words[3];
    if (wordEquals(operation, "spare")) {
        spareExtent(diskId, count, words);
    } else if (wordEquals(operation, "free")) {
        withExtentRef(diskId, words, hx_freeHBAExtent);
    } else if (wordEquals(operation, "add")) {
        addExtent(diskId, count, words);
    } else if (wordEquals(operation, "split")) {
        splitExtent(diskId, count, words);
    } else if (wordEquals(operation, "delete")) {
        withExtentRef(diskId, words, hx_deleteHBAExtent);
    } else {
        consolePrint("Invalid block control command '%s' specified.\n", operation);
    }
    return 1;
}

std::int32_t wipeDiskCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    const std::uint8_t diskId = parseDiskId(wordAt(count, words, 1));
    if (diskId == kParseFailed) return 1;
    ControllerDevice* controller = *currentController;
    if (controller != nullptr) {
        controller->wipeDiskMetadata(diskId);
        return 1;
    }
    const DiskRequest request(diskId);
    if (hx_removeHBADiskMDD(CONTROLLER_ADDRESS, request.bytes) != 0) {
        consolePrint("Failed to wipe the reserved sector of disk with ID %d!\n", diskId);
    }
    return 1;
}

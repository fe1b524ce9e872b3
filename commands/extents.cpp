// le: the extent tables of the disk records, one line per extent.

#include "commands/extents.h"

#include <cstddef>
#include <vector>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "commands/display.h"
#include "console/context.h"
#include "platform/console.h"

const char* mainStatusOf(std::uint32_t flags) {
    if (flags & lib::EXTENT_REBUILD_RUNNING) return "Rebuild";
    if (flags & lib::EXTENT_REBUILD_ABORTED) return "Rebuild Aborted";
    if (flags & lib::EXTENT_SYNC_RUNNING) return "Sync";
    if (flags & lib::EXTENT_MIGRATION_RUNNING) return "Migrate";
    if (flags & lib::EXTENT_INIT_RUNNING) return "Init";
    if (flags & lib::EXTENT_BACKUP_RUNNING) return "Backup";
    return "Idle";
}

const char* functionalStatusOf(std::uint32_t flags) {
    return (flags & lib::EXTENT_FUNCTIONAL) ? "Functional" : "Offline";
}

const char* assignStatusOf(std::uint32_t flags) {
    if ((flags & lib::EXTENT_ACCESSIBLE) == 0) return "NotAccess";
    if (flags & lib::EXTENT_ASSIGNED) return "Assigned";
    if (flags & lib::EXTENT_GLOBAL_SPARE) return "GlobalSp";
    if (flags & lib::EXTENT_DEDICATED_SPARE) return "DedicateSp";
    if (flags & lib::EXTENT_FREE) return "Free";
    if (flags & lib::EXTENT_BACKUP) return "Backup";
    if (flags & lib::EXTENT_LATEST_BACKUP) return "Latest Backup";
    return "Unknown";
}

const char* smartStatusOf(std::uint32_t flags) {
    return (flags & lib::EXTENT_SMART_FAILURE) ? "Fail" : "OK";
}

int shownArrayId(std::uint16_t arrayId) {
    return arrayId == 255 ? -1 : static_cast<int>(arrayId);
}

namespace {

using P = lib::PhyDrvInfo;
using E = lib::PhyDrvExtent;

constexpr std::uint32_t kHeaderSize = static_cast<std::uint32_t>(lib::InfoReplyHeader::kSize);
constexpr std::uint32_t kRecordSize = static_cast<std::uint32_t>(P::kSize);

// Disk records the reply claims: the filled bytes past the header, taken as
// a signed count, so that a reply filled short of its header lists nothing.
std::int32_t disksClaimed(const rec::ByteView& reply) {
    const std::uint32_t filled = reply.get<lib::InfoReplyHeader::BytesFilled>();
    return static_cast<std::int32_t>(filled - kHeaderSize) / static_cast<std::int32_t>(kRecordSize);
}

// Disk records that lie wholly inside the reply buffer, at most 128.
std::uint32_t disksThatFit(const rec::ByteView& reply) {
    if (reply.size() < kHeaderSize) return 0;
    const std::size_t fit = (reply.size() - kHeaderSize) / kRecordSize;
    return fit < kMaxSlots ? static_cast<std::uint32_t>(fit) : kMaxSlots;
}

void printExtentRow(std::uint16_t diskId, const rec::ByteView& extent) {
    const std::uint32_t flags = extent.get<E::Flags>();
    consolePrint("%6d %5d %5d %8.2f %8.2f %10s %10s %12s %11s\n", static_cast<int>(diskId),
                 static_cast<int>(extent.get<E::Index>()), shownArrayId(extent.get<E::ArrayId>()),
                 sectorsToMegabytes(extent.get<E::Size>()),
                 sectorsToMegabytes(extent.get<E::Start>()), mainStatusOf(flags),
                 functionalStatusOf(flags), assignStatusOf(flags), smartStatusOf(flags));
    if (flags & (lib::EXTENT_BACKUP | lib::EXTENT_LATEST_BACKUP)) {
        // The date text ends the line with its own line break.
        consolePrint("Debug Info: Extent backup date:%s",
                     formatDate(extent.get<E::BackupTime>()).c_str());
    }
}

}  // namespace

void printExtentRows(const rec::ByteView& reply) {
    const std::int32_t claimed = disksClaimed(reply);
    if (claimed <= 0) return;
    const std::uint32_t fit = disksThatFit(reply);
    const std::uint32_t disks = static_cast<std::uint32_t>(claimed) < fit
                                    ? static_cast<std::uint32_t>(claimed)
                                    : fit;
    for (std::uint32_t k = 0; k < disks; ++k) {
        const rec::ByteView disk = reply.sub(kHeaderSize + k * kRecordSize, kRecordSize);
        const std::uint16_t diskId = disk.get<P::DiskId>();
        // The table holds 16 entries; a larger count in use is not believed.
        std::size_t extents = disk.get<P::ExtentCount>();
        if (extents > lib::kMaxExtents) extents = lib::kMaxExtents;
        const rec::ByteView table = disk.sub<P::Extents>();
        for (std::size_t j = 0; j < extents; ++j) {
            printExtentRow(diskId, table.sub(j * E::kSize, E::kSize));
        }
    }
}

std::int32_t listExtentsCommand(ControllerDevice**, std::int32_t, char**) {
    consolePrint("-----------------dumping extents-----------------\n");
    consolePrint("%6s %5s %5s %-8s %8s %12s %12s %12s %12s\n", "DiskID", "Index", "AryID", "Size",
                 "StartLBA", "MainStatus", "FuncStatus", "AssignStatus", "SmartStatus");
    // The extents come from the library in either mode. The reply's
    // buffer-size field stays 0; the library goes by the size passed.
    std::vector<std::uint8_t> buffer(lib::InfoReplyHeader::kSize + kMaxSlots * P::kSize, 0);
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(0);
    request.put<lib::InfoRequest::Count>(kMaxSlots);
    request.put<lib::InfoRequest::Selector>(0);
    hx_getPhyDrvInfo(CONTROLLER_ADDRESS, requestBytes, buffer.data(),
                     static_cast<std::uint32_t>(buffer.size()));
    printExtentRows(rec::ByteView(buffer.data(), buffer.size()));
    return 1;
}

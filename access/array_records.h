#pragma once
// Records of array creation and deletion, and of background activities:
// what the console hands to the library and sends to the driver, and the
// progress and status records it reads back.

#include <cstdint>

#include "access/code_tables.h"
#include "access/driver_protocol.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

constexpr std::size_t kMaxLibraryMembers = 256;

// One member of a new array: the extent on the disk and the disk.
struct ArrayMember {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (ExtentIndex, LeField<std::uint32_t, 0>),
        (DiskId, LeField<std::uint32_t, 4>))
};
static_assert(rec::checkLayout<ArrayMember>());

// hx_addHBAArray's request.
struct ArrayCreateRequest {
    static constexpr std::size_t kSize = 2160;
    REC_FIELDS(
        (StripeSize, LeField<std::uint32_t, 0>),  // as typed, in 512-byte sectors
        (Reserved4, LeField<std::uint32_t, 4>),  // meaning unknown; always 0
        (SizeMb, LeField<std::uint32_t, 16>),     // ca2 only
        (Reserved20, LeField<std::uint32_t, 20>),  // meaning unknown; always 0
        (Name, Bytes<24, 64>),
        (RaidLevel, LeField<std::uint16_t, 88>),
        (InitKind, LeField<std::uint8_t, 90>),
        (Flag91, LeField<std::uint8_t, 91>),  // meaning unknown; always 1
        (RoundingScheme, LeField<std::uint8_t, 92>),
        (CreationMethod, LeField<std::uint8_t, 93>),  // 0: extents given, 3: size given
        (MemberCount, LeField<std::uint8_t, 94>),
        (ParityCount, LeField<std::uint8_t, 95>),
        (Symmetric, LeField<std::uint8_t, 96>),
        (Shift, LeField<std::int16_t, 98>),
        (SubArrayCount, LeField<std::uint8_t, 100>),
        (Reserved104, LeField<std::uint8_t, 104>),  // meaning unknown; 0 (ca2 sets it)
        (SectorSize, LeField<std::uint32_t, 108>),
        (Members, Bytes<112, kMaxLibraryMembers * ArrayMember::kSize>))
};
static_assert(rec::checkLayout<ArrayCreateRequest>());
static_assert(ArrayCreateRequest::Members::offset + ArrayCreateRequest::Members::width ==
              ArrayCreateRequest::kSize);

constexpr std::uint8_t kCreateFromExtents = 0;
constexpr std::uint8_t kCreateFromSize = 3;

// hx_delDiskArray's list of arrays to delete.
struct ArrayIdList {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (Count, LeField<std::uint32_t, 0>),
        (ArrayId, LeField<std::uint32_t, 4>))
};
static_assert(rec::checkLayout<ArrayIdList>());

// One target of hx_startHBARebuildExtent.
struct RebuildTarget {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (ArrayId, LeField<std::uint32_t, 0>),
        (DiskId, LeField<std::uint32_t, 4>),
        (ExtentIndex, LeField<std::uint32_t, 8>))  // FFFFFFFFh: none given
};
static_assert(rec::checkLayout<RebuildTarget>());
constexpr std::uint32_t kNoExtent = 0xFFFFFFFFu;
constexpr std::size_t kMaxBackupTargets = 20;
constexpr std::uint16_t kBackupListEnd = 0xFFFF;

// One target of hx_startHBABackup. The list carries no count: the console
// passes room for kMaxBackupTargets + 1 entries, filled with FFh bytes past
// the last target, and the library reads up to the first entry whose array
// id is FFFFh.
struct BackupTarget {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (ArrayId, LeField<std::uint16_t, 0>),
        (DiskId, LeField<std::uint16_t, 2>))
};
static_assert(rec::checkLayout<BackupTarget>());

struct LogDrvInitRequest {
    static constexpr std::size_t kSize = 524;
    REC_FIELDS(
        (ArrayId, LeField<std::uint32_t, 0>),
        (Kind, LeField<std::uint8_t, 4>),  // library code: 1 quick, 2 fore, 4 back
        // Not used by the console's request; both hold FFFFh.
        (Unused6, LeField<std::uint16_t, 6>),
        (Unused8, LeField<std::uint16_t, 8>))
};
static_assert(rec::checkLayout<LogDrvInitRequest>());

struct RedundancyCheckRequest {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (ArrayId, LeField<std::uint32_t, 0>),
        (Kind, LeField<std::uint8_t, 4>),  // 0 synchronise, 1 check
        (Reserved5, LeField<std::uint8_t, 5>))  // meaning unknown; always 0
};
static_assert(rec::checkLayout<RedundancyCheckRequest>());

// The array an activity control addresses; 12 bytes for the rebuild ones.
struct ActivityRef {
    static constexpr std::size_t kSize = 12;
    REC_FIELDS(
        (ArrayId, LeField<std::uint32_t, 0>),
        (Reserved8, LeField<std::uint32_t, 8>))  // read by the rebuild operations; meaning unknown, 0
};
static_assert(rec::checkLayout<ActivityRef>());

struct MigrationMember {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (ExtentIndex, LeField<std::uint32_t, 0>),
        (DiskId, LeField<std::uint32_t, 4>))
};
static_assert(rec::checkLayout<MigrationMember>());

struct MigrationRequest {
    static constexpr std::size_t kSize = 2064;
    REC_FIELDS(
        (ArrayId, LeField<std::uint16_t, 0>),
        (MemberCount, LeField<std::uint16_t, 2>),
        (RaidLevel, LeField<std::uint16_t, 4>),
        (Fixed6, LeField<std::uint16_t, 6>),  // meaning unknown; always 128
        (SubArrayCount, LeField<std::uint8_t, 8>),
        (ParityCount, LeField<std::uint8_t, 9>),
        (Symmetric, LeField<std::uint8_t, 10>),
        (DisksOnly, LeField<std::uint8_t, 11>),  // 1: disks without extents, 0: with
        (Shift, LeField<std::int16_t, 12>),
        (Members, Bytes<16, kMaxLibraryMembers * MigrationMember::kSize>))
};
static_assert(rec::checkLayout<MigrationRequest>());
static_assert(MigrationRequest::Members::offset + MigrationRequest::Members::width ==
              MigrationRequest::kSize);

// Progress replies; each starts with a 64-byte header.
constexpr std::uint8_t kProgressIdle = 2;    // rebuild and backup only
constexpr std::uint8_t kProgressPaused = 3;
constexpr std::uint8_t kProgressRunning = 1;

struct RebuildProgress {  // also the backup's
    static constexpr std::size_t kSize = 88;
    REC_FIELDS(
        (State, LeField<std::uint8_t, 64>),
        (Percent, LeField<std::uint8_t, 66>))
};
static_assert(rec::checkLayout<RebuildProgress>());

struct RedundancyCheckProgress {
    static constexpr std::size_t kSize = 72;
    REC_FIELDS(
        (State, LeField<std::uint8_t, 70>),
        (Percent, LeField<std::uint8_t, 71>))
};
static_assert(rec::checkLayout<RedundancyCheckProgress>());

struct LogDrvInitProgress {
    static constexpr std::size_t kSize = 524;
    REC_FIELDS(
        (State, LeField<std::uint8_t, 70>),
        (Percent, LeField<std::uint8_t, 71>))
};
static_assert(rec::checkLayout<LogDrvInitProgress>());

struct MigrationProgress {
    static constexpr std::size_t kSize = 208;
    REC_FIELDS(
        (Percent, LeField<std::uint16_t, 68>),
        (State, LeField<std::uint8_t, 70>))
};
static_assert(rec::checkLayout<MigrationProgress>());

}  // namespace lib

namespace drv {

// createArray's parameter block.
struct ArrayCreateBlock {
    static constexpr std::size_t kSize = 872;
    static constexpr std::size_t kMaxDisks = kSize - 120;
    REC_FIELDS(
        (InitKind, rec::LeField<std::uint8_t, 1>),
        (RaidLevel, rec::LeField<std::uint8_t, 2>),  // driver code
        (RoundingScheme, rec::LeField<std::uint8_t, 3>),
        // Meaning unknown; the console sets both to 1.
        (Flag5, rec::LeField<std::uint8_t, 5>),
        (Flag7, rec::LeField<std::uint8_t, 7>),
        (StripeSize, rec::LeField<std::uint32_t, 8>),
        (Name, rec::Bytes<28, 64>),
        (SectorSize, rec::LeField<std::uint32_t, 92>),
        (DiskCount, rec::LeField<std::uint8_t, 96>),
        (Disks, rec::Bytes<120, kMaxDisks>))
};
static_assert(rec::checkLayout<ArrayCreateBlock>());

// startMigration's data.
struct MigrationBlock {
    static constexpr std::size_t kSize = 800;
    static constexpr std::size_t kMaxDisks = kSize - 40;
    REC_FIELDS(
        (Reserved0, rec::LeField<std::uint8_t, 0>),  // meaning unknown; always 0
        (RaidLevel, rec::LeField<std::uint8_t, 1>),  // driver code
        (DiskCount, rec::LeField<std::uint8_t, 24>),
        (Disks, rec::Bytes<40, kMaxDisks>))
};
static_assert(rec::checkLayout<MigrationBlock>());

// readArrayStatus's reply.
struct ArrayStatusReply {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (Status, rec::LeField<std::uint8_t, 0>),         // ARRAY_STATUS_...
        (Configuration, rec::LeField<std::uint8_t, 1>),  // CONFIGURATION_...
        (ActivityKind, rec::LeField<std::uint8_t, 2>),   // BGA_KIND_...
        (ActivityState, rec::LeField<std::uint8_t, 3>),  // BGA_STATE_...
        (Percent, rec::LeField<std::uint16_t, 4>))
};
static_assert(rec::checkLayout<ArrayStatusReply>());

// One entry of readArrayActivityInfo.
struct ArrayActivityEntry {
    static constexpr std::size_t kSize = 144;
    REC_FIELDS(
        (StartTime, rec::LeField<std::uint32_t, 128>),
        (ResumeTime, rec::LeField<std::uint32_t, 132>))
};
static_assert(rec::checkLayout<ArrayActivityEntry>());
static_assert(ArrayActivityEntry::kSize == kArrayActivityEntrySize);

}  // namespace drv

#pragma once
// Records of array creation and deletion, and of background activities:
// what the console hands to the library and sends to the driver, and the
// progress and status records it reads back.

#include <cstdint>

#include "access/code_tables.h"
#include "access/driver_protocol.h"
#include "access/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

constexpr std::size_t kMaxLibraryMembers = 256;

// One member of a new array: the extent on the disk and the disk.
struct ArrayMember {
    static constexpr std::size_t kSize = 8;
    using ExtentIndex = LeField<std::uint32_t, 0>;
    using DiskId = LeField<std::uint32_t, 4>;
};
static_assert(rec::checkLayout<ArrayMember, ArrayMember::ExtentIndex, ArrayMember::DiskId>());

// hx_addHBAArray's request.
struct ArrayCreateRequest {
    static constexpr std::size_t kSize = 2160;
    using StripeSize = LeField<std::uint32_t, 0>;  // as typed, in 512-byte sectors
    using Zero4 = LeField<std::uint32_t, 4>;
    using SizeMb = LeField<std::uint32_t, 16>;     // ca2 only
    using Zero20 = LeField<std::uint32_t, 20>;
    using Name = Bytes<24, 64>;
    using RaidLevel = LeField<std::uint16_t, 88>;
    using InitKind = LeField<std::uint8_t, 90>;
    using One = LeField<std::uint8_t, 91>;
    using RoundingScheme = LeField<std::uint8_t, 92>;
    using CreationMethod = LeField<std::uint8_t, 93>;  // 0: extents given, 3: size given
    using MemberCount = LeField<std::uint8_t, 94>;
    using ParityCount = LeField<std::uint8_t, 95>;
    using Symmetric = LeField<std::uint8_t, 96>;
    using Shift = LeField<std::int16_t, 98>;
    using SubArrayCount = LeField<std::uint8_t, 100>;
    using Zero104 = LeField<std::uint8_t, 104>;
    using SectorSize = LeField<std::uint32_t, 108>;
    using Members = Bytes<112, kMaxLibraryMembers * ArrayMember::kSize>;
};
static_assert(rec::checkLayout<ArrayCreateRequest, ArrayCreateRequest::StripeSize,
                               ArrayCreateRequest::Zero4, ArrayCreateRequest::SizeMb,
                               ArrayCreateRequest::Zero20, ArrayCreateRequest::Name,
                               ArrayCreateRequest::RaidLevel, ArrayCreateRequest::InitKind,
                               ArrayCreateRequest::One, ArrayCreateRequest::RoundingScheme,
                               ArrayCreateRequest::CreationMethod, ArrayCreateRequest::MemberCount,
                               ArrayCreateRequest::ParityCount, ArrayCreateRequest::Symmetric,
                               ArrayCreateRequest::Shift, ArrayCreateRequest::SubArrayCount,
                               ArrayCreateRequest::Zero104, ArrayCreateRequest::SectorSize,
                               ArrayCreateRequest::Members>());
static_assert(ArrayCreateRequest::Members::offset + ArrayCreateRequest::Members::width ==
              ArrayCreateRequest::kSize);

constexpr std::uint8_t kCreateFromExtents = 0;
constexpr std::uint8_t kCreateFromSize = 3;

// hx_delDiskArray's list of arrays to delete.
struct ArrayIdList {
    static constexpr std::size_t kSize = 8;
    using Count = LeField<std::uint32_t, 0>;
    using ArrayId = LeField<std::uint32_t, 4>;
};
static_assert(rec::checkLayout<ArrayIdList, ArrayIdList::Count, ArrayIdList::ArrayId>());

// One target of hx_startHBARebuildExtent.
struct RebuildTarget {
    static constexpr std::size_t kSize = 16;
    using ArrayId = LeField<std::uint32_t, 0>;
    using DiskId = LeField<std::uint32_t, 4>;
    using ExtentIndex = LeField<std::uint32_t, 8>;  // FFFFFFFFh: none given
};
static_assert(rec::checkLayout<RebuildTarget, RebuildTarget::ArrayId, RebuildTarget::DiskId,
                               RebuildTarget::ExtentIndex>());
constexpr std::uint32_t kNoExtent = 0xFFFFFFFFu;
constexpr std::size_t kMaxBackupTargets = 20;
constexpr std::uint16_t kBackupListEnd = 0xFFFF;

// One target of hx_startHBABackup. The list carries no count: the console
// passes room for kMaxBackupTargets + 1 entries, filled with FFh bytes past
// the last target, and the library reads up to the first entry whose array
// id is FFFFh.
struct BackupTarget {
    static constexpr std::size_t kSize = 16;
    using ArrayId = LeField<std::uint16_t, 0>;
    using DiskId = LeField<std::uint16_t, 2>;
};
static_assert(rec::checkLayout<BackupTarget, BackupTarget::ArrayId, BackupTarget::DiskId>());

struct LogDrvInitRequest {
    static constexpr std::size_t kSize = 524;
    using ArrayId = LeField<std::uint32_t, 0>;
    using Kind = LeField<std::uint8_t, 4>;  // library code: 1 quick, 2 fore, 4 back
    using Word6 = LeField<std::uint16_t, 6>;
    using Word8 = LeField<std::uint16_t, 8>;
};
static_assert(rec::checkLayout<LogDrvInitRequest, LogDrvInitRequest::ArrayId,
                               LogDrvInitRequest::Kind, LogDrvInitRequest::Word6,
                               LogDrvInitRequest::Word8>());

struct RedundancyCheckRequest {
    static constexpr std::size_t kSize = 8;
    using ArrayId = LeField<std::uint32_t, 0>;
    using Kind = LeField<std::uint8_t, 4>;  // 0 synchronise, 1 check
    using Zero5 = LeField<std::uint8_t, 5>;
};
static_assert(rec::checkLayout<RedundancyCheckRequest, RedundancyCheckRequest::ArrayId,
                               RedundancyCheckRequest::Kind, RedundancyCheckRequest::Zero5>());

// The array an activity control addresses; 12 bytes for the rebuild ones.
struct ActivityRef {
    static constexpr std::size_t kSize = 12;
    using ArrayId = LeField<std::uint32_t, 0>;
    using Zero8 = LeField<std::uint32_t, 8>;
};
static_assert(rec::checkLayout<ActivityRef, ActivityRef::ArrayId, ActivityRef::Zero8>());

struct MigrationMember {
    static constexpr std::size_t kSize = 8;
    using ExtentIndex = LeField<std::uint32_t, 0>;
    using DiskId = LeField<std::uint32_t, 4>;
};
static_assert(rec::checkLayout<MigrationMember, MigrationMember::ExtentIndex,
                               MigrationMember::DiskId>());

struct MigrationRequest {
    static constexpr std::size_t kSize = 2064;
    using ArrayId = LeField<std::uint16_t, 0>;
    using MemberCount = LeField<std::uint16_t, 2>;
    using RaidLevel = LeField<std::uint16_t, 4>;
    using Fixed80 = LeField<std::uint16_t, 6>;  // always 128
    using SubArrayCount = LeField<std::uint8_t, 8>;
    using ParityCount = LeField<std::uint8_t, 9>;
    using Symmetric = LeField<std::uint8_t, 10>;
    using DisksOnly = LeField<std::uint8_t, 11>;  // 1: disks without extents, 0: with
    using Shift = LeField<std::int16_t, 12>;
    using Members = Bytes<16, kMaxLibraryMembers * MigrationMember::kSize>;
};
static_assert(rec::checkLayout<MigrationRequest, MigrationRequest::ArrayId,
                               MigrationRequest::MemberCount, MigrationRequest::RaidLevel,
                               MigrationRequest::Fixed80, MigrationRequest::SubArrayCount,
                               MigrationRequest::ParityCount, MigrationRequest::Symmetric,
                               MigrationRequest::DisksOnly, MigrationRequest::Shift,
                               MigrationRequest::Members>());
static_assert(MigrationRequest::Members::offset + MigrationRequest::Members::width ==
              MigrationRequest::kSize);

// Progress replies; each starts with a 64-byte header.
constexpr std::uint8_t kProgressIdle = 2;    // rebuild and backup only
constexpr std::uint8_t kProgressPaused = 3;
constexpr std::uint8_t kProgressRunning = 1;

struct RebuildProgress {  // also the backup's
    static constexpr std::size_t kSize = 88;
    using State = LeField<std::uint8_t, 64>;
    using Percent = LeField<std::uint8_t, 66>;
};
static_assert(rec::checkLayout<RebuildProgress, RebuildProgress::State, RebuildProgress::Percent>());

struct RedundancyCheckProgress {
    static constexpr std::size_t kSize = 72;
    using State = LeField<std::uint8_t, 70>;
    using Percent = LeField<std::uint8_t, 71>;
};
static_assert(rec::checkLayout<RedundancyCheckProgress, RedundancyCheckProgress::State,
                               RedundancyCheckProgress::Percent>());

struct LogDrvInitProgress {
    static constexpr std::size_t kSize = 524;
    using State = LeField<std::uint8_t, 70>;
    using Percent = LeField<std::uint8_t, 71>;
};
static_assert(rec::checkLayout<LogDrvInitProgress, LogDrvInitProgress::State,
                               LogDrvInitProgress::Percent>());

struct MigrationProgress {
    static constexpr std::size_t kSize = 208;
    using Percent = LeField<std::uint16_t, 68>;
    using State = LeField<std::uint8_t, 70>;
};
static_assert(rec::checkLayout<MigrationProgress, MigrationProgress::Percent,
                               MigrationProgress::State>());

}  // namespace lib

namespace drv {

// createArray's parameter block.
struct ArrayCreateBlock {
    static constexpr std::size_t kSize = 872;
    static constexpr std::size_t kMaxDisks = kSize - 120;
    using InitKind = rec::LeField<std::uint8_t, 1>;
    using RaidLevel = rec::LeField<std::uint8_t, 2>;  // driver code
    using RoundingScheme = rec::LeField<std::uint8_t, 3>;
    using One5 = rec::LeField<std::uint8_t, 5>;
    using One7 = rec::LeField<std::uint8_t, 7>;
    using StripeSize = rec::LeField<std::uint32_t, 8>;
    using Name = rec::Bytes<28, 64>;
    using SectorSize = rec::LeField<std::uint32_t, 92>;
    using DiskCount = rec::LeField<std::uint8_t, 96>;
    using Disks = rec::Bytes<120, kMaxDisks>;
};
static_assert(rec::checkLayout<ArrayCreateBlock, ArrayCreateBlock::InitKind,
                               ArrayCreateBlock::RaidLevel, ArrayCreateBlock::RoundingScheme,
                               ArrayCreateBlock::One5, ArrayCreateBlock::One7,
                               ArrayCreateBlock::StripeSize, ArrayCreateBlock::Name,
                               ArrayCreateBlock::SectorSize, ArrayCreateBlock::DiskCount,
                               ArrayCreateBlock::Disks>());

// startMigration's data.
struct MigrationBlock {
    static constexpr std::size_t kSize = 800;
    static constexpr std::size_t kMaxDisks = kSize - 40;
    using Zero0 = rec::LeField<std::uint8_t, 0>;
    using RaidLevel = rec::LeField<std::uint8_t, 1>;  // driver code
    using DiskCount = rec::LeField<std::uint8_t, 24>;
    using Disks = rec::Bytes<40, kMaxDisks>;
};
static_assert(rec::checkLayout<MigrationBlock, MigrationBlock::Zero0, MigrationBlock::RaidLevel,
                               MigrationBlock::DiskCount, MigrationBlock::Disks>());

// readArrayStatus's reply.
struct ArrayStatusReply {
    static constexpr std::size_t kSize = 8;
    using Status = rec::LeField<std::uint8_t, 0>;         // ARRAY_STATUS_...
    using Configuration = rec::LeField<std::uint8_t, 1>;  // CONFIGURATION_...
    using ActivityKind = rec::LeField<std::uint8_t, 2>;   // BGA_KIND_...
    using ActivityState = rec::LeField<std::uint8_t, 3>;  // BGA_STATE_...
    using Percent = rec::LeField<std::uint16_t, 4>;
};
static_assert(rec::checkLayout<ArrayStatusReply, ArrayStatusReply::Status,
                               ArrayStatusReply::Configuration, ArrayStatusReply::ActivityKind,
                               ArrayStatusReply::ActivityState, ArrayStatusReply::Percent>());

// One entry of readArrayActivityInfo.
struct ArrayActivityEntry {
    static constexpr std::size_t kSize = 144;
    using StartTime = rec::LeField<std::uint32_t, 128>;
    using ResumeTime = rec::LeField<std::uint32_t, 132>;
};
static_assert(rec::checkLayout<ArrayActivityEntry, ArrayActivityEntry::StartTime,
                               ArrayActivityEntry::ResumeTime>());
static_assert(ArrayActivityEntry::kSize == kArrayActivityEntrySize);

}  // namespace drv

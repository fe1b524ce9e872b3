#pragma once
// Records exchanged with the management library: request keys, the reply
// header, and the disk, extent, array, controller, driver and host records.
// Each is a fixed little-endian layout read and written through rec::ByteView
// and rec::ByteSpan.

#include <cstdint>

#include "access/code_tables.h"
#include "access/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// Request key of the query operations.
struct InfoRequest {
    static constexpr std::size_t kSize = 12;
    using FirstId = LeField<std::uint32_t, 0>;
    using Count = LeField<std::uint32_t, 4>;  // in: wanted; out: returned
    using Word = LeField<std::uint16_t, 8>;   // disk queries: 255 or 0; controller info: the kind
};
static_assert(rec::checkLayout<InfoRequest, InfoRequest::FirstId, InfoRequest::Count,
                               InfoRequest::Word>());

// Header of every list reply; the records follow from offset 64.
struct InfoReplyHeader {
    static constexpr std::size_t kSize = 64;
    using BufferSize = LeField<std::uint32_t, 32>;
    using BytesFilled = LeField<std::uint32_t, 36>;  // header included
};
static_assert(rec::checkLayout<InfoReplyHeader, InfoReplyHeader::BufferSize,
                               InfoReplyHeader::BytesFilled>());

// One extent of a disk: free, spare or part of an array.
struct PhyDrvExtent {
    static constexpr std::size_t kSize = 32;
    using Index = LeField<std::uint16_t, 0>;
    using Flags = LeField<std::uint32_t, 4>;
    using ArrayId = LeField<std::uint16_t, 8>;      // 255: none
    using BackupTime = LeField<std::uint32_t, 10>;  // not aligned
    using Start = LeField<std::uint64_t, 16>;
    using Size = LeField<std::uint64_t, 24>;
};
static_assert(rec::checkLayout<PhyDrvExtent, PhyDrvExtent::Index, PhyDrvExtent::Flags,
                               PhyDrvExtent::ArrayId, PhyDrvExtent::BackupTime,
                               PhyDrvExtent::Start, PhyDrvExtent::Size>());

// Extent flag bits.
constexpr std::uint32_t EXTENT_ASSIGNED = 0x1;
constexpr std::uint32_t EXTENT_GLOBAL_SPARE = 0x2;
constexpr std::uint32_t EXTENT_DEDICATED_SPARE = 0x4;
constexpr std::uint32_t EXTENT_BACKUP = 0x8;
constexpr std::uint32_t EXTENT_LATEST_BACKUP = 0x10;
constexpr std::uint32_t EXTENT_SYNC_RUNNING = 0x100;
constexpr std::uint32_t EXTENT_INIT_RUNNING = 0x200;
constexpr std::uint32_t EXTENT_MIGRATION_RUNNING = 0x1000;
constexpr std::uint32_t EXTENT_BACKUP_RUNNING = 0x8000;
constexpr std::uint32_t EXTENT_SMART_FAILURE = 0x20000;
constexpr std::uint32_t EXTENT_FREE = 0x200000;
constexpr std::uint32_t EXTENT_ACCESSIBLE = 0x400000;
constexpr std::uint32_t EXTENT_FUNCTIONAL = 0x1000000;
constexpr std::uint32_t EXTENT_REBUILD_RUNNING = 0x8000000;
constexpr std::uint32_t EXTENT_REBUILD_ABORTED = 0x10000000;

constexpr std::size_t kMaxExtents = 16;

// One physical disk.
struct PhyDrvInfo {
    static constexpr std::size_t kSize = 664;
    using DiskId = LeField<std::uint16_t, 4>;
    using Channel = LeField<std::uint16_t, 10>;
    using EnclosureId = LeField<std::uint16_t, 14>;  // 255: not in an enclosure
    using CarrierId = LeField<std::uint16_t, 16>;
    using Sectors = LeField<std::uint64_t, 24>;
    using ModelFirst = Bytes<64, 22>;
    using Serial = Bytes<86, 24>;
    using Firmware = Bytes<110, 10>;
    using ModelSecond = Bytes<120, 18>;
    using Speed3gSupported = LeField<std::uint8_t, 149>;
    using Speed3gEnabled = LeField<std::uint8_t, 150>;
    using ExtentCount = LeField<std::uint8_t, 151>;
    using Extents = Bytes<152, kMaxExtents * PhyDrvExtent::kSize>;
};
static_assert(rec::checkLayout<PhyDrvInfo, PhyDrvInfo::DiskId, PhyDrvInfo::Channel,
                               PhyDrvInfo::EnclosureId, PhyDrvInfo::CarrierId, PhyDrvInfo::Sectors,
                               PhyDrvInfo::ModelFirst, PhyDrvInfo::Serial, PhyDrvInfo::Firmware,
                               PhyDrvInfo::ModelSecond, PhyDrvInfo::Speed3gSupported,
                               PhyDrvInfo::Speed3gEnabled, PhyDrvInfo::ExtentCount,
                               PhyDrvInfo::Extents>());
static_assert(PhyDrvInfo::ModelFirst::offset + PhyDrvInfo::ModelFirst::width ==
              PhyDrvInfo::Serial::offset);

// One array (logical drive).
struct LogDrvInfo {
    static constexpr std::size_t kSize = 200;
    static constexpr std::size_t kMaxMembers = 32;
    using ArrayId = LeField<std::uint16_t, 0>;
    using RaidLevel = LeField<std::uint8_t, 2>;
    using Flags = LeField<std::uint32_t, 4>;  // ldhx_Flags
    using CacheMode = LeField<std::uint32_t, 8>;
    using Sectors = LeField<std::uint64_t, 12>;
    using RawSize = LeField<std::uint64_t, 20>;
    using MemberCount = LeField<std::uint16_t, 38>;
    using Lookahead = LeField<std::uint32_t, 40>;
    using StripeKb = LeField<std::uint32_t, 44>;
    using ArrayNumber = LeField<std::uint16_t, 48>;
    using Name = Bytes<52, 84>;
    using Members = Bytes<136, kMaxMembers>;
    using ParityCount = LeField<std::uint8_t, 168>;
    using Symmetric = LeField<std::uint8_t, 169>;
    using ParityShift = LeField<std::int16_t, 170>;
    using SubArrayCount = LeField<std::uint8_t, 172>;
    using StartTime = LeField<std::uint32_t, 176>;
    using ResumeTime = LeField<std::uint32_t, 180>;  // 0xFFFFFFFF: never resumed
    using SectorSize = LeField<std::uint32_t, 184>;
};
static_assert(rec::checkLayout<LogDrvInfo, LogDrvInfo::ArrayId, LogDrvInfo::RaidLevel,
                               LogDrvInfo::Flags, LogDrvInfo::CacheMode, LogDrvInfo::Sectors,
                               LogDrvInfo::RawSize, LogDrvInfo::MemberCount, LogDrvInfo::Lookahead,
                               LogDrvInfo::StripeKb, LogDrvInfo::ArrayNumber, LogDrvInfo::Name,
                               LogDrvInfo::Members, LogDrvInfo::ParityCount, LogDrvInfo::Symmetric,
                               LogDrvInfo::ParityShift, LogDrvInfo::SubArrayCount,
                               LogDrvInfo::StartTime, LogDrvInfo::ResumeTime,
                               LogDrvInfo::SectorSize>());

// ldhx_Flags bits.
constexpr std::uint32_t LOGDRV_VALID = 0x1;
constexpr std::uint32_t LOGDRV_OPERATION_REBUILD = 0x100;
constexpr std::uint32_t LOGDRV_OPERATION_INIT = 0x200;
constexpr std::uint32_t LOGDRV_OPERATION_SYNC = 0x400;
constexpr std::uint32_t LOGDRV_OPERATION_CHECK = 0x800;
constexpr std::uint32_t LOGDRV_OPERATION_MIGRATION = 0x1000;
constexpr std::uint32_t LOGDRV_OPERATION_BACKUP = 0x2000;
constexpr std::uint32_t LOGDRV_COND_BACKUPED = 0x80000;
constexpr std::uint32_t LOGDRV_COND_BACKUPING = 0x100000;
constexpr std::uint32_t LOGDRV_COND_BACKUP = 0x200000;
constexpr std::uint32_t LOGDRV_COND_FUNCTIONAL = 0x1000000;
constexpr std::uint32_t LOGDRV_COND_CRITICAL = 0x2000000;
constexpr std::uint32_t LOGDRV_COND_DEGRADED = 0x4000000;

// Kinds of controller record hx_getControllerInfo returns.
constexpr std::uint16_t kControllerInfoAdapter = 0;
constexpr std::uint16_t kControllerInfoFirmware = 2;

// The controller itself.
struct AdapterInfo {
    static constexpr std::size_t kSize = 432;
    using DeviceId = LeField<std::uint16_t, 68>;
    using DegradedArrays = LeField<std::uint16_t, 70>;
    using ProductId = LeField<std::uint32_t, 72>;
    using SubProductId = LeField<std::uint32_t, 76>;
    using BiosVersion = Bytes<300, 16>;  // four 32-bit parts
    using MemoryType = LeField<std::uint8_t, 329>;  // non-zero: ECC
    using MemorySizeMb = LeField<std::uint32_t, 332>;
    using ArraysPresent = LeField<std::uint16_t, 338>;
    using ArraysOnline = LeField<std::uint16_t, 340>;
    using ArraysOffline = LeField<std::uint16_t, 342>;
    using ArraysCritical = LeField<std::uint16_t, 344>;
    using DisksPresent = LeField<std::uint16_t, 348>;
};
static_assert(rec::checkLayout<AdapterInfo, AdapterInfo::DeviceId, AdapterInfo::DegradedArrays,
                               AdapterInfo::ProductId, AdapterInfo::SubProductId,
                               AdapterInfo::BiosVersion, AdapterInfo::MemoryType,
                               AdapterInfo::MemorySizeMb, AdapterInfo::ArraysPresent,
                               AdapterInfo::ArraysOnline, AdapterInfo::ArraysOffline,
                               AdapterInfo::ArraysCritical, AdapterInfo::DisksPresent>());

struct AdapterFirmwareInfo {
    static constexpr std::size_t kSize = 88;
    using FirmwareVersion = Bytes<72, 16>;  // four 32-bit parts
};
static_assert(rec::checkLayout<AdapterFirmwareInfo, AdapterFirmwareInfo::FirmwareVersion>());

struct DriverInfo {
    static constexpr std::size_t kSize = 140;
    using DriverVersion = Bytes<0, 16>;  // four 32-bit parts
};
static_assert(rec::checkLayout<DriverInfo, DriverInfo::DriverVersion>());

struct HostInfo {
    static constexpr std::size_t kSize = 520;
    using OsVersion = Bytes<64, kSize - 64>;
};
static_assert(rec::checkLayout<HostInfo, HostInfo::OsVersion>());

}  // namespace lib

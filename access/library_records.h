#pragma once
// Records exchanged with the management library: request keys, the reply
// header, and the disk, extent, array, controller, driver and host records.
// Each is a fixed little-endian layout read and written through rec::ByteView
// and rec::ByteSpan.

#include <cstdint>

#include "access/code_tables.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// hx_initialize's block.
struct InitBlock {
    static constexpr std::size_t kSize = 256;
    REC_FIELDS(
        (ErrorHandler, LeField<std::uint32_t, 0>),  // the faultlog handle
        (Magic, LeField<std::uint32_t, 8>),
        // Set to 1; its meaning is not known.
        (Flag12, LeField<std::uint8_t, 12>))
};
static_assert(rec::checkLayout<InitBlock>());
constexpr std::uint32_t kInitMagic = 0xBABA0001u;

// hx_getDiscoverPath's reply.
struct DiscoverPath {
    static constexpr std::size_t kSize = 72;
    REC_FIELDS(
        (Path, Bytes<0, 64>),
        (ControllerId, LeField<std::uint16_t, 64>),  // PCI device id
        (SubsystemId, LeField<std::uint16_t, 68>))
};
static_assert(rec::checkLayout<DiscoverPath>());
// The buffer handed to hx_getDiscoverPath.
constexpr std::uint32_t kDiscoverPathBufferSize = 65536;

// Request key of the query operations.
struct InfoRequest {
    static constexpr std::size_t kSize = 12;
    REC_FIELDS(
        (FirstId, LeField<std::uint32_t, 0>),
        (Count, LeField<std::uint32_t, 4>),  // in: wanted; out: returned
        (Selector, LeField<std::uint16_t, 8>))  // disk queries: 255 or 0; controller info: the kind
};
static_assert(rec::checkLayout<InfoRequest>());

// Header of every list reply; the records follow from offset 64.
struct InfoReplyHeader {
    static constexpr std::size_t kSize = 64;
    REC_FIELDS(
        (BufferSize, LeField<std::uint32_t, 32>),
        (BytesFilled, LeField<std::uint32_t, 36>))  // header included
};
static_assert(rec::checkLayout<InfoReplyHeader>());

// One extent of a disk: free, spare or part of an array.
struct PhyDrvExtent {
    static constexpr std::size_t kSize = 32;
    REC_FIELDS(
        (Index, LeField<std::uint16_t, 0>),
        (Flags, LeField<std::uint32_t, 4>),
        (ArrayId, LeField<std::uint16_t, 8>),      // 255: none
        (BackupTime, LeField<std::uint32_t, 10>),  // not aligned
        (Start, LeField<std::uint64_t, 16>),
        (Size, LeField<std::uint64_t, 24>))
};
static_assert(rec::checkLayout<PhyDrvExtent>());

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
    REC_FIELDS(
        (DiskId, LeField<std::uint16_t, 4>),
        (Channel, LeField<std::uint16_t, 10>),
        (EnclosureId, LeField<std::uint16_t, 14>),  // 255: not in an enclosure
        (CarrierId, LeField<std::uint16_t, 16>),
        (Sectors, LeField<std::uint64_t, 24>),
        (ModelFirst, Bytes<64, 22>),
        (Serial, Bytes<86, 24>),
        (Firmware, Bytes<110, 10>),
        (ModelSecond, Bytes<120, 18>),
        (Speed3gSupported, LeField<std::uint8_t, 149>),
        (Speed3gEnabled, LeField<std::uint8_t, 150>),
        (ExtentCount, LeField<std::uint8_t, 151>),
        (Extents, Bytes<152, kMaxExtents * PhyDrvExtent::kSize>))
};
static_assert(rec::checkLayout<PhyDrvInfo>());
static_assert(PhyDrvInfo::ModelFirst::offset + PhyDrvInfo::ModelFirst::width ==
              PhyDrvInfo::Serial::offset);

// One array (logical drive).
struct LogDrvInfo {
    static constexpr std::size_t kSize = 200;
    static constexpr std::size_t kMaxMembers = 32;
    REC_FIELDS(
        (ArrayId, LeField<std::uint16_t, 0>),
        (RaidLevel, LeField<std::uint8_t, 2>),
        (Flags, LeField<std::uint32_t, 4>),  // ldhx_Flags
        (CacheMode, LeField<std::uint32_t, 8>),
        (Sectors, LeField<std::uint64_t, 12>),
        (RawSize, LeField<std::uint64_t, 20>),
        (MemberCount, LeField<std::uint16_t, 38>),
        (Lookahead, LeField<std::uint32_t, 40>),
        (StripeKb, LeField<std::uint32_t, 44>),
        (ArrayNumber, LeField<std::uint16_t, 48>),
        (Name, Bytes<52, 84>),
        (Members, Bytes<136, kMaxMembers>),
        (ParityCount, LeField<std::uint8_t, 168>),
        (Symmetric, LeField<std::uint8_t, 169>),
        (ParityShift, LeField<std::int16_t, 170>),
        (SubArrayCount, LeField<std::uint8_t, 172>),
        (StartTime, LeField<std::uint32_t, 176>),
        (ResumeTime, LeField<std::uint32_t, 180>),  // 0xFFFFFFFF: never resumed
        (SectorSize, LeField<std::uint32_t, 184>))
};
static_assert(rec::checkLayout<LogDrvInfo>());

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
    REC_FIELDS(
        (DeviceId, LeField<std::uint16_t, 68>),
        (DegradedArrays, LeField<std::uint16_t, 70>),
        (ProductId, LeField<std::uint32_t, 72>),
        (SubProductId, LeField<std::uint32_t, 76>),
        (BiosVersion, Bytes<300, 16>),  // four 32-bit parts
        (MemoryType, LeField<std::uint8_t, 329>),  // non-zero: ECC
        (MemorySizeMb, LeField<std::uint32_t, 332>),
        (ArraysPresent, LeField<std::uint16_t, 338>),
        (ArraysOnline, LeField<std::uint16_t, 340>),
        (ArraysOffline, LeField<std::uint16_t, 342>),
        (ArraysCritical, LeField<std::uint16_t, 344>),
        (DisksPresent, LeField<std::uint16_t, 348>))
};
static_assert(rec::checkLayout<AdapterInfo>());

struct AdapterFirmwareInfo {
    static constexpr std::size_t kSize = 88;
    REC_FIELDS(
        (FirmwareVersion, Bytes<72, 16>))  // four 32-bit parts
};
static_assert(rec::checkLayout<AdapterFirmwareInfo>());

struct DriverInfo {
    static constexpr std::size_t kSize = 140;
    REC_FIELDS(
        (DriverVersion, Bytes<0, 16>))  // four 32-bit parts
};
static_assert(rec::checkLayout<DriverInfo>());

struct HostInfo {
    static constexpr std::size_t kSize = 520;
    REC_FIELDS(
        (OsVersion, Bytes<64, kSize - 64>))
};
static_assert(rec::checkLayout<HostInfo>());

}  // namespace lib

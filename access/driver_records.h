#pragma once
// Records the controller's driver returns for the vendor table reads.

#include <cstdint>

#include "access/code_tables.h"
#include "access/driver_protocol.h"
#include "platform/record.h"

namespace drv {

using rec::Bytes;
using rec::LeField;

// One disk slot of the disk table (readDiskInfo).
struct DiskTableEntry {
    static constexpr std::size_t kSize = 112;
    REC_FIELDS(
        (Flags, LeField<std::uint8_t, 0>),  // bit 0: the slot holds a disk
        (Channel, LeField<std::uint8_t, 4>),
        (Sectors, LeField<std::uint64_t, 16>),
        // Bytes 24 to 55 carry no field of the table itself; the driver puts the
        // disk's model text there, zero-terminated unless it fills all 32.
        (Model, Bytes<24, 32>),
        (Serial, Bytes<56, 24>),
        (Firmware, Bytes<80, 32>))
};
static_assert(rec::checkLayout<DiskTableEntry>());

static_assert(DiskTableEntry::kSize == kDiskTableEntrySize);

constexpr std::uint8_t DISK_SLOT_PRESENT = 0x1;
constexpr std::uint8_t ARRAY_SLOT_PRESENT = 0x1;

// One array slot of the array table (readArrayInfo).
struct ArrayTableEntry {
    static constexpr std::size_t kSize = 120;
    static constexpr std::size_t kMaxMembers = 32;
    REC_FIELDS(
        (Flags, LeField<std::uint8_t, 0>),  // bit 0: the slot holds an array
        (StripeSectors, LeField<std::uint16_t, 2>),
        (RaidLevel, LeField<std::uint8_t, 4>),
        (MemberCount, LeField<std::uint8_t, 5>),
        (CacheMode, LeField<std::uint8_t, 6>),
        (Lookahead, LeField<std::uint8_t, 7>),
        (WriteMode, LeField<std::uint8_t, 8>),
        (Sectors, LeField<std::uint64_t, 16>),
        (Name, Bytes<24, 64>),
        (Members, Bytes<88, kMaxMembers>))
};
static_assert(rec::checkLayout<ArrayTableEntry>());

static_assert(ArrayTableEntry::kSize == kArrayTableEntrySize);

// The controller's place on the PCI bus (readControllerInfo).
struct ControllerPciInfo {
    static constexpr std::size_t kSize = 116;
    static constexpr std::size_t kResources = 6;
    REC_FIELDS(
        (Resources, Bytes<0, kResources * 4>),
        (Bus, LeField<std::uint32_t, 72>),
        (Slot, LeField<std::uint32_t, 76>),
        (Irql, LeField<std::uint32_t, 84>),
        (IrqVector, LeField<std::uint32_t, 88>),
        (VendorDeviceId, LeField<std::uint32_t, 92>),
        (SubsystemId, LeField<std::uint32_t, 96>),
        (PortNumber, LeField<std::uint32_t, 108>))
};
static_assert(rec::checkLayout<ControllerPciInfo>());

}  // namespace drv

#pragma once
// Records the controller's driver returns for the vendor table reads.

#include <cstdint>

#include "access/code_tables.h"
#include "access/driver_protocol.h"
#include "access/record.h"

namespace drv {

using rec::Bytes;
using rec::LeField;

// One disk slot of the disk table (readDiskInfo).
struct DiskTableEntry {
    static constexpr std::size_t kSize = 112;
    using Flags = LeField<std::uint8_t, 0>;  // bit 0: the slot holds a disk
    using Channel = LeField<std::uint8_t, 4>;
    using Sectors = LeField<std::uint64_t, 16>;
    // Bytes 24 to 55 carry no field of the table itself; the driver puts the
    // disk's model text there, zero-terminated unless it fills all 32.
    using Model = Bytes<24, 32>;
    using Serial = Bytes<56, 24>;
    using Firmware = Bytes<80, 32>;
};
static_assert(rec::checkLayout<DiskTableEntry, DiskTableEntry::Flags, DiskTableEntry::Channel,
                               DiskTableEntry::Sectors, DiskTableEntry::Model,
                               DiskTableEntry::Serial, DiskTableEntry::Firmware>());

static_assert(DiskTableEntry::kSize == kDiskTableEntrySize);

constexpr std::uint8_t DISK_SLOT_PRESENT = 0x1;
constexpr std::uint8_t ARRAY_SLOT_PRESENT = 0x1;

// One array slot of the array table (readArrayInfo).
struct ArrayTableEntry {
    static constexpr std::size_t kSize = 120;
    static constexpr std::size_t kMaxMembers = 32;
    using Flags = LeField<std::uint8_t, 0>;  // bit 0: the slot holds an array
    using StripeSectors = LeField<std::uint16_t, 2>;
    using RaidLevel = LeField<std::uint8_t, 4>;
    using MemberCount = LeField<std::uint8_t, 5>;
    using CacheMode = LeField<std::uint8_t, 6>;
    using Lookahead = LeField<std::uint8_t, 7>;
    using WriteMode = LeField<std::uint8_t, 8>;
    using Sectors = LeField<std::uint64_t, 16>;
    using Name = Bytes<24, 64>;
    using Members = Bytes<88, kMaxMembers>;
};
static_assert(rec::checkLayout<ArrayTableEntry, ArrayTableEntry::Flags,
                               ArrayTableEntry::StripeSectors, ArrayTableEntry::RaidLevel,
                               ArrayTableEntry::MemberCount, ArrayTableEntry::CacheMode,
                               ArrayTableEntry::Lookahead, ArrayTableEntry::WriteMode,
                               ArrayTableEntry::Sectors, ArrayTableEntry::Name,
                               ArrayTableEntry::Members>());

static_assert(ArrayTableEntry::kSize == kArrayTableEntrySize);

// The controller's place on the PCI bus (readControllerInfo).
struct ControllerPciInfo {
    static constexpr std::size_t kSize = 116;
    static constexpr std::size_t kResources = 6;
    using Resources = Bytes<0, kResources * 4>;
    using Bus = LeField<std::uint32_t, 72>;
    using Slot = LeField<std::uint32_t, 76>;
    using Irql = LeField<std::uint32_t, 84>;
    using IrqVector = LeField<std::uint32_t, 88>;
    using VendorDeviceId = LeField<std::uint32_t, 92>;
    using SubsystemId = LeField<std::uint32_t, 96>;
    using PortNumber = LeField<std::uint32_t, 108>;
};
static_assert(rec::checkLayout<ControllerPciInfo, ControllerPciInfo::Resources,
                               ControllerPciInfo::Bus, ControllerPciInfo::Slot,
                               ControllerPciInfo::Irql, ControllerPciInfo::IrqVector,
                               ControllerPciInfo::VendorDeviceId, ControllerPciInfo::SubsystemId,
                               ControllerPciInfo::PortNumber>());

}  // namespace drv

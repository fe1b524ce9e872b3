#include "sim/replies.h"

#include <algorithm>

#include "access/driver_records.h"
#include "access/array_records.h"
#include "access/library_records.h"
#include "sim/array_model.h"

namespace sim {

namespace {

void putVersion(const rec::ByteSpan& four, const std::array<std::uint32_t, 4>& version) {
    for (std::size_t i = 0; i < 4; ++i) four.putAt<std::uint32_t>(4 * i, version[i]);
}

std::uint8_t memberByte(int id) {
    return static_cast<std::uint8_t>(id < 0 || id > 255 ? kMissingMember : id);
}

}  // namespace

void fillPhyDrvInfo(const rec::ByteSpan& r, const Controller& c, const Disk& d) {
    using P = lib::PhyDrvInfo;
    r.put<P::DiskId>(static_cast<std::uint16_t>(d.id));
    r.put<P::Channel>(static_cast<std::uint16_t>(d.channel));
    r.put<P::EnclosureId>(static_cast<std::uint16_t>(d.enclosureId));
    r.put<P::CarrierId>(static_cast<std::uint16_t>(d.carrierId));
    r.put<P::Sectors>(d.sectors);
    // The model text is split in two parts, 22 and 18 bytes.
    r.putText<P::ModelFirst>(d.model.substr(0, P::ModelFirst::width));
    r.putText<P::ModelSecond>(d.model.size() > P::ModelFirst::width
                                  ? d.model.substr(P::ModelFirst::width)
                                  : std::string());
    r.putText<P::Serial>(d.serial);
    r.putText<P::Firmware>(d.firmware);
    r.put<P::Speed3gSupported>(d.speed3gSupported ? 1 : 0);
    r.put<P::Speed3gEnabled>(d.speed3gEnabled ? 1 : 0);
    r.put<P::ExtentCount>(static_cast<std::uint8_t>(
        d.reportedExtentCount.value_or(static_cast<int>(d.extents.size()))));
    const rec::ByteSpan table = r.sub<P::Extents>();
    using E = lib::PhyDrvExtent;
    for (std::size_t i = 0; i < d.extents.size() && i < lib::kMaxExtents; ++i) {
        const Extent& e = d.extents[i];
        const rec::ByteSpan x = table.sub(i * E::kSize, E::kSize);
        x.put<E::Index>(static_cast<std::uint16_t>(e.index));
        x.put<E::Flags>(reportedExtentFlags(c, d, e));
        x.put<E::ArrayId>(static_cast<std::uint16_t>(e.arrayId));
        x.put<E::BackupTime>(e.backupTime);
        x.put<E::Start>(e.start);
        x.put<E::Size>(e.size);
    }
}

std::uint32_t activityStartTime(const Array& a) {
    return a.activity ? a.activity->startTime : a.startTime;
}

std::uint32_t activityResumeTime(const Array& a) {
    return a.activity ? a.activity->resumeTime : a.resumeTime;
}

void fillLogDrvInfo(const rec::ByteSpan& r, const Array& a) {
    using L = lib::LogDrvInfo;
    r.put<L::ArrayId>(static_cast<std::uint16_t>(a.id));
    r.put<L::RaidLevel>(a.level);
    r.put<L::Flags>(reportedArrayFlags(a));
    r.put<L::CacheMode>(a.cacheMode);
    r.put<L::Sectors>(a.sectors);
    r.put<L::RawSize>(a.rawSectors);
    r.put<L::MemberCount>(static_cast<std::uint16_t>(
        a.reportedMemberCount.value_or(static_cast<int>(a.members.size()))));
    r.put<L::Lookahead>(a.lookahead);
    r.put<L::StripeKb>(a.stripeSectors / 2);
    r.put<L::ArrayNumber>(static_cast<std::uint16_t>(a.id));
    r.putText<L::Name>(a.name);
    const rec::ByteSpan members = r.sub<L::Members>();
    for (std::size_t i = 0; i < L::kMaxMembers; ++i) {
        members.putAt<std::uint8_t>(i, i < a.members.size() ? memberByte(a.members[i]) : 0);
    }
    r.put<L::ParityCount>(static_cast<std::uint8_t>(a.parityCount));
    r.put<L::Symmetric>(static_cast<std::uint8_t>(a.symmetric));
    r.put<L::ParityShift>(static_cast<std::int16_t>(a.parityShift));
    r.put<L::SubArrayCount>(static_cast<std::uint8_t>(a.subArrayCount));
    r.put<L::StartTime>(activityStartTime(a));
    r.put<L::ResumeTime>(activityResumeTime(a));
    r.put<L::SectorSize>(a.sectorSize);
}

void fillAdapterInfo(const rec::ByteSpan& r, const Controller& c) {
    using A = lib::AdapterInfo;
    std::uint16_t online = 0, offline = 0, critical = 0, degraded = 0, present = 0;
    for (const Array& a : c.arrays) {
        if ((a.flags & lib::LOGDRV_VALID) == 0) continue;
        ++present;
        if (a.flags & lib::LOGDRV_COND_FUNCTIONAL) {
            ++online;
        } else {
            ++offline;
        }
        if (a.flags & lib::LOGDRV_COND_CRITICAL) ++critical;
        if (a.flags & lib::LOGDRV_COND_DEGRADED) ++degraded;
    }
    r.put<A::DeviceId>(c.controllerId);
    r.put<A::DegradedArrays>(degraded);
    r.put<A::ProductId>(c.productId);
    r.put<A::SubProductId>(c.subProductId);
    putVersion(r.sub<A::BiosVersion>(), c.biosVersion);
    r.put<A::MemoryType>(c.eccMemory ? 1 : 0);
    r.put<A::MemorySizeMb>(c.memorySizeMb);
    r.put<A::ArraysPresent>(present);
    r.put<A::ArraysOnline>(online);
    r.put<A::ArraysOffline>(offline);
    r.put<A::ArraysCritical>(critical);
    r.put<A::DisksPresent>(static_cast<std::uint16_t>(c.disks.size()));
}

void fillAdapterFirmwareInfo(const rec::ByteSpan& r, const Controller& c) {
    putVersion(r.sub<lib::AdapterFirmwareInfo::FirmwareVersion>(), c.firmwareVersion);
}

void fillDiskTableEntry(const rec::ByteSpan& e, const Disk& d) {
    using D = drv::DiskTableEntry;
    e.put<D::Flags>(drv::DISK_SLOT_PRESENT);
    e.put<D::Channel>(static_cast<std::uint8_t>(d.channel));
    e.put<D::Sectors>(d.sectors);
    e.putText<D::Model>(d.model);
    e.putText<D::Serial>(d.serial);
    e.putText<D::Firmware>(d.firmware);
}

void fillArrayTableEntry(const rec::ByteSpan& e, const Array& a) {
    using T = drv::ArrayTableEntry;
    e.put<T::Flags>(drv::ARRAY_SLOT_PRESENT);
    e.put<T::StripeSectors>(static_cast<std::uint16_t>(std::min<std::uint32_t>(a.stripeSectors, 0xFFFF)));
    e.put<T::RaidLevel>(codes::driverLevelOf(a.level));
    e.put<T::MemberCount>(static_cast<std::uint8_t>(
        a.reportedMemberCount.value_or(static_cast<int>(a.members.size()))));
    e.put<T::CacheMode>(codes::driverCacheModeOf(a.cacheMode));
    e.put<T::Lookahead>(static_cast<std::uint8_t>(std::min<std::uint32_t>(a.lookahead, 255)));
    e.put<T::WriteMode>((a.cacheMode & lib::CACHE_WRITE_BACK) != 0 ? 1 : 0);
    e.put<T::Sectors>(a.sectors);
    e.putText<T::Name>(a.name);
    const rec::ByteSpan members = e.sub<T::Members>();
    for (std::size_t i = 0; i < T::kMaxMembers; ++i) {
        members.putAt<std::uint8_t>(i, i < a.members.size() ? memberByte(a.members[i]) : 0);
    }
}

void fillArrayStatusReply(const rec::ByteSpan& r, const Array& a, std::uint32_t now) {
    using S = drv::ArrayStatusReply;
    std::uint8_t status = drv::ARRAY_STATUS_OFFLINE;
    if (a.flags & lib::LOGDRV_COND_CRITICAL) {
        status = drv::ARRAY_STATUS_CRITICAL;
    } else if (a.flags & lib::LOGDRV_COND_DEGRADED) {
        status = drv::ARRAY_STATUS_DEGRADE;
    } else if (a.flags & lib::LOGDRV_COND_FUNCTIONAL) {
        status = drv::ARRAY_STATUS_OPTIMAL;
    }
    r.put<S::Status>(status);
    r.put<S::Configuration>(drv::CONFIGURATION_NORMAL);
    if (!a.activity) return;
    std::uint8_t kind = drv::BGA_KIND_NONE;
    switch (a.activity->kind) {
        // A backup copies the array as a rebuild does, and reports as one.
        case ActivityKind::Rebuild:
        case ActivityKind::Backup: kind = drv::BGA_KIND_REBUILD; break;
        case ActivityKind::Init:
            kind = a.activity->initKind == lib::INIT_KIND_BACKGROUND ? drv::BGA_KIND_BACKGROUND_INIT
                                             : drv::BGA_KIND_FOREGROUND_INIT;
            break;
        case ActivityKind::Check: kind = drv::BGA_KIND_CONSISTENCY_CHECK; break;
        case ActivityKind::Sync: kind = drv::BGA_KIND_SYNCHRONIZATION; break;
        case ActivityKind::Migration: kind = drv::BGA_KIND_MIGRATION; break;
    }
    r.put<S::ActivityKind>(kind);
    r.put<S::ActivityState>(a.activity->paused ? drv::BGA_STATE_PAUSED : drv::BGA_STATE_RUNNING);
    r.put<S::Percent>(static_cast<std::uint16_t>(activityProgress(*a.activity, now) / 10));
}

void fillArrayActivityEntry(const rec::ByteSpan& e, const Array& a) {
    e.put<drv::ArrayActivityEntry::StartTime>(activityStartTime(a));
    e.put<drv::ArrayActivityEntry::ResumeTime>(activityResumeTime(a));
}

void fillControllerPciInfo(const rec::ByteSpan& r, const Controller& c, int port) {
    using P = drv::ControllerPciInfo;
    const rec::ByteSpan resources = r.sub<P::Resources>();
    for (std::size_t i = 0; i < P::kResources; ++i) {
        resources.putAt<std::uint32_t>(4 * i, c.pci.resources[i]);
    }
    r.put<P::Bus>(c.pci.bus);
    r.put<P::Slot>(c.pci.slot);
    r.put<P::Irql>(c.pci.irql);
    r.put<P::IrqVector>(c.pci.irqVector);
    r.put<P::VendorDeviceId>(c.pci.vendorDeviceId);
    r.put<P::SubsystemId>(c.pci.subsystemId);
    r.put<P::PortNumber>(static_cast<std::uint32_t>(port));
}

const Disk* findDisk(const Controller& c, int id) {
    for (const Disk& d : c.disks) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

const Array* findArray(const Controller& c, int id) {
    for (const Array& a : c.arrays) {
        if (a.id == id) return &a;
    }
    return nullptr;
}

}  // namespace sim

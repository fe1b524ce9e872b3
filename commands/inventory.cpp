// ld, la and dc: what the controller holds and what it is.

#include "commands/inventory.h"

#include <vector>

#include "access/driver_device.h"
#include "access/driver_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "commands/display.h"
#include "console/context.h"
#include "platform/console.h"

namespace {

// A cleared reply buffer with room for a header and `records` records.
std::vector<std::uint8_t> listReply(std::size_t records, std::size_t recordSize) {
    return std::vector<std::uint8_t>(lib::InfoReplyHeader::kSize + records * recordSize, 0);
}

std::uint32_t bufferSize(const std::vector<std::uint8_t>& buffer) {
    return static_cast<std::uint32_t>(buffer.size());
}

// Records of a list reply the console may take: the library's count and its
// bytes-filled field must both allow a record, and it must lie inside the
// buffer, whatever the reply claims.
std::uint32_t recordsPresent(std::uint32_t count, std::uint32_t filled, std::size_t recordSize,
                             std::size_t capacity) {
    std::uint32_t n = 0;
    while (n < count && n < capacity &&
           lib::InfoReplyHeader::kSize + n * recordSize < filled) {
        ++n;
    }
    return n;
}

std::string modelTextOf(const rec::ByteView& disk) {
    using P = lib::PhyDrvInfo;
    // The two parts form one text of 40 characters, ended by its first zero.
    std::string model = disk.text<P::ModelFirst>();
    if (model.size() == P::ModelFirst::width) model += disk.text<P::ModelSecond>();
    return model;
}

void listDisksFromLibrary() {
    using P = lib::PhyDrvInfo;
    std::vector<std::uint8_t> buffer = listReply(kMaxSlots, P::kSize);
    const rec::ByteSpan reply(buffer.data(), buffer.size());
    reply.put<lib::InfoReplyHeader::BufferSize>(bufferSize(buffer));
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(0);
    request.put<lib::InfoRequest::Count>(kMaxSlots);
    request.put<lib::InfoRequest::Selector>(255);
    hx_getPhyDrvInfo(CONTROLLER_ADDRESS, requestBytes, buffer.data(), bufferSize(buffer));

    const std::uint32_t n = recordsPresent(request.view().get<lib::InfoRequest::Count>(),
                                           reply.view().get<lib::InfoReplyHeader::BytesFilled>(),
                                           P::kSize, kMaxSlots);
    for (std::uint32_t i = 0; i < n; ++i) {
        const rec::ByteView disk = reply.view().sub(lib::InfoReplyHeader::kSize + i * P::kSize, P::kSize);
        consolePrint("%2d %2d %10.2f %40s %21s %10s %2x\n", disk.get<P::DiskId>(),
                     disk.get<P::Channel>(), sectorsToMegabytes(disk.get<P::Sectors>()),
                     modelTextOf(disk).c_str(), disk.text<P::Serial>().c_str(),
                     disk.text<P::Firmware>().c_str(), disk.get<P::EnclosureId>());
    }
}

void listDisksFromDriver(ControllerDevice& controller) {
    using D = drv::DiskTableEntry;
    std::vector<std::uint8_t> table(kMaxSlots * D::kSize, 0);
    if (!controller.readDiskInfo(table.data(), kAllEntries)) return;
    const rec::ByteView view(table.data(), table.size());
    for (std::uint32_t i = 0; i < kMaxSlots; ++i) {
        const rec::ByteView slot = view.sub(i * D::kSize, D::kSize);
        if ((slot.get<D::Flags>() & drv::DISK_SLOT_PRESENT) == 0) continue;
        consolePrint("%2d %2d %10.2f %22s %21s %10s\n", static_cast<int>(i), slot.get<D::Channel>(),
                     sectorsToMegabytes(slot.get<D::Sectors>()), slot.text<D::Model>().c_str(),
                     slot.text<D::Serial>().c_str(), slot.text<D::Firmware>().c_str());
    }
}

void printBackupDebugLines(std::uint32_t flags, int arrayNumber) {
    if (flags & lib::LOGDRV_OPERATION_BACKUP) {
        consolePrint("Debug Info: ArrayID:%d, LOGDRV_OPERATION_BACKUP\n", arrayNumber);
    }
    if (flags & lib::LOGDRV_COND_BACKUPED) {
        consolePrint("Debug Info: ArrayID:%d, LOGDRV_COND_BACKUPED\n", arrayNumber);
    }
    if (flags & lib::LOGDRV_COND_BACKUPING) {
        consolePrint("Debug Info: ArrayID:%d, LOGDRV_COND_BACKUPING\n", arrayNumber);
    }
    if (flags & lib::LOGDRV_COND_BACKUP) {
        consolePrint("Debug Info: ArrayID:%d, LOGDRV_COND_BACKUP\n", arrayNumber);
    }
}

void listArraysFromLibrary() {
    using L = lib::LogDrvInfo;
    std::vector<std::uint8_t> buffer = listReply(kMaxSlots, L::kSize);
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(0);
    request.put<lib::InfoRequest::Count>(kMaxSlots);
    hx_getLogDrvInfo(CONTROLLER_ADDRESS, requestBytes, buffer.data(), bufferSize(buffer));

    const rec::ByteView reply(buffer.data(), buffer.size());
    for (std::uint32_t i = 0; i < kMaxSlots; ++i) {
        const rec::ByteView array = reply.sub(lib::InfoReplyHeader::kSize + i * L::kSize, L::kSize);
        const std::uint32_t flags = array.get<L::Flags>();
        if ((flags & lib::LOGDRV_VALID) == 0) break;
        const int number = array.get<L::ArrayNumber>();
        std::uint32_t lostMask = 0;
        hx_getAryLostDisk(CONTROLLER_ADDRESS, static_cast<std::uint32_t>(number & 0xFF), &lostMask);
        const unsigned members = array.get<L::MemberCount>();
        // The shift is signed; widened to 32 bits it prints as unsigned.
        const auto shift = static_cast<std::uint32_t>(static_cast<std::int32_t>(array.get<L::ParityShift>()));
        consolePrint("%2d %7s %5d %6u %2d %2d %x %10.2f %20s %2u %2u %2u %2u %s %4x %d\n", number,
                     raidLevelName(array.get<L::RaidLevel>()), static_cast<int>(members),
                     array.get<L::StripeKb>(), static_cast<int>(array.get<L::CacheMode>()),
                     static_cast<int>(array.get<L::Lookahead>()), flags,
                     sectorsToMegabytes(array.get<L::Sectors>()),
                     formatMemberList(members, array.sub<L::Members>().data()),
                     static_cast<unsigned>(array.get<L::ParityCount>()),
                     static_cast<unsigned>(array.get<L::Symmetric>()), shift,
                     static_cast<unsigned>(array.get<L::SubArrayCount>()),
                     array.text<L::Name>().c_str(), lostMask,
                     static_cast<int>(array.get<L::SectorSize>()));
        printBackupDebugLines(flags, number);
    }
}

void listArraysFromDriver(ControllerDevice& controller) {
    using T = drv::ArrayTableEntry;
    std::vector<std::uint8_t> table(kMaxSlots * T::kSize, 0);
    if (!controller.readArrayInfo(table.data(), kAllEntries)) return;
    const rec::ByteView view(table.data(), table.size());
    for (std::uint32_t i = 0; i < kMaxSlots; ++i) {
        const rec::ByteView slot = view.sub(i * T::kSize, T::kSize);
        if ((slot.get<T::Flags>() & drv::ARRAY_SLOT_PRESENT) == 0) continue;
        const unsigned members = slot.get<T::MemberCount>();
        consolePrint("%2d %7s %5d %6u %2d %2d %2d %10.2f %20s %s\n", static_cast<int>(i),
                     driverRaidLevelName(slot.get<T::RaidLevel>(), members),
                     static_cast<int>(members), slot.get<T::StripeSectors>() / 2u,
                     slot.get<T::CacheMode>(), slot.get<T::Lookahead>(), slot.get<T::WriteMode>(),
                     sectorsToMegabytes(slot.get<T::Sectors>()),
                     formatMemberList(members, slot.sub<T::Members>().data()),
                     slot.text<T::Name>().c_str());
    }
}

int part(const rec::ByteView& four, std::size_t i) {
    return static_cast<int>(four.at<std::uint32_t>(4 * i));
}

void controllerInfoFromLibrary() {
    using A = lib::AdapterInfo;
    // Every buffer starts cleared, so a failed call shows zeros and no text is
    // read past its buffer.
    std::vector<std::uint8_t> host(lib::HostInfo::kSize, 0);
    std::vector<std::uint8_t> adapter(A::kSize, 0);
    std::vector<std::uint8_t> firmware(lib::AdapterFirmwareInfo::kSize, 0);
    std::vector<std::uint8_t> driver(lib::DriverInfo::kSize, 0);
    hx_getHostInfo(CONTROLLER_ADDRESS, host.data(), bufferSize(host));
    std::uint8_t requestBytes[lib::InfoRequest::kSize] = {};
    const rec::ByteSpan request(requestBytes, sizeof requestBytes);
    request.put<lib::InfoRequest::FirstId>(0);
    request.put<lib::InfoRequest::Count>(1);
    request.put<lib::InfoRequest::Selector>(lib::kControllerInfoAdapter);
    hx_getControllerInfo(CONTROLLER_ADDRESS, requestBytes, adapter.data(), bufferSize(adapter));
    request.put<lib::InfoRequest::FirstId>(0);
    request.put<lib::InfoRequest::Count>(1);
    request.put<lib::InfoRequest::Selector>(lib::kControllerInfoFirmware);
    hx_getControllerInfo(CONTROLLER_ADDRESS, requestBytes, firmware.data(), bufferSize(firmware));

    const rec::ByteView a(adapter.data(), adapter.size());
    consolePrint("diskpresent: %d\n", a.get<A::DisksPresent>());
    consolePrint("Device ID: %d\n", a.get<A::DeviceId>());
    consolePrint("Product ID: %x\n", a.get<A::ProductId>());
    consolePrint("Sub Product ID: %x\n", a.get<A::SubProductId>());
    consolePrint("Memory Type: %s Type\n", a.get<A::MemoryType>() != 0 ? "ECC" : "Non-ECC");
    consolePrint("Memory Size: %d MB\n", static_cast<int>(a.get<A::MemorySizeMb>()));
    consolePrint("Number of disk presented: %d\n", a.get<A::DisksPresent>());
    consolePrint("Number of array presented: %d\n", a.get<A::ArraysPresent>());
    consolePrint("Number of array Online: %d\n", a.get<A::ArraysOnline>());
    consolePrint("Number of array Offline: %d\n", a.get<A::ArraysOffline>());
    consolePrint("Number of array Critical: %d\n", a.get<A::ArraysCritical>());
    consolePrint("Number of array Degrade: %d\n", a.get<A::DegradedArrays>());
    const rec::ByteView bios = a.sub<A::BiosVersion>();
    consolePrint("BIOS Version: %d.%d.%d.%d\n", part(bios, 0), part(bios, 1), part(bios, 2),
                 part(bios, 3));
    const rec::ByteView fw =
        rec::ByteView(firmware.data(), firmware.size()).sub<lib::AdapterFirmwareInfo::FirmwareVersion>();
    consolePrint("firmware Version: %d.%d.%d.%d\n", part(fw, 0), part(fw, 1), part(fw, 2),
                 part(fw, 3));
    hx_getDriverInfo(CONTROLLER_ADDRESS, driver.data());
    const rec::ByteView dv =
        rec::ByteView(driver.data(), driver.size()).sub<lib::DriverInfo::DriverVersion>();
    consolePrint("Driver Version: %d.%d.%d.%d\n", part(dv, 0), part(dv, 1), part(dv, 2),
                 part(dv, 3));
    consolePrint("OS Version:%s\n",
                 rec::ByteView(host.data(), host.size()).text<lib::HostInfo::OsVersion>().c_str());
}

void controllerInfoFromDriver(ControllerDevice& controller) {
    using P = drv::ControllerPciInfo;
    std::uint8_t info[P::kSize] = {};
    if (!controller.readControllerInfo(info)) return;
    const rec::ByteView v(info, sizeof info);
    consolePrint("Controller information: (bus 0x%x slot 0x%x)\n", v.get<P::Bus>(), v.get<P::Slot>());
    consolePrint("VenDevID 0x%x, SubVenDevID 0x%x\n", v.get<P::VendorDeviceId>(),
                 v.get<P::SubsystemId>());
    consolePrint("Port Number %x\n", v.get<P::PortNumber>());
    consolePrint("Resources:\n");
    consolePrint("IRQL 0x%x, IRQ Vector 0x%x\n", v.get<P::Irql>(), v.get<P::IrqVector>());
    const rec::ByteView resources = v.sub<P::Resources>();
    for (std::size_t i = 0; i < P::kResources; ++i) {
        // A 32-bit address, as the 32-bit system shows a pointer.
        consolePrint("%d %08X\n", static_cast<int>(i), resources.at<std::uint32_t>(4 * i));
    }
}

}  // namespace

std::int32_t listDisksCommand(ControllerDevice** currentController, std::int32_t, char**) {
    consolePrint("-----------------dumping disks-----------------\n");
    consolePrint("%2s %2s %10s %40s %21s %10s %3s\n", "ID", "CH", "Size", "Model", "Serial", "F/W",
                 "ENC");
    if (*currentController == nullptr) {
        listDisksFromLibrary();
    } else {
        listDisksFromDriver(**currentController);
    }
    return 1;
}

std::int32_t listArraysCommand(ControllerDevice** currentController, std::int32_t, char**) {
    consolePrint("-----------------dumping arrays-----------------\n");
    consolePrint("%2s %7s %5s %6s %2s %2s %2s %2s %10s %26s %2s %2s %2s %2s %s %s %s\n", "ID",
                 "RAID", "Width", "SBS(K)", "CM", "LA", "WR", "RD", "Size(MB)", "Blocks", "Pt",
                 "Sy", "Sh", "Sb", "Name", "Mask", "SectorSize");
    if (*currentController == nullptr) {
        listArraysFromLibrary();
    } else {
        listArraysFromDriver(**currentController);
    }
    return 1;
}

std::int32_t controllerInfoCommand(ControllerDevice** currentController, std::int32_t, char**) {
    if (*currentController == nullptr) {
        controllerInfoFromLibrary();
    } else {
        controllerInfoFromDriver(**currentController);
    }
    return 1;
}

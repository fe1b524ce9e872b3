// dbg: sector reads and writes on a disk of the controller (transferSectors),
// the ECC break (corruptSectorEcc), reads, writes and the listing of the
// operating system's own disks by their device paths, and an array's
// bypass switch through the library.
//
// Transfer buffers are allocated per command, zero-filled, exactly the
// transfer size, and released on every path. A sector count whose size in
// bytes does not fit the 32-bit transfer length is refused, so the buffer
// always holds what the command block and the device are told.

#include "commands/debug_access.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "access/debug_records.h"
#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"
#include "platform/device_access.h"
#include "platform/record.h"

namespace {

constexpr std::uint8_t kDirectionRead = 0;
constexpr std::uint8_t kDirectionWrite = 1;
constexpr std::uint8_t kBypassCommandLength = 4;
constexpr std::uint8_t kEnableBypass = 4;
constexpr std::uint8_t kDisableBypass = 3;
constexpr int kOsDisksListed = 10;

struct FreeBuffer {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<std::uint8_t[], FreeBuffer>;

// The sector count of word, refused (with the parser's message) when it
// does not parse or its size in bytes does not fit 32 bits. A count of 0
// is returned as such: the caller stops silently.
bool parseSectorCount(const char* word, std::uint32_t* count) {
    if (parseDecimalArg(word, count, "Sector Count") == 0) return false;
    if (*count > 0xFFFFFFFFu / lib::SECTOR_SIZE) {
        consolePrint("Sector Count => Invalid integer '%s' specified.\n", word);
        return false;
    }
    return true;
}

// A zero-filled transfer buffer, or null after the allocation message. The
// system hands large blocks over already zeroed, so pages nobody writes are
// never touched.
Buffer allocateTransfer(std::uint32_t size) {
    Buffer buffer(static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1)));
    if (!buffer) consolePrint("Cannot allocate 0x%x bytes of buffer.\n", static_cast<unsigned>(size));
    return buffer;
}

// size / 4 little-endian copies of the pattern.
void fillPattern(std::uint8_t* buffer, std::uint32_t size, std::uint32_t pattern) {
    for (std::uint32_t i = 0; i + 4 <= size; i += 4) rec::storeLe32(buffer + i, pattern);
}

// What tells a controller apart, as the library and as the driver report
// it: the ids of hx_getDiscoverPath, and the same ids in the driver's
// identification.
struct ControllerIds {
    std::uint16_t controllerId = 0;
    std::uint16_t subsystemId = 0;
    bool operator==(const ControllerIds&) const = default;
};

// The ids the library reports for its controller index, or none when it
// reports no path.
bool libraryIds(std::uint32_t index, ControllerIds* ids) {
    std::vector<std::uint8_t> path(lib::kDiscoverPathBufferSize, 0);
    if (hx_getDiscoverPath(index, 0, path.data(), lib::kDiscoverPathBufferSize) != 0) return false;
    const rec::ByteView view(path.data(), path.size());
    ids->controllerId = view.get<lib::DiscoverPath::ControllerId>();
    ids->subsystemId = view.get<lib::DiscoverPath::SubsystemId>();
    return true;
}

// The controller device a sector command uses: the current one in direct
// mode. In library mode, the device of the controller the operator chose,
// found for this command alone and held by owned until the command ends:
// the library's controllers and the driver's ports are both in the
// machine's order, so the selected controller is the port whose
// identification carries its ids, after as many ports with the same ids as
// the library numbers before it. The library's index is never taken for a
// port number; when no port matches, nothing is sent.
ControllerDevice* deviceForCommand(ControllerDevice* current, std::unique_ptr<ControllerDevice>& owned) {
    if (current != nullptr) return current;
    const std::uint16_t index = controllerContext.controllerIndex;
    ControllerIds wanted;
    if (!libraryIds(index, &wanted)) {
        consolePrint("The library reports no device path for controller %u: no device to send to.\n",
                     static_cast<unsigned>(index));
        return nullptr;
    }
    unsigned before = 0;  // controllers of the same ids the library numbers first
    for (std::uint32_t other = 0; other < index; ++other) {
        ControllerIds ids;
        if (libraryIds(other, &ids) && ids == wanted) ++before;
    }
    std::uint8_t identity[drv::ControllerIdentity::kSize] = {};
    for (std::int32_t port = 0; port >= 0;) {
        std::unique_ptr<ControllerDevice> found(findController(port, identity));
        if (!found) break;
        const rec::ByteView id(identity, sizeof identity);
        const ControllerIds ids{id.get<drv::ControllerIdentity::ControllerId>(),
                                id.get<drv::ControllerIdentity::SubsystemId>()};
        if (ids == wanted) {
            if (before == 0) {
                owned = std::move(found);
                return owned.get();
            }
            --before;
        }
        port = found->portNumber < INT32_MAX ? found->portNumber + 1 : -1;
    }
    consolePrint("No SCSI port holds the device of controller %u (ctrl id %u, subsys id %u): nothing was sent.\n",
                 static_cast<unsigned>(index), static_cast<unsigned>(wanted.controllerId),
                 static_cast<unsigned>(wanted.subsystemId));
    return nullptr;
}

// ---- dbg read, dbg write --------------------------------------------------------

void controllerTransfer(ControllerDevice* device, std::int32_t count, char** words) {
    const std::uint8_t direction = wordEquals(words[1], "write") ? kDirectionWrite : kDirectionRead;
    const std::uint8_t diskId = parseDiskId(words[2]);
    if (diskId == kParseFailed) return;
    const std::uint64_t lba = parseLba(count > 3 ? words[3] : nullptr);
    if (lba == kLbaParseFailed) return;
    std::uint32_t sectors = 0;
    if (!parseSectorCount(count > 4 ? words[4] : nullptr, &sectors) || sectors == 0) return;
    std::uint32_t pattern = 0;
    if (direction == kDirectionWrite &&
        parseHexArg(count > 5 ? words[5] : nullptr, &pattern, "Write Pattern") == 0) {
        return;
    }
    const std::uint32_t size = sectors * lib::SECTOR_SIZE;
    Buffer buffer = allocateTransfer(size);
    if (!buffer) return;
    if (direction == kDirectionWrite) fillPattern(buffer.get(), size, pattern);
    const int ok = device->transferSectors(diskId, direction, static_cast<std::uint32_t>(lba),
                                           static_cast<std::uint32_t>(lba >> 32),
                                           static_cast<std::uint16_t>(sectors), buffer.get(), size);
    if (ok != 0 && direction == kDirectionRead) hexDump(buffer.get(), size, 1);
}

// ---- dbg ecc -------------------------------------------------------------------------

void breakEcc(ControllerDevice* device, std::int32_t count, char** words) {
    const std::uint8_t diskId = parseDiskId(words[2]);
    if (diskId == kParseFailed) return;
    const std::uint64_t lba = parseLba(count > 3 ? words[3] : nullptr);
    if (lba == kLbaParseFailed) return;
    device->corruptSectorEcc(diskId, static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(lba >> 32));
}

// ---- dbg disk ------------------------------------------------------------------------

// An operating-system disk opened by number, closed when it goes.
class OsDisk {
public:
    explicit OsDisk(int number) {
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\PHYSICALDRIVE%d", number);
        handle_ = platform::deviceAccess().createFile(
            path, kReadData | kWriteData, platform::kFileShareRead | platform::kFileShareWrite,
            platform::kOpenExisting, platform::kFileAttributeNormal);
    }
    ~OsDisk() {
        if (isOpen()) platform::deviceAccess().closeHandle(handle_);
    }
    OsDisk(const OsDisk&) = delete;
    OsDisk& operator=(const OsDisk&) = delete;

    bool isOpen() const { return handle_ != platform::invalidDeviceHandle(); }
    platform::DeviceHandle handle() const { return handle_; }

private:
    static constexpr std::uint32_t kReadData = 0x0001;   // FILE_READ_DATA
    static constexpr std::uint32_t kWriteData = 0x0002;  // FILE_WRITE_DATA
    platform::DeviceHandle handle_;
};

void listOsDisks() {
    platform::DeviceAccess& access = platform::deviceAccess();
    for (int number = 0; number < kOsDisksListed; ++number) {
        OsDisk disk(number);
        if (!disk.isOpen()) continue;
        consolePrint("OS Disk ID: %x Size: ", static_cast<unsigned>(number));
        std::uint8_t geometry[platform::kDiskGeometrySize] = {};
        std::uint32_t returned = 0;
        if (access.deviceIoControl(disk.handle(), platform::kIoctlDiskGetDriveGeometry, nullptr, 0,
                                   geometry, sizeof geometry, &returned, nullptr) &&
            returned >= sizeof geometry) {
            const rec::ByteView g(geometry, sizeof geometry);
            // Cylinders * tracks per cylinder * sectors per track, wrapping
            // as 64-bit arithmetic does.
            const std::uint64_t blocks = g.at<std::uint64_t>(0) * g.at<std::uint32_t>(12) *
                                         g.at<std::uint32_t>(16);
            consolePrint("0x%llx blocks\n", static_cast<unsigned long long>(blocks));
        } else {
            consolePrint("UNKNOWN\n");
        }
    }
}

void osDiskTransfer(std::int32_t count, char** words) {
    const bool write = wordEquals(words[2], "write");
    const std::uint8_t number = parseDiskId(count > 3 ? words[3] : nullptr);
    if (number == kParseFailed) return;
    const std::uint64_t lba = parseLba(count > 4 ? words[4] : nullptr);
    if (lba == kLbaParseFailed) return;
    std::uint32_t sectors = 0;
    if (!parseSectorCount(count > 5 ? words[5] : nullptr, &sectors) || sectors == 0) return;
    std::uint32_t pattern = 0;
    if (write && parseHexArg(count > 6 ? words[6] : nullptr, &pattern, "Write Pattern") == 0) return;
    const std::uint32_t size = sectors * lib::SECTOR_SIZE;
    Buffer buffer = allocateTransfer(size);
    if (!buffer) return;
    if (write) fillPattern(buffer.get(), size, pattern);

    OsDisk disk(number);
    if (!disk.isOpen()) {
        consolePrint("Open disk %d failed : ", static_cast<int>(number));
        printSystemError();
        return;
    }
    platform::DeviceAccess& access = platform::deviceAccess();
    // An LBA whose byte offset passes the signed 64-bit range is refused
    // as the device refuses a bad position, rather than wrapped to another
    // sector.
    if (lba > static_cast<std::uint64_t>(INT64_MAX) / lib::SECTOR_SIZE) {
        consolePrint("%s\n", access.errorText(platform::kErrorInvalidParameter).c_str());
        return;
    }
    const auto offset = static_cast<std::int64_t>(lba * lib::SECTOR_SIZE);
    if (!access.setFilePointer(disk.handle(), offset, platform::kFileBegin, nullptr)) {
        printSystemError();
        return;
    }
    std::uint32_t done = 0;
    if (write) {
        if (access.writeFile(disk.handle(), buffer.get(), size, &done)) {
            consolePrint("Disk write OK!\n");
        } else {
            printSystemError();
        }
    } else if (access.readFile(disk.handle(), buffer.get(), size, &done)) {
        hexDump(buffer.get(), size, 1);
    } else {
        printSystemError();
    }
}

void osDiskCommand(std::int32_t count, char** words) {
    if (count < 3) {
        consolePrint("OS Disk operation command not specified.\n");
        return;
    }
    if (wordEquals(words[2], "list")) {
        listOsDisks();
        return;
    }
    if (!wordEquals(words[2], "read") && !wordEquals(words[2], "write")) {
        consolePrint("Invalid disk operation command '%s' specified.\n", words[2]);
        return;
    }
    osDiskTransfer(count, words);
}

// ---- dbg cc --------------------------------------------------------------------------

void bypassSwitch(std::int32_t count, char** words) {
    if (count < 4) {
        printInvalidParameters("dbg");
        return;
    }
    std::uint8_t code = 0;
    if (wordEquals(words[3], "enablebypass")) {
        code = kEnableBypass;
    } else if (wordEquals(words[3], "disablebypass")) {
        code = kDisableBypass;
    } else {
        printInvalidParameters("dbg cc");
        return;
    }
    const std::uint8_t arrayId = parseArrayId(words[2]);
    if (arrayId == kParseFailed) return;
    using R = lib::BypassRequest;
    std::uint8_t request[R::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    r.put<R::CdbLength>(kBypassCommandLength);
    std::uint8_t* cdb = request + R::Cdb::offset;
    cdb[0] = 0xE2;
    cdb[1] = 0x51;
    cdb[2] = code;
    cdb[3] = arrayId;
    r.put<R::DataLength>(0);
    r.put<R::DataAddress>(0);
    const std::uint32_t status = hx_sendBypassCommand(CONTROLLER_ADDRESS, request);
    consolePrint(status == 0 ? "%s %s command is returned successfully.\n"
                             : "%s %s command is returned unsuccessfully.\n",
                 "dbg cc", words[2]);
}

}  // namespace

std::int32_t debugCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (count < 2) {
        printInvalidParameters("dbg");
        return 1;
    }
    ControllerDevice* current = currentController != nullptr ? *currentController : nullptr;
    const bool transfer = wordEquals(words[1], "read") || wordEquals(words[1], "write");
    if (transfer || wordEquals(words[1], "ecc")) {
        // In library mode the command first finds a controller device of
        // its own, and goes no further without one.
        std::unique_ptr<ControllerDevice> owned;
        ControllerDevice* device = deviceForCommand(current, owned);
        if (device == nullptr) return 1;
        if (transfer) {
            controllerTransfer(device, count, words);
        } else {
            breakEcc(device, count, words);
        }
    } else if (wordEquals(words[1], "disk")) {
        osDiskCommand(count, words);
    } else if (wordEquals(words[1], "cc")) {
        // The bypass switch goes through the library, which direct mode
        // has not set up: there it does nothing.
        if (current == nullptr) bypassSwitch(count, words);
    } else {
        consolePrint("Invalid debugging command '%s' specified.\n", words[1]);
    }
    return 1;
}

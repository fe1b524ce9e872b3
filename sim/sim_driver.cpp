#include "sim/sim_driver.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "access/driver_protocol.h"
#include "sim/call_log.h"
#include "sim/sector_store.h"
#include "sim/store.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

thread_local std::uint32_t threadLastError = 0;

bool fail(std::uint32_t code) {
    threadLastError = code;
    return false;
}

// Reads N of a path of the form \\.\scsiN: (N decimal, no sign); -1 if the
// path has another form.
int scsiPortOfPath(const char* path) {
    static const char prefix[] = "\\\\.\\scsi";
    const std::size_t prefixLength = sizeof prefix - 1;
    if (path == nullptr || std::strncmp(path, prefix, prefixLength) != 0) return -1;
    const char* p = path + prefixLength;
    if (*p < '0' || *p > '9') return -1;
    long port = 0;
    while (*p >= '0' && *p <= '9') {
        port = port * 10 + (*p - '0');
        if (port > 0x7FFFFFFF) return -1;
        ++p;
    }
    if (p[0] != ':' || p[1] != '\0') return -1;
    return static_cast<int>(port);
}

// Reads N of a path of the form \\.\PHYSICALDRIVEN (the word in any case, N
// decimal); -1 if the path has another form.
int osDiskOfPath(const char* path) {
    static const char prefix[] = "\\\\.\\physicaldrive";
    const std::size_t prefixLength = sizeof prefix - 1;
    if (path == nullptr) return -1;
    for (std::size_t i = 0; i < prefixLength; ++i) {
        char c = path[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return -1;
    }
    const char* p = path + prefixLength;
    if (*p < '0' || *p > '9') return -1;
    long number = 0;
    while (*p >= '0' && *p <= '9') {
        number = number * 10 + (*p - '0');
        if (number > 0x7FFFFFFF) return -1;
        ++p;
    }
    return *p == '\0' ? static_cast<int>(number) : -1;
}

// An operating-system disk held open: which one, and where the next read
// or write begins (bytes).
struct OpenOsDisk {
    int number = 0;
    std::int64_t position = 0;
};

const Port* portOf(const State& state, int port) {
    if (port < 0 || static_cast<std::size_t>(port) >= state.ports.size()) return nullptr;
    const Port& p = state.ports[static_cast<std::size_t>(port)];
    if (p.kind == PortKind::Missing) return nullptr;
    if (p.kind == PortKind::Talo &&
        (p.controller < 0 || static_cast<std::size_t>(p.controller) >= state.controllers.size())) {
        return nullptr;
    }
    return &p;
}

class SimulatedDriver final : public platform::DeviceAccess {
public:
    platform::DeviceHandle createFile(const char* path, std::uint32_t, std::uint32_t,
                                      std::uint32_t, std::uint32_t) override {
        const int osDisk = osDiskOfPath(path);
        if (osDisk >= 0) return openOsDisk(osDisk);
        const int port = scsiPortOfPath(path);
        bool exists = false;
        if (port >= 0) {
            Store::instance().read([&](const State& state) { exists = portOf(state, port) != nullptr; });
        }
        if (!exists) {
            fail(platform::kErrorFileNotFound);
            return platform::invalidDeviceHandle();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        nextHandle_ += 4;
        const auto handle = reinterpret_cast<platform::DeviceHandle>(nextHandle_);
        open_[handle] = port;
        return handle;
    }

    bool closeHandle(platform::DeviceHandle handle) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (open_.erase(handle) == 0 && osDisks_.erase(handle) == 0) {
            return fail(platform::kErrorInvalidHandle);
        }
        return true;
    }

    bool deviceIoControl(platform::DeviceHandle handle, std::uint32_t code, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned, void* dataBuffer) override {
        int port;
        if (bytesReturned != nullptr) *bytesReturned = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (const auto disk = osDisks_.find(handle); disk != osDisks_.end()) {
                const int number = disk->second.number;
                if (code != platform::kIoctlDiskGetDriveGeometry) return fail(platform::kErrorInvalidFunction);
                return geometry(number, output, outputLength, bytesReturned);
            }
            auto it = open_.find(handle);
            if (it == open_.end()) return fail(platform::kErrorInvalidHandle);
            port = it->second;
        }
        switch (code) {
            case platform::kIoctlScsiMiniport:
                return miniport(port, input, inputLength, output, outputLength, bytesReturned);
            case platform::kIoctlScsiPassThroughDirect:
                return passThrough(port, input, inputLength, output, outputLength, bytesReturned,
                                   dataBuffer);
            default:
                return fail(platform::kErrorInvalidFunction);
        }
    }

    // The simulated machine's own disks: images in the sector store.
    bool setFilePointer(platform::DeviceHandle handle, std::int64_t distance, std::uint32_t moveMethod,
                        std::int64_t* newPosition) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = osDisks_.find(handle);
        if (it == osDisks_.end()) return rawAccessRefused(handle);
        std::int64_t base = 0;
        if (moveMethod == 1) {
            base = it->second.position;
        } else if (moveMethod == 2) {
            base = static_cast<std::int64_t>(osDiskSectors(it->second.number) * kSectorBytes);
        } else if (moveMethod != platform::kFileBegin) {
            return fail(platform::kErrorInvalidParameter);
        }
        if ((distance < 0 && base + distance < 0) ||
            (distance > 0 && distance > INT64_MAX - base)) {
            return fail(platform::kErrorInvalidParameter);
        }
        it->second.position = base + distance;
        if (newPosition != nullptr) *newPosition = it->second.position;
        return true;
    }
    bool readFile(platform::DeviceHandle handle, void* buffer, std::uint32_t length,
                  std::uint32_t* read) override {
        if (read != nullptr) *read = 0;
        return transferOsDisk(handle, static_cast<std::uint8_t*>(buffer), length, read, false);
    }
    bool writeFile(platform::DeviceHandle handle, const void* buffer, std::uint32_t length,
                   std::uint32_t* written) override {
        if (written != nullptr) *written = 0;
        return transferOsDisk(handle, static_cast<std::uint8_t*>(const_cast<void*>(buffer)), length,
                              written, true);
    }

    std::uint32_t lastError() const override { return threadLastError; }

    std::vector<std::uint8_t> lastMiniport() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastMiniport_;
    }

    std::size_t openCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return open_.size() + osDisks_.size();
    }

    std::string errorText(std::uint32_t code) const override {
        switch (code) {
            case platform::kErrorInvalidFunction: return "Incorrect function.\r\n";
            case platform::kErrorFileNotFound: return "The system cannot find the file specified.\r\n";
            case platform::kErrorAccessDenied: return "Access is denied.\r\n";
            case platform::kErrorInvalidHandle: return "The handle is invalid.\r\n";
            case platform::kErrorNotReady: return "The device is not ready.\r\n";
            case platform::kErrorGenFailure:
                return "A device attached to the system is not functioning.\r\n";
            case platform::kErrorInvalidParameter: return "The parameter is incorrect.\r\n";
            case platform::kErrorSectorNotFound: return "The drive cannot find the sector requested.\r\n";
            case platform::kErrorSemTimeout: return "The semaphore timeout period has expired.\r\n";
            case platform::kErrorIoDevice:
                return "The request could not be performed because of an I/O device error.\r\n";
            default: return std::string();
        }
    }

private:
    // Raw access to a handle that is not an operating-system disk (the
    // caller holds mutex_).
    bool rawAccessRefused(platform::DeviceHandle handle) {
        return fail(open_.count(handle) != 0 ? platform::kErrorInvalidFunction
                                             : platform::kErrorInvalidHandle);
    }

    static std::uint64_t osDiskSectors(int number) {
        std::uint64_t sectors = 0;
        Store::instance().read([&](const State& state) {
            if (number >= 0 && static_cast<std::size_t>(number) < state.osDisks.size()) {
                sectors = state.osDisks[static_cast<std::size_t>(number)];
            }
        });
        return sectors;
    }

    platform::DeviceHandle openOsDisk(int number) {
        bool exists = false;
        Store::instance().read([&](const State& state) {
            exists = static_cast<std::size_t>(number) < state.osDisks.size();
        });
        if (!exists) {
            fail(platform::kErrorFileNotFound);
            return platform::invalidDeviceHandle();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        nextHandle_ += 4;
        const auto handle = reinterpret_cast<platform::DeviceHandle>(nextHandle_);
        osDisks_[handle] = OpenOsDisk{number, 0};
        return handle;
    }

    // DISK_GEOMETRY of a disk of 255 tracks per cylinder and 63 sectors per
    // track: the whole cylinders that fit in its size.
    bool geometry(int number, void* output, std::uint32_t outputLength, std::uint32_t* bytesReturned) {
        if (output == nullptr || outputLength < platform::kDiskGeometrySize) {
            return fail(platform::kErrorInsufficientBuffer);
        }
        constexpr std::uint32_t kTracks = 255;
        constexpr std::uint32_t kSectorsPerTrack = 63;
        constexpr std::uint32_t kFixedMedia = 12;
        const std::uint64_t sectors = osDiskSectors(number);
        const rec::ByteSpan g(output, platform::kDiskGeometrySize);
        g.putAt<std::uint64_t>(0, sectors / (kTracks * kSectorsPerTrack));
        g.putAt<std::uint32_t>(8, kFixedMedia);
        g.putAt<std::uint32_t>(12, kTracks);
        g.putAt<std::uint32_t>(16, kSectorsPerTrack);
        g.putAt<std::uint32_t>(20, kSectorBytes);
        if (bytesReturned != nullptr) *bytesReturned = platform::kDiskGeometrySize;
        return true;
    }

    // A read or write of whole sectors at the handle's position, which
    // moves past them. As on a real disk, the position and the length must
    // be whole sectors and lie inside the disk.
    bool transferOsDisk(platform::DeviceHandle handle, std::uint8_t* buffer, std::uint32_t length,
                        std::uint32_t* done, bool write) {
        OpenOsDisk disk;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = osDisks_.find(handle);
            if (it == osDisks_.end()) return rawAccessRefused(handle);
            disk = it->second;
        }
        if (length == 0) return true;
        if (buffer == nullptr || length % kSectorBytes != 0 || disk.position % kSectorBytes != 0) {
            return fail(platform::kErrorInvalidParameter);
        }
        const std::uint64_t lba = static_cast<std::uint64_t>(disk.position) / kSectorBytes;
        const std::uint32_t count = length / kSectorBytes;
        bool inside = false;
        bool ok = false;
        auto access = [&](const State& state) {
            const auto n = static_cast<std::size_t>(disk.number);
            const std::uint64_t sectors = n < state.osDisks.size() ? state.osDisks[n] : 0;
            inside = lba < sectors && count <= sectors - lba;
            if (!inside) return;
            const std::string image = osDiskImage(disk.number);
            ok = write ? writeSectors(image, lba, count, buffer, nullptr)
                       : readSectors(image, lba, count, buffer, nullptr);
        };
        // Writes take the state's lock alone, reads share it.
        if (write) {
            Store::instance().modify([&](State& state) { access(state); });
        } else {
            Store::instance().read(access);
        }
        if (!inside) return fail(platform::kErrorSectorNotFound);
        if (!ok) return fail(platform::kErrorIoDevice);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto it = osDisks_.find(handle);
            if (it != osDisks_.end()) it->second.position = disk.position + length;
        }
        if (done != nullptr) *done = length;
        return true;
    }

    bool miniport(int port, void* input, std::uint32_t inputLength, void* output,
                  std::uint32_t outputLength, std::uint32_t* bytesReturned) {
        if (input == nullptr || output == nullptr || inputLength < drv::SrbIoControl::kSize ||
            outputLength < drv::SrbIoControl::kSize) {
            return fail(platform::kErrorInvalidParameter);
        }
        // The header is read in full before the answer overwrites the buffer,
        // which may be the same one.
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto* bytes = static_cast<const std::uint8_t*>(input);
            lastMiniport_.assign(bytes, bytes + inputLength);
        }
        std::uint8_t header[drv::SrbIoControl::kSize];
        std::memcpy(header, input, sizeof header);
        const rec::ByteView request(header, sizeof header);
        const bool ours =
            std::memcmp(header + drv::SrbIoControl::Signature::offset, drv::kMiniportSignature,
                        sizeof drv::kMiniportSignature) == 0 &&
            request.get<drv::SrbIoControl::ControlCode>() == drv::kIdentifyControlCode;

        bool rejects = false;
        bool talo = false;
        Controller controller;
        Store::instance().read([&](const State& state) {
            const Port* p = portOf(state, port);
            if (p == nullptr) return;
            rejects = p->rejectsIdentify;
            talo = p->kind == PortKind::Talo;
            if (talo) controller = state.controllers[static_cast<std::size_t>(p->controller)];
        });
        if (rejects) return fail(platform::kErrorInvalidFunction);

        const rec::ByteSpan reply(output, outputLength);
        if (output != input) std::memcpy(output, header, sizeof header);
        if (!talo || !ours) {
            // Another miniport, or a request this one does not know: the
            // request completes, but with an error code and no data.
            reply.put<drv::SrbIoControl::ReturnCode>(1);
            if (bytesReturned != nullptr) *bytesReturned = drv::SrbIoControl::kSize;
            return true;
        }
        const rec::ByteSpan identity = reply.sub<drv::IdentifyRequest::Identity>();
        identity.clear();
        identity.put<drv::ControllerIdentity::Version1>(controller.driverVersion[0]);
        identity.put<drv::ControllerIdentity::Version2>(controller.driverVersion[1]);
        identity.put<drv::ControllerIdentity::Version3>(controller.driverVersion[2]);
        identity.put<drv::ControllerIdentity::Version4>(controller.driverVersion[3]);
        identity.put<drv::ControllerIdentity::Magic>(drv::kTaloMagic);
        identity.put<drv::ControllerIdentity::ControllerId>(controller.controllerId);
        identity.put<drv::ControllerIdentity::SubsystemId>(controller.subsystemId);
        identity.put<drv::ControllerIdentity::TargetId>(controller.targetId);
        reply.put<drv::SrbIoControl::ReturnCode>(controller.identifyReturnCode);
        reply.put<drv::SrbIoControl::Length>(drv::ControllerIdentity::kSize);
        if (bytesReturned != nullptr) {
            *bytesReturned = static_cast<std::uint32_t>(drv::SrbIoControl::kSize + identity.size());
        }
        return true;
    }

    bool passThrough(int port, void* input, std::uint32_t inputLength, void* output,
                     std::uint32_t outputLength, std::uint32_t* bytesReturned, void* dataBuffer) {
        using Block = drv::PassThroughBlock;
        if (input == nullptr || output == nullptr || inputLength < Block::kSize ||
            outputLength < Block::kSize) {
            return fail(platform::kErrorInvalidParameter);
        }
        std::uint8_t block[Block::kSize];
        std::memcpy(block, input, sizeof block);
        const rec::ByteSpan span(block, sizeof block);
        const rec::ByteView view = span.view();
        if (view.get<Block::Length>() != Block::kScsiPassThroughDirectSize) {
            return fail(platform::kErrorInvalidParameter);
        }
        const std::uint32_t length = view.get<Block::DataTransferLength>();
        if (length != 0 && dataBuffer == nullptr) return fail(platform::kErrorInvalidParameter);

        std::uint8_t cdb[Block::kCdbSize] = {};
        const std::size_t cdbLength = view.get<Block::CdbLength>();
        std::memcpy(cdb, block + Block::Cdb::offset,
                    cdbLength < Block::kCdbSize ? cdbLength : Block::kCdbSize);

        std::uint32_t injected = 0;
        std::vector<int> injectedSense;
        bool talo = false;
        int controllerIndex = -1;
        Store::instance().read([&](const State& state) {
            injected = state.failures.passThroughError;
            injectedSense = state.failures.vendorCheckCondition;
            const Port* p = portOf(state, port);
            if (p != nullptr && p->kind == PortKind::Talo) {
                talo = true;
                controllerIndex = p->controller;
            }
        });
        if (injected != 0) return fail(injected);
        if (!talo) return fail(platform::kErrorInvalidFunction);
        recordPassThrough(cdb, dataBuffer, length);

        // The command's description says whether it may change the
        // controller: only then does it run on the stored state.
        const VendorHandler* handler = findVendorHandler(cdb);
        ScsiOutcome outcome;
        auto refused = [&](const State& state) {
            if (injectedSense.size() == 3) {
                outcome = checkCondition(static_cast<std::uint8_t>(injectedSense[0]),
                                         static_cast<std::uint8_t>(injectedSense[1]),
                                         static_cast<std::uint8_t>(injectedSense[2]));
                return true;
            }
            if (controllerIndex < 0 || static_cast<std::size_t>(controllerIndex) >= state.controllers.size()) {
                outcome = checkCondition(kSenseIllegalRequest, kAscLogicalUnitNotSupported, 0);
                return true;
            }
            if (handler == nullptr) {
                outcome = unknownCommand(cdb);
                return true;
            }
            return false;
        };
        auto* data = static_cast<std::uint8_t*>(dataBuffer);
        if (handler != nullptr && handler->command().changes()) {
            Store::instance().modify([&](State& state) {
                if (refused(state)) return;
                outcome = handler->run(state, controllerIndex, VendorRequest{handler->command(), cdb, data, length});
            });
        } else {
            Store::instance().read([&](const State& state) {
                if (refused(state)) return;
                outcome = handler->run(state, controllerIndex, VendorRequest{handler->command(), cdb, data, length});
            });
        }

        if (outcome.systemError != 0) return fail(outcome.systemError);
        span.put<Block::ScsiStatus>(outcome.status);
        const std::size_t room = view.get<Block::SenseInfoLength>() < Block::kSenseSize
                                     ? view.get<Block::SenseInfoLength>()
                                     : Block::kSenseSize;
        const std::size_t senseLength = outcome.sense.size() < room ? outcome.sense.size() : room;
        std::memset(block + Block::Sense::offset, 0, Block::kSenseSize);
        if (outcome.status != drv::kScsiStatusGood && senseLength != 0) {
            std::memcpy(block + Block::Sense::offset, outcome.sense.data(), senseLength);
            span.put<Block::SenseInfoLength>(static_cast<std::uint8_t>(senseLength));
        } else {
            span.put<Block::SenseInfoLength>(0);
        }
        std::memcpy(output, block, sizeof block);
        if (bytesReturned != nullptr) *bytesReturned = Block::kSize;
        return true;
    }

    std::mutex mutex_;
    std::intptr_t nextHandle_ = 0x1000;
    std::map<platform::DeviceHandle, int> open_;
    std::map<platform::DeviceHandle, OpenOsDisk> osDisks_;
    std::vector<std::uint8_t> lastMiniport_;
};

}  // namespace

namespace {
SimulatedDriver& driver() {
    static SimulatedDriver instance;
    return instance;
}
}  // namespace

platform::DeviceAccess& simulatedDeviceAccess() { return driver(); }

std::size_t simulatedOpenHandleCount() { return driver().openCount(); }

std::vector<std::uint8_t> lastMiniportRequest() { return driver().lastMiniport(); }

}  // namespace sim

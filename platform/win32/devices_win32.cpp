// Storage devices on Windows: CreateFileA, DeviceIoControl with the SCSI
// miniport and pass-through requests, raw reads and writes, and system error
// texts.

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/scsi_port_requests.h"
#include "platform/device_access.h"

// Our copies of the Windows values and layouts must be the SDK's.
static_assert(platform::kGenericRead == GENERIC_READ);
static_assert(platform::kGenericWrite == GENERIC_WRITE);
static_assert(platform::kOpenExisting == OPEN_EXISTING);
static_assert(platform::kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(platform::kFileBegin == FILE_BEGIN);
static_assert(platform::kIoctlScsiMiniport == IOCTL_SCSI_MINIPORT);
static_assert(platform::kIoctlScsiPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT);
static_assert(platform::kIoctlDiskGetDriveGeometry == IOCTL_DISK_GET_DRIVE_GEOMETRY);
static_assert(platform::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(platform::kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(platform::kErrorInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(platform::kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(platform::kErrorIoDevice == ERROR_IO_DEVICE);
static_assert(platform::kErrorSectorNotFound == ERROR_SECTOR_NOT_FOUND);
static_assert(platform::kErrorSemTimeout == ERROR_SEM_TIMEOUT);
static_assert(platform::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(platform::kDiskGeometrySize == sizeof(DISK_GEOMETRY));
static_assert(sizeof(DISK_GEOMETRY) == 24);

static_assert(sizeof(SRB_IO_CONTROL) == drv::SrbIoControl::kSize);
static_assert(offsetof(SRB_IO_CONTROL, HeaderLength) == drv::SrbIoControl::HeaderLength::offset);
static_assert(offsetof(SRB_IO_CONTROL, Signature) == drv::SrbIoControl::Signature::offset);
static_assert(offsetof(SRB_IO_CONTROL, Timeout) == drv::SrbIoControl::Timeout::offset);
static_assert(offsetof(SRB_IO_CONTROL, ControlCode) == drv::SrbIoControl::ControlCode::offset);
static_assert(offsetof(SRB_IO_CONTROL, ReturnCode) == drv::SrbIoControl::ReturnCode::offset);
static_assert(offsetof(SRB_IO_CONTROL, Length) == drv::SrbIoControl::Length::offset);

using Block = drv::PassThroughBlock;
// Fields before the data buffer address sit where our block has them on
// every Windows target.
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Length) == Block::Length::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == Block::ScsiStatus::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TargetId) == Block::TargetId::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, CdbLength) == Block::CdbLength::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoLength) == Block::SenseInfoLength::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == Block::DataIn::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) ==
              Block::DataTransferLength::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == Block::TimeOutValue::offset);
#if defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56);
#else
// On the 32-bit target our 80-byte block is the structure itself.
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == Block::kScsiPassThroughDirectSize);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == Block::DataBuffer::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == Block::SenseInfoOffset::offset);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == Block::Cdb::offset);
#endif

namespace platform {

namespace {

// The request as the driver takes it on this system: the structure, then
// the sense buffer.
struct PassThroughWithSense {
    SCSI_PASS_THROUGH_DIRECT request;
    ULONG filler;
    UCHAR sense[Block::kSenseSize];
};
#if !defined(_WIN64)
static_assert(sizeof(PassThroughWithSense) == Block::kSize);
static_assert(offsetof(PassThroughWithSense, sense) == Block::Sense::offset);
#endif

HANDLE handleOf(DeviceHandle handle) { return static_cast<HANDLE>(handle); }

class Win32Devices final : public DeviceAccess {
public:
    DeviceHandle createFile(const char* path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                            std::uint32_t creationDisposition,
                            std::uint32_t flagsAndAttributes) override {
        HANDLE h = CreateFileA(path, desiredAccess, shareMode, nullptr, creationDisposition,
                               flagsAndAttributes, nullptr);
        return h == INVALID_HANDLE_VALUE ? invalidDeviceHandle() : static_cast<DeviceHandle>(h);
    }

    bool deviceIoControl(DeviceHandle handle, std::uint32_t code, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned, void* dataBuffer) override {
        DWORD returned = 0;
        if (code == kIoctlScsiPassThroughDirect && input != nullptr && output != nullptr &&
            inputLength >= Block::kSize && outputLength >= Block::kSize) {
            const bool ok = passThrough(handle, static_cast<const std::uint8_t*>(input),
                                        static_cast<std::uint8_t*>(output), dataBuffer, &returned);
            if (bytesReturned != nullptr) *bytesReturned = returned;
            return ok;
        }
        const BOOL ok = DeviceIoControl(handleOf(handle), code, input, inputLength, output,
                                        outputLength, &returned, nullptr);
        if (bytesReturned != nullptr) *bytesReturned = returned;
        return ok != 0;
    }

    bool closeHandle(DeviceHandle handle) override { return CloseHandle(handleOf(handle)) != 0; }

    bool setFilePointer(DeviceHandle handle, std::int64_t distance, std::uint32_t moveMethod,
                        std::int64_t* newPosition) override {
        LARGE_INTEGER move;
        move.QuadPart = distance;
        LARGE_INTEGER now;
        const BOOL ok = SetFilePointerEx(handleOf(handle), move, &now, moveMethod);
        if (ok && newPosition != nullptr) *newPosition = now.QuadPart;
        return ok != 0;
    }

    bool readFile(DeviceHandle handle, void* buffer, std::uint32_t length,
                  std::uint32_t* bytesRead) override {
        DWORD done = 0;
        const BOOL ok = ReadFile(handleOf(handle), buffer, length, &done, nullptr);
        if (bytesRead != nullptr) *bytesRead = done;
        return ok != 0;
    }

    bool writeFile(DeviceHandle handle, const void* buffer, std::uint32_t length,
                   std::uint32_t* bytesWritten) override {
        DWORD done = 0;
        const BOOL ok = WriteFile(handleOf(handle), buffer, length, &done, nullptr);
        if (bytesWritten != nullptr) *bytesWritten = done;
        return ok != 0;
    }

    std::uint32_t lastError() const override { return GetLastError(); }

    std::string errorText(std::uint32_t code) const override {
        char* text = nullptr;
        const DWORD length = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
            reinterpret_cast<LPSTR>(&text), 0, nullptr);
        std::string result;
        if (length != 0 && text != nullptr) result.assign(text, length);
        if (text != nullptr) LocalFree(text);
        return result;
    }

private:
    // Our block's bytes, moved into the system's structure (whose address
    // field is pointer-sized) and back.
    static bool passThrough(DeviceHandle handle, const std::uint8_t* in, std::uint8_t* out,
                            void* dataBuffer, DWORD* returned) {
        const rec::ByteView block(in, Block::kSize);
        PassThroughWithSense request;
        std::memset(&request, 0, sizeof request);
        SCSI_PASS_THROUGH_DIRECT& r = request.request;
        r.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
        r.ScsiStatus = block.get<Block::ScsiStatus>();
        r.PathId = block.get<Block::PathId>();
        r.TargetId = block.get<Block::TargetId>();
        r.Lun = block.get<Block::Lun>();
        r.CdbLength = block.get<Block::CdbLength>();
        r.SenseInfoLength = block.get<Block::SenseInfoLength>();
        r.DataIn = block.get<Block::DataIn>();
        r.DataTransferLength = block.get<Block::DataTransferLength>();
        r.TimeOutValue = block.get<Block::TimeOutValue>();
        r.DataBuffer = dataBuffer;
        r.SenseInfoOffset = offsetof(PassThroughWithSense, sense);
        std::memcpy(r.Cdb, in + Block::Cdb::offset, Block::kCdbSize);
        const BOOL ok = DeviceIoControl(handleOf(handle), IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                        sizeof request, &request, sizeof request, returned, nullptr);
        if (out != in) std::memcpy(out, in, Block::kSize);
        const rec::ByteSpan reply(out, Block::kSize);
        reply.put<Block::ScsiStatus>(r.ScsiStatus);
        reply.put<Block::SenseInfoLength>(r.SenseInfoLength);
        reply.put<Block::DataTransferLength>(r.DataTransferLength);
        std::memcpy(out + Block::Sense::offset, request.sense, Block::kSenseSize);
        return ok != 0;
    }
};

}  // namespace

DeviceAccess& systemDeviceAccess() {
    static Win32Devices system;
    return system;
}

bool systemHasControllerDriver() { return true; }

}  // namespace platform

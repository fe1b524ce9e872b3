#include "access/driver_device.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "access/driver_protocol.h"

DriverDevice::DriverDevice(const char* path)
    : m_hDriver(platform::invalidDeviceHandle()), devicePath(path != nullptr ? path : "") {}

DriverDevice::~DriverDevice() {
    if (m_hDriver != platform::invalidDeviceHandle()) {
        platform::deviceAccess().closeHandle(m_hDriver);
        m_hDriver = platform::invalidDeviceHandle();
    }
}

bool DriverDevice::open() {
    m_hDriver = platform::deviceAccess().createFile(
        devicePath.c_str(), platform::kGenericRead | platform::kGenericWrite, 0,
        platform::kOpenExisting, platform::kFileAttributeNormal);
    return m_hDriver != platform::invalidDeviceHandle();
}

int DriverDevice::ioControl(std::uint32_t code, void* input, std::uint32_t inputLength,
                            void* output, std::uint32_t outputLength,
                            std::uint32_t* bytesReturned, void* dataBuffer) {
    assert(m_hDriver != platform::invalidDeviceHandle() && "m_hDriver != INVALID_HANDLE_VALUE");
    std::uint32_t unused = 0;
    return platform::deviceAccess().deviceIoControl(m_hDriver, code, input, inputLength, output,
                                                    outputLength,
                                                    bytesReturned != nullptr ? bytesReturned : &unused,
                                                    dataBuffer)
               ? 1
               : 0;
}

namespace {

// Asks the device's driver who it is. True when it answers as a Talo
// controller; the ReturnCode and byte count of the answer are not looked at.
bool identify(ControllerDevice& device, std::uint8_t (&buffer)[drv::IdentifyRequest::kSize]) {
    std::memset(buffer, 0, sizeof buffer);
    const rec::ByteSpan request(buffer, sizeof buffer);
    request.put<drv::SrbIoControl::HeaderLength>(drv::SrbIoControl::kSize);
    std::memcpy(buffer + drv::SrbIoControl::Signature::offset, drv::kMiniportSignature,
                sizeof drv::kMiniportSignature);
    request.put<drv::SrbIoControl::Timeout>(drv::kIdentifyTimeoutSeconds);
    request.put<drv::SrbIoControl::ControlCode>(drv::kIdentifyControlCode);
    request.put<drv::SrbIoControl::ReturnCode>(0xFFFFFFFFu);
    request.put<drv::SrbIoControl::Length>(drv::ControllerIdentity::kSize);
    std::uint32_t returned = 0;
    if (!device.ioControl(platform::kIoctlScsiMiniport, buffer, sizeof buffer, buffer,
                          sizeof buffer, &returned)) {
        return false;
    }
    return request.view().get<drv::IdentifyRequest::Magic>() == drv::kTaloMagic;
}

}  // namespace

ControllerDevice* findController(std::int32_t startPort, std::uint8_t* identity) {
    for (std::int32_t port = startPort; port >= 0; port = port < INT32_MAX ? port + 1 : -1) {
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\scsi%d:", port);
        auto* device = new ControllerDevice(path);
        if (!device->open()) {
            delete device;
            return nullptr;
        }
        std::uint8_t buffer[drv::IdentifyRequest::kSize];
        if (!identify(*device, buffer)) {
            delete device;
            continue;
        }
        if (identity != nullptr) {
            std::memcpy(identity, buffer + drv::IdentifyRequest::Identity::offset,
                        drv::ControllerIdentity::kSize);
        }
        device->portNumber = port;
        device->targetId = rec::ByteView(buffer, sizeof buffer).get<drv::IdentifyRequest::TargetId>();
        return device;
    }
    return nullptr;
}

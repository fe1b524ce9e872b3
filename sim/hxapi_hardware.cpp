// The stand-in library's enclosure and hardware operations: the enclosure
// list and status, fan speeds, locate LEDs, the battery, the buzzer, the
// port value, the 3 Gb/s option and the ports' hot-plug and ALPE settings.
// Each notes what it was handed; a request naming something the controller
// does not have fails and leaves the caller's buffer as it was.

#include <cstring>

#include "access/enclosure_records.h"
#include "access/library_records.h"
#include "sim/call_log.h"
#include "sim/hardware_model.h"
#include "sim/hxapi_library.h"
#include "sim/replies.h"

using namespace sim;

namespace {

std::uint32_t statusOf(HardwareOutcome outcome) {
    switch (outcome) {
        case HardwareOutcome::Ok: return 0;
        case HardwareOutcome::NoSuchEnclosure:
        case HardwareOutcome::NoSuchFan: return kHxStatusNoSuchEnclosure;
        case HardwareOutcome::NoSuchDisk: return kHxStatusNoSuchDisk;
        case HardwareOutcome::NoSuchArray: return kHxStatusNoSuchArray;
        case HardwareOutcome::NoLed: return kHxStatusNotSupported;
        case HardwareOutcome::BadValue: return kHxStatusInvalidArgument;
    }
    return kHxStatusInvalidArgument;
}

// Notes two 32-bit scalars.
void noteTwo(const char* operation, std::uint32_t a, std::uint32_t b) {
    std::uint8_t bytes[8];
    rec::storeLe32(bytes, a);
    rec::storeLe32(bytes + 4, b);
    recordLibraryCall(operation, bytes, sizeof bytes);
}

// The port operations take no controller address: they reach the first
// controller the library numbers.
constexpr std::uint32_t kPortController = 0;

using PortMember = bool SataPort::*;

std::uint32_t getPortSetting(const char* operation, std::uint32_t port, std::uint32_t* enabled,
                             std::uint32_t size, PortMember member) {
    noteTwo(operation, port, size);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (enabled == nullptr || size < sizeof *enabled) return kHxStatusInvalidArgument;
    return readLibraryController(kPortController, [&](const State&, const Controller& c) -> std::uint32_t {
        if (port >= c.sataPorts.size()) return kHxStatusInvalidArgument;
        *enabled = c.sataPorts[port].*member ? 1 : 0;
        return 0;
    });
}

std::uint32_t setPortSetting(const char* operation, std::uint32_t port, const std::uint32_t* enable,
                             std::uint32_t size, PortMember member) {
    noteTwo(operation, port, enable != nullptr ? *enable : 0xFFFFFFFFu);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (enable == nullptr || size < sizeof *enable || *enable > 1) return kHxStatusInvalidArgument;
    return changeLibraryController(kPortController, [&](State&, Controller& c) -> std::uint32_t {
        if (port >= c.sataPorts.size()) return kHxStatusInvalidArgument;
        c.sataPorts[port].*member = *enable == 1;
        return 0;
    });
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_getEnclosureInfo(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                   void* buf, uint32_t size) {
    using Q = lib::EnclosureRequest;
    recordLibraryCall("hx_getEnclosureInfo", req, req != nullptr ? Q::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr || size < lib::EnclosureInfoReply::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        const rec::ByteView request(req, Q::kSize);
        const rec::ByteSpan reply(buf, lib::EnclosureInfoReply::kSize);
        fillEnclosureList(reply.sub<lib::EnclosureInfoReply::Records>(), c, request.get<Q::FirstId>(),
                          request.get<Q::Count>());
        reply.put<lib::InfoReplyHeader::BufferSize>(size);
        reply.put<lib::InfoReplyHeader::BytesFilled>(static_cast<std::uint32_t>(lib::EnclosureInfoReply::kSize));
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getEnclosureStatus(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                     void* buf, uint32_t size) {
    using Q = lib::EnclosureRequest;
    recordLibraryCall("hx_getEnclosureStatus", req, req != nullptr ? Q::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteView request(req, Q::kSize);
    const bool full = request.get<Q::StatusKind>() == lib::ENCLOSURE_STATUS_FULL;
    if (!full && request.get<Q::StatusKind>() != lib::ENCLOSURE_STATUS_SENSORS) return kHxStatusInvalidArgument;
    const std::size_t needed = full ? lib::EnclosureStatusReply::kSize : lib::SensorListReply::kSize;
    if (size < needed || request.get<Q::Count>() != 1) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        const Enclosure* e = findEnclosure(c, request.get<Q::FirstId>());
        if (e == nullptr) return kHxStatusNoSuchEnclosure;
        // Only the kinds that keep a full status give one; every kind lists
        // its sensors.
        if (full && !lib::reportsFullStatus(e->type)) return kHxStatusNotSupported;
        const rec::ByteSpan reply(buf, needed);
        if (full) {
            fillEnclosureStatus(reply.sub<lib::EnclosureStatusReply::Status>(), c, *e);
        } else {
            fillSensorList(reply.sub<lib::SensorListReply::Sensors>(), *e);
        }
        reply.put<lib::InfoReplyHeader::BufferSize>(size);
        reply.put<lib::InfoReplyHeader::BytesFilled>(static_cast<std::uint32_t>(needed));
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_setEnclosureSetting(uint32_t w1, uint32_t, uint32_t, const void* setting) {
    using F = lib::EnclosureFanSetting;
    recordLibraryCall("hx_setEnclosureSetting", setting, setting != nullptr ? F::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (setting == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteView s(setting, F::kSize);
    if (s.get<F::Item>() != lib::ENCLOSURE_SETTING_FAN_SPEED) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return statusOf(setFanSpeed(c, s.get<F::EnclosureId>(), s.get<F::FanId>(), s.get<F::SpeedCode>()));
    });
}

extern "C" uint32_t HXAPI_CALL hx_locatePhyDrv(uint32_t w1, uint32_t, uint32_t, uint32_t diskId, uint32_t option) {
    noteTwo("hx_locatePhyDrv", diskId, option);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return diskId > 0xFFFF ? kHxStatusNoSuchDisk : statusOf(locateDisk(c, static_cast<int>(diskId), true));
    });
}

extern "C" uint32_t HXAPI_CALL hx_stopLocatePhyDrv(uint32_t w1, uint32_t, uint32_t, uint32_t diskId) {
    noteScalarCall("hx_stopLocatePhyDrv", diskId);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return diskId > 0xFFFF ? kHxStatusNoSuchDisk : statusOf(locateDisk(c, static_cast<int>(diskId), false));
    });
}

extern "C" uint32_t HXAPI_CALL hx_getPhyDrvLocateStatus(uint32_t w1, uint32_t, uint32_t, uint32_t diskId,
                                                        uint8_t* ledOn) {
    noteScalarCall("hx_getPhyDrvLocateStatus", diskId);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (ledOn == nullptr) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        const Disk* d = diskId <= 0xFFFF ? findDisk(c, static_cast<int>(diskId)) : nullptr;
        if (d == nullptr || !diskVisible(*d)) return kHxStatusNoSuchDisk;
        *ledOn = locateLedOn(c, d->id) ? 1 : 0;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_locateLogDrv(uint32_t w1, uint32_t, uint32_t, uint32_t arrayId, uint32_t option) {
    noteTwo("hx_locateLogDrv", arrayId, option);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return arrayId > 0xFFFF ? kHxStatusNoSuchArray : statusOf(locateArray(c, static_cast<int>(arrayId), true));
    });
}

extern "C" uint32_t HXAPI_CALL hx_stopLocateLogDrv(uint32_t w1, uint32_t, uint32_t, uint32_t arrayId) {
    noteScalarCall("hx_stopLocateLogDrv", arrayId);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [&](State&, Controller& c) {
        return arrayId > 0xFFFF ? kHxStatusNoSuchArray : statusOf(locateArray(c, static_cast<int>(arrayId), false));
    });
}

extern "C" uint32_t HXAPI_CALL hx_getBatteryInfo(uint32_t w1, uint32_t, uint32_t, const void* req, void* buf,
                                                 uint32_t size) {
    using B = lib::BatteryInfo;
    recordLibraryCall("hx_getBatteryInfo", req, req != nullptr ? lib::BatteryRequest::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr || size < B::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
        fillBatteryInfo(rec::ByteSpan(buf, B::kSize), c.battery, currentTime(state));
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getBuzzerStatus(uint32_t w1, uint32_t, uint32_t, uint8_t* on, uint32_t size) {
    noteScalarCall("hx_getBuzzerStatus", size);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (on == nullptr || size < 1) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        *on = c.buzzer ? 1 : 0;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_turnOnBuzzer(uint32_t w1, uint32_t, uint32_t) {
    recordLibraryCall("hx_turnOnBuzzer", nullptr, 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [](State&, Controller& c) -> std::uint32_t {
        c.buzzer = true;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_turnOffBuzzer(uint32_t w1, uint32_t, uint32_t) {
    recordLibraryCall("hx_turnOffBuzzer", nullptr, 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    return changeLibraryController(w1, [](State&, Controller& c) -> std::uint32_t {
        c.buzzer = false;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getPortInfo(uint32_t w1, uint32_t, uint32_t, uint32_t* value) {
    noteScalarCall("hx_getPortInfo", value != nullptr ? *value : 0xFFFFFFFFu);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (value == nullptr) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        *value = c.portInfo;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_setDataTransferSpeedTX(uint32_t w1, uint32_t, uint32_t, const uint32_t* enable,
                                                         uint32_t size) {
    noteTwo("hx_setDataTransferSpeedTX", enable != nullptr ? *enable : 0xFFFFFFFFu, size);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (enable == nullptr || size < sizeof *enable || *enable > 1) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State&, Controller& c) -> std::uint32_t {
        setSpeed3g(c, *enable == 1);
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getPortHotPlug(uint32_t port, uint32_t* enabled, uint32_t size) {
    return getPortSetting("hx_getPortHotPlug", port, enabled, size, &SataPort::hotPlug);
}

extern "C" uint32_t HXAPI_CALL hx_setPortHotPlug(uint32_t port, const uint32_t* enable, uint32_t size) {
    return setPortSetting("hx_setPortHotPlug", port, enable, size, &SataPort::hotPlug);
}

extern "C" uint32_t HXAPI_CALL hx_getPortALPE(uint32_t port, uint32_t* enabled, uint32_t size) {
    return getPortSetting("hx_getPortALPE", port, enabled, size, &SataPort::alpe);
}

extern "C" uint32_t HXAPI_CALL hx_setPortALPE(uint32_t port, const uint32_t* enable, uint32_t size) {
    return setPortSetting("hx_setPortALPE", port, enable, size, &SataPort::alpe);
}

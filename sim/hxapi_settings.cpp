// The stand-in library's settings operations: the controller's global
// settings, an array's and a disk's settings, the CAM setting bits, and
// activating an array. Reads answer from the model; a query naming an
// array or disk that does not exist fails rather than returning zeros.
// Each set notes its request key followed by the record it was handed.

#include <algorithm>
#include <cstring>
#include <vector>

#include "access/library_records.h"
#include "access/settings_records.h"
#include "sim/array_model.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/replies.h"
#include "sim/settings_model.h"

using namespace sim;

namespace {

std::uint32_t statusOf(SettingsOutcome outcome) {
    switch (outcome) {
        case SettingsOutcome::Ok: return 0;
        case SettingsOutcome::Malformed: return kHxStatusInvalidArgument;
        case SettingsOutcome::NotSupported: return kHxStatusNotSupported;
        case SettingsOutcome::RestartNeeded: return kHxStatusRestartNeeded;
    }
    return kHxStatusInvalidArgument;
}

// The id the request key names.
std::uint32_t keyId(const void* req) {
    return rec::ByteView(req, lib::InfoRequest::kSize).get<lib::InfoRequest::FirstId>();
}

// Notes a set: the key, then the record.
void recordSet(const char* operation, const void* req, const void* record, std::size_t size) {
    std::vector<std::uint8_t> bytes(lib::InfoRequest::kSize + size, 0);
    if (req != nullptr) std::memcpy(bytes.data(), req, lib::InfoRequest::kSize);
    if (record != nullptr) std::memcpy(bytes.data() + lib::InfoRequest::kSize, record, size);
    recordLibraryCall(operation, bytes.data(), bytes.size());
}

// A read of a record of kSize bytes into buf: refused when the buffer is
// smaller than the record; otherwise fill writes the record.
template <class Record, class Fill>
std::uint32_t readRecord(const char* operation, std::uint32_t w1, void* req, void* buf,
                         std::uint32_t size, const Fill& fill) {
    recordLibraryCall(operation, req, req != nullptr ? lib::InfoRequest::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || buf == nullptr || size < Record::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State& state, const Controller& c) {
        return fill(state, c, keyId(req), rec::ByteSpan(buf, Record::kSize));
    });
}

template <class Record, class Apply>
std::uint32_t writeRecord(const char* operation, std::uint32_t w1, const void* req,
                          const void* settings, std::uint32_t size, const Apply& apply) {
    recordSet(operation, req, settings, settings != nullptr ? std::min<std::size_t>(size, Record::kSize) : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || settings == nullptr || size < Record::kSize) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State& state, Controller& c) {
        return apply(state, c, keyId(req), rec::ByteView(settings, Record::kSize));
    });
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_getControllerSettings(uint32_t w1, uint32_t, uint32_t, void* req,
                                                        void* buf, uint32_t size) {
    return readRecord<lib::ControllerSettings>(
        "hx_getControllerSettings", w1, req, buf, size,
        [w1](const State&, const Controller& c, std::uint32_t id, const rec::ByteSpan& r) -> std::uint32_t {
            if (id != w1) return kHxStatusNoSuchController;
            fillControllerSettings(r, c);
            return 0;
        });
}

extern "C" uint32_t HXAPI_CALL hx_setControllerSettings(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                        const void* settings, uint32_t size) {
    return writeRecord<lib::ControllerSettings>(
        "hx_setControllerSettings", w1, req, settings, size,
        [w1](State& s, Controller& c, std::uint32_t id, const rec::ByteView& r) -> std::uint32_t {
            if (id != w1) return kHxStatusNoSuchController;
            return statusOf(applyControllerSettings(s, c, r));
        });
}

extern "C" uint32_t HXAPI_CALL hx_getLogDrvSettings(uint32_t w1, uint32_t, uint32_t, void* req, void* buf,
                                                    uint32_t size) {
    return readRecord<lib::LogDrvSettings>(
        "hx_getLogDrvSettings", w1, req, buf, size,
        [](const State&, const Controller& c, std::uint32_t id, const rec::ByteSpan& r) -> std::uint32_t {
            const Array* a = id <= 0xFFFF ? findArray(c, static_cast<int>(id)) : nullptr;
            if (a == nullptr) return kHxStatusNoSuchArray;
            fillLogDrvSettings(r, *a);
            return 0;
        });
}

extern "C" uint32_t HXAPI_CALL hx_setLogDrvSettings(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                    const void* settings, uint32_t size) {
    return writeRecord<lib::LogDrvSettings>(
        "hx_setLogDrvSettings", w1, req, settings, size,
        [](State&, Controller& c, std::uint32_t id, const rec::ByteView& r) -> std::uint32_t {
            Array* a = id <= 0xFFFF ? arrayById(c, static_cast<int>(id)) : nullptr;
            if (a == nullptr) return kHxStatusNoSuchArray;
            return statusOf(applyLogDrvSettings(*a, r));
        });
}

extern "C" uint32_t HXAPI_CALL hx_getPhyDrvSettings(uint32_t w1, uint32_t, uint32_t, void* req, void* buf,
                                                    uint32_t size) {
    return readRecord<lib::PhyDrvSettings>(
        "hx_getPhyDrvSettings", w1, req, buf, size,
        [](const State&, const Controller& c, std::uint32_t id, const rec::ByteSpan& r) -> std::uint32_t {
            const Disk* d = id <= 0xFFFF ? findDisk(c, static_cast<int>(id)) : nullptr;
            if (d == nullptr || !diskVisible(*d)) return kHxStatusNoSuchDisk;
            fillPhyDrvSettings(r, *d);
            return 0;
        });
}

extern "C" uint32_t HXAPI_CALL hx_setPhyDrvSettings(uint32_t w1, uint32_t, uint32_t, const void* req,
                                                    const void* settings, uint32_t size) {
    return writeRecord<lib::PhyDrvSettings>(
        "hx_setPhyDrvSettings", w1, req, settings, size,
        [](State&, Controller& c, std::uint32_t id, const rec::ByteView& r) -> std::uint32_t {
            Disk* d = id <= 0xFFFF ? diskById(c, static_cast<int>(id)) : nullptr;
            if (d == nullptr || !diskVisible(*d)) return kHxStatusNoSuchDisk;
            return statusOf(applyPhyDrvSettings(*d, r));
        });
}

extern "C" uint32_t HXAPI_CALL hx_activateLogDrv(uint32_t w1, uint32_t, uint32_t, uint16_t arrayId) {
    noteScalarCall("hx_activateLogDrv", arrayId);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    // The controller's arrays are active once created: activating one that
    // exists changes nothing.
    return readLibraryController(w1, [arrayId](const State&, const Controller& c) -> std::uint32_t {
        return findArray(c, arrayId) != nullptr ? 0 : kHxStatusNoSuchArray;
    });
}

extern "C" uint32_t HXAPI_CALL hx_GetCAMSetting(uint32_t w1, uint32_t, uint32_t, uint32_t target,
                                                uint32_t copy, void* buf, uint32_t size) {
    std::uint8_t scalars[8];
    rec::storeLe32(scalars, target);
    rec::storeLe32(scalars + 4, copy);
    recordLibraryCall("hx_GetCAMSetting", scalars, sizeof scalars);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    using B = lib::CamSettingBlock;
    if (target != lib::kCamTarget || copy > lib::kCamCurrentCopy || buf == nullptr || size < B::kSize) {
        return kHxStatusInvalidArgument;
    }
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        fillCamSettingBlock(rec::ByteSpan(buf, B::kSize),
                            copy == lib::kCamSavedCopy ? c.cam.saved : c.cam.current);
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_SetCAMSetting(uint32_t w1, uint32_t, uint32_t, uint32_t target,
                                                const void* buf, uint32_t size) {
    using B = lib::CamSettingBlock;
    std::uint8_t noted[4 + B::kSize] = {};
    rec::storeLe32(noted, target);
    if (buf != nullptr) std::memcpy(noted + 4, buf, std::min<std::size_t>(size, B::kSize));
    recordLibraryCall("hx_SetCAMSetting", noted, sizeof noted);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (target != lib::kCamTarget || buf == nullptr || size < B::kSize) return kHxStatusInvalidArgument;
    return changeLibraryController(w1, [&](State&, Controller& c) -> std::uint32_t {
        return statusOf(applyCamSettingBlock(c, rec::ByteView(buf, B::kSize)));
    });
}

// Every decoder of a management library reply, fed by a hostile library:
// the input's first line is a command run in library mode on the simulated
// controller; the rest steers the library. The console's calls reach the
// stand-in through the linker's --wrap (every operation wrapped below is
// wrapped at link time, the list read from this file by the build), and
// after the stand-in has answered, one byte of the steering decides what
// the console gets back: the stand-in's reply as it is, reply bytes of the
// input's choosing in every buffer the operation fills (any counts,
// lengths, texts and ids), or a status of the input's choosing over the
// stand-in's bytes. Before the command, the controller count and one poll
// of the event display are read the same way.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "access/buffer_loan.h"
#include "access/driver_device.h"
#include "access/debug_records.h"
#include "access/event_records.h"
#include "access/flash_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "console/context.h"
#include "console/event_display.h"
#include "console/keys.h"
#include "console/shell.h"
#include "console/startup.h"
#include "console/words.h"
#include "fuzz/console_line.h"
#include "fuzz/harness.h"
#include "platform/console.h"
#include "platform/record.h"
#include "sim/model.h"
#include "sim/store.h"

namespace {

std::string printed;

struct ReplyBuffer {
    void* data;
    std::size_t length;
};

class HostileLibrary {
public:
    void steer(const std::uint8_t* data, std::size_t size) {
        data_ = data;
        size_ = size;
    }

    std::uint32_t reply(std::uint32_t status, std::initializer_list<ReplyBuffer> buffers) {
        if (size_ == 0) return status;
        switch (take() % 4) {
            case 0:
                return status;
            case 1:
                // Bytes of the input's choosing at the start of each buffer
                // the operation fills, the rest as the stand-in left it.
                for (const ReplyBuffer& b : buffers) {
                    if (b.data == nullptr) continue;
                    std::size_t n = static_cast<std::size_t>(take()) << 8;
                    n |= take();
                    if (n > b.length) n = b.length;
                    auto* into = static_cast<std::uint8_t*>(b.data);
                    for (std::size_t i = 0; i < n; ++i) into[i] = take();
                }
                return 0;
            case 2:
                return 0xE0000000u | take();
            default: {
                std::uint32_t any = 0;
                for (int i = 0; i < 4; ++i) any = (any << 8) | take();
                return any;
            }
        }
    }

private:
    std::uint8_t take() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

HostileLibrary hostile;

// The data buffer a request record lends by its 32-bit number.
template <typename Request>
ReplyBuffer lentData(const void* request) {
    if (request == nullptr) return {nullptr, 0};
    const rec::ByteView r(request, Request::kSize);
    lib::LentBuffer lent;
    if (!lib::findLentBuffer(r.get<typename Request::DataAddress>(), &lent)) return {nullptr, 0};
    const std::uint32_t length = r.get<typename Request::DataLength>();
    return {lent.data, length < lent.length ? length : lent.length};
}

}  // namespace

// One wrapper per operation: the stand-in's own answer first, then the
// hostile library's say over the buffers the operation fills. The
// signatures are checked against the library's declarations.
#define WRAP(name, params, args, ...)                                          \
    extern "C" std::uint32_t __real_##name params;                             \
    extern "C" std::uint32_t __wrap_##name params {                            \
        const std::uint32_t status = __real_##name args;                       \
        return hostile.reply(status, {__VA_ARGS__});                           \
    }                                                                          \
    static_assert(std::is_same_v<decltype(&name), decltype(&__wrap_##name)>, \
                  #name " differs from the library's declaration");

#define W3 std::uint32_t w1, std::uint32_t w2, std::uint32_t w3
#define A3 w1, w2, w3
#define INFO_REQ {req, lib::InfoRequest::kSize}

// clang-format off
WRAP(hx_discover, (std::uint32_t option), (option))
WRAP(hx_getNumberOfHBA, (std::uint32_t* count), (count), {count, 4})
WRAP(hx_getDiscoverPath, (std::uint32_t w1, std::uint32_t w2, void* buf, std::uint32_t size), (w1, w2, buf, size), {buf, size})
WRAP(hx_getPhyDrvInfo, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getLogDrvInfo, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getAryLostDisk, (W3, std::uint32_t arrayNumber, std::uint32_t* mask), (A3, arrayNumber, mask), {mask, 4})
WRAP(hx_getHostInfo, (W3, void* buf, std::uint32_t size), (A3, buf, size), {buf, size})
WRAP(hx_getControllerInfo, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getDriverInfo, (W3, void* buf), (A3, buf), {buf, 140})
WRAP(hx_getRebuildProgress, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getRedundancyCheckProgress, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getLogDrvInitProgress, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getMigrationProgress, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_addHBAArray, (W3, const void* req), (A3, req))
WRAP(hx_delDiskArray, (W3, const void* ids, std::uint32_t size), (A3, ids, size))
WRAP(hx_deleteBackUp, (W3, std::uint16_t arrayId), (A3, arrayId))
WRAP(hx_activateLogDrv, (W3, std::uint16_t arrayId), (A3, arrayId))
WRAP(hx_startRebuild, (W3, const void* target), (A3, target))
WRAP(hx_startHBARebuildExtent, (W3, std::uint8_t count, const void* targets), (A3, count, targets))
WRAP(hx_startHBABackup, (W3, const void* targets), (A3, targets))
WRAP(hx_startLogDrvInit, (W3, const void* req, std::uint32_t size), (A3, req, size))
WRAP(hx_startRedundancyCheck, (W3, const void* req), (A3, req))
WRAP(hx_migrateHBAArray, (W3, const void* req), (A3, req))
WRAP(hx_restartRebuild, (W3, const void* ref), (A3, ref))
WRAP(hx_pauseRebuild, (W3, const void* ref), (A3, ref))
WRAP(hx_resumeRebuild, (W3, const void* ref), (A3, ref))
WRAP(hx_stopRebuild, (W3, const void* ref), (A3, ref))
WRAP(hx_pauseLogDrvInit, (W3, const void* ref), (A3, ref))
WRAP(hx_resumeLogDrvInit, (W3, const void* ref), (A3, ref))
WRAP(hx_stopLogDrvInit, (W3, const void* ref), (A3, ref))
WRAP(hx_pauseRedundancyCheck, (W3, const void* ref), (A3, ref))
WRAP(hx_resumeRedundancyCheck, (W3, const void* ref), (A3, ref))
WRAP(hx_stopRedundancyCheck, (W3, const void* ref), (A3, ref))
WRAP(hx_PauseMigration, (W3, const void* ref), (A3, ref))
WRAP(hx_ResumeMigration, (W3, const void* ref), (A3, ref))
WRAP(hx_getControllerSettings, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_setControllerSettings, (W3, const void* req, const void* settings, std::uint32_t size), (A3, req, settings, size))
WRAP(hx_getLogDrvSettings, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_setLogDrvSettings, (W3, const void* req, const void* settings, std::uint32_t size), (A3, req, settings, size))
WRAP(hx_getPhyDrvSettings, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_setPhyDrvSettings, (W3, const void* req, const void* settings, std::uint32_t size), (A3, req, settings, size))
WRAP(hx_getBGASchedule, (W3, const void* key, void* buf, std::uint32_t size), (A3, key, buf, size), {buf, size})
WRAP(hx_addBGASchedule, (W3, const void* buf, std::uint32_t size), (A3, buf, size))
WRAP(hx_modifyBGASchedule, (W3, const void* buf, std::uint32_t size), (A3, buf, size))
WRAP(hx_deleteBGASchedule, (W3, const void* buf, std::uint32_t size), (A3, buf, size))
WRAP(hx_sendBypassCommand, (W3, const void* req), (A3, req), lentData<lib::BypassRequest>(req))
WRAP(hx_startHBAMediaPatrol, (W3, const void* req), (A3, req))
WRAP(hx_pauseHBAMediaPatrol, (W3, const void* req), (A3, req))
WRAP(hx_resumeHBAMediaPatrol, (W3, const void* req), (A3, req))
WRAP(hx_stopHBAMediaPatrol, (W3, const void* req), (A3, req))
WRAP(hx_getHBAMediaPatrolProgress, (W3, void* req, void* buf, std::uint32_t size), (A3, req, buf, size), INFO_REQ, {buf, size})
WRAP(hx_getHBABSL, (W3, std::uint16_t diskId, void* buf, std::uint32_t size), (A3, diskId, buf, size), {buf, size})
WRAP(hx_getErrorTable, (W3, const void* req, void* buf, std::uint32_t size), (A3, req, buf, size), {buf, size})
WRAP(hx_removeHBADiskMDD, (W3, const void* req), (A3, req))
WRAP(hx_spareHBAExtent, (W3, const void* assignment), (A3, assignment))
WRAP(hx_freeHBAExtent, (W3, const void* ref), (A3, ref))
WRAP(hx_addHBAExtentToArray, (W3, const void* assignment), (A3, assignment))
WRAP(hx_splitHBAExtent, (W3, const void* ref, std::uint32_t offsetMb), (A3, ref, offsetMb))
WRAP(hx_deleteHBAExtent, (W3, const void* ref), (A3, ref))
WRAP(hx_getEnclosureInfo, (W3, const void* req, void* buf, std::uint32_t size), (A3, req, buf, size), {buf, size})
WRAP(hx_getEnclosureStatus, (W3, const void* req, void* buf, std::uint32_t size), (A3, req, buf, size), {buf, size})
WRAP(hx_setEnclosureSetting, (W3, const void* setting), (A3, setting))
WRAP(hx_locatePhyDrv, (W3, std::uint32_t diskId, std::uint32_t option), (A3, diskId, option))
WRAP(hx_stopLocatePhyDrv, (W3, std::uint32_t diskId), (A3, diskId))
WRAP(hx_getPhyDrvLocateStatus, (W3, std::uint32_t diskId, std::uint8_t* ledOn), (A3, diskId, ledOn), {ledOn, 1})
WRAP(hx_locateLogDrv, (W3, std::uint32_t arrayId, std::uint32_t option), (A3, arrayId, option))
WRAP(hx_stopLocateLogDrv, (W3, std::uint32_t arrayId), (A3, arrayId))
WRAP(hx_getBatteryInfo, (W3, const void* req, void* buf, std::uint32_t size), (A3, req, buf, size), {buf, size})
WRAP(hx_getBuzzerStatus, (W3, std::uint8_t* on, std::uint32_t size), (A3, on, size), {on, size})
WRAP(hx_turnOnBuzzer, (W3), (A3))
WRAP(hx_turnOffBuzzer, (W3), (A3))
WRAP(hx_getPortInfo, (W3, std::uint32_t* value), (A3, value), {value, 4})
WRAP(hx_setDataTransferSpeedTX, (W3, const std::uint32_t* enable, std::uint32_t size), (A3, enable, size))
WRAP(hx_getPortHotPlug, (std::uint32_t port, std::uint32_t* enabled, std::uint32_t size), (port, enabled, size), {enabled, size})
WRAP(hx_setPortHotPlug, (std::uint32_t port, const std::uint32_t* enable, std::uint32_t size), (port, enable, size))
WRAP(hx_getPortALPE, (std::uint32_t port, std::uint32_t* enabled, std::uint32_t size), (port, enabled, size), {enabled, size})
WRAP(hx_setPortALPE, (std::uint32_t port, const std::uint32_t* enable, std::uint32_t size), (port, enable, size))
WRAP(hx_getHBAEvents, (W3, std::uint32_t* range, void* buf, std::uint32_t size), (A3, range, buf, size), {range, 8}, {buf, size})
WRAP(hx_getIgnoreEventList, (void* buf, std::uint32_t size), (buf, size), {buf, size})
WRAP(hx_addIgnoreEvent, (std::uint32_t code), (code))
WRAP(hx_removeIgnoreEvent, (std::uint32_t code), (code))
WRAP(hx_ATAPassThru, (W3, const void* req, std::uint32_t size), (A3, req, size), lentData<lib::AtaPassRequest>(req))
WRAP(hx_ATAPassThruGetResult, (W3, void* buf, std::uint32_t size), (A3, buf, size), {buf, size})
WRAP(hx_GetCAMSetting, (W3, std::uint32_t target, std::uint32_t copy, void* buf, std::uint32_t size), (A3, target, copy, buf, size), {buf, size})
WRAP(hx_SetCAMSetting, (W3, std::uint32_t target, const void* buf, std::uint32_t size), (A3, target, buf, size))
// clang-format on

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("TALO_SIM");
    if (std::freopen("/dev/null", "r", stdin) == nullptr) std::abort();
    platform::setConsoleCapture(&printed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char line[kLineBufferSize];
    std::size_t steering = 0;
    if (!firstCommandLine(data, size, line, &steering)) return 0;

    sim::Store::instance().modify([](sim::State& s) { s = sim::demoState(); });
    std::uint8_t init[256] = {};
    if (hx_initialize(init) != 0 || hx_discover(0) != 0) std::abort();
    controllerContext.libraryMode = 1;
    controllerContext.selectController(0);

    hostile.steer(data + steering, size - steering);
    printed.clear();
    (void)readControllerCount();
    static std::uint8_t events[lib::kEventBufferSize];
    pollControllerEvents(events, sizeof events);
    ControllerDevice* none = nullptr;
    try {
        (void)dispatchLine(&none, line, 0);
    } catch (const EndOfInput&) {
    }
    hostile.steer(nullptr, 0);
    delete none;
    hx_finalize();
    return 0;
}

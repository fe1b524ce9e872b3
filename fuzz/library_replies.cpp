// Every decoder of a management library reply, fed by a hostile library:
// the input's first line is a command run in library mode on the simulated
// controller; the rest steers the library. The console's calls reach the
// stand-in through the linker's --wrap (every operation of the library's
// list, access/hxapi_operations.inc, is wrapped at link time), and
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
#include "access/hxapi_operations.h"
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

class HostileLibrary {
public:
    void steer(const std::uint8_t* data, std::size_t size) {
        data_ = data;
        size_ = size;
    }

    std::uint32_t reply(std::uint32_t status, std::initializer_list<hxops::Buffer> buffers) {
        if (size_ == 0) return status;
        switch (take() % 4) {
            case 0:
                return status;
            case 1:
                // Bytes of the input's choosing at the start of each buffer
                // the operation fills, the rest as the stand-in left it.
                for (const hxops::Buffer& b : buffers) {
                    if (b.data == nullptr) continue;
                    std::size_t n = static_cast<std::size_t>(take()) << 8;
                    n |= take();
                    if (n > b.length) n = b.length;
                    // The operation fills this buffer: it is the caller's to write.
                    auto* into = static_cast<std::uint8_t*>(const_cast<void*>(b.data));
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

}  // namespace

// One wrapper per operation: the stand-in's own answer first, then the
// hostile library's say over the buffers the operation fills. The
// signatures are checked against the library's declarations.
#define HX_OPERATION(name, params, args, reads, fills)                         \
    extern "C" std::uint32_t HXAPI_CALL __real_##name params;                  \
    extern "C" std::uint32_t HXAPI_CALL __wrap_##name params {                 \
        const std::uint32_t status = __real_##name args;                       \
        return hostile.reply(status, {HX_LIST fills});                         \
    }                                                                          \
    static_assert(std::is_same_v<decltype(&name), decltype(&__wrap_##name)>, \
                  #name " differs from the library's declaration");

#include "access/hxapi_operations.inc"

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

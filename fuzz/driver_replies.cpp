// Every decoder of a driver reply, fed by a hostile driver: the input's
// first line is a command run in direct mode on the simulated controller;
// the rest steers the driver. Each control request goes to the simulated
// driver first, then one byte of the steering decides what comes back:
// the simulator's reply as it is, reply bytes of the input's choosing
// (any counts, lengths and texts), a failure with a system error, or a
// SCSI status with sense bytes of the input's choosing.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "console/context.h"
#include "sim/sim_driver.h"
#include "console/keys.h"
#include "console/shell.h"
#include "console/words.h"
#include "fuzz/console_line.h"
#include "fuzz/harness.h"
#include "platform/console.h"
#include "platform/device_access.h"
#include "platform/record.h"
#include "platform/scsi_port_requests.h"
#include "sim/model.h"
#include "sim/store.h"

namespace {

std::string printed;

class HostileDriver : public platform::ForwardingDeviceAccess {
public:
    using ForwardingDeviceAccess::ForwardingDeviceAccess;

    void steer(const std::uint8_t* data, std::size_t size) {
        data_ = data;
        size_ = size;
    }

    bool deviceIoControl(platform::DeviceHandle handle, std::uint32_t code, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned, void* dataBuffer) override {
        // The transfer length as the request gave it, before the reply.
        using Block = drv::PassThroughBlock;
        const bool passThrough = code == platform::kIoctlScsiPassThroughDirect &&
                                 inputLength >= Block::kSize && outputLength >= Block::kSize;
        const std::uint32_t transfer =
            passThrough ? rec::ByteView(input, inputLength).get<Block::DataTransferLength>() : 0;
        const bool done = inner().deviceIoControl(handle, code, input, inputLength, output,
                                                 outputLength, bytesReturned, dataBuffer);
        if (size_ == 0) return done;
        const std::uint8_t how = take();
        switch (how % 4) {
            case 0: return done;
            case 1: {
                // Reply bytes of the input's choosing, in the data buffer of a
                // pass-through request or the output of any other.
                std::uint8_t* into = passThrough ? static_cast<std::uint8_t*>(dataBuffer)
                                                 : static_cast<std::uint8_t*>(output);
                const std::size_t room = passThrough ? transfer : outputLength;
                if (into == nullptr) return done;
                std::size_t n = static_cast<std::size_t>(take()) << 8;
                n |= take();
                if (n > room) n = room;
                for (std::size_t i = 0; i < n; ++i) into[i] = take();
                if (passThrough) {
                    rec::ByteSpan(output, outputLength).put<Block::ScsiStatus>(0);
                }
                if (bytesReturned != nullptr) *bytesReturned = outputLength;
                return true;
            }
            case 2:
                lastError_ = static_cast<std::uint32_t>(take()) * 7u;
                failed_ = true;
                return false;
            default: {
                if (!passThrough) return done;
                const rec::ByteSpan block(output, outputLength);
                block.put<Block::ScsiStatus>(take());
                block.put<Block::SenseInfoLength>(take());
                const rec::ByteSpan sense = block.sub<Block::Sense>();
                for (std::size_t i = 0; i < sense.size(); ++i) sense.data()[i] = take();
                return true;
            }
        }
    }

    std::uint32_t lastError() const override {
        if (failed_) {
            failed_ = false;
            return lastError_;
        }
        return inner().lastError();
    }

private:
    std::uint8_t take() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint32_t lastError_ = 0;
    mutable bool failed_ = false;
};

HostileDriver* hostile = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("TALO_SIM");
    if (std::freopen("/dev/null", "r", stdin) == nullptr) std::abort();
    sim::installInProcessSimulator();
    hostile = new HostileDriver(platform::deviceAccess());
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
    controllerContext.selectController(0);
    ControllerDevice* current = findController(0, nullptr);
    fuzzCheck(current != nullptr, "direct mode did not open");

    hostile->steer(data + steering, size - steering);
    platform::overrideDeviceAccess(hostile);
    printed.clear();
    try {
        (void)dispatchLine(&current, line, 0);
    } catch (const EndOfInput&) {
    }
    hostile->steer(nullptr, 0);
    platform::overrideDeviceAccess(nullptr);
    delete current;
    hx_finalize();
    return 0;
}

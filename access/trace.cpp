#include "access/trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <nlohmann/json.hpp>

#include "access/vendor_commands.h"
#include "platform/device_access.h"
#include "platform/record.h"
#include "platform/scsi_port_requests.h"

namespace trace {

namespace {

struct TraceFile {
    std::mutex mutex;
    std::FILE* file = nullptr;

    TraceFile() {
        const char* path = std::getenv("TALO_TRACE");
        if (path == nullptr || path[0] == '\0') return;
        file = std::fopen(path, "ab");
        // Unbuffered: each line goes out in the one write that carries it.
        if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
    }
};

TraceFile& traceFile() {
    static TraceFile instance;
    return instance;
}

// How much of a transfer's start and end the trace keeps.
constexpr std::size_t kDataEdge = 64;

const char* directionName(vendor::Direction direction) {
    switch (direction) {
        case vendor::Direction::None: return "none";
        case vendor::Direction::FromController: return "fromController";
        case vendor::Direction::ToController: return "toController";
        case vendor::Direction::Either: return "either";
    }
    return "unspecified";
}

class TracingDeviceAccess : public platform::ForwardingDeviceAccess {
public:
    using ForwardingDeviceAccess::ForwardingDeviceAccess;

    platform::DeviceHandle createFile(const char* path, std::uint32_t access, std::uint32_t share,
                                      std::uint32_t disposition, std::uint32_t attributes) override {
        const platform::DeviceHandle handle =
            inner().createFile(path, access, share, disposition, attributes);
        const bool ok = handle != platform::invalidDeviceHandle();
        nlohmann::ordered_json line = {{"device", "open"}, {"thread", threadName()},
                                       {"path", path != nullptr ? path : ""}, {"ok", ok}};
        if (!ok) line["error"] = inner().lastError();
        writeLine(line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        return handle;
    }

    bool deviceIoControl(platform::DeviceHandle handle, std::uint32_t code, void* input,
                         std::uint32_t inputLength, void* output, std::uint32_t outputLength,
                         std::uint32_t* bytesReturned, void* dataBuffer) override {
        using Block = drv::PassThroughBlock;
        const bool passThrough = code == platform::kIoctlScsiPassThroughDirect && input != nullptr &&
                                 inputLength >= Block::kSize;
        nlohmann::ordered_json line = {{"device", passThrough ? "passThrough" : "ioctl"},
                                       {"thread", threadName()}, {"code", code}};
        if (passThrough) {
            const rec::ByteView request(input, inputLength);
            const std::uint8_t* cdb = static_cast<const std::uint8_t*>(input) + Block::Cdb::offset;
            line["cdb"] = hex(cdb, Block::kCdbSize);
            const vendor::Command* command = nullptr;
            for (const vendor::Command* c : vendor::kAllCommands) {
                if (vendor::matches(*c, cdb)) {
                    command = c;
                    break;
                }
            }
            line["command"] = command != nullptr ? command->name : nullptr;
            line["direction"] =
                command != nullptr ? directionName(command->direction) : "unspecified";
            line["length"] = request.get<Block::DataTransferLength>();
        } else {
            line["input"] = hex(input, input != nullptr ? inputLength : 0);
        }

        const auto start = std::chrono::steady_clock::now();
        const bool ok = inner().deviceIoControl(handle, code, input, inputLength, output,
                                               outputLength, bytesReturned, dataBuffer);
        const auto took = std::chrono::steady_clock::now() - start;
        const std::uint32_t error = ok ? 0 : inner().lastError();

        line["ok"] = ok;
        if (!ok) line["error"] = error;
        if (passThrough) {
            const std::uint32_t length = line["length"].get<std::uint32_t>();
            const auto* data = static_cast<const std::uint8_t*>(dataBuffer);
            const std::size_t head = data == nullptr ? 0 : (length < kDataEdge ? length : kDataEdge);
            line["dataHead"] = hex(data, head);
            line["dataTail"] = data != nullptr && length > kDataEdge
                                   ? hex(data + length - kDataEdge, kDataEdge)
                                   : "";
            if (ok && output != nullptr && outputLength >= Block::kSize) {
                const rec::ByteView reply(output, outputLength);
                line["scsiStatus"] = reply.get<Block::ScsiStatus>();
                const std::uint8_t claimed = reply.get<Block::SenseInfoLength>();
                const std::size_t sense = claimed < Block::kSenseSize ? claimed : Block::kSenseSize;
                line["sense"] = reply.get<Block::ScsiStatus>() != drv::kScsiStatusGood
                                    ? hex(static_cast<const std::uint8_t*>(output) + Block::Sense::offset, sense)
                                    : "";
            }
        } else {
            std::uint32_t returned = outputLength;
            if (bytesReturned != nullptr && *bytesReturned < outputLength) returned = *bytesReturned;
            line["output"] = hex(output, ok && output != nullptr ? returned : 0);
        }
        line["us"] = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        writeLine(line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        return ok;
    }
};

}  // namespace

bool enabled() {
    static const bool on = traceFile().file != nullptr;
    return on;
}

namespace {
thread_local const char* currentThreadName = "console";
}

const char* threadName() { return currentThreadName; }

void nameThisThread(const char* name) { currentThreadName = name; }

void writeLine(const std::string& json) {
    TraceFile& t = traceFile();
    if (t.file == nullptr) return;
    std::string line = json;
    line += '\n';
    std::lock_guard<std::mutex> lock(t.mutex);
    std::fwrite(line.data(), 1, line.size(), t.file);
}

std::string hex(const void* data, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    if (data == nullptr) return out;
    out.reserve(length * 2);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < length; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

std::unique_ptr<platform::DeviceAccess> tracingDeviceAccess(platform::DeviceAccess& inner) {
    return std::make_unique<TracingDeviceAccess>(inner);
}

}  // namespace trace

#include "console/event_display.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "access/event_records.h"
#include "access/hxapi.h"
#include "access/trace.h"
#include "console/context.h"
#include "platform/console.h"
#include "platform/record.h"

namespace {

constexpr std::uint32_t kRangeUnset = 0xFFFFFFFFu;

// The name of the severity of the event being printed; the thread's alone.
char severityName[12];

void nameSeverity(std::uint8_t code) {
    const char* name = code == lib::EVENT_SEVERITY_WARNING ? "Warning"
                       : code == lib::EVENT_SEVERITY_ERROR ? "Error"
                                                           : "Information";
    std::strncpy(severityName, name, sizeof severityName - 1);
    severityName[sizeof severityName - 1] = '\0';
}

// How many records of the reply to print: none when the library left the
// count as it was set, and never more than the buffer holds.
std::size_t recordsToPrint(std::uint32_t count, std::size_t size) {
    if (count == kRangeUnset) return 0;
    const std::size_t fit =
        size < lib::kEventHeaderSize ? 0 : (size - lib::kEventHeaderSize) / lib::EventRecord::kSize;
    return count < fit ? count : fit;
}

void printEvents(const std::uint8_t* buffer, std::size_t size, std::uint32_t count) {
    const rec::ByteView reply(buffer, size);
    const std::size_t records = recordsToPrint(count, size);
    for (std::size_t k = 0; k < records; ++k) {
        const rec::ByteView event = reply.sub(lib::eventRecordOffset(k), lib::EventRecord::kSize);
        nameSeverity(event.get<lib::EventRecord::Severity>());
        const std::string array = event.text<lib::EventRecord::ArrayText>();
        const std::string description = event.text<lib::EventRecord::Description>();
        // One print per event, so that a command's output never splits it.
        consolePrint("EventID: 0x%x \nEvent Severity : %s \narray: %s \n%s\n> ",
                     event.get<lib::EventRecord::EventId>(), severityName, array.c_str(),
                     description.c_str());
    }
}

void pollOneController(std::uint32_t index, std::uint8_t* buffer, std::size_t size) {
    std::uint32_t range[2] = {kRangeUnset, kRangeUnset};
    std::memset(buffer, 0, size);
    // The status is not tested: a failed call leaves the count unset.
    hx_getHBAEvents(index, 0, controllerContext.controllerAddress[2], range, buffer,
                    static_cast<std::uint32_t>(size));
    printEvents(buffer, size, range[1]);
}

[[noreturn]] void displayEvents() {
    trace::nameThisThread("events");
    for (;;) {
        try {
            platform::sleepMilliseconds(1000);
            // A cycle without its buffer polls nothing and waits for the next.
            std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow)
                                                       std::uint8_t[lib::kEventBufferSize]);
            platform::sleepMilliseconds(3000);
            if (buffer) pollControllerEvents(buffer.get(), lib::kEventBufferSize);
        } catch (...) {
            // Nothing leaves the thread; the next cycle tries again.
        }
    }
}

std::atomic<bool> started{false};

}  // namespace

void pollControllerEvents(std::uint8_t* buffer, std::size_t size) {
    if (buffer == nullptr) return;
    // controllerCount is read again after each controller.
    for (std::uint32_t i = 0; i < controllerContext.controllerCount; ++i) {
        try {
            pollOneController(i, buffer, size);
        } catch (...) {
            // A print that could not be made loses that controller's events
            // of this cycle only.
        }
    }
}

bool startEventDisplayThread() {
    if (started.exchange(true)) return true;
    try {
        std::thread(displayEvents).detach();
        return true;
    } catch (...) {
        started = false;
        return false;
    }
}

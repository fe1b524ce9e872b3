// The stand-in library's event operation: each controller's queued events,
// handed out once, to the first call that asks for that controller.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "access/event_records.h"
#include "access/hxapi.h"
#include "platform/record.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/store.h"

using namespace sim;

namespace {

// The console's event thread may be inside a call while the main thread
// ends the process, and the state store goes away with the process's other
// objects. The calls run under this guard; as the process ends, before the
// store is destroyed, it waits for the call under way and closes, so that
// no later call touches the store. It is never destroyed itself.
struct ExitGuard {
    std::mutex mutex;
    bool closed = false;
};

void closeAtExit();

ExitGuard& exitGuard() {
    static ExitGuard* const guard = [] {
        auto* made = new ExitGuard;
        // Made first, the store is destroyed after closeAtExit has run.
        Store::instance();
        std::atexit(closeAtExit);
        return made;
    }();
    return *guard;
}

void closeAtExit() {
    ExitGuard& guard = exitGuard();
    const std::lock_guard<std::mutex> lock(guard.mutex);
    guard.closed = true;
}

// The one place that decides which queued events go out. A poll takes the
// oldest `room` events of kinds the library reports (shown) and, with them,
// every queued event of an ignored kind: those are consumed unseen. Both
// lists hold positions in the queue, in increasing order.
struct Delivery {
    std::vector<std::size_t> shown;
    std::vector<std::size_t> taken;
};

Delivery eventsToDeliver(const State& state, const EventSlice& controller, std::size_t room) {
    Delivery d;
    for (std::size_t i = 0; i < controller.events.size(); ++i) {
        if (eventIgnored(state, controller.events[i].id)) {
            d.taken.push_back(i);
        } else if (d.shown.size() < room) {
            d.shown.push_back(i);
            d.taken.push_back(i);
        }
    }
    return d;
}

void fillEventRecord(const rec::ByteSpan& record, const Event& e) {
    record.clear();
    record.put<lib::EventRecord::EventId>(e.id);
    record.put<lib::EventRecord::Severity>(static_cast<std::uint8_t>(e.severity));
    // Each text keeps its terminating zero.
    record.putText(lib::EventRecord::Description::offset, lib::EventRecord::Description::width - 1,
                   e.description);
    record.putText(lib::EventRecord::ArrayText::offset, lib::EventRecord::ArrayText::width - 1,
                   e.array);
}

// Writes the chosen events into the reply and returns how many were written.
std::uint32_t fillReply(const rec::ByteSpan& reply, const EventSlice& controller,
                        const std::vector<std::size_t>& chosen) {
    reply.sub(0, lib::kEventHeaderSize).clear();
    std::uint32_t count = 0;
    for (const std::size_t i : chosen) {
        fillEventRecord(reply.sub(lib::eventRecordOffset(count), lib::EventRecord::kSize),
                        controller.events[i]);
        ++count;
    }
    return count;
}

void removeDelivered(EventSlice& controller, const std::vector<std::size_t>& chosen) {
    // Positions are in increasing order: remove from the back.
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        controller.events.erase(controller.events.begin() + static_cast<std::ptrdiff_t>(*it));
    }
}

}  // namespace

namespace {

std::uint32_t takeEvents(std::uint32_t w1, std::uint32_t w2, std::uint32_t w3,
                         std::uint32_t* range, void* buf, std::uint32_t size) {
    std::uint8_t call[16];
    rec::storeLe32(call, w1);
    rec::storeLe32(call + 4, w2);
    rec::storeLe32(call + 8, w3);
    rec::storeLe32(call + 12, size);
    recordLibraryCall("hx_getHBAEvents", call, sizeof call);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (range == nullptr || buf == nullptr || size < lib::kEventHeaderSize) {
        return kHxStatusInvalidArgument;
    }
    const rec::ByteSpan reply(buf, size);
    const std::size_t room = (size - lib::kEventHeaderSize) / lib::EventRecord::kSize;

    // An idle controller only reads the state, so that polling writes nothing.
    bool pending = false;
    std::uint32_t status =
        readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
            const Delivery d = eventsToDeliver(state, c, room);
            pending = !d.taken.empty();
            if (!pending) {
                fillReply(reply, c, d.shown);
                range[1] = c.eventQuirks.eventCount.value_or(0);
            }
            return 0;
        });
    if (status != 0 || !pending) return status;

    // The events are taken from the state as it is now: another caller may
    // have taken some since the look above.
    status = changeLibraryController(w1, [&](State& state, Controller& c) -> std::uint32_t {
        const Delivery d = eventsToDeliver(state, c, room);
        const std::uint32_t count = fillReply(reply, c, d.shown);
        removeDelivered(c, d.taken);
        range[1] = c.eventQuirks.eventCount.value_or(count);
        return 0;
    });
    return status;
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_getHBAEvents(uint32_t w1, uint32_t w2, uint32_t w3,
                                               uint32_t* range, void* buf, uint32_t size) {
    try {
        ExitGuard& guard = exitGuard();
        const std::lock_guard<std::mutex> lock(guard.mutex);
        if (guard.closed) return kHxStatusNotInitialized;
        return takeEvents(w1, w2, w3, range, buf, size);
    } catch (...) {
        // A library call returns a status; it throws nothing at its caller.
        return kHxStatusInvalidArgument;
    }
}

// ---- The ignore list (no controller address) ------------------------------------

extern "C" uint32_t HXAPI_CALL hx_getIgnoreEventList(void* buf, uint32_t size) {
    recordLibraryCall("hx_getIgnoreEventList", nullptr, 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (buf == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteSpan list(buf, size);
    list.clear();
    Store::instance().read([&list](const State& state) {
        // The codes that fit, and room for the 0 that ends them.
        const std::size_t room = list.size() / 4;
        for (std::size_t i = 0; i < state.ignoredEvents.size() && i + 1 < room; ++i) {
            list.putAt<std::uint32_t>(4 * i, state.ignoredEvents[i]);
        }
    });
    return 0;
}

extern "C" uint32_t HXAPI_CALL hx_addIgnoreEvent(uint32_t code) {
    noteScalarCall("hx_addIgnoreEvent", code);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    // 0 ends the list: it names no kind of event.
    if (code == 0) return kHxStatusInvalidArgument;
    std::uint32_t status = 0;
    Store::instance().modify([&](State& state) {
        if (eventIgnored(state, code)) return;
        if (state.ignoredEvents.size() + 1 >= lib::kMaxIgnoredEvents) {
            status = kHxStatusNoSpace;
            return;
        }
        state.ignoredEvents.push_back(code);
    });
    return status;
}

extern "C" uint32_t HXAPI_CALL hx_removeIgnoreEvent(uint32_t code) {
    noteScalarCall("hx_removeIgnoreEvent", code);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    std::uint32_t status = kHxStatusInvalidArgument;
    Store::instance().modify([&](State& state) {
        const auto at = std::find(state.ignoredEvents.begin(), state.ignoredEvents.end(), code);
        if (code == 0 || at == state.ignoredEvents.end()) return;
        state.ignoredEvents.erase(at);
        status = 0;
    });
    return status;
}

// The stand-in management library's start-up operations and call order.
// Before hx_initialize every operation fails and leaves its buffers as they
// were, as the real library does; this is what commands meet in direct mode.

#include "sim/hxapi_library.h"

#include <atomic>
#include <cstring>

#include "access/library_records.h"
#include "platform/record.h"
#include "sim/array_model.h"
#include "sim/call_log.h"
#include "sim/store.h"

namespace sim {

namespace {
std::atomic<bool> initialized{false};
std::atomic<bool> discovered{false};
}  // namespace

bool libraryInitialized() { return initialized.load(); }

namespace {
// The controller a port holds for the library, or none.
std::optional<std::size_t> controllerOfPort(const State& state, const Port& port) {
    if (port.kind != PortKind::Talo || port.controller < 0 ||
        static_cast<std::size_t>(port.controller) >= state.controllers.size()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(port.controller);
}
}  // namespace

std::uint32_t libraryControllerCount(const State& state) {
    std::uint32_t count = 0;
    for (const Port& port : state.ports) {
        if (controllerOfPort(state, port) && count < UINT32_MAX) ++count;
    }
    return count;
}

std::optional<std::size_t> libraryControllerSlot(const State& state, std::uint32_t w1) {
    std::uint32_t index = 0;
    for (const Port& port : state.ports) {
        const std::optional<std::size_t> slot = controllerOfPort(state, port);
        if (!slot) continue;
        if (index == w1) return slot;
        ++index;
    }
    return std::nullopt;
}

std::uint32_t statusOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok: return 0;
        case Outcome::NoSuchArray: return kHxStatusNoSuchArray;
        case Outcome::NoSuchDisk: return kHxStatusNoSuchDisk;
        case Outcome::BadRequest: return kHxStatusInvalidArgument;
        case Outcome::NoSpace: return kHxStatusNoSpace;
        case Outcome::Busy: return kHxStatusBusy;
        case Outcome::NothingRunning: return kHxStatusNothingRunning;
    }
    return kHxStatusInvalidArgument;
}

std::uint32_t changeWithRecord(const char* operation, std::uint32_t w1, const void* record, std::size_t size,
                               const std::function<Outcome(State&, Controller&, const rec::ByteView&)>& f) {
    recordLibraryCall(operation, record, record != nullptr ? size : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (record == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteView view(record, size);
    return changeLibraryController(w1, [&](State& state, Controller& c) { return statusOf(f(state, c, view)); });
}

std::uint32_t changeLibraryController(std::uint32_t w1,
                                      const std::function<std::uint32_t(State&, Controller&)>& f) {
    if (!initialized.load()) return kHxStatusNotInitialized;
    std::uint32_t status = kHxStatusNoSuchController;
    Store::instance().modify([&](State& state) {
        if (const auto slot = libraryControllerSlot(state, w1)) {
            status = f(state, state.controllers[*slot]);
        }
    });
    return status;
}

std::uint32_t readLibraryController(
    std::uint32_t w1, const std::function<std::uint32_t(const State&, const Controller&)>& f) {
    if (!initialized.load()) return kHxStatusNotInitialized;
    std::uint32_t status = kHxStatusNoSuchController;
    Store::instance().read([&](const State& state) {
        if (const auto slot = libraryControllerSlot(state, w1)) {
            status = f(state, state.controllers[*slot]);
        }
    });
    return status;
}

}  // namespace sim

using namespace sim;

extern "C" uint32_t HXAPI_CALL hx_initialize(const void* initBlock) {
    recordLibraryCall("hx_initialize", nullptr, 0);
    if (initBlock == nullptr) return kHxStatusInvalidArgument;
    std::uint32_t injected = 0;
    Store::instance().read([&](const State& state) { injected = state.failures.initialize; });
    if (injected != 0) return injected;
    initialized = true;
    return 0;
}

extern "C" uint32_t HXAPI_CALL hx_discover(uint32_t) {
    recordLibraryCall("hx_discover", nullptr, 0);
    if (!initialized.load()) return kHxStatusNotInitialized;
    std::uint32_t injected = 0;
    Store::instance().read([&](const State& state) { injected = state.failures.discover; });
    if (injected != 0) return injected;
    discovered = true;
    return 0;
}

extern "C" uint32_t HXAPI_CALL hx_getNumberOfHBA(uint32_t* count) {
    recordLibraryCall("hx_getNumberOfHBA", nullptr, 0);
    if (!initialized.load()) return kHxStatusNotInitialized;
    if (count == nullptr) return kHxStatusInvalidArgument;
    std::uint32_t found = 0;
    if (discovered.load()) {
        Store::instance().read([&](const State& state) { found = libraryControllerCount(state); });
    }
    *count = found;
    return 0;
}

extern "C" uint32_t HXAPI_CALL hx_getDiscoverPath(uint32_t w1, uint32_t, void* buf, uint32_t size) {
    noteScalarCall("hx_getDiscoverPath", size);
    if (!initialized.load()) return kHxStatusNotInitialized;
    if (buf == nullptr || size < lib::DiscoverPath::kSize) return kHxStatusInvalidArgument;
    return readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
        if (state.failures.discoverPath != 0) return state.failures.discoverPath;
        const rec::ByteSpan path(buf, size);
        path.clear();
        path.putText<lib::DiscoverPath::Path>(c.discoverPath);
        path.put<lib::DiscoverPath::ControllerId>(c.controllerId);
        path.put<lib::DiscoverPath::SubsystemId>(c.subsystemId);
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_finalize() {
    recordLibraryCall("hx_finalize", nullptr, 0);
    initialized = false;
    discovered = false;
    return 0;
}

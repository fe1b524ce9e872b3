#pragma once
// Shared machinery of the stand-in management library: the call order it
// keeps and the statuses it answers with.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "access/hxapi.h"
#include "platform/record.h"
#include "sim/model.h"

namespace sim {

constexpr std::uint32_t kHxStatusNotInitialized = 0xE0000002u;
constexpr std::uint32_t kHxStatusNoSuchController = 0xE0000003u;
constexpr std::uint32_t kHxStatusInvalidArgument = 0xE0000004u;
constexpr std::uint32_t kHxStatusNoSuchArray = 0xE0000010u;
constexpr std::uint32_t kHxStatusNoSuchDisk = 0xE0000011u;
constexpr std::uint32_t kHxStatusNoSpace = 0xE0000012u;
constexpr std::uint32_t kHxStatusBusy = 0xE0000013u;
constexpr std::uint32_t kHxStatusNothingRunning = 0xE0000014u;
// A feature the disk does not have.
constexpr std::uint32_t kHxStatusNotSupported = 0xE0000015u;
// Kept, but in effect only after the controller's firmware starts again.
constexpr std::uint32_t kHxStatusRestartNeeded = 0xE0000016u;
// Every schedule of the type is taken.
constexpr std::uint32_t kHxStatusScheduleFull = 0xE0000017u;
constexpr std::uint32_t kHxStatusNoSuchSchedule = 0xE0000018u;
// No enclosure (or fan of it) with the id.
constexpr std::uint32_t kHxStatusNoSuchEnclosure = 0xE0000020u;
// A command passed through to the controller ended with an error there
// (a check condition or a time-out).
constexpr std::uint32_t kHxStatusCommandFailed = 0xE0000021u;

// True between a successful hx_initialize and hx_finalize.
bool libraryInitialized();

// How the library numbers the controllers: index i is the i-th port of kind
// talo, in port order, whose controller exists. Every operation that takes
// a controller address finds its controller here.
std::uint32_t libraryControllerCount(const State& state);
// The place in state.controllers of the controller the library numbers w1,
// or none when there is no such controller.
std::optional<std::size_t> libraryControllerSlot(const State& state, std::uint32_t w1);

// Runs f on the controller the library numbers w1 when the library is up and the
// controller exists; otherwise returns the status that says why not. f
// returns the operation's status. What a change does is kept; a read sees
// the state as it is and cannot change it.
// The library's status for the model's verdict on a request.
enum class Outcome;
std::uint32_t statusOf(Outcome outcome);

// Runs a change of the model on controller w1 with the record the caller
// handed over (size bytes), after noting the record; the model's verdict
// becomes the status.
std::uint32_t changeWithRecord(const char* operation, std::uint32_t w1, const void* record, std::size_t size,
                               const std::function<Outcome(State&, Controller&, const rec::ByteView&)>& f);

std::uint32_t changeLibraryController(std::uint32_t w1,
                                      const std::function<std::uint32_t(State&, Controller&)>& f);
std::uint32_t readLibraryController(
    std::uint32_t w1, const std::function<std::uint32_t(const State&, const Controller&)>& f);

}  // namespace sim

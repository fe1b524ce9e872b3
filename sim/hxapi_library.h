#pragma once
// Shared machinery of the stand-in management library: the call order it
// keeps and the statuses it answers with.

#include <cstdint>
#include <functional>

#include "access/hxapi.h"
#include "sim/model.h"

namespace sim {

constexpr std::uint32_t kHxStatusNotInitialized = 0xE0000002u;
constexpr std::uint32_t kHxStatusNoSuchController = 0xE0000003u;
constexpr std::uint32_t kHxStatusInvalidArgument = 0xE0000004u;

// True between a successful hx_initialize and hx_finalize.
bool libraryInitialized();

// Runs f on controller w1 of the state when the library is up and the
// controller exists; otherwise returns the status that says why not. f
// returns the operation's status. What a change does is kept; a read sees
// the state as it is and cannot change it.
std::uint32_t changeLibraryController(std::uint32_t w1,
                                      const std::function<std::uint32_t(State&, Controller&)>& f);
std::uint32_t readLibraryController(
    std::uint32_t w1, const std::function<std::uint32_t(const State&, const Controller&)>& f);

}  // namespace sim

#pragma once
// The controller context: process-wide state that start-up sets and every
// command reads.

#include <cstdint>

class ControllerDevice;

struct ControllerContext {
    std::uint32_t libraryMode = 0;      // 1 once the operator chose the library
    // The most controllers the console works with. A larger count from the
    // library is taken as this many, so that an absurd reply cannot keep the
    // event display polling controllers that cannot be there.
    static constexpr std::uint32_t kMaxControllers = 256;

    std::uint32_t controllerCount = 0;  // controllers the library reported, at most kMaxControllers
    std::uint32_t errorHandler = 0;     // faultlog handle
    // First three arguments of every library operation on a controller:
    // controllerIndex widened to 32 bits, then 0, then 0.
    std::uint32_t controllerAddress[3] = {0, 0, 0};
    std::uint16_t controllerIndex = 0;

    // Selects controller index for every later library call.
    void selectController(std::uint16_t index) {
        controllerIndex = index;
        controllerAddress[0] = index;
    }
};

extern ControllerContext controllerContext;

// The three address words, for a library call's first arguments.
#define CONTROLLER_ADDRESS                                                      \
    controllerContext.controllerAddress[0], controllerContext.controllerAddress[1], \
        controllerContext.controllerAddress[2]

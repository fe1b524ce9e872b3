#pragma once

#include <cstdint>

// Asks for the back-end, brings it up, selects the controller and runs the
// shell; releases everything before it returns. Always returns 0.
int runStartup();

// Asks the library how many controllers it found and keeps the count, at
// most ControllerContext::kMaxControllers. Returns the count as the library
// reported it (0 when the call failed).
std::uint32_t readControllerCount();

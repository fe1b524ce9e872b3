#pragma once
// adapter: lists the controllers and switches the console to another one.

#include <cstdint>

class ControllerDevice;

// Library mode (no current controller) changes the selected controller
// index; direct mode replaces *currentController with the n-th Talo
// controller the port scan finds. Always returns 1.
std::int32_t adapterCommand(ControllerDevice** currentController, std::int32_t count, char** words);

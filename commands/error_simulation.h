#pragma once
// es: the controller's error simulator for one disk.

#include <cstdint>

class ControllerDevice;

std::int32_t errorSimulationCommand(ControllerDevice** currentController, std::int32_t count, char** words);

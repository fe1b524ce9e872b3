#pragma once
// gsc: the controller's CAM setting bits, saved and current copies.

#include <cstdint>

class ControllerDevice;

// gsc [PORTREMAP|BUZZER|SPINUP 0|1] (library only, in either mode).
std::int32_t camSettingsCommand(ControllerDevice** currentController, std::int32_t count, char** words);

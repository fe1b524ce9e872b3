#pragma once
// bat, buz, port, dsp, hplug and alpe: the backup battery, the buzzer, the
// port value, the disks' 3 Gb/s option and the ports' hot-plug and ALPE
// settings (library only, in either mode).

#include <cstdint>

class ControllerDevice;

std::int32_t batteryCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t buzzerCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t portCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t dataSpeedCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t hotPlugCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t alpeCommand(ControllerDevice** currentController, std::int32_t count, char** words);

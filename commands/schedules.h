#pragma once
// bgaschd: lists, adds, changes and deletes background activity schedules.

#include <cstdint>

class ControllerDevice;

// bgaschd GET | ADD ... | MOD ... <seq> | DEL <type> <seq> (library only).
std::int32_t bgaScheduleCommand(ControllerDevice** currentController, std::int32_t count, char** words);

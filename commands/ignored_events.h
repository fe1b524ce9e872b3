#pragma once
// ie: the kinds of controller event the library does not report.

#include <cstdint>

class ControllerDevice;

// ie LIST | ADD <event> | REMOVE <event> (library mode only).
std::int32_t ignoredEventsCommand(ControllerDevice** currentController, std::int32_t count, char** words);

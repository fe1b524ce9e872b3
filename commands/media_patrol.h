#pragma once
// Media patrol, the bad-sector log and the error table of one disk: patrol,
// bsl and et.

#include <cstdint>

class ControllerDevice;

// patrol <disk ID> START|PAUSE|RESUME|ABORT|DUMP, in both modes.
std::int32_t patrolCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// bsl <disk ID> DUMP (library only).
std::int32_t badSectorLogCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// et <disk ID> DUMP, in both modes.
std::int32_t errorTableCommand(ControllerDevice** currentController, std::int32_t count, char** words);

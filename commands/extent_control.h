#pragma once
// Extent control and metadata wipe: blk and wd.

#include <cstdint>

class ControllerDevice;

// blk <disk ID> WIPE | blk <disk ID> <extent index> SPARE|FREE|ADD|SPLIT|DELETE [...]
// (library only).
std::int32_t extentControlCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// wd <disk ID>, in both modes.
std::int32_t wipeDiskCommand(ControllerDevice** currentController, std::int32_t count, char** words);

#pragma once
// dbg: raw sector access on the controller's disks and the operating
// system's own disks, the ECC break, and an array's bypass switch.

#include <cstdint>

class ControllerDevice;

std::int32_t debugCommand(ControllerDevice** currentController, std::int32_t count, char** words);

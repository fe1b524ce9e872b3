#pragma once
// Inventory commands: disks, arrays and the controller.

#include <cstdint>

class ControllerDevice;

std::int32_t listDisksCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t listArraysCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t controllerInfoCommand(ControllerDevice** currentController, std::int32_t count,
                                   char** words);

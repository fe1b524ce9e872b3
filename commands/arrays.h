#pragma once
// Creating and deleting arrays, and deleting an array's backup.

#include <cstdint>

class ControllerDevice;

// ca <level> <stripe> <"diskIDs"> <"extentIndexes"> <name> <round> <init> [...]
std::int32_t createArrayCommand(ControllerDevice** currentController, std::int32_t count,
                                char** words);
// ca2 <level> <stripe> <"diskIDs"> <size> <name> <round> <init> <sectorSize> [...]
std::int32_t createArrayBySizeCommand(ControllerDevice** currentController, std::int32_t count,
                                      char** words);
// da <array ID>
std::int32_t deleteArrayCommand(ControllerDevice** currentController, std::int32_t count,
                                char** words);
// delbp <array ID>; always through the library.
std::int32_t deleteBackupCommand(ControllerDevice** currentController, std::int32_t count,
                                 char** words);

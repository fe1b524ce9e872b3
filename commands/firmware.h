#pragma once
// flash: firmware, BIOS and enclosure images written to the controller;
// atapass: one ATA READ DMA through the library.

#include <cstdint>

class ControllerDevice;

// flash UPLOAD <type> <file> [<enclosure ID>] (library mode only).
std::int32_t flashCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// atapass: one sector read with READ DMA; prints one line, shows nothing read.
std::int32_t ataPassCommand(ControllerDevice** currentController, std::int32_t count, char** words);

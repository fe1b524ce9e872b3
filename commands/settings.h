#pragma once
// Settings of the controller, of one array and of one disk: gs, ac and ds.

#include <cstdint>

class ControllerDevice;

// gs: dumps or changes the controller-wide settings (library only).
std::int32_t globalSettingsCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// ac <array ID> [item value | ACTIVATE]: array settings, in both modes.
std::int32_t arraySettingsCommand(ControllerDevice** currentController, std::int32_t count, char** words);
// ds <disk ID> [item ENABLE|DISABLE]: disk settings (library only).
std::int32_t diskSettingsCommand(ControllerDevice** currentController, std::int32_t count, char** words);

// The low 32 bits of a number written in the given base (10 or 16) with
// digits only, whatever its length: a value too large for its field keeps
// its low bits, exactly as typed.
std::uint32_t lowBitsOfDigits(const char* word, unsigned base);

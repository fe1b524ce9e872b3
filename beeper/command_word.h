#pragma once
// The request a start of sounder makes, from its command word.

#include <cstdint>

#include "beeper/control_block.h"
#include "platform/resident.h"

namespace beeper {

enum class Request : std::uint8_t { Enable = 1, Disable = 2, Stop = 3 };

// The command word among the program's arguments, or null when there is
// none: argument 0, or with Argument1WhenGiven argument 1 when it is there.
const char* commandWord(int argc, const char* const* argv, platform::WordPlace place);

// Case-sensitive prefixes: a word that begins with "enable" enables, one
// that begins with "disable" disables; anything else, and no word, stops.
Request requestFromWord(const char* word);

// Writes the request into the block: enable beeps, disable silences, stop
// silences and ends the resident instance.
void applyRequest(ControlFlags& flags, Request request);

}  // namespace beeper

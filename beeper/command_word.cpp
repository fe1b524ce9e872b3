#include "beeper/command_word.h"

#include <cstring>

namespace beeper {

const char* commandWord(int argc, const char* const* argv, platform::WordPlace place) {
    if (argv == nullptr || argc < 1) return nullptr;
    if (place == platform::WordPlace::Argument1WhenGiven && argc >= 2) return argv[1];
    return argv[0];
}

Request requestFromWord(const char* word) {
    if (word == nullptr) return Request::Stop;
    if (std::strncmp(word, "enable", 6) == 0) return Request::Enable;
    if (std::strncmp(word, "disable", 7) == 0) return Request::Disable;
    return Request::Stop;
}

void applyRequest(ControlFlags& flags, Request request) {
    switch (request) {
        case Request::Enable: flags.set(false, true); break;
        case Request::Disable: flags.set(false, false); break;
        case Request::Stop: flags.set(true, false); break;
    }
}

}  // namespace beeper

#include "console/keys.h"

#include "platform/console.h"

char readKeyOrEnd(bool echo) {
    const int key = platform::readKey(echo);
    if (key < 0) throw EndOfInput{};
    return static_cast<char>(key);
}

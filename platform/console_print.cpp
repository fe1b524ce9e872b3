#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/console.h"

void consolePrint(const char* format, ...) {
    char small[1024];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        va_end(again);
        platform::consoleWrite(small, static_cast<std::size_t>(needed));
        return;
    }
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    va_end(again);
    platform::consoleWrite(large.data(), static_cast<std::size_t>(needed));
}

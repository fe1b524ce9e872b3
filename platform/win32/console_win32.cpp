// Console services on Windows: the console title, _getch and _getche for
// single keys at the console, plain reads of the next byte when standard
// input is redirected (as _getch never reads redirected input).

#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/console_input.h"

namespace platform {
namespace {

// Text goes out byte for byte: no line-end translation on either stream, so
// piped runs read and write exactly what the console means.
struct BinaryStreams {
    BinaryStreams() {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stdin), _O_BINARY);
    }
};
const BinaryStreams binaryStreams;

bool inputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

int readInputByte() {
    const int c = std::getchar();
    return c == EOF ? -1 : c;
}

// A console line ends in CR LF; the CR is not part of it.
bool inputLinesEndInCarriageReturn() { return inputIsConsole(); }

int readKey(bool echo) {
    std::fflush(stdout);
    if (inputIsConsole()) {
        return echo ? _getche() : _getch();
    }
    const int key = readInputByte();
    if (key >= 0 && echo) {
        const char c = static_cast<char>(key);
        consoleWrite(&c, 1);
    }
    return key;
}

void setConsoleTitle(const char* title) { SetConsoleTitleA(title); }

void sleepMilliseconds(std::uint64_t milliseconds) {
    std::fflush(stdout);
    // Sleep takes a 32-bit count, and INFINITE (all ones) means forever:
    // long waits go in slices of a day.
    constexpr std::uint64_t slice = 24ull * 60 * 60 * 1000;
    while (milliseconds > 0) {
        const std::uint64_t now = milliseconds < slice ? milliseconds : slice;
        Sleep(static_cast<DWORD>(now));
        milliseconds -= now;
    }
}

}  // namespace platform

#pragma once
// Console services of the operating system: text output, single keys, whole
// lines, the window title, the bell and sleeping. One implementation per
// platform lives beside this header; the build picks it.

#include <cstddef>
#include <cstdint>
#include <string>

#if defined(__MINGW32__)
#define TALO_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define TALO_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

namespace platform {

// Writes the bytes to standard output in one piece, so that text printed by
// two threads never mixes inside one print.
void consoleWrite(const char* data, std::size_t length);

// While a sink is installed, console output is appended to it instead of
// going to standard output. Tests use this to look at what was printed.
void setConsoleCapture(std::string* sink);

// Reads one key without waiting for Enter. On a terminal this is one
// keystroke; when standard input is redirected it is the next byte of it.
// With echo the key is written back to the console. Returns the key's code
// (0 to 255) or -1 when input has ended.
int readKey(bool echo);

// Reads one line of standard input up to a line feed, which is not stored.
// At most maxLength characters are kept; the rest of a longer line is read
// and dropped, and tooLong tells so. Returns false when input ended before
// any character of a new line.
bool readLine(std::string& line, std::size_t maxLength, bool& tooLong);

void setConsoleTitle(const char* title);
void ringBell();

// Sleeps without spinning, for any count: long waits are split into slices
// the system timer can take.
void sleepMilliseconds(std::uint64_t milliseconds);

}  // namespace platform

// The one formatted print of the tool set. Everything the console shows goes
// through here.
void consolePrint(const char* format, ...) TALO_PRINTF_FORMAT(1, 2);

#pragma once
// The command shell: the command and help tables, the prompt loop, the
// script runner and the splitting of lines into words.

#include <cstdint>

#include "console/words.h"

// Line buffer size: at most 1023 characters and the terminating NUL.
constexpr int kLineBufferSize = 1024;
// How deep scripts may run other scripts.
constexpr int kMaxScriptNesting = 32;

// One row of the command table: the name, the handler (null for a command
// this console does not carry yet, which is then an unknown command) and the
// detail help text that "? name" prints (null when there is none).
struct CommandEntry {
    const char* name;
    CommandHandler handler;
    const char* help;
};

// Every command of the console, in one table.
extern const CommandEntry commandEntries[];
extern const int commandEntryCount;

// The first row whose name equals the word (ASCII case ignored), or null.
const CommandEntry* findCommand(const char* name);

// Splits and runs one line; returns the handler's result, or 1 when there is
// nothing to run or the command is unknown. With echo, the words are shown
// first (script lines).
std::int32_t dispatchLine(ControllerDevice** currentController, char* line, int echo);

// Calls the handler. Anything it throws (running out of memory, any other
// failure) is reported in one line naming the command, and the result is 1:
// the console goes on. Only the end of input at a key question passes on.
std::int32_t runHandler(const char* name, CommandHandler handler,
                        ControllerDevice** currentController, std::int32_t count, char** words);

// Runs the prompt loop until a command asks to leave or input ends; returns 0.
std::int32_t runShell(ControllerDevice** currentController);

// Built-in commands.
std::int32_t quitCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t helpCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t scriptCommand(ControllerDevice** currentController, std::int32_t count, char** words);
std::int32_t delayCommand(ControllerDevice** currentController, std::int32_t count, char** words);

// Milliseconds for a delay of the given decimal digits, saturating instead of
// overflowing.
std::uint64_t delayMilliseconds(const char* digits);

#pragma once
// The command shell: the command and help tables, the prompt loop, the
// script runner and the splitting of lines into words.

#include <cstdint>

#include "console/words.h"

// Line buffer size: at most 1023 characters and the terminating NUL.
constexpr int kLineBufferSize = 1024;
// How deep scripts may run other scripts.
constexpr int kMaxScriptNesting = 32;

struct CommandEntry {
    const char* name;
    CommandHandler handler;
};

// Every command of the console, in one table.
extern const CommandEntry commandEntries[];
extern const int commandEntryCount;

// Splits and runs one line; returns the handler's result, or 1 when there is
// nothing to run or the command is unknown. With echo, the words are shown
// first (script lines).
std::int32_t dispatchLine(ControllerDevice** currentController, char* line, int echo);

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

#include "console/shell.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "access/library_binding.h"
#include "console/help_texts.h"
#include "console/keys.h"
#include "console/parsers.h"
#include "platform/console.h"
#include "platform/file_identity.h"

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr int kMaxLineLength = kLineBufferSize - 1;

// Why a line read at the prompt or from a script is not run.
void printLineTooLong() {
    consolePrint("Line too long: at most %d characters are taken. Nothing was run.\n",
                 kMaxLineLength);
}
void printLineHoldsNul() {
    consolePrint("Line not taken: it holds a NUL byte. Nothing was run.\n");
}

// The scripts now running, outermost first; a script is known by its file.
struct RunningScript {
    platform::FileIdentity identity;
    bool identified = false;
};
RunningScript runningScripts[kMaxScriptNesting];
int scriptNesting = 0;

bool alreadyRunning(const platform::FileIdentity& identity) {
    for (int i = 0; i < scriptNesting; ++i) {
        if (runningScripts[i].identified && runningScripts[i].identity == identity) return true;
    }
    return false;
}

enum class ScriptLine { Taken, TooLong, HoldsNul, End };

// Reads the next line of a script into line (a buffer of kLineBufferSize
// bytes, NUL-terminated). The line ends at a line feed; a carriage return
// before it belongs to the line end. A longer line, or one holding a NUL
// byte, is read to its end and refused whole.
ScriptLine readScriptLine(std::FILE* file, char* line) {
    constexpr auto kBuffer = static_cast<std::size_t>(kLineBufferSize);
    constexpr auto kMost = static_cast<std::size_t>(kMaxLineLength);
    std::size_t length = 0;  // characters of the line, however many; line keeps
                             // the first kBuffer, one more than may run
    bool holdsNul = false;
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        const char ch = static_cast<char>(c);
        if (ch == '\0') holdsNul = true;
        if (length < kBuffer) line[length] = ch;
        ++length;
    }
    if (c == EOF && length == 0) return ScriptLine::End;
    if (length > 0 && length <= kBuffer && line[length - 1] == '\r') --length;
    if (length > kMost) return ScriptLine::TooLong;
    if (holdsNul) return ScriptLine::HoldsNul;
    line[length] = '\0';
    return ScriptLine::Taken;
}

}  // namespace

const CommandEntry* findCommand(const char* name) {
    for (int i = 0; i < commandEntryCount; ++i) {
        if (wordEquals(commandEntries[i].name, name)) return &commandEntries[i];
    }
    return nullptr;
}

std::int32_t runHandler(const char* name, CommandHandler handler,
                        ControllerDevice** currentController, std::int32_t count, char** words) {
    hxbind::noteCommandStart();
    try {
        return handler(currentController, count, words);
    } catch (const EndOfInput&) {
        throw;  // input ended at a key question: start-up ends the console
    } catch (const std::bad_alloc&) {
        consolePrint("Command '%s' stopped: out of memory.\n", name);
    } catch (...) {
        consolePrint("Command '%s' stopped by an unexpected error.\n", name);
    }
    return 1;
}

std::int32_t dispatchLine(ControllerDevice** currentController, char* line, int echo) {
    std::int32_t count = 0;
    char* words[MAX_WORDS];
    splitWords(line, &count, words);
    if (count == 0 || words[0][0] == '\0') return 1;
    if (echo) {
        consolePrint("> ");
        for (int i = 0; i < count; ++i) consolePrint("%s ", words[i]);
        consolePrint("\n");
    }
    for (char* c = words[0]; *c != '\0'; ++c) *c = lowerAscii(*c);
    const CommandEntry* entry = findCommand(words[0]);
    if (entry == nullptr || entry->handler == nullptr) {
        consolePrint("Invalid command - %s\n", words[0]);
        return 1;
    }
    // The row's name, not the word: a handler may change its words.
    return runHandler(entry->name, entry->handler, currentController, count, words);
}

std::int32_t runShell(ControllerDevice** currentController) {
    std::string input;
    for (;;) {
        try {
            consolePrint("> ");
            bool tooLong = false;
            if (!platform::readLine(input, kMaxLineLength, tooLong)) {
                // Input ended at the prompt: the line is ended, so whatever
                // prints next (a shell's prompt) starts a line of its own.
                consolePrint("\n");
                return 0;
            }
            if (tooLong) {
                printLineTooLong();
                continue;
            }
            if (input.find('\0') != std::string::npos) {
                printLineHoldsNul();
                continue;
            }
            char line[kLineBufferSize];
            std::memcpy(line, input.data(), input.size());
            line[input.size()] = '\0';
            if (dispatchLine(currentController, line, 0) == 0) return 0;
        } catch (const std::bad_alloc&) {
            consolePrint("Line not run: out of memory.\n");
        }
    }
}

std::int32_t quitCommand(ControllerDevice**, std::int32_t, char**) { return 0; }

std::int32_t helpCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count >= 2) {
        const CommandEntry* entry = findCommand(words[1]);
        if (entry != nullptr && entry->help != nullptr) {
            consolePrint("%s", entry->help);
            return 1;
        }
    }
    printGeneralHelp();
    return 1;
}

std::int32_t scriptCommand(ControllerDevice** currentController, std::int32_t count,
                           char** words) {
    if (count < 2) {
        consolePrint("Script file name not specified.\nUsage: script <\"script file name\">\n");
        return 1;
    }
    if (scriptNesting >= kMaxScriptNesting) {
        consolePrint("Script '%s' not run: scripts may run other scripts only %d levels deep.\n",
                     words[1], kMaxScriptNesting);
        return 1;
    }
    // Read as bytes on every platform: line ends and stray control bytes are
    // handled here, the same way everywhere.
    std::FILE* file = std::fopen(words[1], "rb");
    if (file == nullptr) {
        consolePrint("Open file '%s' failed.\n", words[1]);
        return 1;
    }
    struct Running {
        std::FILE* file;
        bool counted = false;
        ~Running() {
            if (counted) --scriptNesting;
            std::fclose(file);
        }
    } running{file};
    RunningScript& self = runningScripts[scriptNesting];
    self.identified = platform::fileIdentity(file, self.identity);
    // Another name (another spelling, a link) of a running script is the
    // same script: running it again would never end.
    if (self.identified && alreadyRunning(self.identity)) {
        consolePrint("Script '%s' not run: it is already running.\n", words[1]);
        return 1;
    }
    ++scriptNesting;
    running.counted = true;
    char line[kLineBufferSize];
    for (;;) {
        const ScriptLine read = readScriptLine(file, line);
        if (read == ScriptLine::End) break;
        if (read == ScriptLine::TooLong) {
            printLineTooLong();
        } else if (read == ScriptLine::HoldsNul) {
            printLineHoldsNul();
        } else if (dispatchLine(currentController, line, 1) == 0) {
            break;
        }
    }
    return 1;
}

std::uint64_t delayMilliseconds(const char* digits) {
    constexpr std::uint64_t most = ~std::uint64_t{0};
    std::uint64_t seconds = 0;
    for (const char* p = digits; *p != '\0'; ++p) {
        const std::uint64_t digit = static_cast<std::uint64_t>(*p - '0');
        if (seconds > (most - digit) / 10) return most;
        seconds = seconds * 10 + digit;
    }
    return seconds > most / 1000 ? most : seconds * 1000;
}

std::int32_t delayCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        consolePrint("Delay seconds not specified.\nUsage: delay <seconds>\n");
        return 1;
    }
    if (!isDecimalString(words[1])) {
        consolePrint("Invalid seconds '%s' specified.\n", words[1]);
        return 1;
    }
    platform::sleepMilliseconds(delayMilliseconds(words[1]));
    return 1;
}

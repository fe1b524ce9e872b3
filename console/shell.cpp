#include "console/shell.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "console/help_texts.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char x = lowerAscii(a[i]);
            const char y = lowerAscii(b[i]);
            if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        return a.size() < b.size();
    }
};

std::map<std::string, CommandHandler, CaseInsensitiveLess> commandTable;
std::map<std::string, const char*, CaseInsensitiveLess> helpTable;

void fillTables() {
    if (!commandTable.empty()) return;
    // emplace keeps the first entry of a name; a second one is ignored.
    for (int i = 0; i < commandEntryCount; ++i) {
        commandTable.emplace(commandEntries[i].name, commandEntries[i].handler);
    }
    for (std::size_t i = 0; i < helpEntryCount; ++i) {
        helpTable.emplace(helpEntries[i].name, helpEntries[i].text);
    }
}

int scriptNesting = 0;

}  // namespace

std::int32_t dispatchLine(ControllerDevice** currentController, char* line, int echo) {
    fillTables();
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
    auto it = commandTable.find(words[0]);
    if (it == commandTable.end()) {
        consolePrint("Invalid command - %s\n", words[0]);
        return 1;
    }
    return it->second(currentController, count, words);
}

std::int32_t runShell(ControllerDevice** currentController) {
    fillTables();
    std::string input;
    for (;;) {
        consolePrint("> ");
        bool tooLong = false;
        if (!platform::readLine(input, kLineBufferSize - 1, tooLong)) return 0;
        if (tooLong) {
            consolePrint("Line too long: at most %d characters are taken. Nothing was run.\n",
                         kLineBufferSize - 1);
            continue;
        }
        char line[kLineBufferSize];
        std::memcpy(line, input.data(), input.size());
        line[input.size()] = '\0';
        if (dispatchLine(currentController, line, 0) == 0) return 0;
    }
}

std::int32_t quitCommand(ControllerDevice**, std::int32_t, char**) { return 0; }

std::int32_t helpCommand(ControllerDevice**, std::int32_t count, char** words) {
    fillTables();
    if (count >= 2) {
        auto it = helpTable.find(words[1]);
        if (it != helpTable.end()) {
            consolePrint("%s", it->second);
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
    std::FILE* file = std::fopen(words[1], "r");
    if (file == nullptr) {
        consolePrint("Open file '%s' failed.\n", words[1]);
        return 1;
    }
    ++scriptNesting;
    char line[kLineBufferSize];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (dispatchLine(currentController, line, 1) == 0) break;
    }
    --scriptNesting;
    std::fclose(file);
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

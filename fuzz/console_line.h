#pragma once
// What the harnesses that run console commands share: which commands they
// leave out (those that wait, read files or leave the console), and taking
// the input's first line as a command line.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "console/shell.h"
#include "console/words.h"

// True for a line whose command waits, reads files or leaves the console.
inline bool leftOutOfFuzzing(const char* line) {
    char copy[kLineBufferSize];
    std::strncpy(copy, line, sizeof copy - 1);
    copy[sizeof copy - 1] = '\0';
    std::int32_t count = 0;
    char* words[MAX_WORDS];
    splitWords(copy, &count, words);
    if (count == 0) return false;
    const CommandEntry* entry = findCommand(words[0]);
    if (entry == nullptr) return false;
    const std::string_view name(entry->name);
    return name == "delay" || name == "script" || name == "flash" || entry->handler == quitCommand;
}

// The input's first line, as a command line the shell can take, in line;
// *rest is where the bytes after it start. False when the line is too long
// or holds a zero byte, when it has no command of the table, or when its
// command is left out.
inline bool firstCommandLine(const std::uint8_t* data, std::size_t size,
                             char (&line)[kLineBufferSize], std::size_t* rest) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = size;
    if (end >= kLineBufferSize || text.substr(0, end).find('\0') != std::string_view::npos) {
        return false;
    }
    std::memcpy(line, data, end);
    line[end] = '\0';
    *rest = end < size ? end + 1 : size;
    char copy[kLineBufferSize];
    std::memcpy(copy, line, end + 1);
    std::int32_t count = 0;
    char* words[MAX_WORDS];
    splitWords(copy, &count, words);
    if (count == 0) return false;
    const CommandEntry* entry = findCommand(words[0]);
    if (entry == nullptr || entry->handler == nullptr) return false;
    return !leftOutOfFuzzing(line);
}

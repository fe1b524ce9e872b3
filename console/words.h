#pragma once
// Command lines as words: the handler shape every command has, and the
// splitting of a line into the words handed to it. Shared by the shell and
// the commands (which split quoted id lists the same way).

#include <cstdint>

class ControllerDevice;

constexpr int MAX_WORDS = 20;
// A command: the address of currentController, the word count and the word
// vector (MAX_WORDS entries, null past the count, word 0 lowered). Returns
// non-zero to go on, 0 to leave the shell (or the script).
using CommandHandler = std::int32_t (*)(ControllerDevice** currentController, std::int32_t count,
                                        char** words);

// Splits line in place into at most MAX_WORDS words: blanks separate, "..."
// and (...) group, # starts a comment.
void splitWords(char* line, std::int32_t* count, char** words);

#pragma once
// bga: starting background activities on an array, and pausing, resuming,
// restarting or aborting a running one.

#include <cstdint>
#include <functional>
#include <string>

class ControllerDevice;

// bga <array ID> START <category> ...   or   bga <array ID> <category> <action>
std::int32_t bgaCommand(ControllerDevice** currentController, std::int32_t count, char** words);

// The words of bga. Each prints its own message for a missing (null or
// empty) or unknown word and returns 0xFF.
constexpr std::uint8_t kBgaRebuild = 0;
constexpr std::uint8_t kBgaInit = 1;
constexpr std::uint8_t kBgaSync = 2;
constexpr std::uint8_t kBgaMigration = 3;
constexpr std::uint8_t kBgaBackup = 5;
std::uint8_t parseBgaCategory(const char* word);  // REBUILD INIT SYNC MIGRATION BACKUP
std::uint8_t parseSyncKind(const char* word);     // SYNC 0, CHECK 1
std::uint8_t parseBgaInitKind(const char* word);  // QUICK 0, FORE 1, BACK 2
std::uint8_t parseBgaAction(const char* word);    // RESTART 1, PAUSE 2, RESUME 3, ABORT 4

// Where the answers to the migration prompts come from: one line per
// prompt, false at end of input (tooLong when the line was cut). Standard
// input, also while a script runs, unless another source is installed; an
// empty function puts standard input back.
using AnswerSource = std::function<bool(std::string& line, bool& tooLong)>;
void setMigrationAnswerSource(AnswerSource source);

// An answer read as a signed decimal number: optional blanks, an optional
// sign, digits, optional trailing blanks or carriage return. False for
// anything else, or a number outside 32 bits.
bool parseAnswerNumber(const std::string& text, std::int32_t* value);

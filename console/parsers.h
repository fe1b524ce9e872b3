#pragma once
// The argument parsers that command handlers share. Each prints its own
// message when the word is missing or wrong and returns a failure value;
// the handler then stops without printing more.

#include <cstdint>

constexpr std::uint8_t kParseFailed = 0xFF;
constexpr std::uint64_t kLbaParseFailed = ~std::uint64_t{0};

int isDecimalString(const char* word);
int isHexString(const char* word);

// Ids run from 0 to 254; 255 yields 0xFF without a message, and a word whose
// value is above 255 is refused as invalid, so it never selects another id.
std::uint8_t parseArrayId(const char* word);
std::uint8_t parseDiskId(const char* word);
std::uint8_t parseExtentIndex(const char* word);
// Enclosure, fan, fan speed code and LED control code words, under the
// same rule as the ids above (the enclosure id is also a flash argument).
std::uint8_t parseEnclosureId(const char* word);
std::uint8_t parseFanId(const char* word);
std::uint8_t parseFanSpeedCode(const char* word);
std::uint8_t parseLedControlCode(const char* word);

// 1 on success with the value stored, 0 on failure. A value that does not fit
// in 32 bits is refused as invalid.
int parseDecimalArg(const char* word, std::uint32_t* result, const char* label);
int parseHexArg(const char* word, std::uint32_t* result, const char* label);

// A hexadecimal LBA, or all ones on failure (including a value that does not
// fit in 64 bits).
std::uint64_t parseLba(const char* word);

// Splits word in place into decimal ids (at most 20) stored as bytes.
int parseIdList(std::uint8_t* count, std::uint8_t* ids, char* word);

std::uint8_t parseDriverRaidLevel(const char* word);
std::uint8_t parseLibraryRaidLevel(const char* word);
std::uint8_t parseDriverCacheMode(const char* word);
std::uint8_t parseLibraryCacheMode(const char* word);
std::uint8_t parseRoundingScheme(const char* word);
std::int32_t parseInitKind(const char* word);
std::uint8_t parseEnableDisable(const char* word);

void printInvalidParameters(const char* name);

// The leading-digits conversion for numbers no parser checks: optional
// leading white space, an optional sign, then the decimal digits up to the
// first other character. No digits (or a null word) gives 0; a value beyond
// 64 bits saturates. Callers cut the result to the width of their field.
std::int64_t leadingDigitsValue(const char* word);

// The leading-digits value of word, stored when it lies between lowest and
// highest (the range of the field it goes to); otherwise prints
// "<label> => Invalid integer '<word>' specified." and returns 0.
int parseLeadingDigitsArg(const char* word, std::int64_t lowest, std::int64_t highest,
                          std::int64_t* result, const char* label);

// Case-insensitive (ASCII) comparison of two words.
bool wordEquals(const char* a, const char* b);

#include "console/parsers.h"

#include "access/code_tables.h"
#include "console/words.h"
#include "platform/console.h"

namespace {

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of a decimal or hexadecimal string already checked for its digits;
// false when it exceeds most.
bool digitsValue(const char* word, unsigned base, std::uint64_t most, std::uint64_t* value) {
    std::uint64_t v = 0;
    for (const char* p = word; *p != '\0'; ++p) {
        const auto digit = static_cast<std::uint64_t>(base == 10 ? *p - '0' : hexDigitValue(*p));
        if (v > (most - digit) / base) return false;
        v = v * base + digit;
    }
    *value = v;
    return true;
}

// The "invalid" message is printed as before, the word, after.
struct IdMessages {
    const char* missing;
    const char* invalidBefore;
    const char* invalidAfter;
};

std::uint8_t parseId(const char* word, const IdMessages& messages) {
    if (word == nullptr || *word == '\0') {
        consolePrint("%s", messages.missing);
        return kParseFailed;
    }
    std::uint64_t value = 0;
    if (!isDecimalString(word) || !digitsValue(word, 10, 255, &value)) {
        consolePrint("%s%s%s", messages.invalidBefore, word, messages.invalidAfter);
        return kParseFailed;
    }
    return static_cast<std::uint8_t>(value);
}

using codes::Keyword;

// On no match prints before, the word, after.
template <std::size_t N>
std::uint8_t parseKeyword(const char* word, const Keyword (&keywords)[N], const char* before,
                          const char* after) {
    for (const Keyword& k : keywords) {
        if (wordEquals(word, k.word)) return k.code;
    }
    consolePrint("%s%s%s", before, word, after);
    return kParseFailed;
}

}  // namespace

bool wordEquals(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

int isDecimalString(const char* word) {
    if (word == nullptr || *word == '\0') return 0;
    for (const char* p = word; *p != '\0'; ++p) {
        if (!isDecimalDigit(*p)) return 0;
    }
    return 1;
}

int isHexString(const char* word) {
    if (word == nullptr || *word == '\0') return 0;
    for (const char* p = word; *p != '\0'; ++p) {
        if (hexDigitValue(*p) < 0) return 0;
    }
    return 1;
}

std::uint8_t parseArrayId(const char* word) {
    return parseId(word, {"Array ID not specified.\n", "Invalid array ID '", "' specified.\n"});
}

std::uint8_t parseDiskId(const char* word) {
    return parseId(word, {"Disk ID not specified.\n", "Invalid Disk ID '", "' specified.\n"});
}

std::uint8_t parseExtentIndex(const char* word) {
    return parseId(word,
                   {"Extent index is not specified.\n", "Invalid Extent index '", "' specified.\n"});
}

std::uint8_t parseEnclosureId(const char* word) {
    return parseId(word, {"Enclosure ID not specified.\n", "Invalid Enclosure ID '", "' specified.\n"});
}

std::uint8_t parseFanId(const char* word) {
    return parseId(word, {"Fan ID not specified.\n", "Invalid Fan ID '", "' specified.\n"});
}

std::uint8_t parseFanSpeedCode(const char* word) {
    return parseId(word,
                   {"Fan Speed code not specified.\n", "Invalid Fan speed code '", "' specified.\n"});
}

std::uint8_t parseLedControlCode(const char* word) {
    return parseId(word, {"LED Control Code not specified.\n", "Invalid LED Control Code '",
                          "' specified.\n"});
}

int parseDecimalArg(const char* word, std::uint32_t* result, const char* label) {
    if (word == nullptr || *word == '\0') {
        consolePrint("%s => integer number not specified.\n", label);
        return 0;
    }
    std::uint64_t value = 0;
    if (!isDecimalString(word) || !digitsValue(word, 10, 0xFFFFFFFFu, &value)) {
        consolePrint("%s => Invalid integer '%s' specified.\n", label, word);
        return 0;
    }
    *result = static_cast<std::uint32_t>(value);
    return 1;
}

int parseHexArg(const char* word, std::uint32_t* result, const char* label) {
    if (word == nullptr || *word == '\0') {
        consolePrint("%s => hex integer number not specified.\n", label);
        return 0;
    }
    std::uint64_t value = 0;
    if (!isHexString(word) || !digitsValue(word, 16, 0xFFFFFFFFu, &value)) {
        consolePrint("%s => Invalid hex integer '%s' specified.\n", label, word);
        return 0;
    }
    *result = static_cast<std::uint32_t>(value);
    return 1;
}

std::uint64_t parseLba(const char* word) {
    if (word == nullptr || *word == '\0') {
        consolePrint("LBA not specified.\n");
        return kLbaParseFailed;
    }
    std::uint64_t value = 0;
    if (!isHexString(word) || !digitsValue(word, 16, kLbaParseFailed, &value)) {
        consolePrint("Invalid LBA '%s' specified.\n", word);
        return kLbaParseFailed;
    }
    return value;
}

int parseIdList(std::uint8_t* count, std::uint8_t* ids, char* word) {
    std::int32_t n = 0;
    char* words[MAX_WORDS];
    splitWords(word, &n, words);
    if (n == 0) {
        consolePrint("No block ID specified!\n");
        return 0;
    }
    *count = static_cast<std::uint8_t>(n);
    for (std::int32_t i = 0; i < n; ++i) {
        std::uint64_t value = 0;
        if (!isDecimalString(words[i]) || !digitsValue(words[i], 10, 255, &value)) {
            consolePrint("Invalid block ID '%s' specified!\n", words[i]);
            return 0;
        }
        ids[i] = static_cast<std::uint8_t>(value);
    }
    return 1;
}

std::uint8_t parseDriverRaidLevel(const char* word) {
    return parseKeyword(word, drv::kRaidLevelKeywords, "Unknown RAID level '", "' specified!\n");
}

std::uint8_t parseLibraryRaidLevel(const char* word) {
    return parseKeyword(word, lib::kRaidLevelKeywords, "Unknown RAID level '", "' specified!\n");
}

std::uint8_t parseDriverCacheMode(const char* word) {
    return parseKeyword(word, drv::kCacheModeKeywords, "Unknown cache mode '", "' specified.\n");
}

std::uint8_t parseLibraryCacheMode(const char* word) {
    return parseKeyword(word, lib::kCacheModeKeywords, "Unknown cache mode '", "' specified.\n");
}

std::uint8_t parseRoundingScheme(const char* word) {
    static const Keyword schemes[] = {{"NONE", 0}, {"GBB", 1}, {"10GBB", 2}};
    return parseKeyword(word, schemes, "Unknown rounding scheme '", "' specified!\n");
}

std::int32_t parseInitKind(const char* word) {
    for (const Keyword& k : lib::kInitKindKeywords) {
        if (wordEquals(word, k.word)) return k.code;
    }
    consolePrint("Unknown initialization '%s' specified!\n", word);
    return -1;
}

std::uint8_t parseEnableDisable(const char* word) {
    if (wordEquals(word, "disable")) return 0;
    if (wordEquals(word, "enable")) return 1;
    consolePrint("Must be either 'disable' or 'enable'\n");
    return kParseFailed;
}

std::int64_t leadingDigitsValue(const char* word) {
    if (word == nullptr) return 0;
    const char* p = word;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulated as a negative number, whose range is the wider one.
    constexpr std::int64_t lowest = INT64_MIN;
    std::int64_t value = 0;
    bool saturated = false;
    for (; isDecimalDigit(*p); ++p) {
        const int digit = *p - '0';
        if (saturated) continue;
        if (value < (lowest + digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative) return saturated ? lowest : value;
    if (saturated || value == lowest) return INT64_MAX;
    return -value;
}

int parseLeadingDigitsArg(const char* word, std::int64_t lowest, std::int64_t highest,
                          std::int64_t* result, const char* label) {
    const std::int64_t value = leadingDigitsValue(word);
    if (value < lowest || value > highest) {
        consolePrint("%s => Invalid integer '%s' specified.\n", label, word != nullptr ? word : "");
        return 0;
    }
    *result = value;
    return 1;
}

void printInvalidParameters(const char* name) {
    consolePrint(
        "Invalid Parameters, please check and also you can get the help information by typing "
        "'help %s'\n",
        name);
}

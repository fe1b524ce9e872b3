// The shared argument parsers: accepted words, results, failure values and
// the exact message each one prints.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/parsers.h"
#include "console_capture.h"

namespace {

std::string lowered(std::string word) {
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return word;
}

std::string uppered(std::string word) {
    for (char& c : word) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return word;
}

// ---------------------------------------------------------------------------
// Digit tests

TEST(DigitStrings, AcceptOnlyAsciiDigitsAndPrintNothing) {
    struct Case {
        const char* word;
        int decimal;
        int hex;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"0", 1, 1},
        {"0123456789", 1, 1},
        {"007", 1, 1},
        {"abcdef", 0, 1},
        {"ABCDEF", 0, 1},
        {"1a", 0, 1},
        {"DeadBeef", 0, 1},
        {"g", 0, 0},
        {"0x1F", 0, 0},
        {"0X1F", 0, 0},
        {"-1", 0, 0},
        {"+1", 0, 0},
        {" 1", 0, 0},
        {"1 ", 0, 0},
        {"1.0", 0, 0},
        {"\xB5", 0, 0},          // a lone byte above 127
        {"1\xC2\xB2", 0, 0},     // "1" followed by a superscript two
        {"\xEF\xBC\x91", 0, 0},  // a full-width one
        {"a\xC3\xA4", 0, 0},     // a hex digit followed by a letter outside ASCII
    };
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("word '") + c.word + "'");
        EXPECT_EQ(c.decimal, isDecimalString(c.word));
        EXPECT_EQ(c.hex, isHexString(c.word));
        EXPECT_EQ("", capture.take());
    }
}

TEST(WordEquals, FoldsOnlyAsciiLetters) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"ld", "ld", true},
        {"LD", "ld", true},
        {"WriteBack", "WRITEBACK", true},
        {"", "", true},
        {"ld", "lda", false},
        {"lda", "ld", false},
        {"raid1", "raid10", false},
        {"\xC4", "\xE4", false},  // letters outside ASCII are not folded
        {"[", "{", false},         // nor are the neighbours of the ASCII letters
        {nullptr, "ld", false},
        {"ld", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " vs " + (c.b ? c.b : "(null)"));
        EXPECT_EQ(c.equal, wordEquals(c.a, c.b));
    }
}

// ---------------------------------------------------------------------------
// Id parsers

struct IdParser {
    const char* name;
    std::uint8_t (*parse)(const char*);
    const char* missing;
    const char* invalid;  // "%s" stands for the word
};

class IdParsers : public testing::TestWithParam<IdParser> {};

TEST_P(IdParsers, ResultAndMessage) {
    enum class Outcome { Silent, Missing, Invalid };
    struct Case {
        const char* word;
        int expected;
        Outcome outcome;
    };
    const Case cases[] = {
        {nullptr, 0xFF, Outcome::Missing},
        {"", 0xFF, Outcome::Missing},
        {"0", 0, Outcome::Silent},
        {"7", 7, Outcome::Silent},
        {"254", 254, Outcome::Silent},
        {"007", 7, Outcome::Silent},
        {"0000000000000000000000000254", 254, Outcome::Silent},
        // 255 is the failure value itself: the caller stops, nothing is printed.
        {"255", 0xFF, Outcome::Silent},
        // Too large for an 8-bit id; must never wrap onto another id.
        {"256", 0xFF, Outcome::Invalid},
        {"257", 0xFF, Outcome::Invalid},
        {"1000", 0xFF, Outcome::Invalid},
        {"4294967297", 0xFF, Outcome::Invalid},
        {"18446744073709551617", 0xFF, Outcome::Invalid},
        {"99999999999999999999999999999999", 0xFF, Outcome::Invalid},
        {"1a", 0xFF, Outcome::Invalid},
        {"-1", 0xFF, Outcome::Invalid},
        {"+1", 0xFF, Outcome::Invalid},
        {"0x1", 0xFF, Outcome::Invalid},
        {" 1", 0xFF, Outcome::Invalid},
        {"1.0", 0xFF, Outcome::Invalid},
        {"\xB1", 0xFF, Outcome::Invalid},
    };
    const IdParser& parser = GetParam();
    ConsoleCapture capture;
    for (const Case& c : cases) {
        const std::string word = c.word ? c.word : "(null)";
        SCOPED_TRACE("word '" + word + "'");
        std::string expectedOutput;
        if (c.outcome == Outcome::Missing) expectedOutput = parser.missing;
        if (c.outcome == Outcome::Invalid) expectedOutput = withWord(parser.invalid, word);
        EXPECT_EQ(c.expected, parser.parse(c.word));
        EXPECT_EQ(expectedOutput, capture.take());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ids, IdParsers,
    testing::Values(
        IdParser{"ArrayId", parseArrayId, "Array ID not specified.\n",
                 "Invalid array ID '%s' specified.\n"},
        IdParser{"DiskId", parseDiskId, "Disk ID not specified.\n",
                 "Invalid Disk ID '%s' specified.\n"},
        IdParser{"ExtentIndex", parseExtentIndex, "Extent index is not specified.\n",
                 "Invalid Extent index '%s' specified.\n"}),
    [](const testing::TestParamInfo<IdParser>& tested) { return std::string(tested.param.name); });

// ---------------------------------------------------------------------------
// 32-bit decimal and hexadecimal arguments

TEST(NumberArgs, ResultAndMessage) {
    using Parse = int (*)(const char*, std::uint32_t*, const char*);
    struct Case {
        Parse parse;
        const char* label;
        const char* word;
        int ok;
        std::uint32_t value;  // checked only when ok
        const char* output;
    };
    const Case cases[] = {
        {parseDecimalArg, "Sector count", nullptr, 0, 0,
         "Sector count => integer number not specified.\n"},
        {parseDecimalArg, "Sector count", "", 0, 0,
         "Sector count => integer number not specified.\n"},
        {parseDecimalArg, "rate", "0", 1, 0, ""},
        {parseDecimalArg, "rate", "00042", 1, 42, ""},
        {parseDecimalArg, "rate", "4294967295", 1, 0xFFFFFFFFu, ""},
        {parseDecimalArg, "rate", "4294967296", 0, 0,
         "rate => Invalid integer '4294967296' specified.\n"},
        {parseDecimalArg, "rate", "18446744073709551617", 0, 0,
         "rate => Invalid integer '18446744073709551617' specified.\n"},
        {parseDecimalArg, "rate", "1F", 0, 0, "rate => Invalid integer '1F' specified.\n"},
        {parseDecimalArg, "rate", "12x", 0, 0, "rate => Invalid integer '12x' specified.\n"},
        {parseDecimalArg, "rate", "-1", 0, 0, "rate => Invalid integer '-1' specified.\n"},
        {parseDecimalArg, "rate", "0x10", 0, 0, "rate => Invalid integer '0x10' specified.\n"},

        {parseHexArg, "Pattern", nullptr, 0, 0, "Pattern => hex integer number not specified.\n"},
        {parseHexArg, "Pattern", "", 0, 0, "Pattern => hex integer number not specified.\n"},
        {parseHexArg, "policy", "0", 1, 0, ""},
        {parseHexArg, "policy", "1F", 1, 31, ""},
        {parseHexArg, "policy", "1f", 1, 31, ""},
        {parseHexArg, "policy", "DeadBeef", 1, 0xDEADBEEFu, ""},
        {parseHexArg, "policy", "FFFFFFFF", 1, 0xFFFFFFFFu, ""},
        {parseHexArg, "policy", "00000000FFFFFFFF", 1, 0xFFFFFFFFu, ""},
        {parseHexArg, "policy", "100000000", 0, 0,
         "policy => Invalid hex integer '100000000' specified.\n"},
        {parseHexArg, "policy", "0x1F", 0, 0, "policy => Invalid hex integer '0x1F' specified.\n"},
        {parseHexArg, "policy", "G", 0, 0, "policy => Invalid hex integer 'G' specified.\n"},
        {parseHexArg, "policy", "-1", 0, 0, "policy => Invalid hex integer '-1' specified.\n"},
    };
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.parse == parseHexArg ? "hex" : "decimal") + " word '" +
                     (c.word ? c.word : "(null)") + "'");
        std::uint32_t value = 0x5A5A5A5Au;
        EXPECT_EQ(c.ok, c.parse(c.word, &value, c.label));
        if (c.ok) {
            EXPECT_EQ(c.value, value);
        }
        EXPECT_EQ(c.output, capture.take());
    }
}

// ---------------------------------------------------------------------------
// LBA

TEST(ParseLba, ResultAndMessage) {
    constexpr std::uint64_t kAllOnes = ~std::uint64_t{0};
    struct Case {
        const char* word;
        std::uint64_t expected;
        const char* output;
    };
    const Case cases[] = {
        {nullptr, kAllOnes, "LBA not specified.\n"},
        {"", kAllOnes, "LBA not specified.\n"},
        {"0", 0, ""},
        {"1f", 0x1F, ""},
        {"FFFFFFFF", 0xFFFFFFFFu, ""},
        {"100000000", 0x100000000u, ""},
        {"FFFFFFFFFFFFFFFE", 0xFFFFFFFFFFFFFFFEu, ""},
        // All ones is the failure value: the caller stops, nothing is printed.
        {"FFFFFFFFFFFFFFFF", kAllOnes, ""},
        {"0123456789ABCDEF0", 0x123456789ABCDEF0u, ""},
        {"000000000000000000000001", 1, ""},
        {"10000000000000000", kAllOnes, "Invalid LBA '10000000000000000' specified.\n"},
        {"1FFFFFFFFFFFFFFFF", kAllOnes, "Invalid LBA '1FFFFFFFFFFFFFFFF' specified.\n"},
        {"0x10", kAllOnes, "Invalid LBA '0x10' specified.\n"},
        {"12 ", kAllOnes, "Invalid LBA '12 ' specified.\n"},
        {"-1", kAllOnes, "Invalid LBA '-1' specified.\n"},
    };
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("word '") + (c.word ? c.word : "(null)") + "'");
        EXPECT_EQ(c.expected, parseLba(c.word));
        EXPECT_EQ(c.output, capture.take());
    }
}

// ---------------------------------------------------------------------------
// Id lists

TEST(ParseIdList, CountIdsAndMessage) {
    constexpr std::uint8_t kUntouched = 0xEE;
    struct Case {
        const char* list;
        int ok;
        int count;                       // kUntouched when it must not be stored
        std::vector<std::uint8_t> ids;   // the ids that must have been stored
        const char* output;
    };
    const Case cases[] = {
        {"0 1", 1, 2, {0, 1}, ""},
        {"7", 1, 1, {7}, ""},
        {"254\t0\t3", 1, 3, {254, 0, 3}, ""},
        {"  007   010  ", 1, 2, {7, 10}, ""},
        {"3 x 5", 0, 3, {3}, "Invalid block ID 'x' specified!\n"},
        {"1 -2", 0, 2, {1}, "Invalid block ID '-2' specified!\n"},
        {"1 \"\" 2", 0, 3, {1}, "Invalid block ID '' specified!\n"},
        {"300", 0, 1, {}, "Invalid block ID '300' specified!\n"},
        {"1 256", 0, 2, {1}, "Invalid block ID '256' specified!\n"},
        {"4294967297", 0, 1, {}, "Invalid block ID '4294967297' specified!\n"},
        {"", 0, kUntouched, {}, "No block ID specified!\n"},
        {"   ", 0, kUntouched, {}, "No block ID specified!\n"},
        // At most 20 ids are taken; what follows is ignored, even if invalid.
        {"0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24",
         1,
         20,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
         ""},
        {"0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 x",
         1,
         20,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
         ""},
    };
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("list '") + c.list + "'");
        std::string word = c.list;  // split in place
        std::uint8_t count = kUntouched;
        std::vector<std::uint8_t> ids(32, kUntouched);
        EXPECT_EQ(c.ok, parseIdList(&count, ids.data(), word.data()));
        EXPECT_EQ(c.count, count);
        const auto stored = static_cast<std::ptrdiff_t>(c.ids.size());
        EXPECT_EQ(c.ids, std::vector<std::uint8_t>(ids.begin(), ids.begin() + stored));
        // Nothing is written past the 20 ids a list can hold.
        for (std::size_t i = 20; i < ids.size(); ++i) EXPECT_EQ(kUntouched, ids[i]);
        EXPECT_EQ(c.output, capture.take());
    }
}

// ---------------------------------------------------------------------------
// Keyword parsers

struct KeywordParser {
    const char* name;
    std::int32_t (*parse)(const char*);
    std::vector<std::pair<const char*, std::int32_t>> accepted;
    std::vector<const char*> refused;
    std::int32_t failure;
    const char* message;  // "%s" stands for the word
};

class KeywordParsers : public testing::TestWithParam<KeywordParser> {};

TEST_P(KeywordParsers, AcceptsEveryKeywordInAnyCase) {
    const KeywordParser& parser = GetParam();
    ConsoleCapture capture;
    for (const auto& [keyword, code] : parser.accepted) {
        for (const std::string& word : {std::string(keyword), lowered(keyword), uppered(keyword)}) {
            SCOPED_TRACE("word '" + word + "'");
            EXPECT_EQ(code, parser.parse(word.c_str()));
            EXPECT_EQ("", capture.take());
        }
    }
}

TEST_P(KeywordParsers, RefusesOtherWords) {
    const KeywordParser& parser = GetParam();
    ConsoleCapture capture;
    for (const char* word : parser.refused) {
        SCOPED_TRACE(std::string("word '") + word + "'");
        EXPECT_EQ(parser.failure, parser.parse(word));
        EXPECT_EQ(withWord(parser.message, word), capture.take());
    }
}

template <typename Result, Result (*Parse)(const char*)>
std::int32_t widened(const char* word) {
    return static_cast<std::int32_t>(Parse(word));
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, KeywordParsers,
    testing::Values(
        KeywordParser{"DriverRaidLevel",
                      widened<std::uint8_t, parseDriverRaidLevel>,
                      {{"raid0", 0},
                       {"Raid1", 1},
                       {"RAID5", 4},
                       {"raid10", 1},
                       {"JBOD", 0x10},
                       {"raid50", 0x20},
                       {"RaidMF", 0x80},
                       {"span", 8}},
                      {"raid6", "RAID6", "raid", "raid00", "raid 0", "raid3", "0", ""},
                      0xFF,
                      "Unknown RAID level '%s' specified!\n"},
        KeywordParser{"LibraryRaidLevel",
                      widened<std::uint8_t, parseLibraryRaidLevel>,
                      {{"raid0", 0},
                       {"raid1", 1},
                       {"raid5", 5},
                       {"RAID6", 6},
                       {"raid10", 0x10},
                       {"jbod", 0x0A},
                       {"Raid50", 0x50},
                       {"raidmf", 6},
                       {"SPAN", 8}},
                      {"raid3", "raid60", "raid6+", "mf", "raid", ""},
                      0xFF,
                      "Unknown RAID level '%s' specified!\n"},
        KeywordParser{"DriverCacheMode",
                      widened<std::uint8_t, parseDriverCacheMode>,
                      {{"AUTO", 3}, {"WriteBack", 0}, {"WRITETHROUGH", 1}, {"bypass", 2}},
                      {"write", "WRITEBACKX", "write-back", "auto ", "on", ""},
                      0xFF,
                      "Unknown cache mode '%s' specified.\n"},
        KeywordParser{"LibraryCacheMode",
                      widened<std::uint8_t, parseLibraryCacheMode>,
                      {{"WriteBack", 1}, {"writethrough", 0}, {"BYPASS", 4}, {"Auto", 8}},
                      {"through", "BYPASSED", "cache", ""},
                      0xFF,
                      "Unknown cache mode '%s' specified.\n"},
        KeywordParser{"RoundingScheme",
                      widened<std::uint8_t, parseRoundingScheme>,
                      {{"NONE", 0}, {"gbb", 1}, {"10Gbb", 2}},
                      {"GB", "100GBB", "10", "round", ""},
                      0xFF,
                      "Unknown rounding scheme '%s' specified!\n"},
        KeywordParser{"InitKind",
                      parseInitKind,
                      {{"none", 0}, {"Quick", 1}, {"FORE", 2}, {"back", 4}},
                      {"FULL", "quic", "foreground", "1", ""},
                      -1,
                      "Unknown initialization '%s' specified!\n"},
        // The enable/disable message does not quote the word.
        KeywordParser{"EnableDisable",
                      widened<std::uint8_t, parseEnableDisable>,
                      {{"disable", 0}, {"Enable", 1}},
                      {"on", "off", "enabled", "1", "0", ""},
                      0xFF,
                      "Must be either 'disable' or 'enable'\n"}),
    [](const testing::TestParamInfo<KeywordParser>& tested) {
        return std::string(tested.param.name);
    });

// ---------------------------------------------------------------------------

TEST(PrintInvalidParameters, NamesTheCommandsHelp) {
    ConsoleCapture capture;
    for (const char* name : {"ca", "bgaschd"}) {
        SCOPED_TRACE(name);
        printInvalidParameters(name);
        EXPECT_EQ(std::string("Invalid Parameters, please check and also you can get the help "
                              "information by typing 'help ") +
                      name + "'\n",
                  capture.take());
    }
}

TEST(LeadingDigitsArg, OnlyValuesThatFitTheirFieldAreTaken) {
    const struct {
        const char* word;
        std::int64_t lowest;
        std::int64_t highest;
        bool taken;
        std::int64_t value;
    } cases[] = {
        {"512", 0, UINT32_MAX, true, 512},
        {"none", 0, UINT32_MAX, true, 0},  // no digits gives 0, as before
        {nullptr, 0, UINT8_MAX, true, 0},
        {"4294967295", 0, UINT32_MAX, true, 4294967295},
        {"4294967296", 0, UINT32_MAX, false, 0},
        {"4294967808", 0, UINT32_MAX, false, 0},  // would have wrapped to 512
        {"-1", 0, UINT32_MAX, false, 0},
        {"255x", 0, UINT8_MAX, true, 255},
        {"256", 0, UINT8_MAX, false, 0},
        {"-32768", INT16_MIN, INT16_MAX, true, -32768},
        {"-32769", INT16_MIN, INT16_MAX, false, 0},
        {"32768", INT16_MIN, INT16_MAX, false, 0},
        {"99999999999999999999999", INT16_MIN, INT16_MAX, false, 0},
        {"-99999999999999999999999", INT16_MIN, INT16_MAX, false, 0},
    };
    for (const auto& c : cases) {
        const std::string word = c.word != nullptr ? c.word : "";
        SCOPED_TRACE(word);
        ConsoleCapture capture;
        std::int64_t value = -7;
        EXPECT_EQ(parseLeadingDigitsArg(c.word, c.lowest, c.highest, &value, "Shift"), c.taken ? 1 : 0);
        if (c.taken) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(capture.take(), "");
        } else {
            EXPECT_EQ(value, -7);  // left alone
            EXPECT_EQ(capture.take(), "Shift => Invalid integer '" + word + "' specified.\n");
        }
    }
}

}  // namespace

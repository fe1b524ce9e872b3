// Splitting command lines into words, and the millisecond count of a delay.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/shell.h"
#include "console_capture.h"

namespace {

struct SplitCase {
    const char* name;
    const char* line;
    std::vector<std::string> words;
};

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"BlanksOnly", "  \t \r\n", {}},
    {"CommentLine", "# ld 1", {}},
    {"CommentAfterBlanks", "   \t# ld 1", {}},
    {"HashEndsPlainWord", "ld#x", {"ld"}},
    {"CommentAfterWords", "ld 1 # trailing words", {"ld", "1"}},
    {"QuotedWords",
     "ca RAID1 128 \"0 1\" \"1 1\" \"Array 0\" GBB NONE",
     {"ca", "RAID1", "128", "0 1", "1 1", "Array 0", "GBB", "NONE"}},
    {"Brackets", "ac 0 NAME (a b)", {"ac", "0", "NAME", "a b"}},
    {"QuotesInsideBrackets", "(say \"hi\")", {"say \"hi\""}},
    {"HashAndBracketsInsideQuotes", "x \"a (b) # c\" y", {"x", "a (b) # c", "y"}},
    {"HashInsideBrackets", "(a#b) c", {"a#b", "c"}},
    {"EmptyQuotedPair", "\"\"", {""}},
    {"EmptyBracketPair", "()", {""}},
    {"EmptyPairBetweenWords", "a \"\" b", {"a", "", "b"}},
    {"UnclosedQuoteRunsToEnd", "ac 0 NAME \"new # name", {"ac", "0", "NAME", "new # name"}},
    {"UnclosedBracketRunsToEnd", "(a b", {"a b"}},
    {"WordRightAfterClosingQuote", "\"a b\"c d", {"a b", "c", "d"}},
    {"WordRightAfterClosingBracket", "(x)y", {"x", "y"}},
    {"QuoteRightAfterClosingQuote", "\"a\"\"b\"", {"a", "b"}},
    {"CommentRightAfterClosingQuote", "\"a\"#b", {"a"}},
    {"QuoteInsidePlainWordIsKept", "a\"b c", {"a\"b", "c"}},
    {"AllSeparators", "a\tb\rc\nd  e", {"a", "b", "c", "d", "e"}},
    {"ScriptLineEnding", "ld 0\r\n", {"ld", "0"}},
    {"OtherControlCharactersAreNotSeparators", "a\vb\fc", {"a\vb\fc"}},
    {"TwentyWords",
     "a b c d e f g h i j k l m n o p q r s t",
     {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j",
      "k", "l", "m", "n", "o", "p", "q", "r", "s", "t"}},
    {"TwentyFiveWordsKeepTwenty",
     "a b c d e f g h i j k l m n o p q r s t u v w x y",
     {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j",
      "k", "l", "m", "n", "o", "p", "q", "r", "s", "t"}},
    {"TwentyFirstWordUnclosedQuote",
     "a b c d e f g h i j k l m n o p q r s t \"u v",
     {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j",
      "k", "l", "m", "n", "o", "p", "q", "r", "s", "t"}},
};

class SplitWords : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitWords, WordsInPlaceAndNullPastCount) {
    const SplitCase& c = GetParam();
    std::string line = c.line;
    char* const begin = line.data();
    char* const end = begin + line.size() + 1;

    // Entries must be cleared, so start from stale pointers.
    char stale = 's';
    char* words[MAX_WORDS];
    for (char*& w : words) w = &stale;
    std::int32_t count = -1;

    ConsoleCapture capture;
    splitWords(line.data(), &count, words);
    EXPECT_EQ("", capture.take());

    ASSERT_EQ(static_cast<std::int32_t>(c.words.size()), count);
    for (std::int32_t i = 0; i < MAX_WORDS; ++i) {
        SCOPED_TRACE("word " + std::to_string(i));
        if (i < count) {
            ASSERT_NE(nullptr, words[i]);
            EXPECT_TRUE(words[i] >= begin && words[i] < end) << "not inside the line buffer";
            EXPECT_EQ(c.words[static_cast<std::size_t>(i)], std::string(words[i]));
        } else {
            EXPECT_EQ(nullptr, words[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitWords, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<SplitCase>& tested) {
                             return std::string(tested.param.name);
                         });

TEST(DelayMilliseconds, ScalesSecondsAndSaturates) {
    constexpr std::uint64_t kMost = ~std::uint64_t{0};
    struct Case {
        const char* digits;
        std::uint64_t expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"000", 0},
        {"2", 2000},
        {"4294968", 4294968000u},  // past 32 bits of milliseconds
        {"18446744073709551", 18446744073709551000u},
        // The first count whose milliseconds no longer fit in 64 bits.
        {"18446744073709552", kMost},
        {"18446744073709551615", kMost},
        {"18446744073709551616", kMost},  // the seconds alone do not fit
        {"9999999999999999999999999999999999999999", kMost},
        {"0000000000000000000000000000000000000002", 2000},
    };
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("digits '") + c.digits + "'");
        EXPECT_EQ(c.expected, delayMilliseconds(c.digits));
        EXPECT_EQ("", capture.take());
    }
}

}  // namespace

// The one console print called from two threads at once, as the shell and
// the event display do: every print arrives whole, never mixed with another.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "console_capture.h"
#include "platform/console.h"

namespace {

TEST(ConsolePrint, TwoThreadsPrintingAtOnceNeverTearALine) {
    constexpr int kLines = 4000;
    // Each print is several lines long, and some are longer than the print's
    // own stack buffer, so that a torn print would show.
    const std::string longTail(1500, 'z');
    auto printer = [&](char who) {
        for (int i = 0; i < kLines; ++i) {
            consolePrint("%c %d first\n%c %d second %s\n", who, i, who, i,
                         i % 10 == 0 ? longTail.c_str() : "short");
        }
    };
    std::string text;
    {
        ConsoleCapture capture;
        std::thread a(printer, 'a');
        std::thread b(printer, 'b');
        a.join();
        b.join();
        text = capture.take();
    }
    std::istringstream lines(text);
    std::string first;
    std::string second;
    std::map<char, int> next = {{'a', 0}, {'b', 0}};
    while (std::getline(lines, first)) {
        ASSERT_TRUE(std::getline(lines, second)) << first;
        const char who = first.empty() ? '?' : first[0];
        ASSERT_TRUE(next.count(who)) << first;
        const int i = next[who]++;
        ASSERT_EQ(first, std::string(1, who) + " " + std::to_string(i) + " first");
        ASSERT_EQ(second, std::string(1, who) + " " + std::to_string(i) + " second " +
                              (i % 10 == 0 ? longTail : "short"));
    }
    EXPECT_EQ(next['a'], kLines);
    EXPECT_EQ(next['b'], kLines);
}

}  // namespace

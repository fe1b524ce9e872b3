#pragma once
// Collects what the code under test prints through consolePrint while the
// object lives.

#include <string>

#include "platform/console.h"

class ConsoleCapture {
public:
    ConsoleCapture() { platform::setConsoleCapture(&text_); }
    ~ConsoleCapture() { platform::setConsoleCapture(nullptr); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Returns what was printed since the last call and starts afresh.
    std::string take() {
        std::string text;
        text.swap(text_);
        return text;
    }

private:
    std::string text_;
};

// Text with its first "%s" replaced by word, for messages that quote the word.
inline std::string withWord(std::string pattern, const std::string& word) {
    const std::size_t at = pattern.find("%s");
    if (at != std::string::npos) pattern.replace(at, 2, word);
    return pattern;
}

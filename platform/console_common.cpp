// The console code all platforms share: output and its capture, the bell,
// and reading whole lines.

#include <cstdio>
#include <mutex>

#include "platform/console.h"
#include "platform/console_input.h"

namespace platform {

namespace {
// Held for each whole write, to standard output or to the capture, so that
// the prints of two threads never mix inside one print.
std::mutex outputMutex;
std::string* captureSink = nullptr;
}  // namespace

void consoleWrite(const char* data, std::size_t length) {
    std::lock_guard<std::mutex> lock(outputMutex);
    if (captureSink != nullptr) {
        captureSink->append(data, length);
        return;
    }
    std::fwrite(data, 1, length, stdout);
}

void setConsoleCapture(std::string* sink) {
    std::lock_guard<std::mutex> lock(outputMutex);
    captureSink = sink;
}

void ringBell() { consoleWrite("\a", 1); }

bool readLine(std::string& line, std::size_t maxLength, bool& tooLong) {
    std::fflush(stdout);
    line.clear();
    tooLong = false;
    bool any = false;
    for (;;) {
        const int c = readInputByte();
        if (c < 0) return any;
        any = true;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r' && inputLinesEndInCarriageReturn()) {
                line.pop_back();
            }
            return true;
        }
        if (line.size() < maxLength) {
            line.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
    }
}

}  // namespace platform

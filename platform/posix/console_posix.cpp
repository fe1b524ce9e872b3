// Console services on POSIX systems: standard streams, termios raw mode for
// single keys, escape sequences for the title.

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "platform/console.h"
#include "platform/console_input.h"

namespace platform {
namespace {

// Terminal settings saved while a key is being read in raw mode. A signal that
// ends the process during the read restores them first.
struct termios savedTerminal;
volatile std::sig_atomic_t terminalIsRaw = 0;

void restoreTerminal() {
    if (terminalIsRaw) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        terminalIsRaw = 0;
    }
}

extern "C" void restoreTerminalAndReraise(int signalNumber) {
    restoreTerminal();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

class RawTerminal {
public:
    RawTerminal() {
        if (tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return;
        struct termios raw = savedTerminal;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        previousInt_ = std::signal(SIGINT, restoreTerminalAndReraise);
        previousTerm_ = std::signal(SIGTERM, restoreTerminalAndReraise);
        previousHup_ = std::signal(SIGHUP, restoreTerminalAndReraise);
        if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) terminalIsRaw = 1;
    }
    ~RawTerminal() {
        restoreTerminal();
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
        std::signal(SIGHUP, previousHup_);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    void (*previousInt_)(int) = SIG_DFL;
    void (*previousTerm_)(int) = SIG_DFL;
    void (*previousHup_)(int) = SIG_DFL;
};

}  // namespace

int readInputByte() {
    for (;;) {
        const int c = std::getchar();
        if (c != EOF) return c;
        if (std::ferror(stdin) && errno == EINTR) {
            std::clearerr(stdin);
            continue;
        }
        return -1;
    }
}

bool inputLinesEndInCarriageReturn() { return false; }

int readKey(bool echo) {
    std::fflush(stdout);
    int key;
    if (isatty(STDIN_FILENO)) {
        RawTerminal raw;
        key = readInputByte();
    } else {
        key = readInputByte();
    }
    if (key >= 0 && echo) {
        const char c = static_cast<char>(key);
        consoleWrite(&c, 1);
    }
    return key;
}

void setConsoleTitle(const char* title) {
    if (isatty(STDOUT_FILENO)) {
        std::fprintf(stdout, "\033]0;%s\007", title);
    }
}

void sleepMilliseconds(std::uint64_t milliseconds) {
    std::fflush(stdout);
    // A day at a time keeps every slice well inside what the clock types hold.
    constexpr std::uint64_t slice = 24ull * 60 * 60 * 1000;
    while (milliseconds > 0) {
        const std::uint64_t now = milliseconds < slice ? milliseconds : slice;
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<std::int64_t>(now)));
        milliseconds -= now;
    }
}

}  // namespace platform

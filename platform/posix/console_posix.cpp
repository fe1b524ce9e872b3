// Console services on POSIX systems: standard streams, termios raw mode for
// single keys, escape sequences for the title.

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <iterator>
#include <cstdio>
#include <thread>

#include "platform/console.h"
#include "platform/console_input.h"

namespace platform {
namespace {

// Terminal settings saved while a key is being read in raw mode. A signal that
// ends the process during the read restores them first; one that stops it
// (Ctrl-Z) restores them while it is stopped and makes the terminal raw again
// when it goes on.
struct termios savedTerminal;
volatile std::sig_atomic_t terminalIsRaw = 0;

struct termios rawFrom(const struct termios& cooked) {
    struct termios raw = cooked;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    return raw;
}

void restoreTerminal() {
    if (terminalIsRaw) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
        terminalIsRaw = 0;
    }
}

void setSignalAction(int signalNumber, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, previous);
}

void unblockSignal(int signalNumber) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

extern "C" void restoreTerminalAndReraise(int signalNumber) {
    restoreTerminal();
    setSignalAction(signalNumber, SIG_DFL, nullptr);
    unblockSignal(signalNumber);
    std::raise(signalNumber);
}

// Stops the process with the terminal as it was; once continued, takes the
// terminal's settings afresh (the shell may have changed them meanwhile) and
// reads the key in raw mode again.
extern "C" void restoreTerminalAndStop(int signalNumber) {
    const int savedErrno = errno;
    const bool wasRaw = terminalIsRaw != 0;
    restoreTerminal();
    setSignalAction(signalNumber, SIG_DFL, nullptr);
    unblockSignal(signalNumber);
    std::raise(signalNumber);
    // Going on here after SIGCONT.
    setSignalAction(signalNumber, restoreTerminalAndStop, nullptr);
    if (wasRaw && tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        const struct termios raw = rawFrom(savedTerminal);
        if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) terminalIsRaw = 1;
    }
    errno = savedErrno;
}

constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

class RawTerminal {
public:
    RawTerminal() {
        if (tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return;
        const struct termios raw = rawFrom(savedTerminal);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            catchUnlessIgnored(kEndingSignals[i], restoreTerminalAndReraise, &previousEnding_[i]);
        }
        catchUnlessIgnored(SIGTSTP, restoreTerminalAndStop, &previousStop_);
        if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) terminalIsRaw = 1;
        active_ = true;
    }
    ~RawTerminal() {
        if (!active_) return;
        restoreTerminal();
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            sigaction(kEndingSignals[i], &previousEnding_[i], nullptr);
        }
        sigaction(SIGTSTP, &previousStop_, nullptr);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    // A signal the process was started ignoring (nohup, a shell without job
    // control) stays ignored.
    static void catchUnlessIgnored(int signalNumber, void (*handler)(int),
                                   struct sigaction* previous) {
        setSignalAction(signalNumber, handler, previous);
        if (previous->sa_handler == SIG_IGN) sigaction(signalNumber, previous, nullptr);
    }

    bool active_ = false;
    struct sigaction previousEnding_[std::size(kEndingSignals)] {};
    struct sigaction previousStop_ {};
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

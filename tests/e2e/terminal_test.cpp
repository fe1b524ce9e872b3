// The console on a real terminal (a pseudo-terminal, with a job-control
// session as a shell would set up): a key question reads its key in raw mode,
// and the terminal's settings are given back however the question ends.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "console_runner.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(30);

bool sameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The console run by a stand-in for a shell: the keeper leads a session on
// the terminal, and starts the console as the foreground job, a process group
// of its own. The keeper ends with the console's exit code, or 128 plus the
// signal that ended it.
class TerminalSession {
public:
    TerminalSession() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        tcgetattr(master_, &initial_);
        const std::string slave = ptsname(master_);
        char pattern[] = "/tmp/arraycon-tty-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        directory_ = pattern;
        keeper_ = fork();
        if (keeper_ == 0) runKeeper(slave);
    }
    ~TerminalSession() {
        if (keeper_ > 0 && !ended_) {
            kill(keeper_, SIGKILL);
            const pid_t job = tcgetpgrp(master_);
            if (job > 0) kill(-job, SIGKILL);
            waitpid(keeper_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
        std::error_code ignored;
        if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
    }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool started() const { return keeper_ > 0; }
    const termios& initial() const { return initial_; }

    termios settings() const {
        termios now{};
        tcgetattr(master_, &now);
        return now;
    }

    void type(const std::string& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads what the console prints until text has appeared after the
    // reading position; false at the deadline.
    bool waitForOutput(const std::string& text) {
        const auto end = Clock::now() + kDeadline;
        while (output_.find(text, seen_) == std::string::npos) {
            if (Clock::now() > end) return false;
            pollfd fd{master_, POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0) continue;
            char buffer[4096];
            const ssize_t got = read(master_, buffer, sizeof buffer);
            if (got <= 0) return false;
            output_.append(buffer, static_cast<std::size_t>(got));
        }
        seen_ = output_.find(text, seen_) + text.size();
        return true;
    }

    // Polls until the terminal's echo is off (raw) or on again (cooked).
    bool waitForEcho(bool on) const {
        const auto end = Clock::now() + kDeadline;
        while (((settings().c_lflag & ECHO) != 0) != on) {
            if (Clock::now() > end) return false;
            usleep(10000);
        }
        return true;
    }

    // The foreground job: the console's process group.
    pid_t job() const { return tcgetpgrp(master_); }

    bool waitUntilStopped() const {
        const pid_t console = job();
        const auto end = Clock::now() + kDeadline;
        for (;;) {
            std::ifstream stat("/proc/" + std::to_string(console) + "/stat");
            std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
            const std::size_t close = text.rfind(')');
            if (close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T') {
                return true;
            }
            if (Clock::now() > end) return false;
            usleep(10000);
        }
    }

    // The keeper's exit code once it has ended, or -1 at the deadline.
    int waitForEnd() {
        const auto end = Clock::now() + kDeadline;
        int status = 0;
        while (waitpid(keeper_, &status, WNOHANG) == 0) {
            if (Clock::now() > end) return -1;
            // Keep the terminal drained so the console never blocks writing.
            pollfd fd{master_, POLLIN, 0};
            if (poll(&fd, 1, 10) > 0) {
                char buffer[4096];
                const ssize_t got = read(master_, buffer, sizeof buffer);
                if (got > 0) output_.append(buffer, static_cast<std::size_t>(got));
            }
        }
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string& output() const { return output_; }

private:
    [[noreturn]] void runKeeper(const std::string& slave) {
        setsid();
        const int tty = open(slave.c_str(), O_RDWR);  // the session's terminal
        if (tty < 0) _exit(120);
        dup2(tty, 0);
        dup2(tty, 1);
        dup2(tty, 2);
        if (tty > 2) close(tty);
        close(master_);
        const pid_t console = fork();
        if (console == 0) {
            setpgid(0, 0);
            signal(SIGTTOU, SIG_IGN);
            tcsetpgrp(0, getpid());
            signal(SIGTTOU, SIG_DFL);
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            if (chdir(directory_.c_str()) != 0) _exit(121);
            setenv("TALO_SIM", "state.json", 1);
            execl(ARRAYCON_PATH, ARRAYCON_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(console, console);
        int status = 0;
        while (waitpid(console, &status, 0) < 0) {
        }
        _exit(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status));
    }

    int master_ = -1;
    pid_t keeper_ = -1;
    bool ended_ = false;
    termios initial_{};
    std::string directory_;
    std::string output_;
    std::size_t seen_ = 0;
};

bool onlyNative() { return !e2e::targetIsWindows() && std::getenv("ARRAYCON_COMMAND") == nullptr; }

TEST(Terminal, SignalTypedAtAKeyQuestionEndsTheConsoleWithTheTerminalGivenBack) {
    if (!onlyNative()) GTEST_SKIP() << "runs the native console on a pseudo-terminal";
    struct Case {
        const char* key;
        int signal;
    };
    for (const Case& c : {Case{"\x03", SIGINT}, Case{"\x1c", SIGQUIT}}) {
        SCOPED_TRACE(c.signal);
        TerminalSession session;
        ASSERT_TRUE(session.started());
        ASSERT_TRUE(session.waitForOutput("Use HXAPI ? Y/N")) << session.output();
        ASSERT_TRUE(session.waitForEcho(false)) << "the key is not read in raw mode";
        session.type(c.key);
        EXPECT_EQ(session.waitForEnd(), 128 + c.signal) << session.output();
        EXPECT_TRUE(sameSettings(session.settings(), session.initial()));
    }
}

TEST(Terminal, StoppedAtAKeyQuestionTheTerminalIsGivenBackAndTakenAgainOnContinuing) {
    if (!onlyNative()) GTEST_SKIP() << "runs the native console on a pseudo-terminal";
    TerminalSession session;
    ASSERT_TRUE(session.started());
    ASSERT_TRUE(session.waitForOutput("Use HXAPI ? Y/N")) << session.output();
    ASSERT_TRUE(session.waitForEcho(false)) << "the key is not read in raw mode";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        session.type("\x1a");  // Ctrl-Z
        ASSERT_TRUE(session.waitUntilStopped());
        EXPECT_TRUE(sameSettings(session.settings(), session.initial()));
        kill(-session.job(), SIGCONT);  // fg
        ASSERT_TRUE(session.waitForEcho(false)) << "raw mode not taken again after continuing";
    }
    // The key question still takes its key, and the console goes on.
    session.type("y");
    ASSERT_TRUE(session.waitForOutput("Y\r\n")) << session.output();
    ASSERT_TRUE(session.waitForOutput("> ")) << session.output();
    EXPECT_TRUE(sameSettings(session.settings(), session.initial()));
    session.type("q\n");
    EXPECT_EQ(session.waitForEnd(), 0) << session.output();
    EXPECT_TRUE(sameSettings(session.settings(), session.initial()));
}

}  // namespace

// The built sounder, started as a person or a controlling program starts it.
// Each test has its own runtime directory, tone log and names (through
// TALO_SOUNDER_NAME_SUFFIX), so tests run side by side. Nothing here waits
// for a time to pass and then asserts: tests poll, with a generous deadline,
// for what must come, and only a bound (at most one tone after disable) is
// checked over a window.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kBlockName = "A01AA4C7_7A01_4472_B18A_23E4ECE2F86C";
constexpr const char* kInstanceName = "F020B2CA_B798_45ae_8F9E_EE447D962EF0";
constexpr auto kDeadline = std::chrono::seconds(20);

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Tone {
    unsigned hz = 0;
    unsigned ms = 0;
    long long at = 0;
};

class Sounder : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        char pattern[] = "/tmp/sounder-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        suffix_ = "_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++) + "_" +
                  fs::path(dir_).filename().string().substr(13);
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_RUNTIME_DIR=", 0) == 0 || entry.rfind("TALO_TONE_LOG=", 0) == 0 ||
                entry.rfind("TALO_SOUNDER_NAME_SUFFIX=", 0) == 0)
                continue;
            environment_.push_back(entry);
        }
        environment_.push_back("XDG_RUNTIME_DIR=" + dir_);
        environment_.push_back("TALO_TONE_LOG=" + log());
        environment_.push_back("TALO_SOUNDER_NAME_SUFFIX=" + suffix_);
    }

    void TearDown() override {
        for (const pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        // Nothing printed, by any start.
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename().string().rfind("output-", 0) == 0) {
                EXPECT_EQ(fs::file_size(entry.path()), 0u) << entry.path();
            }
        }
        shm_unlink(("/" + std::string(kBlockName) + suffix_).c_str());
        fs::remove_all(dir_);
    }

    std::string log() const { return dir_ + "/tones.log"; }
    std::string blockPath() const { return "/dev/shm/" + std::string(kBlockName) + suffix_; }
    std::string lockPath() const { return dir_ + "/" + kInstanceName + suffix_ + ".lock"; }

    // Starts sounder with these arguments, the first being argument 0.
    pid_t start(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const auto& e : environment_) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        const std::string output = dir_ + "/output-" + std::to_string(starts_++);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, SOUNDER_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        if (rc == 0) running_.push_back(pid);
        return pid;
    }
    // A person's start: the program path and the word.
    pid_t start(const std::string& word) { return start(std::vector<std::string>{SOUNDER_PATH, word}); }

    // The exit status once the process has ended, or nothing when it is
    // still running at the deadline.
    std::optional<int> waitExit(pid_t pid, std::chrono::steady_clock::duration deadline = kDeadline) {
        const auto until = std::chrono::steady_clock::now() + deadline;
        for (;;) {
            if (auto status = reap(pid)) return status;
            if (std::chrono::steady_clock::now() > until) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::optional<int> reap(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) return std::nullopt;
        std::erase(running_, pid);
        return status;
    }
    bool alive(pid_t pid) { return !reap(pid).has_value(); }

    // A start that is not to stay: it ends at once, with 0.
    void run(const std::string& word) {
        const pid_t pid = start(word);
        const auto status = waitExit(pid);
        ASSERT_TRUE(status.has_value()) << "sounder " << word << " did not end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << word << ": " << *status;
    }
    // The resident ends (within about 2 seconds of a stop request), with 0.
    void expectEnds(pid_t resident) {
        const auto status = waitExit(resident);
        ASSERT_TRUE(status.has_value()) << "the resident did not end";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }

    // The process holding the instance lock, as the kernel lists it (this
    // looks without locking, so it never disturbs a start).
    std::optional<pid_t> residentPid() const {
        struct stat lock {};
        if (stat(lockPath().c_str(), &lock) != 0) return std::nullopt;
        char file[64];
        std::snprintf(file, sizeof file, "%02x:%02x:%llu", major(lock.st_dev), minor(lock.st_dev),
                      static_cast<unsigned long long>(lock.st_ino));
        std::ifstream locks("/proc/locks");
        std::string line;
        while (std::getline(locks, line)) {
            std::istringstream words(line);
            std::string number, kind, mode, access, where;
            pid_t pid = 0;
            if (words >> number >> kind >> mode >> access >> pid >> where && kind == "FLOCK" && where == file)
                return pid;
        }
        return std::nullopt;
    }
    // Waits until some process is the resident; its process id.
    std::optional<pid_t> awaitResident() const {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        for (;;) {
            if (auto pid = residentPid()) return pid;
            if (std::chrono::steady_clock::now() > until) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::vector<Tone> tones(long long since = 0) const {
        std::vector<Tone> found;
        std::ifstream in(log());
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            Tone tone;
            std::string rest;
            EXPECT_TRUE(words >> tone.hz >> tone.ms >> tone.at && !(words >> rest)) << line;
            if (tone.at >= since) found.push_back(tone);
        }
        return found;
    }
    // Waits for count tones at or after since; true when they came.
    bool awaitTones(std::size_t count, long long since = 0) const {
        const auto until = std::chrono::steady_clock::now() + kDeadline;
        while (tones(since).size() < count) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    std::string dir_;
    std::string suffix_;
    std::vector<std::string> environment_;
    std::vector<pid_t> running_;
    int starts_ = 0;
};

// The alarm's tones alternate 300 Hz for 300 ms and 500 Hz for 500 ms.
void expectAlternating(const std::vector<Tone>& tones) {
    for (std::size_t i = 0; i < tones.size(); ++i) {
        EXPECT_TRUE(tones[i].hz == 300 || tones[i].hz == 500) << tones[i].hz;
        EXPECT_EQ(tones[i].ms, tones[i].hz);
        if (i > 0) {
            EXPECT_NE(tones[i].hz, tones[i - 1].hz) << i;
            EXPECT_GE(tones[i].at, tones[i - 1].at) << i;
        }
    }
}

TEST_F(Sounder, EnableTwiceKeepsOneResidentBeeping) {
    const pid_t resident = start("enable");
    ASSERT_TRUE(awaitTones(1));
    EXPECT_EQ(tones().front().hz, 300u) << "the low tone comes first";
    run("enable");
    const long long after = monotonicMs();
    ASSERT_TRUE(awaitTones(2, after)) << "beeping goes on";
    EXPECT_TRUE(alive(resident));
    expectAlternating(tones());

    // The block is private to the user, the mark a lock file in the
    // runtime directory.
    struct stat block {};
    ASSERT_EQ(stat(blockPath().c_str(), &block), 0);
    EXPECT_EQ(block.st_mode & 0777, 0600u);
    EXPECT_EQ(block.st_size, 32);
    EXPECT_EQ(residentPid(), resident);

    run("stop");
    expectEnds(resident);
}

TEST_F(Sounder, DisableSilencesWithinOneCycleAndTheResidentStays) {
    const pid_t resident = start("enable");
    ASSERT_TRUE(awaitTones(1));
    run("disable");
    const long long silenced = monotonicMs();
    // A tone already decided on may still come; no other over a window of
    // more than two cycles.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    EXPECT_LE(tones(silenced).size(), 1u);
    EXPECT_TRUE(alive(resident));

    run("enable");
    const long long again = monotonicMs();
    ASSERT_TRUE(awaitTones(1, again)) << "the resident beeps again";
    EXPECT_TRUE(alive(resident));
    run("stop");
    expectEnds(resident);
}

TEST_F(Sounder, AnyOtherWordEndsTheResident) {
    // How each start is made: its arguments, the first being argument 0.
    const std::vector<std::vector<std::string>> stops = {
        {SOUNDER_PATH, "stop"},   {SOUNDER_PATH, "Enable"}, {SOUNDER_PATH, "DISABLE"},
        {SOUNDER_PATH, ""},       {SOUNDER_PATH},           {"Enable"},
    };
    for (const auto& stop : stops) {
        SCOPED_TRACE(stop.size() == 1 ? "argument 0 " + stop[0] : stop[1]);
        const pid_t resident = start("enable");
        const long long started = monotonicMs();
        ASSERT_TRUE(awaitTones(1, started));
        const pid_t stopper = start(stop);
        const auto status = waitExit(stopper);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
        expectEnds(resident);
    }
}

TEST_F(Sounder, WordsArePrefixesAndArgumentZeroServesWithoutArgumentOne) {
    // A controlling program's starts: the word as argument 0 only.
    const pid_t resident = start(std::vector<std::string>{"disabled"});
    ASSERT_EQ(awaitResident(), resident);
    // A silent resident: enabled (a prefix match) makes it beep.
    const pid_t enabler = start(std::vector<std::string>{"enabled"});
    ASSERT_TRUE(waitExit(enabler).has_value());
    ASSERT_TRUE(awaitTones(2));
    expectAlternating(tones());
    EXPECT_TRUE(alive(resident));
    // Argument 1, when given, is the word; argument 0 is then not looked at.
    const pid_t stopper = start(std::vector<std::string>{"enable", "stop"});
    ASSERT_TRUE(waitExit(stopper).has_value());
    expectEnds(resident);
}

TEST_F(Sounder, FiftyStartsAtOnceLeaveOneResident) {
    std::vector<pid_t> starts;
    for (int i = 0; i < 50; ++i) starts.push_back(start("disable"));
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    std::vector<pid_t> left = starts;
    while (left.size() > 1 && std::chrono::steady_clock::now() < until) {
        std::erase_if(left, [&](pid_t pid) {
            const auto status = reap(pid);
            if (status) {
                EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
            }
            return status.has_value();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(left.size(), 1u) << "one start stays resident";
    const pid_t resident = left.front();
    EXPECT_EQ(residentPid(), resident);
    // It is the resident: it serves the next request.
    run("enable");
    ASSERT_TRUE(awaitTones(1));
    EXPECT_TRUE(alive(resident));
    run("stop");
    expectEnds(resident);
}

TEST_F(Sounder, AKilledResidentLeavesTheWayFree) {
    const pid_t first = start("enable");
    ASSERT_TRUE(awaitTones(1));
    ASSERT_EQ(kill(first, SIGKILL), 0);
    ASSERT_TRUE(waitExit(first).has_value());
    const long long killed = monotonicMs();

    const pid_t second = start("enable");
    ASSERT_EQ(awaitResident(), second);
    ASSERT_TRUE(awaitTones(2, killed)) << "the new start beeps as the resident";
    EXPECT_TRUE(alive(second));
    expectAlternating(tones(killed));
    run("stop");
    expectEnds(second);
}

}  // namespace

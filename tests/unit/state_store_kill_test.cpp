// Writers of one state file killed outright (SIGKILL) at random moments,
// saves among them: after every kill the file still holds a valid state, and
// every update a writer had reported done is in it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/store.h"

namespace {

std::string freshStatePath() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("talo-store-kill-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return (dir / "state.json").string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Writer {
    pid_t pid = -1;
    int reports = -1;  // the read end of the pipe the writer reports on
    std::string pending;
};

// A writer adds first, first + 1, ... to the ignored events, one update at a
// time through its own store, and reports each value once its update is
// done.
Writer startWriter(const std::string& path, std::uint32_t first) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        sim::Store store(path);
        for (std::uint32_t i = 0; i < 100000; ++i) {
            const std::uint32_t value = first + i;
            store.modify([&](sim::State& s) { s.ignoredEvents.push_back(value); });
            const std::string line = std::to_string(value) + "\n";
            if (write(fds[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
        }
        _exit(0);
    }
    close(fds[1]);
    return Writer{pid, fds[0], ""};
}

// Reads reports until at least count more have come (or the writer ended),
// adding their values to done.
void readReports(Writer& w, std::size_t count, std::set<std::uint32_t>& done) {
    std::size_t got = 0;
    char buffer[512];
    while (got < count) {
        const ssize_t n = read(w.reports, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        w.pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = w.pending.find('\n')) != std::string::npos;) {
            done.insert(static_cast<std::uint32_t>(std::stoul(w.pending.substr(0, end))));
            w.pending.erase(0, end + 1);
            ++got;
        }
    }
}

TEST(StateStoreKill, WritersKilledMidSaveLeaveAValidStateWithEveryReportedUpdate) {
    const std::string path = freshStatePath();
    sim::Store(path).modify([](sim::State& s) { s.ignoredEvents.clear(); });
    std::mt19937 rng(12345);
    std::set<std::uint32_t> done;
    for (std::uint32_t round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::vector<Writer> writers;
        for (std::uint32_t w = 0; w < 2; ++w) {
            writers.push_back(startWriter(path, (round * 2 + w) << 16));
            ASSERT_GT(writers.back().pid, 0);
        }
        // Let them get going, then kill each somewhere in what follows:
        // at once, or a little later, in the middle of another save or not.
        for (Writer& w : writers) readReports(w, 1 + rng() % 4, done);
        for (Writer& w : writers) {
            const unsigned pause = static_cast<unsigned>(rng() % 3000);
            if (pause > 0) usleep(pause);
            kill(w.pid, SIGKILL);
        }
        for (Writer& w : writers) {
            int status = 0;
            waitpid(w.pid, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            // A report written before the kill counts as done too.
            readReports(w, static_cast<std::size_t>(-1), done);
            close(w.reports);
        }
        sim::State state;
        try {
            state = nlohmann::json::parse(readFile(path)).get<sim::State>();
        } catch (const std::exception& e) {
            FAIL() << "the state does not load after a kill: " << e.what();
        }
        const std::set<std::uint32_t> kept(state.ignoredEvents.begin(), state.ignoredEvents.end());
        for (const std::uint32_t value : done) {
            ASSERT_TRUE(kept.count(value)) << "update " << value << " reported done is lost";
        }
    }
    // The store itself takes the file up again, and goes on from it.
    sim::Store store(path);
    store.modify([](sim::State& s) { s.ignoredEvents.push_back(7); });
    std::size_t count = 0;
    store.read([&](const sim::State& s) { count = s.ignoredEvents.size(); });
    EXPECT_GE(count, done.size() + 1);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

}  // namespace

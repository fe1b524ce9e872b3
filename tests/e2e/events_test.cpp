// The event display against a state that changes while the console runs:
// an event queued by another process reaches the console within a polling
// cycle, and a console with nothing to show leaves the state file alone.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "console_runner.h"
#include "platform/file_identity.h"
#include "sim/event_slice.h"
#include "sim/store.h"

namespace {

const std::string kEnter = "\nEnter ? or help for help.\n";

std::string afterStartup(const e2e::RunResult& run) {
    const std::size_t at = run.output.find(kEnter);
    return at == std::string::npos ? "unexpected run:\n" + run.output
                                   : run.output.substr(at + kEnter.size());
}

sim::State oneController() {
    sim::State state = sim::demoState();
    state.controllers.resize(1);
    return state;
}

bool identityOf(const std::string& path, platform::FileIdentity& identity) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    const bool known = platform::fileIdentity(file, identity);
    std::fclose(file);
    return known;
}

TEST(Events, AnEventQueuedByAnotherProcessIsShownAtTheNextPoll) {
    // The first event is queued before the console starts; once the console
    // has taken it (the state file shows its queue empty), this test queues
    // a second one through a store of its own, under the file's lock. The
    // console's next poll, four seconds after the first, shows it; the delay
    // leaves room for two more.
    e2e::RunOptions options;
    options.state = oneController();
    sim::queueEvent(options.state->controllers[0], 0x1001, sim::kSeverityInformation,
                    "Array created", "0", 0);
    bool queued = false;
    options.alongside = [&queued](const std::string& directory) {
        sim::Store store(directory + "/state.json");
        for (int attempt = 0; attempt < 400; ++attempt) {  // up to 20 s
            bool taken = false;
            store.read([&](const sim::State& s) { taken = s.controllers.at(0).events.empty(); });
            if (taken) {
                store.modify([](sim::State& s) {
                    sim::queueEvent(s.controllers.at(0), 0x2005, sim::kSeverityError,
                                    "Rebuild aborted", "1", 0);
                });
                queued = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };
    const e2e::RunResult run = e2e::runConsole("ydelay 16\nq\n", options);
    ASSERT_TRUE(queued) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(afterStartup(run),
              "> EventID: 0x1001 \nEvent Severity : Information \narray: 0 \nArray created\n> "
              "EventID: 0x2005 \nEvent Severity : Error \narray: 1 \nRebuild aborted\n> > ");
    EXPECT_TRUE(e2e::stateAfter(run).controllers.at(0).events.empty());
}

TEST(Events, PollingWithNothingQueuedLeavesTheStateFileAsItWas) {
    e2e::RunOptions options;
    options.state = oneController();
    platform::FileIdentity before;
    platform::FileIdentity after;
    options.alongside = [&before](const std::string& directory) {
        ASSERT_TRUE(identityOf(directory + "/state.json", before));
    };
    const e2e::RunResult run = e2e::runConsole("ydelay 9\nq\n", options);
    EXPECT_EQ(afterStartup(run), "> > ");
    ASSERT_TRUE(identityOf(run.directory + "/state.json", after));
    // Every write replaces the file, which gives it another identity.
    EXPECT_EQ(before, after);
}

}  // namespace

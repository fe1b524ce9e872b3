// The Windows eventtray under Wine, on an X display of its own (xvfb-run)
// and a desktop of its own for the hidden window. Wine has no tray on such
// a desktop, so the shell's icon calls are made but fail there; what the
// balloons hold is tested with the portable logic. The notifier is started
// as the controlling program starts it, with the pipe name alone as its
// command line (eventtray-send --launch). What it reads shows in its debug
// output, which Wine writes to standard error on the seh channel.

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "fake_desktop.h"

namespace notifier::testing {
namespace {

class EventtrayWine : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string wine = EVENTTRAY_WINE;
    const std::string tray = EVENTTRAY_EXE;
    const std::string client = EVENTTRAY_SEND_EXE;
    const std::string pipe = "\\\\.\\pipe\\talo-eventtray-test-" + std::to_string(getpid());
    const std::string log = folder.path() + "/eventtray.err";
    // A desktop of the test's own, on the test's own display: the session's
    // default desktop may still be held by a desktop process without one.
    const std::string desktop = "talo-eventtray-test-" + std::to_string(getpid());

    std::map<std::string, std::string> environment() const {
        return {{"WINEPREFIX", EVENTTRAY_WINEPREFIX},
                {"WINEDEBUG", "-all,warn+seh"},
                {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
    }

    int send(std::vector<std::string> args) {
        args.insert(args.begin(), {wine, client});
        return runProgram(args, environment());
    }

    std::unique_ptr<Process> launched;

    // A test that failed half-way still ends its notifier through the pipe,
    // so that xvfb-run takes its display down with it.
    void TearDown() override {
        if (launched && launched->running()) {
            send({"--terminate", pipe});
            launched->wait(std::chrono::seconds(30));
        }
    }

    // The notifier, once it takes clients.
    Process& start() {
        launched = std::make_unique<Process>(std::vector<std::string>{"xvfb-run", "-a", wine, client, "--launch", "--desktop",
                                                                    desktop, tray, pipe},
                                           environment(), "/dev/null", log);
        Process& p = *launched;
        EXPECT_TRUE(waitUntil([&] { return !p.running() || send({pipe, "#1ready"}) == 0; },
                              std::chrono::seconds(90)));
        EXPECT_TRUE(p.running()) << "the notifier ended at once:\n" << readFile(log);
        return p;
    }
};

TEST_F(EventtrayWine, ASecondInstanceExitsWithTwo) {
    Process& first = start();
    ASSERT_TRUE(first.running());
    const std::string other = pipe + "-other";
    EXPECT_EQ(send({"--launch", tray, other}), 2);
    EXPECT_TRUE(first.running());
    EXPECT_EQ(send({"--terminate", pipe}), 0);
    EXPECT_EQ(first.wait(std::chrono::seconds(60)), 0);
}

TEST_F(EventtrayWine, MessagesAreReadAndTheTerminateRequestEndsItWithZero) {
    Process& started = start();
    ASSERT_TRUE(started.running());
    EXPECT_EQ(send({"--type", "2", pipe, "Disk failed"}), 0);
    EXPECT_EQ(send({pipe, "#12abc", "#1Terminate Strovia now"}), 0);
    EXPECT_TRUE(started.running());
    EXPECT_EQ(send({pipe, "#1tERMINATE sTROVIA"}), 0);
    EXPECT_EQ(started.wait(std::chrono::seconds(60)), 0);
    const std::string output = readFile(log);
    for (const char* line : {"message: #1ready", "message: #2Disk failed", "message: #12abc",
                             "message: #1Terminate Strovia now", "message: #1tERMINATE sTROVIA", "icon add",
                             "icon delete"}) {
        EXPECT_NE(output.find(std::string("OutputDebugStringA \"eventtray: ") + line), std::string::npos)
            << line << "\n" << output;
    }
    EXPECT_EQ(send({pipe, "after the end"}), 1);
}

}  // namespace
}  // namespace notifier::testing

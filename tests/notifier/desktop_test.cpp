// The Linux eventtray end to end: the built program on a private session
// bus, with the tests' own notification service and logind stand-in, fed
// by the built eventtray-send.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <thread>

#include "fake_desktop.h"

namespace notifier::testing {
namespace {

constexpr const char* kUnset = "\x01unset";

bool connects(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

class EventtrayDesktop : public ::testing::Test {
protected:
    TempFolder folder;
    PrivateBus bus{folder.path()};
    std::string pipe = folder.path() + "/pipe";
    std::unique_ptr<FakeDesktop> desktop;

    std::map<std::string, std::string> environment() const {
        return {{"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                {"EVENTTRAY_LOGIND_ADDRESS", bus.address()},
                {"XDG_RUNTIME_DIR", folder.path()},
                {"XDG_SESSION_ID", kUnset}};
    }

    std::unique_ptr<Process> start(const std::string& path, const std::map<std::string, std::string>& env) {
        auto p = std::make_unique<Process>(std::vector<std::string>{EVENTTRAY_PATH, path}, env, "/dev/null",
                                           folder.path() + "/eventtray.err");
        EXPECT_TRUE(waitUntil([&] { return connects(path) || !p->running(); }));
        return p;
    }

    std::unique_ptr<Process> start(bool locked = false) {
        desktop = std::make_unique<FakeDesktop>(bus.address(), locked);
        return start(pipe, environment());
    }

    int send(std::vector<std::string> args) {
        args.insert(args.begin(), EVENTTRAY_SEND_PATH);
        return runProgram(args);
    }

    std::vector<std::string> bodies() const {
        std::vector<std::string> out;
        for (const Notification& n : desktop->notifications()) out.push_back(n.body);
        return out;
    }
};

TEST_F(EventtrayDesktop, ShowsEachTypeAsANotificationAndAClickSendsTheSessionMessage) {
    auto tray = start();
    struct stat st {};
    ASSERT_EQ(::stat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_EQ(send({pipe, "#2Disk failed", "Rebuild done", "#3Array offline", "#7odd", "#1Terminate Strovia now"}),
              0);
    const auto shown = desktop->notifications();
    ASSERT_EQ(shown.size(), 5u);
    struct Expected {
        std::string icon, body;
        int urgency;
        bool quiet;
    };
    const Expected expected[] = {
        {"dialog-warning", "Disk failed", 1, false},
        {"dialog-information", "Rebuild done", 1, true},
        {"dialog-error", "Array offline", 2, false},
        {"dialog-information", "odd", 1, false},
        {"dialog-information", "Terminate Strovia now", 1, true},
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].app, "eventtray");
        EXPECT_EQ(shown[i].summary, "Vantir Strovia");
        EXPECT_EQ(shown[i].icon, expected[i].icon);
        EXPECT_EQ(shown[i].body, expected[i].body);
        EXPECT_EQ(shown[i].urgency, expected[i].urgency);
        EXPECT_EQ(shown[i].quiet, expected[i].quiet);
        EXPECT_EQ(shown[i].expire, 2500);
        EXPECT_EQ(shown[i].actions, (std::vector<std::string>{"default", "Show"}));
        // The first adds the icon; the others replace it.
        EXPECT_EQ(shown[i].replaces, i == 0 ? 0u : shown[0].id);
    }

    // A click on an old notification of another id does nothing; on the
    // icon's, the session message follows and the icon is removed.
    desktop->invokeDefault(shown[0].id + 100);
    desktop->invokeDefault(shown[0].id);
    ASSERT_TRUE(waitUntil([&] { return desktop->notifications().size() == 6 && !desktop->closed().empty(); }));
    const Notification message = desktop->notifications()[5];
    EXPECT_EQ(message.replaces, 0u);
    EXPECT_EQ(message.summary, "Vantir Strovia");
    EXPECT_EQ(message.body, "Terminate Strovia now");
    EXPECT_EQ(message.icon, "dialog-information");
    EXPECT_EQ(message.expire, 0);
    EXPECT_TRUE(message.actions.empty());
    EXPECT_EQ(desktop->closed(), std::vector<std::uint32_t>{shown[0].id});

    // The next event adds the icon anew.
    ASSERT_EQ(send({"--type", "3", pipe, "again"}), 0);
    const auto after = desktop->notifications();
    ASSERT_EQ(after.size(), 7u);
    EXPECT_EQ(after[6].replaces, 0u);
    EXPECT_EQ(after[6].body, "again");
    EXPECT_NE(after[6].id, shown[0].id);

    ASSERT_EQ(send({pipe, "--terminate"}), 0);
    EXPECT_EQ(tray->wait(), 0);
    EXPECT_NE(::stat(pipe.c_str(), &st), 0);  // the socket file went with it
    EXPECT_EQ(readFile(folder.path() + "/eventtray.err"), "");
}

TEST_F(EventtrayDesktop, ASecondInstanceInTheSessionExitsWithTwo) {
    auto tray = start();
    const std::string other = folder.path() + "/other";
    EXPECT_EQ(runProgram({EVENTTRAY_PATH, other}, environment()), 2);
    struct stat st {};
    EXPECT_NE(::stat(other.c_str(), &st), 0);
    // Another login session runs its own.
    auto env = environment();
    env["XDG_SESSION_ID"] = "c9";
    auto second = start(other, env);
    EXPECT_TRUE(second->running());
    // The first still serves.
    ASSERT_EQ(send({pipe, "still here"}), 0);
    EXPECT_EQ(bodies(), std::vector<std::string>{"still here"});
    ASSERT_EQ(send({"--terminate", other}), 0);
    EXPECT_EQ(second->wait(), 0);
    ASSERT_EQ(send({"--terminate", pipe}), 0);
    EXPECT_EQ(tray->wait(), 0);
}

TEST_F(EventtrayDesktop, SeveralClientsAtOnceAreAllServed) {
    auto tray = start();
    std::vector<std::thread> clients;
    std::vector<int> codes(6, -1);
    for (int c = 0; c < 6; ++c) {
        clients.emplace_back([&, c] {
            codes[c] = send({pipe, "client " + std::to_string(c) + " one", "client " + std::to_string(c) + " two"});
        });
    }
    for (auto& t : clients) t.join();
    EXPECT_EQ(codes, std::vector<int>(6, 0));
    auto got = bodies();
    std::sort(got.begin(), got.end());
    std::vector<std::string> want;
    for (int c = 0; c < 6; ++c) {
        want.push_back("client " + std::to_string(c) + " one");
        want.push_back("client " + std::to_string(c) + " two");
    }
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    ASSERT_EQ(send({"--terminate", pipe}), 0);
    EXPECT_EQ(tray->wait(), 0);
}

TEST_F(EventtrayDesktop, ALockStopsNotificationsAndAnUnlockBringsThemBack) {
    auto tray = start(true);  // locked from the start
    ASSERT_EQ(send({pipe, "at start"}), 0);
    EXPECT_TRUE(bodies().empty());

    // The session changes reach the notifier on the bus, the events on the
    // socket: probes show when the change has arrived.
    int probe = 0;
    auto shows = [&] {
        const auto before = desktop->notifications().size();
        EXPECT_EQ(send({pipe, "probe " + std::to_string(++probe)}), 0);
        return desktop->notifications().size() > before;
    };
    desktop->setLocked(false);
    ASSERT_TRUE(waitUntil(shows));
    desktop->setLocked(true);
    ASSERT_TRUE(waitUntil([&] { return !shows(); }));
    const auto count = desktop->notifications().size();
    ASSERT_EQ(send({"--type", "3", pipe, "while locked"}), 0);
    EXPECT_EQ(desktop->notifications().size(), count);

    // The unlock shows the icon again, with the latest event.
    desktop->setLocked(false);
    ASSERT_TRUE(waitUntil([&] { return desktop->notifications().size() == count + 1; }));
    const Notification again = desktop->notifications().back();
    EXPECT_EQ(again.body, "while locked");
    EXPECT_EQ(again.icon, "dialog-error");
    EXPECT_EQ(again.replaces, 0u);
    EXPECT_FALSE(desktop->closed().empty());
    ASSERT_EQ(send({pipe, "after"}), 0);
    EXPECT_EQ(desktop->notifications().back().body, "after");
    EXPECT_EQ(desktop->notifications().back().replaces, again.id);

    ASSERT_EQ(send({"--terminate", pipe}), 0);
    EXPECT_EQ(tray->wait(), 0);
}

// Raw messages as a careless or hostile client may write them.
TEST_F(EventtrayDesktop, OddMessagesAreReadAsFarAsTheyGo) {
    auto tray = start();
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, pipe.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    auto utf16 = [](const std::u16string& text) {
        std::string bytes;
        for (const char16_t c : text) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
        return bytes;
    };
    const std::string messages[] = {
        utf16(u"#3" + std::u16string(6000, u'x')),        // past 8192 bytes, no zero
        utf16(u"#2odd") + "!",                            // an odd trailing byte
        utf16(u"ab") + std::string("\0\0", 2) + utf16(u"cd"),  // text after the zero
        utf16(std::u16string(1, char16_t(0xDC00)) + u"lone"),  // half a surrogate pair
    };
    for (const std::string& m : messages) {
        ASSERT_EQ(::send(fd, m.data(), m.size(), MSG_NOSIGNAL), static_cast<ssize_t>(m.size()));
    }
    ASSERT_EQ(::shutdown(fd, SHUT_WR), 0);
    char byte = 0;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0);  // all read, then closed
    ::close(fd);
    EXPECT_EQ(bodies(), (std::vector<std::string>{std::string(255, 'x'), "odd", "ab", "\xEF\xBF\xBDlone"}));
    EXPECT_EQ(desktop->notifications()[0].icon, "dialog-error");
    EXPECT_TRUE(tray->running());
    ASSERT_EQ(send({"--terminate", pipe}), 0);
    EXPECT_EQ(tray->wait(), 0);
}

TEST_F(EventtrayDesktop, WithoutASessionBusEventsGoToStandardError) {
    const std::string nowhere = "unix:path=" + folder.path() + "/no-bus";
    auto env = environment();
    env["DBUS_SESSION_BUS_ADDRESS"] = nowhere;
    env["EVENTTRAY_LOGIND_ADDRESS"] = nowhere;
    auto tray = start(pipe, env);
    ASSERT_EQ(send({pipe, "#2Disk failed", "Grüß", "#9nine"}), 0);
    ASSERT_EQ(send({pipe, "#1TERMINATE STROVIA"}), 0);
    EXPECT_EQ(tray->wait(), 0);
    EXPECT_EQ(readFile(folder.path() + "/eventtray.err"),
              "eventtray: warning: Disk failed\n"
              "eventtray: information: Grüß\n"
              "eventtray: type 9: nine\n");
}

TEST_F(EventtrayDesktop, WrongCommandLinesAndUnreachablePipes) {
    const std::string err = folder.path() + "/err";
    EXPECT_EQ(runProgram({EVENTTRAY_PATH}, environment(), err), 1);
    EXPECT_EQ(readFile(err), "usage: eventtray SOCKET-PATH\n");
    const std::string bad = folder.path() + "/missing/pipe";
    EXPECT_EQ(runProgram({EVENTTRAY_PATH, bad}, environment(), err), 1);
    EXPECT_EQ(readFile(err), "eventtray: cannot listen at " + bad + ": No such file or directory\n");
    EXPECT_EQ(runProgram({EVENTTRAY_SEND_PATH, pipe, "x"}, {}, err), 1);
    EXPECT_EQ(readFile(err), "eventtray-send: cannot reach " + pipe + ": No such file or directory\n");
    EXPECT_EQ(runProgram({EVENTTRAY_SEND_PATH, "--type", "10", pipe, "x"}, {}, err), 2);
}

}  // namespace
}  // namespace notifier::testing

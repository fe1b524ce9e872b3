// The notifier's own logic with recording stand-ins for the shell, the
// session message and the clock.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "notifier/notifier.h"
#include "notifier/pipe_message.h"
#include "notifier/send_client.h"

namespace notifier {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> utf16le(std::u16string_view text, bool zero = true) {
    return bytesOf(encodeMessage(std::nullopt, text).substr(0, text.size() * 2 + (zero ? 2 : 0)));
}

// Every call, in order, as one line of text.
struct Recorder : TrayShell, SessionMessenger, Pause {
    std::vector<std::string> calls;
    bool addSucceeds = true;

    std::string describe(const char* what, const IconRecord& r) {
        return std::string(what) + " id=" + std::to_string(r.id) + " flags=" + std::to_string(r.flags) +
               " callback=" + std::to_string(r.callbackMessage) + " icon=" + std::to_string(r.icon) +
               " infoFlags=" + std::to_string(r.infoFlags) + " timeout=" + std::to_string(r.timeout) + " title=" +
               utf16ToUtf8(r.infoTitle) + " tip=" + utf16ToUtf8(r.tip) + " info=" + utf16ToUtf8(r.info);
    }
    bool add(const IconRecord& r) override {
        calls.push_back(describe("add", r));
        return addSucceeds;
    }
    bool modify(const IconRecord& r) override {
        calls.push_back(describe("modify", r));
        return true;
    }
    bool remove(const IconRecord& r) override {
        calls.push_back(describe("remove", r));
        return true;
    }
    void send(std::uint32_t style, std::u16string_view title, std::u16string_view text) override {
        calls.push_back("message style=" + std::to_string(style) + " title=" + utf16ToUtf8(title) +
                        " text=" + utf16ToUtf8(text));
    }
    void wait(std::chrono::milliseconds d) override { calls.push_back("wait " + std::to_string(d.count())); }
};

std::string shown(const char* call, int icon, std::uint32_t infoFlags, const std::string& text) {
    return std::string(call) + " id=2 flags=23 callback=32768 icon=" + std::to_string(icon) +
           " infoFlags=" + std::to_string(infoFlags) + " timeout=2500 title=Vantir Strovia tip=Vantir Strovia info=" +
           text;
}

// Without any event: the record of a fresh start.
std::string bare(const char* call) {
    return std::string(call) + " id=2 flags=7 callback=32768 icon=0 infoFlags=0 timeout=0 title= tip= info=";
}

struct MessageCase {
    std::u16string message;
    bool terminate;
    std::int32_t type;
    std::u16string text;
};

TEST(PipeMessage, TypesTextsAndTheTerminateRequest) {
    const MessageCase cases[] = {
        {u"#2Disk failed", false, 2, u"Disk failed"},
        {u"#3Array offline", false, 3, u"Array offline"},
        {u"#1Rebuild done", false, 1, u"Rebuild done"},
        {u"#12abc", false, 12, u"2abc"},  // only two characters are skipped
        {u"#7", false, 7, u""},
        {u"#-3x", false, -3, u"3x"},
        {u"#99999999999z", false, INT32_MAX, u"9999999999z"},
        {u"#-99999999999z", false, INT32_MIN, u"99999999999z"},
        {u"Plain text", false, 1, u"Plain text"},
        {u"#x", false, 1, u"#x"},
        {u"#", false, 1, u"#"},
        {u"# 5x", false, 1, u"# 5x"},
        {u"", false, 1, u""},
        {u"#1Terminate Strovia", true, 1, u""},
        {u"#1tERMINATE sTROVIA", true, 1, u""},
        {u"#1Terminate Strovia now", false, 1, u"Terminate Strovia now"},
        {u"#1Terminate Strovi", false, 1, u"Terminate Strovi"},
    };
    for (const MessageCase& c : cases) {
        const PipeMessage m = parseMessage(utf16le(c.message));
        SCOPED_TRACE(utf16ToUtf8(c.message));
        EXPECT_EQ(m.terminate, c.terminate);
        if (!c.terminate) {
            EXPECT_EQ(m.type, c.type);
            EXPECT_EQ(m.text, c.text);
        }
    }
}

TEST(PipeMessage, TheBytesReceivedMakeTheText) {
    // Without its terminating zero the text ends with the bytes received.
    EXPECT_EQ(decodeMessageText(utf16le(u"#2Fan stopped", false)), u"#2Fan stopped");
    // An odd trailing byte is ignored.
    auto odd = utf16le(u"ab", false);
    odd.push_back('c');
    EXPECT_EQ(decodeMessageText(odd), u"ab");
    // The first zero ends the text.
    EXPECT_EQ(decodeMessageText(bytesOf(std::string("a\0\0\0b\0", 6))), u"a");
    EXPECT_EQ(decodeMessageText({}), u"");
    // Only the first 8192 bytes count.
    const std::u16string longText(5000, u'x');
    const PipeMessage m = parseMessage(utf16le(longText, false));
    EXPECT_EQ(m.text, std::u16string(4096, u'x'));
    // The terminate request is compared with the whole message.
    auto withTail = utf16le(u"#1Terminate Strovia", true);
    const auto tail = bytesOf(std::string("x\0", 2));
    withTail.insert(withTail.end(), tail.begin(), tail.end());
    EXPECT_TRUE(parseMessage(withTail).terminate);
}

TEST(PipeMessage, EncodingAndUtf8) {
    EXPECT_EQ(encodeMessage(2, u"Hi"), std::string("#\0002\0H\0i\0\0\0", 10));
    EXPECT_EQ(encodeMessage(std::nullopt, u""), std::string("\0\0", 2));
    EXPECT_EQ(utf8ToUtf16("Gr\xC3\xBC\xC3\x9F \xF0\x9F\x92\xBE"), u"Grüß \U0001F4BE");
    EXPECT_EQ(utf16ToUtf8(u"Grüß \U0001F4BE"), "Gr\xC3\xBC\xC3\x9F \xF0\x9F\x92\xBE");
    EXPECT_EQ(utf8ToUtf16("a\xFF" "b\xC0\xAF" "c\xED\xA0\x80"), u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

struct EventCase {
    std::int32_t type;
    int icon;
    std::uint32_t infoFlags;
    std::uint32_t style;
};

TEST(ShowEvent, EachTypeHasItsIconFlagsAndMessageStyle) {
    const EventCase cases[] = {
        {1, 131, 0x11, 0x40}, {2, 129, 2, 0x30}, {3, 130, 3, 0x10}, {7, 131, 7, 0x40}, {0, 131, 0, 0x40},
    };
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.type);
        Recorder r;
        Notifier n(r, r, r);
        EXPECT_TRUE(n.showEvent(c.type, u"Disk failed"));
        n.iconCallback(kLeftButtonDown);
        const std::vector<std::string> expected = {
            shown("add", c.icon, c.infoFlags, "Disk failed"),
            "wait 2500",
            "message style=" + std::to_string(c.style) + " title=Vantir Strovia text=Disk failed",
            shown("remove", 0, c.infoFlags, "Disk failed"),
        };
        EXPECT_EQ(r.calls, expected);
        EXPECT_FALSE(n.iconShown());
    }
}

TEST(ShowEvent, ALaterEventChangesTheShownIconAndAFailedAddIsTriedAgain) {
    Recorder r;
    Notifier n(r, r, r);
    r.addSucceeds = false;
    EXPECT_FALSE(n.showEvent(1, u"one"));
    EXPECT_FALSE(n.iconShown());
    r.addSucceeds = true;
    EXPECT_TRUE(n.showEvent(2, u"two"));
    EXPECT_TRUE(n.showEvent(3, u"three"));
    const std::vector<std::string> expected = {
        shown("add", 131, 0x11, "one"),    "wait 2500", shown("add", 129, 2, "two"), "wait 2500",
        shown("modify", 130, 3, "three"), "wait 2500",
    };
    EXPECT_EQ(r.calls, expected);
    EXPECT_TRUE(n.iconShown());
}

TEST(ShowEvent, TextsLongerThanTheFieldAreCutAtIt) {
    Recorder r;
    Notifier n(r, r, r);
    const std::u16string text = std::u16string(254, u'a') + u"\U0001F4BE" + u"tail";
    n.showEvent(1, std::u16string(300, u'b'));
    EXPECT_EQ(n.record().info, std::u16string(255, u'b'));
    // A cut that would split a surrogate pair leaves out both halves.
    n.showEvent(1, text);
    EXPECT_EQ(n.record().info, std::u16string(254, u'a'));
    n.showEvent(1, std::u16string(255, u'c'));
    EXPECT_EQ(n.record().info, std::u16string(255, u'c'));
    EXPECT_EQ(fitField(u"Vantir Strovia", 5), u"Vant");
}

TEST(SessionChanges, LockStopsBalloonsAndUnlockBringsTheIconBack) {
    Recorder r;
    Notifier n(r, r, r);
    n.showEvent(2, u"shown");
    n.sessionChanged(SessionLock);
    EXPECT_FALSE(n.displayEnabled());
    // While locked nothing is shown and nothing waits; the record keeps the
    // latest event.
    EXPECT_FALSE(n.showEvent(3, u"while locked"));
    n.sessionChanged(SessionUnlock);
    EXPECT_TRUE(n.displayEnabled());
    n.showEvent(1, u"after");
    const std::vector<std::string> expected = {
        shown("add", 129, 2, "shown"),          "wait 2500",
        shown("remove", 0, 3, "while locked"),  shown("add", 130, 3, "while locked"),
        shown("modify", 131, 0x11, "after"),    "wait 2500",
    };
    EXPECT_EQ(r.calls, expected);
}

TEST(SessionChanges, EachCodeSetsDisplayAsItSays) {
    struct Case {
        std::uint32_t code;
        bool enabledAfter;  // starting from disabled for enabling codes, enabled otherwise
        bool startEnabled;
    };
    const Case cases[] = {
        {ConsoleConnect, true, false},  {SessionUnlock, true, false},     {RemoteConnect, true, false},
        {ConsoleDisconnect, false, true}, {RemoteDisconnect, false, true}, {SessionLock, false, true},
        {SessionLogon, false, false},   {SessionLogoff, true, true},      {99, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Recorder r;
        Notifier n(r, r, r);
        if (!c.startEnabled) n.sessionChanged(SessionLock);
        n.sessionChanged(c.code);
        EXPECT_EQ(n.displayEnabled(), c.enabledAfter);
        EXPECT_TRUE(r.calls.empty());  // no icon is shown, so nothing to refresh
    }
}

TEST(Click, OnlyALeftButtonDownSendsTheMessageAndTheNextEventAddsTheIconAnew) {
    Recorder r;
    Notifier n(r, r, r);
    n.showEvent(3, u"Disk 2 failed");
    n.iconCallback(0x200);  // mouse move
    n.iconCallback(0x202);  // button up
    EXPECT_TRUE(n.iconShown());
    n.iconCallback(kLeftButtonDown);
    n.showEvent(2, u"next");
    const std::vector<std::string> expected = {
        shown("add", 130, 3, "Disk 2 failed"), "wait 2500",
        "message style=16 title=Vantir Strovia text=Disk 2 failed",
        shown("remove", 0, 3, "Disk 2 failed"), shown("add", 129, 2, "next"), "wait 2500",
    };
    EXPECT_EQ(r.calls, expected);
}

TEST(Destroy, RemovesTheIconAndEndsDisplay) {
    Recorder r;
    Notifier n(r, r, r);
    n.destroy();
    EXPECT_FALSE(n.showEvent(2, u"late"));
    n.iconCallback(kLeftButtonDown);
    n.sessionChanged(SessionUnlock);
    EXPECT_EQ(r.calls, std::vector<std::string>{bare("remove")});
}

struct QueuedConnection : PipeConnection {
    std::deque<std::vector<std::uint8_t>> messages;
    int reads = 0;
    std::size_t read(std::span<std::uint8_t> buffer) override {
        ++reads;
        if (messages.empty()) return 0;
        auto m = messages.front();
        messages.pop_front();
        const std::size_t n = std::min(m.size(), buffer.size());
        std::copy_n(m.begin(), n, buffer.begin());
        return n;
    }
};

TEST(ServeClient, ShowsEachMessageInTurnUntilTheClientGoes) {
    Recorder r;
    Notifier n(r, r, r);
    QueuedConnection c;
    c.messages = {utf16le(u"#2Disk failed"), utf16le(u"plain", false)};
    int destroyRequests = 0;
    serveClient(c, n, r, [&] { ++destroyRequests; });
    const std::vector<std::string> expected = {
        shown("add", 129, 2, "Disk failed"), "wait 2500", "wait 20",
        shown("modify", 131, 0x11, "plain"), "wait 2500", "wait 20",
    };
    EXPECT_EQ(r.calls, expected);
    EXPECT_EQ(destroyRequests, 0);
    EXPECT_EQ(c.reads, 3);
}

TEST(ServeClient, TheTerminateRequestEndsTheClientAndAsksForTheEnd) {
    Recorder r;
    Notifier n(r, r, r);
    n.sessionChanged(SessionLock);
    QueuedConnection c;
    c.messages = {utf16le(u"#1Terminate Strovia more"), utf16le(u"#1TERMINATE STROVIA"), utf16le(u"never read")};
    int destroyRequests = 0;
    serveClient(c, n, r, [&] { ++destroyRequests; });
    EXPECT_EQ(r.calls, std::vector<std::string>{"wait 20"});  // locked: the first is kept, not shown
    EXPECT_EQ(n.record().info, u"Terminate Strovia more");
    EXPECT_EQ(destroyRequests, 1);
    EXPECT_EQ(c.messages.size(), 1u);
}

struct RecordingClient : PipeClient {
    std::vector<std::string> log;
    bool reachable = true;
    bool connect(const std::string& name, std::string& why) override {
        log.push_back("connect " + name);
        why = "no such pipe";
        return reachable;
    }
    bool write(std::string_view m, std::string&) override {
        log.push_back("write " + utf16ToUtf8(decodeMessageText(std::span(
                                     reinterpret_cast<const std::uint8_t*>(m.data()), m.size()))));
        return true;
    }
    bool finish(std::string&) override {
        log.push_back("finish");
        return true;
    }
};

TEST(SendClient, CommandLines) {
    struct Case {
        std::vector<std::string> args;
        int code;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {{"p", "one", "two"}, 0, {"connect p", "write one", "write two", "finish"}},
        {{"--type", "2", "p", "Disk failed"}, 0, {"connect p", "write #2Disk failed", "finish"}},
        {{"p", "--terminate"}, 0, {"connect p", "write #1Terminate Strovia", "finish"}},
        {{"p", "x", "--terminate"}, 0, {"connect p", "write x", "write #1Terminate Strovia", "finish"}},
        {{"p", "--", "--type"}, 0, {"connect p", "write --type", "finish"}},
        {{"--type", "12", "p", "x"}, 2, {}},
        {{"--type", "p"}, 2, {}},
        {{"p"}, 2, {}},
        {{}, 2, {}},
        {{"--bogus", "p", "x"}, 2, {}},
    };
    for (const Case& c : cases) {
        RecordingClient client;
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(runSendClient(c.args, client, err), c.code);
        EXPECT_EQ(client.log, c.log);
        std::fclose(err);
    }
    RecordingClient unreachable;
    unreachable.reachable = false;
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(runSendClient({"p", "x"}, unreachable, err), 1);
    std::rewind(err);
    char line[200] = {};
    ASSERT_NE(std::fgets(line, sizeof line, err), nullptr);
    EXPECT_STREQ(line, "eventtray-send: cannot reach p: no such pipe\n");
    std::fclose(err);
}

}  // namespace
}  // namespace notifier

#pragma once
// The notifier's display logic over small interfaces: the notification
// icon's record, the show-event steps, and what the hidden window does with
// session changes and with a click on the icon. The systems' own pieces (the
// shell's icon calls, the session message, the pause) come in from outside.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace notifier {

// The title of balloons and session messages, and the icon's tip.
constexpr std::u16string_view kProductTitle = u"Vantir Strovia";

constexpr std::uint32_t kIconId = 2;
constexpr std::uint32_t kIconCallbackMessage = 0x8000;
constexpr std::uint32_t kIconFlagsAtStart = 0x7;  // message, icon, tip
constexpr std::uint32_t kIconFlagInfo = 0x10;     // balloon information
constexpr std::uint32_t kInfoWithoutSound = 0x11; // information, no sound
constexpr std::uint32_t kBalloonTimeoutMs = 2500;
constexpr std::uint32_t kLeftButtonDown = 0x201;

// Field widths in characters, the terminating zero included.
constexpr std::size_t kTipChars = 128;
constexpr std::size_t kInfoChars = 256;
constexpr std::size_t kInfoTitleChars = 64;

// Balloon icons (resource numbers).
constexpr int kIconWarning = 129;
constexpr int kIconError = 130;
constexpr int kIconInformation = 131;

// Session message styles.
constexpr std::uint32_t kStyleError = 0x10;
constexpr std::uint32_t kStyleWarning = 0x30;
constexpr std::uint32_t kStyleInformation = 0x40;

// Session change codes.
enum SessionChange : std::uint32_t {
    ConsoleConnect = 1,
    ConsoleDisconnect = 2,
    RemoteConnect = 3,
    RemoteDisconnect = 4,
    SessionLogon = 5,
    SessionLogoff = 6,
    SessionLock = 7,
    SessionUnlock = 8,
};

// The notification icon as the shell is told about it.
struct IconRecord {
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    int icon = 0;  // balloon icon for the current event; 0: none loaded
    std::u16string tip;
    std::u16string info;
    std::uint32_t timeout = 0;
    std::u16string infoTitle;
    std::uint32_t infoFlags = 0;
};

// The shell's notification-icon calls; each returns true on success.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual bool add(const IconRecord& record) = 0;
    virtual bool modify(const IconRecord& record) = 0;
    virtual bool remove(const IconRecord& record) = 0;
};

// The message box sent to the user's session when the icon is clicked.
class SessionMessenger {
public:
    virtual ~SessionMessenger() = default;
    virtual void send(std::uint32_t style, std::u16string_view title, std::u16string_view text) = 0;
};

// The clock's wait.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void wait(std::chrono::milliseconds duration) = 0;
};

// The balloon icon for an event type or for the balloon flags.
int balloonIcon(std::uint32_t typeOrFlags);
// The balloon flags for an event type: information plays no sound, every
// other type is passed on unchanged.
std::uint32_t balloonFlags(std::int32_t type);
// The session message style for the balloon flags.
std::uint32_t messageStyle(std::uint32_t flags);
// A text cut to fit a field of the given width (the terminating zero
// included); a cut never separates the two halves of a surrogate pair.
std::u16string fitField(std::u16string_view text, std::size_t fieldChars);

class Notifier {
public:
    Notifier(TrayShell& shell, SessionMessenger& messenger, Pause& pause);

    // Shows one event: as a balloon while display is enabled (then waits for
    // the balloon's time), otherwise only kept as the latest event. Returns
    // the shell call's result, or false when nothing was shown.
    bool showEvent(std::int32_t type, std::u16string_view text);

    // The hidden window's handling of session changes, of the icon's
    // callback message (its last parameter) and of its destruction. After
    // destruction, events are no longer shown.
    void sessionChanged(std::uint32_t code);
    void iconCallback(std::uintptr_t mouseMessage);
    void destroy();

    bool displayEnabled() const;
    bool iconShown() const;
    IconRecord record() const;

private:
    void refreshIcon();  // with the lock held

    TrayShell& shell_;
    SessionMessenger& messenger_;
    Pause& pause_;
    mutable std::mutex lock_;
    IconRecord record_;
    bool displayEnabled_ = true;
    bool iconShown_ = false;
    bool destroyed_ = false;
};

// One connected client, read message by message.
class PipeConnection {
public:
    virtual ~PipeConnection() = default;
    // Reads the next message into buffer; returns the bytes read, or 0 when
    // the client has gone or the read failed.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
};

// A reader thread's work for one client: each message is shown in turn, with
// a short pause between messages, until the client goes or sends the
// terminate request; requestDestroy is called for the latter.
void serveClient(PipeConnection& connection, Notifier& notifier, Pause& pause,
                 const std::function<void()>& requestDestroy);

}  // namespace notifier

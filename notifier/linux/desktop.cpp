#include "notifier/linux/desktop.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "notifier/pipe_message.h"

namespace notifier::desktop {
namespace {

constexpr const char* kNotifications = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";
constexpr const char* kLoginSession = "org.freedesktop.login1.Session";
// A desktop that does not answer within this time is given up for the call.
constexpr std::uint64_t kCallTimeoutUsec = 5'000'000;

// One line to standard error in one write, so that lines of several threads
// never mix.
void writeLine(const std::string& line) {
    const std::string whole = line + "\n";
    std::size_t done = 0;
    while (done < whole.size()) {
        const ssize_t n = ::write(STDERR_FILENO, whole.data() + done, whole.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

const char* kindOf(std::uint32_t infoFlags) {
    switch (infoFlags) {
        case Warning:
            return "warning";
        case Error:
            return "error";
        case kInfoWithoutSound:
            return "information";
        default:
            return nullptr;
    }
}

void writeEvent(const IconRecord& record) {
    const char* kind = kindOf(record.infoFlags);
    const std::string label = kind ? kind : "type " + std::to_string(static_cast<std::int32_t>(record.infoFlags));
    writeLine("eventtray: " + label + ": " + utf16ToUtf8(record.info));
}

const char* iconName(int icon) {
    switch (icon) {
        case kIconWarning:
            return "dialog-warning";
        case kIconError:
            return "dialog-error";
        default:
            return "dialog-information";
    }
}

// Texts are escaped where the service reads markup in the body.
std::string bodyText(std::u16string_view text, bool markup) {
    const std::string plain = utf16ToUtf8(text);
    if (!markup) return plain;
    std::string out;
    for (const char c : plain) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

struct Message {
    sd_bus_message* m = nullptr;
    ~Message() { sd_bus_message_unref(m); }
};

struct BusError {
    sd_bus_error e = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&e); }
};

// Sends one notification; returns its id, 0 when the call failed.
std::uint32_t sendNotification(sd_bus* bus, std::uint32_t replaces, const char* icon, const std::string& summary,
                               const std::string& body, std::uint8_t urgency, bool quiet, bool withAction,
                               std::int32_t expire) {
    Message call;
    if (sd_bus_message_new_method_call(bus, &call.m, kNotifications, kNotificationsPath, kNotifications, "Notify") < 0)
        return 0;
    int r = sd_bus_message_append(call.m, "susss", "eventtray", replaces, icon, summary.c_str(), body.c_str());
    if (r >= 0) {
        r = withAction ? sd_bus_message_append(call.m, "as", 2, "default", "Show")
                       : sd_bus_message_append(call.m, "as", 0);
    }
    if (r >= 0) r = sd_bus_message_open_container(call.m, 'a', "{sv}");
    if (r >= 0) r = sd_bus_message_append(call.m, "{sv}", "urgency", "y", urgency);
    if (r >= 0 && quiet) r = sd_bus_message_append(call.m, "{sv}", "suppress-sound", "b", 1);
    if (r >= 0) r = sd_bus_message_close_container(call.m);
    if (r >= 0) r = sd_bus_message_append(call.m, "i", expire);
    if (r < 0) return 0;
    BusError error;
    Message reply;
    if (sd_bus_call(bus, call.m, kCallTimeoutUsec, &error.e, &reply.m) < 0) return 0;
    std::uint32_t id = 0;
    if (sd_bus_message_read(reply.m, "u", &id) < 0) return 0;
    return id;
}

}  // namespace

bool NotificationShell::notify(const IconRecord& record, std::uint32_t replaces) {
    std::uint32_t id = 0;
    bool desktop = false;
    {
        std::lock_guard guard(loop_.busLock());
        if (sd_bus* bus = loop_.sessionBus()) {
            desktop = true;
            const std::uint8_t urgency = record.infoFlags == Error ? 2 : 1;
            id = sendNotification(bus, replaces, iconName(record.icon), utf16ToUtf8(record.infoTitle),
                                  bodyText(record.info, loop_.markup()), urgency,
                                  record.infoFlags == kInfoWithoutSound, true,
                                  static_cast<std::int32_t>(record.timeout));
        }
    }
    loop_.wake();
    if (id == 0) {
        // Nothing on the desktop shows it: standard error does.
        writeEvent(record);
        current_ = 0;
        return !desktop;
    }
    current_ = id;
    return true;
}

bool NotificationShell::add(const IconRecord& record) { return notify(record, 0); }

bool NotificationShell::modify(const IconRecord& record) { return notify(record, current_.load()); }

bool NotificationShell::remove(const IconRecord&) {
    const std::uint32_t id = current_.exchange(0);
    if (id == 0) return true;
    bool removed = false;
    {
        std::lock_guard guard(loop_.busLock());
        if (sd_bus* bus = loop_.sessionBus()) {
            BusError error;
            removed = sd_bus_call_method(bus, kNotifications, kNotificationsPath, kNotifications,
                                         "CloseNotification", &error.e, nullptr, "u", id) >= 0;
        }
    }
    loop_.wake();
    return removed;
}

// The session message: a second notification, one that stays until the user
// closes it.
void NotificationShell::send(std::uint32_t style, std::u16string_view title, std::u16string_view text) {
    {
        std::lock_guard guard(loop_.busLock());
        if (sd_bus* bus = loop_.sessionBus()) {
            const int icon = style == kStyleError ? kIconError : style == kStyleWarning ? kIconWarning : kIconInformation;
            sendNotification(bus, 0, iconName(icon), utf16ToUtf8(title), bodyText(text, loop_.markup()),
                             style == kStyleError ? 2 : 1, false, false, 0);
        }
    }
    loop_.wake();
}

DesktopLoop::DesktopLoop() = default;

DesktopLoop::~DesktopLoop() {
    sd_bus_flush_close_unref(session_);
    sd_bus_flush_close_unref(logind_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
    if (signalFd_ >= 0) ::close(signalFd_);
}

void DesktopLoop::open() {
    // The ending signals are taken by the loop, on every thread started
    // after this.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signalFd_ = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    ::signal(SIGPIPE, SIG_IGN);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    openSession();
    openLogind();
}

void DesktopLoop::openSession() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return;
    // The bus must answer; an address that leads nowhere counts as none.
    BusError error;
    Message reply;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId",
                           &error.e, &reply.m, "") < 0 ||
        sd_bus_match_signal(bus, nullptr, nullptr, kNotificationsPath, kNotifications, "ActionInvoked",
                            &DesktopLoop::onActionInvoked, this) < 0) {
        sd_bus_flush_close_unref(bus);
        return;
    }
    Message capabilities;
    BusError ignored;
    if (sd_bus_call_method(bus, kNotifications, kNotificationsPath, kNotifications, "GetCapabilities", &ignored.e,
                           &capabilities.m, "") >= 0) {
        char** names = nullptr;
        if (sd_bus_message_read_strv(capabilities.m, &names) >= 0 && names) {
            for (char** n = names; *n; ++n) {
                if (std::strcmp(*n, "body-markup") == 0) markup_ = true;
                std::free(*n);
            }
            std::free(names);
        }
    }
    session_ = bus;
}

// logind is on the system bus, or on the bus that EVENTTRAY_LOGIND_ADDRESS
// names. The session followed is XDG_SESSION_ID's, else the one this process
// belongs to, else the user's display session.
void DesktopLoop::openLogind() {
    sd_bus* bus = nullptr;
    const char* address = std::getenv("EVENTTRAY_LOGIND_ADDRESS");
    if (address && *address) {
        if (sd_bus_new(&bus) < 0) return;
        if (sd_bus_set_address(bus, address) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
            sd_bus_unref(bus);
            return;
        }
    } else if (sd_bus_open_system(&bus) < 0) {
        return;
    }
    std::string path;
    {
        BusError error;
        Message reply;
        const char* id = std::getenv("XDG_SESSION_ID");
        int r = -1;
        if (id && *id) {
            r = sd_bus_call_method(bus, kLogin, kLoginPath, kLoginManager, "GetSession", &error.e, &reply.m, "s", id);
        } else {
            r = sd_bus_call_method(bus, kLogin, kLoginPath, kLoginManager, "GetSessionByPID", &error.e, &reply.m,
                                   "u", static_cast<std::uint32_t>(getpid()));
        }
        const char* object = nullptr;
        if (r >= 0 && sd_bus_message_read(reply.m, "o", &object) >= 0 && object) path = object;
    }
    if (path.empty()) {
        BusError error;
        Message user;
        Message display;
        const char* userPath = nullptr;
        const char* sessionId = nullptr;
        const char* object = nullptr;
        if (sd_bus_call_method(bus, kLogin, kLoginPath, kLoginManager, "GetUser", &error.e, &user.m, "u",
                               static_cast<std::uint32_t>(getuid())) >= 0 &&
            sd_bus_message_read(user.m, "o", &userPath) >= 0 &&
            sd_bus_get_property(bus, kLogin, userPath, "org.freedesktop.login1.User", "Display", &error.e,
                                &display.m, "(so)") >= 0 &&
            sd_bus_message_read(display.m, "(so)", &sessionId, &object) >= 0 && object && sessionId &&
            *sessionId) {
            path = object;
        }
    }
    if (path.empty() ||
        sd_bus_match_signal(bus, nullptr, nullptr, path.c_str(), "org.freedesktop.DBus.Properties",
                            "PropertiesChanged", &DesktopLoop::onPropertiesChanged, this) < 0) {
        sd_bus_flush_close_unref(bus);
        return;
    }
    sessionPath_ = path;
    logind_ = bus;
}

bool DesktopLoop::readLockedHint() {
    if (!logind_) return false;
    BusError error;
    int locked = 0;
    if (sd_bus_get_property_trivial(logind_, kLogin, sessionPath_.c_str(), kLoginSession, "LockedHint", &error.e,
                                    'b', &locked) < 0)
        return false;
    return locked != 0;
}

bool DesktopLoop::attach(Notifier& notifier, NotificationShell& shell) {
    notifier_ = &notifier;
    shell_ = &shell;
    std::lock_guard guard(busMutex_);
    return readLockedHint();
}

int DesktopLoop::onActionInvoked(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* loop = static_cast<DesktopLoop*>(self);
    std::uint32_t id = 0;
    const char* action = nullptr;
    if (sd_bus_message_read(message, "us", &id, &action) < 0 || !action) return 0;
    if (std::strcmp(action, "default") == 0 && loop->shell_ && id != 0 && id == loop->shell_->current()) {
        loop->pending_.push_back({Pending::Click});
    }
    return 0;
}

int DesktopLoop::onPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* loop = static_cast<DesktopLoop*>(self);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 || !interface || std::strcmp(interface, kLoginSession) != 0)
        return 0;
    if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0 || !name) return 0;
        if (std::strcmp(name, "LockedHint") == 0) {
            int locked = 0;
            if (sd_bus_message_read(message, "v", "b", &locked) < 0) return 0;
            loop->pending_.push_back({locked ? Pending::Locked : Pending::Unlocked});
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return 0;
        }
        if (sd_bus_message_exit_container(message) < 0) return 0;
    }
    if (sd_bus_message_exit_container(message) < 0) return 0;
    char** invalidated = nullptr;
    if (sd_bus_message_read_strv(message, &invalidated) >= 0 && invalidated) {
        for (char** n = invalidated; *n; ++n) {
            if (std::strcmp(*n, "LockedHint") == 0) loop->pending_.push_back({Pending::ReadLockedHint});
            std::free(*n);
        }
        std::free(invalidated);
    }
    return 0;
}

void DesktopLoop::requestQuit() {
    quit_ = true;
    wake();
}

void DesktopLoop::wake() {
    if (wakeFd_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

// Handles what has arrived; a connection that has broken is given up, and
// its service counts as gone.
void DesktopLoop::processBus(sd_bus*& bus) {
    if (!bus) return;
    for (;;) {
        const int r = sd_bus_process(bus, nullptr);
        if (r == 0) return;
        if (r < 0) {
            sd_bus_close_unref(bus);
            bus = nullptr;
            return;
        }
    }
}

void DesktopLoop::run() {
    while (!quit_) {
        pollfd fds[4] = {};
        nfds_t count = 0;
        int timeout = -1;
        fds[count++] = {wakeFd_, POLLIN, 0};
        if (signalFd_ >= 0) fds[count++] = {signalFd_, POLLIN, 0};
        {
            std::lock_guard guard(busMutex_);
            for (sd_bus* bus : {session_, logind_}) {
                if (!bus) continue;
                const int events = sd_bus_get_events(bus);
                fds[count++] = {sd_bus_get_fd(bus), static_cast<short>(events < 0 ? 0 : events), 0};
                std::uint64_t until = 0;
                if (sd_bus_get_timeout(bus, &until) >= 0 && until != UINT64_MAX) {
                    timespec now{};
                    clock_gettime(CLOCK_MONOTONIC, &now);
                    const std::uint64_t nowUsec = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
                                                  static_cast<std::uint64_t>(now.tv_nsec) / 1000;
                    const std::uint64_t ms = until > nowUsec ? (until - nowUsec + 999) / 1000 : 0;
                    const int wait = ms > 60'000 ? 60'000 : static_cast<int>(ms);
                    if (timeout < 0 || wait < timeout) timeout = wait;
                }
            }
        }
        if (::poll(fds, count, timeout) < 0 && errno != EINTR) break;
        std::uint64_t drained = 0;
        while (::read(wakeFd_, &drained, sizeof drained) > 0) {
        }
        if (signalFd_ >= 0) {
            signalfd_siginfo info{};
            while (::read(signalFd_, &info, sizeof info) > 0) quit_ = true;
        }
        {
            std::lock_guard guard(busMutex_);
            processBus(session_);
            processBus(logind_);
        }
        std::vector<Pending> work;
        work.swap(pending_);
        for (const Pending& p : work) {
            if (!notifier_) continue;
            switch (p.kind) {
                case Pending::Click:
                    notifier_->iconCallback(kLeftButtonDown);
                    break;
                case Pending::Locked:
                    notifier_->sessionChanged(SessionLock);
                    break;
                case Pending::Unlocked:
                    notifier_->sessionChanged(SessionUnlock);
                    break;
                case Pending::ReadLockedHint: {
                    bool locked = false;
                    {
                        std::lock_guard guard(busMutex_);
                        locked = readLockedHint();
                    }
                    notifier_->sessionChanged(locked ? SessionLock : SessionUnlock);
                    break;
                }
            }
        }
    }
}

}  // namespace notifier::desktop

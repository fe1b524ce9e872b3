#pragma once
// The notifier on a Linux desktop: events become desktop notifications on
// the session bus, session locks come from logind, and one loop on the main
// thread serves both buses, signals and the terminate request.

#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "notifier/notifier.h"

namespace notifier::desktop {

class DesktopLoop;

// The icon as a desktop notification: adding it sends a notification,
// changing it replaces that notification, removing it closes it. Without a
// session bus, or when the notification service does not answer, each event
// is written to standard error instead.
class NotificationShell : public TrayShell, public SessionMessenger {
public:
    explicit NotificationShell(DesktopLoop& loop) : loop_(loop) {}
    bool add(const IconRecord& record) override;
    bool modify(const IconRecord& record) override;
    bool remove(const IconRecord& record) override;
    void send(std::uint32_t style, std::u16string_view title, std::u16string_view text) override;

    // The notification that stands for the icon, 0 when there is none.
    std::uint32_t current() const { return current_.load(); }

private:
    bool notify(const IconRecord& record, std::uint32_t replaces);

    DesktopLoop& loop_;
    std::atomic<std::uint32_t> current_{0};
};

class DesktopLoop {
public:
    DesktopLoop();
    ~DesktopLoop();
    DesktopLoop(const DesktopLoop&) = delete;
    DesktopLoop& operator=(const DesktopLoop&) = delete;

    // Connects to the session bus and to logind where they are found; the
    // signals that end the program are taken by the loop from here on.
    void open();
    // Connects the loop to the notifier; returns whether the session is
    // locked now.
    bool attach(Notifier& notifier, NotificationShell& shell);
    // Runs until the terminate request or an ending signal.
    void run();
    // Asks the loop to end; any thread.
    void requestQuit();
    // Wakes the loop after a bus call made on another thread.
    void wake();

    // The session bus, while the caller holds busLock().
    sd_bus* sessionBus() { return session_; }
    std::mutex& busLock() { return busMutex_; }
    bool markup() const { return markup_; }

private:
    struct Pending {
        enum Kind { Click, Locked, Unlocked, ReadLockedHint } kind;
    };
    static int onActionInvoked(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    void openSession();
    void openLogind();
    bool readLockedHint();  // with the bus lock held
    void processBus(sd_bus*& bus);

    std::mutex busMutex_;
    sd_bus* session_ = nullptr;
    sd_bus* logind_ = nullptr;
    std::string sessionPath_;
    bool markup_ = false;
    int wakeFd_ = -1;
    int signalFd_ = -1;
    std::atomic<bool> quit_{false};
    Notifier* notifier_ = nullptr;
    NotificationShell* shell_ = nullptr;
    std::vector<Pending> pending_;  // main thread only
};

}  // namespace notifier::desktop

#pragma once
// A private desktop for the notifier's tests: a dbus-daemon of its own, and
// on it a notification service that records every call and a stand-in for
// logind's session of the user, whose LockedHint the test sets.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sd_bus;
struct sd_bus_slot;

namespace notifier::testing {

// A temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A dbus-daemon with its socket in folder, ended with the object.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& folder);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

struct Notification {
    std::uint32_t id = 0;
    std::uint32_t replaces = 0;
    std::string app, icon, summary, body;
    std::vector<std::string> actions;
    int urgency = -1;  // -1: not given
    bool quiet = false;
    std::int32_t expire = 0;
};

class FakeDesktop {
public:
    FakeDesktop(const std::string& address, bool locked);
    ~FakeDesktop();
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    std::vector<Notification> notifications() const;
    std::vector<std::uint32_t> closed() const;
    // The default action of a notification, as a click on it.
    void invokeDefault(std::uint32_t id);
    void setLocked(bool locked);

private:
    friend struct DesktopCallbacks;
    void run();

    mutable std::mutex mutex_;
    sd_bus* bus_ = nullptr;
    std::vector<sd_bus_slot*> slots_;
    std::vector<Notification> notifications_;
    std::vector<std::uint32_t> closed_;
    std::uint32_t nextId_ = 1;
    int locked_ = 0;
    std::vector<std::function<void()>> requests_;  // done on the bus thread
    bool stop_ = false;
    std::thread thread_;
};

// Polls until done() holds, up to the deadline; returns done()'s last value.
bool waitUntil(const std::function<bool()>& done, std::chrono::seconds deadline = std::chrono::seconds(30));

// A program started with its own environment (added to or taking the place
// of the test's), standard output and error going to files.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
            const std::string& outputFile, const std::string& errorFile);
    ~Process();  // kills the program if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    pid_t pid() const { return pid_; }
    bool running();
    // The exit code, waiting up to the deadline; -1 when it did not end (or
    // ended by a signal).
    int wait(std::chrono::seconds deadline = std::chrono::seconds(30));

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

// Runs a program to its end; returns its exit code (-1: no end in time).
int runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment = {},
               const std::string& errorFile = "/dev/null");

std::string readFile(const std::string& path);

}  // namespace notifier::testing

#include "fake_desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace notifier::testing {

namespace {
constexpr const char* kSessionPath = "/org/freedesktop/login1/session/c1";
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "eventtray-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool waitUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

Process::Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
                 const std::string& outputFile, const std::string& errorFile) {
    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : environment) {
        if (value == "\x01unset") {
            merged.erase(name);
        } else {
            merged[name] = value;
        }
    }
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : merged) envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& s : args) argp.push_back(s.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int r = posix_spawnp(&pid_, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) throw std::runtime_error("cannot start " + argv[0]);
}

Process::~Process() {
    if (!ended_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }
}

bool Process::running() {
    if (ended_) return false;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
}

int Process::wait(std::chrono::seconds deadline) {
    waitUntil([this] { return !running(); }, deadline);
    if (!ended_ || !WIFEXITED(status_)) return -1;
    return WEXITSTATUS(status_);
}

int runProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
               const std::string& errorFile) {
    Process p(argv, environment, "/dev/null", errorFile);
    return p.wait(std::chrono::seconds(60));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

PrivateBus::PrivateBus(const std::string& folder) {
    const std::string socket = folder + "/bus";
    address_ = "unix:path=" + socket;
    const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--nopidfile", nullptr};
    std::string addressOption = "--address=" + address_;
    std::vector<char*> args;
    for (const char* a : argv) {
        if (a) args.push_back(const_cast<char*>(a));
    }
    args.push_back(addressOption.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string log = folder + "/dbus-daemon.log";
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int r = posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) throw std::runtime_error("cannot start dbus-daemon");
    struct stat st {};
    if (!waitUntil([&] { return ::stat(socket.c_str(), &st) == 0; }))
        throw std::runtime_error("dbus-daemon did not make its socket");
}

PrivateBus::~PrivateBus() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

struct DesktopCallbacks {
    static FakeDesktop& self(void* userdata) { return *static_cast<FakeDesktop*>(userdata); }

    static int notify(sd_bus_message* m, void* userdata, sd_bus_error*) {
        FakeDesktop& d = self(userdata);
        Notification n;
        const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
        int r = sd_bus_message_read(m, "susss", &app, &n.replaces, &icon, &summary, &body);
        if (r < 0) return r;
        n.app = app;
        n.icon = icon;
        n.summary = summary;
        n.body = body;
        char** actions = nullptr;
        if ((r = sd_bus_message_read_strv(m, &actions)) < 0) return r;
        for (char** a = actions; a && *a; ++a) {
            n.actions.push_back(*a);
            std::free(*a);
        }
        std::free(actions);
        if ((r = sd_bus_message_enter_container(m, 'a', "{sv}")) < 0) return r;
        while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
            const char* key = nullptr;
            if ((r = sd_bus_message_read(m, "s", &key)) < 0) return r;
            if (std::strcmp(key, "urgency") == 0) {
                std::uint8_t u = 0;
                if ((r = sd_bus_message_read(m, "v", "y", &u)) < 0) return r;
                n.urgency = u;
            } else if (std::strcmp(key, "suppress-sound") == 0) {
                int b = 0;
                if ((r = sd_bus_message_read(m, "v", "b", &b)) < 0) return r;
                n.quiet = b != 0;
            } else if ((r = sd_bus_message_skip(m, "v")) < 0) {
                return r;
            }
            if ((r = sd_bus_message_exit_container(m)) < 0) return r;
        }
        if (r < 0) return r;
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
        if ((r = sd_bus_message_read(m, "i", &n.expire)) < 0) return r;
        {
            std::lock_guard guard(d.mutex_);
            n.id = n.replaces != 0 ? n.replaces : d.nextId_++;
            d.notifications_.push_back(n);
        }
        return sd_bus_reply_method_return(m, "u", n.id);
    }

    static int close(sd_bus_message* m, void* userdata, sd_bus_error*) {
        FakeDesktop& d = self(userdata);
        std::uint32_t id = 0;
        const int r = sd_bus_message_read(m, "u", &id);
        if (r < 0) return r;
        {
            std::lock_guard guard(d.mutex_);
            d.closed_.push_back(id);
        }
        return sd_bus_reply_method_return(m, "");
    }

    static int capabilities(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "as", 2, "body", "actions");
    }

    static int serverInformation(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "ssss", "fake", "tests", "1", "1.2");
    }

    static int session(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "o", kSessionPath);
    }

    static int lockedHint(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                          sd_bus_error*) {
        FakeDesktop& d = self(userdata);
        int locked = 0;
        {
            std::lock_guard guard(d.mutex_);
            locked = d.locked_;
        }
        return sd_bus_message_append(reply, "b", locked);
    }
};

namespace {

const sd_bus_vtable kNotificationsTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", DesktopCallbacks::notify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("CloseNotification", "u", "", DesktopCallbacks::close, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetCapabilities", "", "as", DesktopCallbacks::capabilities, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetServerInformation", "", "ssss", DesktopCallbacks::serverInformation,
                  SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kManagerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetSession", "s", "o", DesktopCallbacks::session, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetSessionByPID", "u", "o", DesktopCallbacks::session, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kSessionTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("LockedHint", "b", DesktopCallbacks::lockedHint, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_VTABLE_END,
};

}  // namespace

FakeDesktop::FakeDesktop(const std::string& address, bool locked) : locked_(locked ? 1 : 0) {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0)
        throw std::runtime_error("cannot connect to the private bus");
    struct Table {
        const char* path;
        const char* interface;
        const sd_bus_vtable* table;
    };
    const Table tables[] = {
        {"/org/freedesktop/Notifications", "org.freedesktop.Notifications", kNotificationsTable},
        {"/org/freedesktop/login1", "org.freedesktop.login1.Manager", kManagerTable},
        {kSessionPath, "org.freedesktop.login1.Session", kSessionTable},
    };
    for (const Table& t : tables) {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_add_object_vtable(bus_, &slot, t.path, t.interface, t.table, this) < 0)
            throw std::runtime_error("cannot serve the desktop's objects");
        slots_.push_back(slot);
    }
    if (sd_bus_request_name(bus_, "org.freedesktop.Notifications", 0) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.login1", 0) < 0)
        throw std::runtime_error("cannot take the desktop's names");
    thread_ = std::thread([this] { run(); });
}

FakeDesktop::~FakeDesktop() {
    {
        std::lock_guard guard(mutex_);
        stop_ = true;
    }
    thread_.join();
    for (sd_bus_slot* s : slots_) sd_bus_slot_unref(s);
    sd_bus_flush_close_unref(bus_);
}

void FakeDesktop::run() {
    for (;;) {
        std::vector<std::function<void()>> work;
        {
            std::lock_guard guard(mutex_);
            if (stop_) return;
            work.swap(requests_);
        }
        for (auto& w : work) w();
        while (sd_bus_process(bus_, nullptr) > 0) {
        }
        sd_bus_wait(bus_, 20'000);
    }
}

std::vector<Notification> FakeDesktop::notifications() const {
    std::lock_guard guard(mutex_);
    return notifications_;
}

std::vector<std::uint32_t> FakeDesktop::closed() const {
    std::lock_guard guard(mutex_);
    return closed_;
}

void FakeDesktop::invokeDefault(std::uint32_t id) {
    std::lock_guard guard(mutex_);
    requests_.push_back([this, id] {
        sd_bus_emit_signal(bus_, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                           "ActionInvoked", "us", id, "default");
    });
}

void FakeDesktop::setLocked(bool locked) {
    std::lock_guard guard(mutex_);
    locked_ = locked ? 1 : 0;
    requests_.push_back([this] {
        sd_bus_emit_properties_changed(bus_, kSessionPath, "org.freedesktop.login1.Session", "LockedHint",
                                       nullptr);
    });
}

}  // namespace notifier::testing

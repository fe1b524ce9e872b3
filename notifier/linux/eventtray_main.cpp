// eventtray on Linux: the notifier's pipe is a Unix-domain socket of the
// message kind (SOCK_SEQPACKET) at the path given as the one argument; each
// message is one event, as on Windows. One instance runs per login session.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

#include "notifier/linux/desktop.h"
#include "notifier/notifier.h"

namespace {

using notifier::desktop::DesktopLoop;
using notifier::desktop::NotificationShell;

class SleepPause : public notifier::Pause {
public:
    void wait(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

class SocketConnection : public notifier::PipeConnection {
public:
    explicit SocketConnection(int fd) : fd_(fd) {}
    ~SocketConnection() override { ::close(fd_); }
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    // One message per receive; the part of a longer message past the buffer
    // is dropped by the socket.
    std::size_t read(std::span<std::uint8_t> buffer) override {
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n < 0 && errno == EINTR) continue;
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }

private:
    int fd_;
};

// The single-instance lock of this login session: a file in the user's
// runtime folder, held locked for the life of the process.
bool takeSessionLock() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* session = std::getenv("XDG_SESSION_ID");
    std::string folder = runtime && *runtime ? runtime : "/tmp";
    std::string name = "eventtray-" + std::to_string(getuid()) + "-session-" +
                       (session && *session ? std::string(session) : std::string("none")) + ".lock";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true;  // the descriptor stays open, and the lock held, until exit
}

// Creates the listening socket at path with mode 0600. A socket file left by
// an ended notifier (nothing accepts on it) is replaced.
int listenAt(const std::string& path, std::string& why) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        why = "the path is empty or too long";
        return -1;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    const mode_t mask = ::umask(0177);
    int bound = ::bind(fd, raw, sizeof address);
    if (bound != 0 && errno == EADDRINUSE) {
        struct stat st{};
        const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        if (probe >= 0 && ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) &&
            ::connect(probe, raw, sizeof address) != 0 && errno == ECONNREFUSED) {
            ::unlink(path.c_str());
            bound = ::bind(fd, raw, sizeof address);
        } else {
            errno = EADDRINUSE;
        }
        if (probe >= 0) ::close(probe);
    }
    const int bindError = errno;
    ::umask(mask);
    if (bound != 0) {
        why = std::strerror(bindError);
        ::close(fd);
        return -1;
    }
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        why = std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return -1;
    }
    return fd;
}

// Accepts clients one after another, each served by a reader thread of its
// own. A failed accept (out of descriptors, say) is tried again after a
// short pause rather than at once.
void listen(int listener, notifier::Notifier& notifier, notifier::Pause& pause, DesktopLoop& loop) {
    for (;;) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno != EINTR && errno != ECONNABORTED) pause.wait(std::chrono::milliseconds(100));
            continue;
        }
        try {
            std::thread([client, &notifier, &pause, &loop] {
                SocketConnection connection(client);
                notifier::serveClient(connection, notifier, pause, [&loop] { loop.requestQuit(); });
            }).detach();
        } catch (const std::exception&) {
            ::close(client);
            pause.wait(std::chrono::milliseconds(100));
        }
    }
}

int run(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: eventtray SOCKET-PATH\n");
        return 1;
    }
    if (!takeSessionLock()) return 2;
    const std::string path = argv[1];

    // Everything lives until the process ends: reader threads may still be
    // running when the main thread leaves.
    auto* loop = new DesktopLoop;
    loop->open();
    auto* pause = new SleepPause;
    auto* shell = new NotificationShell(*loop);
    auto* notifier = new notifier::Notifier(*shell, *shell, *pause);
    if (loop->attach(*notifier, *shell)) notifier->sessionChanged(notifier::SessionLock);

    std::string why;
    const int listener = listenAt(path, why);
    if (listener < 0) {
        std::fprintf(stderr, "eventtray: cannot listen at %s: %s\n", path.c_str(), why.c_str());
        return 1;
    }
    struct stat created{};
    const bool haveCreated = ::lstat(path.c_str(), &created) == 0;
    std::thread(listen, listener, std::ref(*notifier), std::ref(*pause), std::ref(*loop)).detach();

    loop->run();
    notifier->destroy();
    // The socket file goes with the notifier, unless another has taken the
    // path since.
    struct stat now{};
    if (haveCreated && ::lstat(path.c_str(), &now) == 0 && now.st_ino == created.st_ino &&
        now.st_dev == created.st_dev) {
        ::unlink(path.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int code = 1;
    try {
        code = run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "eventtray: %s\n", e.what());
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // Reader threads are not stopped; the process ends with them.
    std::_Exit(code);
}

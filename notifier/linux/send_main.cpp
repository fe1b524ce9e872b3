// eventtray-send on Linux: the notifier's socket, one message per send.

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "notifier/send_client.h"

namespace {

class SocketClient : public notifier::PipeClient {
public:
    ~SocketClient() override {
        if (fd_ >= 0) ::close(fd_);
    }

    bool connect(const std::string& name, std::string& why) override {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (name.empty() || name.size() >= sizeof address.sun_path) {
            why = "the path is empty or too long";
            return false;
        }
        std::memcpy(address.sun_path, name.data(), name.size());
        fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            why = std::strerror(errno);
            return false;
        }
        return true;
    }

    bool write(std::string_view message, std::string& why) override {
        for (;;) {
            const ssize_t n = ::send(fd_, message.data(), message.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                why = std::strerror(errno);
                return false;
            }
            return true;
        }
    }

    // The notifier closes its end once it has read the end of what was
    // sent, so the close tells that every message was read.
    bool finish(std::string& why) override {
        if (::shutdown(fd_, SHUT_WR) != 0) {
            why = std::strerror(errno);
            return false;
        }
        char byte = 0;
        for (;;) {
            const ssize_t n = ::recv(fd_, &byte, 1, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != ECONNRESET) {
                why = std::strerror(errno);
                return false;
            }
            if (n <= 0) return true;
        }
    }

private:
    int fd_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        SocketClient client;
        return notifier::runSendClient(args, client, stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "eventtray-send: %s\n", e.what());
        return 1;
    }
}

// eventtray under many clients: 100 clients connected at once, each sending
// 10 messages, while the session is locked (display disabled, so no balloon
// waits). Reports the messages read, the time taken, and the notifier's peak
// resident memory and thread count.
//
// Usage: eventtray_bench [clients] [messages-per-client]
//
// Runs the built eventtray on a private session bus whose logind stand-in
// reports the session locked. A client knows that all its messages were
// read when the notifier closes the connection after the client's end.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_desktop.h"
#include "notifier/pipe_message.h"

using namespace notifier::testing;

namespace {

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// Threads and peak resident memory (kB) of a process, from /proc.
bool sample(pid_t pid, long& threads, long& peakKb) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool any = false;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) {
            threads = std::atol(line.c_str() + 8);
            any = true;
        } else if (line.rfind("VmHWM:", 0) == 0) {
            peakKb = std::atol(line.c_str() + 6);
        }
    }
    return any;
}

}  // namespace

int main(int argc, char** argv) {
    const int clients = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int perClient = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    TempFolder folder;
    PrivateBus bus(folder.path());
    FakeDesktop desktop(bus.address(), true);
    const std::string pipe = folder.path() + "/pipe";
    Process tray({EVENTTRAY_PATH, pipe},
                 {{"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                  {"EVENTTRAY_LOGIND_ADDRESS", bus.address()},
                  {"XDG_RUNTIME_DIR", folder.path()},
                  {"XDG_SESSION_ID", "bench"}},
                 "/dev/null", "/dev/null");
    if (!waitUntil([&] {
            const int fd = connectTo(pipe);
            if (fd >= 0) ::close(fd);
            return fd >= 0;
        })) {
        std::fprintf(stderr, "eventtray did not start\n");
        return 1;
    }
    long idleThreads = 0, idlePeak = 0;
    sample(tray.pid(), idleThreads, idlePeak);

    std::atomic<bool> sampling{true};
    long peakThreads = 0, peakKb = 0;
    std::thread sampler([&] {
        while (sampling) {
            long threads = 0, kb = 0;
            if (sample(tray.pid(), threads, kb)) {
                peakThreads = std::max(peakThreads, threads);
                peakKb = std::max(peakKb, kb);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    std::atomic<int> read{0};
    std::atomic<int> failed{0};
    std::barrier allConnected(clients);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const int fd = connectTo(pipe);
            allConnected.arrive_and_wait();
            if (fd < 0) {
                ++failed;
                return;
            }
            bool sent = true;
            for (int m = 0; m < perClient && sent; ++m) {
                const std::string message = notifier::encodeMessage(
                    2, notifier::utf8ToUtf16("client " + std::to_string(c) + " message " + std::to_string(m)));
                sent = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size());
            }
            char byte = 0;
            // The notifier closes its end only after reading everything sent.
            if (sent && ::shutdown(fd, SHUT_WR) == 0 && ::recv(fd, &byte, 1, 0) == 0) {
                read += perClient;
            } else {
                ++failed;
            }
            ::close(fd);
        });
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sampling = false;
    sampler.join();

    const auto shown = desktop.notifications().size();
    const int terminate = connectTo(pipe);
    const std::string request = notifier::encodeMessage(std::nullopt, notifier::kTerminateRequest);
    if (terminate >= 0) {
        [[maybe_unused]] const ssize_t n = ::send(terminate, request.data(), request.size(), MSG_NOSIGNAL);
        ::close(terminate);
    }
    const int code = tray.wait();

    std::printf("clients %d, messages per client %d\n", clients, perClient);
    std::printf("messages read       %d of %d (%d clients failed)\n", read.load(), clients * perClient,
                failed.load());
    std::printf("notifications shown %zu (display disabled)\n", shown);
    std::printf("time                %.3f s\n", seconds);
    std::printf("threads             %ld idle, %ld at peak\n", idleThreads, peakThreads);
    std::printf("peak resident       %ld kB (%ld kB before the clients)\n", peakKb, idlePeak);
    std::printf("exit code           %d\n", code);
    return read.load() == clients * perClient && shown == 0 && code == 0 ? 0 : 1;
}

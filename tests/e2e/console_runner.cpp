#include "console_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/array_model.h"

namespace e2e {

namespace {

std::vector<std::string> consoleCommand() {
    std::vector<std::string> words;
    const char* command = std::getenv("ARRAYCON_COMMAND");
    std::istringstream in(command != nullptr && *command != '\0' ? command : ARRAYCON_PATH);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

// The program is the command's last word: BUILD/console/arraycon(.exe).
std::string consoleBuildFolder() {
    const std::vector<std::string> command = consoleCommand();
    if (command.empty()) return std::string();
    return std::filesystem::path(command.back()).parent_path().parent_path().string();
}

namespace {

// Working directories of this test process, removed when it ends.
struct Directories {
    std::vector<std::string> made;
    ~Directories() {
        std::error_code ignored;
        for (const std::string& d : made) std::filesystem::remove_all(d, ignored);
    }
};
Directories directories;

std::string makeDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "arraycon-e2e-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    directories.made.push_back(buffer.data());
    return buffer.data();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace

RunResult runConsole(const std::string& input, const RunOptions& options) {
    RunResult result;
    result.directory = makeDirectory();
    if (options.simulatorFile && options.state) {
        writeFile(result.directory + "/state.json", nlohmann::json(*options.state).dump(2));
    }
    for (const auto& [name, text] : options.files) writeFile(result.directory + "/" + name, text);

    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
    const std::vector<std::string> command = consoleCommand();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (chdir(result.directory.c_str()) != 0) _exit(126);
        if (options.simulatorFile) {
            setenv("TALO_SIM", "state.json", 1);
        } else {
            unsetenv("TALO_SIM");
        }
        for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    std::thread alongside;
    if (options.alongside) alongside = std::thread(options.alongside, result.directory);

    // Feed input and drain both outputs together, so that neither side can
    // block the other. A run that hangs is ended after a generous limit.
    std::size_t written = 0;
    int inFd = in[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    bool outOpen = true, errOpen = true;
    bool exited = false;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (outOpen || errOpen) {
        // Once the console has ended, all it wrote is in the pipes: take it
        // and stop. Processes it started (under Wine, the system's own) may
        // hold the pipes open long after it.
        if (!exited && waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            for (int fd : {out[0], err[0]}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        if (exited) {
            for (int fd : {out[0], err[0]}) {
                if (fd == out[0] ? !outOpen : !errOpen) continue;
                char buffer[65536];
                ssize_t r;
                while ((r = read(fd, buffer, sizeof buffer)) > 0) {
                    (fd == out[0] ? result.output : result.errors)
                        .append(buffer, static_cast<std::size_t>(r));
                }
            }
            break;
        }
        pollfd fds[3];
        int n = 0;
        if (outOpen) fds[n++] = {out[0], POLLIN, 0};
        if (errOpen) fds[n++] = {err[0], POLLIN, 0};
        if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
        const int ready = poll(fds, static_cast<nfds_t>(n), 200);
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (ready <= 0) continue;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == inFd) {
                const ssize_t w = write(inFd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 || written == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buffer[65536];
            const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            if (r <= 0) {
                if (fds[i].fd == out[0]) outOpen = false;
                else errOpen = false;
                continue;
            }
            (fds[i].fd == out[0] ? result.output : result.errors)
                .append(buffer, static_cast<std::size_t>(r));
        }
    }
    if (inFd >= 0) close(inFd);
    close(out[0]);
    close(err[0]);
    if (!exited) waitpid(pid, &status, 0);
    if (alongside.joinable()) alongside.join();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string runAtPrompt(Mode mode, const std::string& lines, const RunOptions& options) {
    const RunResult run = runConsole((mode == Mode::Library ? "y" : "ny") + lines, options);
    static const std::string enter = "\nEnter ? or help for help.\n";
    const std::size_t at = run.output.find(enter);
    if (at == std::string::npos || run.exitCode != 0 || run.timedOut) {
        return "unexpected run (exit " + std::to_string(run.exitCode) + "):\n" + run.output;
    }
    return run.output.substr(at + enter.size());
}

bool targetIsWindows() {
    const std::vector<std::string> command = consoleCommand();
    const std::string& program = command.back();
    return program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
}

sim::State stateAfter(const RunResult& run) {
    std::ifstream in(run.directory + "/state.json");
    std::stringstream text;
    text << in.rdbuf();
    sim::State state = nlohmann::json::parse(text.str()).get<sim::State>();
    // As the controller sees it when next asked: finished activities done.
    sim::settleState(state);
    return state;
}

}  // namespace e2e

// eventtray-send on Windows: the notifier's named pipe, one message per
// write. Also, for tests and scripts:
//
//   eventtray-send --launch [--desktop NAME] PROGRAM PIPE
//
// starts PROGRAM (eventtray.exe) with the pipe name alone as its command
// line, as the controlling program does, waits for it and returns its exit
// code. With --desktop, the program runs on the named desktop (made when
// missing) instead of the caller's.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "notifier/pipe_message.h"
#include "notifier/send_client.h"

namespace {

std::wstring wide(const std::string& utf8) {
    const std::u16string text = notifier::utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = text ? text : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out;
}

class NamedPipeClient : public notifier::PipeClient {
public:
    ~NamedPipeClient() override {
        if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
    }

    bool connect(const std::string& name, std::string& why) override {
        const std::wstring path = wide(name);
        // Every instance may be taken for a moment; waiting for one is
        // tried a few times.
        for (int attempt = 0; attempt < 10; ++attempt) {
            pipe_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (pipe_ != INVALID_HANDLE_VALUE) return true;
            const DWORD error = GetLastError();
            if (error != ERROR_PIPE_BUSY) {
                why = systemMessage(error);
                return false;
            }
            WaitNamedPipeW(path.c_str(), 1000);
        }
        why = systemMessage(ERROR_PIPE_BUSY);
        return false;
    }

    bool write(std::string_view message, std::string& why) override {
        DWORD written = 0;
        if (!WriteFile(pipe_, message.data(), static_cast<DWORD>(message.size()), &written, nullptr)) {
            why = systemMessage(GetLastError());
            return false;
        }
        return true;
    }

    // Returns once the notifier has read everything written.
    bool finish(std::string& why) override {
        if (!FlushFileBuffers(pipe_)) {
            why = systemMessage(GetLastError());
            return false;
        }
        return true;
    }

private:
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
};

int launch(const std::string& desktop, const std::string& program, const std::string& commandLine) {
    const std::wstring application = wide(program);
    std::wstring line = wide(commandLine);
    std::wstring desktopName = wide(desktop);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!desktop.empty()) {
        if (!CreateDesktopW(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
            std::fprintf(stderr, "eventtray-send: cannot make the desktop %s: %s\n", desktop.c_str(),
                         systemMessage(GetLastError()).c_str());
            return 1;
        }
        startup.lpDesktop = desktopName.data();
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "eventtray-send: cannot start %s: %s\n", program.c_str(),
                     systemMessage(GetLastError()).c_str());
        return 1;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main() {
    try {
        int count = 0;
        LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
        std::vector<std::string> args;
        for (int i = 1; words && i < count; ++i) {
            const std::wstring w = words[i];
            args.push_back(notifier::utf16ToUtf8(std::u16string(w.begin(), w.end())));
        }
        if (words) LocalFree(words);
        if (!args.empty() && args[0] == "--launch") {
            std::string desktop;
            std::size_t first = 1;
            if (args.size() == 5 && args[1] == "--desktop") {
                desktop = args[2];
                first = 3;
            }
            if (args.size() != first + 2) {
                std::fprintf(stderr, "usage: eventtray-send --launch [--desktop NAME] PROGRAM PIPE\n");
                return 2;
            }
            return launch(desktop, args[first], args[first + 1]);
        }
        NamedPipeClient client;
        return notifier::runSendClient(args, client, stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "eventtray-send: %s\n", e.what());
        return 1;
    }
}

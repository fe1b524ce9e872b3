// eventtray on Windows: a hidden window that owns the notification icon and
// follows session changes, a named-pipe server whose whole command line is
// the pipe name, and one reader thread per connected client.

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <wtsapi32.h>

#include <cstdint>
#include <exception>
#include <string>

#include "notifier/notifier.h"
#include "notifier/pipe_message.h"
#include "notifier/win32/resource.h"

namespace {

// The record sizes the shell knows: with balloons (version 5.0 of the
// shell library) and with the item id as well.
static_assert(sizeof(DLLVERSIONINFO) == 20);
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAW_V2_SIZE == 936);
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAW_V3_SIZE == 952);
static_assert(sizeof(void*) != 8 || NOTIFYICONDATAW_V2_SIZE == 952);
static_assert(sizeof(void*) != 8 || NOTIFYICONDATAW_V3_SIZE == 968);
static_assert(sizeof(NOTIFYICONDATAW{}.szTip) / sizeof(wchar_t) == notifier::kTipChars);
static_assert(sizeof(NOTIFYICONDATAW{}.szInfo) / sizeof(wchar_t) == notifier::kInfoChars);
static_assert(sizeof(NOTIFYICONDATAW{}.szInfoTitle) / sizeof(wchar_t) == notifier::kInfoTitleChars);
static_assert(sizeof(wchar_t) == sizeof(char16_t));

constexpr DWORD kPipeBufferBytes = 4096;

using RegisterSessionNotification = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionNotification = BOOL(WINAPI*)(HWND);

HINSTANCE instance = nullptr;
HWND window = nullptr;
DWORD startSession = 0;  // kept for the record
bool sessionNotificationsRegistered = false;
UnregisterSessionNotification unregisterSessionNotification = nullptr;
notifier::Notifier* theNotifier = nullptr;
notifier::Pause* thePause = nullptr;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// A line for a debugger (or Wine's debugstr channel) to see.
void trace(const std::wstring& line) { OutputDebugStringW((L"eventtray: " + line + L"\n").c_str()); }

template <std::size_t N>
void copyField(wchar_t (&field)[N], std::u16string_view text) {
    const std::size_t n = text.size() < N ? text.size() : N - 1;
    for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<wchar_t>(text[i]);
    field[n] = 0;
}

// cbSize for the shell of this system: the record with balloons when the
// shell library is version 5.0 or later, else the one before.
DWORD iconRecordSize() {
    DWORD size = NOTIFYICONDATAW_V2_SIZE;
    if (HMODULE shell = LoadLibraryW(L"Shell32.dll")) {
        const auto getVersion =
            reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
        if (getVersion) {
            DLLVERSIONINFO info{};
            info.cbSize = sizeof info;
            if (SUCCEEDED(getVersion(&info)) && ((info.dwMajorVersion << 16) | info.dwMinorVersion) >= 0x50000) {
                size = NOTIFYICONDATAW_V3_SIZE;
            }
        }
        FreeLibrary(shell);
    }
    return size;
}

class ShellIcon : public notifier::TrayShell {
public:
    ShellIcon(HWND owner, DWORD size) : owner_(owner), size_(size) {}
    bool add(const notifier::IconRecord& r) override { return call(NIM_ADD, r, L"add"); }
    bool modify(const notifier::IconRecord& r) override { return call(NIM_MODIFY, r, L"modify"); }
    bool remove(const notifier::IconRecord& r) override { return call(NIM_DELETE, r, L"delete"); }

private:
    bool call(DWORD message, const notifier::IconRecord& r, const wchar_t* name) {
        NOTIFYICONDATAW data{};
        data.cbSize = size_;
        data.hWnd = owner_;
        data.uID = r.id;
        data.uFlags = r.flags;
        data.uCallbackMessage = r.callbackMessage;
        HICON icon = nullptr;
        if (r.icon != 0) {
            icon = static_cast<HICON>(
                LoadImageW(instance, MAKEINTRESOURCEW(r.icon), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
        }
        data.hIcon = icon;
        copyField(data.szTip, r.tip);
        copyField(data.szInfo, r.info);
        data.uTimeout = r.timeout;
        copyField(data.szInfoTitle, r.infoTitle);
        data.dwInfoFlags = r.infoFlags;
        const bool done = Shell_NotifyIconW(message, &data) != FALSE;
        if (icon) DestroyIcon(icon);
        trace(std::wstring(L"icon ") + name + (done ? L" done" : L" failed"));
        return done;
    }

    HWND owner_;
    DWORD size_;
};

class SessionMessageBox : public notifier::SessionMessenger {
public:
    void send(std::uint32_t style, std::u16string_view title, std::u16string_view text) override {
        DWORD session = WTSGetActiveConsoleSessionId();
        if (session == 0xFFFFFFFF) session = 0;
        std::wstring t = wide(title);
        std::wstring m = wide(text);
        DWORD response = 0;
        WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, session, t.data(), static_cast<DWORD>(2 * t.size() + 2), m.data(),
                        static_cast<DWORD>(2 * m.size() + 2), style, 15, &response, FALSE);
    }
};

class SleepPause : public notifier::Pause {
public:
    void wait(std::chrono::milliseconds duration) override { Sleep(static_cast<DWORD>(duration.count())); }
};

class PipeInstance : public notifier::PipeConnection {
public:
    explicit PipeInstance(HANDLE pipe) : pipe_(pipe) {}

    // One message per read. The part of a message past the buffer is read
    // and dropped, so that a long message does not end the connection.
    std::size_t read(std::span<std::uint8_t> buffer) override {
        DWORD got = 0;
        if (!ReadFile(pipe_, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            if (GetLastError() != ERROR_MORE_DATA) return 0;
            got = static_cast<DWORD>(buffer.size());
            char rest[1024];
            DWORD dropped = 0;
            while (!ReadFile(pipe_, rest, sizeof rest, &dropped, nullptr) && GetLastError() == ERROR_MORE_DATA) {
            }
        }
        if (got > 0) {
            trace(L"message: " + wide(notifier::decodeMessageText(buffer.first(got))));
        }
        return got;
    }

private:
    HANDLE pipe_;
};

DWORD WINAPI readerThread(LPVOID parameter) {
    const HANDLE pipe = static_cast<HANDLE>(parameter);
    try {
        PipeInstance connection(pipe);
        notifier::serveClient(connection, *theNotifier, *thePause,
                              [] { PostMessageW(window, WM_DESTROY, 0, 0); });
    } catch (const std::exception&) {
        // This client is given up; the notifier goes on.
    }
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    return 0;
}

// Accepts clients one after another. A pipe instance that cannot be made (a
// name the system refuses, say) is tried again after a short pause, so that
// the thread does not take a whole processor while it waits.
DWORD WINAPI listenerThread(LPVOID parameter) {
    const auto* name = static_cast<const wchar_t*>(parameter);
    for (;;) {
        const HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                             PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            Sleep(100);
            continue;
        }
        const bool connected = ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        if (!connected) {
            CloseHandle(pipe);
            continue;
        }
        const HANDLE reader = CreateThread(nullptr, 0, readerThread, pipe, 0, nullptr);
        if (reader) {
            CloseHandle(reader);
        } else {
            DisconnectNamedPipe(pipe);
            CloseHandle(pipe);
            Sleep(100);
        }
    }
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            if (theNotifier) theNotifier->destroy();
            if (sessionNotificationsRegistered && unregisterSessionNotification) {
                unregisterSessionNotification(hwnd);
                sessionNotificationsRegistered = false;
            }
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(hwnd, &paint);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_COMMAND:
            return 0;
        case WM_WTSSESSION_CHANGE:
            if (theNotifier) theNotifier->sessionChanged(static_cast<std::uint32_t>(wParam));
            return 0;
        case notifier::kIconCallbackMessage:
            if (theNotifier) theNotifier->iconCallback(static_cast<std::uintptr_t>(lParam));
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int run(HINSTANCE hInstance) {
    instance = hInstance;
    const std::wstring mutexName =
        L"Local\\EventTrayClient" + std::to_wstring(static_cast<int>(WTSGetActiveConsoleSessionId()));
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 2;  // the handle stays open until exit

    const wchar_t* pipeName = GetCommandLineW();

    wchar_t title[100] = {};
    wchar_t className[100] = {};
    LoadStringW(instance, IDS_APP_TITLE, title, 100);
    LoadStringW(instance, IDC_EVENTTRAY, className, 100);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_EVENTTRAY));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDC_EVENTTRAY);
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    RegisterClassExW(&windowClass);

    startSession = WTSGetActiveConsoleSessionId();

    window = CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 200, 25, nullptr, nullptr,
                             instance, nullptr);
    if (!window) return 0;

    // Everything lives until the process ends: reader threads may still be
    // running when the message loop has ended.
    auto* shell = new ShellIcon(window, iconRecordSize());
    auto* messenger = new SessionMessageBox;
    thePause = new SleepPause;
    theNotifier = new notifier::Notifier(*shell, *messenger, *thePause);

    if (HMODULE wts = GetModuleHandleW(L"WtsApi32.dll")) {
        const auto registerFn = reinterpret_cast<RegisterSessionNotification>(
            reinterpret_cast<void*>(GetProcAddress(wts, "WTSRegisterSessionNotification")));
        const auto unregisterFn = reinterpret_cast<UnregisterSessionNotification>(
            reinterpret_cast<void*>(GetProcAddress(wts, "WTSUnRegisterSessionNotification")));
        if (registerFn && unregisterFn) {
            unregisterSessionNotification = unregisterFn;
            if (registerFn(window, NOTIFY_FOR_THIS_SESSION)) sessionNotificationsRegistered = true;
        }
    }

    const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_EVENTTRAY));

    const HANDLE listener = CreateThread(nullptr, 0, listenerThread, const_cast<wchar_t*>(pipeName), 0, nullptr);
    if (listener) CloseHandle(listener);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    try {
        return run(hInstance);
    } catch (const std::exception&) {
        return 1;
    }
}

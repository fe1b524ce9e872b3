// Shared libraries (DLLs) through the Windows loader.

#include "platform/shared_library.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

std::string systemText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = n != 0 && text != nullptr ? std::string(text, n) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    if (out.empty()) out = "system error " + std::to_string(code);
    return out;
}

}  // namespace

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void SharedLibrary::close() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

bool SharedLibrary::open(const std::string& nameOrPath) {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
    // A missing DLL, or one of its own dependencies, is this program's to
    // report: no loader dialog.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const bool hasFolder = nameOrPath.find_first_of("\\/") != std::string::npos;
    HMODULE module = nullptr;
    if (hasFolder) {
        // Its own dependencies are looked for beside it first.
        module = LoadLibraryExA(nameOrPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    } else {
        // The working directory is nobody's choice of library: take it out
        // of the search, leaving the program's folder and the DLL path.
        SetDllDirectoryA("");
        module = LoadLibraryA(nameOrPath.c_str());
    }
    const DWORD code = GetLastError();
    SetErrorMode(oldMode);
    if (module == nullptr) {
        error_ = systemText(code);
        return false;
    }
    handle_ = module;
    error_.clear();
    return true;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string SharedLibrary::path() const {
    if (handle_ == nullptr) return std::string();
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(handle_), buffer, sizeof buffer);
    return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

std::string programDirectory() {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    std::string path(buffer, n);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string sharedLibraryFileName(const char* stem, int) { return std::string(stem) + ".dll"; }

std::string librarySearchDescription() {
    const std::string folder = programDirectory();
    return (folder.empty() ? std::string("beside the program") : "beside the program in " + folder) +
           ", then on the system's DLL search path";
}

char pathSeparator() { return '\\'; }

bool isRegularFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace platform

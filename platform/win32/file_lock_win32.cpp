#include <windows.h>

#include <string>

#include "platform/file_lock.h"

namespace platform {

FileLock::FileLock(const std::string& path, bool exclusive) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    handle_ = reinterpret_cast<long long>(file);
    OVERLAPPED whole{};
    held_ = LockFileEx(file, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD,
                       &whole) != 0;
}

FileLock::~FileLock() {
    if (handle_ == -1) return;
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    if (held_) {
        OVERLAPPED whole{};
        UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    }
    CloseHandle(file);
}

namespace {

std::int64_t fileTime(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
}

// The version of an open file. NTFS file indices carry a sequence number, so
// a new file never takes an old one's index.
bool versionOf(HANDLE file, TrackedFile::Version& v) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) == 0) return false;
    v.volume = info.dwVolumeSerialNumber;
    v.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    v.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    v.modified = fileTime(info.ftLastWriteTime);
    v.changed = fileTime(info.ftCreationTime);
    return true;
}

std::string failure(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": system error " + std::to_string(GetLastError());
}

HANDLE openForQuery(const std::string& path, DWORD access) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TrackedFile::~TrackedFile() { forget(); }

void TrackedFile::forget() {
    held_ = false;
    handle_ = -1;
}

TrackedFile::ReadResult TrackedFile::read(const std::string& path, std::string& text) {
    forget();
    HANDLE file = openForQuery(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return ReadResult::Missing;
        error_ = failure("cannot open", path);
        return ReadResult::Failed;
    }
    Version version;
    if (!versionOf(file, version)) {
        error_ = failure("cannot examine", path);
        CloseHandle(file);
        return ReadResult::Failed;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (ReadFile(file, buffer, sizeof buffer, &got, nullptr) == 0) {
            error_ = failure("cannot read", path);
            CloseHandle(file);
            return ReadResult::Failed;
        }
        if (got == 0) break;
        text.append(buffer, got);
    }
    CloseHandle(file);
    version_ = version;
    held_ = true;
    return ReadResult::Read;
}

bool TrackedFile::write(const std::string& path, const std::string& text) {
    forget();
    const std::string temporary = path + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = failure("cannot write", temporary);
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t chunk = text.size() - done < 0x10000000u ? text.size() - done : 0x10000000u;
        DWORD wrote = 0;
        if (WriteFile(file, text.data() + done, static_cast<DWORD>(chunk), &wrote, nullptr) == 0 ||
            wrote == 0) {
            error_ = failure("cannot write", temporary);
            CloseHandle(file);
            return false;
        }
        done += wrote;
    }
    if (FlushFileBuffers(file) == 0) {
        error_ = failure("cannot flush", temporary);
        CloseHandle(file);
        return false;
    }
    CloseHandle(file);
    if (MoveFileExA(temporary.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error_ = failure("cannot rename over", path);
        return false;
    }
    HANDLE written = openForQuery(path, 0);
    Version version;
    const bool known = written != INVALID_HANDLE_VALUE && versionOf(written, version);
    if (written != INVALID_HANDLE_VALUE) CloseHandle(written);
    if (!known) {
        error_ = failure("cannot examine", path);
        return false;
    }
    version_ = version;
    held_ = true;
    return true;
}

bool TrackedFile::unchanged(const std::string& path) const {
    if (!held_) return false;
    HANDLE file = openForQuery(path, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    Version version;
    const bool known = versionOf(file, version);
    CloseHandle(file);
    return known && version == version_;
}

}  // namespace platform

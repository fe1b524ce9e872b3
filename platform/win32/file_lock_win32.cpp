#include <windows.h>

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

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_lock.h"

namespace platform {

FileLock::FileLock(const std::string& path, bool exclusive) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    handle_ = fd;
    int rc;
    do {
        rc = ::flock(fd, exclusive ? LOCK_EX : LOCK_SH);
    } while (rc != 0 && errno == EINTR);
    held_ = rc == 0;
}

FileLock::~FileLock() {
    if (handle_ >= 0) {
        const int fd = static_cast<int>(handle_);
        if (held_) ::flock(fd, LOCK_UN);
        ::close(fd);
    }
}

bool replaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace platform

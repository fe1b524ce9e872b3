#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

namespace {

TrackedFile::Version versionOf(const struct stat& st) {
    TrackedFile::Version v;
    v.volume = static_cast<std::uint64_t>(st.st_dev);
    v.file = static_cast<std::uint64_t>(st.st_ino);
    v.size = static_cast<std::uint64_t>(st.st_size);
    v.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    v.changed = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return v;
}

std::string failure(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int fsyncRetrying(int fd) {
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

TrackedFile::~TrackedFile() { forget(); }

void TrackedFile::forget() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
    held_ = false;
}

TrackedFile::ReadResult TrackedFile::read(const std::string& path, std::string& text) {
    forget();
    const int fd = openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ReadResult::Missing;
        error_ = failure("cannot open", path);
        return ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = failure("cannot examine", path);
        ::close(fd);
        return ReadResult::Failed;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = failure("cannot read", path);
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    handle_ = fd;
    version_ = versionOf(st);
    held_ = true;
    return ReadResult::Read;
}

bool TrackedFile::write(const std::string& path, const std::string& text) {
    forget();
    const std::string temporary = path + ".tmp";
    const int fd = openRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_ = failure("cannot write", temporary);
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = failure("cannot write", temporary);
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsyncRetrying(fd) != 0) {
        error_ = failure("cannot flush", temporary);
        ::close(fd);
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error_ = failure("cannot rename over", path);
        ::close(fd);
        return false;
    }
    // The rename is a change of the folder: flush it as well.
    const std::string folder = folderOf(path);
    const int dir = openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsyncRetrying(dir) != 0) {
        error_ = failure("cannot flush the folder", folder);
        if (dir >= 0) ::close(dir);
        ::close(fd);
        return false;
    }
    ::close(dir);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = failure("cannot examine", path);
        ::close(fd);
        return false;
    }
    handle_ = fd;
    version_ = versionOf(st);
    held_ = true;
    return true;
}

bool TrackedFile::unchanged(const std::string& path) const {
    if (!held_) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return versionOf(st) == version_;
}

}  // namespace platform

#pragma once
// Advisory whole-file locks between processes, and files replaced in one
// durable step, for state files that several processes share.

#include <cstdint>
#include <string>

namespace platform {

class FileLock {
public:
    // Blocks until the lock on the file at path (created when missing) is held.
    FileLock(const std::string& path, bool exclusive);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return held_; }

private:
    bool held_ = false;
    long long handle_ = -1;
};

// A file that is only ever replaced whole, and the version of it last read or
// written here. The version is what the system tells without reading the
// file: which file it is (device and inode; volume and file index), its size
// and its times to the finest unit kept. While a version is held, no other
// file can take its identity (on POSIX the file is kept open), so a file at
// the same path with the same version is the same content.
class TrackedFile {
public:
    enum class ReadResult { Read, Missing, Failed };

    TrackedFile() = default;
    ~TrackedFile();
    TrackedFile(const TrackedFile&) = delete;
    TrackedFile& operator=(const TrackedFile&) = delete;

    // Reads the whole file at path and holds its version.
    ReadResult read(const std::string& path, std::string& text);
    // Replaces the file at path with text so that the change survives a
    // power loss once this returns true: text goes to path + ".tmp", which is
    // flushed to the disk and renamed over path, and the rename is flushed
    // too. Readers see either the old file or the new one, never a mixture.
    // Holds the new file's version.
    bool write(const std::string& path, const std::string& text);
    // True when the file at path is still the version held.
    bool unchanged(const std::string& path) const;
    // Holds no version any more.
    void forget();
    // Why the last read or write failed.
    const std::string& error() const { return error_; }

    struct Version {
        std::uint64_t volume = 0;
        std::uint64_t file = 0;
        std::uint64_t size = 0;
        std::int64_t modified = 0;
        std::int64_t changed = 0;
        bool operator==(const Version&) const = default;
    };

private:
    bool held_ = false;
    Version version_;
    long long handle_ = -1;  // POSIX: the file kept open
    std::string error_;
};

}  // namespace platform

#pragma once
// Advisory whole-file locks between processes, and replacing a file in one
// step, for state files that several processes share.

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

// Renames from over to, replacing to if it exists. Readers see either the old
// file or the new one, never a mixture.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace platform

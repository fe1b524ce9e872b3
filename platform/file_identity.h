#pragma once
// Which file an open stream reads: two streams opened through different
// names (another spelling of a path, a link) read the same file when their
// identities are equal.

#include <cstdint>
#include <cstdio>

namespace platform {

struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file behind an open stream; false when the system
// cannot tell.
bool fileIdentity(std::FILE* stream, FileIdentity& identity);

}  // namespace platform

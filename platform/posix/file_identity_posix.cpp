#include <sys/stat.h>

#include "platform/file_identity.h"

namespace platform {

bool fileIdentity(std::FILE* stream, FileIdentity& identity) {
    struct stat status {};
    if (stream == nullptr || ::fstat(::fileno(stream), &status) != 0) return false;
    identity.volume = static_cast<std::uint64_t>(status.st_dev);
    identity.file = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

}  // namespace platform

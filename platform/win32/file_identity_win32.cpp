#include <io.h>
#include <windows.h>

#include "platform/file_identity.h"

namespace platform {

bool fileIdentity(std::FILE* stream, FileIdentity& identity) {
    if (stream == nullptr) return false;
    const intptr_t osHandle = _get_osfhandle(_fileno(stream));
    if (osHandle == -1) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(osHandle), &info) == 0) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace platform

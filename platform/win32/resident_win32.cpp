#include <windows.h>

#include "platform/resident.h"

namespace platform {

bool SharedMemory::open(const std::string& name, std::size_t size) {
    close();
    if (size == 0 || name.empty()) return false;
    // Backed by the page file; a new section is zero-filled.
    HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), name.c_str());
    if (section == nullptr) return false;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    void* view = MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (view == nullptr) {
        CloseHandle(section);
        return false;
    }
    handle_ = reinterpret_cast<long long>(section);
    data_ = static_cast<std::uint8_t*>(view);
    size_ = size;
    created_ = created;
    return true;
}

void SharedMemory::close() {
    if (data_ != nullptr) UnmapViewOfFile(data_);
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    data_ = nullptr;
    size_ = 0;
    created_ = false;
    handle_ = -1;
}

InstanceMark::Claim InstanceMark::claim(const std::string& name) {
    release();
    if (name.empty()) return Claim::Failed;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return Claim::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Claim::Taken;
    }
    handle_ = reinterpret_cast<long long>(mutex);
    return Claim::First;
}

void InstanceMark::release() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

bool Speaker::find() { return true; }

Speaker::~Speaker() = default;

void Speaker::tone(unsigned hz, unsigned ms) { Beep(hz, ms); }

WordPlace commandWordPlace() { return WordPlace::Argument0; }

}  // namespace platform

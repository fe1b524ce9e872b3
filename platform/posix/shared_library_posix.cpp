// Shared libraries through the dynamic loader.

#include "platform/shared_library.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

void SharedLibrary::close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

bool SharedLibrary::open(const std::string& nameOrPath) {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    // Every symbol now, so that a library that cannot be used fails here,
    // not halfway through a command; its own symbols stay its own.
    handle_ = dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : "the library cannot be loaded";
        return false;
    }
    error_.clear();
    return true;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return dlsym(handle_, name);
}

std::string SharedLibrary::path() const {
    if (handle_ == nullptr) return std::string();
    link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) {
        return std::string();
    }
    return map->l_name;
}

std::string programDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string sharedLibraryFileName(const char* stem, int majorVersion) {
    return std::string("lib") + stem + ".so." + std::to_string(majorVersion);
}

std::string librarySearchDescription() {
    return "on the system's library path: LD_LIBRARY_PATH, the loader's cache, /lib, /usr/lib";
}

char pathSeparator() { return '/'; }

bool isRegularFile(const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace platform

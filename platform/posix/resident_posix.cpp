#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/kd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/resident.h"

namespace platform {

namespace {

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

// ---- shared memory ---------------------------------------------------------

bool SharedMemory::open(const std::string& name, std::size_t size) {
    close();
    if (size == 0 || name.empty() || name.find('/') != std::string::npos) return false;
    const std::string object = "/" + name;
    int fd = -1;
    bool created = false;
    // Created here, or opened as another process left it. The block may be
    // created between the two tries, but never removed, so two rounds do.
    for (int round = 0; round < 2 && fd < 0; ++round) {
        fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            created = true;
            // The mode given is cut by the umask: set it whole.
            ::fchmod(fd, 0600);
            break;
        }
        if (errno != EEXIST) return false;
        fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
        if (fd < 0 && errno != ENOENT) return false;
    }
    if (fd < 0) return false;
    // A block just created is empty until its creator sizes it, and another
    // process may open it before then: whoever finds it short grows it (with
    // zeros; growing to the same size twice changes nothing), so that no
    // byte of the mapping lies past the block's end.
    struct stat st {};
    if (::fstat(fd, &st) != 0 ||
        (static_cast<std::size_t>(st.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        ::close(fd);
        return false;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    // The mapping stays valid without the descriptor.
    ::close(fd);
    data_ = static_cast<std::uint8_t*>(mapped);
    size_ = size;
    created_ = created;
    return true;
}

void SharedMemory::close() {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
    created_ = false;
}

// ---- instance mark -----------------------------------------------------------

namespace {

bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// The user's runtime directory: XDG_RUNTIME_DIR, else the system's usual
// one for the user, else a private folder of the user's own in /tmp.
std::string runtimeFolder() {
    const char* given = std::getenv("XDG_RUNTIME_DIR");
    if (given != nullptr && given[0] == '/') return given;
    const std::string uid = std::to_string(::getuid());
    const std::string usual = "/run/user/" + uid;
    if (isPrivateFolder(usual)) return usual;
    const std::string own = "/tmp/talo-" + uid;
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return {};
    if (!isPrivateFolder(own)) return {};
    return own;
}

}  // namespace

InstanceMark::Claim InstanceMark::claim(const std::string& name) {
    release();
    if (name.empty() || name.find('/') != std::string::npos) return Claim::Failed;
    const std::string folder = runtimeFolder();
    if (folder.empty()) return Claim::Failed;
    const std::string path = folder + "/" + name + ".lock";
    const int fd = openRetrying(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Claim::Failed;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return taken ? Claim::Taken : Claim::Failed;
    }
    // The lock lives as long as the descriptor: it goes when the process
    // does, however it ends. The file itself stays, so every process locks
    // the same file.
    handle_ = fd;
    return Claim::First;
}

void InstanceMark::release() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

// ---- speaker -----------------------------------------------------------------

namespace {

// The input device sounding a tone now; a tone there lasts until it is
// turned off, so a signal that ends the process turns it off first.
volatile sig_atomic_t soundingDevice = -1;

bool writeTone(int fd, int hz) {
    input_event event {};
    event.type = EV_SND;
    event.code = SND_TONE;
    event.value = hz;
    ssize_t n;
    do {
        n = ::write(fd, &event, sizeof event);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof event);
}

void silenceAndEnd(int signal) {
    const int fd = soundingDevice;
    if (fd >= 0) writeTone(fd, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void guardAgainstEndingSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction guard {};
        guard.sa_handler = silenceAndEnd;
        sigemptyset(&guard.sa_mask);
        ::sigaction(signal, &guard, nullptr);
    }
}

bool hasBit(const unsigned long* bits, unsigned bit) {
    constexpr unsigned perWord = 8 * sizeof(unsigned long);
    return (bits[bit / perWord] >> (bit % perWord)) & 1UL;
}

// An input device that sounds tones: the PC speaker's, as the kernel offers it.
int openToneDevice() {
    DIR* folder = ::opendir("/dev/input");
    if (folder == nullptr) return -1;
    int found = -1;
    while (found < 0) {
        const dirent* entry = ::readdir(folder);
        if (entry == nullptr) break;
        if (std::strncmp(entry->d_name, "event", 5) != 0) continue;
        const std::string path = std::string("/dev/input/") + entry->d_name;
        const int fd = openRetrying(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) continue;
        unsigned long types[(EV_MAX + 1 + 8 * sizeof(unsigned long) - 1) / (8 * sizeof(unsigned long))] = {};
        unsigned long sounds[(SND_MAX + 1 + 8 * sizeof(unsigned long) - 1) / (8 * sizeof(unsigned long))] = {};
        if (::ioctl(fd, EVIOCGBIT(0, sizeof types), types) >= 0 && hasBit(types, EV_SND) &&
            ::ioctl(fd, EVIOCGBIT(EV_SND, sizeof sounds), sounds) >= 0 && hasBit(sounds, SND_TONE)) {
            found = fd;
        } else {
            ::close(fd);
        }
    }
    ::closedir(folder);
    return found;
}

// A virtual console that takes tone requests.
int openToneConsole() {
    for (const char* path : {"/dev/tty0", "/dev/console", "/dev/vc/0"}) {
        const int fd = openRetrying(path, O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) continue;
        // A tone of no length: refused where the console does not play tones
        // or this process may not ask it to.
        if (::ioctl(fd, KDMKTONE, 0) == 0) return fd;
        ::close(fd);
    }
    return -1;
}

void pause(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

bool Speaker::find() {
    handle_ = openToneDevice();
    if (handle_ >= 0) {
        kind_ = Kind::InputDevice;
        guardAgainstEndingSignals();
        return true;
    }
    handle_ = openToneConsole();
    if (handle_ >= 0) {
        kind_ = Kind::Console;
        return true;
    }
    kind_ = Kind::None;
    return false;
}

Speaker::~Speaker() {
    if (handle_ >= 0) ::close(handle_);
}

void Speaker::tone(unsigned hz, unsigned ms) {
    // Looked for again at every tone while there is none: a speaker may come
    // (a module loaded, a permission granted) while the program runs.
    if (kind_ == Kind::None && !find()) {
        pause(ms);
        return;
    }
    if (kind_ == Kind::InputDevice) {
        soundingDevice = handle_;
        const bool sounded = writeTone(handle_, static_cast<int>(hz));
        pause(ms);
        if (sounded) writeTone(handle_, 0);
        soundingDevice = -1;
        if (!sounded) {  // the device went away: look again next time
            ::close(handle_);
            handle_ = -1;
            kind_ = Kind::None;
        }
        return;
    }
    // The console's timer counts at 1193182 Hz; the tone's length goes in
    // the upper 16 bits, in milliseconds, and the console ends it itself.
    const unsigned long period = hz == 0 ? 0 : 1193182UL / hz;
    const unsigned long length = ms > 0xFFFF ? 0xFFFF : ms;
    if (::ioctl(handle_, KDMKTONE, (length << 16) | (period & 0xFFFF)) != 0) {
        ::close(handle_);
        handle_ = -1;
        kind_ = Kind::None;
    }
    pause(ms);
}

WordPlace commandWordPlace() { return WordPlace::Argument1WhenGiven; }

}  // namespace platform

#pragma once
// What a program that stays resident in the background needs from the
// system: a small block of memory that processes share by name, a mark that
// one process at a time holds, and the PC speaker.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A named block of shared memory, mapped for reading and writing. The block
// outlives the processes that use it: nothing here ever removes it, so every
// process that opens the same name reaches the same bytes.
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory() { close(); }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Opens the block called name, creating it zero-filled (readable and
    // writable by this user only) when it does not exist, and maps size
    // bytes of it. False when that fails; nothing stays open then.
    bool open(const std::string& name, std::size_t size);
    void close();

    std::uint8_t* data() const { return data_; }
    // True when open created the block.
    bool created() const { return created_; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool created_ = false;
    long long handle_ = -1;
};

// The mark of the one running instance of a program, by name. A process
// that ends in any way gives up its mark.
//   POSIX:   an exclusive lock on the file name + ".lock" in the user's
//            runtime directory;
//   Windows: a named mutex; the process that creates it holds the mark.
class InstanceMark {
public:
    enum class Claim { First, Taken, Failed };

    InstanceMark() = default;
    ~InstanceMark() { release(); }
    InstanceMark(const InstanceMark&) = delete;
    InstanceMark& operator=(const InstanceMark&) = delete;

    // First: this process now holds the mark. Taken: another process holds
    // it. Failed: the mark could not be made.
    Claim claim(const std::string& name);
    void release();

private:
    long long handle_ = -1;
};

// The PC speaker.
class Speaker {
public:
    Speaker() = default;
    ~Speaker();
    Speaker(const Speaker&) = delete;
    Speaker& operator=(const Speaker&) = delete;

    // Sounds hz for ms milliseconds and returns when the tone has ended.
    // Without a speaker it waits as long in silence.
    void tone(unsigned hz, unsigned ms);

private:
    enum class Kind { None, InputDevice, Console };
    bool find();
    Kind kind_ = Kind::None;
    int handle_ = -1;
};

// Where a program started with a command word finds the word. On Windows
// the starting program passes it as the whole command line, so it is
// argument 0; on POSIX systems it is typed after the program's name, so it
// is argument 1 when there is one (and argument 0 otherwise, for a starter
// that sets the program's argument 0 itself).
enum class WordPlace { Argument0, Argument1WhenGiven };
WordPlace commandWordPlace();

}  // namespace platform

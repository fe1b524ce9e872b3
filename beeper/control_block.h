#pragma once
// The control block that starts of sounder share with the resident
// instance: 32 bytes of named shared memory.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/record.h"

namespace beeper {

struct ControlBlock {
    static constexpr std::size_t kSize = 32;
    REC_FIELDS((Stop, rec::LeField<std::uint8_t, 0>),   // 1: the resident is to end
               (Sound, rec::LeField<std::uint8_t, 1>),  // 1: beep; 0: stay silent
               (Reserved, rec::Bytes<2, 30>))            // zero
};
static_assert(rec::checkLayout<ControlBlock>());
static_assert(ControlBlock::Stop::offset == 0 && ControlBlock::Sound::offset == 1);
static_assert(ControlBlock::Reserved::offset + ControlBlock::Reserved::width == ControlBlock::kSize);

// The flags of a mapped control block. Other processes write them at any
// time and the resident's two threads read them without a lock: each flag is
// one byte, loaded and stored whole, never cached.
class ControlFlags {
public:
    explicit ControlFlags(std::uint8_t* bytes) : bytes_(bytes) {}

    bool stop() const { return load<ControlBlock::Stop>() != 0; }
    bool sound() const { return load<ControlBlock::Sound>() != 0; }
    void set(bool stop, bool sound) {
        store<ControlBlock::Stop>(stop ? 1 : 0);
        store<ControlBlock::Sound>(sound ? 1 : 0);
    }
    // All 32 bytes zero, as a new block is.
    void clear() {
        for (std::size_t i = 0; i < ControlBlock::kSize; ++i) byte(i).store(0);
    }

private:
    using Byte = std::atomic_ref<std::uint8_t>;
    static_assert(Byte::is_always_lock_free, "the flags are shared between processes");

    Byte byte(std::size_t offset) const { return Byte(bytes_[offset]); }
    template <typename F>
    std::uint8_t load() const {
        static_assert(F::width == 1);
        return byte(F::offset).load();
    }
    template <typename F>
    void store(std::uint8_t value) {
        static_assert(F::width == 1);
        byte(F::offset).store(value);
    }

    std::uint8_t* bytes_;
};

}  // namespace beeper

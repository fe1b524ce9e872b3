#pragma once
// sounder's work: a start writes its request into the control block; the
// first start stays as the resident instance, watching the block and
// beeping while it is asked to.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "beeper/command_word.h"
#include "beeper/control_block.h"

namespace beeper {

// Raised by the resident's main thread when it has seen stop and is ending:
// it wakes the beep thread at once, and ends it even if a later start has
// cleared stop again in the meantime.
class EndSignal {
public:
    void raise() {
        {
            std::lock_guard lock(mutex_);
            raised_ = true;
        }
        changed_.notify_all();
    }
    bool raised() const {
        std::lock_guard lock(mutex_);
        return raised_;
    }
    // Waits for the time given or until the signal is raised.
    void waitFor(std::chrono::milliseconds time) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, time, [this] { return raised_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool raised_ = false;
};

// What the alarm needs from the system.
class AlarmHost {
public:
    enum class Claim { Resident, AnotherRuns, Failed };

    virtual ~AlarmHost() = default;
    // The control block's 32 bytes, created when missing (created is then
    // true), or null when the block cannot be had.
    virtual std::uint8_t* openBlock(bool& created) = 0;
    virtual void closeBlock() = 0;
    // Makes this process the resident instance, unless another one is.
    virtual Claim claimInstance() = 0;
    virtual void releaseInstance() = 0;
    virtual void sleepMs(unsigned ms) = 0;
    // The beep thread's wait between two looks at the block: ms, or less
    // when end is raised.
    virtual void beeperWait(unsigned ms, EndSignal& end) = 0;
    // Sounds a tone and returns when it has ended.
    virtual void tone(unsigned hz, unsigned ms) = 0;
};

// Tone of the alarm: the same number is the frequency in hertz and the
// length in milliseconds; the alarm alternates low and high, low first.
inline constexpr unsigned kLowTone = 300;
inline constexpr unsigned kHighTone = 500;
// The beep thread looks at the block every 50 times 30 ms (1.5 s): at stop
// to end, then at sound to beep. It waits that time out in one wait, which
// the main thread cuts short when it ends: polling stop every 30 ms would
// change nothing that can be seen (the process ends when the main thread
// sees stop, and no tone follows a stop either way) and would wake the
// process 33 times a second.
inline constexpr unsigned kCycleMs = 50 * 30;
// The main thread looks at stop after 1 s, then every 2 s.
inline constexpr unsigned kWatchMs = 1000;

// One start of the program with its request; returns when the program is to
// end (at once, unless this start becomes the resident instance).
void runSounder(AlarmHost& host, Request request);

// The beep thread: until stop is set or end raised, every 1.5 s a tone
// when sound is set.
void beepUntilStop(AlarmHost& host, const ControlFlags& flags, EndSignal& end);
// The main thread of the resident instance: returns once it sees stop set.
void watchUntilStop(AlarmHost& host, const ControlFlags& flags);

}  // namespace beeper

#pragma once
// sounder's work: a start writes its request into the control block; the
// first start stays as the resident instance, watching the block and
// beeping while it is asked to.

#include <cstdint>

#include "beeper/command_word.h"
#include "beeper/control_block.h"

namespace beeper {

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
    // Sounds a tone and returns when it has ended.
    virtual void tone(unsigned hz, unsigned ms) = 0;
};

// Tone of the alarm: the same number is the frequency in hertz and the
// length in milliseconds; the alarm alternates low and high, low first.
inline constexpr unsigned kLowTone = 300;
inline constexpr unsigned kHighTone = 500;
// The beep thread looks at stop every 30 ms, and between two tones (or two
// looks at sound) at most 50 times.
inline constexpr unsigned kPollMs = 30;
inline constexpr int kPollsPerTone = 50;
// The main thread looks at stop after 1 s, then every 2 s.
inline constexpr unsigned kWatchMs = 1000;

// One start of the program with its request; returns when the program is to
// end (at once, unless this start becomes the resident instance).
void runSounder(AlarmHost& host, Request request);

// The beep thread: until stop is set, every 1.5 s a tone when sound is set.
void beepUntilStop(AlarmHost& host, const ControlFlags& flags);
// The main thread of the resident instance: returns once it sees stop set.
void watchUntilStop(AlarmHost& host, const ControlFlags& flags);

}  // namespace beeper

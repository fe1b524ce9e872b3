#include "beeper/alarm.h"

#include <thread>

namespace beeper {

void beepUntilStop(AlarmHost& host, const ControlFlags& flags, EndSignal& end) {
    bool high = false;
    for (;;) {
        if (!flags.stop() && !end.raised()) host.beeperWait(kCycleMs, end);
        if (flags.stop() || end.raised()) return;
        if (flags.sound()) {
            const unsigned tone = high ? kHighTone : kLowTone;
            host.tone(tone, tone);
            high = !high;
        }
    }
}

void watchUntilStop(AlarmHost& host, const ControlFlags& flags) {
    host.sleepMs(kWatchMs);
    while (!flags.stop()) {
        host.sleepMs(kWatchMs);
        host.sleepMs(kWatchMs);
    }
}

namespace {

// The resident's work, with its beep thread, until stop is set. False when
// the beep thread could not be started.
bool serve(AlarmHost& host, const ControlFlags& flags) {
    EndSignal end;
    std::thread beeper;
    try {
        beeper = std::thread([&host, &flags, &end] {
            try {
                beepUntilStop(host, flags, end);
            } catch (...) {
                // Out of memory for a tone log line, say: the resident stays,
                // silent, and ends as asked.
            }
        });
    } catch (...) {
        return false;
    }
    watchUntilStop(host, flags);
    // The beep thread ends at once (or after the tone it is playing).
    end.raise();
    beeper.join();
    return true;
}

}  // namespace

void runSounder(AlarmHost& host, Request request) {
    bool created = false;
    std::uint8_t* bytes = host.openBlock(created);
    if (bytes == nullptr) return;
    ControlFlags flags(bytes);
    if (created) flags.clear();
    applyRequest(flags, request);
    // A start that finds a resident leaves its request to it. One that comes
    // while the resident is ending may find it still there, after its last
    // look at stop: so a resident that has given up its mark looks once more,
    // and when stop has been cleared meanwhile it claims the mark again and
    // goes on (or, if the late start took the mark first, leaves it to it).
    while (host.claimInstance() == AlarmHost::Claim::Resident) {
        const bool served = serve(host, flags);
        host.releaseInstance();
        if (!served || flags.stop()) break;
    }
    host.closeBlock();
}

}  // namespace beeper

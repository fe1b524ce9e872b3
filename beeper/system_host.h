#pragma once
// The alarm on the running system: the named control block and instance
// mark, the speaker, and the tone log.

#include <string>
#include <utility>

#include "beeper/alarm.h"
#include "platform/resident.h"

namespace beeper {

// The names the control block and the instance mark go by.
inline constexpr const char* kBlockName = "A01AA4C7_7A01_4472_B18A_23E4ECE2F86C";
inline constexpr const char* kInstanceName = "F020B2CA_B798_45ae_8F9E_EE447D962EF0";

struct HostSettings {
    // Added to both names, so that tests running side by side each have an
    // alarm of their own (TALO_SOUNDER_NAME_SUFFIX).
    std::string nameSuffix;
    // When not empty, each tone is appended to this file as one line
    // "FREQUENCY DURATION_MS MONOTONIC_MS" (TALO_TONE_LOG).
    std::string toneLog;
};

// The settings the environment gives.
HostSettings settingsFromEnvironment();

// One line of the tone log, with its line feed.
std::string toneLogLine(unsigned hz, unsigned ms, long long monotonicMs);

class SystemHost final : public AlarmHost {
public:
    explicit SystemHost(HostSettings settings) : settings_(std::move(settings)) {}

    std::uint8_t* openBlock(bool& created) override;
    void closeBlock() override;
    Claim claimInstance() override;
    void releaseInstance() override;
    void sleepMs(unsigned ms) override;
    void beeperWait(unsigned ms, EndSignal& end) override;
    void tone(unsigned hz, unsigned ms) override;

private:
    HostSettings settings_;
    platform::SharedMemory block_;
    platform::InstanceMark mark_;
    platform::Speaker speaker_;
};

}  // namespace beeper

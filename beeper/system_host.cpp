#include "beeper/system_host.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace beeper {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

HostSettings settingsFromEnvironment() {
    HostSettings settings;
    settings.nameSuffix = environment("TALO_SOUNDER_NAME_SUFFIX");
    settings.toneLog = environment("TALO_TONE_LOG");
    return settings;
}

std::string toneLogLine(unsigned hz, unsigned ms, long long monotonicMs) {
    return std::to_string(hz) + " " + std::to_string(ms) + " " + std::to_string(monotonicMs) + "\n";
}

std::uint8_t* SystemHost::openBlock(bool& created) {
    if (!block_.open(kBlockName + settings_.nameSuffix, ControlBlock::kSize)) return nullptr;
    created = block_.created();
    return block_.data();
}

void SystemHost::closeBlock() { block_.close(); }

AlarmHost::Claim SystemHost::claimInstance() {
    switch (mark_.claim(kInstanceName + settings_.nameSuffix)) {
        case platform::InstanceMark::Claim::First: return Claim::Resident;
        case platform::InstanceMark::Claim::Taken: return Claim::AnotherRuns;
        case platform::InstanceMark::Claim::Failed: break;
    }
    return Claim::Failed;
}

void SystemHost::releaseInstance() { mark_.release(); }

void SystemHost::sleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SystemHost::beeperWait(unsigned ms, EndSignal& end) {
    end.waitFor(std::chrono::milliseconds(ms));
}

void SystemHost::tone(unsigned hz, unsigned ms) {
    if (!settings_.toneLog.empty()) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const std::string line =
            toneLogLine(hz, ms, std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        // One write per line, appended: the file may be read (or removed)
        // between tones. A log that cannot be written is left out.
        if (std::FILE* log = std::fopen(settings_.toneLog.c_str(), "ab")) {
            std::fwrite(line.data(), 1, line.size(), log);
            std::fclose(log);
        }
    }
    speaker_.tone(hz, ms);
}

}  // namespace beeper

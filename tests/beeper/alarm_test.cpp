// The alarm's logic on a host that only records: command words, the block
// a start writes, the resident's two loops and its ending.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "beeper/alarm.h"
#include "beeper/command_word.h"
#include "beeper/system_host.h"

namespace beeper {
namespace {

using platform::WordPlace;

TEST(CommandWord, RequestIsACaseSensitivePrefixMatch) {
    const std::vector<std::pair<const char*, Request>> cases = {
        {"enable", Request::Enable},     {"enabled", Request::Enable},
        {"enable disable", Request::Enable}, {"disable", Request::Disable},
        {"disabled", Request::Disable},  {"Enable", Request::Stop},
        {"ENABLE", Request::Stop},       {"enabl", Request::Stop},
        {"disabl", Request::Stop},       {" enable", Request::Stop},
        {"", Request::Stop},             {"/usr/bin/sounder", Request::Stop},
        {"C:\\tools\\sounder.exe", Request::Stop}, {nullptr, Request::Stop},
    };
    for (const auto& [word, expected] : cases) {
        EXPECT_EQ(requestFromWord(word), expected) << (word != nullptr ? word : "(none)");
    }
}

TEST(CommandWord, TakenFromItsPlace) {
    const char* one[] = {"enable"};
    const char* two[] = {"/usr/bin/sounder", "disable"};
    const char* three[] = {"/usr/bin/sounder", "enable", "disable"};
    EXPECT_STREQ(commandWord(1, one, WordPlace::Argument0), "enable");
    EXPECT_STREQ(commandWord(1, one, WordPlace::Argument1WhenGiven), "enable");
    EXPECT_STREQ(commandWord(2, two, WordPlace::Argument0), "/usr/bin/sounder");
    EXPECT_STREQ(commandWord(2, two, WordPlace::Argument1WhenGiven), "disable");
    EXPECT_STREQ(commandWord(3, three, WordPlace::Argument1WhenGiven), "enable");
    EXPECT_EQ(commandWord(0, one, WordPlace::Argument0), nullptr);
    EXPECT_EQ(commandWord(0, nullptr, WordPlace::Argument1WhenGiven), nullptr);
}

TEST(ControlBlockBytes, EachRequestSetsStopAndSound) {
    const std::vector<std::pair<Request, std::array<std::uint8_t, 2>>> cases = {
        {Request::Enable, {0, 1}}, {Request::Disable, {0, 0}}, {Request::Stop, {1, 0}}};
    for (const auto& [request, expected] : cases) {
        std::array<std::uint8_t, ControlBlock::kSize> bytes;
        bytes.fill(0xAA);
        ControlFlags flags(bytes.data());
        applyRequest(flags, request);
        EXPECT_EQ(bytes[0], expected[0]);
        EXPECT_EQ(bytes[1], expected[1]);
        for (std::size_t i = 2; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0xAA) << i;
    }
}

TEST(ToneLog, LineHoldsFrequencyLengthAndTime) {
    EXPECT_EQ(toneLogLine(300, 300, 123456789), "300 300 123456789\n");
}

// Records what the alarm asks of the system. Sleeps take no time; hooks
// play the other processes, writing the block as the alarm runs.
class RecordingHost final : public AlarmHost {
public:
    std::array<std::uint8_t, ControlBlock::kSize> bytes{};
    ControlFlags flags{bytes.data()};
    bool blockAvailable = true;
    bool blockCreated = false;
    std::vector<Claim> claims;  // answers, in turn; Resident once used up
    std::function<void(int sleeps)> onSleep;
    std::function<void(int waits)> onWait;
    std::function<void(int releases)> onRelease;

    int opened = 0, closed = 0, claimed = 0, released = 0, sleeps = 0, waits = 0;
    std::vector<unsigned> sleptMs, waitedMs;
    std::vector<std::pair<unsigned, unsigned>> tones;

    std::uint8_t* openBlock(bool& created) override {
        ++opened;
        created = blockCreated;
        return blockAvailable ? bytes.data() : nullptr;
    }
    void closeBlock() override { ++closed; }
    Claim claimInstance() override {
        const std::size_t turn = static_cast<std::size_t>(claimed++);
        return turn < claims.size() ? claims[turn] : Claim::Resident;
    }
    void releaseInstance() override {
        ++released;
        if (onRelease) onRelease(released);
    }
    void sleepMs(unsigned ms) override {
        int count;
        {
            std::lock_guard lock(mutex_);
            sleptMs.push_back(ms);
            count = ++sleeps;
        }
        if (onSleep) onSleep(count);
    }
    // Only the beep thread waits here; the main thread sleeps.
    void beeperWait(unsigned ms, EndSignal& end) override {
        int count;
        {
            std::lock_guard lock(mutex_);
            waitedMs.push_back(ms);
            count = ++waits;
        }
        if (onWait) onWait(count);
        end.waitFor(std::chrono::milliseconds(1));
    }
    void tone(unsigned hz, unsigned ms) override {
        std::lock_guard lock(mutex_);
        tones.emplace_back(hz, ms);
    }

private:
    std::mutex mutex_;
};

TEST(Start, WritesItsRequestAndLeavesItToTheResident) {
    for (const Request request : {Request::Enable, Request::Disable, Request::Stop}) {
        RecordingHost host;
        host.bytes.fill(0x55);
        host.claims = {AlarmHost::Claim::AnotherRuns};
        runSounder(host, request);
        EXPECT_EQ(host.flags.stop(), request == Request::Stop);
        EXPECT_EQ(host.flags.sound(), request == Request::Enable);
        EXPECT_EQ(host.bytes[31], 0x55) << "an existing block keeps its other bytes";
        EXPECT_EQ(host.claimed, 1);
        EXPECT_EQ(host.released, 0);
        EXPECT_EQ(host.closed, 1);
        EXPECT_EQ(host.sleeps, 0);
        EXPECT_TRUE(host.tones.empty());
    }
}

TEST(Start, ClearsANewBlockBeforeWriting) {
    RecordingHost host;
    host.bytes.fill(0x55);
    host.blockCreated = true;
    host.claims = {AlarmHost::Claim::AnotherRuns};
    runSounder(host, Request::Enable);
    std::array<std::uint8_t, ControlBlock::kSize> expected{};
    expected[1] = 1;
    EXPECT_EQ(host.bytes, expected);
}

TEST(Start, EndsQuietlyWithoutABlockOrAMark) {
    RecordingHost noBlock;
    noBlock.blockAvailable = false;
    runSounder(noBlock, Request::Enable);
    EXPECT_EQ(noBlock.claimed, 0);
    EXPECT_EQ(noBlock.closed, 0);

    RecordingHost noMark;
    noMark.claims = {AlarmHost::Claim::Failed};
    runSounder(noMark, Request::Enable);
    EXPECT_EQ(noMark.claimed, 1);
    EXPECT_EQ(noMark.released, 0);
    EXPECT_EQ(noMark.closed, 1);
    EXPECT_EQ(noMark.sleeps, 0);
}

TEST(BeepThread, AlternatesLowAndHighOncePerCycle) {
    RecordingHost host;
    EndSignal end;
    host.flags.set(false, true);
    host.onWait = [&](int) {
        if (host.tones.size() == 5) host.flags.set(true, false);
    };
    beepUntilStop(host, host.flags, end);
    const std::vector<std::pair<unsigned, unsigned>> expected = {
        {300, 300}, {500, 500}, {300, 300}, {500, 500}, {300, 300}};
    EXPECT_EQ(host.tones, expected);
    EXPECT_EQ(host.waits, 6) << "one wait before each tone, and the one in which stop came";
    for (const unsigned ms : host.waitedMs) EXPECT_EQ(ms, 1500u);
}

TEST(BeepThread, SilentWhileSoundIsOff) {
    RecordingHost host;
    EndSignal end;
    host.onWait = [&](int count) {
        if (count == 7) host.flags.set(true, false);
    };
    beepUntilStop(host, host.flags, end);
    EXPECT_TRUE(host.tones.empty());
    EXPECT_EQ(host.waits, 7);
}

TEST(BeepThread, ToneStateCarriesOverSilence) {
    RecordingHost host;
    EndSignal end;
    host.flags.set(false, true);
    host.onWait = [&](int count) {
        if (count == 2) host.flags.set(false, false);
        if (count == 4) host.flags.set(false, true);
        if (count == 5) host.flags.set(true, false);
    };
    beepUntilStop(host, host.flags, end);
    const std::vector<std::pair<unsigned, unsigned>> expected = {{300, 300}, {500, 500}};
    EXPECT_EQ(host.tones, expected);
}

TEST(BeepThread, EndsWhenTheResidentEndsEvenIfStopWasClearedAgain) {
    RecordingHost host;
    EndSignal end;
    host.flags.set(false, true);
    host.onWait = [&](int count) {
        if (count == 2) end.raise();
    };
    beepUntilStop(host, host.flags, end);
    EXPECT_EQ(host.tones.size(), 1u);
    EXPECT_EQ(host.waits, 2);

    RecordingHost ended;
    beepUntilStop(ended, ended.flags, end);
    EXPECT_EQ(ended.waits, 0);
    EXPECT_TRUE(ended.tones.empty());
}

TEST(MainThread, LooksAtStopAfterOneSecondThenEveryTwo) {
    const std::vector<std::pair<int, int>> cases = {{1, 1}, {2, 3}, {3, 3}, {4, 5}, {9, 9}};
    for (const auto& [stopAtSleep, expectedSleeps] : cases) {
        RecordingHost host;
        host.onSleep = [&, at = stopAtSleep](int count) {
            if (count == at) host.flags.set(true, false);
        };
        watchUntilStop(host, host.flags);
        EXPECT_EQ(host.sleeps, expectedSleeps) << stopAtSleep;
        for (const unsigned ms : host.sleptMs) EXPECT_EQ(ms, 1000u);
    }
}

TEST(Resident, ServesUntilStopThenLetsGoOfEverything) {
    RecordingHost host;
    host.onSleep = [&](int count) {
        if (count == 5) host.flags.set(true, false);
    };
    runSounder(host, Request::Enable);
    EXPECT_EQ(host.claimed, 1);
    EXPECT_EQ(host.released, 1);
    EXPECT_EQ(host.closed, 1);
    EXPECT_TRUE(host.flags.stop());
}

TEST(Resident, TakesUpARequestThatCameWhileItWasEnding) {
    // A late start cleared stop after the resident's last look, while the
    // resident still held the mark: the resident carries on.
    RecordingHost host;
    int stopAt = 5;
    host.onSleep = [&](int count) {
        if (count == stopAt) host.flags.set(true, false);
    };
    host.onRelease = [&](int releases) {
        if (releases == 1) {
            host.flags.set(false, true);
            stopAt = host.sleeps + 5;
        }
    };
    runSounder(host, Request::Enable);
    EXPECT_EQ(host.claimed, 2);
    EXPECT_EQ(host.released, 2);
    EXPECT_EQ(host.closed, 1);
}

TEST(Resident, LeavesALateRequestToTheStartThatTookTheMark) {
    RecordingHost host;
    host.claims = {AlarmHost::Claim::Resident, AlarmHost::Claim::AnotherRuns};
    host.onSleep = [&](int count) {
        if (count == 5) host.flags.set(true, false);
    };
    host.onRelease = [&](int) { host.flags.set(false, true); };
    runSounder(host, Request::Enable);
    EXPECT_EQ(host.claimed, 2);
    EXPECT_EQ(host.released, 1);
    EXPECT_EQ(host.closed, 1);
}

}  // namespace
}  // namespace beeper

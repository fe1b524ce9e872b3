// The simulated controller's schedules: when each recurrence comes due, the
// statuses of add, change and delete, and the activities it starts as its
// clock passes them.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "access/schedule_records.h"
#include "command_harness.h"
#include "sim/array_model.h"
#include "sim/hxapi_library.h"
#include "sim/schedule_model.h"
#include "sim/store.h"

namespace {

using sim::Recurrence;
using sim::Schedule;
using sim::ScheduleType;

constexpr std::uint64_t kDay = 86400;
// Days since 1970 of some dates of 2008 (a leap year).
constexpr std::uint64_t kJan1 = 13879;   // Tuesday
constexpr std::uint64_t kFeb1 = kJan1 + 31;
constexpr std::uint64_t kMar1 = kFeb1 + 29;

Schedule schedule(Recurrence recurrence) {
    Schedule s;
    s.recurrence = recurrence;
    s.start = {1, 1, 2008};
    s.startMinutes = 90;
    return s;
}

std::vector<std::uint64_t> occurrences(const Schedule& s, std::uint64_t from, int n) {
    std::vector<std::uint64_t> days;
    std::uint64_t after = from;
    for (int i = 0; i < n; ++i) {
        const auto t = sim::nextOccurrence(s, after);
        if (!t) break;
        EXPECT_EQ(*t % kDay, 90u * 60) << "at its start time";
        days.push_back(*t / kDay);
        after = *t;
    }
    return days;
}

TEST(ScheduleOccurrences, EachRecurrence) {
    Schedule once = schedule(Recurrence::Once);
    EXPECT_EQ(occurrences(once, 0, 3), (std::vector<std::uint64_t>{kJan1}));
    EXPECT_EQ(occurrences(once, kJan1 * kDay + 90 * 60, 3), std::vector<std::uint64_t>{});

    Schedule daily = schedule(Recurrence::Daily);
    daily.interval = 3;
    EXPECT_EQ(occurrences(daily, kJan1 * kDay + 100 * 60, 3),
              (std::vector<std::uint64_t>{kJan1 + 3, kJan1 + 6, kJan1 + 9}));

    // Every second week, Monday and Friday, counted from the start's week
    // (Jan 1 2008 was a Tuesday: that week's Friday is the first).
    Schedule weekly = schedule(Recurrence::Weekly);
    weekly.interval = 2;
    weekly.weekdays = 1 | 16;
    EXPECT_EQ(occurrences(weekly, 0, 4),
              (std::vector<std::uint64_t>{kJan1 + 3, kJan1 + 13, kJan1 + 17, kJan1 + 27}));

    // Day 31 of every month: months without one are passed over.
    Schedule monthly = schedule(Recurrence::Monthly);
    monthly.months = 0xFFF;
    monthly.dayOfMonth = 31;
    EXPECT_EQ(occurrences(monthly, 0, 3), (std::vector<std::uint64_t>{kJan1 + 30, kMar1 + 30, kMar1 + 31 + 30 + 30}));

    // The last Friday of February, and the second Tuesday of January and March.
    Schedule lastFriday = schedule(Recurrence::Monthly);
    lastFriday.months = 2;
    lastFriday.pattern = sim::MonthlyPattern::Ordinal;
    lastFriday.ordinal = lib::ORDINAL_LAST;
    lastFriday.weekday = 5;
    EXPECT_EQ(occurrences(lastFriday, 0, 1), (std::vector<std::uint64_t>{kFeb1 + 28}));
    Schedule secondTuesday = lastFriday;
    secondTuesday.months = 1 | 4;
    secondTuesday.ordinal = 2;
    secondTuesday.weekday = 2;
    EXPECT_EQ(occurrences(secondTuesday, 0, 2), (std::vector<std::uint64_t>{kJan1 + 7, kMar1 + 10}));

    // Nothing to recur on: never, and quickly.
    Schedule none = schedule(Recurrence::Weekly);
    EXPECT_EQ(occurrences(none, 0, 1), std::vector<std::uint64_t>{});
    Schedule feb30 = schedule(Recurrence::Monthly);
    feb30.months = 2;
    feb30.dayOfMonth = 30;
    EXPECT_EQ(occurrences(feb30, 0, 1), std::vector<std::uint64_t>{});
}

class ScheduleSimulator : public SimulatorFixture {
protected:
    static constexpr std::uint32_t kStart = kJan1 * kDay;  // Jan 1 2008, 0:00
    ScheduleSimulator() : SimulatorFixture(kStart) {}

    void advance(std::uint32_t seconds) {
        sim::Store::instance().modify([seconds](sim::State& s) { *s.clock += seconds; });
    }
    sim::Controller controller() {
        sim::Controller c;
        sim::Store::instance().read([&c](const sim::State& s) { c = s.controllers[0]; });
        return c;
    }
    std::vector<std::string> eventTexts() {
        std::vector<std::string> texts;
        for (const sim::Event& e : controller().events) texts.push_back(e.description);
        return texts;
    }
    std::uint32_t addStatus(const std::string& words) {
        EXPECT_EQ(run("bgaschd add " + words), "");
        const auto noted = sim::lastLibraryCall("hx_addBGASchedule");
        std::vector<std::uint8_t> copy = noted;
        return hx_addBGASchedule(0, 0, 0, copy.data(), static_cast<std::uint32_t>(copy.size()));
    }
};

TEST_F(ScheduleSimulator, StatusesOfAddChangeAndDelete) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    // Four of type BRC fit; the fifth does not.
    EXPECT_EQ(hx_addBGASchedule(0, 0, 0, nullptr, 0), sim::kHxStatusInvalidArgument);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(run("bgaschd add BRC enable 0 30 ONCE 1/2/2008 NONE"), "");
    EXPECT_EQ(addStatus("BRC enable 0 30 ONCE 1/2/2008 NONE"), sim::kHxStatusScheduleFull);
    EXPECT_EQ(addStatus("RC enable 0 30 ONCE 1/2/2008 NONE 1 1 \"7\""), sim::kHxStatusNoSuchArray);
    EXPECT_EQ(addStatus("RB enable 0 30 ONCE 1/2/2008 NONE 1 \"9\" 0"), sim::kHxStatusNoSuchDisk);
    EXPECT_EQ(addStatus("MG enable 0 30 ONCE 1/2/2008 NONE RAID5 1 \"2\" 4"), sim::kHxStatusNoSuchArray);
    // A date no calendar has.
    EXPECT_EQ(addStatus("SC enable 0 30 ONCE 2/30/2008 NONE"), sim::kHxStatusInvalidArgument);
    std::vector<std::uint8_t> change = sim::lastLibraryCall("hx_addBGASchedule");
    change[lib::ScheduleBufferHead::kSize + 1] = 9;  // a sequence number no BRC schedule has
    change[lib::ScheduleBufferHead::kSize] = lib::SCHEDULE_BRC;
    change[lib::ScheduleBufferHead::kSize + 25] = 1;
    change[lib::ScheduleBufferHead::EntryCounts::offset + lib::SCHEDULE_SC] = 0;
    change[lib::ScheduleBufferHead::EntryCounts::offset + lib::SCHEDULE_BRC] = 1;
    EXPECT_EQ(hx_modifyBGASchedule(0, 0, 0, change.data(), static_cast<std::uint32_t>(change.size())),
              sim::kHxStatusNoSuchSchedule);
    EXPECT_EQ(run("bgaschd del BRC 2"), "");
    EXPECT_EQ(run("bgaschd del BRC 2"), "");
    std::vector<std::uint8_t> again = sim::lastLibraryCall("hx_deleteBGASchedule");
    EXPECT_EQ(hx_deleteBGASchedule(0, 0, 0, again.data(), 84), sim::kHxStatusNoSuchSchedule);
    // The freed sequence number is taken by the next schedule of the type.
    EXPECT_EQ(run("bgaschd add BRC disable 0 30 ONCE 1/2/2008 NONE"), "");
    std::vector<int> sequences;
    for (const Schedule& s : controller().schedules) sequences.push_back(s.sequence);
    EXPECT_EQ(sequences, (std::vector<int>{1, 3, 4, 2}));
}

TEST_F(ScheduleSimulator, TheClockPassingOccurrencesStartsEachOnce) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    // A check of array 0 every day at 1:00, three times.
    EXPECT_EQ(run("bgaschd add RC enable 60 30 DAILY 1 1/1/2008 COUNT 3 0 1 \"0\""), "");
    // Jumping four days on runs the three occurrences in turn: each check
    // starts at its time and finishes 1000 seconds later.
    advance(4 * kDay);
    const sim::Controller c = controller();
    ASSERT_EQ(c.schedules.size(), 1u);
    EXPECT_EQ(c.schedules[0].runs, 3);
    EXPECT_FALSE(c.arrays[0].activity.has_value());
    std::vector<std::uint32_t> starts;
    for (const sim::Event& e : c.events) {
        if (e.id == sim::kEventActivityStarted) starts.push_back(e.time);
    }
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{kStart + 3600, kStart + kDay + 3600, kStart + 2 * kDay + 3600}));
    advance(10 * kDay);
    EXPECT_EQ(controller().schedules[0].runs, 3);
}

TEST_F(ScheduleSimulator, RebuildAndMigrationSchedulesStartTheirActivities) {
    EXPECT_EQ(run("ca RAID0 128 \"2 3\" \"0 0\" stripe NONE NONE"), "");
    // A migration of array 0 to RAID5 with disk 4 added, on the 2nd at 0:10.
    EXPECT_EQ(run("bgaschd add MG enable 10 30 ONCE 1/2/2008 NONE RAID5 1 \"4\" 0"), "");
    // A disabled one does not run, nor catch up when enabled later.
    EXPECT_EQ(run("bgaschd add RC disable 0 30 DAILY 1 1/1/2008 NONE 0 1 \"0\""), "");
    advance(kDay + 11 * 60);
    const sim::Controller c = controller();
    ASSERT_TRUE(c.arrays[0].activity.has_value());
    EXPECT_EQ(c.arrays[0].activity->kind, sim::ActivityKind::Migration);
    EXPECT_EQ(c.arrays[0].activity->startTime, kStart + kDay + 10 * 60);
    EXPECT_EQ(c.schedules[1].runs, 0);
    // A schedule whose activity cannot start (the migration runs until
    // 0:26:40) says so.
    EXPECT_EQ(run("bgaschd add RC enable 15 30 ONCE 1/2/2008 NONE 1 1 \"0\""), "");
    advance(kDay);
    const std::vector<std::string> texts = eventTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Scheduled RC 2 could not start on array 0");
    EXPECT_EQ(texts.back(), "Migration completed");
}

TEST_F(ScheduleSimulator, AListingHoldsWhatTheControllerKeeps) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    EXPECT_EQ(run("bgaschd add RB enable 0 30 MONTHLY ORDINAL Last Fri Dec 1/1/2008 NONE 2 \"3 4\" 0"), "");
    const std::vector<std::uint8_t> added = sim::lastLibraryCall("hx_addBGASchedule");
    std::vector<std::uint8_t> listing(lib::kScheduleBufferSize, 0);
    std::uint8_t key[5] = {255, 0, 0, 0, 0};
    ASSERT_EQ(hx_getBGASchedule(0, 0, 0, key, listing.data(), lib::kScheduleBufferSize), 0u);
    // The entry comes back as it went, with its sequence number.
    std::vector<std::uint8_t> entry(added.begin() + 52, added.begin() + 52 + 40);
    entry[1] = 1;
    EXPECT_EQ(std::vector<std::uint8_t>(listing.begin() + 52, listing.begin() + 52 + 40), entry);
    // A key other than 255, and a buffer too small for the head, are refused.
    key[0] = 0;
    EXPECT_NE(hx_getBGASchedule(0, 0, 0, key, listing.data(), lib::kScheduleBufferSize), 0u);
    key[0] = 255;
    EXPECT_NE(hx_getBGASchedule(0, 0, 0, key, listing.data(), 51), 0u);
}

}  // namespace

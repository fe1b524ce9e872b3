// The simulated controller's settings: one truth behind the library and the
// driver, queries for what does not exist, records handed back altered
// where nothing may change, and the rates that drive its activities.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "access/library_records.h"
#include "access/settings_records.h"
#include "command_harness.h"
#include "sim/array_model.h"
#include "sim/settings_model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes key(std::uint32_t id, std::uint16_t selector) {
    Bytes k(lib::InfoRequest::kSize, 0);
    const rec::ByteSpan s(k.data(), k.size());
    s.put<lib::InfoRequest::FirstId>(id);
    s.put<lib::InfoRequest::Count>(1);
    s.put<lib::InfoRequest::Selector>(selector);
    return k;
}

class SettingsSimulator : public SimulatorFixture {
protected:
    SettingsSimulator() : SimulatorFixture(kClock) {}
    static constexpr std::uint32_t kClock = 1000000000;

    void createArray() { EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), ""); }
    sim::Array array0() {
        sim::Array a;
        sim::Store::instance().read([&a](const sim::State& s) { a = s.controllers[0].arrays.at(0); });
        return a;
    }
};

TEST_F(SettingsSimulator, ANameOrCacheModeSetThroughOneWayShowsThroughTheOther) {
    createArray();
    EXPECT_EQ(run("ac 0 name library"), "");
    EXPECT_EQ(run("ac 0 cache bypass"), "");
    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    EXPECT_EQ(run("ac 0"), "Configuration of array 0 - library\nDriver Cache Mode: ByPass\n"
                           "Driver Lookahead threshold: 0\nDriver Consolidation: disabled\nBypass: disabled\n");
    EXPECT_EQ(run("ac 0 name driver"), "");
    EXPECT_EQ(run("ac 0 cache auto"), "");
    EXPECT_EQ(array0().name, "driver");
    EXPECT_EQ(array0().cacheMode, lib::CACHE_AUTO);
    // The library's array record and settings carry the same.
    controller = nullptr;
    EXPECT_EQ(run("ac 0"), "Configuration of array 0 - driver\nLD Raw size: 312598880\nNumber of Disks used : 2\n"
                           "Driver Cache Mode: Auto - Write Thru\nDriver Lookahead threshold: 0\n"
                           "Driver Consolidation: disabled\nBypass: disabled\n");
}

TEST_F(SettingsSimulator, ValuesWiderThanTheOtherWaysFieldSurviveAChangeThroughIt) {
    createArray();
    const std::string longName(60, 'L');
    sim::Store::instance().modify([&longName](sim::State& s) {
        s.controllers[0].arrays[0].name = longName;
        s.controllers[0].arrays[0].lookahead = 300;
    });
    // The library's name field holds 24 bytes and the driver's lookahead 8
    // bits: handing them back unchanged keeps the whole values.
    EXPECT_EQ(run("ac 0 bypass enable"), "");
    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    EXPECT_EQ(run("ac 0 cache writeback"), "");
    EXPECT_EQ(array0().name, longName);
    EXPECT_EQ(array0().lookahead, 300u);
    EXPECT_TRUE(array0().bypass);
}

TEST_F(SettingsSimulator, QueriesForWhatDoesNotExistFail) {
    Bytes record(lib::LogDrvSettings::kSize, 0);
    Bytes k = key(3, 0);
    EXPECT_NE(hx_getLogDrvSettings(0, 0, 0, k.data(), record.data(), lib::LogDrvSettings::kSize), 0u);
    EXPECT_EQ(record, Bytes(lib::LogDrvSettings::kSize, 0));
    Bytes disk(lib::PhyDrvSettings::kSize, 0);
    k = key(70000, 1);
    EXPECT_NE(hx_getPhyDrvSettings(0, 0, 0, k.data(), disk.data(), lib::PhyDrvSettings::kSize), 0u);
    // A pulled disk is not reported either.
    sim::Store::instance().modify([](sim::State& s) { s.controllers[0].disks[4].present = false; });
    k = key(4, 1);
    EXPECT_NE(hx_getPhyDrvSettings(0, 0, 0, k.data(), disk.data(), lib::PhyDrvSettings::kSize), 0u);
    EXPECT_NE(hx_activateLogDrv(0, 0, 0, 3), 0u);
    // A buffer smaller than the record is refused, not overrun.
    k = key(0, 0);
    Bytes small(10, 0);
    EXPECT_NE(hx_getControllerSettings(0, 0, 0, k.data(), small.data(), 10), 0u);
    EXPECT_EQ(small, Bytes(10, 0));
    // Through the driver: a check condition, and no settings shown.
    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    const std::string printed = run("ac 3");
    EXPECT_EQ(printed.rfind("Scsi status: 02h\n", 0), 0u) << printed;
    EXPECT_EQ(printed.find("Configuration"), std::string::npos) << printed;
}

TEST_F(SettingsSimulator, ARecordWhoseOtherBytesWereNotHandedBackIsRefused) {
    createArray();
    // A record of zeros: what a console that wrote without reading would send.
    Bytes zeros(lib::ControllerSettings::kSize, 0);
    Bytes k = key(0, 0);
    EXPECT_NE(hx_setControllerSettings(0, 0, 0, k.data(), zeros.data(), lib::ControllerSettings::kSize), 0u);
    Bytes block(lib::LogDrvSettings::kSize, 0);
    ASSERT_EQ(hx_getLogDrvSettings(0, 0, 0, k.data(), block.data(), lib::LogDrvSettings::kSize), 0u);
    block[3] ^= 1;  // a byte no setting occupies
    block[lib::LogDrvSettings::Consolidation::offset] = 1;
    EXPECT_NE(hx_setLogDrvSettings(0, 0, 0, k.data(), block.data(), lib::LogDrvSettings::kSize), 0u);
    EXPECT_FALSE(array0().consolidation);
    EXPECT_EQ(run("gs"), "Rebuild Rate: 50\nSynchronization Rate: 50\nInitialization Rate: 50\nMedia Patrol Rate: 50\n"
                         "Migration Rate: 50\nS.M.A.R.T checking enabled\nAuto rebuild enabled\n"
                         "Check S.M.A.R.T every 600 seconds.\nCheck enclosure status every 30 seconds.\n"
                         "Rebuild Policy: 0\nTask timeout value: 10\n");
}

TEST(SettingsModel, RatesDriveActivitiesFromWhereTheyAre) {
    sim::State s = sim::demoState();
    s.clock = 1000;
    sim::settleState(s);
    sim::Controller& c = s.controllers[0];
    sim::NewArray a;
    a.level = lib::RAID_LEVEL_RAID1;
    a.members = {{0, -1}, {1, -1}};
    ASSERT_EQ(sim::createArray(s, c, a), sim::Outcome::Ok);
    ASSERT_EQ(sim::startSync(s, c, 0, false), sim::Outcome::Ok);
    const auto progress = [&s, &c] { return sim::activityProgress(*c.arrays[0].activity, *s.clock); };
    const auto setSyncRate = [&s, &c](std::uint8_t rate) {
        Bytes record(lib::ControllerSettings::kSize, 0);
        sim::fillControllerSettings(rec::ByteSpan(record.data(), record.size()), c);
        record[lib::ControllerSettings::SyncRate::offset] = rate;
        return sim::applyControllerSettings(s, c, rec::ByteView(record.data(), record.size()));
    };
    s.clock = 1100;  // 1000 s at the default rate: 10 % done
    EXPECT_EQ(progress(), 100u);
    ASSERT_EQ(setSyncRate(100), sim::SettingsOutcome::Ok);  // twice as fast from here
    EXPECT_EQ(progress(), 100u);
    s.clock = 1300;
    EXPECT_EQ(progress(), 500u);
    // The slowest rate crawls on; it never stops nor divides by zero.
    ASSERT_EQ(setSyncRate(0), sim::SettingsOutcome::Ok);
    s.clock = 1300 + 500;
    EXPECT_EQ(progress(), 510u);
    ASSERT_EQ(setSyncRate(255), sim::SettingsOutcome::Ok);
    s.clock = 1800 + 96;
    EXPECT_EQ(progress(), 999u);
    s.clock = 1800 + 97;
    sim::settleState(s);
    EXPECT_FALSE(c.arrays[0].activity.has_value());
}

TEST(SettingsModel, ASettingNeedingARestartIsKeptAndReported) {
    sim::Controller c = sim::demoState().controllers[0];
    Bytes block(lib::CamSettingBlock::kSize, 0);
    sim::fillCamSettingBlock(rec::ByteSpan(block.data(), block.size()), 0x3);
    EXPECT_EQ(sim::applyCamSettingBlock(c, rec::ByteView(block.data(), block.size())),
              sim::SettingsOutcome::RestartNeeded);
    EXPECT_EQ(c.cam.saved, 0x3u);
    EXPECT_EQ(c.cam.current, 0x2u);
    sim::restartController(c);
    EXPECT_EQ(c.cam.current, 0x3u);
    EXPECT_EQ(sim::applyCamSettingBlock(c, rec::ByteView(block.data(), block.size())), sim::SettingsOutcome::Ok);
}

}  // namespace

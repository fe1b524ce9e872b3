// enc, bat, buz, port, dsp, hplug and alpe: the bytes each command hands
// the library, the words refused with nothing sent, the battery's
// arithmetic, replies whose counts exceed their buffers, and what the
// simulated controller does with its enclosures, battery and ports.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "access/enclosure_records.h"
#include "command_harness.h"
#include "sim/call_log.h"
#include "sim/hardware_model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kParams =
    "Invalid Parameters, please check and also you can get the help information by typing ";

Bytes le32s(std::initializer_list<std::uint32_t> values) {
    Bytes b;
    for (std::uint32_t v : values) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return b;
}

std::size_t linesStartingWith(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0) ++n;
    }
    return n;
}

void modify(const std::function<void(sim::Controller&)>& f) {
    sim::Store::instance().modify([&](sim::State& s) { f(s.controllers.at(0)); });
}

constexpr std::uint32_t kClock = 1000000000;

class Hardware : public SimulatorFixture {
protected:
    Hardware() : SimulatorFixture(kClock) {}
};

// ---- enc -------------------------------------------------------------------------

TEST_F(Hardware, EnclosureRequestsCarryTheirIdsCountsAndKinds) {
    const struct {
        const char* line;
        const char* operation;
        Bytes bytes;
    } cases[] = {
        {"enc le", "hx_getEnclosureInfo", {0, 0, 8, 0, 0, 0, 0, 0}},
        {"enc LS 0", "hx_getEnclosureStatus", {0, 0, 1, 0, 1, 0, 0, 0}},   // kind 33: full status
        {"enc ls 1", "hx_getEnclosureStatus", {1, 0, 1, 0, 0, 0, 0, 0}},   // kind 5: sensor list
        {"enc ls 200", "hx_getEnclosureStatus", {200, 0, 1, 0, 0, 0, 0, 0}},  // no kind known
        {"enc setfanspeed 0 1 7", "hx_setEnclosureSetting", {0, 1, 1, 7}},
        {"enc loc 2 1", "hx_locatePhyDrv", le32s({2, 0})},
        {"enc loc 2 0", "hx_stopLocatePhyDrv", le32s({2})},
        {"enc loc 2 2", "hx_getPhyDrvLocateStatus", le32s({2})},
        {"enc map 3", "hx_getPhyDrvInfo", le32s({3, 1, 255})},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        run(c.line);
        EXPECT_EQ(sim::lastLibraryCall(c.operation), c.bytes) << c.line;
    }
    EXPECT_EQ(run("enc ls 200"), "");  // no such enclosure: an empty sensor list
}

TEST_F(Hardware, RefusedEnclosureWordsSendNothing) {
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"enc", kParams + "'help enc'\n"},
        {"enc xyz 1 2", ""},
        {"enc ls", kParams + "'help enc'\n"},
        {"enc setfanspeed 0 1", kParams + "'help enc'\n"},
        {"enc loc 2", kParams + "'help enc'\n"},
        {"enc locld 0", kParams + "'help enc'\n"},
        {"enc map", kParams + "'help enc'\n"},
        {"enc ls x", "Invalid Enclosure ID 'x' specified.\n"},
        {"enc ls 256", "Invalid Enclosure ID '256' specified.\n"},
        {"enc ls \"\"", "Enclosure ID not specified.\n"},
        {"enc setfanspeed 0 x 3", "Invalid Fan ID 'x' specified.\n"},
        {"enc setfanspeed y x 3", "Invalid Enclosure ID 'y' specified.\nInvalid Fan ID 'x' specified.\n"},
        {"enc setfanspeed a b c",
         "Invalid Enclosure ID 'a' specified.\nInvalid Fan ID 'b' specified.\nInvalid Fan speed code 'c' specified.\n"},
        {"enc setfanspeed 0 1 255", ""},
        {"enc loc 2 5", "Invalid LED Control!\n"},
        {"enc loc 2 255", ""},
        {"enc loc x -1", "Invalid Disk ID 'x' specified.\nInvalid LED Control Code '-1' specified.\n"},
        {"enc locld 0 7", "Invalid LED Control!\n"},
        {"enc locld 0 \"\"", "LED Control Code not specified.\n"},
        {"enc map 1x", "Invalid Disk ID '1x' specified.\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_TRUE(sim::libraryCallLog().empty()) << c.line;
    }
}

TEST_F(Hardware, AFullStatusIsReadNoFurtherThanItsEntries) {
    modify([](sim::Controller& c) { c.enclosures[0].reportedCounts = std::array<std::uint8_t, 4>{255, 11, 200, 65}; });
    const std::string out = run("enc ls 0");
    EXPECT_NE(out.find("\nVoltage Count:10\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nFan Count:10\n"), std::string::npos);
    EXPECT_NE(out.find("\nTemperature Count:10\n"), std::string::npos);
    EXPECT_NE(out.find("\nCarrier Count:64\n"), std::string::npos);
    EXPECT_EQ(linesStartingWith(out, "Voltage "), 11u);  // the count line and ten entries
    EXPECT_EQ(linesStartingWith(out, "Fan "), 11u);
    EXPECT_EQ(linesStartingWith(out, "Temperature "), 11u);
    EXPECT_EQ(linesStartingWith(out, "Carrier "), 65u);
    EXPECT_NE(out.find("Carrier 63: 0\n"), std::string::npos);
}

TEST_F(Hardware, ASensorListHoldsSixSensorsAtMost) {
    modify([](sim::Controller& c) {
        c.enclosures[1].fans.resize(5);
        c.enclosures[1].fans[4].speedCode = 0;
    });
    const std::string out = run("enc ls 1");
    EXPECT_EQ(linesStartingWith(out, "Sensor Type = "), 6u) << out;
    EXPECT_NE(out.find("Sensor Type = SENSOR_FAN \tSensor Value: 1000\n"), std::string::npos);
    EXPECT_EQ(out.find("SENSOR_TEMPERATURE"), std::string::npos);
}

TEST_F(Hardware, AnEnclosureKindWithoutANameIsUnknown) {
    modify([](sim::Controller& c) { c.enclosures[1].type = 20; });
    const std::string out = run("enc le");
    EXPECT_NE(out.find("Enclosure ID = 1 \nType: Unknown\n"), std::string::npos) << out;
    // Not a full-status kind: its sensors are listed.
    EXPECT_NE(run("enc ls 1").find("Sensor Type = SENSOR_FAN"), std::string::npos);
}

TEST_F(Hardware, ArrayLedStatusReadsNoMoreMembersThanTheRecordHolds) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    run("enc locld 0 1");
    EXPECT_EQ(run("enc locld 0 2"), "Current LED Control Status(0-OFF and 1-ON):1.\n");
    modify([](sim::Controller& c) { c.arrays[0].reportedMemberCount = 200; });
    sim::clearCallLog();
    // The record holds 32 member ids: no more are asked about, whatever the count.
    run("enc locld 0 2");
    EXPECT_EQ(sim::libraryCallCount("hx_getPhyDrvLocateStatus"), 32u);
}

TEST_F(Hardware, LedsOfADiskAndOfAnArray) {
    EXPECT_EQ(run("ca RAID1 128 \"4 5\" \"0 0\" pair NONE NONE"), "");
    run("enc loc 2 1");
    EXPECT_EQ(run("enc loc 2 2"), "Current LED Control Status(0-OFF and 1-ON):1.\n");
    EXPECT_EQ(run("enc loc 3 2"), "Current LED Control Status(0-OFF and 1-ON):0.\n");
    run("enc loc 4 1");
    EXPECT_EQ(run("enc locld 0 2"), "Current LED Control Status(0-OFF and 1-ON):0.\n");  // 5 is off
    run("enc locld 0 1");
    EXPECT_EQ(run("enc locld 0 2"), "Current LED Control Status(0-OFF and 1-ON):1.\n");
    EXPECT_EQ(run("enc loc 5 2"), "Current LED Control Status(0-OFF and 1-ON):1.\n");
    run("enc locld 0 0");
    EXPECT_EQ(run("enc loc 4 2"), "Current LED Control Status(0-OFF and 1-ON):0.\n");
    EXPECT_EQ(run("enc loc 2 2"), "Current LED Control Status(0-OFF and 1-ON):1.\n");
    // A LED shows in its carrier's status.
    EXPECT_NE(run("enc ls 0").find("Carrier 2: 5\n"), std::string::npos);
    // An array that does not exist is not answered by the next one.
    EXPECT_EQ(run("enc locld 1 2"), "can not get disk id of array1\n");
    // A disk outside any enclosure has no LED.
    modify([](sim::Controller& c) { c.disks[6].enclosureId = 255; });
    run("enc loc 6 1");
    EXPECT_EQ(run("enc loc 6 2"), "Current LED Control Status(0-OFF and 1-ON):0.\n");
}

TEST_F(Hardware, MapTellsTheCarrierOnlyOfTheDiskAskedFor) {
    EXPECT_EQ(run("enc map 6"), "Physical Disk 6 is in CarrierID 2 of Enclosure ID 1.\n");
    modify([](sim::Controller& c) {
        c.disks[3].present = false;
        c.disks[2].enclosureId = 255;
    });
    EXPECT_EQ(run("enc map 2"), "No enclosure is existed\n");
    // The library lists disks from the id asked for: disk 4 comes back.
    EXPECT_EQ(run("enc map 3"), "Disk 3 is not existed!\n");
    EXPECT_EQ(run("dsp 3 get"), "Disk 3 is not existed!\n");
    EXPECT_EQ(run("enc map 8"), "Disk 8 is not existed!\n");
}

// ---- bat, buz, port, dsp, hplug, alpe ----------------------------------------------------

TEST_F(Hardware, BatteryArithmetic) {
    const struct {
        bool present;
        std::uint16_t temperature;
        std::uint16_t voltage;
        std::uint32_t chargedAt;
        std::string printed;
    } cases[] = {
        {true, 2981, 500, 0, "Battery Temperature: 25.000000 C\t Battery Voltage: 0.500000 V\n"},
        {true, 2731, 4100, 0, "Battery Temperature: 0.000000 C\t Battery Voltage: 4.100000 V\n"},
        {true, 2631, 0, 0, "Battery Temperature: -10.000000 C\t Battery Voltage: 0.000000 V\n"},
        {true, 0, 65535, 0, "Battery Temperature: -273.100006 C\t Battery Voltage: 65.535004 V\n"},
        // Charging for 36 more seconds: a tenth of a kelvin warmer, no voltage.
        {true, 2981, 4100, kClock + 36,
         "Battery Temperature: 25.100000 C\t Battery now is charging can not get Voltage.\n"},
        {false, 2981, 4100, 0, "No battery exists!\n"},
    };
    for (const auto& c : cases) {
        modify([&](sim::Controller& ctl) { ctl.battery = sim::Battery{c.present, c.temperature, c.voltage, c.chargedAt}; });
        sim::clearCallLog();
        EXPECT_EQ(run("bat and more words"), c.printed) << c.temperature;
        EXPECT_EQ(sim::lastLibraryCall("hx_getBatteryInfo"), Bytes(4, 0));
    }
}

TEST_F(Hardware, BuzzerWords) {
    const struct {
        const char* line;
        std::string printed;
        const char* operation;  // the one call made, or null for none
    } cases[] = {
        {"buz 0", kParams + "'help buz'\n", nullptr},
        {"buz x on", "Controller ID => Invalid integer 'x' specified.\n", nullptr},
        {"buz 0 on", "Must be either 'disable' or 'enable'\n", nullptr},
        {"buz 0 ENABLE", "", "hx_turnOnBuzzer"},
        {"buz 0 STATUS", "The buzzer is on.\n", "hx_getBuzzerStatus"},
        {"buz 7 disable", "", "hx_turnOffBuzzer"},
        {"buz 0 status", "The buzzer is off.\n", "hx_getBuzzerStatus"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        const auto log = sim::libraryCallLog();
        if (c.operation == nullptr) {
            EXPECT_TRUE(log.empty()) << c.line;
        } else {
            ASSERT_EQ(log.size(), 1u) << c.line;
            EXPECT_EQ(log[0].operation, c.operation);
        }
    }
}

TEST_F(Hardware, PortValueIsClearedBeforeTheCall) {
    modify([](sim::Controller& c) { c.portInfo = 0xFFFFFFFFu; });
    EXPECT_EQ(run("port 1 2"), "Port is -1.\n");
    EXPECT_EQ(sim::lastLibraryCall("hx_getPortInfo"), le32s({0}));
}

TEST_F(Hardware, ThreeGigabitOption) {
    EXPECT_EQ(run("dsp 5 get"), "3G feature is  supported in disk with ID 5\n3G feature is enabled in disk with ID 5\n");
    EXPECT_EQ(run("dsp 0 get"), "3G feature is not supported in disk with ID 0\n");
    EXPECT_EQ(run("dsp DISABLE"), "3G setting success,need reboot system to effect");
    EXPECT_EQ(sim::lastLibraryCall("hx_setDataTransferSpeedTX"), le32s({0, 4}));
    EXPECT_EQ(run("dsp 5 GET extra"), "3G feature is  supported in disk with ID 5\n3G feature is disabled in disk with ID 5\n");
    EXPECT_EQ(run("dsp enable"), "3G setting success,need reboot system to effect");
    EXPECT_EQ(sim::lastLibraryCall("hx_setDataTransferSpeedTX"), le32s({1, 4}));
    EXPECT_EQ(run("dsp 0 get"), "3G feature is not supported in disk with ID 0\n");
    sim::clearCallLog();
    EXPECT_EQ(run("dsp"), kParams + "'help dsp'\n");
    EXPECT_EQ(run("dsp 5"), "");
    EXPECT_EQ(run("dsp 5 set"), "");
    EXPECT_EQ(run("dsp x get"), "Invalid Disk ID 'x' specified.\n");
    EXPECT_TRUE(sim::libraryCallLog().empty());
}

TEST_F(Hardware, PortSettingsTakeTheLowBitsOfTheLeadingDigits) {
    const struct {
        const char* line;
        const char* operation;
        Bytes bytes;  // port, then size (get) or the value handed (set)
        std::string printed;
    } cases[] = {
        {"hplug abc get", "hx_getPortHotPlug", le32s({0, 4}), "Hotplug option in port #abc is enabled.\n"},
        {"hplug 3 DISABLE", "hx_setPortHotPlug", le32s({3, 0}), ""},
        {"hplug 259 get", "hx_getPortHotPlug", le32s({3, 4}), "Hotplug option in port #259 is disabled.\n"},
        {"alpe 1x enable", "hx_setPortALPE", le32s({1, 1}), ""},
        {"alpe 1 Get", "hx_getPortALPE", le32s({1, 4}), "ALPE option in port #1 is enabled.\n"},
        // Port 255 does not exist: the value stays as preset, disabled.
        {"alpe -1 get", "hx_getPortALPE", le32s({255, 4}), "ALPE option in port #-1 is disabled.\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::lastLibraryCall(c.operation), c.bytes) << c.line;
    }
    sim::clearCallLog();
    EXPECT_EQ(run("hplug 1"), kParams + "'help hplug'\n");
    EXPECT_EQ(run("alpe x"), kParams + "'help alpe'\n");
    EXPECT_EQ(run("alpe 1 toggle"), "");
    EXPECT_TRUE(sim::libraryCallLog().empty());
}

// ---- The simulated controller ---------------------------------------------------------

TEST(HardwareModel, BatteryChargesAgainstTheClockAndSaysWhenDone) {
    sim::State state = sim::demoState();
    state.clock = kClock;
    sim::Controller& c = state.controllers[0];
    EXPECT_EQ(sim::removeBattery(state, c), "");
    EXPECT_EQ(sim::removeBattery(state, c), "the battery is already out");
    EXPECT_EQ(sim::insertBattery(state, c, 3600), "");
    EXPECT_EQ(c.battery.chargedAt, kClock + 3600);
    // Warmer the longer it still has to charge, at most five kelvin.
    EXPECT_EQ(sim::batteryTemperature(c.battery, kClock), 2981 + 50);
    EXPECT_EQ(sim::batteryTemperature(c.battery, kClock + 3600 - 360), 2981 + 10);
    EXPECT_EQ(sim::batteryTemperature(c.battery, kClock + 3600), 2981);
    state.clock = kClock + 3599;
    sim::settleHardware(state);
    EXPECT_EQ(c.battery.chargedAt, kClock + 3600);
    state.clock = kClock + 4000;
    sim::settleHardware(state);
    sim::settleHardware(state);
    EXPECT_EQ(c.battery.chargedAt, 0u);
    ASSERT_EQ(c.events.size(), 3u);
    EXPECT_EQ(c.events[0].id, sim::kEventBatteryMissing);
    EXPECT_EQ(c.events[0].description, "Battery not detected");
    EXPECT_EQ(c.events[1].id, sim::kEventBatteryInserted);
    EXPECT_EQ(c.events[2].id, sim::kEventBatteryCharged);
    EXPECT_EQ(c.events[2].description, "Battery charged");
    EXPECT_EQ(c.events[2].time, kClock + 3600);
    // A charge that would end past the clock's last second ends there.
    EXPECT_EQ(sim::removeBattery(state, c), "");
    EXPECT_EQ(sim::insertBattery(state, c, 0xFFFFFFFFu), "");
    EXPECT_EQ(c.battery.chargedAt, 0xFFFFFFFFu);
}

TEST(HardwareModel, FansAndSensorsReportTheirFaults) {
    sim::State state = sim::demoState();
    state.clock = kClock;
    sim::Controller& c = state.controllers[0];
    EXPECT_EQ(sim::setFanSpeed(c, 0, 1, 2), sim::HardwareOutcome::Ok);
    EXPECT_EQ(sim::fanSpeedRpm(c.enclosures[0].fans[1]), 2000);
    EXPECT_EQ(sim::setFanSpeed(c, 0, 1, sim::kMaxFanSpeedCode + 1), sim::HardwareOutcome::BadValue);
    EXPECT_EQ(sim::setFanSpeed(c, 0, 9, 1), sim::HardwareOutcome::NoSuchFan);
    EXPECT_EQ(sim::setFanSpeed(c, 5, 0, 1), sim::HardwareOutcome::NoSuchEnclosure);
    EXPECT_EQ(sim::stopFan(state, c, 0, 1), "");
    EXPECT_EQ(sim::fanSpeedRpm(c.enclosures[0].fans[1]), 0);
    EXPECT_EQ(sim::stopFan(state, c, 0, 1), "fan 1 of enclosure 0 has already stopped");
    EXPECT_EQ(sim::stopFan(state, c, 0, 7), "no fan 7 in enclosure 0");
    // A sensor is reported when it rises above its limit, once.
    EXPECT_EQ(sim::heatSensor(state, c, 0, 0, 55), "");
    EXPECT_EQ(sim::heatSensor(state, c, 0, 0, 70), "");
    EXPECT_EQ(sim::heatSensor(state, c, 0, 0, 80), "");
    EXPECT_EQ(sim::heatSensor(state, c, 0, 9, 80), "no temperature sensor 9 in enclosure 0");
    ASSERT_EQ(c.events.size(), 2u);
    EXPECT_EQ(c.events[0].id, sim::kEventFanStopped);
    EXPECT_EQ(c.events[0].severity, sim::kSeverityError);
    EXPECT_EQ(c.events[0].description, "Fan 1 of enclosure 0 stopped");
    EXPECT_EQ(c.events[1].id, sim::kEventTemperatureHigh);
    EXPECT_EQ(c.events[1].description, "Temperature sensor 0 of enclosure 0 at 70 C, above its limit of 55 C");
}

TEST(HardwareModel, EnclosuresTakeTheLowestFreeIdOfEight) {
    sim::State state = sim::demoState();
    sim::Controller& c = state.controllers[0];
    int id = -1;
    for (int expected = 2; expected < 8; ++expected) {
        EXPECT_EQ(sim::addEnclosure(state, c, sim::NewEnclosure{}, &id), "");
        EXPECT_EQ(id, expected);
    }
    EXPECT_EQ(sim::addEnclosure(state, c, sim::NewEnclosure{}, &id), "the controller has 8 enclosures already");
    EXPECT_EQ(c.enclosures.size(), 8u);
}

TEST(HardwareModel, TheHardwareSurvivesTheStateFile) {
    sim::State state = sim::demoState();
    sim::Controller& c = state.controllers[0];
    c.enclosures[0].reportedCounts = std::array<std::uint8_t, 4>{1, 2, 3, 4};
    c.enclosures[1].voltages[0].rail = sim::VoltageRail::V12;
    c.locatedDisks = {3, 5};
    c.battery = sim::Battery{true, 3000, 3900, 12345};
    c.buzzer = true;
    c.portInfo = 4;
    c.sataPorts = {sim::SataPort{false, true}};
    const nlohmann::json j = state;
    EXPECT_EQ(j["controllers"][0]["enclosures"][1]["voltages"][0]["rail"], "12V");
    const sim::State back = j.get<sim::State>();
    EXPECT_EQ(nlohmann::json(back), j);
}

}  // namespace

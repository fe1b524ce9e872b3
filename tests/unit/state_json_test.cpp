// The simulator's state as JSON: texts kept as bytes, values checked when a
// state is read, and the layouts written so far still read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/model.h"

namespace {

using nlohmann::json;

std::string refusal(const std::string& text) {
    try {
        (void)json::parse(text).get<sim::State>();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(read without complaint)";
}

TEST(StateJson, TextsKeepEveryByteAndValidUtf8StaysReadable) {
    const std::string sixtyTwo(62, 'a');
    struct Case {
        std::string bytes;
        bool plain;  // written as a JSON string
    };
    const std::vector<Case> cases = {
        {"", true},
        {"Mirror", true},
        {"\xc3\x9c" "ber \xe2\x82\xac \xf0\x9f\x92\xbe", true},  // two, three and four bytes
        {std::string("nul\0inside", 10), true},
        {"\xff", false},
        {sixtyTwo + "\xc3", false},           // a two-byte character cut after its first byte
        {"\xc0\xaf", false},                   // overlong
        {"\xed\xa0\x80", false},               // a surrogate
        {"\xf4\x90\x80\x80", false},           // past U+10FFFF
        {"ok\x80\xfe\x01" " tail", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(json(c.plain).dump() + " " + std::to_string(c.bytes.size()));
        sim::State s = sim::demoState();
        s.hostOs = c.bytes;
        s.controllers[0].discoverPath = c.bytes;
        s.controllers[0].disks[0].model = c.bytes;
        s.controllers[0].disks[0].serial = c.bytes;
        s.controllers[0].disks[0].firmware = c.bytes;
        s.controllers[0].arrays.resize(1);
        s.controllers[0].arrays[0].name = c.bytes;
        s.controllers[0].events.resize(1);
        s.controllers[0].events[0].description = c.bytes;
        s.controllers[0].events[0].array = c.bytes;

        std::string text;
        ASSERT_NO_THROW(text = json(s).dump(2));
        const json written = json::parse(text);
        const json& name = written["controllers"][0]["arrays"][0]["name"];
        EXPECT_EQ(name.is_string(), c.plain);
        if (c.plain) {
            EXPECT_EQ(name.get<std::string>(), c.bytes);
        }

        const auto back = written.get<sim::State>();
        EXPECT_EQ(back.hostOs, c.bytes);
        EXPECT_EQ(back.controllers[0].discoverPath, c.bytes);
        EXPECT_EQ(back.controllers[0].disks[0].model, c.bytes);
        EXPECT_EQ(back.controllers[0].disks[0].serial, c.bytes);
        EXPECT_EQ(back.controllers[0].disks[0].firmware, c.bytes);
        EXPECT_EQ(back.controllers[0].arrays[0].name, c.bytes);
        EXPECT_EQ(back.controllers[0].events[0].description, c.bytes);
        EXPECT_EQ(back.controllers[0].events[0].array, c.bytes);
    }
}

TEST(StateJson, HexTextsAreRead) {
    const auto s = json::parse(R"({"hostOs": {"hex": "4142ff00C3"}})").get<sim::State>();
    EXPECT_EQ(s.hostOs, std::string("AB\xff\0\xc3", 5));
}

TEST(StateJson, BadStatesAreRefusedNamingTheField) {
    struct Case {
        const char* text;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"null", "the top level: expected an object"},
        {"[]", "the top level: expected an object"},
        {"42", "the top level: expected an object"},
        {R"({"controllers": [{"disks": [{}, {}, {"extents": [{"role": "bogus"}]}]}]})",
         "controllers[0].disks[2].extents[0].role: unknown name \"bogus\" (known: free, assigned, "
         "globalSpare, dedicatedSpare, backup, latestBackup)"},
        {R"({"controllers": [{"arrays": [{"activity": {"kind": "defrag"}}]}]})",
         "controllers[0].arrays[0].activity.kind: unknown name \"defrag\" (known: rebuild, init, "
         "sync, check, migration, backup)"},
        {R"({"ports": [{"kind": "talo"}, {"kind": "scsi"}]})",
         "ports[1].kind: unknown name \"scsi\" (known: talo, adapter, missing)"},
        {R"({"controllers": [{"disks": [{"sectors": -1}]}]})",
         "controllers[0].disks[0].sectors: out of range (0 to 18446744073709551615)"},
        {R"({"controllers": [{"disks": [{"id": 4294967296}]}]})",
         "controllers[0].disks[0].id: out of range (-2147483648 to 2147483647)"},
        {R"({"controllers": [{"arrays": [{"level": 256}]}]})",
         "controllers[0].arrays[0].level: out of range (0 to 255)"},
        {R"({"clock": 4294967296})", "clock: out of range (0 to 4294967295)"},
        {R"({"clock": -1})", "clock: out of range (0 to 4294967295)"},
        {R"({"clock": 1.5})", "clock: expected a whole number"},
        {R"({"clock": 1e300})", "clock: out of range (0 to 4294967295)"},
        {R"({"clock": -1e300})", "clock: out of range (0 to 4294967295)"},
        {R"({"controllers": [{"disks": [{"sectors": 1.8446744073709552e19}]}]})",
         "controllers[0].disks[0].sectors: out of range (0 to 18446744073709551615)"},
        {R"({"controllers": [{"targetId": -0.5}]})", "controllers[0].targetId: expected a whole number"},
        {R"({"clock": "5"})", "clock: expected a whole number"},
        {R"({"controllers": [{"arrays": [{"activity": {"paused": 1}}]}]})",
         "controllers[0].arrays[0].activity.paused: expected true or false"},
        {R"({"controllers": [{"driverVersion": [3, 2, 0]}]})",
         "controllers[0].driverVersion: expected a list of 4 values"},
        {R"({"controllers": [{"disks": {"id": 0}}]})", "controllers[0].disks: expected a list"},
        {R"({"controllers": [{"disks": [7]}]})", "controllers[0].disks[0]: expected an object"},
        {R"({"failures": {"vendorCheckCondition": [5, 36, 1e10]}})",
         "failures.vendorCheckCondition[2]: out of range (-2147483648 to 2147483647)"},
        {R"({"hostOs": 7})", "hostOs: expected a text or {\"hex\": \"...\"}"},
        {R"({"hostOs": {"hex": "abc"}})", "hostOs.hex: expected pairs of hex digits"},
        {R"({"hostOs": {"hex": "zz"}})", "hostOs.hex: expected pairs of hex digits"},
        {R"({"hostOs": {"hex": "41", "more": 1}})", "hostOs: expected a text or {\"hex\": \"...\"}"},
        {R"({"controllers": [{"disks": [{"present": 0}]}]})",
         "controllers[0].disks[0].present: expected true or false"},
        {R"({"controllers": [{"disks": [{"failed": "yes"}]}]})",
         "controllers[0].disks[0].failed: expected true or false"},
        {R"({"controllers": [{"quirks": {"phyDrvCount": -3}}]})",
         "controllers[0].quirks.phyDrvCount: out of range (0 to 4294967295)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(refusal(c.text), c.message);
    }
}

TEST(StateJson, WholeNumbersWrittenWithAFractionOrExponentAreTaken) {
    const auto s = json::parse(R"({"clock": 5.0, "controllers": [{"disks": [{"sectors": 1e3,
                                  "id": -0.0}]}]})")
                       .get<sim::State>();
    EXPECT_EQ(s.clock, 5u);
    EXPECT_EQ(s.controllers[0].disks[0].sectors, 1000u);
    EXPECT_EQ(s.controllers[0].disks[0].id, 0);
}

TEST(StateJson, LayoutsWrittenBeforeStillRead) {
    // As the earlier writer laid a state out: ports without a controller
    // unless they hold one, empty quirks, unset optional fields left out or
    // null, and keys this reader does not know.
    const auto s = json::parse(R"({
        "clock": 315626635,
        "hostOs": "Windows XP",
        "failures": {"initialize": 0, "discover": 0, "discoverPath": 0,
                     "passThroughError": 0, "vendorCheckCondition": []},
        "ports": [{"kind": "adapter"}, {"kind": "talo", "controller": 0},
                  {"kind": "adapter", "rejectsIdentify": true}, {"kind": "missing"}, {}],
        "controllers": [{
            "driverVersion": [3, 2, 0, 19], "targetId": 0, "identifyReturnCode": 0,
            "controllerId": 12576, "subsystemId": 256, "discoverPath": "PCI bus 2",
            "productId": 12576, "subProductId": 256, "biosVersion": [1, 0, 12, 3],
            "firmwareVersion": [1, 2, 0, 41], "eccMemory": true, "memorySizeMb": 256,
            "pci": {"bus": 2, "slot": 0, "irql": 18, "irqVector": 419,
                    "vendorDeviceId": 824188250, "subsystemId": 16784730,
                    "resources": [4273930240, 4273995776, 57345, 0, 0, 0]},
            "disks": [{"id": 0, "channel": 0, "sectors": 156301488, "model": "WDC",
                       "serial": "WD-1", "firmware": "10.01E04", "enclosureId": 255,
                       "carrierId": 0, "extents": [{"index": 0, "start": 2048,
                       "size": 1000, "role": "assigned", "arrayId": 0, "backupTime": 0,
                       "offline": false, "inaccessible": false}]},
                      {"id": 1, "sectors": 156301488, "reportedExtentCount": null}],
            "arrays": [{"id": 0, "level": 1, "members": [0, 255], "name": "Mirror",
                        "flags": 16777217, "activity": {"kind": "rebuild", "paused": true,
                        "targetDisks": [1], "targetExtents": [-1]}}],
            "events": [{"id": 4097, "severity": 1, "description": "Array created",
                        "array": "0", "time": 315626635}],
            "quirks": {},
            "settingsOfALaterVersion": {"anything": [1, 2, 3]}
        }]
    })")
                       .get<sim::State>();
    EXPECT_EQ(s.clock, 315626635u);
    ASSERT_EQ(s.ports.size(), 5u);
    EXPECT_EQ(s.ports[0].kind, sim::PortKind::Adapter);
    EXPECT_EQ(s.ports[1].kind, sim::PortKind::Talo);
    EXPECT_EQ(s.ports[1].controller, 0);
    EXPECT_TRUE(s.ports[2].rejectsIdentify);
    EXPECT_EQ(s.ports[4].kind, sim::PortKind::Missing);
    const sim::Controller& c = s.controllers.at(0);
    EXPECT_EQ(c.pci.irqVector, 419u);
    EXPECT_EQ(c.disks.at(0).extents.at(0).role, sim::ExtentRole::Assigned);
    EXPECT_FALSE(c.disks.at(1).reportedExtentCount.has_value());
    EXPECT_EQ(c.disks.at(1).model, "");
    EXPECT_TRUE(c.disks.at(1).speed3gEnabled);  // absent: the default
    ASSERT_TRUE(c.arrays.at(0).activity.has_value());
    EXPECT_EQ(c.arrays[0].activity->kind, sim::ActivityKind::Rebuild);
    EXPECT_EQ(c.arrays[0].activity->targetExtents, std::vector<int>{-1});
    EXPECT_EQ(c.arrays[0].stripeSectors, 128u);  // absent: the default
    EXPECT_FALSE(c.quirks.phyDrvCount.has_value());
    EXPECT_EQ(c.events.at(0).description, "Array created");
}

TEST(StateJson, WrittenStatesReadBackUnchanged) {
    sim::State s = sim::demoState();
    s.clock = 99;
    s.ports[0].rejectsIdentify = true;
    sim::Controller& c = s.controllers[0];
    c.quirks.phyDrvFilled = 12;
    c.disks[3].reportedExtentCount = 9;
    c.disks[3].extents.resize(1);
    c.disks[3].extents[0].role = sim::ExtentRole::LatestBackup;
    c.disks[3].extents[0].reportedFlags = 0x80000000u;
    c.arrays.resize(1);
    c.arrays[0].activity.emplace();
    c.arrays[0].activity->kind = sim::ActivityKind::Migration;
    c.arrays[0].reportedMemberCount = 40;
    const json once = s;
    const json twice = once.get<sim::State>();
    EXPECT_EQ(once, twice);
    EXPECT_EQ(once["controllers"][0]["disks"][3]["reportedExtentCount"], 9);
    EXPECT_FALSE(once["controllers"][0]["disks"][2].contains("reportedExtentCount"));
    EXPECT_EQ(once["controllers"][0]["arrays"][0]["activity"]["kind"], "migration");
    EXPECT_EQ(once["controllers"][0]["quirks"], json({{"phyDrvFilled", 12}}));
}

TEST(StateJson, AControllerIsOneFlatObjectOfEverySlicesFields) {
    sim::Controller c = sim::demoState().controllers[0];
    c.quirks.phyDrvCount = 3;
    const json j = c;
    std::vector<std::string> keys;
    for (const auto& item : j.items()) keys.push_back(item.key());
    const std::vector<std::string> expected = {
        "arrays",        "battery",      "biosVersion", "buzzer",       "cam",
        "controllerId",  "discoverPath", "disks",       "driverVersion", "eccMemory",
        "enclosures",    "eventQuirks",  "events",      "firmwareVersion", "flashImages", "identifyReturnCode",
        "locatedDisks",  "memorySizeMb", "patrols",     "pci",         "portInfo",     "productId",
        "quirks",        "sataPorts",    "schedules",    "settings",    "subProductId", "subsystemId",
        "targetId"};
    EXPECT_EQ(keys, expected);
    const auto back = j.get<sim::Controller>();
    EXPECT_EQ(json(back), j);
    EXPECT_EQ(back.disks.size(), 8u);
    EXPECT_EQ(back.quirks.phyDrvCount, 3u);
    EXPECT_EQ(back.discoverPath, c.discoverPath);
}

TEST(StateJson, AStateWithoutPortsAndControllersStandsOnTheDemos) {
    const sim::State demo = sim::demoState();
    struct Case {
        const char* text;
        std::size_t ports;
        std::size_t controllers;
    };
    const std::vector<Case> cases = {
        {R"({"failures": {"discover": 7}})", demo.ports.size(), demo.controllers.size()},
        {R"({"ports": null, "controllers": null})", demo.ports.size(), demo.controllers.size()},
        {R"({"ports": []})", 0, 0},
        {R"({"controllers": []})", 0, 0},
        {R"({"controllers": [{}]})", 0, 1},
        {R"({"ports": [{"kind": "missing"}]})", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto s = json::parse(c.text).get<sim::State>();
        EXPECT_EQ(s.ports.size(), c.ports);
        EXPECT_EQ(s.controllers.size(), c.controllers);
        if (c.ports == demo.ports.size() && c.controllers == demo.controllers.size()) {
            EXPECT_EQ(json(s.ports), json(demo.ports));
            EXPECT_EQ(json(s.controllers), json(demo.controllers));
        }
    }
    EXPECT_EQ(json::parse(R"({"failures": {"discover": 7}})").get<sim::State>().failures.discover, 7u);
}

TEST(StateJson, APulledOrFailedDiskIsKept) {
    const auto s = json::parse(R"({"controllers": [{"disks": [{"id": 1, "present": false},
                                                              {"id": 2, "failed": true}, {"id": 3}]}]})")
                       .get<sim::State>();
    const auto& disks = s.controllers.at(0).disks;
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_FALSE(disks[0].present);
    EXPECT_FALSE(disks[0].failed);
    EXPECT_TRUE(disks[1].present);
    EXPECT_TRUE(disks[1].failed);
    EXPECT_TRUE(disks[2].present);
    EXPECT_FALSE(disks[2].failed);
    EXPECT_FALSE(sim::diskVisible(disks[0]));
    EXPECT_TRUE(sim::diskVisible(disks[1]));
    EXPECT_EQ(json(s), json(json(s).get<sim::State>()));
}

}  // namespace

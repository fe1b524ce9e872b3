// talo-sim run as a user runs it, on a state file in a fresh folder: each
// case compares its whole standard output, standard error and exit code, and
// the state it leaves (the expected one made from the state before; a
// refused command must leave the file byte for byte as it was).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/array_model.h"
#include "sim/model.h"
#include "temp_folder.h"

namespace {

using tooltest::Folder;
using tooltest::readFile;

using nlohmann::json;

constexpr std::uint32_t kClock = 1000000000;  // Sun Sep 09 01:46:40 2001

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

struct ToolRun {
    std::string out, err;
    int code = -1;
};

// Runs talo-sim in the folder with the words; TALO_SIM set to `env` when given.
ToolRun runTool(const Folder& folder, const std::vector<std::string>& words,
            const std::optional<std::string>& env = std::nullopt) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.path.c_str()) != 0) _exit(126);
        const int out = open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (env) {
            setenv("TALO_SIM", env->c_str(), 1);
        } else {
            unsetenv("TALO_SIM");
        }
        std::vector<char*> argv;
        std::string program = TALO_SIM_TOOL_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = words;
        for (std::string& w : copies) argv.push_back(w.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ToolRun run;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(folder.file("out.txt"));
    run.err = readFile(folder.file("err.txt"));
    return run;
}

// The demo with a fixed clock, as the store keeps it (settled).
sim::State startState() {
    sim::State s = sim::demoState();
    s.clock = kClock;
    sim::settleState(s);
    return s;
}

std::vector<std::string> words(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

struct Case {
    const char* name;
    std::function<void(sim::State&)> prepare;  // the state before; null: startState()
    std::vector<std::string> args;             // after --state s.json
    std::string out;
    std::string err;
    int code;
    // The state after, made from the state before; null: left as it was.
    std::function<void(sim::State&)> change;
};

void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder folder;
        sim::State before = startState();
        if (c.prepare) c.prepare(before);
        const std::string text = json(before).dump(2) + "\n";
        writeFile(folder.file("s.json"), text);
        std::vector<std::string> args = {"--state", "s.json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun run = runTool(folder, args);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.code, c.code);
        const std::string after = readFile(folder.file("s.json"));
        if (!c.change) {
            EXPECT_EQ(after, text);
            continue;
        }
        sim::State expected = before;
        c.change(expected);
        EXPECT_EQ(json::parse(after), json(expected));
    }
}

sim::Extent freeExtent(std::uint64_t size) {
    sim::Extent e;
    e.start = sim::kReservedSectors;
    e.size = size;
    return e;
}

sim::Disk& disk(sim::State& s, int id) { return s.controllers.at(0).disks.at(static_cast<std::size_t>(id)); }

void event(sim::State& s, std::uint32_t id, int severity, const char* text, const char* array = "") {
    sim::queueEvent(s.controllers.at(0), id, severity, text, array, *s.clock);
}

sim::Port port(sim::PortKind kind, int controller = -1, bool rejects = false) {
    sim::Port p;
    p.kind = kind;
    p.controller = controller;
    p.rejectsIdentify = rejects;
    return p;
}

TEST(TaloSim, DiskFaults) {
    const auto pulled = [](sim::State& s) { disk(s, 3).present = false; };
    runCases({
        {"pull", nullptr, words({"pull", "3"}), "disk 3 on controller 0 pulled\n", "", 0,
         [](sim::State& s) {
             disk(s, 3).present = false;
             event(s, 0x3001, 3, "Disk 3 unplugged");
         }},
        {"pull twice", pulled, words({"pull", "3"}), "",
         "talo-sim: controller 0: disk 3 is already pulled\n", 1, nullptr},
        {"plug clears a failed mark",
         [](sim::State& s) {
             disk(s, 3).present = false;
             disk(s, 3).failed = true;
         },
         words({"plug", "3", "-c", "0"}), "disk 3 on controller 0 plugged in\n", "", 0,
         [](sim::State& s) {
             disk(s, 3).present = true;
             disk(s, 3).failed = false;
             event(s, 0x3002, 1, "Disk 3 plugged in");
         }},
        {"plug a disk in its slot", nullptr, words({"plug", "3"}), "",
         "talo-sim: controller 0: disk 3 is already in its slot\n", 1, nullptr},
        {"fail", nullptr, words({"fail", "2", "--controller", "0"}), "disk 2 on controller 0 failed\n", "",
         0,
         [](sim::State& s) {
             disk(s, 2).failed = true;
             event(s, 0x3003, 6, "Disk 2 failed");
         }},
        {"fail a pulled disk", pulled, words({"fail", "3"}), "", "talo-sim: controller 0: disk 3 is pulled\n",
         1, nullptr},
        {"fail twice", [](sim::State& s) { disk(s, 2).failed = true; }, words({"fail", "2"}), "",
         "talo-sim: controller 0: disk 2 is already failed\n", 1, nullptr},
        {"no such disk", nullptr, words({"pull", "9"}), "", "talo-sim: controller 0: no disk 9\n", 1, nullptr},
        {"no such controller", nullptr, words({"pull", "1", "-c", "1"}), "",
         "talo-sim: no controller 1 (the state has 1)\n", 1, nullptr},
        {"disk id past the table", nullptr, words({"pull", "128"}), "",
         "talo-sim: disk 128 out of range (0 to 127)\n", 1, nullptr},
        {"disk id not a number", nullptr, words({"pull", "3x"}), "",
         "talo-sim: disk: \"3x\" is not a whole number\n", 1, nullptr},
        {"disk missing", nullptr, words({"pull"}), "",
         "talo-sim: disk is required (talo-sim --help lists the commands)\n", 2, nullptr},
    });
}

TEST(TaloSim, DisksAndControllers) {
    const auto withArray = [](sim::State& s) {
        sim::NewArray a;
        a.level = lib::RAID_LEVEL_RAID1;
        a.name = "mirror";
        a.members = {{0, -1}, {1, -1}};
        ASSERT_EQ(sim::createArray(s, s.controllers[0], a), sim::Outcome::Ok);
    };
    runCases({
        {"add a disk with its texts", nullptr,
         words({"add-disk", "--sectors", "4096", "--model", "Tiny", "--serial", "T1", "--firmware", "F1"}),
         "disk 8 added to controller 0\n", "", 0,
         [](sim::State& s) {
             sim::Disk d;
             d.id = 8;
             d.channel = 8;
             d.sectors = 4096;
             d.model = "Tiny";
             d.serial = "T1";
             d.firmware = "F1";
             d.extents = {freeExtent(2048)};
             s.controllers[0].disks.push_back(d);
         }},
        {"add a disk in a gap, with defaults", [](sim::State& s) { s.controllers[0].disks.erase(s.controllers[0].disks.begin() + 2); },
         words({"add-disk", "--channel", "5"}), "disk 2 added to controller 0\n", "", 0,
         [](sim::State& s) {
             sim::Disk d;
             d.id = 2;
             d.channel = 5;
             d.sectors = 488397168ull;
             d.model = "Maxtor 7V250F0";
             d.serial = "V59A00002";
             d.firmware = "VA111630";
             d.extents = {freeExtent(488397168ull - 2048)};
             s.controllers[0].disks.insert(s.controllers[0].disks.begin() + 2, d);
         }},
        {"add a disk with an id in use", nullptr, words({"add-disk", "--id", "3"}), "",
         "talo-sim: controller 0 has a disk 3 already\n", 1, nullptr},
        {"add a disk too small", nullptr, words({"add-disk", "--sectors", "2048"}), "",
         "talo-sim: a disk needs more than the 2048 sectors of the controller's metadata\n", 1, nullptr},
        {"remove a disk", nullptr, words({"remove-disk", "7"}), "disk 7 removed from controller 0\n", "", 0,
         [](sim::State& s) { s.controllers[0].disks.pop_back(); }},
        {"remove an array's member", withArray, words({"remove-disk", "1"}), "",
         "talo-sim: disk 1 is a member of array 0: delete the array first\n", 1, nullptr},
        {"add a controller", nullptr, words({"add-controller", "--disks", "1"}),
         "controller 1 added on port 2 with 1 disks\n", "", 0,
         [](sim::State& s) {
             sim::Controller c;
             c.pci.bus = 3;
             c.discoverPath = "PCI bus 3, device 0, function 0";
             sim::Disk d;
             d.channel = 0;
             d.sectors = 156301488ull;
             d.model = "WDC WD800JD-75MSA3";
             d.serial = "WD-WMAM9A01000";
             d.firmware = "10.01E04";
             d.extents = {freeExtent(156301488ull - 2048)};
             c.disks.push_back(d);
             s.controllers.push_back(c);
             s.ports.insert(s.ports.begin() + 2, port(sim::PortKind::Talo, 1));
         }},
        {"add a controller past the ports", nullptr, words({"add-controller", "--port", "4"}), "",
         "talo-sim: port 4 is past the end (the state has 3 ports)\n", 1, nullptr},
        {"remove a controller", nullptr, words({"remove-controller", "0"}),
         "controller 0 removed with its port 1\n", "", 0,
         [](sim::State& s) {
             s.controllers.clear();
             s.ports.erase(s.ports.begin() + 1);
         }},
        {"remove the first of two controllers",
         [](sim::State& s) {
             s.controllers.push_back(sim::Controller{});
             s.ports.push_back(port(sim::PortKind::Talo, 1));
         },
         words({"remove-controller", "0"}), "controller 0 removed with its port 1\n", "", 0,
         [](sim::State& s) {
             s.controllers.erase(s.controllers.begin());
             s.ports.erase(s.ports.begin() + 1);
             s.ports[2].controller = 0;
         }},
        {"add an adapter", nullptr, words({"add-adapter", "--rejects-identify"}),
         "port 2: adapter, fails the identification\n", "", 0,
         [](sim::State& s) { s.ports.insert(s.ports.begin() + 2, port(sim::PortKind::Adapter, -1, true)); }},
        {"add a missing port", nullptr, words({"add-missing-port", "--port", "0"}), "port 0: missing\n", "", 0,
         [](sim::State& s) { s.ports.insert(s.ports.begin(), port(sim::PortKind::Missing)); }},
        {"remove a port", nullptr, words({"remove-port", "0"}), "port 0 (adapter) removed\n", "", 0,
         [](sim::State& s) { s.ports.erase(s.ports.begin()); }},
        {"remove a controller's port", nullptr, words({"remove-port", "1"}), "",
         "talo-sim: port 1 holds controller 0: remove the controller instead\n", 1, nullptr},
        {"remove no port", nullptr, words({"remove-port", "3"}), "", "talo-sim: no port 3 (the state has 3)\n",
         1, nullptr},
    });
}

TEST(TaloSim, EventsAndClock) {
    const auto initRunning = [](sim::State& s) {
        sim::NewArray a;
        a.level = lib::RAID_LEVEL_RAID1;
        a.name = "mirror";
        a.members = {{0, -1}, {1, -1}};
        ASSERT_EQ(sim::createArray(s, s.controllers[0], a), sim::Outcome::Ok);
        ASSERT_EQ(sim::startInit(s, s.controllers[0], 0, 1), sim::Outcome::Ok);  // quick: 10 s
    };
    runCases({
        {"queue an event", nullptr,
         words({"event", "--id", "0x1234", "--severity", "warning", "--array", "A1", "Hello there"}),
         "event 0x1234 queued on controller 0\n", "", 0,
         [](sim::State& s) { event(s, 0x1234, 3, "Hello there", "A1"); }},
        {"queue an event of a numbered severity", nullptr, words({"event", "--id", "7", "--severity", "9", "x"}),
         "event 0x7 queued on controller 0\n", "", 0, [](sim::State& s) { event(s, 7, 9, "x"); }},
        {"unknown severity", nullptr, words({"event", "--id", "1", "--severity", "loud", "x"}), "",
         "talo-sim: severity (information, warning, error or a number): \"loud\" is not a whole number\n", 1,
         nullptr},
        {"event code too big", nullptr, words({"event", "--id", "0x100000000", "x"}), "",
         "talo-sim: event code 0x100000000 out of range (0 to 4294967295)\n", 1, nullptr},
        {"set the clock", nullptr, words({"clock", "set", "5"}), "clock fixed at 5 (Thu Jan 01 00:00:05 1970)\n",
         "", 0, [](sim::State& s) { s.clock = 5; }},
        {"advance the clock: a quick initialisation finishes", initRunning, words({"clock", "advance", "10"}),
         "clock fixed at 1000000010 (Sun Sep 09 01:46:50 2001)\n", "", 0,
         [](sim::State& s) {
             s.clock = kClock + 10;
             sim::settleState(s);
             ASSERT_FALSE(s.controllers[0].arrays[0].activity.has_value());
         }},
        {"advance the clock short of the end", initRunning, words({"clock", "advance", "9"}),
         "clock fixed at 1000000009 (Sun Sep 09 01:46:49 2001)\n", "", 0,
         [](sim::State& s) {
             s.clock = kClock + 9;
             ASSERT_TRUE(s.controllers[0].arrays[0].activity.has_value());
         }},
        {"advance the clock too far", nullptr, words({"clock", "advance", "4000000000"}), "",
         "talo-sim: the clock cannot pass 4294967295\n", 1, nullptr},
        {"the system's clock", nullptr, words({"clock", "system"}), "clock follows the system's time\n", "", 0,
         [](sim::State& s) { s.clock.reset(); }},
        {"a controller start makes the saved CAM settings current",
         [](sim::State& s) { s.controllers[0].cam.saved = 0x5; }, words({"restart"}),
         "controller 0 started again\n", "", 0, [](sim::State& s) { s.controllers[0].cam.current = 0x5; }},
        {"clock without a command", nullptr, words({"clock"}), "",
         "talo-sim: A subcommand is required (talo-sim --help lists the commands)\n", 2, nullptr},
    });
}

TEST(TaloSim, Hardware) {
    const auto noBattery = [](sim::State& s) { s.controllers[0].battery.present = false; };
    runCases({
        {"add an enclosure", nullptr,
         words({"add-enclosure", "--type", "5", "--slots", "8", "--fans", "1", "--temperatures", "0", "--voltages", "4"}),
         "enclosure 2 added to controller 0\n", "", 0,
         [](sim::State& s) {
             sim::Enclosure e;
             e.id = 2;
             e.type = 5;
             e.slots = 8;
             e.firmware = {1, 2, 0, 2};
             e.fans = {sim::Fan{0, 3, false}};
             e.voltages = {sim::VoltageSensor{0, sim::VoltageRail::V3_3, 3300},
                           sim::VoltageSensor{1, sim::VoltageRail::V5, 5000},
                           sim::VoltageSensor{2, sim::VoltageRail::V12, 12000},
                           sim::VoltageSensor{3, sim::VoltageRail::V3_3, 3300}};
             s.controllers[0].enclosures.push_back(e);
             event(s, 0x4006, 1, "Enclosure 2 added");
         }},
        {"no ninth enclosure",
         [](sim::State& s) {
             for (int id = 2; id < 8; ++id) {
                 sim::Enclosure e;
                 e.id = id;
                 s.controllers[0].enclosures.push_back(e);
             }
         },
         words({"add-enclosure"}), "", "talo-sim: controller 0: the controller has 8 enclosures already\n", 1,
         nullptr},
        {"an enclosure kind of 0 is none", nullptr, words({"add-enclosure", "--type", "0"}), "",
         "talo-sim: enclosure kind 0 out of range (1 to 255)\n", 1, nullptr},
        {"stop a fan", nullptr, words({"stop-fan", "0", "1"}), "fan 1 of enclosure 0 on controller 0 stopped\n", "",
         0,
         [](sim::State& s) {
             s.controllers[0].enclosures[0].fans[1].stopped = true;
             event(s, 0x4001, 6, "Fan 1 of enclosure 0 stopped");
         }},
        {"stop a fan that does not exist", nullptr, words({"stop-fan", "1", "1"}), "",
         "talo-sim: controller 0: no fan 1 in enclosure 1\n", 1, nullptr},
        {"heat a sensor above its limit", nullptr, words({"heat-sensor", "0", "1", "56"}),
         "temperature sensor 1 of enclosure 0 on controller 0 at 56 C\n", "", 0,
         [](sim::State& s) {
             s.controllers[0].enclosures[0].temperatures[1].celsius = 56;
             event(s, 0x4002, 3, "Temperature sensor 1 of enclosure 0 at 56 C, above its limit of 55 C");
         }},
        {"cool a sensor: no event", nullptr, words({"heat-sensor", "0", "1", "20"}),
         "temperature sensor 1 of enclosure 0 on controller 0 at 20 C\n", "", 0,
         [](sim::State& s) { s.controllers[0].enclosures[0].temperatures[1].celsius = 20; }},
        {"heat a sensor past 255", nullptr, words({"heat-sensor", "0", "1", "256"}), "",
         "talo-sim: temperature 256 out of range (0 to 255)\n", 1, nullptr},
        {"heat a sensor of no enclosure", nullptr, words({"heat-sensor", "7", "0", "60"}), "",
         "talo-sim: controller 0: no enclosure 7\n", 1, nullptr},
        {"remove the battery", nullptr, words({"remove-battery"}), "battery of controller 0 removed\n", "", 0,
         [](sim::State& s) {
             s.controllers[0].battery.present = false;
             event(s, 0x10017, 3, "Battery not detected");
         }},
        {"remove no battery", noBattery, words({"remove-battery"}), "",
         "talo-sim: controller 0: the battery is already out\n", 1, nullptr},
        {"insert a battery", noBattery, words({"insert-battery", "--charge-seconds", "60"}),
         "battery fitted on controller 0, charged in 60 seconds\n", "", 0,
         [](sim::State& s) {
             s.controllers[0].battery.present = true;
             s.controllers[0].battery.chargedAt = kClock + 60;
             event(s, 0x4005, 1, "Battery detected, charging");
         }},
        {"the charge ends as the clock passes it",
         [](sim::State& s) { s.controllers[0].battery.chargedAt = kClock + 60; }, words({"clock", "advance", "61"}),
         "clock fixed at 1000000061 (Sun Sep 09 01:47:41 2001)\n", "", 0,
         [](sim::State& s) {
             s.clock = kClock + 61;
             s.controllers[0].battery.chargedAt = 0;
             sim::queueEvent(s.controllers[0], 0x4004, 1, "Battery charged", "", kClock + 60);
         }},
    });
}

TEST(TaloSim, Failures) {
    const auto failing = [](sim::State& s) {
        s.failures.initialize = 7;
        s.failures.discover = 8;
        s.failures.vendorCheckCondition = {5, 0x24, 0};
    };
    runCases({
        {"set failures", nullptr,
         words({"failures", "set", "--initialize", "7", "--discover", "8", "--discover-path", "9",
                "--pass-through-error", "0x1f", "--check-condition", "15", "255", "0xff"}),
         "failures: initialize=7 discover=8 discoverPath=9 passThroughError=31 "
         "vendorCheckCondition=0x0f,0xff,0xff\n",
         "", 0,
         [](sim::State& s) {
             s.failures.initialize = 7;
             s.failures.discover = 8;
             s.failures.discoverPath = 9;
             s.failures.passThroughError = 31;
             s.failures.vendorCheckCondition = {15, 255, 255};
         }},
        {"sense key above 15", nullptr, words({"failures", "set", "--check-condition", "16", "0", "0"}), "",
         "talo-sim: sense key 16 out of range (0 to 15)\n", 1, nullptr},
        {"sense code above 255", nullptr, words({"failures", "set", "--check-condition", "5", "256", "0"}), "",
         "talo-sim: additional sense code 256 out of range (0 to 255)\n", 1, nullptr},
        {"qualifier above 255", nullptr, words({"failures", "set", "--check-condition", "5", "0", "0x100"}), "",
         "talo-sim: additional sense code qualifier 0x100 out of range (0 to 255)\n", 1, nullptr},
        {"negative status", nullptr, words({"failures", "set", "--initialize=-1"}), "",
         "talo-sim: initialize status: \"-1\" is not a whole number\n", 1, nullptr},
        {"status above 32 bits", nullptr, words({"failures", "set", "--discover", "4294967296"}), "",
         "talo-sim: discover status 4294967296 out of range (0 to 4294967295)\n", 1, nullptr},
        {"two sense values", nullptr, words({"failures", "set", "--check-condition", "5", "0"}), "",
         "talo-sim: --check-condition: At least 3 required but received 2 "
         "(talo-sim --help lists the commands)\n",
         2, nullptr},
        {"nothing to set", nullptr, words({"failures", "set"}), "",
         "talo-sim: no failure given (see talo-sim failures set --help)\n", 1, nullptr},
        {"clear one", failing, words({"failures", "clear", "discover"}),
         "failures: initialize=7 vendorCheckCondition=0x05,0x24,0x00\n", "", 0,
         [](sim::State& s) { s.failures.discover = 0; }},
        {"clear all", failing, words({"failures", "clear"}), "failures: none\n", "", 0,
         [](sim::State& s) { s.failures = sim::Failures{}; }},
        {"clear an unknown one", failing, words({"failures", "clear", "initialize", "bogus"}), "",
         "talo-sim: unknown failure \"bogus\" (known: initialize, discover, discoverPath, passThroughError, "
         "vendorCheckCondition)\n",
         1, nullptr},
    });
}

TEST(TaloSim, ShowsTheWholeStateOrOneController) {
    const auto busy = [](sim::State& s) {
        sim::NewArray a;
        a.level = lib::RAID_LEVEL_RAID1;
        a.name = "mirror";
        a.members = {{0, -1}, {1, -1}};
        ASSERT_EQ(sim::createArray(s, s.controllers[0], a), sim::Outcome::Ok);
        ASSERT_EQ(sim::startSync(s, s.controllers[0], 0, false), sim::Outcome::Ok);
        s.clock = kClock + 125;  // 12.5 % of 1000 seconds
        s.controllers[0].arrays[0].members[1] = sim::kMissingMember;
        s.controllers[0].disks.resize(3);
        s.controllers[0].disks[1].present = false;
        s.controllers[0].disks[2].failed = true;
        s.controllers[0].disks[2].model = "bad\xff";
        s.failures.passThroughError = 5;
        s.ports[0].rejectsIdentify = true;
        sim::Controller& c = s.controllers[0];
        c.enclosures[0].fans[1].stopped = true;
        c.enclosures[1].fans.clear();
        c.enclosures[1].temperatures.clear();
        c.battery.chargedAt = kClock + 125 + 360;  // a kelvin warmer
        c.locatedDisks = {2, 0};
        c.buzzer = true;
        c.sataPorts[3].hotPlug = false;
        c.sataPorts[1].alpe = true;
    };
    const std::string controller =
        "controller 0 on port 1: driver 3.2.0.19, firmware 1.2.0.41, path \"PCI bus 2, device 0, function 0\"\n"
        "  disks:\n"
        "     ID  CH    Size (MB)  Model                    Serial               F/W        State\n"
        "      0   0     76319.09  WDC WD800JD-75MSA3       WD-WMAM9AB12345      10.01E04   present\n"
        "      1   1     76319.09  WDC WD800JD-75MSA3       WD-WMAM9AB67890      10.01E04   pulled\n"
        "      2   2    152627.84  bad\\xff                  5LS2ABCD             3.AAE      present, failed\n"
        "  arrays:\n"
        "     ID Level   Members             Size (MB)  Name             Activity\n"
        "      0 RAID1   0,-                  76318.09  \"mirror\"         sync 12.5%\n"
        "  enclosures:\n"
        "    0: kind 33 (full status), 4 carriers, firmware 2.1.0.7\n"
        "      fans: 0 at 2500 rpm (code 3), 1 stopped (code 3)\n"
        "      temperatures: 0 at 30 C (limit 55 C), 1 at 31 C (limit 55 C)\n"
        "      voltages: 0 3.3V at 3300 mV, 1 5V at 5000 mV, 2 12V at 12000 mV\n"
        "    1: kind 5 (sensor list), 4 carriers, firmware 1.0.3.12\n"
        "      fans: none\n"
        "      temperatures: none\n"
        "      voltages: 0 3.3V at 3300 mV, 1 5V at 5000 mV\n"
        "  battery: charging until Sun Sep 09 01:54:45 2001, 26.0 C\n"
        "  buzzer: on; locate LEDs on: 2,0\n"
        "  SATA ports: 8, hot-plug on 0,1,2,4,5,6,7, ALPE on 1; port value 8\n"
        "  events (2 queued, oldest first):\n"
        "    0x1001 information Sun Sep 09 01:46:40 2001  Array created (array \"0\")\n"
        "    0x2001 information Sun Sep 09 01:46:40 2001  Synchronization started (array \"0\")\n";
    runCases({
        {"the whole state", busy, words({"show"}),
         "clock: fixed at 1000000125 (Sun Sep 09 01:48:45 2001)\n"
         "host: Windows XP Professional Service Pack 3 (build 2600)\n"
         "failures: passThroughError=5\n"
         "ports:\n"
         "  0 adapter, fails the identification\n"
         "  1 talo, controller 0\n"
         "  2 missing\n" +
             controller,
         "", 0, nullptr},
        {"one controller", busy, words({"show", "-c", "0"}), controller, "", 0, nullptr},
        {"an empty state",
         [](sim::State& s) {
             s = sim::State{};
         },
         words({"show"}),
         "clock: the system's time\n"
         "host: Windows XP Professional Service Pack 3 (build 2600)\n"
         "failures: none\n"
         "ports: none\n"
         "controllers: none\n",
         "", 0, nullptr},
        {"no such controller", nullptr, words({"show", "-c", "1"}), "",
         "talo-sim: no controller 1 (the state has 1)\n", 1, nullptr},
    });
}

TEST(TaloSim, Create) {
    struct CreateCase {
        const char* name;
        bool existing;
        std::vector<std::string> args;
        std::string out, err;
        int code;
        std::function<std::optional<sim::State>()> expected;  // null: no file made or changed
    };
    const std::vector<CreateCase> cases = {
        {"the demo", false, words({"create"}), "created s.json: the demo\n", "", 0,
         [] { return std::optional<sim::State>(sim::demoState()); }},
        {"controllers and disks", false, words({"create", "--controllers", "2", "--disks", "1", "--clock", "7"}),
         "created s.json: 2 controllers with 1 disks each\n", "", 0,
         [] {
             sim::State s;
             s.clock = 7;
             for (int i = 0; i < 2; ++i) {
                 s.ports.push_back(port(sim::PortKind::Talo, i));
                 sim::Controller c;
                 c.pci.bus = static_cast<std::uint32_t>(2 + i);
                 c.discoverPath = "PCI bus " + std::to_string(2 + i) + ", device 0, function 0";
                 sim::Disk d;
                 d.sectors = 156301488ull;
                 d.model = "WDC WD800JD-75MSA3";
                 d.serial = "WD-WMAM9A0" + std::to_string(i) + "000";
                 d.firmware = "10.01E04";
                 c.disks.push_back(d);
                 s.controllers.push_back(c);
             }
             return std::optional<sim::State>(s);
         }},
        {"too many controllers", false, words({"create", "--controllers", "17"}), "",
         "talo-sim: controller count 17 out of range (0 to 16)\n", 1, nullptr},
        {"too many disks", false, words({"create", "--disks", "129"}), "",
         "talo-sim: disk count 129 out of range (0 to 128)\n", 1, nullptr},
        {"a file that exists", true, words({"create"}), "",
         "talo-sim: state file 's.json' exists; give --force to replace it\n", 1, nullptr},
        {"a file that exists, replaced", true, words({"create", "--force", "--clock", "3"}),
         "created s.json: the demo\n", "", 0,
         [] {
             sim::State s = sim::demoState();
             s.clock = 3;
             return std::optional<sim::State>(s);
         }},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.name);
        Folder folder;
        const std::string old = "{\"ports\": []}\n";
        if (c.existing) writeFile(folder.file("s.json"), old);
        std::vector<std::string> args = {"--state", "s.json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun run = runTool(folder, args);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.code, c.code);
        if (!c.expected) {
            if (c.existing) {
                EXPECT_EQ(readFile(folder.file("s.json")), old);
            } else {
                EXPECT_FALSE(std::filesystem::exists(folder.file("s.json")));
            }
            continue;
        }
        sim::State expected = *c.expected();
        sim::settleState(expected);
        EXPECT_EQ(json::parse(readFile(folder.file("s.json"))), json(expected));
    }
}

TEST(TaloSim, StateFileFromTheEnvironmentOrRefused) {
    Folder folder;
    writeFile(folder.file("env.json"), json(startState()).dump());
    const ToolRun fromEnv = runTool(folder, words({"pull", "0"}), "env.json");
    EXPECT_EQ(fromEnv.out, "disk 0 on controller 0 pulled\n");
    EXPECT_EQ(fromEnv.code, 0);
    EXPECT_FALSE(json::parse(readFile(folder.file("env.json")))["controllers"][0]["disks"][0]["present"]);

    const ToolRun none = runTool(folder, words({"show"}));
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "talo-sim: no state file: give --state FILE or set TALO_SIM\n");
    EXPECT_EQ(none.code, 1);

    const ToolRun missing = runTool(folder, words({"--state", "nothing.json", "pull", "0"}));
    EXPECT_EQ(missing.err, "talo-sim: state file 'nothing.json' does not exist (talo-sim create makes one)\n");
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(std::filesystem::exists(folder.file("nothing.json")));

    writeFile(folder.file("bad.json"), R"({"controllers": [{"disks": [{"present": "no"}]}]})");
    const ToolRun bad = runTool(folder, words({"--state", "bad.json", "pull", "0"}));
    EXPECT_EQ(bad.err,
              "simulator state 'bad.json' cannot be used: controllers[0].disks[0].present: expected true or "
              "false\n");
    EXPECT_EQ(bad.code, 2);

    const ToolRun unknown = runTool(folder, words({"--state", "env.json", "bogus"}));
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(unknown.err.find('\n'), unknown.err.size() - 1) << unknown.err;  // one line
}

TEST(TaloSim, AdvancingTheClockOverSeveralRecurrencesRunsEachOnce) {
    Folder folder;
    sim::State s = startState();
    sim::NewArray a;
    a.level = lib::RAID_LEVEL_RAID1;
    a.members = {{0, -1}, {1, -1}};
    ASSERT_EQ(sim::createArray(s, s.controllers[0], a), sim::Outcome::Ok);
    // A check of array 0 every second day at 3:00 from the clock's day on,
    // four times at most.
    sim::Schedule check;
    check.type = sim::ScheduleType::RedundancyCheck;
    check.sequence = 1;
    check.recurrence = sim::Recurrence::Daily;
    check.interval = 2;
    check.startMinutes = 180;
    check.start = {9, 9, 2001};
    check.end = sim::ScheduleEnd::Count;
    check.count = 4;
    check.devices = {0};
    check.checkedUntil = kClock;
    s.controllers[0].schedules.push_back(check);
    writeFile(folder.file("s.json"), json(s).dump(2) + "\n");
    // Three days, then seven: occurrences on the 9th, 11th, 13th and 15th.
    for (const char* days : {"259200", "604800"}) {
        const ToolRun run = runTool(folder, words({"--state", "s.json", "clock", "advance", days}));
        EXPECT_EQ(run.code, 0) << run.err;
    }
    const sim::State after = json::parse(readFile(folder.file("s.json"))).get<sim::State>();
    const sim::Controller& c = after.controllers.at(0);
    EXPECT_EQ(c.schedules.at(0).runs, 4);
    std::vector<std::uint32_t> started, finished;
    for (const sim::Event& e : c.events) {
        if (e.id == sim::kEventActivityStarted) started.push_back(e.time);
        if (e.id == sim::kEventActivityFinished) finished.push_back(e.time);
    }
    const std::uint32_t first = 1000000000 - 6400 + 3 * 3600;  // Sep 9 2001, 3:00
    const std::vector<std::uint32_t> expected = {first, first + 2 * 86400, first + 4 * 86400, first + 6 * 86400};
    EXPECT_EQ(started, expected);
    std::vector<std::uint32_t> ends;
    for (std::uint32_t t : expected) ends.push_back(t + 1000);
    EXPECT_EQ(finished, ends);
}

TEST(TaloSim, HelpForTheToolAndEachCommand) {
    Folder folder;
    const std::vector<std::vector<std::string>> asks = {
        {"--help"}, {"create", "--help"}, {"show", "--help"}, {"add-controller", "--help"},
        {"remove-controller", "--help"}, {"add-adapter", "--help"}, {"add-missing-port", "--help"},
        {"remove-port", "--help"}, {"add-disk", "--help"}, {"remove-disk", "--help"}, {"pull", "--help"},
        {"plug", "--help"}, {"fail", "--help"}, {"event", "--help"}, {"restart", "--help"}, {"add-enclosure", "--help"},
        {"stop-fan", "--help"}, {"heat-sensor", "--help"}, {"remove-battery", "--help"}, {"insert-battery", "--help"},
        {"clock", "--help"},
        {"clock", "set", "--help"}, {"clock", "advance", "--help"}, {"clock", "system", "--help"},
        {"failures", "--help"}, {"failures", "set", "--help"}, {"failures", "clear", "--help"},
        {"capture", "--help"},
    };
    for (const auto& ask : asks) {
        SCOPED_TRACE(ask.front() + (ask.size() > 2 ? " " + ask[1] : ""));
        const ToolRun run = runTool(folder, ask);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.err, "");
        std::string usage = "Usage: talo-sim";
        for (std::size_t i = 0; i + 1 < ask.size(); ++i) usage += " " + ask[i];
        EXPECT_NE(run.out.find(usage + " [OPTIONS]"), std::string::npos) << run.out;
    }
}

}  // namespace

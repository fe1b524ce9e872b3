// Start-up in both modes: what the library writes to its log, and start-up
// without a state file. The other start-up cases are transcripts in cases/.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "console_runner.h"

namespace {

using e2e::RunOptions;
using e2e::runConsole;

const std::string kModeQuestion = "Use HXAPI ? Y/N\n";
const std::string kLibraryHead = kModeQuestion +
                                 "Y\n"
                                 "callling hx_initialize() ...\n"
                                 "callling hx_discover() ...\n"
                                 "callling hx_getNumberOfHBA() ...\n";
const std::string kEnterHelp = "\nEnter ? or help for help.\n";
const std::string kDirectHead = kModeQuestion +
                                "Talo Test Console, V1.0\n"
                                "Quarrow Technologies. Support: talo-support@quarrow.example\n"
                                "Looking for Quarrow Talo controller...\n";
const std::string kAcceptQuestion =
    "\nPress Y to operate with this controller (you can use the 'adapter'\n"
    "command to switch to another controller (if available) at any time),\n"
    "otherwise press N to continue looking for the next controller. (Y|N): ";
const std::string kNotFound = "\nTalo controller cannot be found!\n";

std::string foundLine(int port, const char* version) {
    return "\nTalo controller found on scsi" + std::to_string(port) + " Driver version: " + version +
           "\n";
}

sim::Controller controllerWithIds(std::uint16_t ctrlId, std::uint16_t subsysId) {
    sim::Controller c = sim::demoState().controllers[0];
    c.controllerId = ctrlId;
    c.subsystemId = subsysId;
    return c;
}

// Another adapter on port 0, then the controllers on ports 1 on, then a
// missing port.
sim::State stateWithControllers(int count) {
    sim::State s = sim::demoState();
    s.controllers.clear();
    s.ports.resize(1);
    for (int i = 0; i < count; ++i) {
        s.controllers.push_back(controllerWithIds(static_cast<std::uint16_t>(0x3120 + i),
                                                  static_cast<std::uint16_t>(0x100 + i)));
        sim::Port port;
        port.kind = sim::PortKind::Talo;
        port.controller = i;
        s.ports.push_back(port);
    }
    s.ports.push_back(sim::Port{});
    return s;
}

RunOptions withState(const sim::State& state) {
    RunOptions options;
    options.state = state;
    return options;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The library's log of a run, each line's time stamp (the wall clock's, in
// UTC) replaced by "<time>" once its form is checked.
std::string logOf(const e2e::RunResult& run) {
    static const std::regex stamp("^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ",
                                  std::regex::multiline);
    return std::regex_replace(readFile(run.directory + "/hxapitest.log"), stamp, "<time> ");
}

// The line start-up logs for the controller it takes; a Windows build ends
// its log lines as text files end there.
std::string pathLogLine(int controller) {
    return "<time> HXTest INFO callling hx_getDiscoverPath() for HBA " + std::to_string(controller) +
           (e2e::targetIsWindows() ? "\r\n" : "\n");
}

TEST(LibraryStartup, OneControllerAsksNothingAndShowsItsPath) {
    const auto run = runConsole("yq\n");
    EXPECT_EQ(run.output, kLibraryHead +
                              "Number of HBA is 1\n"
                              "Device Discover Path:\n"
                              "Device Id: subsys id 256, ctrl id 12576\n" +
                              kEnterHelp + "> ");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(logOf(run), pathLogLine(0));
}

TEST(LibraryStartup, NoControllersStillRunsThePathStepAndTheShell) {
    const auto run = runConsole("yq\n", withState(stateWithControllers(0)));
    EXPECT_EQ(run.output, kLibraryHead + "Number of HBA is 0\n" + kEnterHelp + "> ");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(logOf(run), pathLogLine(0));
}

TEST(LibraryStartup, ThreeControllersRefuseKeyThreeAndTakeTwo) {
    const auto run = runConsole("y32q\n", withState(stateWithControllers(3)));
    EXPECT_EQ(run.output, kLibraryHead +
                              "Number of HBA is 3\n"
                              "More than one controllers are existed\n"
                              "Please enter the controller ID for which controller you want to use now.\n"
                              "Controller ID start from 0 to 2\n"
                              "3\n"
                              "Invalid controller ID entered!\nPlease enter it again!\n"
                              "2\n"
                              "Device Discover Path:\n"
                              "Device Id: subsys id 258, ctrl id 12578\n" +
                              kEnterHelp + "> ");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(logOf(run), pathLogLine(2));
}

// The start of the line that says the management library cannot be loaded,
// up to where the system's own words of the places and the reason begin.
std::string unavailableStart() {
    return e2e::targetIsWindows() ? "The management library hxapi.dll cannot be loaded (looked for beside the program"
                                  : "The management library libhxapi.so.1 cannot be loaded (looked for on the "
                                    "system's library path";
}

TEST(Startup, WithoutAStateFile) {
    RunOptions options;
    options.simulatorFile = false;
    const auto run = runConsole("nyq\n", options);
    const auto library = runConsole("yq\n", options);
    if (e2e::targetIsWindows()) {
        // Nothing simulated without TALO_SIM: direct mode opens the system's
        // real SCSI port devices, and this machine has no Talo controller;
        // library mode finds no maker's library and says so.
        EXPECT_EQ(run.output, kDirectHead + kNotFound);
        EXPECT_EQ(library.output.rfind(kModeQuestion + "Y\n" + unavailableStart(), 0), 0u) << library.output;
        EXPECT_EQ(library.output.find("callling"), std::string::npos) << library.output;
        EXPECT_EQ(library.output.back(), '\n');
    } else {
        // With neither a driver nor the maker's library, the kit answers
        // with the built-in demo, behind both seams, and says so once.
        EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "Y\n" +
                                  kEnterHelp + "> ");
        EXPECT_EQ(library.output, kLibraryHead +
                                      "Number of HBA is 1\n"
                                      "Device Discover Path:\n"
                                      "Device Id: subsys id 256, ctrl id 12576\n" +
                                      kEnterHelp + "> ");
        for (const auto* r : {&run, &library}) {
            EXPECT_EQ(r->errors.rfind("arraycon: no Talo controller driver and no libhxapi.so.1 on this system: "
                                      "the simulated controller answers (the simulator kit in ",
                                      0),
                      0u)
                << r->errors;
            EXPECT_EQ(std::count(r->errors.begin(), r->errors.end(), '\n'), 1);
        }
    }
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(library.exitCode, 0);
}

// TALO_SIM=:demo chooses the built-in demo by name: no note, on every system.
TEST(Startup, TheBuiltInDemoChosenByName) {
    RunOptions options;
    options.simulatorFile = false;
    options.environment["TALO_SIM"] = ":demo";
    const auto run = runConsole("nyq\n", options);
    EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "Y\n" + kEnterHelp + "> ");
    EXPECT_EQ(run.errors, "");
    const auto library = runConsole("yq\n", options);
    EXPECT_EQ(library.output, kLibraryHead +
                                  "Number of HBA is 1\n"
                                  "Device Discover Path:\n"
                                  "Device Id: subsys id 256, ctrl id 12576\n" +
                                  kEnterHelp + "> ");
    EXPECT_EQ(library.errors, "");
}

// No management library anywhere and no simulator chosen: the console still
// starts. Direct mode works (and finds no controller here); library mode
// ends at start-up after one line naming the library and where it was
// looked for; a command of direct mode that needs the library says the
// same line once, and the console goes on.
TEST(Startup, WithoutAnyManagementLibrary) {
    RunOptions options;
    options.simulatorFile = false;
    options.environment["TALO_SIM_KIT"] = "/nonexistent";
    const auto library = runConsole("yq\n", options);
    EXPECT_EQ(library.output.rfind(kModeQuestion + "Y\n" + unavailableStart(), 0), 0u) << library.output;
    EXPECT_EQ(std::count(library.output.begin(), library.output.end(), '\n'), 3) << library.output;
    EXPECT_EQ(library.exitCode, 0);
    const auto direct = runConsole("nyq\n", options);
    EXPECT_EQ(direct.output, kDirectHead + kNotFound);
    EXPECT_EQ(direct.exitCode, 0);
}

// The kit chosen but not to be had ends the console before it asks.
TEST(Startup, AChosenSimulatorWhoseKitIsMissing) {
    RunOptions options;
    options.environment["TALO_SIM_KIT"] = "/nonexistent";
    const auto run = runConsole("yq\n", options);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors.rfind("arraycon: the simulator was chosen (TALO_SIM), but its kit cannot be loaded: ", 0),
              0u)
        << run.errors;
}

// A management library of the tests' own, which shares no code with the
// tool set, placed where the maker's is looked for (on Linux the loader's
// path, under Wine the DLL search path): library mode uses it with no
// rebuild and prints its ids; a command that calls an operation it lacks
// says so once.
TEST(Startup, TheMakersLibraryWhereTheSystemLooks) {
    const std::string folder = e2e::consoleBuildFolder() + "/tests/maker_library/lib";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    RunOptions options;
    options.simulatorFile = false;
    if (e2e::targetIsWindows()) {
        std::string windowsPath = std::string("Z:") + folder;
        std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
        options.environment["WINEPATH"] = windowsPath;
    } else {
        options.environment["LD_LIBRARY_PATH"] = folder;
    }
    const auto run = runConsole("yld\nq\n", options);
    const std::string head = kLibraryHead +
                             "Number of HBA is 1\n"
                             "Device Discover Path:\n"
                             "Device Id: subsys id 2830, ctrl id 31249\n" +
                             kEnterHelp + "> -----------------dumping disks-----------------\n"
                             "ID CH       Size                                    Model                "
                             "Serial        F/W ENC\n"
                             "The management library ";
    const std::string tail = std::string(e2e::targetIsWindows() ? "hxapi.dll" : "libhxapi.so.1") +
                             " has no operation hx_getPhyDrvInfo.\n> ";
    EXPECT_EQ(run.output.substr(0, head.size()), head);
    ASSERT_GE(run.output.size(), head.size() + tail.size()) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - tail.size()), tail);
    EXPECT_EQ(run.output.substr(head.size()).find('\n'), run.output.size() - head.size() - 3) << run.output;
    EXPECT_EQ(run.errors.find("simulated"), std::string::npos) << run.errors;
    EXPECT_EQ(run.exitCode, 0);
}

}  // namespace

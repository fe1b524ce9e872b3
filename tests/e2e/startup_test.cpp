// Start-up in both modes: what the library writes to its log, and start-up
// without a state file. The other start-up cases are transcripts in cases/.

#include <gtest/gtest.h>

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

TEST(Startup, WithoutAStateFile) {
    RunOptions options;
    options.simulatorFile = false;
    const auto run = runConsole("nyq\n", options);
    if (e2e::targetIsWindows()) {
        // Direct mode opens the system's real SCSI port devices, and this
        // machine has no Talo controller.
        EXPECT_EQ(run.output, kDirectHead + kNotFound);
    } else {
        // The built-in demo answers.
        EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "Y\n" +
                                  kEnterHelp + "> ");
    }
    EXPECT_EQ(run.exitCode, 0);
    // The library stand-in answers from the demo on every system.
    const auto library = runConsole("yq\n", options);
    EXPECT_EQ(library.output, kLibraryHead +
                                  "Number of HBA is 1\n"
                                  "Device Discover Path:\n"
                                  "Device Id: subsys id 256, ctrl id 12576\n" +
                                  kEnterHelp + "> ");
    EXPECT_EQ(library.exitCode, 0);
}

}  // namespace

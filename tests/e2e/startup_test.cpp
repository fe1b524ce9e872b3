// Start-up in both modes: the mode question, library set-up and the choice
// of controller, the direct-mode scan, and every way start-up can end.

#include <gtest/gtest.h>

#include <fstream>
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

sim::State stateWithControllers(int count) {
    sim::State s = sim::demoState();
    s.controllers.clear();
    for (int i = 0; i < count; ++i) {
        s.controllers.push_back(controllerWithIds(static_cast<std::uint16_t>(0x3120 + i),
                                                  static_cast<std::uint16_t>(0x100 + i)));
    }
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

TEST(LibraryStartup, OneControllerAsksNothingAndShowsItsPath) {
    const auto run = runConsole("yq\n");
    EXPECT_EQ(run.output, kLibraryHead +
                              "Number of HBA is 1\n"
                              "Device Discover Path:\n"
                              "Device Id: subsys id 256, ctrl id 12576\n" +
                              kEnterHelp + "> ");
    EXPECT_EQ(run.exitCode, 0);
    const std::string log = readFile(run.directory + "/hxapitest.log");
    EXPECT_NE(log.find("HXTest"), std::string::npos) << log;
    EXPECT_NE(log.find("callling hx_getDiscoverPath() for HBA 0"), std::string::npos) << log;
}

TEST(LibraryStartup, LowerCaseAndUpperCaseYBothChooseTheLibrary) {
    for (const char* input : {"yq\n", "Yq\n"}) {
        SCOPED_TRACE(input);
        const auto run = runConsole(input);
        EXPECT_EQ(run.output.substr(0, kLibraryHead.size()), kLibraryHead);
    }
}

TEST(LibraryStartup, NoControllersStillRunsThePathStepAndTheShell) {
    const auto run = runConsole("yq\n", withState(stateWithControllers(0)));
    EXPECT_EQ(run.output, kLibraryHead + "Number of HBA is 0\n" + kEnterHelp + "> ");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(readFile(run.directory + "/hxapitest.log").find("for HBA 0"), std::string::npos);
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
    EXPECT_NE(readFile(run.directory + "/hxapitest.log").find("for HBA 2"), std::string::npos);
}

TEST(LibraryStartup, KeysBelowZeroAreRefusedToo) {
    const auto run = runConsole("y/0q\n", withState(stateWithControllers(2)));
    EXPECT_NE(run.output.find("/\nInvalid controller ID entered!\nPlease enter it again!\n0\n"),
              std::string::npos)
        << run.output;
}

TEST(LibraryStartup, FailuresOfSetUpAreSilent) {
    struct Case {
        const char* name;
        void (*inject)(sim::Failures&);
        std::string expected;
    };
    const Case cases[] = {
        {"initialize", [](sim::Failures& f) { f.initialize = 7; },
         kModeQuestion + "Y\ncallling hx_initialize() ...\n" + kEnterHelp + "> "},
        {"discover", [](sim::Failures& f) { f.discover = 7; },
         kModeQuestion + "Y\ncallling hx_initialize() ...\ncallling hx_discover() ...\n" + kEnterHelp +
             "> "},
        {"discover path", [](sim::Failures& f) { f.discoverPath = 7; },
         kLibraryHead + "Number of HBA is 1\n" + kEnterHelp + "> "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::State state = sim::demoState();
        c.inject(state.failures);
        const auto run = runConsole("yq\n", withState(state));
        EXPECT_EQ(run.output, c.expected);
        EXPECT_EQ(run.exitCode, 0);
    }
}

TEST(LibraryStartup, EndOfInputAtTheControllerQuestionEndsCleanly) {
    const auto run = runConsole("y", withState(stateWithControllers(3)));
    EXPECT_EQ(run.output, kLibraryHead +
                              "Number of HBA is 3\n"
                              "More than one controllers are existed\n"
                              "Please enter the controller ID for which controller you want to use now.\n"
                              "Controller ID start from 0 to 2\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);
}

TEST(Startup, EndOfInputAtTheModeQuestionEndsCleanly) {
    const auto run = runConsole("");
    EXPECT_EQ(run.output, kModeQuestion);
    EXPECT_EQ(run.exitCode, 0);
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
    EXPECT_NE(library.output.find("Number of HBA is 1\n"), std::string::npos) << library.output;
}

TEST(DirectStartup, AnyKeyButYChoosesDirectModeWithoutEcho) {
    for (const char* input : {"nyq\n", "Nyq\n", "xyq\n", "\nyq\n"}) {
        SCOPED_TRACE(input);
        const auto run = runConsole(input);
        EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "Y\n" +
                                  kEnterHelp + "> ");
        EXPECT_EQ(run.exitCode, 0);
    }
}

TEST(DirectStartup, DeclinedControllerResumesAtTheNextPortUntilAMissingOne) {
    // Ports: Talo, adapter, Talo, missing, Talo. The scan never reaches port 4.
    sim::State state = sim::demoState();
    state.controllers = {controllerWithIds(1, 1), controllerWithIds(2, 2), controllerWithIds(3, 3)};
    state.controllers[1].driverVersion = {4, 0, 10, 255};
    state.ports.assign(5, sim::Port{});
    state.ports[0] = {sim::PortKind::Talo, 0, false};
    state.ports[1] = {sim::PortKind::Adapter, -1, false};
    state.ports[2] = {sim::PortKind::Talo, 1, false};
    state.ports[3] = {sim::PortKind::Missing, -1, false};
    state.ports[4] = {sim::PortKind::Talo, 2, false};
    const auto run = runConsole("nnn", withState(state));
    EXPECT_EQ(run.output, kDirectHead + foundLine(0, "3.2.0.13") + kAcceptQuestion + "N\n\n" +
                              foundLine(2, "4.0.a.ff") + kAcceptQuestion + "N\n\n" + kNotFound);
    EXPECT_EQ(run.exitCode, 0);
}

TEST(DirectStartup, WrongKeysRingTheBellUntilYOrN) {
    const auto run = runConsole("nx7 yq\n");
    EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "\a\a\aY\n" +
                              kEnterHelp + "> ");
}

TEST(DirectStartup, ScanSkipsAdaptersThatFailOrLackTheMagic) {
    sim::State state = sim::demoState();
    state.ports.assign(4, sim::Port{});
    state.ports[0] = {sim::PortKind::Adapter, -1, true};   // its driver fails the request
    state.ports[1] = {sim::PortKind::Adapter, -1, false};  // answers without the magic
    state.ports[2] = {sim::PortKind::Talo, 0, false};
    state.controllers[0].identifyReturnCode = 0xC0000001u;  // a failing code is not looked at
    const auto run = runConsole("nyq\n", withState(state));
    EXPECT_EQ(run.output, kDirectHead + foundLine(2, "3.2.0.13") + kAcceptQuestion + "Y\n" +
                              kEnterHelp + "> ");
}

TEST(DirectStartup, NothingFoundOrNothingAcceptedEndsTheProgram) {
    sim::State none = sim::demoState();
    none.ports = {sim::Port{sim::PortKind::Adapter, -1, false}};
    const auto empty = runConsole("n", withState(none));
    EXPECT_EQ(empty.output, kDirectHead + kNotFound);
    EXPECT_EQ(empty.exitCode, 0);

    const auto declined = runConsole("nn");
    EXPECT_EQ(declined.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "N\n\n" +
                                   kNotFound);
    EXPECT_EQ(declined.exitCode, 0);
}

TEST(DirectStartup, EndOfInputAtTheAcceptQuestionEndsCleanly) {
    const auto run = runConsole("nx");
    EXPECT_EQ(run.output, kDirectHead + foundLine(1, "3.2.0.13") + kAcceptQuestion + "\a");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut);
}

}  // namespace

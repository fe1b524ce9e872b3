// talo-sim: prepares and inspects simulator states for the console and the
// tests. It works on the state file through the same store as the
// stand-ins, under the same lock, so it may run while a console uses it.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "access/simulator_kit.h"
#include "sim/array_model.h"
#include "sim/disk_faults.h"
#include "sim/store.h"
#include "sim/tool/capture.h"
#include "sim/tool/edits.h"
#include "sim/tool/summary.h"

namespace {

using simtool::parseNumber;
using simtool::Refusal;

constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

int number(const std::string& text, const std::string& what, std::uint64_t high) {
    return static_cast<int>(parseNumber(text, what, 0, high));
}

std::optional<std::uint32_t> optional32(const std::string& text, const std::string& what) {
    if (text.empty()) return std::nullopt;
    return static_cast<std::uint32_t>(parseNumber(text, what, 0, kMax32));
}

int severityOf(const std::string& text) {
    if (text == "information") return sim::kSeverityInformation;
    if (text == "warning") return sim::kSeverityWarning;
    if (text == "error") return sim::kSeverityError;
    return number(text, "severity (information, warning, error or a number)", 255);
}

struct Tool {
    std::string statePath;
    std::function<void()> action;

    // Opens the state, which must exist, and applies the edit; what the edit
    // returns is printed.
    void edit(const std::function<std::string(sim::State&)>& f) const {
        requireState();
        sim::Store store(statePath);
        std::string said;
        store.modify([&](sim::State& s) { said = f(s); });
        std::printf("%s\n", said.c_str());
    }

    // A file to work on: TALO_SIM=:demo, the built-in demo, lives in the
    // memory of the program that uses it and is no file to change.
    void requireStateName() const {
        if (statePath.empty()) throw Refusal("no state file: give --state FILE or set TALO_SIM");
        if (statePath == kit::kBuiltInDemo) {
            throw Refusal(std::string(kit::kBuiltInDemo) +
                          " is the built-in demo, which lives in memory: give --state FILE");
        }
    }

    void requireState() const {
        requireStateName();
        if (!fileExists(statePath)) {
            throw Refusal("state file '" + statePath + "' does not exist (talo-sim create makes one)");
        }
    }
};

int run(int argc, char** argv) {
    Tool tool;
    CLI::App app{"Prepares simulator states for arraycon and its tests: controllers, disks, faults,\n"
                 "events, the clock and injected failures. It may run while a console uses the state.",
                 "talo-sim"};
    app.option_defaults()->always_capture_default(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--state", tool.statePath, "The state file (default: $TALO_SIM)")
        ->envname("TALO_SIM")
        ->type_name("FILE");
    app.footer("Numbers are decimal, or hexadecimal after 0x. Run talo-sim COMMAND --help for one command.");

    std::string controllerText = "0";
    const auto controllerOption = [&controllerText](CLI::App* sub) {
        sub->add_option("-c,--controller", controllerText, "The controller (default 0)")->type_name("N");
    };
    const auto controllerIndex = [&controllerText] {
        return number(controllerText, "controller", simtool::kMaxControllers - 1);
    };

    // create
    std::string controllersText, disksText, clockText;
    bool force = false;
    CLI::App* create = app.add_subcommand(
        "create", "Makes a state: the demo, or N controllers with M disks each (one Talo port each, in order)");
    create->add_option("--controllers", controllersText, "How many controllers (0 to 16)")->type_name("N");
    create->add_option("--disks", disksText, "Disks on each controller (0 to 128; default 8)")->type_name("M");
    create->add_option("--clock", clockText, "A fixed clock, seconds since 1970")->type_name("SECONDS");
    create->add_flag("--force", force, "Replace a state file that exists");
    create->callback([&] {
        tool.action = [&] {
            tool.requireStateName();
            const bool generated = !controllersText.empty() || !disksText.empty();
            const int controllers = controllersText.empty() ? 1 : number(controllersText, "controller count", simtool::kMaxControllers);
            const int disks = disksText.empty() ? 8 : number(disksText, "disk count", simtool::kMaxDisks);
            const auto clock = optional32(clockText, "clock");
            if (fileExists(tool.statePath) && !force) {
                throw Refusal("state file '" + tool.statePath + "' exists; give --force to replace it");
            }
            sim::State made = generated ? simtool::generatedState(controllers, disks) : sim::demoState();
            made.clock = clock;
            sim::Store store(tool.statePath);
            store.modify([&](sim::State& s) {
                s = made;
                sim::settleState(s);  // the disks' free extents
            });
            if (generated) {
                std::printf("created %s: %d controllers with %d disks each\n", tool.statePath.c_str(),
                            controllers, disks);
            } else {
                std::printf("created %s: the demo\n", tool.statePath.c_str());
            }
        };
    });

    // show
    CLI::App* show = app.add_subcommand("show", "Prints the state, or one controller, as a summary");
    std::string showController;
    show->add_option("-c,--controller", showController, "Only this controller")->type_name("N");
    show->callback([&] {
        tool.action = [&] {
            tool.requireState();
            sim::Store store(tool.statePath);
            std::string text;
            std::optional<int> only;
            if (!showController.empty()) only = number(showController, "controller", simtool::kMaxControllers - 1);
            store.read([&](const sim::State& s) {
                if (only && static_cast<std::size_t>(*only) >= s.controllers.size()) {
                    throw Refusal("no controller " + std::to_string(*only) + " (the state has " +
                                  std::to_string(s.controllers.size()) + ")");
                }
                text = simtool::summary(s, only);
            });
            std::fputs(text.c_str(), stdout);
        };
    });

    // controllers and ports
    std::string portText, newDisksText;
    bool rejectsIdentify = false;
    const auto place = [&portText]() -> std::optional<std::size_t> {
        if (portText.empty()) return std::nullopt;
        return static_cast<std::size_t>(parseNumber(portText, "port", 0, 255));
    };
    CLI::App* addController = app.add_subcommand("add-controller", "Adds a Talo controller with its port");
    addController->add_option("--disks", newDisksText, "Its disks (0 to 128; default 8)")->type_name("M");
    addController->add_option("--port", portText, "Where its port goes (default: before the first missing port, else last)")->type_name("P");
    addController->callback([&] {
        tool.action = [&] {
            const int disks = newDisksText.empty() ? 8 : number(newDisksText, "disk count", simtool::kMaxDisks);
            const auto at = place();
            tool.edit([&](sim::State& s) { return simtool::addController(s, disks, at); });
        };
    });

    std::string indexText;
    CLI::App* removeController = app.add_subcommand("remove-controller", "Removes a controller and its port");
    removeController->add_option("controller", indexText, "The controller")->required()->type_name("N");
    removeController->callback([&] {
        tool.action = [&] {
            const int index = number(indexText, "controller", simtool::kMaxControllers - 1);
            tool.edit([&](sim::State& s) { return simtool::removeController(s, index); });
        };
    });

    CLI::App* addAdapter = app.add_subcommand("add-adapter", "Adds a port with an adapter that is not a Talo controller");
    addAdapter->add_option("--port", portText, "Where it goes (default: before the first missing port, else last)")->type_name("P");
    addAdapter->add_flag("--rejects-identify", rejectsIdentify, "Its driver fails the identification request");
    addAdapter->callback([&] {
        tool.action = [&] {
            const auto at = place();
            tool.edit([&](sim::State& s) { return simtool::addPort(s, sim::PortKind::Adapter, rejectsIdentify, at); });
        };
    });

    CLI::App* addMissing = app.add_subcommand("add-missing-port", "Adds a port without a device, where a scan stops");
    addMissing->add_option("--port", portText, "Where it goes (default: last)")->type_name("P");
    addMissing->callback([&] {
        tool.action = [&] {
            const auto at = place();
            tool.edit([&](sim::State& s) { return simtool::addPort(s, sim::PortKind::Missing, false, at); });
        };
    });

    CLI::App* removePort = app.add_subcommand("remove-port", "Removes an adapter's or a missing port");
    removePort->add_option("port", portText, "The port")->required()->type_name("P");
    removePort->callback([&] {
        tool.action = [&] {
            const std::size_t port = static_cast<std::size_t>(parseNumber(portText, "port", 0, 255));
            tool.edit([&](sim::State& s) { return simtool::removePort(s, port); });
        };
    });

    // disks
    std::string diskText, channelText, sectorsText, modelText, serialText, firmwareText;
    CLI::App* addDisk = app.add_subcommand("add-disk", "Adds a disk to a controller");
    controllerOption(addDisk);
    addDisk->add_option("--id", diskText, "Its id (0 to 127; default the lowest free)")->type_name("ID");
    addDisk->add_option("--channel", channelText, "Its channel (default its id)")->type_name("CH");
    addDisk->add_option("--sectors", sectorsText, "Its size in 512-byte sectors")->type_name("N");
    addDisk->add_option("--model", modelText, "Its model text")->type_name("TEXT");
    addDisk->add_option("--serial", serialText, "Its serial number")->type_name("TEXT");
    addDisk->add_option("--firmware", firmwareText, "Its firmware revision")->type_name("TEXT");
    addDisk->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            simtool::NewDisk wanted;
            if (!diskText.empty()) wanted.id = number(diskText, "disk", simtool::kMaxDisks - 1);
            if (!channelText.empty()) wanted.channel = number(channelText, "channel", 255);
            if (!sectorsText.empty()) wanted.sectors = parseNumber(sectorsText, "sectors", 0, (1ull << 48) - 1);
            if (addDisk->count("--model") != 0) wanted.model = modelText;
            if (addDisk->count("--serial") != 0) wanted.serial = serialText;
            if (addDisk->count("--firmware") != 0) wanted.firmware = firmwareText;
            tool.edit([&](sim::State& s) { return simtool::addDisk(s, controller, wanted); });
        };
    });

    const auto diskCommand = [&](const char* name, const char* help,
                                 std::function<std::string(sim::State&, int, int)> f) {
        CLI::App* sub = app.add_subcommand(name, help);
        sub->add_option("disk", diskText, "The disk's id")->required()->type_name("ID");
        controllerOption(sub);
        sub->callback([&tool, &diskText, controllerIndex, f] {
            tool.action = [&tool, &diskText, controllerIndex, f] {
                const int controller = controllerIndex();
                const int disk = number(diskText, "disk", simtool::kMaxDisks - 1);
                tool.edit([&](sim::State& s) { return f(s, controller, disk); });
            };
        });
    };
    diskCommand("remove-disk", "Removes a disk that no array uses", simtool::removeDisk);
    const auto change = [](sim::DiskChange what, const char* done) {
        return [what, done](sim::State& s, int controller, int disk) {
            const std::string refused = sim::changeDisk(s, simtool::controllerAt(s, controller), disk, what);
            if (!refused.empty()) throw Refusal("controller " + std::to_string(controller) + ": " + refused);
            return "disk " + std::to_string(disk) + " on controller " + std::to_string(controller) + " " + done;
        };
    };
    diskCommand("pull", "Pulls a disk from its slot (warning event \"Disk N unplugged\")",
                change(sim::DiskChange::Pull, "pulled"));
    diskCommand("plug", "Puts a pulled disk back, working (information event \"Disk N plugged in\")",
                change(sim::DiskChange::Plug, "plugged in"));
    diskCommand("fail", "Marks a disk failed (error event \"Disk N failed\")",
                change(sim::DiskChange::Fail, "failed"));

    // events
    std::string eventId, severityText = "information", arrayText, description;
    CLI::App* event = app.add_subcommand("event", "Queues an event on a controller");
    controllerOption(event);
    event->add_option("--id", eventId, "The event code")->required()->type_name("CODE");
    event->add_option("--severity", severityText, "information (default), warning, error or a number")->type_name("S");
    event->add_option("--array", arrayText, "The array text")->type_name("TEXT");
    event->add_option("description", description, "The description")->required()->type_name("TEXT");
    event->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            const auto id = static_cast<std::uint32_t>(parseNumber(eventId, "event code", 0, kMax32));
            const int severity = severityOf(severityText);
            tool.edit([&](sim::State& s) {
                return simtool::queueEvent(s, controller, id, severity, arrayText, description);
            });
        };
    });

    // controller start
    CLI::App* restart = app.add_subcommand(
        "restart", "Starts a controller's firmware again: saved CAM settings become current");
    controllerOption(restart);
    restart->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            tool.edit([&](sim::State& s) { return simtool::restartController(s, controller); });
        };
    });

    // hardware
    std::string typeText, slotsText, fansText, temperaturesText, voltagesText;
    CLI::App* addEnclosure = app.add_subcommand(
        "add-enclosure", "Adds an enclosure at the lowest free id (0 to 7), with its fans and sensors");
    controllerOption(addEnclosure);
    addEnclosure->add_option("--type", typeText, "Its kind code (1 to 255; default 33, which reports a full status)")->type_name("CODE");
    addEnclosure->add_option("--slots", slotsText, "Its carriers (0 to 64; default 4)")->type_name("N");
    addEnclosure->add_option("--fans", fansText, "Its fans (0 to 10; default 2)")->type_name("N");
    addEnclosure->add_option("--temperatures", temperaturesText, "Its temperature sensors (0 to 10; default 2)")->type_name("N");
    addEnclosure->add_option("--voltages", voltagesText, "Its voltage sensors (0 to 10; default 3)")->type_name("N");
    addEnclosure->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            simtool::NewEnclosure wanted;
            if (!typeText.empty()) wanted.type = static_cast<std::uint8_t>(parseNumber(typeText, "enclosure kind", 1, 255));
            if (!slotsText.empty()) wanted.slots = number(slotsText, "slot count", 64);
            if (!fansText.empty()) wanted.fans = number(fansText, "fan count", 10);
            if (!temperaturesText.empty()) wanted.temperatures = number(temperaturesText, "temperature sensor count", 10);
            if (!voltagesText.empty()) wanted.voltages = number(voltagesText, "voltage sensor count", 10);
            tool.edit([&](sim::State& s) { return simtool::addEnclosure(s, controller, wanted); });
        };
    });

    std::string enclosureText, fanText, sensorText, celsiusText;
    CLI::App* stopFan = app.add_subcommand("stop-fan", "Stops a fan of an enclosure (error event \"Fan F of enclosure E stopped\")");
    stopFan->add_option("enclosure", enclosureText, "The enclosure's id")->required()->type_name("E");
    stopFan->add_option("fan", fanText, "The fan's id")->required()->type_name("F");
    controllerOption(stopFan);
    stopFan->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            const int enclosure = number(enclosureText, "enclosure", 255);
            const int fan = number(fanText, "fan", 255);
            tool.edit([&](sim::State& s) { return simtool::stopFan(s, controller, enclosure, fan); });
        };
    });

    CLI::App* heatSensor = app.add_subcommand(
        "heat-sensor", "Sets what a temperature sensor reads (warning event when it rises above its limit)");
    heatSensor->add_option("enclosure", enclosureText, "The enclosure's id")->required()->type_name("E");
    heatSensor->add_option("sensor", sensorText, "The temperature sensor's id")->required()->type_name("S");
    heatSensor->add_option("celsius", celsiusText, "Degrees Celsius (0 to 255)")->required()->type_name("C");
    controllerOption(heatSensor);
    heatSensor->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            const int enclosure = number(enclosureText, "enclosure", 255);
            const int sensor = number(sensorText, "sensor", 255);
            const auto celsius = static_cast<std::uint8_t>(number(celsiusText, "temperature", 255));
            tool.edit([&](sim::State& s) { return simtool::heatSensor(s, controller, enclosure, sensor, celsius); });
        };
    });

    CLI::App* removeBattery = app.add_subcommand(
        "remove-battery", "Takes the backup battery out (warning event \"Battery not detected\")");
    controllerOption(removeBattery);
    removeBattery->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            tool.edit([&](sim::State& s) { return simtool::removeBattery(s, controller); });
        };
    });

    std::string chargeText;
    CLI::App* insertBattery = app.add_subcommand(
        "insert-battery", "Fits a discharged backup battery, which charges (event \"Battery charged\" when done)");
    controllerOption(insertBattery);
    insertBattery->add_option("--charge-seconds", chargeText, "How long it charges (default 3600; 0: charged)")->type_name("SECONDS");
    insertBattery->callback([&] {
        tool.action = [&] {
            const int controller = controllerIndex();
            const auto seconds = chargeText.empty() ? 3600u : static_cast<std::uint32_t>(parseNumber(chargeText, "charge time", 0, kMax32));
            tool.edit([&](sim::State& s) { return simtool::insertBattery(s, controller, seconds); });
        };
    });

    // clock
    CLI::App* clock = app.add_subcommand("clock", "Sets or advances the clock; activities due by then finish");
    clock->require_subcommand(1);
    std::string secondsText;
    CLI::App* clockSet = clock->add_subcommand("set", "Fixes the clock at a time");
    clockSet->add_option("seconds", secondsText, "Seconds since 1970")->required()->type_name("SECONDS");
    clockSet->callback([&] {
        tool.action = [&] {
            const auto at = static_cast<std::uint32_t>(parseNumber(secondsText, "clock", 0, kMax32));
            tool.edit([&](sim::State& s) { return simtool::setClock(s, at); });
        };
    });
    CLI::App* clockAdvance = clock->add_subcommand(
        "advance", "Moves the clock on (a clock that follows the system's time is fixed at now plus this)");
    clockAdvance->add_option("seconds", secondsText, "Seconds to move on")->required()->type_name("SECONDS");
    clockAdvance->callback([&] {
        tool.action = [&] {
            const auto by = static_cast<std::uint32_t>(parseNumber(secondsText, "seconds", 0, kMax32));
            tool.edit([&](sim::State& s) { return simtool::advanceClock(s, by); });
        };
    });
    CLI::App* clockSystem = clock->add_subcommand("system", "Lets the clock follow the system's time");
    clockSystem->callback([&] {
        tool.action = [&] { tool.edit([](sim::State& s) { return simtool::freeClock(s); }); };
    });

    // capture
    std::string captureController, captureOutput, captureClock;
    bool captureForce = false;
    CLI::App* capture = app.add_subcommand(
        "capture", "Writes a state that reproduces the controllers the management library serves");
    capture->add_option("-c,--controller", captureController, "Only this controller (default: all)")->type_name("N");
    capture->add_option("-o,--output", captureOutput, "The state file to write")->required()->type_name("FILE");
    capture->add_option("--clock", captureClock, "A fixed clock for the copy, seconds since 1970")->type_name("SECONDS");
    capture->add_flag("--force", captureForce, "Replace an output file that exists");
    capture->callback([&] {
        tool.action = [&] {
            simtool::CaptureRequest request;
            request.statePath = tool.statePath;
            if (!captureController.empty()) request.controller = number(captureController, "controller", simtool::kMaxControllers - 1);
            request.output = captureOutput;
            request.force = captureForce;
            request.clock = optional32(captureClock, "clock");
            std::printf("%s\n", simtool::capture(request).c_str());
        };
    });

    // failures
    CLI::App* failures = app.add_subcommand("failures", "Sets or clears the injected failures");
    failures->require_subcommand(1);
    std::string initText, discoverText, pathText, passText;
    std::vector<std::string> senseTexts;
    CLI::App* failSet = failures->add_subcommand("set", "Sets failures (those not given are kept)");
    failSet->add_option("--initialize", initText, "Status hx_initialize returns")->type_name("STATUS");
    failSet->add_option("--discover", discoverText, "Status hx_discover returns")->type_name("STATUS");
    failSet->add_option("--discover-path", pathText, "Status hx_getDiscoverPath returns")->type_name("STATUS");
    failSet->add_option("--pass-through-error", passText, "System error code of every pass-through request")->type_name("CODE");
    failSet->add_option("--check-condition", senseTexts,
                        "Sense key (0 to 15), additional sense code and qualifier (0 to 255) of every vendor command")
        ->expected(3)
        ->type_name("KEY ASC ASCQ");
    failSet->callback([&] {
        tool.action = [&] {
            simtool::FailureSettings settings;
            settings.initialize = optional32(initText, "initialize status");
            settings.discover = optional32(discoverText, "discover status");
            settings.discoverPath = optional32(pathText, "discover-path status");
            settings.passThroughError = optional32(passText, "pass-through error");
            if (!senseTexts.empty()) {
                settings.vendorCheckCondition = std::vector<int>{
                    number(senseTexts[0], "sense key", 15),
                    number(senseTexts[1], "additional sense code", 255),
                    number(senseTexts[2], "additional sense code qualifier", 255)};
            }
            tool.edit([&](sim::State& s) { return simtool::setFailures(s, settings); });
        };
    });
    std::vector<std::string> clearNames;
    CLI::App* failClear = failures->add_subcommand("clear", "Clears the failures named, or all");
    failClear->add_option("names", clearNames,
                          "initialize, discover, discoverPath, passThroughError, vendorCheckCondition")
        ->type_name("NAME...");
    failClear->callback([&] {
        tool.action = [&] { tool.edit([&](sim::State& s) { return simtool::clearFailures(s, clearNames); }); };
    });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "talo-sim: %s (talo-sim --help lists the commands)\n", e.what());
        return 2;
    }
    if (!tool.action) return 2;
    tool.action();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Refusal& e) {
        std::fprintf(stderr, "talo-sim: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "talo-sim: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "talo-sim: unexpected failure\n");
    }
    return 1;
}

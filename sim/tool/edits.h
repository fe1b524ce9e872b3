#pragma once
// What talo-sim does to a simulator state. Every edit checks its values
// first and throws Refusal, naming the reason, before it changes anything.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/model.h"

namespace simtool {

class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A whole number in decimal or, after 0x, in hexadecimal, within [low, high];
// `what` names it in the refusal.
std::uint64_t parseNumber(const std::string& text, const std::string& what, std::uint64_t low,
                          std::uint64_t high);

constexpr int kMaxControllers = 16;
constexpr int kMaxDisks = 128;  // ids 0 to 127, the slots of the disk table

// A state of `controllers` Talo controllers, one port each in order, with
// `disks` disks each (ids 0 up), of plausible sizes and texts.
sim::State generatedState(int controllers, int disks);

// The controller with the index, or a refusal.
sim::Controller& controllerAt(sim::State& state, int index);

// Where a new port goes when none is asked for: before the first missing
// port (where a scan stops), else at the end.
std::size_t defaultPortPlace(const sim::State& state);

std::string addController(sim::State& state, int disks, std::optional<std::size_t> port);
std::string removeController(sim::State& state, int index);
std::string addPort(sim::State& state, sim::PortKind kind, bool rejectsIdentify,
                    std::optional<std::size_t> port);
std::string removePort(sim::State& state, std::size_t port);

struct NewDisk {
    std::optional<int> id;
    std::optional<int> channel;
    std::optional<std::uint64_t> sectors;
    std::optional<std::string> model, serial, firmware;
};
std::string addDisk(sim::State& state, int controller, const NewDisk& wanted);
std::string removeDisk(sim::State& state, int controller, int disk);

std::string queueEvent(sim::State& state, int controller, std::uint32_t id, int severity,
                       const std::string& array, const std::string& description);

// The controller's firmware starts again: settings kept for the next start
// (the saved CAM settings) become the current ones.
std::string restartController(sim::State& state, int controller);

// Hardware: an enclosure added at the lowest free id, a fan that stops, a
// temperature sensor that reads a new value, the battery taken out or a
// discharged one fitted; each queues the event the controller reports.
struct NewEnclosure {
    std::uint8_t type = 33;
    int slots = 4, fans = 2, temperatures = 2, voltages = 3;
};
std::string addEnclosure(sim::State& state, int controller, const NewEnclosure& wanted);
std::string stopFan(sim::State& state, int controller, int enclosure, int fan);
std::string heatSensor(sim::State& state, int controller, int enclosure, int sensor, std::uint8_t celsius);
std::string removeBattery(sim::State& state, int controller);
std::string insertBattery(sim::State& state, int controller, std::uint32_t chargeSeconds);

std::string setClock(sim::State& state, std::uint32_t clock);
std::string advanceClock(sim::State& state, std::uint32_t seconds);
std::string freeClock(sim::State& state);

// Failures: the names are the state's (initialize, discover, discoverPath,
// passThroughError, vendorCheckCondition).
struct FailureSettings {
    std::optional<std::uint32_t> initialize, discover, discoverPath, passThroughError;
    std::optional<std::vector<int>> vendorCheckCondition;
};
std::string setFailures(sim::State& state, const FailureSettings& settings);
std::string clearFailures(sim::State& state, const std::vector<std::string>& names);

}  // namespace simtool

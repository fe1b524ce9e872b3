#pragma once
// The simulated driver's answers to vendor command blocks. Each command
// family has its own handlers and adds its rows to one dispatch table; a row
// pairs a command's description with the handler that answers it. Whether
// the handler may change the state follows from the description: a command
// that changes the controller gets a handler that takes the state to change,
// one that only reads gets a handler that cannot change it.

#include <cstdint>
#include <vector>

#include "access/vendor_commands.h"
#include "sim/model.h"

namespace sim {

struct ScsiOutcome {
    std::uint8_t status = 0;          // SCSI status
    std::vector<std::uint8_t> sense;  // sense data for a check condition
    // Non-zero: the request itself fails with this system error (a command
    // that timed out), and status and sense say nothing.
    std::uint32_t systemError = 0;
};

// Fixed-format sense data (response code 70h) with the key and codes given.
std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
// The same with the sector it concerns in the information field (valid bit
// set); a sector beyond 32 bits leaves the field empty and the bit clear.
ScsiOutcome checkConditionAt(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                             std::uint64_t lba);

// The sense keys and additional sense codes the simulated controller
// answers with.
constexpr std::uint8_t kSenseNotReady = 0x02;
constexpr std::uint8_t kSenseMediumError = 0x03;
constexpr std::uint8_t kSenseHardwareError = 0x04;
constexpr std::uint8_t kSenseIllegalRequest = 0x05;
constexpr std::uint8_t kAscWriteError = 0x0C;
constexpr std::uint8_t kAscUnrecoveredReadError = 0x11;
constexpr std::uint8_t kAscInvalidOpcode = 0x20;
constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
constexpr std::uint8_t kAscLogicalUnitNotSupported = 0x25;
constexpr std::uint8_t kAscInvalidFieldInParameters = 0x26;
constexpr std::uint8_t kAscSequenceError = 0x2C;
constexpr std::uint8_t kAscMediumNotPresent = 0x3A;
constexpr std::uint8_t kAscInternalTargetFailure = 0x44;

ScsiOutcome good();
ScsiOutcome invalidField();
ScsiOutcome invalidOpcode();

using VendorBlock = std::uint8_t[vendor::kBlockSize];

// One command as received: its description, its block and the caller's
// transfer buffer (either direction).
struct VendorRequest {
    const vendor::Command& command;
    const VendorBlock& cdb;
    std::uint8_t* data;
    std::uint32_t length;

    std::uint8_t id() const { return vendor::idOf(command, cdb); }
    std::uint32_t argument(std::size_t n) const { return vendor::argumentOf(command, cdb, n); }
};

using ReadHandler = ScsiOutcome (*)(const State& state, int controller, const VendorRequest& request);
using ChangeHandler = ScsiOutcome (*)(State& state, int controller, const VendorRequest& request);

class VendorHandler {
public:
    // Refused at compile time when the handler's kind does not fit the
    // command's effect.
    consteval VendorHandler(const vendor::Command& command, ReadHandler read)
        : command_(&command), read_(read) {
        if (command.changes()) throw "a command that changes the controller needs a ChangeHandler";
    }
    consteval VendorHandler(const vendor::Command& command, ChangeHandler change)
        : command_(&command), change_(change) {
        if (!command.changes()) throw "a command that only reads takes a ReadHandler";
    }

    const vendor::Command& command() const { return *command_; }
    ScsiOutcome run(State& state, int controller, const VendorRequest& request) const;
    ScsiOutcome run(const State& state, int controller, const VendorRequest& request) const;

private:
    const vendor::Command* command_;
    ReadHandler read_ = nullptr;
    ChangeHandler change_ = nullptr;
};

// The families' rows; each family's file defines its own.
void addInventoryHandlers(std::vector<VendorHandler>& table);
void addArrayHandlers(std::vector<VendorHandler>& table);
void addSettingsHandlers(std::vector<VendorHandler>& table);
void addDebugHandlers(std::vector<VendorHandler>& table);
void addPatrolHandlers(std::vector<VendorHandler>& table);

// Adds a row to the dispatch table (used by tests for commands of their own).
void registerVendorHandler(const VendorHandler& handler);

// The row that answers the block, or null when none does.
const VendorHandler* findVendorHandler(const VendorBlock& cdb);

// The answer to a block no row knows: an unknown sub-code of a known
// command is an invalid field, anything else an invalid opcode.
ScsiOutcome unknownCommand(const VendorBlock& cdb);

// How the driver reports a refused request.
enum class Outcome;
ScsiOutcome outcomeOf(Outcome outcome);

}  // namespace sim

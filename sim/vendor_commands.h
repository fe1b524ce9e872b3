#pragma once
// The simulated driver's answers to vendor command blocks.

#include <cstdint>
#include <vector>

#include "sim/model.h"

namespace sim {

struct ScsiOutcome {
    std::uint8_t status = 0;          // SCSI status
    std::vector<std::uint8_t> sense;  // sense data for a check condition
};

// Fixed-format sense data (response code 70h) with the key and codes given.
std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);

constexpr std::uint8_t kSenseIllegalRequest = 0x05;
constexpr std::uint8_t kAscInvalidOpcode = 0x20;
constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;

// True when the command may change the controller, so that the state has to
// be written back afterwards.
bool vendorCommandChangesState(const std::uint8_t (&cdb)[16]);

// Carries out one command on controller `controller` of the state. data and
// length are the caller's transfer buffer, in either direction.
ScsiOutcome executeVendorCdb(State& state, int controller, const std::uint8_t (&cdb)[16],
                             std::uint8_t* data, std::uint32_t length);

}  // namespace sim

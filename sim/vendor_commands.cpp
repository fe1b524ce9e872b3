#include "sim/vendor_commands.h"

namespace sim {

std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    std::vector<std::uint8_t> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;  // additional sense length: bytes 8 to 17
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    return ScsiOutcome{0x02, fixedSense(key, asc, ascq)};
}

bool vendorCommandChangesState(const std::uint8_t (&)[16]) { return false; }

ScsiOutcome executeVendorCdb(State&, int, const std::uint8_t (&)[16], std::uint8_t*,
                             std::uint32_t) {
    return checkCondition(kSenseIllegalRequest, kAscInvalidOpcode, 0);
}

}  // namespace sim

#pragma once
// The images a controller was given to write to its flash: each kept by
// type with its length and checksum (never its bytes), and the firmware
// version a new firmware image brings at the controller's next start.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

struct FlashImage {
    int type = 0;         // flash type code
    int enclosureId = 0;  // enclosure firmware only
    std::uint32_t length = 0;
    std::uint32_t checksum = 0;  // CRC-32 of the image
    std::uint32_t time = 0;      // when it was written
};

struct FirmwareSlice {
    std::vector<FlashImage> flashImages;  // the latest of each type (and enclosure)
    // The firmware version that becomes current at the next start.
    std::optional<std::array<std::uint32_t, 4>> pendingFirmwareVersion;
};

void writeSlice(nlohmann::json& j, const FirmwareSlice& slice);
void readSlice(const nlohmann::json& j, FirmwareSlice& slice, const fields::Where& where);

}  // namespace sim

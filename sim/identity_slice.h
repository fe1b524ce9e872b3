#pragma once
// What a controller says about itself: its driver's identification answer,
// its PCI ids and place, its BIOS and firmware versions and its memory.

#include <array>
#include <cstdint>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace sim {

namespace fields {
struct Where;
}  // namespace fields

struct PciPlace {
    std::uint32_t bus = 2;
    std::uint32_t slot = 0;
    std::uint32_t irql = 0x12;
    std::uint32_t irqVector = 0x1A3;
    std::uint32_t vendorDeviceId = 0x31201D5Au;
    std::uint32_t subsystemId = 0x01001D5Au;
    std::array<std::uint32_t, 6> resources{0xFEBF0000u, 0xFEB00000u, 0x0000E001u, 0, 0, 0};
};

// What identifies a controller to the driver and the library: versions, PCI
// ids and place, memory.
struct ControllerIdentitySlice {
    std::array<std::uint32_t, 4> driverVersion{3, 2, 0, 19};
    std::uint8_t targetId = 0;
    // ReturnCode the driver puts in its identification answer.
    std::uint32_t identifyReturnCode = 0;
    std::uint16_t controllerId = 0x3120;  // PCI device id
    std::uint16_t subsystemId = 0x0100;
    std::string discoverPath = "PCI bus 2, device 0, function 0";
    std::uint32_t productId = 0x3120;
    std::uint32_t subProductId = 0x0100;
    std::array<std::uint32_t, 4> biosVersion{1, 0, 12, 3};
    std::array<std::uint32_t, 4> firmwareVersion{1, 2, 0, 41};
    bool eccMemory = true;
    std::uint32_t memorySizeMb = 256;
    PciPlace pci;
};

// This family's fields in a controller's JSON object: written into j
// beside the other families' fields, and read from it.
void writeSlice(nlohmann::json& j, const ControllerIdentitySlice& slice);
void readSlice(const nlohmann::json& j, ControllerIdentitySlice& slice, const fields::Where& where);

}  // namespace sim

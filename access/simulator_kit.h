#pragma once
// What passes between a program and the simulator kit it loads. The kit's
// stand-in management library (hxapi) exports, beside the library's own
// operations, one entry point more: the program calls it once, right after
// loading, and from then on the library and the simulated driver it hands
// back serve one and the same simulated controller.

#include <cstdint>

#include "access/buffer_loan.h"
#include "platform/device_access.h"

namespace kit {

// The value of TALO_SIM that chooses the built-in demo, held in memory for
// the life of the process, rather than a state file.
constexpr const char* kBuiltInDemo = ":demo";

constexpr const char* kAttachEntry = "talo_attachSimulator";
// Raised whenever Host or Services change, so that a program and a kit of
// different builds refuse each other instead of misreading each other.
constexpr std::uint32_t kInterfaceVersion = 1;

// What the program lends the kit.
struct Host {
    std::uint32_t version = kInterfaceVersion;
    // The program's loans of data buffers (BufferLoan), which requests name
    // by a 32-bit number.
    bool (*findLentBuffer)(std::uint32_t address, lib::LentBuffer* found) = nullptr;
    // The state file to serve; null: the one TALO_SIM names, else the
    // built-in demo.
    const char* statePath = nullptr;
};

// What the kit hands back.
struct Services {
    // The simulated storage driver, alive until the process ends.
    platform::DeviceAccess* devices = nullptr;
};

// 0 once attached; nonzero when the kit is of another interface version.
// The state is read here: one that cannot be used ends the process with
// exit code 2 and the reason on standard error, before anything is asked.
using AttachEntry = int (*)(const Host* host, Services* services);

}  // namespace kit

// es: simulated media errors and time-outs injected at a sector for chosen
// kinds of access, their records listed, cleared and purged for a range,
// and the disk's simulated unplug, plug-in, set-down and S.M.A.R.T. error.
// inject, clear and dump use the vendor commands in direct mode and the
// same blocks inside a bypass request in library mode; the others always
// go through the library. Only dump reports a result.

#include "commands/error_simulation.h"

#include <cstdint>
#include <string>

#include "access/debug_records.h"
#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/vendor_commands.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

// The error simulator's operations (block byte 3).
constexpr std::uint8_t kOpList = 0;
constexpr std::uint8_t kOpInject = 1;
constexpr std::uint8_t kOpPurge = 2;
constexpr std::uint8_t kOpClear = 3;

constexpr std::uint8_t kTypeMedia = 0x51;
constexpr std::uint8_t kTypeTimeout = 0x80;

// ErrorFlag bits and their words.
struct FlagWord {
    const char* word;
    std::uint8_t bit;
};
constexpr FlagWord kFlagWords[] = {
    {"wc", 0x01}, {"read", 0x02}, {"write", 0x04}, {"unplug", 0x08},
    {"plugin", 0x10}, {"verify", 0x20}, {"smart", 0x40},
};

// The listing's texts, in the order they are shown.
struct FlagText {
    std::uint8_t bit;
    const char* text;
};
constexpr FlagText kFlagTexts[] = {
    {0x02, " read"}, {0x04, " write "}, {0x20, " verify"}, {0x01, " wc"}, {0x08, " unplug"}, {0x40, " smart"},
};

// The disk faults, sent as inject forms at LBA 0: the flag byte says which.
constexpr std::uint8_t kFaultUnplug = 0x08;
constexpr std::uint8_t kFaultPlugin = 0x10;
constexpr std::uint8_t kFaultSetDown = 0xFF;
constexpr std::uint8_t kFaultSmart = 0x40;

std::uint8_t flagOf(const char* word) {
    for (const FlagWord& f : kFlagWords) {
        if (wordEquals(word, f.word)) return f.bit;
    }
    return 0;
}

std::string formatErrorFlags(std::uint8_t flags) {
    std::string text = "(";
    for (const FlagText& f : kFlagTexts) {
        if ((flags & f.bit) != 0) text += f.text;
    }
    return text + " )";
}

// One simulator block: E2h 10h, the disk, the operation, then the LBA,
// count, type byte and flags (bytes 4 to 11).
struct SimulatorBlock {
    std::uint8_t bytes[vendor::kBlockSize] = {};

    SimulatorBlock(std::uint8_t diskId, std::uint8_t operation) {
        bytes[0] = drv::kOpDisk;
        bytes[1] = 0x10;
        bytes[2] = diskId;
        bytes[3] = operation;
    }
    SimulatorBlock& at(std::uint32_t lba, std::uint16_t count, std::uint8_t type, std::uint8_t flags) {
        rec::storeLe32(bytes + 4, lba);
        rec::storeLe16(bytes + 8, count);
        bytes[10] = type;
        bytes[11] = flags;
        return *this;
    }
};

// Passes the block to the library inside a bypass request; byte 15 of the
// request stays 0. data, when given, is lent to the library for the call.
std::uint32_t sendThroughLibrary(const SimulatorBlock& block, void* data = nullptr,
                                 std::uint32_t length = 0) {
    using R = lib::BypassRequest;
    std::uint8_t request[R::kSize] = {};
    const rec::ByteSpan r(request, sizeof request);
    for (std::size_t i = 0; i < vendor::kBlockSize; ++i) request[R::Cdb::offset + i] = block.bytes[i];
    lib::BufferLoan loan(data, length);
    r.put<R::DataLength>(data != nullptr ? length : 0);
    r.put<R::DataAddress>(loan.address());
    return hx_sendBypassCommand(CONTROLLER_ADDRESS, request);
}

void inject(ControllerDevice* current, std::uint8_t diskId, std::int32_t count, char** words) {
    const std::uint64_t lba = parseLba(words[3]);
    if (lba == kLbaParseFailed) return;
    if (count < 5) {
        consolePrint("You should specify if it is media error or timeout.\n");
        return;
    }
    std::uint8_t type = 0;
    if (wordEquals(words[4], "media")) {
        type = kTypeMedia;
    } else if (wordEquals(words[4], "timeout")) {
        type = kTypeTimeout;
    } else {
        consolePrint("invalid error type '%s' specified. must be media or timeout.\n", words[4]);
        return;
    }
    std::uint8_t flags = 0;
    for (std::int32_t i = 5; i < count; ++i) flags = static_cast<std::uint8_t>(flags | flagOf(words[i]));
    if (count < 6 || flags == 0) {
        consolePrint("ES flag not specified.\n");
        return;
    }
    const auto low = static_cast<std::uint32_t>(lba);
    if (current != nullptr) {
        current->injectSimulatedError(diskId, low, flags, type);
    } else {
        sendThroughLibrary(SimulatorBlock(diskId, kOpInject).at(low, 1, type, flags));
    }
}

void dump(ControllerDevice* current, std::uint8_t diskId) {
    std::uint8_t list[lib::SIMULATED_ERROR_LIST_SIZE] = {};
    if (current != nullptr) {
        if (current->readSimulatedErrors(diskId, list, sizeof list) == 0) return;
    } else {
        sendThroughLibrary(SimulatorBlock(diskId, kOpList), list, sizeof list);
    }
    using Entry = lib::SimulatedErrorEntry;
    consolePrint("Dumping simulated error on disk %d\n", static_cast<int>(diskId));
    for (std::uint32_t i = 0; i < lib::kSimulatedErrorEntries; ++i) {
        const rec::ByteView e(list + i * Entry::kSize, Entry::kSize);
        const std::uint8_t flags = e.get<Entry::Flags>();
        if (flags == 0) break;
        consolePrint("%08x (%04x) %12s %s\n", static_cast<unsigned>(e.get<Entry::Lba>()),
                     static_cast<unsigned>(e.get<Entry::Count>()),
                     (e.get<Entry::Type>() & 0x80) != 0 ? "timeout" : "media error",
                     formatErrorFlags(flags).c_str());
    }
}

void purge(std::uint8_t diskId, char** words) {
    const std::uint64_t lba = parseLba(words[3]);
    if (lba == kLbaParseFailed) return;
    std::uint32_t sectors = 0;
    if (parseHexArg(words[4], &sectors, "sector count") == 0) return;
    sendThroughLibrary(SimulatorBlock(diskId, kOpPurge)
                           .at(static_cast<std::uint32_t>(lba), static_cast<std::uint16_t>(sectors), 0, 0));
}

void diskFault(std::uint8_t diskId, std::uint8_t type, std::uint8_t fault) {
    sendThroughLibrary(SimulatorBlock(diskId, kOpInject).at(0, 1, type, fault));
}

}  // namespace

std::int32_t errorSimulationCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    const std::uint8_t diskId = parseDiskId(count > 1 ? words[1] : nullptr);
    if (diskId == kParseFailed) return 1;
    if (count < 3) {
        consolePrint("Command not specified.\n");
        return 1;
    }
    ControllerDevice* current = currentController != nullptr ? *currentController : nullptr;
    const char* command = words[2];
    if (wordEquals(command, "inject")) {
        inject(current, diskId, count, words);
    } else if (wordEquals(command, "clear")) {
        if (current != nullptr) {
            current->clearSimulatedErrors(diskId);
        } else {
            sendThroughLibrary(SimulatorBlock(diskId, kOpClear));
        }
    } else if (wordEquals(command, "dump")) {
        dump(current, diskId);
    } else if (wordEquals(command, "purge")) {
        purge(diskId, words);
    } else if (wordEquals(command, "unplug")) {
        diskFault(diskId, 0, kFaultUnplug);
    } else if (wordEquals(command, "plugin")) {
        diskFault(diskId, 0, kFaultPlugin);
    } else if (wordEquals(command, "setdown")) {
        diskFault(diskId, 0, kFaultSetDown);
    } else if (wordEquals(command, "smarterror") && count > 3) {
        const std::uint8_t on = parseEnableDisable(words[3]);
        if (on != kParseFailed) diskFault(diskId, on, kFaultSmart);
    } else if (wordEquals(command, "smarterror")) {
        // Without its word the switch is refused as an unknown word is.
        consolePrint("Must be either 'disable' or 'enable'\n");
    } else {
        consolePrint("Command - '%s' is not implemented yet.\n", command);
    }
    return 1;
}

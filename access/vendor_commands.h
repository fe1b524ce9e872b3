#pragma once
// The vendor command set, one description per command: where its fixed
// codes, its id and its arguments go in the command block, how many block
// bytes are given to the transport, how much data travels and which way,
// and whether the command changes the controller. The console builds its
// blocks from these descriptions (ControllerDevice::sendVendorCommand), and
// the simulated driver and the tests' fake drivers recognise and decode
// blocks with them. Multi-byte values in a block are little-endian.
//
// Opcode families:
//   E0  operations on one array; the array id goes in CDB byte 15 (extra byte)
//   E1  table reads and disk-level control; ids inside the block
//   E2  sector access and error simulation on one disk; disk id in byte 2
//   E3  controller information

#include <cstddef>
#include <cstdint>

#include "access/driver_protocol.h"
#include "platform/record.h"

namespace vendor {

constexpr std::size_t kBlockSize = drv::PassThroughBlock::kCdbSize;
// The byte the transport fills from its extra byte.
constexpr std::uint8_t kExtraBytePosition = kBlockSize - 1;
constexpr std::uint8_t kNoPosition = 0xFF;

// A fixed code of the block: one byte, or a little-endian 16-bit value.
struct Code {
    std::uint8_t position = 0;
    std::uint16_t value = 0;
    std::uint8_t width = 1;
};

// Where one argument of the command goes.
struct Argument {
    std::uint8_t position = 0;
    std::uint8_t width = 1;
};

enum class DataLength : std::uint8_t {
    None,             // no data
    Fixed,            // always `dataSize` bytes
    OneOrAllEntries,  // `dataSize` for one id, kMaxSlots entries for kAllEntries
    Caller,           // the length the caller gives
};

enum class Direction : std::uint8_t {
    None,
    FromController,  // the controller fills the buffer
    ToController,    // the buffer is sent as it is
    Either,          // an argument of the command says which
};

enum class Effect : std::uint8_t {
    Reads,    // leaves the controller as it was
    Changes,  // may change the controller
};

constexpr std::size_t kMaxCodes = 5;
constexpr std::size_t kMaxArguments = 4;

struct Command {
    const char* name;
    Code codes[kMaxCodes];  // the opcode first; unused entries follow the last
    std::uint8_t codeCount;
    std::uint8_t idPosition;  // kNoPosition: no id; kExtraBytePosition: the extra byte
    Argument arguments[kMaxArguments];
    std::uint8_t argumentCount;
    std::uint8_t blockLength;  // block bytes handed to the transport
    DataLength dataLength;
    std::uint32_t dataSize;
    Direction direction;
    bool clearsBuffer;  // the buffer is zeroed before the command is sent
    Effect effect;

    constexpr std::uint8_t opcode() const { return static_cast<std::uint8_t>(codes[0].value); }
    // The id travels as the transport's extra byte rather than in the block.
    constexpr bool idInExtraByte() const {
        return idPosition == kExtraBytePosition && blockLength <= kExtraBytePosition;
    }
    constexpr bool changes() const { return effect == Effect::Changes; }
};

// ---- Building and reading blocks -------------------------------------------------

// The data length of one call: the description's, or the caller's.
constexpr std::uint32_t dataLengthOf(const Command& c, std::uint8_t id,
                                     std::uint32_t callerLength) {
    switch (c.dataLength) {
        case DataLength::None: return 0;
        case DataLength::Fixed: return c.dataSize;
        case DataLength::OneOrAllEntries: return id == kAllEntries ? kMaxSlots * c.dataSize : c.dataSize;
        case DataLength::Caller: return callerLength;
    }
    return 0;
}

// Fills a 16-byte block: zeros, the codes, the id (unless it travels as the
// extra byte) and the arguments in order.
inline void buildBlock(const Command& c, std::uint8_t id, const std::uint32_t* arguments,
                       std::size_t argumentCount, std::uint8_t (&block)[kBlockSize]) {
    for (std::uint8_t& b : block) b = 0;
    for (std::size_t i = 0; i < c.codeCount; ++i) {
        const Code& code = c.codes[i];
        if (code.width == 2) {
            rec::storeLe16(block + code.position, code.value);
        } else {
            block[code.position] = static_cast<std::uint8_t>(code.value);
        }
    }
    if (c.idPosition != kNoPosition && !c.idInExtraByte()) block[c.idPosition] = id;
    for (std::size_t i = 0; i < c.argumentCount && i < argumentCount; ++i) {
        const Argument& a = c.arguments[i];
        if (a.width == 4) {
            rec::storeLe32(block + a.position, arguments[i]);
        } else if (a.width == 2) {
            rec::storeLe16(block + a.position, static_cast<std::uint16_t>(arguments[i]));
        } else {
            block[a.position] = static_cast<std::uint8_t>(arguments[i]);
        }
    }
}

// True when the block carries every fixed code of the command.
inline bool matches(const Command& c, const std::uint8_t* block) {
    for (std::size_t i = 0; i < c.codeCount; ++i) {
        const Code& code = c.codes[i];
        const std::uint16_t value =
            code.width == 2 ? rec::loadLe16(block + code.position) : block[code.position];
        if (value != code.value) return false;
    }
    return true;
}

// The block's opcode and first sub-code are those of the command, whatever
// follows.
inline bool sameGroup(const Command& c, const std::uint8_t* block) {
    if (block[0] != c.opcode()) return false;
    for (std::size_t i = 1; i < c.codeCount; ++i) {
        if (c.codes[i].position == 1) return block[1] == c.codes[i].value;
    }
    return false;
}

inline std::uint8_t idOf(const Command& c, const std::uint8_t* block) {
    return c.idPosition == kNoPosition ? 0 : block[c.idPosition];
}

inline std::uint32_t argumentOf(const Command& c, const std::uint8_t* block, std::size_t n) {
    if (n >= c.argumentCount) return 0;
    const Argument& a = c.arguments[n];
    if (a.width == 4) return rec::loadLe32(block + a.position);
    if (a.width == 2) return rec::loadLe16(block + a.position);
    return block[a.position];
}

// ---- The commands ---------------------------------------------------------------------

using drv::kOpArray;
using drv::kOpController;
using drv::kOpDisk;
using drv::kOpTable;

using D = DataLength;
using Dir = Direction;
using E = Effect;
constexpr std::uint8_t kExtra = kExtraBytePosition;
constexpr std::uint8_t kNone = kNoPosition;

// Data sizes of the fixed transfers.
constexpr std::uint32_t kControllerInfoSize = 116;
constexpr std::uint32_t kArrayStatusSize = 8;
constexpr std::uint32_t kArraySettingsSize = 72;
constexpr std::uint32_t kMediaPatrolInfoSize = 16;
constexpr std::uint32_t kErrorTableSize = 512;
constexpr std::uint32_t kEccBlockSize = 520;

// E3: controller information.
inline constexpr Command kReadControllerInfo{
    "readControllerInfo", {{0, kOpController}, {1, 0x05}}, 2, kNone, {}, 0, 2,
    D::Fixed, kControllerInfoSize, Dir::FromController, true, E::Reads};

// E1: table reads; the id in byte 3 (0xFF: every slot).
inline constexpr Command kReadDiskInfo{
    "readDiskInfo", {{0, kOpTable}, {1, 0x02}, {2, 0x02}}, 3, 3, {}, 0, 4,
    D::OneOrAllEntries, kDiskTableEntrySize, Dir::FromController, true, E::Reads};
inline constexpr Command kReadArrayInfo{
    "readArrayInfo", {{0, kOpTable}, {1, 0x02}, {2, 0x04}}, 3, 3, {}, 0, 4,
    D::OneOrAllEntries, kArrayTableEntrySize, Dir::FromController, true, E::Reads};
inline constexpr Command kReadArrayActivityInfo{
    "readArrayActivityInfo", {{0, kOpTable}, {1, 0x02}, {2, 0x07}}, 3, 3, {}, 0, 4,
    D::OneOrAllEntries, kArrayActivityEntrySize, Dir::FromController, true, E::Reads};

// E1: array creation and disk-level control.
inline constexpr Command kCreateArray{
    "createArray", {{0, kOpTable}, {1, 0x01}}, 2, kNone, {}, 0, 2,
    D::Caller, 0, Dir::ToController, false, E::Changes};
inline constexpr Command kWipeDiskMetadata{
    "wipeDiskMetadata", {{0, kOpTable}, {1, 0x07}, {2, 0x03}, {3, 0x00}}, 4, 4, {}, 0, 5,
    D::None, 0, Dir::None, false, E::Changes};
// Argument: the action (0 start, 2 pause, 3 resume, 4 abort).
inline constexpr Command kControlMediaPatrol{
    "controlMediaPatrol", {{0, kOpTable}, {1, 0x04}}, 2, 3, {{2, 1}}, 1, 4,
    D::None, 0, Dir::None, false, E::Changes};
inline constexpr Command kReadMediaPatrolInfo{
    "readMediaPatrolInfo", {{0, kOpTable}, {1, 0x0C}, {2, 0x00}}, 3, 3, {}, 0, 4,
    D::Fixed, kMediaPatrolInfoSize, Dir::FromController, true, E::Reads};
// The error table is read into the buffer as it comes, without clearing.
inline constexpr Command kReadErrorTable{
    "readErrorTable", {{0, kOpTable}, {1, 0x0C}, {2, 0x01}}, 3, 3, {}, 0, 4,
    D::Fixed, kErrorTableSize, Dir::FromController, false, E::Reads};

// E0: one array, its id in the extra byte.
inline constexpr Command kActivateArray{
    "activateArray", {{0, kOpArray}, {1, 0x00}}, 2, kExtra, {{2, 1}, {3, 1}}, 2, 4,
    D::None, 0, Dir::None, false, E::Changes};
inline constexpr Command kReadArraySettings{
    "readArraySettings", {{0, kOpArray}, {1, 0x01}}, 2, kExtra, {}, 0, 2,
    D::Fixed, kArraySettingsSize, Dir::FromController, true, E::Reads};
inline constexpr Command kWriteArraySettings{
    "writeArraySettings", {{0, kOpArray}, {1, 0x02}}, 2, kExtra, {}, 0, 2,
    D::Fixed, kArraySettingsSize, Dir::ToController, false, E::Changes};
// Argument: the kind (INIT_QUICK, INIT_FOREGROUND, INIT_BACKGROUND).
inline constexpr Command kStartInitialization{
    "startInitialization", {{0, kOpArray}, {1, 0x03}, {2, 0x01}}, 3, kExtra, {{3, 1}}, 1, 4,
    D::None, 0, Dir::None, false, E::Changes};
// Argument: the kind (SYNC_SYNCHRONIZE, SYNC_CHECK).
inline constexpr Command kStartSynchronization{
    "startSynchronization", {{0, kOpArray}, {1, 0x03}, {2, 0x02}}, 3, kExtra, {{3, 1}}, 1, 4,
    D::None, 0, Dir::None, false, E::Changes};
inline constexpr Command kStartMigration{
    "startMigration", {{0, kOpArray}, {1, 0x03}, {2, 0x03}}, 3, kExtra, {}, 0, 3,
    D::Caller, 0, Dir::ToController, false, E::Changes};
// Argument: the action (ACTION_RESTART, ACTION_PAUSE, ACTION_RESUME, ACTION_ABORT).
inline constexpr Command kControlActivity{
    "controlActivity", {{0, kOpArray}, {1, 0x04}}, 2, kExtra, {{2, 1}}, 1, 3,
    D::None, 0, Dir::None, false, E::Changes};
inline constexpr Command kReadArrayStatus{
    "readArrayStatus", {{0, kOpArray}, {1, 0x06}}, 2, kExtra, {}, 0, 2,
    D::Fixed, kArrayStatusSize, Dir::FromController, true, E::Reads};
inline constexpr Command kDeleteArray{
    "deleteArray", {{0, kOpArray}, {1, 0x07}}, 2, kExtra, {}, 0, 2,
    D::None, 0, Dir::None, false, E::Changes};

// E2: one disk, its id in byte 2.
inline constexpr Command kReadSimulatedErrors{
    "readSimulatedErrors", {{0, kOpDisk}, {1, 0x10}, {3, 0x00}}, 3, 2, {}, 0, 4,
    D::Caller, 0, Dir::FromController, true, E::Reads};
// Arguments: the LBA's low 32 bits, the error type, the flags.
inline constexpr Command kInjectSimulatedError{
    "injectSimulatedError", {{0, kOpDisk}, {1, 0x10}, {3, 0x01}, {8, 0x01}, {9, 0x00}}, 5, 2,
    {{4, 4}, {10, 1}, {11, 1}}, 3, 12,
    D::None, 0, Dir::None, false, E::Changes};
inline constexpr Command kClearSimulatedErrors{
    "clearSimulatedErrors", {{0, kOpDisk}, {1, 0x10}, {3, 0x03}}, 3, 2, {}, 0, 4,
    D::None, 0, Dir::None, false, E::Changes};
// Arguments: the direction (0 read, 1 write), the LBA's low and high words,
// the sector count. The direction takes the place of a sub-code.
inline constexpr Command kTransferSectors{
    "transferSectors", {{0, kOpDisk}, {3, 0x00}}, 2, 2, {{1, 1}, {4, 4}, {8, 4}, {12, 2}}, 4, 16,
    D::Caller, 0, Dir::Either, false, E::Changes};
// Arguments: the LBA's low and high words. The block carries the 16-bit
// value 1 in bytes 12 and 13, and the command a 520-byte block the console
// neither prepares nor reads.
inline constexpr Command kCorruptSectorEcc{
    "corruptSectorEcc", {{0, kOpDisk}, {1, 0x02}, {3, 0x00}, {12, 0x0001, 2}}, 4, 2,
    {{4, 4}, {8, 4}}, 2, 16,
    D::Fixed, kEccBlockSize, Dir::ToController, false, E::Changes};

// Every command of the set.
inline constexpr const Command* kAllCommands[] = {
    &kReadControllerInfo, &kReadDiskInfo, &kReadArrayInfo, &kReadArrayActivityInfo,
    &kCreateArray, &kWipeDiskMetadata, &kControlMediaPatrol, &kReadMediaPatrolInfo,
    &kReadErrorTable, &kActivateArray, &kReadArraySettings, &kWriteArraySettings,
    &kStartInitialization, &kStartSynchronization, &kStartMigration, &kControlActivity,
    &kReadArrayStatus, &kDeleteArray, &kReadSimulatedErrors, &kInjectSimulatedError,
    &kClearSimulatedErrors, &kTransferSectors, &kCorruptSectorEcc,
};

// Every code, id and argument lies inside the block and none overlaps another.
constexpr bool wellFormed(const Command& c) {
    bool used[kBlockSize] = {};
    auto claim = [&](std::size_t position, std::size_t width) {
        if (position + width > kBlockSize) return false;
        for (std::size_t i = position; i < position + width; ++i) {
            if (used[i]) return false;
            used[i] = true;
        }
        return true;
    };
    if (c.codeCount == 0 || c.codeCount > kMaxCodes || c.codes[0].position != 0) return false;
    if (c.argumentCount > kMaxArguments || c.blockLength == 0 || c.blockLength > kBlockSize) return false;
    for (std::size_t i = 0; i < c.codeCount; ++i) {
        if (c.codes[i].position >= c.blockLength) return false;
        if (!claim(c.codes[i].position, c.codes[i].width)) return false;
    }
    if (c.idPosition != kNoPosition) {
        if (c.idPosition >= c.blockLength && c.idPosition != kExtraBytePosition) return false;
        if (!claim(c.idPosition, 1)) return false;
    }
    for (std::size_t i = 0; i < c.argumentCount; ++i) {
        const Argument& a = c.arguments[i];
        if (a.width != 1 && a.width != 2 && a.width != 4) return false;
        if (a.position + a.width > c.blockLength) return false;
        if (!claim(a.position, a.width)) return false;
    }
    const bool hasData = c.dataLength != DataLength::None;
    return hasData == (c.direction != Direction::None);
}

constexpr bool allWellFormed() {
    for (const Command* c : kAllCommands) {
        if (!wellFormed(*c)) return false;
    }
    return true;
}
static_assert(allWellFormed());

}  // namespace vendor

#pragma once
// Media patrol, the bad-sector log and the error table: the records the
// library and the driver exchange for them, the patrol control codes and
// state names; and the two records the extent operations hand over. The
// console and the simulated controller both use these.

#include <cstdint>

#include "access/code_tables.h"
#include "platform/record.h"

namespace lib {

using rec::LeField;

// Patrol control codes (controlMediaPatrol's argument).
constexpr std::uint8_t PATROL_CONTROL_START = 0;
constexpr std::uint8_t PATROL_CONTROL_PAUSE = 2;
constexpr std::uint8_t PATROL_CONTROL_RESUME = 3;
constexpr std::uint8_t PATROL_CONTROL_ABORT = 4;

// Patrol states as the controller reports them.
constexpr std::uint8_t PATROL_STATE_IDLE = 0;
constexpr std::uint8_t PATROL_STATE_RUNNING = 1;
constexpr std::uint8_t PATROL_STATE_ABORTED = 2;
constexpr std::uint8_t PATROL_STATE_PAUSED = 3;
constexpr std::uint8_t PATROL_STATE_AUTOPAUSED = 4;

inline constexpr codes::CodeName kPatrolStateNames[] = {
    {PATROL_STATE_IDLE, " "},         {PATROL_STATE_RUNNING, "Running"},
    {PATROL_STATE_ABORTED, "Aborted"}, {PATROL_STATE_PAUSED, "Paused"},
    {PATROL_STATE_AUTOPAUSED, "Autopaused"},
};
inline constexpr const char* kPatrolStateUnknown = "Unknown";

// hx_getHBAMediaPatrolProgress: the reply head (InfoReplyHeader) and then
// one entry per disk, disk d at 64 + 48 * d.
constexpr std::uint32_t kPatrolProgressBufferSize = 6268;
constexpr std::uint32_t kPatrolProgressEntriesAt = 64;
struct PatrolProgress {
    static constexpr std::size_t kSize = 48;
    REC_FIELDS(
        (DiskId, LeField<std::uint16_t, 0>),
        (Watermark, LeField<std::uint32_t, 12>),
        (State, LeField<std::uint8_t, 22>),
        (RunLoopCount, LeField<std::uint16_t, 24>),
        (ErrorCount, LeField<std::uint16_t, 26>),
        (Progress, LeField<std::uint16_t, 28>),  // percent
        (StartTime, LeField<std::uint32_t, 36>),
        (ResumeTime, LeField<std::uint32_t, 40>))  // all ones: never resumed
};
static_assert(rec::checkLayout<PatrolProgress>());
// The highest disk id whose entry the progress buffer holds.
constexpr std::uint32_t kPatrolProgressLastDisk =
    (kPatrolProgressBufferSize - kPatrolProgressEntriesAt) / PatrolProgress::kSize - 1;
static_assert(kPatrolProgressLastDisk == 128);
// Times at or below this are "not available".
constexpr std::uint32_t kPatrolTimeUnset = 10000;

// hx_getHBABSL: the reply head (InfoReplyHeader) and 16-byte entries.
constexpr std::uint32_t kBslBufferSize = 544;
constexpr std::uint32_t kBslEntriesAt = 64;
struct BslEntry {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (Count, LeField<std::uint16_t, 2>),
        (Status, LeField<std::uint16_t, 4>),
        (Flags, LeField<std::uint16_t, 6>),
        (LbaHigh, LeField<std::uint32_t, 8>),
        (LbaLow, LeField<std::uint32_t, 12>))
};
static_assert(rec::checkLayout<BslEntry>());
constexpr std::uint32_t kBslEntryCapacity = (kBslBufferSize - kBslEntriesAt) / BslEntry::kSize;
static_assert(kBslEntryCapacity == 30);

// hx_getErrorTable's request: kind 1 reads the table from its start; kind 2
// the entries at or after the LBA the caller put in the third entry's LBA
// words of the buffer it hands over.
struct ErrorTableRequest {
    static constexpr std::size_t kSize = 4;
    REC_FIELDS(
        (DiskId, LeField<std::uint16_t, 0>),
        (Kind, LeField<std::uint16_t, 2>))
};
static_assert(rec::checkLayout<ErrorTableRequest>());
constexpr std::uint16_t kErrorTableFromStart = 1;
constexpr std::uint16_t kErrorTableFromLba = 2;
constexpr std::uint32_t kErrorTableBufferSize = 1024;
// Where kind 2 finds its starting LBA (low and high words).
constexpr std::size_t kErrorTableQueryLbaAt = 64;

// The error table as the library and the driver deliver it: a head and
// 16-byte entries from offset 32, ending at the first entry without the
// valid bit.
struct ErrorTableHead {
    static constexpr std::size_t kSize = 32;
    REC_FIELDS(
        (Signature, LeField<std::uint32_t, 0>),
        (Version, LeField<std::uint16_t, 4>),
        (Flags, LeField<std::uint16_t, 6>))
};
static_assert(rec::checkLayout<ErrorTableHead>());
struct ErrorTableEntry {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (LbaLow, LeField<std::uint32_t, 0>),
        (LbaHigh, LeField<std::uint32_t, 4>),
        (Status, LeField<std::uint8_t, 10>),
        (Count, LeField<std::uint16_t, 12>))  // bit 15: valid entry
};
static_assert(rec::checkLayout<ErrorTableEntry>());
constexpr std::uint16_t kErrorTableEntryValid = 0x8000;
constexpr std::uint32_t kErrorTableSignature = 0x54425445;  // "ETBT"
constexpr std::uint16_t kErrorTableVersion = 1;

// The extent operations' records. Identifiers are widened 8-bit values.
struct ExtentRef {
    static constexpr std::size_t kSize = 8;
    REC_FIELDS(
        (ExtentIndex, LeField<std::uint32_t, 0>),
        (DiskId, LeField<std::uint32_t, 4>))
};
static_assert(rec::checkLayout<ExtentRef>());
struct ExtentAssignment {
    static constexpr std::size_t kSize = 6;
    REC_FIELDS(
        (ExtentIndex, LeField<std::uint16_t, 0>),
        (DiskId, LeField<std::uint16_t, 2>),
        (ArrayId, LeField<std::uint16_t, 4>))  // 255: a global spare
};
static_assert(rec::checkLayout<ExtentAssignment>());
constexpr std::uint16_t kExtentGlobal = 255;

}  // namespace lib

namespace drv {

using rec::LeField;

// readMediaPatrolInfo's 16-byte reply.
struct PatrolInfo {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (Watermark, LeField<std::uint32_t, 0>),
        (State, LeField<std::uint8_t, 8>),
        (RunLoopCount, LeField<std::uint16_t, 10>),
        (ErrorCount, LeField<std::uint16_t, 12>),
        (Progress, LeField<std::uint16_t, 14>))
};
static_assert(rec::checkLayout<PatrolInfo>());

}  // namespace drv

#pragma once
// Settings records: the controller's global settings, an array's and a
// disk's settings as the library keeps them, the array settings block the
// driver keeps, and the CAM setting block. A command that changes one field
// hands every other byte back exactly as it was read.

#include <cstdint>

#include "access/code_tables.h"
#include "access/vendor_commands.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// hx_getControllerSettings / hx_setControllerSettings. The S.M.A.R.T. check
// interval is one 16-bit number whose two bytes are not adjacent.
struct ControllerSettings {
    static constexpr std::size_t kSize = 88;
    REC_FIELDS(
        (RebuildRate, LeField<std::uint8_t, 70>),
        (SyncRate, LeField<std::uint8_t, 71>),
        (PatrolRate, LeField<std::uint8_t, 72>),
        (InitRate, LeField<std::uint8_t, 74>),
        (MigrationRate, LeField<std::uint8_t, 75>),
        (AutoRebuild, LeField<std::uint8_t, 76>),          // 0 off
        (SmartIntervalLow, LeField<std::uint8_t, 78>),     // seconds, bits 0-7
        (SmartChecking, LeField<std::uint8_t, 79>),        // 0 off
        (EnclosureInterval, LeField<std::uint8_t, 80>),    // seconds
        (RebuildPolicy, LeField<std::uint8_t, 82>),
        (TaskTimeout, LeField<std::uint8_t, 83>),
        (SmartIntervalHigh, LeField<std::uint8_t, 84>))    // seconds, bits 8-15
};
static_assert(rec::checkLayout<ControllerSettings>());

// hx_getLogDrvSettings / hx_setLogDrvSettings. Packed: the fields at 113 and
// 115 are not aligned. The name's room ends where consolidation begins: a
// 32-byte name would run over consolidation, lookahead and bypass, so a
// name is kept to the 24 bytes before them.
struct LogDrvSettings {
    static constexpr std::size_t kSize = 179;
    REC_FIELDS(
        (ArrayId, LeField<std::uint16_t, 64>),
        (CacheMode, LeField<std::uint32_t, 68>),  // CACHE_* bits
        (Name, Bytes<88, 24>),                    // zero padded; 24 characters: no terminator
        (Consolidation, LeField<std::uint8_t, 112>),
        (Lookahead, LeField<std::uint16_t, 113>),
        (Bypass, LeField<std::uint32_t, 115>))    // 0 off
};
static_assert(rec::checkLayout<LogDrvSettings>());

// The cache bits a cache mode change replaces; the others stay as read.
constexpr std::uint32_t kCacheModeMask = CACHE_WRITE_BACK | CACHE_BYPASS | CACHE_AUTO;

// hx_getPhyDrvSettings / hx_setPhyDrvSettings.
struct PhyDrvSettings {
    static constexpr std::size_t kSize = 80;
    REC_FIELDS(
        (DiskId, LeField<std::uint16_t, 68>),
        (WriteCache, LeField<std::uint8_t, 72>),
        (Smart, LeField<std::uint8_t, 73>),
        (TcqSupported, LeField<std::uint8_t, 74>),
        (NcqSupported, LeField<std::uint8_t, 75>),
        (Tcq, LeField<std::uint8_t, 76>),
        (Ncq, LeField<std::uint8_t, 77>))
};
static_assert(rec::checkLayout<PhyDrvSettings>());

// hx_GetCAMSetting / hx_SetCAMSetting. The controller keeps two copies: the
// saved one, used from the next firmware start, and the current one.
struct CamSettingBlock {
    static constexpr std::size_t kSize = 48;
    REC_FIELDS(
        (Bits, LeField<std::uint32_t, 0>))
};
static_assert(rec::checkLayout<CamSettingBlock>());

constexpr std::uint32_t CAM_PORT_REMAP = 0x1;
constexpr std::uint32_t CAM_BUZZER = 0x2;
constexpr std::uint32_t CAM_SPIN_UP = 0x4;

constexpr std::uint32_t kCamTarget = 255;  // the controller itself
constexpr std::uint32_t kCamSavedCopy = 0;
constexpr std::uint32_t kCamCurrentCopy = 1;

}  // namespace lib

namespace drv {

using rec::Bytes;
using rec::LeField;

// readArraySettings / writeArraySettings.
struct ArraySettingsBlock {
    static constexpr std::size_t kSize = 72;
    REC_FIELDS(
        (CacheMode, LeField<std::uint8_t, 0>),  // DRIVER_CACHE_* code
        (Lookahead, LeField<std::uint8_t, 3>),
        (Consolidation, LeField<std::uint8_t, 4>),  // 0 off
        (BypassDisabled, LeField<std::uint8_t, 6>),  // non-zero: bypass off
        (Name, Bytes<8, 64>))                        // NUL-terminated when shorter than 64
};
static_assert(rec::checkLayout<ArraySettingsBlock>());
static_assert(ArraySettingsBlock::kSize == vendor::kArraySettingsSize);

}  // namespace drv

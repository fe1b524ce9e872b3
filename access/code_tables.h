#pragma once
// The codes the library's and the driver's records carry, with the names the
// console prints for them and the keywords its parsers take: RAID levels,
// cache modes, initialisation kinds, array status, background activity kinds
// and states. The console and the simulated controller both use these.

#include <cstddef>
#include <cstdint>

namespace codes {

// A code and the name printed for it.
struct CodeName {
    std::uint8_t code;
    const char* name;
};

// A keyword the parsers take (compared without regard to case) and its code.
struct Keyword {
    const char* word;
    std::uint8_t code;
};

// The name of the code, or `otherwise` when the table does not hold it.
template <std::size_t N>
constexpr const char* nameOf(const CodeName (&table)[N], std::uint8_t code, const char* otherwise) {
    for (const CodeName& entry : table) {
        if (entry.code == code) return entry.name;
    }
    return otherwise;
}

}  // namespace codes

// ---- The library's codes --------------------------------------------------------

namespace lib {

// RAID level codes (LogDrvInfo, ArrayCreateRequest, MigrationRequest).
constexpr std::uint8_t RAID_LEVEL_RAID0 = 0x00;
constexpr std::uint8_t RAID_LEVEL_RAID1 = 0x01;
constexpr std::uint8_t RAID_LEVEL_RAID5 = 0x05;
constexpr std::uint8_t RAID_LEVEL_RAID6 = 0x06;  // also RAIDMF
constexpr std::uint8_t RAID_LEVEL_SPAN = 0x08;
constexpr std::uint8_t RAID_LEVEL_JBOD = 0x0A;
constexpr std::uint8_t RAID_LEVEL_RAID10 = 0x10;
constexpr std::uint8_t RAID_LEVEL_RAID50 = 0x50;

inline constexpr codes::CodeName kRaidLevelNames[] = {
    {RAID_LEVEL_RAID0, "RAID0"}, {RAID_LEVEL_RAID1, "RAID1"},   {RAID_LEVEL_RAID5, "RAID5"},
    {RAID_LEVEL_RAID6, "RAID6"}, {RAID_LEVEL_SPAN, "SPAN"},     {RAID_LEVEL_JBOD, "JBOD"},
    {RAID_LEVEL_RAID10, "RAID10"}, {RAID_LEVEL_RAID50, "RAID50"},
};
inline constexpr codes::Keyword kRaidLevelKeywords[] = {
    {"raid0", RAID_LEVEL_RAID0},   {"raid1", RAID_LEVEL_RAID1},   {"raid5", RAID_LEVEL_RAID5},
    {"raid6", RAID_LEVEL_RAID6},   {"raid10", RAID_LEVEL_RAID10}, {"jbod", RAID_LEVEL_JBOD},
    {"raid50", RAID_LEVEL_RAID50}, {"raidmf", RAID_LEVEL_RAID6},  {"span", RAID_LEVEL_SPAN},
};

// Cache mode bits (LogDrvInfo); none of them set is write-through.
constexpr std::uint32_t CACHE_WRITE_THROUGH = 0x0;
constexpr std::uint32_t CACHE_WRITE_BACK = 0x1;
constexpr std::uint32_t CACHE_BYPASS = 0x4;
constexpr std::uint32_t CACHE_AUTO = 0x8;

inline constexpr codes::Keyword kCacheModeKeywords[] = {
    {"WRITEBACK", CACHE_WRITE_BACK},
    {"WRITETHROUGH", CACHE_WRITE_THROUGH},
    {"BYPASS", CACHE_BYPASS},
    {"AUTO", CACHE_AUTO},
};

// Initialisation kinds (ArrayCreateRequest, LogDrvInitRequest, and the
// driver's ArrayCreateBlock).
constexpr std::uint8_t INIT_KIND_NONE = 0;
constexpr std::uint8_t INIT_KIND_QUICK = 1;
constexpr std::uint8_t INIT_KIND_FOREGROUND = 2;
constexpr std::uint8_t INIT_KIND_BACKGROUND = 4;

inline constexpr codes::Keyword kInitKindKeywords[] = {
    {"NONE", INIT_KIND_NONE},
    {"QUICK", INIT_KIND_QUICK},
    {"FORE", INIT_KIND_FOREGROUND},
    {"BACK", INIT_KIND_BACKGROUND},
};

}  // namespace lib

// ---- The driver's codes ---------------------------------------------------------

namespace drv {

// RAID level codes (ArrayTableEntry, ArrayCreateBlock, MigrationBlock).
constexpr std::uint8_t DRIVER_LEVEL_RAID0 = 0;
constexpr std::uint8_t DRIVER_LEVEL_RAID1 = 1;  // RAID10 with more than two members
constexpr std::uint8_t DRIVER_LEVEL_RAID5 = 4;
constexpr std::uint8_t DRIVER_LEVEL_SPAN = 8;
constexpr std::uint8_t DRIVER_LEVEL_JBOD = 0x10;
constexpr std::uint8_t DRIVER_LEVEL_RAID50 = 0x20;
constexpr std::uint8_t DRIVER_LEVEL_RAIDMF = 0x80;

// The names la prints in direct mode: only these levels have one there, and
// code 1 is named RAID10 when the array has more than two members.
inline constexpr codes::CodeName kRaidLevelNames[] = {
    {DRIVER_LEVEL_RAID0, "RAID0"},
    {DRIVER_LEVEL_RAID1, "RAID1"},
    {DRIVER_LEVEL_RAID5, "RAID5"},
    {DRIVER_LEVEL_JBOD, "JBOD"},
};
constexpr const char* kRaid10Name = "RAID10";

inline constexpr codes::Keyword kRaidLevelKeywords[] = {
    {"raid0", DRIVER_LEVEL_RAID0},   {"raid1", DRIVER_LEVEL_RAID1},   {"raid5", DRIVER_LEVEL_RAID5},
    {"raid10", DRIVER_LEVEL_RAID1},  {"jbod", DRIVER_LEVEL_JBOD},     {"raid50", DRIVER_LEVEL_RAID50},
    {"raidmf", DRIVER_LEVEL_RAIDMF}, {"span", DRIVER_LEVEL_SPAN},
};

// Cache mode codes (ArrayTableEntry).
constexpr std::uint8_t DRIVER_CACHE_WRITE_BACK = 0;
constexpr std::uint8_t DRIVER_CACHE_WRITE_THROUGH = 1;
constexpr std::uint8_t DRIVER_CACHE_BYPASS = 2;
constexpr std::uint8_t DRIVER_CACHE_AUTO = 3;

// The names ac prints for a driver cache mode code.
inline constexpr codes::CodeName kCacheModeNames[] = {
    {DRIVER_CACHE_WRITE_BACK, "WriteBack"},
    {DRIVER_CACHE_WRITE_THROUGH, "WriteThru"},
    {DRIVER_CACHE_BYPASS, "ByPass"},
    {DRIVER_CACHE_AUTO, "Auto"},
};

inline constexpr codes::Keyword kCacheModeKeywords[] = {
    {"AUTO", DRIVER_CACHE_AUTO},
    {"WRITEBACK", DRIVER_CACHE_WRITE_BACK},
    {"WRITETHROUGH", DRIVER_CACHE_WRITE_THROUGH},
    {"BYPASS", DRIVER_CACHE_BYPASS},
};

// Kinds of startInitialization and startSynchronization.
constexpr std::uint8_t INIT_QUICK = 0;
constexpr std::uint8_t INIT_FOREGROUND = 1;
constexpr std::uint8_t INIT_BACKGROUND = 2;
constexpr std::uint8_t SYNC_SYNCHRONIZE = 0;
constexpr std::uint8_t SYNC_CHECK = 1;

inline constexpr codes::Keyword kInitKindKeywords[] = {
    {"QUICK", INIT_QUICK},
    {"FORE", INIT_FOREGROUND},
    {"BACK", INIT_BACKGROUND},
};
inline constexpr codes::Keyword kSyncKindKeywords[] = {
    {"SYNC", SYNC_SYNCHRONIZE},
    {"CHECK", SYNC_CHECK},
};

// Actions of controlActivity.
constexpr std::uint8_t ACTION_RESTART = 1;
constexpr std::uint8_t ACTION_PAUSE = 2;
constexpr std::uint8_t ACTION_RESUME = 3;
constexpr std::uint8_t ACTION_ABORT = 4;

inline constexpr codes::Keyword kActionKeywords[] = {
    {"RESTART", ACTION_RESTART},
    {"PAUSE", ACTION_PAUSE},
    {"RESUME", ACTION_RESUME},
    {"ABORT", ACTION_ABORT},
};

// Array status and configuration state (ArrayStatusReply).
constexpr std::uint8_t ARRAY_STATUS_OPTIMAL = 0;
constexpr std::uint8_t ARRAY_STATUS_DEGRADE = 1;
constexpr std::uint8_t ARRAY_STATUS_OFFLINE = 2;
constexpr std::uint8_t ARRAY_STATUS_INVALID = 3;
constexpr std::uint8_t ARRAY_STATUS_CRITICAL = 4;

inline constexpr codes::CodeName kArrayStatusNames[] = {
    {ARRAY_STATUS_OPTIMAL, "Optimal"}, {ARRAY_STATUS_DEGRADE, "Degrade"},
    {ARRAY_STATUS_OFFLINE, "Offline"}, {ARRAY_STATUS_INVALID, "Invalid"},
    {ARRAY_STATUS_CRITICAL, "Critical"},
};

constexpr std::uint8_t CONFIGURATION_NORMAL = 0;
constexpr std::uint8_t CONFIGURATION_CONFIGURING = 1;

inline constexpr codes::CodeName kConfigurationNames[] = {
    {CONFIGURATION_NORMAL, "Normal"},
    {CONFIGURATION_CONFIGURING, "Configuring"},
};

// Background activity kinds and states (ArrayStatusReply).
constexpr std::uint8_t BGA_KIND_NONE = 0;
constexpr std::uint8_t BGA_KIND_REBUILD = 1;
constexpr std::uint8_t BGA_KIND_FOREGROUND_INIT = 2;
constexpr std::uint8_t BGA_KIND_BACKGROUND_INIT = 3;
constexpr std::uint8_t BGA_KIND_CONSISTENCY_CHECK = 4;
constexpr std::uint8_t BGA_KIND_SYNCHRONIZATION = 5;
constexpr std::uint8_t BGA_KIND_MIGRATION = 6;

inline constexpr codes::CodeName kBgaKindNames[] = {
    {BGA_KIND_NONE, "No BGA"},
    {BGA_KIND_REBUILD, "Rebuild"},
    {BGA_KIND_FOREGROUND_INIT, "Foregound initialization"},
    {BGA_KIND_BACKGROUND_INIT, "Backgound initialization"},
    {BGA_KIND_CONSISTENCY_CHECK, "Consistency check"},
    {BGA_KIND_SYNCHRONIZATION, "Synchronization"},
    {BGA_KIND_MIGRATION, "Migration"},
};

constexpr std::uint8_t BGA_STATE_NONE = 0;
constexpr std::uint8_t BGA_STATE_RUNNING = 1;
constexpr std::uint8_t BGA_STATE_ABORTED = 2;
constexpr std::uint8_t BGA_STATE_PAUSED = 3;
constexpr std::uint8_t BGA_STATE_AUTOPAUSED = 4;

inline constexpr codes::CodeName kBgaStateNames[] = {
    {BGA_STATE_NONE, " "},
    {BGA_STATE_RUNNING, "Running"},
    {BGA_STATE_ABORTED, "Aborted"},
    {BGA_STATE_PAUSED, "Paused"},
    {BGA_STATE_AUTOPAUSED, "Autopaused"},
};

}  // namespace drv

// ---- Conversions between the two -------------------------------------------------

namespace codes {

// The driver's level code as the library's; code 1 is RAID10 with more than
// two disks. 0xFF for a code the driver does not have.
constexpr std::uint8_t libraryLevelOf(std::uint8_t driverLevel, std::size_t disks) {
    switch (driverLevel) {
        case drv::DRIVER_LEVEL_RAID0: return lib::RAID_LEVEL_RAID0;
        case drv::DRIVER_LEVEL_RAID1: return disks > 2 ? lib::RAID_LEVEL_RAID10 : lib::RAID_LEVEL_RAID1;
        case drv::DRIVER_LEVEL_RAID5: return lib::RAID_LEVEL_RAID5;
        case drv::DRIVER_LEVEL_SPAN: return lib::RAID_LEVEL_SPAN;
        case drv::DRIVER_LEVEL_JBOD: return lib::RAID_LEVEL_JBOD;
        case drv::DRIVER_LEVEL_RAID50: return lib::RAID_LEVEL_RAID50;
        case drv::DRIVER_LEVEL_RAIDMF: return lib::RAID_LEVEL_RAID6;
        default: return 0xFF;
    }
}

// The library's level code as the driver's; a code the driver does not have
// stays as it is.
constexpr std::uint8_t driverLevelOf(std::uint8_t libraryLevel) {
    switch (libraryLevel) {
        case lib::RAID_LEVEL_RAID0: return drv::DRIVER_LEVEL_RAID0;
        case lib::RAID_LEVEL_RAID1:
        case lib::RAID_LEVEL_RAID10: return drv::DRIVER_LEVEL_RAID1;
        case lib::RAID_LEVEL_RAID5: return drv::DRIVER_LEVEL_RAID5;
        case lib::RAID_LEVEL_RAID6: return drv::DRIVER_LEVEL_RAIDMF;
        case lib::RAID_LEVEL_SPAN: return drv::DRIVER_LEVEL_SPAN;
        case lib::RAID_LEVEL_JBOD: return drv::DRIVER_LEVEL_JBOD;
        case lib::RAID_LEVEL_RAID50: return drv::DRIVER_LEVEL_RAID50;
        default: return libraryLevel;
    }
}

// The library's cache bits as the driver's cache mode code.
constexpr std::uint8_t driverCacheModeOf(std::uint32_t bits) {
    if (bits & lib::CACHE_AUTO) return drv::DRIVER_CACHE_AUTO;
    if (bits & lib::CACHE_BYPASS) return drv::DRIVER_CACHE_BYPASS;
    if (bits & lib::CACHE_WRITE_BACK) return drv::DRIVER_CACHE_WRITE_BACK;
    return drv::DRIVER_CACHE_WRITE_THROUGH;
}

// The driver's cache mode code as the library's cache bits.
constexpr std::uint32_t libraryCacheBitsOf(std::uint8_t code) {
    switch (code) {
        case drv::DRIVER_CACHE_AUTO: return lib::CACHE_AUTO;
        case drv::DRIVER_CACHE_BYPASS: return lib::CACHE_BYPASS;
        case drv::DRIVER_CACHE_WRITE_BACK: return lib::CACHE_WRITE_BACK;
        default: return lib::CACHE_WRITE_THROUGH;
    }
}

// The driver's initialisation kind (INIT_QUICK...) as the library's.
inline constexpr std::uint8_t kLibraryInitKinds[] = {
    lib::INIT_KIND_QUICK, lib::INIT_KIND_FOREGROUND, lib::INIT_KIND_BACKGROUND};
static_assert(kLibraryInitKinds[drv::INIT_QUICK] == lib::INIT_KIND_QUICK &&
              kLibraryInitKinds[drv::INIT_FOREGROUND] == lib::INIT_KIND_FOREGROUND &&
              kLibraryInitKinds[drv::INIT_BACKGROUND] == lib::INIT_KIND_BACKGROUND);

}  // namespace codes

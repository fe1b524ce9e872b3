// gs, ac and ds: controller, array and disk settings. Every change reads the
// whole record first and hands it back with only the changed field altered,
// so bytes this console does not name survive a change untouched. A record
// whose read failed is never written back: it would hold zeros, not the
// controller's settings.

#include "commands/settings.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "access/code_tables.h"
#include "access/driver_device.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/settings_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

const char* enabledText(std::uint32_t value) { return value != 0 ? "enabled" : "disabled"; }

// The request key naming one object of the controller.
struct InfoKey {
    std::uint8_t bytes[lib::InfoRequest::kSize] = {};

    InfoKey(std::uint32_t firstId, std::uint16_t selector) {
        const rec::ByteSpan key(bytes, sizeof bytes);
        key.put<lib::InfoRequest::FirstId>(firstId);
        key.put<lib::InfoRequest::Count>(1);
        key.put<lib::InfoRequest::Selector>(selector);
    }
};

// ---- gs -------------------------------------------------------------------------

using CS = lib::ControllerSettings;

struct ItemOffset {
    const char* word;
    std::size_t offset;
};

constexpr ItemOffset kRateItems[] = {
    {"rebuild", CS::RebuildRate::offset},     {"sync", CS::SyncRate::offset},
    {"init", CS::InitRate::offset},           {"migration", CS::MigrationRate::offset},
    {"patrol", CS::PatrolRate::offset},       {"timeout", CS::TaskTimeout::offset},
};
constexpr ItemOffset kSwitchItems[] = {
    {"smart", CS::SmartChecking::offset},
    {"autorebuild", CS::AutoRebuild::offset},
};

const ItemOffset* findItem(const char* word, const ItemOffset* items, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (wordEquals(word, items[i].word)) return &items[i];
    }
    return nullptr;
}

void printInvalidItem(const char* word) { consolePrint("Invalid item '%s' specified.\n", word); }

void dumpGlobalSettings(const rec::ByteView& s) {
    consolePrint("Rebuild Rate: %d\n", s.get<CS::RebuildRate>());
    consolePrint("Synchronization Rate: %d\n", s.get<CS::SyncRate>());
    consolePrint("Initialization Rate: %d\n", s.get<CS::InitRate>());
    consolePrint("Media Patrol Rate: %d\n", s.get<CS::PatrolRate>());
    consolePrint("Migration Rate: %d\n", s.get<CS::MigrationRate>());
    consolePrint("S.M.A.R.T checking %s\n", enabledText(s.get<CS::SmartChecking>()));
    consolePrint("Auto rebuild %s\n", enabledText(s.get<CS::AutoRebuild>()));
    consolePrint("Check S.M.A.R.T every %d seconds.\n",
                 s.get<CS::SmartIntervalHigh>() * 256 + s.get<CS::SmartIntervalLow>());
    consolePrint("Check enclosure status every %d seconds.\n", s.get<CS::EnclosureInterval>());
    consolePrint("Rebuild Policy: %d\n", s.get<CS::RebuildPolicy>());
    consolePrint("Task timeout value: %u\n", static_cast<unsigned>(s.get<CS::TaskTimeout>()));
}

// Applies the change the words ask for to the record; false when the words
// were refused (the message is printed) and nothing must be written.
bool changeGlobalSettings(const rec::ByteSpan& s, std::int32_t count, char** words) {
    const char* sub = words[1];
    if (wordEquals(sub, "policy")) {
        if (count < 4) {
            printInvalidParameters("gs policy");
            return false;
        }
        if (!isHexString(words[3])) {
            consolePrint("Invalid policy '%s' specified.\n", words[3]);
            return false;
        }
        // REBUILD is the only policy the record holds; another item would
        // write the record back unchanged, so it is refused like the items
        // of the other sub-commands.
        if (!wordEquals(words[2], "rebuild")) {
            printInvalidItem(words[2]);
            return false;
        }
        s.put<CS::RebuildPolicy>(static_cast<std::uint8_t>(lowBitsOfDigits(words[3], 16)));
        return true;
    }
    if (wordEquals(sub, "rate")) {
        if (count < 4) {
            printInvalidParameters("gs rate");
            return false;
        }
        if (!isDecimalString(words[3])) {
            consolePrint("Invalid rate '%s' specified.\n", words[3]);
            return false;
        }
        const ItemOffset* item = findItem(words[2], kRateItems, std::size(kRateItems));
        if (item == nullptr) {
            printInvalidItem(words[2]);
            return false;
        }
        s.putAt<std::uint8_t>(item->offset, static_cast<std::uint8_t>(lowBitsOfDigits(words[3], 10)));
        return true;
    }
    if (wordEquals(sub, "interval")) {
        if (count < 4) {
            printInvalidParameters("gs interval");
            return false;
        }
        if (!isDecimalString(words[3])) {
            consolePrint("Invalid interval '%s' specified.\n", words[3]);
            return false;
        }
        const std::uint32_t value = lowBitsOfDigits(words[3], 10);
        if (wordEquals(words[2], "smart")) {
            s.put<CS::SmartIntervalLow>(static_cast<std::uint8_t>(value));
            s.put<CS::SmartIntervalHigh>(static_cast<std::uint8_t>(value >> 8));
        } else if (wordEquals(words[2], "enclosure")) {
            s.put<CS::EnclosureInterval>(static_cast<std::uint8_t>(value));
        } else {
            printInvalidItem(words[2]);
            return false;
        }
        return true;
    }
    const bool enable = wordEquals(sub, "enable");
    if (enable || wordEquals(sub, "disable")) {
        if (count < 3) {
            printInvalidParameters("gs policy");
            return false;
        }
        const ItemOffset* item = findItem(words[2], kSwitchItems, std::size(kSwitchItems));
        if (item == nullptr) {
            printInvalidItem(words[2]);
            return false;
        }
        s.putAt<std::uint8_t>(item->offset, enable ? 1 : 0);
        return true;
    }
    consolePrint("Invalid sub-command '%s' specified.\n", sub);
    return false;
}

// ---- ac -------------------------------------------------------------------------

using LS = lib::LogDrvSettings;
using AB = drv::ArraySettingsBlock;

// The longest name the driver's block takes: one byte stays for the
// terminator, so that the name reads back as it was written.
constexpr std::size_t kMaxDriverName = AB::Name::width - 1;

const char* driverCacheModeText(std::uint8_t code) {
    return codes::nameOf(drv::kCacheModeNames, code, "Unknown");
}

// Reads the array's settings into bytes; false (after the message) when the
// library does not report an array under that id.
bool readLibraryArraySettings(std::uint8_t arrayId, InfoKey& key, std::uint8_t* bytes) {
    const std::uint32_t result =
        hx_getLogDrvSettings(CONTROLLER_ADDRESS, key.bytes, bytes, LS::kSize);
    if (result != 0 || rec::ByteView(bytes, LS::kSize).get<LS::ArrayId>() != arrayId) {
        consolePrint("Array with ID %d is not existed!\n", static_cast<int>(arrayId));
        return false;
    }
    return true;
}

void dumpArrayFromLibrary(std::uint8_t arrayId) {
    using L = lib::LogDrvInfo;
    std::vector<std::uint8_t> buffer(lib::InfoReplyHeader::kSize + L::kSize, 0);
    const rec::ByteSpan reply(buffer.data(), buffer.size());
    reply.put<lib::InfoReplyHeader::BufferSize>(static_cast<std::uint32_t>(buffer.size()));
    InfoKey infoKey(arrayId, 0);
    const std::uint32_t infoResult =
        hx_getLogDrvInfo(CONTROLLER_ADDRESS, infoKey.bytes, buffer.data(),
                         static_cast<std::uint32_t>(buffer.size()));
    const rec::ByteView info = reply.view().sub(lib::InfoReplyHeader::kSize, L::kSize);

    InfoKey key(arrayId, 0);
    std::uint8_t settings[LS::kSize] = {};
    const std::uint32_t result =
        hx_getLogDrvSettings(CONTROLLER_ADDRESS, key.bytes, settings, LS::kSize);
    // A record the library did not fill reads as array 0: it counts only
    // when the read succeeded and the record is marked valid.
    if (result != 0 || infoResult != 0 || info.get<L::ArrayId>() != arrayId ||
        (info.get<L::Flags>() & lib::LOGDRV_VALID) == 0) {
        consolePrint("Array with ID %d is not existed!\n", static_cast<int>(arrayId));
        return;
    }
    const rec::ByteView s(settings, sizeof settings);
    const std::string name = info.text<L::Name>();
    consolePrint("Configuration of array %d - %s\n", static_cast<int>(arrayId), name.c_str());
    consolePrint("LD Raw size: %d\n", static_cast<std::int32_t>(static_cast<std::uint32_t>(info.get<L::RawSize>())));
    consolePrint("Number of Disks used : %d\n", info.get<L::MemberCount>());
    const std::uint32_t cache = info.get<L::CacheMode>();
    const char* mode = (cache & lib::CACHE_WRITE_BACK) != 0 ? "Write Back"
                       : (cache & lib::CACHE_BYPASS) != 0 ? "Bypass"
                                                          : "Write Thru";
    consolePrint("Driver Cache Mode: %s%s\n", (s.get<LS::CacheMode>() & lib::CACHE_AUTO) != 0 ? "Auto - " : "",
                 mode);
    consolePrint("Driver Lookahead threshold: %d\n", s.get<LS::Lookahead>());
    consolePrint("Driver Consolidation: %s\n", enabledText(s.get<LS::Consolidation>()));
    consolePrint("Bypass: %s\n", enabledText(s.get<LS::Bypass>()));
}

// The value word of a change, or null (after the message) when it is
// missing: a change without it would write a value nobody typed.
const char* valueWord(std::int32_t count, char** words) {
    if (count > 3) return words[3];
    printInvalidParameters("ac");
    return nullptr;
}

void changeArrayThroughLibrary(std::uint8_t arrayId, std::int32_t count, char** words) {
    const char* sub = words[2];
    const char* value = count > 3 ? words[3] : nullptr;
    if (wordEquals(sub, "activate")) {
        hx_activateLogDrv(CONTROLLER_ADDRESS, arrayId);
        return;
    }
    InfoKey key(arrayId, 0);
    std::uint8_t bytes[LS::kSize] = {};
    if (!readLibraryArraySettings(arrayId, key, bytes)) return;
    const rec::ByteSpan s(bytes, sizeof bytes);
    if (wordEquals(sub, "cache")) {
        if (valueWord(count, words) == nullptr) return;
        const std::uint8_t code = parseLibraryCacheMode(value);
        if (code == kParseFailed) return;
        s.put<LS::CacheMode>((s.view().get<LS::CacheMode>() & ~lib::kCacheModeMask) | code);
    } else if (wordEquals(sub, "lookahead")) {
        std::uint32_t threshold = 0;
        if (!parseDecimalArg(value, &threshold, "lookahead threshold")) return;
        s.put<LS::Lookahead>(static_cast<std::uint16_t>(threshold));
    } else if (wordEquals(sub, "consolidation")) {
        if (valueWord(count, words) == nullptr) return;
        const std::uint8_t on = parseEnableDisable(value);
        if (on == kParseFailed) return;
        s.put<LS::Consolidation>(on);
    } else if (wordEquals(sub, "bypass")) {
        if (valueWord(count, words) == nullptr) return;
        const std::uint8_t on = parseEnableDisable(value);
        if (on == kParseFailed) return;
        s.put<LS::Bypass>(on);
    } else if (wordEquals(sub, "name")) {
        if (valueWord(count, words) == nullptr) return;
        s.putText<LS::Name>(value);
    } else {
        consolePrint("Invalid subcommand - '%s'\n", sub);
        return;
    }
    hx_setLogDrvSettings(CONTROLLER_ADDRESS, key.bytes, bytes, LS::kSize);
}

void dumpArrayFromDriver(ControllerDevice& controller, std::uint8_t arrayId) {
    std::uint8_t bytes[AB::kSize] = {};
    if (!controller.readArraySettings(arrayId, bytes)) return;
    const rec::ByteView s(bytes, sizeof bytes);
    const std::string name = s.text<AB::Name>();
    consolePrint("Configuration of array %d - %s\n", static_cast<int>(arrayId), name.c_str());
    consolePrint("Driver Cache Mode: %s\n", driverCacheModeText(s.get<AB::CacheMode>()));
    consolePrint("Driver Lookahead threshold: %d\n", s.get<AB::Lookahead>());
    consolePrint("Driver Consolidation: %s\n", enabledText(s.get<AB::Consolidation>()));
    consolePrint("Bypass: %s\n", s.get<AB::BypassDisabled>() != 0 ? "disabled" : "enabled");
}

void changeArrayThroughDriver(ControllerDevice& controller, std::uint8_t arrayId, std::int32_t count,
                              char** words) {
    const char* sub = words[2];
    if (wordEquals(sub, "activate")) {
        controller.activateArray(arrayId, 0, 0);
        return;
    }
    // Lookahead and consolidation are changed through the library only.
    // Through the driver those words, like any unknown one, are refused
    // before anything is sent, rather than writing the block back unchanged
    // as if they had been carried out.
    const bool known = wordEquals(sub, "cache") || wordEquals(sub, "name") || wordEquals(sub, "bypass");
    if (!known) {
        consolePrint("Invalid subcommand - '%s'\n", sub);
        return;
    }
    const char* value = valueWord(count, words);
    if (value == nullptr) return;
    std::uint8_t bytes[AB::kSize] = {};
    if (!controller.readArraySettings(arrayId, bytes)) return;
    const rec::ByteSpan s(bytes, sizeof bytes);
    if (wordEquals(sub, "cache")) {
        const std::uint8_t code = parseDriverCacheMode(value);
        if (code == kParseFailed) return;
        s.put<AB::CacheMode>(code);
    } else if (wordEquals(sub, "name")) {
        const std::string name(value, strnlen(value, kMaxDriverName));
        s.putText<AB::Name>(name);
    } else {
        const std::uint8_t on = parseEnableDisable(value);
        if (on == kParseFailed) return;
        s.put<AB::BypassDisabled>(on == 1 ? 0 : 1);
    }
    controller.writeArraySettings(arrayId, bytes);
}

// ---- ds -------------------------------------------------------------------------

using PS = lib::PhyDrvSettings;

// Reads the disk's settings into bytes; false (after the message) when the
// library does not report a disk under that id. A failed read counts as
// such: its record would hold zeros, which pass the id check for disk 0.
bool readDiskSettings(std::uint8_t diskId, InfoKey& key, std::uint8_t* bytes) {
    std::memset(bytes, 0, PS::kSize);
    const std::uint32_t result =
        hx_getPhyDrvSettings(CONTROLLER_ADDRESS, key.bytes, bytes, PS::kSize);
    if (result != 0 || rec::ByteView(bytes, PS::kSize).get<PS::DiskId>() != diskId) {
        consolePrint("Disk with ID %d is not existed!\n", static_cast<int>(diskId));
        return false;
    }
    return true;
}

void printQueuing(const char* name, std::uint8_t supported, std::uint8_t on) {
    if (supported != 0) {
        consolePrint("%s is %s\n", name, enabledText(on));
    } else {
        consolePrint("%s feature is not supported\n", name);
    }
}

constexpr ItemOffset kDiskItems[] = {
    {"cache", PS::WriteCache::offset},
    {"smart", PS::Smart::offset},
    {"ncq", PS::Ncq::offset},
    {"tcq", PS::Tcq::offset},
};

}  // namespace

std::uint32_t lowBitsOfDigits(const char* word, unsigned base) {
    std::uint32_t value = 0;
    for (const char* p = word; p != nullptr && *p != '\0'; ++p) {
        unsigned digit = 0;
        if (*p >= '0' && *p <= '9') {
            digit = static_cast<unsigned>(*p - '0');
        } else if (base == 16 && *p >= 'a' && *p <= 'f') {
            digit = static_cast<unsigned>(*p - 'a' + 10);
        } else if (base == 16 && *p >= 'A' && *p <= 'F') {
            digit = static_cast<unsigned>(*p - 'A' + 10);
        } else {
            break;
        }
        // Arithmetic modulo 2^32 keeps exactly the number's low 32 bits.
        value = value * base + digit;
    }
    return value;
}

std::int32_t globalSettingsCommand(ControllerDevice**, std::int32_t count, char** words) {
    InfoKey key(controllerContext.controllerIndex, 0);
    std::uint8_t bytes[CS::kSize] = {};
    const std::uint32_t result =
        hx_getControllerSettings(CONTROLLER_ADDRESS, key.bytes, bytes, CS::kSize);
    if (count < 2) {
        if (result == 0) dumpGlobalSettings(rec::ByteView(bytes, sizeof bytes));
        return 1;
    }
    const bool changed = changeGlobalSettings(rec::ByteSpan(bytes, sizeof bytes), count, words);
    // Without a successful read the record holds no settings of the
    // controller: writing it would overwrite them all with zeros.
    if (changed && result == 0) hx_setControllerSettings(CONTROLLER_ADDRESS, key.bytes, bytes, CS::kSize);
    return 1;
}

std::int32_t arraySettingsCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (count < 2) {
        consolePrint("Array ID not specified.\n");
        return 1;
    }
    const std::uint8_t arrayId = parseArrayId(words[1]);
    if (arrayId == kParseFailed) return 1;
    ControllerDevice* controller = *currentController;
    if (count == 2) {
        if (controller != nullptr) {
            dumpArrayFromDriver(*controller, arrayId);
        } else {
            dumpArrayFromLibrary(arrayId);
        }
        return 1;
    }
    if (controller != nullptr) {
        changeArrayThroughDriver(*controller, arrayId, count, words);
    } else {
        changeArrayThroughLibrary(arrayId, count, words);
    }
    return 1;
}

std::int32_t diskSettingsCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        consolePrint("Disk ID not specified.\n");
        return 1;
    }
    const std::uint8_t diskId = parseDiskId(words[1]);
    if (diskId == kParseFailed) return 1;
    InfoKey key(diskId, 1);
    std::uint8_t bytes[PS::kSize] = {};
    if (count == 2) {
        if (!readDiskSettings(diskId, key, bytes)) return 1;
        const rec::ByteView s(bytes, sizeof bytes);
        consolePrint("Write cache is %s\n", enabledText(s.get<PS::WriteCache>()));
        consolePrint("Smart feature : %s\n", enabledText(s.get<PS::Smart>()));
        printQueuing("NCQ", s.get<PS::NcqSupported>(), s.get<PS::Ncq>());
        printQueuing("TCQ", s.get<PS::TcqSupported>(), s.get<PS::Tcq>());
        return 1;
    }
    if (count < 4) {
        printInvalidParameters("ds");
        return 1;
    }
    if (!readDiskSettings(diskId, key, bytes)) return 1;
    const ItemOffset* item = findItem(words[2], kDiskItems, std::size(kDiskItems));
    if (item == nullptr) {
        consolePrint("Invalid command!\n");
        return 1;
    }
    const std::uint8_t on = parseEnableDisable(words[3]);
    if (on == kParseFailed) return 1;
    rec::ByteSpan(bytes, sizeof bytes).putAt<std::uint8_t>(item->offset, on);
    hx_setPhyDrvSettings(CONTROLLER_ADDRESS, key.bytes, bytes, PS::kSize);
    return 1;
}

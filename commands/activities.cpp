// bga: background activities. Rebuild and backup always start through the
// library; the other starts and every control action go to the driver in
// direct mode. Only the library's start operations report an outcome.

#include "commands/activities.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "access/array_records.h"
#include "access/code_tables.h"
#include "access/driver_device.h"
#include "access/hxapi.h"
#include "console/context.h"
#include "console/parsers.h"
#include "console/words.h"
#include "platform/console.h"

namespace {

using WordCode = codes::Keyword;

template <std::size_t N>
bool findCode(const char* word, const WordCode (&table)[N], std::uint8_t* code) {
    for (const WordCode& entry : table) {
        if (wordEquals(word, entry.word)) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

bool missing(const char* word) { return word == nullptr || *word == '\0'; }

constexpr std::uint16_t kLogDrvInitUnused = 0xFFFF;
constexpr std::uint16_t kMigrationFixed = 0x80;

// The longest answer line kept.
constexpr std::size_t kMaxAnswerLength = 1023;

static_assert(MAX_WORDS <= lib::kMaxBackupTargets);
static_assert(MAX_WORDS <= drv::MigrationBlock::kMaxDisks);

AnswerSource& answerSource() {
    static AnswerSource source;
    return source;
}

bool readAnswerLine(std::string& line, bool& tooLong) {
    const AnswerSource& source = answerSource();
    if (source) return source(line, tooLong);
    return platform::readLine(line, kMaxAnswerLength, tooLong);
}

// Prints the prompt and reads one number. One line is one answer, so a line
// that is not a number (or the end of input) is refused; the prompt's command
// then sends nothing.
// Asks for a number that must lie between lowest and highest, the range of
// the field it goes to.
bool askNumber(const char* prompt, std::int32_t lowest, std::int32_t highest, std::int32_t* value) {
    consolePrint("%s", prompt);
    std::string line;
    bool tooLong = false;
    if (!readAnswerLine(line, tooLong)) {
        consolePrint("Invalid number '%s' entered.\n", "");
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (tooLong || !parseAnswerNumber(line, value) || *value < lowest || *value > highest) {
        consolePrint("Invalid number '%s' entered.\n", line.c_str());
        return false;
    }
    return true;
}

void printDisks(const std::uint8_t* disks, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) consolePrint(" Disk %d", disks[i]);
    consolePrint("\n");
}

// ---- Starts -------------------------------------------------------------------

void startRebuild(std::uint8_t arrayId, std::int32_t count, char** words) {
    std::uint8_t diskCount = 0;
    std::uint8_t disks[MAX_WORDS] = {};
    if (!parseIdList(&diskCount, disks, words[4])) return;
    // The extent list counts only when it is the last word; with more words
    // after it, it is ignored and the library picks the extents.
    const bool withExtents = count == 6;
    std::uint8_t targetCount = diskCount;
    std::uint8_t extents[MAX_WORDS] = {};
    if (withExtents) {
        std::uint8_t extentCount = 0;
        if (!parseIdList(&extentCount, extents, words[5])) return;
        // Extra extent indexes would make targets without a disk: refused.
        if (extentCount > diskCount) {
            consolePrint("More extent indexes than disk IDs specified.\n");
            return;
        }
        targetCount = extentCount;
    }

    using T = lib::RebuildTarget;
    std::vector<std::uint8_t> bytes(targetCount * T::kSize);
    const rec::ByteSpan targets(bytes.data(), bytes.size());
    targets.clear();
    for (std::size_t i = 0; i < targetCount; ++i) {
        const rec::ByteSpan target = targets.sub(i * T::kSize, T::kSize);
        target.put<T::ArrayId>(arrayId);
        target.put<T::DiskId>(disks[i]);
        target.put<T::ExtentIndex>(withExtents ? extents[i] : lib::kNoExtent);
    }
    const std::uint32_t status =
        hx_startHBARebuildExtent(CONTROLLER_ADDRESS, targetCount, bytes.data());
    if (status == 0) {
        consolePrint("Rebuild started on Array %d", arrayId);
    } else {
        consolePrint("Failed to start rebuild on Array %d", arrayId);
    }
    printDisks(disks, targetCount);
}

void startBackup(std::uint8_t arrayId, char** words) {
    std::uint8_t diskCount = 0;
    std::uint8_t disks[MAX_WORDS] = {};
    if (!parseIdList(&diskCount, disks, words[4])) return;

    // The library gets no count: it reads entries up to the first one whose
    // array id is FFFFh, so everything past the last target is FFh bytes.
    using T = lib::BackupTarget;
    std::vector<std::uint8_t> bytes((lib::kMaxBackupTargets + 1) * T::kSize, 0xFF);
    const rec::ByteSpan list(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < diskCount; ++i) {
        const rec::ByteSpan target = list.sub(i * T::kSize, T::kSize);
        target.clear();
        target.put<T::ArrayId>(arrayId);
        target.put<T::DiskId>(disks[i]);
    }
    const std::uint32_t status = hx_startHBABackup(CONTROLLER_ADDRESS, bytes.data());
    if (status == 0) {
        consolePrint("Back up started on Array %d", arrayId);
    } else {
        consolePrint("Failed to start backup on Array %d", arrayId);
    }
    printDisks(disks, diskCount);
}

void startInitialization(ControllerDevice* controller, std::uint8_t arrayId, char** words) {
    const std::uint8_t kind = parseBgaInitKind(words[4]);
    if (kind == kParseFailed) return;
    if (controller != nullptr) {
        controller->startInitialization(arrayId, kind);
        return;
    }
    using R = lib::LogDrvInitRequest;
    const std::uint8_t libraryKind = codes::kLibraryInitKinds[kind];
    std::vector<std::uint8_t> bytes(R::kSize);
    const rec::ByteSpan request(bytes.data(), bytes.size());
    request.clear();
    request.put<R::ArrayId>(arrayId);
    request.put<R::Kind>(libraryKind);
    request.put<R::Unused6>(kLogDrvInitUnused);
    request.put<R::Unused8>(kLogDrvInitUnused);
    const std::uint32_t status = hx_startLogDrvInit(CONTROLLER_ADDRESS, bytes.data(),
                                                    static_cast<std::uint32_t>(bytes.size()));
    if (status == 0) {
        consolePrint("BGA Init started on Array %d Type %d\n", arrayId, libraryKind);
    } else {
        consolePrint("BGA Init failed to started on Array %d Type %d\n", arrayId, libraryKind);
    }
}

void startSynchronization(ControllerDevice* controller, std::uint8_t arrayId, char** words) {
    const std::uint8_t kind = parseSyncKind(words[4]);
    if (kind == kParseFailed) return;
    if (controller != nullptr) {
        controller->startSynchronization(arrayId, kind);
        return;
    }
    using R = lib::RedundancyCheckRequest;
    std::uint8_t bytes[R::kSize];
    const rec::ByteSpan request(bytes, sizeof bytes);
    request.clear();
    request.put<R::ArrayId>(arrayId);
    request.put<R::Kind>(kind);
    request.put<R::Reserved5>(0);
    const std::uint32_t status = hx_startRedundancyCheck(CONTROLLER_ADDRESS, bytes);
    if (status == 0) {
        consolePrint("BGA Sync started on Array %d Type %d\n", arrayId, kind);
    } else {
        consolePrint("BGA Sync failed to started on Array %d Type %d\n", arrayId, kind);
    }
}

void migrateThroughDriver(ControllerDevice& controller, std::uint8_t arrayId, std::uint8_t level,
                          const std::uint8_t* disks, std::uint8_t diskCount) {
    using B = drv::MigrationBlock;
    std::vector<std::uint8_t> bytes(B::kSize);
    const rec::ByteSpan block(bytes.data(), bytes.size());
    block.clear();
    block.put<B::Reserved0>(0);
    block.put<B::RaidLevel>(level);
    block.put<B::DiskCount>(diskCount);
    const rec::ByteSpan ids = block.sub<B::Disks>();
    for (std::size_t i = 0; i < diskCount; ++i) ids.putAt<std::uint8_t>(i, disks[i]);
    controller.startMigration(arrayId, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void startMigration(ControllerDevice* controller, std::uint8_t arrayId, std::int32_t count,
                    char** words) {
    // Words past the extent list have no meaning: refused rather than ignored.
    if (count > 7) {
        printInvalidParameters(words[0]);
        return;
    }
    const std::uint8_t driverLevel = parseDriverRaidLevel(words[4]);
    if (driverLevel == kParseFailed) return;
    std::uint8_t diskCount = 0;
    std::uint8_t disks[MAX_WORDS] = {};
    if (count >= 6 && !parseIdList(&diskCount, disks, words[5])) return;
    if (controller != nullptr) {
        // The driver takes no extent list: word 6 is not looked at.
        migrateThroughDriver(*controller, arrayId, driverLevel, disks, diskCount);
        return;
    }

    const std::uint8_t level = parseLibraryRaidLevel(words[4]);
    if (level == kParseFailed) return;
    using R = lib::MigrationRequest;
    std::vector<std::uint8_t> bytes(R::kSize);
    const rec::ByteSpan request(bytes.data(), bytes.size());
    request.clear();
    request.put<R::ArrayId>(arrayId);
    request.put<R::MemberCount>(diskCount);
    request.put<R::RaidLevel>(level);
    request.put<R::Fixed6>(kMigrationFixed);

    const bool withExtents = count == 7;
    std::uint8_t extents[MAX_WORDS] = {};
    if (withExtents) {
        request.put<R::DisksOnly>(0);
        std::uint8_t extentCount = 0;
        if (!parseIdList(&extentCount, extents, words[6])) return;
        if (extentCount != diskCount) return;
    } else if (count == 6) {
        request.put<R::DisksOnly>(1);
    }

    // The answers are checked only to fit their fields.
    if (level == lib::RAID_LEVEL_RAID6) {  // RAIDMF and RAID6 take answers
        std::int32_t parity = 0;
        std::int32_t symmetric = 0;
        std::int32_t shift = 0;
        if (!askNumber("Please enter the parity count: ", 0, UINT8_MAX, &parity)) return;
        if (!askNumber("Please enter the symmetric: ", 0, UINT8_MAX, &symmetric)) return;
        if (!askNumber("Please enter the shift: ", INT16_MIN, INT16_MAX, &shift)) return;
        request.put<R::ParityCount>(static_cast<std::uint8_t>(parity));
        request.put<R::Symmetric>(static_cast<std::uint8_t>(symmetric));
        request.put<R::Shift>(static_cast<std::int16_t>(shift));
    } else if (level == lib::RAID_LEVEL_RAID50) {
        std::int32_t subArrays = 0;
        if (!askNumber("Please enter the subArray Count: ", 0, UINT8_MAX, &subArrays)) return;
        request.put<R::SubArrayCount>(static_cast<std::uint8_t>(subArrays));
    }

    using M = lib::MigrationMember;
    const rec::ByteSpan members = request.sub<R::Members>();
    for (std::size_t i = 0; i < diskCount; ++i) {
        const rec::ByteSpan member = members.sub(i * M::kSize, M::kSize);
        if (withExtents) member.put<M::ExtentIndex>(extents[i]);
        member.put<M::DiskId>(disks[i]);
    }
    const std::uint32_t status = hx_migrateHBAArray(CONTROLLER_ADDRESS, bytes.data());
    if (status == 0) {
        consolePrint("Migrate started on Array %d \n", arrayId);
    } else {
        consolePrint("Failed to start Migrate on Array %d\n", arrayId);
    }
}

void startActivity(ControllerDevice* controller, std::uint8_t arrayId, std::int32_t count,
                   char** words) {
    const std::uint8_t category = parseBgaCategory(words[3]);
    // Checked before the category's result: a bad category word with too few
    // words prints both messages.
    if (count < 5) {
        printInvalidParameters(words[0]);
        return;
    }
    switch (category) {
        case kBgaRebuild:
            startRebuild(arrayId, count, words);
            break;
        case kBgaBackup:
            startBackup(arrayId, words);
            break;
        case kBgaInit:
            startInitialization(controller, arrayId, words);
            break;
        case kBgaSync:
            startSynchronization(controller, arrayId, words);
            break;
        case kBgaMigration:
            startMigration(controller, arrayId, count, words);
            break;
        default:  // kParseFailed: the parser has printed why
            break;
    }
}

// ---- Control actions ------------------------------------------------------------

using ControlOperation = std::uint32_t(HXAPI_CALL*)(std::uint32_t, std::uint32_t, std::uint32_t,
                                                    const void*);

struct ControlRow {
    std::uint8_t category;
    const char* name;  // as the "no operation" message names it
    ControlOperation operations[4];  // RESTART, PAUSE, RESUME, ABORT
};

// Null cells have no library operation.
const ControlRow kControlRows[] = {
    {kBgaRebuild, "rebuild", {hx_restartRebuild, hx_pauseRebuild, hx_resumeRebuild, hx_stopRebuild}},
    {kBgaInit, "initialization", {nullptr, hx_pauseLogDrvInit, hx_resumeLogDrvInit, hx_stopLogDrvInit}},
    {kBgaSync,
     "synchronization",
     {nullptr, hx_pauseRedundancyCheck, hx_resumeRedundancyCheck, hx_stopRedundancyCheck}},
    {kBgaMigration, "migration", {nullptr, hx_PauseMigration, hx_ResumeMigration, nullptr}},
};

const char* const kActionNames[] = {"restart", "pause", "resume", "abort"};

void controlActivity(ControllerDevice* controller, std::uint8_t arrayId, char** words) {
    const std::uint8_t action = parseBgaAction(words[3]);
    if (action == kParseFailed) return;
    if (controller != nullptr) {
        // The driver knows the running activity: the category word is not needed.
        controller->controlActivity(arrayId, action);
        return;
    }
    const std::uint8_t category = parseBgaCategory(words[2]);
    if (category == kParseFailed) return;
    // A backup cannot be paused or stopped; it is only ever deleted.
    if (category == kBgaBackup) {
        consolePrint("No control action is defined for a backup; use delbp to delete a backup.\n");
        return;
    }
    const std::size_t column = action - 1u;
    for (const ControlRow& row : kControlRows) {
        if (row.category != category) continue;
        const ControlOperation operation = row.operations[column];
        // Said aloud, so that an action the library lacks is not mistaken for
        // one that was sent.
        if (operation == nullptr) {
            consolePrint("The library has no %s operation for %s.\n", kActionNames[column], row.name);
            return;
        }
        // 12 bytes: the rebuild operations read all of it, the others the id.
        using A = lib::ActivityRef;
        std::uint8_t bytes[A::kSize];
        const rec::ByteSpan ref(bytes, sizeof bytes);
        ref.clear();
        ref.put<A::ArrayId>(arrayId);
        if (category == kBgaRebuild) ref.put<A::Reserved8>(0);
        operation(CONTROLLER_ADDRESS, bytes);
        return;
    }
}

}  // namespace

std::uint8_t parseBgaCategory(const char* word) {
    static const WordCode categories[] = {{"REBUILD", kBgaRebuild},
                                          {"INIT", kBgaInit},
                                          {"SYNC", kBgaSync},
                                          {"MIGRATION", kBgaMigration},
                                          {"BACKUP", kBgaBackup}};
    if (missing(word)) {
        consolePrint("BGA category not specified.\n");
        return kParseFailed;
    }
    std::uint8_t code = kParseFailed;
    if (findCode(word, categories, &code)) return code;
    consolePrint("Unknown BGA category '%s' specified.\n", word);
    return kParseFailed;
}

std::uint8_t parseSyncKind(const char* word) {
    const auto& kinds = drv::kSyncKindKeywords;
    if (missing(word)) {
        consolePrint("Synchronization kind not specified.\n");
        return kParseFailed;
    }
    std::uint8_t code = kParseFailed;
    if (findCode(word, kinds, &code)) return code;
    consolePrint("Unknown synchronization kind '%s' specified.\n", word);
    return kParseFailed;
}

std::uint8_t parseBgaInitKind(const char* word) {
    const auto& kinds = drv::kInitKindKeywords;
    if (missing(word)) {
        consolePrint("Initialization kind not specified.\n");
        return kParseFailed;
    }
    std::uint8_t code = kParseFailed;
    if (findCode(word, kinds, &code)) return code;
    consolePrint("Unknown initialization kind '%s' specified.\n", word);
    return kParseFailed;
}

std::uint8_t parseBgaAction(const char* word) {
    const auto& actions = drv::kActionKeywords;
    if (missing(word)) {
        consolePrint("BGA control action not specified.\n");
        return kParseFailed;
    }
    std::uint8_t code = kParseFailed;
    if (findCode(word, actions, &code)) return code;
    consolePrint("Unknown BGA control action '%s' specified.\n", word);
    return kParseFailed;
}

void setMigrationAnswerSource(AnswerSource source) { answerSource() = std::move(source); }

bool parseAnswerNumber(const std::string& text, std::int32_t* value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto blank = [&](std::size_t at) { return text[at] == ' ' || text[at] == '\t'; };
    while (i < n && blank(i)) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // |INT32_MIN|
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit) return false;
    }
    if (i == digitsStart) return false;
    while (i < n && (blank(i) || text[i] == '\r')) ++i;
    if (i != n) return false;
    if (!negative && magnitude == kLimit) return false;
    *value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::int32_t bgaCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (count < 3) {
        printInvalidParameters(words[0]);
        return 1;
    }
    const std::uint8_t arrayId = parseArrayId(words[1]);
    if (arrayId == kParseFailed) return 1;
    if (wordEquals(words[2], "START")) {
        startActivity(*currentController, arrayId, count, words);
    } else {
        controlActivity(*currentController, arrayId, words);
    }
    return 1;
}

// ca, ca2, da and delbp: the set of arrays on the controller.
//
// None of them prints a result: the operator looks with la. Every word is
// checked before anything is sent, and a refused word sends nothing.

#include "commands/arrays.h"

#include <cstdint>
#include <string>
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

using Request = lib::ArrayCreateRequest;
using Block = drv::ArrayCreateBlock;

constexpr std::uint8_t kRaid50MinimumDisks = 6;

// A name of 64 characters or more does not fit the 64-byte field with its
// terminating zero; it is cut to its first 63 characters rather than refused.
constexpr std::size_t kMaxNameLength = 63;

static_assert(MAX_WORDS <= Block::kMaxDisks);
static_assert(MAX_WORDS <= lib::kMaxLibraryMembers);

enum class CreateForm {
    Extents,  // ca: a disk list and the extent on each disk
    Size,     // ca2: a disk list and a size in megabytes
};

// What both forms take from their words.
struct CreateWords {
    CreateForm form = CreateForm::Extents;
    std::uint8_t level = 0;
    std::uint32_t stripe = 0;
    std::uint8_t diskCount = 0;
    std::uint8_t disks[MAX_WORDS] = {};
    std::uint8_t extents[MAX_WORDS] = {};
    std::uint32_t sizeMb = 0;
    std::string name;
    std::uint8_t rounding = 0;
    std::uint8_t initKind = 0;
    std::uint32_t sectorSize = 0;
    std::int32_t firstOptional = 0;  // the word after the fixed ones
};

std::string arrayName(const char* word) {
    std::string name = word != nullptr ? word : "";
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
    return name;
}

// Reads the fixed words of ca or ca2; false when one was refused (its
// message is printed, or none where the command ends silently).
bool readCreateWords(bool direct, std::int32_t count, char** words, CreateWords& w) {
    const bool bySize = w.form == CreateForm::Size;
    w.firstOptional = bySize ? 9 : 8;
    if (count < w.firstOptional) {
        printInvalidParameters(words[0]);
        return false;
    }
    w.level = direct ? parseDriverRaidLevel(words[1]) : parseLibraryRaidLevel(words[1]);
    if (w.level == kParseFailed) return false;
    // A size beyond 32 bits is refused like a word that is not a number.
    const std::int64_t stripe = isDecimalString(words[2]) ? leadingDigitsValue(words[2]) : -1;
    if (stripe < 0 || stripe > std::int64_t{UINT32_MAX}) {
        consolePrint("Invalid stripe block size '%s' specified\n", words[2]);
        return false;
    }
    w.stripe = static_cast<std::uint32_t>(stripe);
    if (!parseIdList(&w.diskCount, w.disks, words[3])) return false;
    if (bySize) {
        if (!parseDecimalArg(words[4], &w.sizeMb, "Array size")) return false;
    } else {
        std::uint8_t extentCount = 0;
        if (!parseIdList(&extentCount, w.extents, words[4])) return false;
        // Lists of different lengths end the command without a message.
        if (extentCount != w.diskCount) return false;
    }
    w.name = arrayName(words[5]);
    w.rounding = parseRoundingScheme(words[6]);
    if (w.rounding == kParseFailed) return false;
    const std::int32_t init = parseInitKind(words[7]);
    if (init < 0) return false;
    w.initKind = static_cast<std::uint8_t>(init);
    // The sector size is not checked beyond fitting its 32-bit field: a word
    // without digits gives 0.
    if (bySize) {
        std::int64_t sectorSize = 0;
        if (!parseLeadingDigitsArg(words[8], 0, UINT32_MAX, &sectorSize, "Sector size")) return false;
        w.sectorSize = static_cast<std::uint32_t>(sectorSize);
    }
    return true;
}

void createThroughDriver(ControllerDevice& controller, const CreateWords& w) {
    std::vector<std::uint8_t> bytes(Block::kSize);
    const rec::ByteSpan block(bytes.data(), bytes.size());
    block.clear();
    block.put<Block::InitKind>(w.initKind);
    block.put<Block::RaidLevel>(w.level);
    block.put<Block::RoundingScheme>(w.rounding);
    block.put<Block::Flag5>(1);
    block.put<Block::Flag7>(1);
    block.put<Block::StripeSize>(w.stripe);
    block.putText<Block::Name>(w.name);
    if (w.form == CreateForm::Size) block.put<Block::SectorSize>(w.sectorSize);
    block.put<Block::DiskCount>(w.diskCount);
    const rec::ByteSpan disks = block.sub<Block::Disks>();
    for (std::size_t i = 0; i < w.diskCount; ++i) disks.putAt<std::uint8_t>(i, w.disks[i]);
    // The extent indexes of ca and the size of ca2 have no place in the block.
    controller.createArray(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void createThroughLibrary(std::int32_t count, char** words, const CreateWords& w) {
    const bool bySize = w.form == CreateForm::Size;
    std::vector<std::uint8_t> bytes(Request::kSize);
    const rec::ByteSpan request(bytes.data(), bytes.size());
    request.clear();
    request.put<Request::StripeSize>(w.stripe);
    request.put<Request::Reserved4>(0);
    request.put<Request::SizeMb>(bySize ? w.sizeMb : 0);
    request.put<Request::Reserved20>(0);
    request.putText<Request::Name>(w.name);
    request.put<Request::RaidLevel>(w.level);
    request.put<Request::InitKind>(w.initKind);
    request.put<Request::Flag91>(1);
    request.put<Request::RoundingScheme>(w.rounding);
    request.put<Request::CreationMethod>(bySize ? lib::kCreateFromSize : lib::kCreateFromExtents);
    request.put<Request::MemberCount>(w.diskCount);
    if (bySize) {
        request.put<Request::Reserved104>(0);
        request.put<Request::SectorSize>(w.sectorSize);
    }

    // The optional numbers are checked only to fit their fields.
    const std::int32_t at = w.firstOptional;
    if (w.level == lib::RAID_LEVEL_RAID50) {
        if (count < at + 1) {
            printInvalidParameters(words[0]);
            return;
        }
        if (w.diskCount < kRaid50MinimumDisks) {
            consolePrint("Total number of disk for RAID50 must be at least 6 disks\n");
            return;
        }
        std::int64_t subArrays = 0;
        if (!parseLeadingDigitsArg(words[at], 0, UINT8_MAX, &subArrays, "Sub-array count")) return;
        request.put<Request::SubArrayCount>(static_cast<std::uint8_t>(subArrays));
    } else if (w.level == lib::RAID_LEVEL_RAID6) {  // RAIDMF and RAID6
        if (count < at + 3) {
            printInvalidParameters(words[0]);
            return;
        }
        std::int64_t parity = 0;
        std::int64_t symmetric = 0;
        std::int64_t shift = 0;
        if (!parseLeadingDigitsArg(words[at], 0, UINT8_MAX, &parity, "Parity count")) return;
        if (!parseLeadingDigitsArg(words[at + 1], 0, UINT8_MAX, &symmetric, "Symmetric")) return;
        if (!parseLeadingDigitsArg(words[at + 2], INT16_MIN, INT16_MAX, &shift, "Shift")) return;
        request.put<Request::ParityCount>(static_cast<std::uint8_t>(parity));
        request.put<Request::Symmetric>(static_cast<std::uint8_t>(symmetric));
        request.put<Request::Shift>(static_cast<std::int16_t>(shift));
    }

    const rec::ByteSpan members = request.sub<Request::Members>();
    for (std::size_t i = 0; i < w.diskCount; ++i) {
        const rec::ByteSpan member = members.sub(i * lib::ArrayMember::kSize, lib::ArrayMember::kSize);
        if (!bySize) member.put<lib::ArrayMember::ExtentIndex>(w.extents[i]);
        member.put<lib::ArrayMember::DiskId>(w.disks[i]);
    }
    hx_addHBAArray(CONTROLLER_ADDRESS, bytes.data());
}

std::int32_t createCommand(ControllerDevice** currentController, std::int32_t count, char** words,
                           CreateForm form) {
    CreateWords w;
    w.form = form;
    ControllerDevice* controller = *currentController;
    if (!readCreateWords(controller != nullptr, count, words, w)) return 1;
    // The RAID50 and parity-level words belong to the library's request only.
    if (controller != nullptr) {
        createThroughDriver(*controller, w);
    } else {
        createThroughLibrary(count, words, w);
    }
    return 1;
}

}  // namespace

std::int32_t createArrayCommand(ControllerDevice** currentController, std::int32_t count,
                                char** words) {
    return createCommand(currentController, count, words, CreateForm::Extents);
}

std::int32_t createArrayBySizeCommand(ControllerDevice** currentController, std::int32_t count,
                                      char** words) {
    return createCommand(currentController, count, words, CreateForm::Size);
}

std::int32_t deleteArrayCommand(ControllerDevice** currentController, std::int32_t, char** words) {
    // parseArrayId prints the missing and invalid messages; 255 ends silently.
    const std::uint8_t arrayId = parseArrayId(words[1]);
    if (arrayId == kParseFailed) return 1;
    if (*currentController != nullptr) {
        (*currentController)->deleteArray(arrayId);
        return 1;
    }
    std::uint8_t bytes[lib::ArrayIdList::kSize];
    const rec::ByteSpan list(bytes, sizeof bytes);
    list.clear();
    list.put<lib::ArrayIdList::Count>(1);
    list.put<lib::ArrayIdList::ArrayId>(arrayId);
    hx_delDiskArray(CONTROLLER_ADDRESS, bytes, static_cast<std::uint32_t>(sizeof bytes));
    return 1;
}

std::int32_t deleteBackupCommand(ControllerDevice**, std::int32_t, char** words) {
    const std::uint8_t arrayId = parseArrayId(words[1]);
    if (arrayId == kParseFailed) return 1;
    // No vendor command deletes a backup: the library is used in both modes.
    hx_deleteBackUp(CONTROLLER_ADDRESS, arrayId);
    return 1;
}

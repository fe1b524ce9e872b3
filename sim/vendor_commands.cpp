#include "sim/vendor_commands.h"

#include "access/array_records.h"
#include "access/driver_protocol.h"
#include "access/driver_records.h"
#include "access/record.h"
#include "sim/array_model.h"
#include "sim/replies.h"

namespace sim {

namespace {

using drv::kOpArray;
using drv::kOpDisk;
using drv::kOpTable;

constexpr std::uint8_t kAscInvalidFieldInParameters = 0x26;
constexpr std::uint8_t kAscSequenceError = 0x2C;

ScsiOutcome good() { return ScsiOutcome{}; }
ScsiOutcome invalidField() { return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInCdb, 0); }
ScsiOutcome invalidOpcode() { return checkCondition(kSenseIllegalRequest, kAscInvalidOpcode, 0); }

// A table read: one entry for the id, or every slot for 0xFF. Slot i holds
// the item whose id is i; empty slots stay zero.
template <typename Item, typename Find, typename Fill>
ScsiOutcome readTable(const Controller& c, std::uint8_t id, std::uint8_t* data,
                      std::uint32_t length, std::size_t entrySize, const std::vector<Item>& items,
                      Find find, Fill fill) {
    const std::size_t needed = id == kAllEntries ? kMaxSlots * entrySize : entrySize;
    if (data == nullptr || length < needed) return invalidField();
    const rec::ByteSpan table(data, needed);
    table.clear();
    if (id != kAllEntries) {
        const Item* item = find(c, id);
        if (item == nullptr) return invalidField();
        fill(table, *item);
        return good();
    }
    for (const Item& item : items) {
        if (item.id < 0 || static_cast<std::uint32_t>(item.id) >= kMaxSlots) continue;
        fill(table.sub(static_cast<std::size_t>(item.id) * entrySize, entrySize), item);
    }
    return good();
}

// How the driver reports a refused request.
ScsiOutcome outcomeOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ok: return good();
        case Outcome::NoSuchArray:
        case Outcome::NoSuchDisk: return invalidField();
        case Outcome::BadRequest:
        case Outcome::NoSpace:
            return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInParameters, 0);
        case Outcome::Busy:
        case Outcome::NothingRunning:
            return checkCondition(kSenseIllegalRequest, kAscSequenceError, 0);
    }
    return invalidField();
}

// The driver's level codes as the library's; code 1 is RAID10 with more
// than two disks.
std::uint8_t libraryLevelOf(std::uint8_t driverLevel, std::size_t disks) {
    switch (driverLevel) {
        case drv::DRIVER_LEVEL_RAID0: return kLevelRaid0;
        case drv::DRIVER_LEVEL_RAID1: return disks > 2 ? kLevelRaid10 : kLevelRaid1;
        case drv::DRIVER_LEVEL_RAID5: return kLevelRaid5;
        case drv::DRIVER_LEVEL_SPAN: return kLevelSpan;
        case drv::DRIVER_LEVEL_JBOD: return kLevelJbod;
        case drv::DRIVER_LEVEL_RAID50: return kLevelRaid50;
        case drv::DRIVER_LEVEL_RAIDMF: return kLevelRaid6;
        default: return 0xFF;
    }
}

// The block names disks only: each member takes the first free extent of
// its disk. It carries no sub-array or parity counts, so those take the
// controller's defaults: two RAID5 sub-arrays, two parity disks.
ScsiOutcome createFromBlock(State& state, Controller& c, const std::uint8_t* data,
                            std::uint32_t length) {
    using B = drv::ArrayCreateBlock;
    if (data == nullptr || length < B::kSize) return invalidField();
    const rec::ByteView v(data, B::kSize);
    NewArray request;
    const std::size_t disks = v.get<B::DiskCount>();
    if (disks == 0 || disks > B::kMaxDisks) return outcomeOf(Outcome::BadRequest);
    request.level = libraryLevelOf(v.get<B::RaidLevel>(), disks);
    request.stripeSectors = v.get<B::StripeSize>();
    request.name = v.text<B::Name>();
    request.initKind = v.get<B::InitKind>();
    request.rounding = v.get<B::RoundingScheme>();
    request.fromSize = true;
    const std::uint32_t sectorSize = v.get<B::SectorSize>();
    request.sectorSize = sectorSize == 0 ? 512 : sectorSize;
    request.subArrayCount = request.level == kLevelRaid50 ? 2 : 0;
    request.parityCount = request.level == kLevelRaid6 ? 2 : 0;
    const rec::ByteView ids = v.sub<B::Disks>();
    for (std::size_t i = 0; i < disks; ++i) request.members.push_back(MemberChoice{ids.data()[i], -1});
    return outcomeOf(createArray(state, c, request));
}

ScsiOutcome migrateFromBlock(State& state, Controller& c, int arrayId, const std::uint8_t* data,
                             std::uint32_t length) {
    using B = drv::MigrationBlock;
    if (data == nullptr || length < B::kSize) return invalidField();
    const rec::ByteView v(data, B::kSize);
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return invalidField();
    MigrationPlan request;
    const std::size_t disks = v.get<B::DiskCount>();
    if (disks > B::kMaxDisks) return outcomeOf(Outcome::BadRequest);
    request.level = libraryLevelOf(v.get<B::RaidLevel>(), a->members.size() + disks);
    request.subArrayCount = request.level == kLevelRaid50 ? 2 : 0;
    request.parityCount = request.level == kLevelRaid6 ? 2 : 0;
    const rec::ByteView ids = v.sub<B::Disks>();
    for (std::size_t i = 0; i < disks; ++i) request.addedMembers.push_back(MemberChoice{ids.data()[i], -1});
    return outcomeOf(startMigration(state, c, arrayId, request));
}

ScsiOutcome arrayCommand(State& state, Controller& c, const std::uint8_t (&cdb)[16],
                         std::uint8_t* data, std::uint32_t length) {
    const int arrayId = cdb[15];
    switch (cdb[1]) {
        case 0x07: return outcomeOf(deleteArray(state, c, arrayId));
        case 0x03:
            switch (cdb[2]) {
                case 0x01: {
                    static const int libraryKinds[] = {1, 2, 4};  // quick, foreground, background
                    if (cdb[3] > drv::INIT_BACKGROUND) return invalidField();
                    return outcomeOf(startInit(state, c, arrayId, libraryKinds[cdb[3]]));
                }
                case 0x02:
                    if (cdb[3] > drv::SYNC_CHECK) return invalidField();
                    return outcomeOf(startSync(state, c, arrayId, cdb[3] == drv::SYNC_CHECK));
                case 0x03: return migrateFromBlock(state, c, arrayId, data, length);
                default: return invalidField();
            }
        case 0x04: {
            Control action;
            switch (cdb[2]) {
                case drv::ACTION_RESTART: action = Control::Restart; break;
                case drv::ACTION_PAUSE: action = Control::Pause; break;
                case drv::ACTION_RESUME: action = Control::Resume; break;
                case drv::ACTION_ABORT: action = Control::Abort; break;
                default: return invalidField();
            }
            return outcomeOf(controlActivity(state, c, arrayId, action));
        }
        case 0x06: {
            const Array* a = arrayById(c, arrayId);
            if (a == nullptr) return invalidField();
            if (data == nullptr || length < drv::ArrayStatusReply::kSize) return invalidField();
            const rec::ByteSpan reply(data, drv::ArrayStatusReply::kSize);
            reply.clear();
            fillArrayStatusReply(reply, *a, currentTime(state));
            return good();
        }
        default: return invalidOpcode();
    }
}

}  // namespace

std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    std::vector<std::uint8_t> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;  // additional sense length: bytes 8 to 17
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    return ScsiOutcome{0x02, fixedSense(key, asc, ascq)};
}

bool vendorCommandChangesState(const std::uint8_t (&cdb)[16]) {
    // Table reads, array status and controller information change nothing.
    if (cdb[0] == drv::kOpController) return false;
    if (cdb[0] == kOpTable && cdb[1] == 0x02) return false;
    if (cdb[0] == kOpArray && cdb[1] == 0x06) return false;
    return cdb[0] == kOpArray || cdb[0] == kOpTable || cdb[0] == kOpDisk;
}

ScsiOutcome executeVendorCdb(State& state, int controller, const std::uint8_t (&cdb)[16],
                             std::uint8_t* data, std::uint32_t length) {
    Controller& c = state.controllers[static_cast<std::size_t>(controller)];
    if (cdb[0] == kOpArray) return arrayCommand(state, c, cdb, data, length);
    if (cdb[0] == kOpTable && cdb[1] == 0x01) return createFromBlock(state, c, data, length);
    if (cdb[0] == drv::kOpController && cdb[1] == 0x05) {
        if (data == nullptr || length < drv::ControllerPciInfo::kSize) return invalidField();
        const rec::ByteSpan reply(data, drv::ControllerPciInfo::kSize);
        reply.clear();
        fillControllerPciInfo(reply, c, portOfController(state, controller));
        return good();
    }
    if (cdb[0] == kOpTable && cdb[1] == 0x02) {
        switch (cdb[2]) {
            case 0x02:
                return readTable(c, cdb[3], data, length, drv::DiskTableEntry::kSize, c.disks,
                                 findDisk, fillDiskTableEntry);
            case 0x04:
                return readTable(c, cdb[3], data, length, drv::ArrayTableEntry::kSize, c.arrays,
                                 findArray, fillArrayTableEntry);
            case 0x07:
                return readTable(c, cdb[3], data, length, drv::ArrayActivityEntry::kSize, c.arrays,
                                 findArray, fillArrayActivityEntry);
            default:
                return invalidField();
        }
    }
    return invalidOpcode();
}

}  // namespace sim

#include "sim/vendor_commands.h"

#include "access/driver_records.h"
#include "access/record.h"
#include "sim/replies.h"

namespace sim {

namespace {

constexpr std::uint8_t kOpArray = 0xE0;
constexpr std::uint8_t kOpTable = 0xE1;
constexpr std::uint8_t kOpInfo = 0xE3;
constexpr std::uint8_t kAllEntries = 0xFF;
constexpr std::uint32_t kSlots = 128;

ScsiOutcome good() { return ScsiOutcome{}; }
ScsiOutcome invalidField() { return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInCdb, 0); }
ScsiOutcome invalidOpcode() { return checkCondition(kSenseIllegalRequest, kAscInvalidOpcode, 0); }

// A table read: one entry for the id, or every slot for 0xFF. Slot i holds
// the item whose id is i; empty slots stay zero.
template <typename Item, typename Find, typename Fill>
ScsiOutcome readTable(const Controller& c, std::uint8_t id, std::uint8_t* data,
                      std::uint32_t length, std::size_t entrySize, const std::vector<Item>& items,
                      Find find, Fill fill) {
    const std::size_t needed = id == kAllEntries ? kSlots * entrySize : entrySize;
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
        if (item.id < 0 || static_cast<std::uint32_t>(item.id) >= kSlots) continue;
        fill(table.sub(static_cast<std::size_t>(item.id) * entrySize, entrySize), item);
    }
    return good();
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
    // Table reads and controller information change nothing.
    if (cdb[0] == kOpInfo) return false;
    if (cdb[0] == kOpTable && cdb[1] == 0x02) return false;
    return cdb[0] == kOpArray || cdb[0] == kOpTable || cdb[0] == 0xE2;
}

ScsiOutcome executeVendorCdb(State& state, int controller, const std::uint8_t (&cdb)[16],
                             std::uint8_t* data, std::uint32_t length) {
    const Controller& c = state.controllers[static_cast<std::size_t>(controller)];
    if (cdb[0] == kOpInfo && cdb[1] == 0x05) {
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
            default:
                return invalidField();
        }
    }
    return invalidOpcode();
}

}  // namespace sim

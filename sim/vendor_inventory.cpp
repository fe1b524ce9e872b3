// The inventory family's answers: the disk, array and activity tables, and
// the controller's place on the PCI bus. None of them changes anything.

#include <algorithm>
#include <iterator>

#include "access/array_records.h"
#include "access/driver_records.h"
#include "platform/record.h"
#include "access/vendor_commands.h"
#include "sim/replies.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

const Controller& controllerOf(const State& state, int controller) {
    return state.controllers[static_cast<std::size_t>(controller)];
}

// A table read: one entry for the id, or every slot for 0xFF. Slot i holds
// the item whose id is i; empty slots stay zero.
template <typename Item, typename Find, typename Fill>
ScsiOutcome readTable(const Controller& c, const VendorRequest& request, const std::vector<Item>& items,
                      Find find, Fill fill) {
    const std::uint8_t id = request.id();
    const std::size_t entrySize = request.command.dataSize;
    const std::size_t needed = vendor::dataLengthOf(request.command, id, 0);
    if (request.data == nullptr || request.length < needed) return invalidField();
    const rec::ByteSpan table(request.data, needed);
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

ScsiOutcome readDiskTable(const State& state, int controller, const VendorRequest& request) {
    const Controller& c = controllerOf(state, controller);
    std::vector<Disk> visible;
    std::copy_if(c.disks.begin(), c.disks.end(), std::back_inserter(visible), diskVisible);
    auto findVisible = [](const Controller& owner, int id) {
        const Disk* d = findDisk(owner, id);
        return d != nullptr && diskVisible(*d) ? d : nullptr;
    };
    return readTable(c, request, visible, findVisible, fillDiskTableEntry);
}

ScsiOutcome readArrayTable(const State& state, int controller, const VendorRequest& request) {
    const Controller& c = controllerOf(state, controller);
    return readTable(c, request, c.arrays, findArray, fillArrayTableEntry);
}

ScsiOutcome readActivityTable(const State& state, int controller, const VendorRequest& request) {
    const Controller& c = controllerOf(state, controller);
    return readTable(c, request, c.arrays, findArray, fillArrayActivityEntry);
}

ScsiOutcome readControllerInfo(const State& state, int controller, const VendorRequest& request) {
    if (request.data == nullptr || request.length < drv::ControllerPciInfo::kSize) return invalidField();
    const rec::ByteSpan reply(request.data, drv::ControllerPciInfo::kSize);
    reply.clear();
    fillControllerPciInfo(reply, controllerOf(state, controller), portOfController(state, controller));
    return good();
}

}  // namespace

void addInventoryHandlers(std::vector<VendorHandler>& table) {
    table.insert(table.end(), {
                                  VendorHandler(vendor::kReadControllerInfo, readControllerInfo),
                                  VendorHandler(vendor::kReadDiskInfo, readDiskTable),
                                  VendorHandler(vendor::kReadArrayInfo, readArrayTable),
                                  VendorHandler(vendor::kReadArrayActivityInfo, readActivityTable),
                              });
}

}  // namespace sim

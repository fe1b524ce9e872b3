// The settings family's answers through the driver: an array's settings
// block, read and written, and activating an array.

#include "access/settings_records.h"
#include "access/vendor_commands.h"
#include "sim/array_model.h"
#include "sim/replies.h"
#include "sim/settings_model.h"
#include "sim/vendor_commands.h"

namespace sim {

namespace {

Controller& controllerOf(State& state, int controller) {
    return state.controllers[static_cast<std::size_t>(controller)];
}

ScsiOutcome readSettings(const State& state, int controller, const VendorRequest& r) {
    using B = drv::ArraySettingsBlock;
    const Array* a = findArray(state.controllers[static_cast<std::size_t>(controller)], r.id());
    if (a == nullptr || r.data == nullptr || r.length < B::kSize) return invalidField();
    fillArraySettingsBlock(rec::ByteSpan(r.data, B::kSize), *a);
    return good();
}

ScsiOutcome writeSettings(State& state, int controller, const VendorRequest& r) {
    using B = drv::ArraySettingsBlock;
    Array* a = arrayById(controllerOf(state, controller), r.id());
    if (a == nullptr) return invalidField();
    if (r.data == nullptr || r.length < B::kSize) return invalidField();
    if (applyArraySettingsBlock(*a, rec::ByteView(r.data, B::kSize)) != SettingsOutcome::Ok) {
        return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInParameters, 0);
    }
    return good();
}

// The controller's arrays are active once created: activating one that
// exists changes nothing.
ScsiOutcome activate(State& state, int controller, const VendorRequest& r) {
    return arrayById(controllerOf(state, controller), r.id()) != nullptr ? good() : invalidField();
}

}  // namespace

void addSettingsHandlers(std::vector<VendorHandler>& table) {
    table.insert(table.end(), {
                                  VendorHandler(vendor::kReadArraySettings, readSettings),
                                  VendorHandler(vendor::kWriteArraySettings, writeSettings),
                                  VendorHandler(vendor::kActivateArray, activate),
                              });
}

}  // namespace sim

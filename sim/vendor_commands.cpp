#include "sim/vendor_commands.h"

#include <deque>
#include <mutex>

#include "access/driver_protocol.h"
#include "platform/record.h"
#include "sim/array_model.h"

namespace sim {

namespace {

struct DispatchTable {
    std::mutex mutex;
    std::deque<VendorHandler> rows;  // rows stay where they are as others are added
};

DispatchTable& dispatchTable() {
    static DispatchTable table{{}, [] {
        std::vector<VendorHandler> rows;
        addInventoryHandlers(rows);
        addArrayHandlers(rows);
        addSettingsHandlers(rows);
        addDebugHandlers(rows);
        addPatrolHandlers(rows);
        return std::deque<VendorHandler>(rows.begin(), rows.end());
    }()};
    return table;
}

}  // namespace

std::vector<std::uint8_t> fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    using S = drv::FixedSense;
    std::vector<std::uint8_t> sense(S::kSize, 0);
    const rec::ByteSpan fields(sense.data(), sense.size());
    fields.put<S::ResponseCode>(drv::kFixedSenseCurrent);
    fields.put<S::SenseKey>(key);
    fields.put<S::AdditionalLength>(
        static_cast<std::uint8_t>(S::kSize - S::AdditionalLength::offset - 1));
    fields.put<S::AdditionalSenseCode>(asc);
    fields.put<S::AdditionalSenseQualifier>(ascq);
    return sense;
}

ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    return ScsiOutcome{drv::kScsiStatusCheckCondition, fixedSense(key, asc, ascq)};
}

ScsiOutcome checkConditionAt(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                             std::uint64_t lba) {
    ScsiOutcome outcome = checkCondition(key, asc, ascq);
    if (lba <= 0xFFFFFFFFu) {
        outcome.sense[0] |= drv::kFixedSenseValid;
        const auto value = static_cast<std::uint32_t>(lba);
        for (int i = 0; i < 4; ++i) {
            outcome.sense[3 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
        }
    }
    return outcome;
}

ScsiOutcome good() { return ScsiOutcome{}; }
ScsiOutcome invalidField() { return checkCondition(kSenseIllegalRequest, kAscInvalidFieldInCdb, 0); }
ScsiOutcome invalidOpcode() { return checkCondition(kSenseIllegalRequest, kAscInvalidOpcode, 0); }

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

ScsiOutcome VendorHandler::run(State& state, int controller, const VendorRequest& request) const {
    if (change_ != nullptr) return change_(state, controller, request);
    return read_(state, controller, request);
}

ScsiOutcome VendorHandler::run(const State& state, int controller,
                               const VendorRequest& request) const {
    // A command that changes the controller never runs on a state it may not
    // change: its change would be lost.
    if (read_ == nullptr) return invalidOpcode();
    return read_(state, controller, request);
}

void registerVendorHandler(const VendorHandler& handler) {
    DispatchTable& table = dispatchTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.rows.push_back(handler);
}

const VendorHandler* findVendorHandler(const VendorBlock& cdb) {
    DispatchTable& table = dispatchTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const VendorHandler& row : table.rows) {
        if (vendor::matches(row.command(), cdb)) return &row;
    }
    return nullptr;
}

ScsiOutcome unknownCommand(const VendorBlock& cdb) {
    DispatchTable& table = dispatchTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const VendorHandler& row : table.rows) {
        if (vendor::sameGroup(row.command(), cdb)) return invalidField();
    }
    return invalidOpcode();
}

}  // namespace sim

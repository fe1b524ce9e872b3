// The stand-in library's bypass request: a vendor command block handed
// through to the controller. The block is answered by the same rows that
// answer it through the driver, so either way does the same. The data
// buffer is the one the caller lent under the request's address (see
// lib::BufferLoan); an address no loan holds, or a length beyond the
// loan, is refused without touching memory.

#include <cstring>
#include <vector>

#include "access/debug_records.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/vendor_commands.h"

using namespace sim;

extern "C" {

uint32_t HXAPI_CALL hx_sendBypassCommand(uint32_t w1, uint32_t, uint32_t, const void* req) {
    using R = lib::BypassRequest;
    recordLibraryCall(__func__, req, req != nullptr ? R::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr) return kHxStatusInvalidArgument;
    const rec::ByteView request(req, R::kSize);
    VendorBlock cdb = {};
    std::memcpy(cdb, request.data() + R::Cdb::offset, sizeof cdb);
    const std::uint32_t length = request.get<R::DataLength>();
    std::uint8_t* data = nullptr;
    if (length != 0) {
        lib::LentBuffer lent;
        if (!lib::findLentBuffer(request.get<R::DataAddress>(), &lent) || lent.length < length) {
            return kHxStatusInvalidArgument;
        }
        data = static_cast<std::uint8_t*>(lent.data);
    }
    const VendorHandler* handler = findVendorHandler(cdb);
    if (handler == nullptr) return kHxStatusInvalidArgument;
    const VendorRequest vendorRequest{handler->command(), cdb, data, length};
    ScsiOutcome outcome;
    const auto slotOf = [](const State& s, const Controller& c) {
        return static_cast<int>(&c - s.controllers.data());
    };
    std::uint32_t status = 0;
    if (handler->command().changes()) {
        status = changeLibraryController(w1, [&](State& s, Controller& c) {
            outcome = handler->run(s, slotOf(s, c), vendorRequest);
            return 0u;
        });
    } else {
        status = readLibraryController(w1, [&](const State& s, const Controller& c) {
            outcome = handler->run(s, slotOf(s, c), vendorRequest);
            return 0u;
        });
    }
    if (status != 0) return status;
    return outcome.status == 0 && outcome.systemError == 0 ? 0 : kHxStatusCommandFailed;
}

}  // extern "C"

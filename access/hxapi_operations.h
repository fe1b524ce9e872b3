#pragma once
// What a layer between the console and the management library needs to know
// of each operation: the buffers it reads and fills, with their lengths.
// The operations themselves are listed once, in hxapi_operations.inc; a
// user defines HX_OPERATION and includes it inside its own scope, with the
// helpers below in reach.

#include <cstddef>
#include <cstdint>

#include "access/array_records.h"
#include "access/buffer_loan.h"
#include "access/debug_records.h"
#include "access/enclosure_records.h"
#include "access/event_records.h"
#include "access/flash_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/patrol_records.h"
#include "access/schedule_records.h"
#include "access/settings_records.h"

namespace hxops {

// One buffer of a call, named as its parameter is.
struct Buffer {
    const char* name;
    const void* data;
    std::size_t length;
};

// The data buffer a request record lends by its 32-bit number, cut to the
// length the request claims and the loan holds; none when no loan holds it.
template <typename Request>
Buffer lentData(const void* request) {
    if (request == nullptr) return {"data", nullptr, 0};
    const rec::ByteView r(request, Request::kSize);
    lib::LentBuffer lent;
    if (!lib::findLentBuffer(r.template get<typename Request::DataAddress>(), &lent)) {
        return {"data", nullptr, 0};
    }
    const std::uint32_t length = r.template get<typename Request::DataLength>();
    return {"data", lent.data, length < lent.length ? length : lent.length};
}

}  // namespace hxops

// The shorthands hxapi_operations.inc is written in.
#define HX_LIST(...) __VA_ARGS__
#define W3 std::uint32_t w1, std::uint32_t w2, std::uint32_t w3
#define A3 w1, w2, w3
#define B(p, n) ::hxops::Buffer{#p, (p), static_cast<std::size_t>(n)}
#define INFO_REQ B(req, lib::InfoRequest::kSize)
#define ACTIVITY_REF B(ref, lib::ActivityRef::kSize)
#define LENT(Request, p) ::hxops::lentData<Request>(p)

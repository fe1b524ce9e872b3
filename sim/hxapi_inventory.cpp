// The stand-in library's inventory queries: disks, arrays, the controller,
// its driver and the host.

#include <algorithm>
#include <vector>

#include "access/library_records.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/replies.h"

using namespace sim;

namespace {

// Fills a list reply: the records of the items whose id is at least the
// request's first id, in id order, as many as asked for and as fit. Stores
// the number returned in the request and the bytes filled in the header.
template <typename Item, typename Fill>
std::uint32_t fillList(void* req, void* buf, std::uint32_t size, std::vector<const Item*> items,
                       std::size_t recordSize, Fill fill, std::optional<std::uint32_t> countQuirk,
                       std::optional<std::uint32_t> filledQuirk) {
    if (req == nullptr || buf == nullptr || size < lib::InfoReplyHeader::kSize) {
        return kHxStatusInvalidArgument;
    }
    const rec::ByteSpan request(req, lib::InfoRequest::kSize);
    const rec::ByteSpan reply(buf, size);
    const std::uint32_t first = request.view().get<lib::InfoRequest::FirstId>();
    const std::uint32_t wanted = request.view().get<lib::InfoRequest::Count>();
    std::sort(items.begin(), items.end(), [](const Item* a, const Item* b) { return a->id < b->id; });
    std::uint32_t count = 0;
    for (const Item* item : items) {
        if (item->id < 0 || static_cast<std::uint32_t>(item->id) < first) continue;
        if (count == wanted) break;
        const std::size_t offset = lib::InfoReplyHeader::kSize + count * recordSize;
        if (offset + recordSize > size) break;
        const rec::ByteSpan record = reply.sub(offset, recordSize);
        record.clear();
        fill(record, *item);
        ++count;
    }
    request.put<lib::InfoRequest::Count>(countQuirk.value_or(count));
    reply.put<lib::InfoReplyHeader::BytesFilled>(filledQuirk.value_or(
        static_cast<std::uint32_t>(lib::InfoReplyHeader::kSize + count * recordSize)));
    return 0;
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_getPhyDrvInfo(uint32_t w1, uint32_t, uint32_t, void* req,
                                                void* buf, uint32_t size) {
    recordLibraryCall("hx_getPhyDrvInfo", req, req != nullptr ? lib::InfoRequest::kSize : 0);
    return readLibraryController(w1, [&](const State&, const Controller& c) {
        std::vector<const Disk*> disks;
        for (const Disk& d : c.disks) {
            if (diskVisible(d)) disks.push_back(&d);
        }
        auto fill = [&c](const rec::ByteSpan& r, const Disk& d) { fillPhyDrvInfo(r, c, d); };
        return fillList(req, buf, size, disks, lib::PhyDrvInfo::kSize, fill, c.quirks.phyDrvCount,
                        c.quirks.phyDrvFilled);
    });
}

extern "C" uint32_t HXAPI_CALL hx_getLogDrvInfo(uint32_t w1, uint32_t, uint32_t, void* req,
                                                void* buf, uint32_t size) {
    recordLibraryCall("hx_getLogDrvInfo", req, req != nullptr ? lib::InfoRequest::kSize : 0);
    return readLibraryController(w1, [&](const State&, const Controller& c) {
        std::vector<const Array*> arrays;
        for (const Array& a : c.arrays) arrays.push_back(&a);
        return fillList(req, buf, size, arrays, lib::LogDrvInfo::kSize, fillLogDrvInfo,
                        std::nullopt, std::nullopt);
    });
}

extern "C" uint32_t HXAPI_CALL hx_getAryLostDisk(uint32_t w1, uint32_t, uint32_t,
                                                 uint32_t arrayNumber, uint32_t* mask) {
    noteScalarCall("hx_getAryLostDisk", arrayNumber);
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        if (mask == nullptr) return kHxStatusInvalidArgument;
        const Array* a = findArray(c, static_cast<int>(arrayNumber & 0xFF));
        if (a == nullptr) return kHxStatusInvalidArgument;
        *mask = a->lostMask;
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getControllerInfo(uint32_t w1, uint32_t, uint32_t, void* req,
                                                    void* buf, uint32_t size) {
    recordLibraryCall("hx_getControllerInfo", req, req != nullptr ? lib::InfoRequest::kSize : 0);
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        if (req == nullptr || buf == nullptr) return kHxStatusInvalidArgument;
        const std::uint16_t kind =
            rec::ByteView(req, lib::InfoRequest::kSize).get<lib::InfoRequest::Selector>();
        const rec::ByteSpan reply(buf, size);
        if (kind == lib::kControllerInfoAdapter) {
            reply.sub(0, lib::AdapterInfo::kSize).clear();
            fillAdapterInfo(reply, c);
            return 0;
        }
        if (kind == lib::kControllerInfoFirmware) {
            reply.sub(0, lib::AdapterFirmwareInfo::kSize).clear();
            fillAdapterFirmwareInfo(reply, c);
            return 0;
        }
        return kHxStatusInvalidArgument;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getDriverInfo(uint32_t w1, uint32_t, uint32_t, void* buf) {
    recordLibraryCall("hx_getDriverInfo", nullptr, 0);
    return readLibraryController(w1, [&](const State&, const Controller& c) -> std::uint32_t {
        if (buf == nullptr) return kHxStatusInvalidArgument;
        // No size comes with the buffer: only the version words are written.
        const rec::ByteSpan versions(buf, lib::DriverInfo::DriverVersion::width);
        for (std::size_t i = 0; i < 4; ++i) versions.putAt<std::uint32_t>(4 * i, c.driverVersion[i]);
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_getHostInfo(uint32_t w1, uint32_t, uint32_t, void* buf,
                                              uint32_t size) {
    noteScalarCall("hx_getHostInfo", size);
    return readLibraryController(w1, [&](const State& state, const Controller&) -> std::uint32_t {
        if (buf == nullptr) return kHxStatusInvalidArgument;
        const rec::ByteSpan reply(buf, size);
        reply.sub(0, lib::HostInfo::kSize).clear();
        reply.putText(lib::HostInfo::OsVersion::offset,
                      std::min<std::size_t>(lib::HostInfo::OsVersion::width, size) - 1,
                      state.hostOs);
        return 0;
    });
}

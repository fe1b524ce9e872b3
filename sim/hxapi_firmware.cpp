// The stand-in library's flash upload and ATA pass-through. The flash keeps
// what it was given by type, checked as a controller checks it; the ATA
// READ DMA reads the disk's stored sectors. Both find their data buffer
// only through the loan the caller made (access/buffer_loan.h).

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "access/buffer_loan.h"
#include "access/flash_records.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/replies.h"
#include "sim/sector_store.h"

using namespace sim;

namespace {

std::uint32_t crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool knownType(std::uint8_t type) {
    for (const codes::Keyword& k : lib::kFlashTypeKeywords) {
        if (k.code == type) return true;
    }
    return false;
}

// The library keeps the result of the last ATA command per controller.
std::mutex ataMutex;
std::map<std::uint32_t, std::vector<std::uint8_t>> ataResults;

void keepAtaResult(std::uint32_t w1, std::uint8_t status, std::uint8_t error, std::uint32_t lba,
                   std::uint16_t count) {
    std::vector<std::uint8_t> result(lib::AtaPassResult::kSize, 0);
    const rec::ByteSpan r(result.data(), result.size());
    r.put<lib::AtaPassResult::Status>(status);
    r.put<lib::AtaPassResult::Error>(error);
    r.put<lib::AtaPassResult::Lba>(lba);
    r.put<lib::AtaPassResult::SectorCount>(count);
    const std::lock_guard<std::mutex> lock(ataMutex);
    ataResults[w1] = result;
}

std::size_t slotOf(const State& state, const Controller& c) {
    return static_cast<std::size_t>(&c - state.controllers.data());
}

}  // namespace

extern "C" uint32_t HXAPI_CALL hx_FlashUpload(uint32_t w1, uint32_t, uint32_t, const void* req, uint32_t size) {
    using F = lib::FlashRequest;
    recordLibraryCall("hx_FlashUpload", req, req != nullptr ? F::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || size < lib::FLASH_IMAGE_MAX) return kHxStatusInvalidArgument;
    const rec::ByteView request(req, F::kSize);
    const std::uint8_t type = request.get<F::Type>();
    const std::uint32_t length = request.get<F::ImageLength>();
    lib::LentBuffer image;
    // An empty image, a type the controller does not take, or an image
    // longer than the buffer lent for it is refused.
    if (!knownType(type) || length == 0 || length > lib::FLASH_IMAGE_MAX ||
        !lib::findLentBuffer(request.get<F::ImageAddress>(), &image) || length > image.length) {
        return kHxStatusInvalidArgument;
    }
    const std::uint32_t checksum = crc32(static_cast<const std::uint8_t*>(image.data), length);
    const int enclosure = type == lib::FLASH_ENCLOSURE_FIRMWARE ? request.get<F::EnclosureId>() : 0;
    return changeLibraryController(w1, [&](State& state, Controller& c) -> std::uint32_t {
        if (type == lib::FLASH_ENCLOSURE_FIRMWARE &&
            std::none_of(c.enclosures.begin(), c.enclosures.end(),
                         [enclosure](const Enclosure& e) { return e.id == enclosure; })) {
            return kHxStatusNoSuchEnclosure;
        }
        std::erase_if(c.flashImages, [&](const FlashImage& f) {
            return f.type == type && f.enclosureId == enclosure;
        });
        c.flashImages.push_back(FlashImage{type, enclosure, length, checksum, currentTime(state)});
        if (type == lib::FLASH_FIRMWARE) {
            // A new firmware runs from the next start, one build on.
            std::array<std::uint32_t, 4> next = c.pendingFirmwareVersion.value_or(c.firmwareVersion);
            next[3] += 1;
            c.pendingFirmwareVersion = next;
        }
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_ATAPassThru(uint32_t w1, uint32_t, uint32_t, const void* req, uint32_t size) {
    using R = lib::AtaPassRequest;
    recordLibraryCall("hx_ATAPassThru", req, req != nullptr ? R::kSize : 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (req == nullptr || size < R::kSize) return kHxStatusInvalidArgument;
    const rec::ByteView request(req, R::kSize);
    const std::uint32_t lba = request.get<R::Lba>();
    const std::uint16_t count = request.get<R::SectorCount>();
    const std::uint32_t length = request.get<R::DataLength>();
    lib::LentBuffer data;
    if (request.get<R::Command>() != lib::ATA_READ_DMA || count == 0 ||
        length != count * lib::kAtaSectorBytes || !lib::findLentBuffer(request.get<R::DataAddress>(), &data) ||
        length > data.length) {
        keepAtaResult(w1, lib::ATA_STATUS_ERROR, lib::ATA_ERROR_ABORTED, lba, count);
        return kHxStatusInvalidArgument;
    }
    // Target 0 is the first disk the controller reports.
    const int target = request.get<R::Target>();
    return readLibraryController(w1, [&](const State& state, const Controller& c) -> std::uint32_t {
        std::vector<const Disk*> disks;
        for (const Disk& d : c.disks) {
            if (diskVisible(d)) disks.push_back(&d);
        }
        if (static_cast<std::size_t>(target) >= disks.size()) {
            keepAtaResult(w1, lib::ATA_STATUS_ERROR, lib::ATA_ERROR_ABORTED, lba, count);
            return kHxStatusNoSuchDisk;
        }
        const Disk& d = *disks[static_cast<std::size_t>(target)];
        for (std::uint32_t s = lba; s < lba + count; ++s) {
            const bool broken = std::find(d.brokenEcc.begin(), d.brokenEcc.end(), s) != d.brokenEcc.end();
            if (d.failed || s >= d.sectors || broken || simulatedErrorAt(d, s, kErrorFlagRead) != nullptr) {
                keepAtaResult(w1, lib::ATA_STATUS_ERROR, lib::ATA_ERROR_UNCORRECTABLE, s, count);
                return kHxStatusCommandFailed;
            }
        }
        std::string error;
        if (!readSectors(controllerDiskImage(static_cast<int>(slotOf(state, c)), d.id), lba, count,
                         static_cast<std::uint8_t*>(data.data), &error)) {
            keepAtaResult(w1, lib::ATA_STATUS_ERROR, lib::ATA_ERROR_UNCORRECTABLE, lba, count);
            return kHxStatusCommandFailed;
        }
        keepAtaResult(w1, lib::ATA_STATUS_READY, 0, lba, count);
        return 0;
    });
}

extern "C" uint32_t HXAPI_CALL hx_ATAPassThruGetResult(uint32_t w1, uint32_t, uint32_t, void* buf, uint32_t size) {
    recordLibraryCall("hx_ATAPassThruGetResult", nullptr, 0);
    if (!libraryInitialized()) return kHxStatusNotInitialized;
    if (buf == nullptr) return kHxStatusInvalidArgument;
    const std::lock_guard<std::mutex> lock(ataMutex);
    const auto it = ataResults.find(w1);
    if (it == ataResults.end()) return kHxStatusNothingRunning;
    std::memcpy(buf, it->second.data(), std::min<std::size_t>(size, it->second.size()));
    return 0;
}

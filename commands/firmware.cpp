// flash and atapass: the library's image upload and ATA pass-through. Each
// hands its data buffer to the library for one call through a BufferLoan.

#include "commands/firmware.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "access/buffer_loan.h"
#include "access/flash_records.h"
#include "access/hxapi.h"
#include "console/context.h"
#include "console/parsers.h"
#include "platform/console.h"

namespace {

struct FreeBuffer {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<std::uint8_t, FreeBuffer>;

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// The size to report for a file found longer than the image buffer.
long long fileSize(const char* path, std::size_t readAtLeast) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return static_cast<long long>(readAtLeast);
    return static_cast<long long>(size);
}

void upload(std::int32_t count, char** words) {
    if (count < 4) {
        printInvalidParameters(words[0]);
        return;
    }
    std::uint8_t type = 0xFF;
    for (const codes::Keyword& k : lib::kFlashTypeKeywords) {
        if (wordEquals(words[2], k.word)) type = k.code;
    }
    if (type == 0xFF) {
        printInvalidParameters(words[0]);
        return;
    }
    std::uint8_t enclosure = 0;
    if (type == lib::FLASH_ENCLOSURE_FIRMWARE) {
        enclosure = parseEnclosureId(count > 4 ? words[4] : nullptr);
        if (enclosure == kParseFailed) return;
    }
    const Buffer image(static_cast<std::uint8_t*>(std::calloc(lib::FLASH_IMAGE_MAX, 1)));
    if (!image) {
        consolePrint("Cannot allocate 0x%x bytes of buffer.\n", lib::FLASH_IMAGE_MAX);
        return;
    }
    const char* path = words[3];
    const File file(std::fopen(path, "rb"));
    if (!file) {
        consolePrint("Cannot open %s.\n", path);
        return;
    }
    // One byte past the buffer tells a file that does not fit, whatever
    // its size says: the file is read, not trusted.
    std::uint8_t extra = 0;
    const std::size_t got = std::fread(image.get(), 1, lib::FLASH_IMAGE_MAX, file.get());
    const bool longer = got == lib::FLASH_IMAGE_MAX && std::fread(&extra, 1, 1, file.get()) == 1;
    if (longer) {
        consolePrint("The file is very long, name=%s size=%lld.\n", path, fileSize(path, got + 1));
        return;
    }
    if (std::ferror(file.get()) != 0) {
        consolePrint("Cannot read %s.\n", path);
        return;
    }
    const lib::BufferLoan loan(image.get(), static_cast<std::uint32_t>(got));
    std::uint8_t bytes[lib::FlashRequest::kSize] = {};
    const rec::ByteSpan request(bytes, sizeof bytes);
    request.put<lib::FlashRequest::Type>(type);
    if (type == lib::FLASH_ENCLOSURE_FIRMWARE) request.put<lib::FlashRequest::EnclosureId>(enclosure);
    request.put<lib::FlashRequest::ImageLength>(static_cast<std::uint32_t>(got));
    request.put<lib::FlashRequest::ImageAddress>(loan.address());
    const std::uint32_t result = hx_FlashUpload(CONTROLLER_ADDRESS, bytes, lib::FLASH_IMAGE_MAX);
    consolePrint("flash control command is returned successfully.%d\n", static_cast<int>(result));
}

}  // namespace

std::int32_t flashCommand(ControllerDevice** currentController, std::int32_t count, char** words) {
    if (*currentController != nullptr) {
        consolePrint("Not supported yet.Please try HX\n");
        return 1;
    }
    if (count < 2) {
        printInvalidParameters(words[0]);
        return 1;
    }
    if (wordEquals(words[1], "upload")) {
        upload(count, words);
        return 1;
    }
    // SHOW, and anything else (download among them): no operation reads an
    // image back, and nothing but an upload may write the flash.
    consolePrint("Not supported yet.\n");
    printInvalidParameters(words[0]);
    return 1;
}

std::int32_t ataPassCommand(ControllerDevice**, std::int32_t, char**) {
    const Buffer data(static_cast<std::uint8_t*>(std::calloc(lib::kAtaSectorBytes, 1)));
    if (!data) {
        consolePrint("Cannot allocate 0x%x bytes of buffer.\n", lib::kAtaSectorBytes);
        return 1;
    }
    consolePrint("Try DMA Read\n");
    const lib::BufferLoan loan(data.get(), lib::kAtaSectorBytes);
    using R = lib::AtaPassRequest;
    std::uint8_t bytes[R::kSize] = {};
    const rec::ByteSpan request(bytes, sizeof bytes);
    request.put<R::Target>(0);
    request.put<R::Protocol>(lib::kAtaPassProtocol);
    request.put<R::Command>(lib::ATA_READ_DMA);
    request.put<R::Lba>(0);
    request.put<R::SectorCount>(1);
    request.put<R::DataLength>(lib::kAtaSectorBytes);
    request.put<R::DataAddress>(loan.address());
    hx_ATAPassThru(CONTROLLER_ADDRESS, bytes, R::kSize);
    std::uint8_t result[lib::AtaPassResult::kSize] = {};
    hx_ATAPassThruGetResult(CONTROLLER_ADDRESS, result, sizeof result);
    return 1;
}

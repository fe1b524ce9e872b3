#pragma once
// Firmware flash and ATA pass-through: the requests handed to the library,
// each naming its data buffer by a 32-bit address (see buffer_loan.h).

#include <cstdint>

#include "access/code_tables.h"
#include "platform/record.h"

namespace lib {

using rec::Bytes;
using rec::LeField;

// The largest image hx_FlashUpload takes, and the buffer the console uses.
constexpr std::uint32_t FLASH_IMAGE_MAX = 1310720;

constexpr std::uint8_t FLASH_BIOS = 0;
constexpr std::uint8_t FLASH_FIRMWARE = 1;
constexpr std::uint8_t FLASH_REDBOOT = 2;
constexpr std::uint8_t FLASH_FCONFIG = 3;
constexpr std::uint8_t FLASH_FIS = 4;
constexpr std::uint8_t FLASH_TRACE = 5;
constexpr std::uint8_t FLASH_ENCLOSURE_FIRMWARE = 7;  // code 6 has no word

inline constexpr codes::Keyword kFlashTypeKeywords[] = {
    {"BIOS", FLASH_BIOS},       {"FIRMWARE", FLASH_FIRMWARE}, {"REDBOOT", FLASH_REDBOOT},
    {"FCONFIG", FLASH_FCONFIG}, {"FIS", FLASH_FIS},           {"TRACE", FLASH_TRACE},
    {"ENCFW", FLASH_ENCLOSURE_FIRMWARE},
};

struct FlashRequest {
    static constexpr std::size_t kSize = 12;
    REC_FIELDS(
        (Type, LeField<std::uint8_t, 0>),
        (EnclosureId, LeField<std::uint8_t, 1>),  // enclosure firmware only
        (ImageLength, LeField<std::uint32_t, 4>),  // bytes read from the file
        (ImageAddress, LeField<std::uint32_t, 8>))
};
static_assert(rec::checkLayout<FlashRequest>());

// hx_ATAPassThru's request: one READ DMA of one sector, as the console sends it.
struct AtaPassRequest {
    static constexpr std::size_t kSize = 28;
    REC_FIELDS(
        (Target, LeField<std::uint8_t, 0>),       // 0: the first disk
        (Protocol, LeField<std::uint8_t, 1>),     // 6
        (Command, LeField<std::uint8_t, 2>),      // the ATA command
        (Lba, LeField<std::uint32_t, 4>),
        (SectorCount, LeField<std::uint16_t, 8>),
        (Features, LeField<std::uint16_t, 10>),
        (Reserved12, LeField<std::uint16_t, 12>),
        (DataLength, LeField<std::uint32_t, 16>),
        (DataAddress, LeField<std::uint32_t, 20>))
};
static_assert(rec::checkLayout<AtaPassRequest>());

constexpr std::uint8_t ATA_READ_DMA = 0xC8;
constexpr std::uint8_t kAtaPassProtocol = 6;
constexpr std::uint32_t kAtaSectorBytes = 512;

// hx_ATAPassThruGetResult's reply: the task file the command ended with.
struct AtaPassResult {
    static constexpr std::size_t kSize = 16;
    REC_FIELDS(
        (Status, LeField<std::uint8_t, 0>),  // ATA status register
        (Error, LeField<std::uint8_t, 1>),   // ATA error register
        (Lba, LeField<std::uint32_t, 4>),
        (SectorCount, LeField<std::uint16_t, 8>))
};
static_assert(rec::checkLayout<AtaPassResult>());

constexpr std::uint8_t ATA_STATUS_READY = 0x50;       // drive ready, seek complete
constexpr std::uint8_t ATA_STATUS_ERROR = 0x51;       // the same with the error bit
constexpr std::uint8_t ATA_ERROR_UNCORRECTABLE = 0x40;
constexpr std::uint8_t ATA_ERROR_ABORTED = 0x04;

}  // namespace lib

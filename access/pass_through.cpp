// The vendor pass-through transport: one SCSI command block sent to the
// controller's driver with IOCTL_SCSI_PASS_THROUGH_DIRECT, and the printing
// of its failures (system error, SCSI status with sense data, hex dumps).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "access/sense_text.h"
#include "platform/record.h"
#include "platform/console.h"
#include "platform/device_access.h"

namespace {

using Block = drv::PassThroughBlock;

constexpr std::uint8_t kNoExtraByte = 0xFF;
constexpr std::size_t kExtraByteIndex = Block::kCdbSize - 1;
constexpr std::uint32_t kSenseInfoOffset = static_cast<std::uint32_t>(Block::Sense::offset);

}  // namespace

int ControllerDevice::executeVendorCommand(void* data, std::uint32_t dataLength,
                                           const std::uint8_t* cdb, std::uint8_t cdbLength,
                                           int clearData, std::uint8_t extraByte) {
    std::uint8_t block[Block::kSize];
    std::memset(block, 0, sizeof block);

    if (clearData != 0 && data != nullptr && dataLength != 0) std::memset(data, 0, dataLength);

    const rec::ByteSpan request(block, sizeof block);
    request.put<Block::Length>(static_cast<std::uint16_t>(Block::kScsiPassThroughDirectSize));
    request.put<Block::TargetId>(targetId);
    // The driver always gets a full 16-byte CDB, whatever the caller built.
    request.put<Block::CdbLength>(static_cast<std::uint8_t>(Block::kCdbSize));
    request.put<Block::SenseInfoLength>(static_cast<std::uint8_t>(Block::kSenseSize));
    request.put<Block::DataIn>(drv::kDataUnspecified);
    request.put<Block::DataTransferLength>(dataLength);
    request.put<Block::TimeOutValue>(drv::kPassThroughTimeoutSeconds);
    // The field holds a 32-bit address, which is the whole address on the
    // product's 32-bit system. Wider hosts keep only the low half here; the
    // buffer itself goes to the driver beside the block.
    request.put<Block::DataBuffer>(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data)));
    request.put<Block::SenseInfoOffset>(kSenseInfoOffset);

    std::uint8_t* const cdbField = block + Block::Cdb::offset;
    const std::size_t copied = cdbLength < Block::kCdbSize ? cdbLength : Block::kCdbSize;
    if (cdb != nullptr && copied != 0) std::memcpy(cdbField, cdb, copied);
    if (extraByte != kNoExtraByte) cdbField[kExtraByteIndex] = extraByte;

    if (!ioControl(platform::kIoctlScsiPassThroughDirect, block, sizeof block, block,
                   sizeof block, nullptr, data)) {
        printSystemError();
        return 0;
    }
    if (rec::ByteView(block, sizeof block).get<Block::ScsiStatus>() != drv::kScsiStatusGood) {
        printScsiStatus(block);
        return 0;
    }
    return 1;
}

void printScsiStatus(const std::uint8_t* block) {
    const rec::ByteView reply(block, Block::kSize);
    consolePrint("Scsi status: %02Xh\n\n", static_cast<unsigned>(reply.get<Block::ScsiStatus>()));
    const std::uint8_t claimed = reply.get<Block::SenseInfoLength>();
    if (claimed == 0) return;
    consolePrint("Sense Info -- consult SCSI spec for details\n");
    consolePrint("-------------------------------------------------------------\n");
    // The driver reports how many sense bytes it wrote; the buffer in the
    // block holds 32, whatever it claims.
    const std::uint32_t length =
        claimed < Block::kSenseSize ? claimed : static_cast<std::uint32_t>(Block::kSenseSize);
    hexDump(block + Block::Sense::offset, length, 1);
    if (scsi::senseTextWanted()) {
        consolePrint("%s\n", scsi::describeSense(block + Block::Sense::offset, length).c_str());
    }
}

void printSystemError() {
    const platform::DeviceAccess& access = platform::deviceAccess();
    const std::uint32_t code = access.lastError();
    const std::string text = access.errorText(code);
    if (text.empty()) {
        // The system has no text for this code: show the number instead.
        consolePrint("System error %u.\n", static_cast<unsigned>(code));
        return;
    }
    consolePrint("%s\n", text.c_str());
}

namespace {

// Dump lines of 16 bytes each:
//   offset ("%05X" and four blanks), the items ("%02X ", "%04X ", "%08X "
//   or "%08X%08X " by width), then for a complete line its 16 bytes as
//   characters and a line break. The last, incomplete line ends right after
//   its last item with a line break and has no character column.
// Formatting is done by hand into a buffer that is handed on in chunks, as a
// large dump (a whole sector range) would otherwise spend its time in one
// formatted print per byte.

constexpr std::uint32_t kLineBytes = 16;
// Widest line: 8 offset digits, 4 blanks, 16 items of 3, 16 characters, "\n".
constexpr std::size_t kMaxLineLength = 8 + 4 + kLineBytes * 3 + kLineBytes + 1;
// Pieces below 1 KiB are formatted by consolePrint in a single pass into its
// own stack buffer; larger ones take a second pass and a heap copy there,
// which costs several times what the formatting here does.
constexpr std::size_t kChunkSize = 1023;

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Two upper-case hex digits for every byte value.
struct HexPairs {
    char text[256][2];
    constexpr HexPairs() : text() {
        for (int i = 0; i < 256; ++i) {
            text[i][0] = kHexDigits[i >> 4];
            text[i][1] = kHexDigits[i & 0xF];
        }
    }
};
constexpr HexPairs kHexPairs;

// How each byte shows in the character column: 0x20 to 0x2D and 0x30 to
// 0x7E as themselves, everything else (full stop and slash too) as '.'.
struct CharColumn {
    char text[256];
    constexpr CharColumn() : text() {
        for (int i = 0; i < 256; ++i) {
            const bool shown = (i >= 0x20 && i <= 0x2D) || (i >= 0x30 && i <= 0x7E);
            text[i] = shown ? static_cast<char>(i) : '.';
        }
    }
};
constexpr CharColumn kCharColumn;

// The item width actually used: 1 unless the asked width is 2, 4 or 8 and
// the length is at least 4 and a multiple of it. So no item ever reaches
// past the end of the data.
std::uint32_t effectiveWidth(std::uint32_t length, int itemWidth) {
    if (length < 4 || (length & 1u) != 0) return 1;
    if (itemWidth != 2 && itemWidth != 4 && itemWidth != 8) return 1;
    const auto width = static_cast<std::uint32_t>(itemWidth);
    return length % width == 0 ? width : 1;
}

inline char* putByte(char* out, std::uint8_t value) {
    out[0] = kHexPairs.text[value][0];
    out[1] = kHexPairs.text[value][1];
    return out + 2;
}

// Four bytes, most significant first: the eight digits of a 32-bit
// little-endian value.
inline char* putWord32(char* out, const std::uint8_t* p) {
    out = putByte(out, p[3]);
    out = putByte(out, p[2]);
    out = putByte(out, p[1]);
    return putByte(out, p[0]);
}

// The offset with at least five digits, as "%05X" does.
inline char* putOffset(char* out, std::uint32_t offset) {
    int digits = 5;
    while (digits < 8 && (offset >> (4 * digits)) != 0) ++digits;
    for (int i = digits - 1; i >= 0; --i) *out++ = kHexDigits[(offset >> (4 * i)) & 0xF];
    return out;
}

// Formats the line at offset; returns the end of the text written.
char* formatLine(char* out, const std::uint8_t* bytes, std::uint32_t length,
                 std::uint32_t offset, std::uint32_t width) {
    out = putOffset(out, offset);
    std::memcpy(out, "    ", 4);
    out += 4;
    const std::uint8_t* line = bytes + offset;
    const std::uint32_t left = length - offset;
    if (left >= kLineBytes) {
        switch (width) {
            case 2:
                for (std::uint32_t i = 0; i < kLineBytes; i += 2) {
                    out = putByte(out, line[i + 1]);
                    out = putByte(out, line[i]);
                    *out++ = ' ';
                }
                break;
            case 4:
                for (std::uint32_t i = 0; i < kLineBytes; i += 4) {
                    out = putWord32(out, line + i);
                    *out++ = ' ';
                }
                break;
            case 8:
                for (std::uint32_t i = 0; i < kLineBytes; i += 8) {
                    out = putWord32(out, line + i);
                    out = putWord32(out, line + i + 4);
                    *out++ = ' ';
                }
                break;
            default:
                for (std::uint32_t i = 0; i < kLineBytes; ++i) {
                    out = putByte(out, line[i]);
                    *out++ = ' ';
                }
                break;
        }
        for (std::uint32_t i = 0; i < kLineBytes; ++i) *out++ = kCharColumn.text[line[i]];
        *out++ = '\n';
        return out;
    }
    // The last, incomplete line. left is a multiple of width (see
    // effectiveWidth), so every item lies wholly inside the data.
    for (std::uint32_t i = 0; i < left; i += width) {
        switch (width) {
            case 2:
                out = putByte(out, line[i + 1]);
                out = putByte(out, line[i]);
                break;
            case 4:
                out = putWord32(out, line + i);
                break;
            case 8:
                out = putWord32(out, line + i);
                out = putWord32(out, line + i + 4);
                break;
            default:
                out = putByte(out, line[i]);
                break;
        }
        *out++ = ' ';
    }
    *out++ = '\n';
    return out;
}

// Formats the whole dump and hands it to sink(text, length) in pieces of at
// most kChunkSize characters, each made of whole lines.
template <typename Sink>
void dumpLines(const void* data, std::uint32_t length, int itemWidth, Sink&& sink) {
    if (length == 0 || data == nullptr) return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::uint32_t width = effectiveWidth(length, itemWidth);

    char buffer[kChunkSize];
    char* const begin = buffer;
    char* const limit = buffer + sizeof buffer;

    char* out = begin;
    for (std::uint32_t offset = 0; offset < length;) {
        if (static_cast<std::size_t>(limit - out) < kMaxLineLength) {
            sink(begin, static_cast<std::size_t>(out - begin));
            out = begin;
        }
        out = formatLine(out, bytes, length, offset, width);
        if (length - offset <= kLineBytes) break;
        offset += kLineBytes;
    }
    if (out != begin) sink(begin, static_cast<std::size_t>(out - begin));
}

}  // namespace

void hexDump(const void* data, std::uint32_t length, int itemWidth) {
    // The dump text never holds a NUL (the character column shows it as
    // '.'), so "%.*s" passes every chunk on whole.
    dumpLines(data, length, itemWidth, [](const char* text, std::size_t size) {
        consolePrint("%.*s", static_cast<int>(size), text);
    });
}

void formatHexDump(std::string& out, const void* data, std::uint32_t length, int itemWidth) {
    const std::size_t lines = (static_cast<std::size_t>(length) + kLineBytes - 1) / kLineBytes;
    if (lines <= (out.max_size() - out.size()) / kMaxLineLength) {
        out.reserve(out.size() + lines * kMaxLineLength);
    }
    dumpLines(data, length, itemWidth,
              [&out](const char* text, std::size_t size) { out.append(text, size); });
}

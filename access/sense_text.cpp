#include "access/sense_text.h"

#include <cstdio>
#include <cstdlib>


namespace scsi {

namespace {

struct AdditionalSenseName {
    std::uint8_t asc;
    std::uint8_t ascq;
    const char* text;
};

struct AdditionalSenseRange {
    std::uint8_t asc;
    std::uint8_t ascqMin;
    std::uint8_t ascqMax;
    const char* text;  // "%x" where the qualifier goes
};

#include "access/sense_names.inc"

constexpr std::uint8_t kFixedCurrent = 0x70;
constexpr std::uint8_t kFixedDeferred = 0x71;
constexpr std::uint8_t kDescriptorCurrent = 0x72;
constexpr std::uint8_t kDescriptorDeferred = 0x73;
constexpr std::uint8_t kValidBit = 0x80;

// Fixed format: key in byte 2, information (big-endian) in bytes 3-6, valid
// when bit 7 of byte 0 is set; the additional sense bytes at 12 and 13.
constexpr std::size_t kFixedKey = 2;
constexpr std::size_t kFixedInformation = 3;
constexpr std::size_t kFixedAsc = 12;
constexpr std::size_t kFixedAscq = 13;
// Descriptor format: key, code and qualifier in bytes 1-3, the length of
// the descriptors in byte 7, the descriptors from byte 8.
constexpr std::size_t kDescriptorKey = 1;
constexpr std::size_t kDescriptorAsc = 2;
constexpr std::size_t kDescriptorAscq = 3;
constexpr std::size_t kDescriptorsLength = 7;
constexpr std::size_t kDescriptorsStart = 8;
// The information descriptor: type 0, 10 more bytes, valid bit in its byte
// 2, an 8-byte big-endian information field from its byte 4.
constexpr std::uint8_t kInformationDescriptor = 0x00;
constexpr std::size_t kInformationDescriptorLength = 12;

std::uint64_t bigEndian(const std::uint8_t* p, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | p[i];
    return value;
}

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", static_cast<unsigned>(value));
    return text;
}

// The range text with the qualifier put where it says "%x".
std::string rangeText(const char* text, std::uint8_t ascq) {
    std::string out(text);
    const std::size_t at = out.find("%x");
    if (at != std::string::npos) {
        char value[8];
        std::snprintf(value, sizeof value, "%x", static_cast<unsigned>(ascq));
        out.replace(at, 2, value);
    }
    return out;
}

std::string codePart(const std::uint8_t* sense, std::size_t length, std::size_t ascAt,
                     std::size_t ascqAt) {
    if (length <= ascqAt) return "no additional sense code";
    const std::uint8_t asc = sense[ascAt];
    const std::uint8_t ascq = sense[ascqAt];
    std::string part = "ASC " + hexByte(asc) + " ASCQ " + hexByte(ascq) + " ";
    const std::string name = additionalSenseName(asc, ascq);
    if (!name.empty()) return part + name;
    return part + (asc >= 0x80 || ascq >= 0x80 ? "(vendor specific)" : "(not in the table)");
}

std::string informationPart(std::uint64_t information) {
    char text[40];
    std::snprintf(text, sizeof text, "; information %llXh",
                  static_cast<unsigned long long>(information));
    return text;
}

}  // namespace

bool senseTextWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("TALO_SENSE_TEXT");
        return value != nullptr && value[0] != '\0';
    }();
    return wanted;
}

std::string additionalSenseName(std::uint8_t asc, std::uint8_t ascq) {
    for (const AdditionalSenseName& e : kAdditionalSenseNames) {
        if (e.asc == asc && e.ascq == ascq) return e.text;
    }
    for (const AdditionalSenseRange& e : kAdditionalSenseRanges) {
        if (e.asc == asc && ascq >= e.ascqMin && ascq <= e.ascqMax) return rangeText(e.text, ascq);
    }
    return {};
}

std::string describeSense(const std::uint8_t* sense, std::size_t length) {
    const std::string lead = "Decoded sense: ";
    if (sense == nullptr || length == 0) return lead + "none";
    const std::uint8_t code = sense[0] & 0x7F;
    const bool fixed = code == kFixedCurrent || code == kFixedDeferred;
    const bool descriptor = code == kDescriptorCurrent || code == kDescriptorDeferred;
    if (!fixed && !descriptor) {
        return lead + "response code " + hexByte(code) + ", neither fixed nor descriptor format";
    }
    std::string line = lead + (fixed ? "fixed format, " : "descriptor format, ");
    line += code == kFixedDeferred || code == kDescriptorDeferred ? "deferred" : "current";
    const std::size_t keyAt = fixed ? kFixedKey : kDescriptorKey;
    if (length <= keyAt) return line + "; no sense key";
    const std::uint8_t key = sense[keyAt] & 0x0F;
    line += "; sense key " + hexByte(key).substr(1) + " " + kSenseKeyNames[key] + "; ";

    if (fixed) {
        line += codePart(sense, length, kFixedAsc, kFixedAscq);
        if ((sense[0] & kValidBit) != 0 && length >= kFixedInformation + 4) {
            line += informationPart(bigEndian(sense + kFixedInformation, 4));
        }
        return line;
    }
    line += codePart(sense, length, kDescriptorAsc, kDescriptorAscq);
    if (length <= kDescriptorsLength) return line;
    // The descriptors end where the sense says or where the data ends,
    // whichever comes first.
    std::size_t end = kDescriptorsStart + sense[kDescriptorsLength];
    if (end > length) end = length;
    for (std::size_t at = kDescriptorsStart; at + 2 <= end;) {
        const std::size_t size = 2 + static_cast<std::size_t>(sense[at + 1]);
        if (at + size > end) break;
        if (sense[at] == kInformationDescriptor && size >= kInformationDescriptorLength &&
            (sense[at + 2] & kValidBit) != 0) {
            line += informationPart(bigEndian(sense + at + 4, 8));
            break;
        }
        at += size;
    }
    return line;
}

}  // namespace scsi

// The one-line reading of sense data: fixed and descriptor format, the
// information field only when valid, and nothing read beyond the length
// given, whatever the sense's own lengths say.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "access/sense_text.h"

namespace {

struct SenseCase {
    const char* what;
    std::vector<std::uint8_t> sense;
    const char* line;
};

const SenseCase kCases[] = {
    {"fixed, medium error with a valid sector",
     {0xF0, 0, 0x03, 0, 0, 0x12, 0x34, 10, 0, 0, 0, 0, 0x11, 0x00, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key 3h Medium Error; ASC 11h ASCQ 00h "
     "Unrecovered read error; information 1234h"},
    {"fixed, information present but not valid",
     {0x70, 0, 0x03, 0, 0, 0x12, 0x34, 10, 0, 0, 0, 0, 0x11, 0x00, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key 3h Medium Error; ASC 11h ASCQ 00h "
     "Unrecovered read error"},
    {"fixed, deferred unit attention",
     {0x71, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00, 0, 0, 0, 0},
     "Decoded sense: fixed format, deferred; sense key 6h Unit Attention; ASC 29h ASCQ 00h "
     "Power on, reset, or bus device reset occurred"},
    {"fixed, a qualifier from a range",
     {0x70, 0, 0x04, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x40, 0x85, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key 4h Hardware Error; ASC 40h ASCQ 85h "
     "Diagnostic failure on component [0x85]"},
    {"fixed, vendor specific code",
     {0x70, 0, 0x0B, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x80, 0x05, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key Bh Aborted Command; ASC 80h ASCQ 05h "
     "(vendor specific)"},
    {"fixed, a code the table lacks",
     {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x7E, 0x7E, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key 5h Illegal Request; ASC 7Eh ASCQ 7Eh "
     "(not in the table)"},
    {"fixed, cut before the additional sense code",
     {0xF0, 0, 0x03, 0, 0, 0, 7, 10, 0, 0, 0, 0},
     "Decoded sense: fixed format, current; sense key 3h Medium Error; no additional sense "
     "code; information 7h"},
    {"fixed, cut inside the information field",
     {0xF0, 0, 0x02, 0, 0},
     "Decoded sense: fixed format, current; sense key 2h Not Ready; no additional sense code"},
    {"descriptor, information descriptor with a 64-bit sector",
     {0x72, 0x03, 0x11, 0x00, 0, 0, 0, 12, 0x00, 0x0A, 0x80, 0, 0, 0, 0, 0x01, 0, 0, 0x12, 0x34},
     "Decoded sense: descriptor format, current; sense key 3h Medium Error; ASC 11h ASCQ 00h "
     "Unrecovered read error; information 100001234h"},
    {"descriptor, deferred, information not valid",
     {0x73, 0x03, 0x11, 0x00, 0, 0, 0, 12, 0x00, 0x0A, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34},
     "Decoded sense: descriptor format, deferred; sense key 3h Medium Error; ASC 11h ASCQ 00h "
     "Unrecovered read error"},
    {"descriptor, another descriptor before the information",
     {0x72, 0x05, 0x24, 0x00, 0, 0, 0, 20, 0x02, 0x06, 0, 0, 0, 0, 0, 0,
      0x00, 0x0A, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x2A},
     "Decoded sense: descriptor format, current; sense key 5h Illegal Request; ASC 24h ASCQ 00h "
     "Invalid field in cdb; information 2Ah"},
    {"descriptor, lengths that claim more than was received",
     {0x72, 0x03, 0x11, 0x00, 0, 0, 0, 250, 0x00, 0x0A, 0x80, 0, 0, 0},
     "Decoded sense: descriptor format, current; sense key 3h Medium Error; ASC 11h ASCQ 00h "
     "Unrecovered read error"},
    {"neither format", {0x7F, 0, 3}, "Decoded sense: response code 7Fh, neither fixed nor descriptor format"},
    {"only the response code", {0x70}, "Decoded sense: fixed format, current; no sense key"},
};

TEST(SenseText, EachFormatReadsAsOneLine) {
    for (const SenseCase& c : kCases) {
        // An exact-size copy, so a read past the end is one a memory checker sees.
        const std::vector<std::uint8_t> sense(c.sense);
        EXPECT_EQ(scsi::describeSense(sense.data(), sense.size()), c.line) << c.what;
    }
}

TEST(SenseText, NamesComeFromTheTable) {
    EXPECT_EQ(scsi::additionalSenseName(0x3A, 0x00), "Medium not present");
    EXPECT_EQ(scsi::additionalSenseName(0x40, 0x01), "Ram failure [0x1]");
    EXPECT_EQ(scsi::additionalSenseName(0x99, 0x99), "");
}

}  // namespace

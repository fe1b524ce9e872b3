// The sense decoder checked against sg3_utils' sg_decode_sense: for every
// sense the simulated controller answers with, and for a table of others,
// the sense key's name, the additional sense name and the information field
// must be what sg_decode_sense reads in the same bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "access/sense_text.h"
#include "sim/vendor_commands.h"

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char chunk[512];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    pclose(pipe);
    return out;
}

bool haveDecoder() { return run("sg_decode_sense --version 2>&1").find("version") != std::string::npos; }

std::string capture(const std::string& text, const char* pattern) {
    std::smatch m;
    const std::regex re(pattern);
    return std::regex_search(text, m, re) ? m[1].str() : std::string();
}

void expectSameReading(const std::vector<std::uint8_t>& sense) {
    std::string args;
    for (std::uint8_t b : sense) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", static_cast<unsigned>(b));
        args += hex;
    }
    const std::string theirs = run("sg_decode_sense " + args + "2>&1");
    const std::string ours = scsi::describeSense(sense.data(), sense.size());
    SCOPED_TRACE("sense " + args + "\nours:   " + ours + "\ntheirs: " + theirs);

    const std::string key = capture(theirs, "Sense key: ([^\n]*)");
    ASSERT_FALSE(key.empty());
    EXPECT_NE(ours.find("h " + key + ";"), std::string::npos);

    const std::string name = capture(theirs, "Additional sense: ([^\n]*)");
    const std::string asc = capture(ours, "ASC ([0-9A-F]{2})h");
    const std::string ascq = capture(ours, "ASCQ ([0-9A-F]{2})h");
    ASSERT_FALSE(asc.empty());
    EXPECT_EQ(scsi::additionalSenseName(static_cast<std::uint8_t>(std::stoul(asc, nullptr, 16)),
                                        static_cast<std::uint8_t>(std::stoul(ascq, nullptr, 16))),
              name);

    // sg_decode_sense shows the fixed information field even when it is
    // not valid (with "Valid=0"); the decoder shows only a valid one.
    std::string information = capture(theirs, "(?:^|\n)  Info fld=0x([0-9a-f]+)");
    if (information.empty()) information = capture(theirs, "Information: 0x([0-9a-f]+)");
    const std::string shown = capture(ours, "information ([0-9A-F]+)h");
    if (shown.empty()) {
        EXPECT_TRUE(information.empty() || theirs.find("Valid=0") != std::string::npos ||
                    theirs.find("Information: 0x") == std::string::npos);
    } else {
        EXPECT_EQ(std::stoull(shown, nullptr, 16), std::stoull(information, nullptr, 16));
    }
}

TEST(SgDecodeSense, EverySenseOfTheSimulatedControllerReadsTheSame) {
    if (!haveDecoder()) GTEST_SKIP() << "sg_decode_sense is not installed";
    using namespace sim;
    const std::vector<std::vector<std::uint8_t>> senses = {
        checkCondition(kSenseNotReady, kAscMediumNotPresent, 0).sense,
        checkCondition(kSenseHardwareError, kAscInternalTargetFailure, 0).sense,
        checkConditionAt(kSenseMediumError, kAscUnrecoveredReadError, 0, 0x12345678u).sense,
        checkConditionAt(kSenseMediumError, kAscWriteError, 0, 7).sense,
        checkConditionAt(kSenseMediumError, kAscUnrecoveredReadError, 0, 0x100000000ull).sense,
        checkCondition(kSenseIllegalRequest, kAscLbaOutOfRange, 0).sense,
        checkCondition(kSenseIllegalRequest, kAscInvalidOpcode, 0).sense,
        checkCondition(kSenseIllegalRequest, kAscInvalidFieldInCdb, 0).sense,
        checkCondition(kSenseIllegalRequest, kAscLogicalUnitNotSupported, 0).sense,
        checkCondition(kSenseIllegalRequest, kAscInvalidFieldInParameters, 0).sense,
        checkCondition(kSenseIllegalRequest, kAscSequenceError, 0).sense,
    };
    for (const auto& sense : senses) expectSameReading(sense);
}

TEST(SgDecodeSense, OtherSensesReadTheSame) {
    if (!haveDecoder()) GTEST_SKIP() << "sg_decode_sense is not installed";
    const std::vector<std::vector<std::uint8_t>> senses = {
        {0x71, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00, 0, 0, 0, 0},
        {0x70, 0, 0x04, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x40, 0x85, 0, 0, 0, 0},
        {0x70, 0, 0x04, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x42, 0x10, 0, 0, 0, 0},
        {0x70, 0, 0x0B, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x80, 0x05, 0, 0, 0, 0},
        {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x7E, 0x7E, 0, 0, 0, 0},
        {0x70, 0, 0x01, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x5D, 0x00, 0, 0, 0, 0},
        {0x70, 0, 0x0E, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x1D, 0x00, 0, 0, 0, 0},
        {0x72, 0x03, 0x11, 0x00, 0, 0, 0, 12, 0x00, 0x0A, 0x80, 0, 0, 0, 0, 0x01, 0, 0, 0x12, 0x34},
        {0x72, 0x05, 0x24, 0x00, 0, 0, 0, 20, 0x02, 0x06, 0, 0, 0, 0, 0, 0,
         0x00, 0x0A, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x2A},
        {0x73, 0x02, 0x04, 0x01, 0, 0, 0, 0},
    };
    for (const auto& sense : senses) expectSameReading(sense);
}

}  // namespace

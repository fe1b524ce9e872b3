// The vendor pass-through transport and the vendor command set, seen from
// the device layer: the exact 80-byte block each call hands to the driver,
// the data buffer it passes, and what is printed when the driver refuses the
// request or the command ends with a SCSI status. Also the hex dump.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "platform/record.h"
#include "console_capture.h"
#include "fake_driver.h"
#include "platform/device_access.h"

namespace {

using Block = drv::PassThroughBlock;
using Bytes = std::vector<std::uint8_t>;

class Transport : public FakeDriverTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FakeDriverTest::SetUp());
        device->targetId = 7;
    }

    static std::uint32_t low32(const void* p) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
    }
};

// ---------------------------------------------------------------------------
// The vendor command set: one row per method.

enum class DataUse { None, Caller, Own };

struct VendorCase {
    const char* name;
    std::function<int(ControllerDevice&, void* buffer)> call;
    Bytes built;     // the CDB bytes the method builds, from byte 0
    int byte15;      // the array id carried in byte 15, or -1
    std::uint32_t dataLength;
    DataUse data;
    bool zeroed;     // the buffer is cleared before sending
};

std::ostream& operator<<(std::ostream& os, const VendorCase& c) { return os << c.name; }

const VendorCase kVendorCases[] = {
    {"readControllerInfo", [](ControllerDevice& d, void* b) { return d.readControllerInfo(b); },
     {0xE3, 0x05}, -1, 116, DataUse::Caller, true},
    {"readDiskInfoOne", [](ControllerDevice& d, void* b) { return d.readDiskInfo(b, 3); },
     {0xE1, 0x02, 0x02, 0x03}, -1, 112, DataUse::Caller, true},
    {"readDiskInfoAll", [](ControllerDevice& d, void* b) { return d.readDiskInfo(b, 0xFF); },
     {0xE1, 0x02, 0x02, 0xFF}, -1, 14336, DataUse::Caller, true},
    {"readArrayInfoOne", [](ControllerDevice& d, void* b) { return d.readArrayInfo(b, 1); },
     {0xE1, 0x02, 0x04, 0x01}, -1, 120, DataUse::Caller, true},
    {"readArrayInfoAll", [](ControllerDevice& d, void* b) { return d.readArrayInfo(b, 0xFF); },
     {0xE1, 0x02, 0x04, 0xFF}, -1, 15360, DataUse::Caller, true},
    {"readArrayActivityInfoOne",
     [](ControllerDevice& d, void* b) { return d.readArrayActivityInfo(b, 0xFE); },
     {0xE1, 0x02, 0x07, 0xFE}, -1, 144, DataUse::Caller, true},
    {"readArrayActivityInfoAll",
     [](ControllerDevice& d, void* b) { return d.readArrayActivityInfo(b, 0xFF); },
     {0xE1, 0x02, 0x07, 0xFF}, -1, 18432, DataUse::Caller, true},
    {"createArray", [](ControllerDevice& d, void* b) { return d.createArray(b, 872); },
     {0xE1, 0x01}, -1, 872, DataUse::Caller, false},
    {"deleteArray", [](ControllerDevice& d, void*) { return d.deleteArray(2); },
     {0xE0, 0x07}, 0x02, 0, DataUse::None, false},
    {"startInitialization",
     [](ControllerDevice& d, void*) { return d.startInitialization(3, 2); },
     {0xE0, 0x03, 0x01, 0x02}, 0x03, 0, DataUse::None, false},
    {"startSynchronization",
     [](ControllerDevice& d, void*) { return d.startSynchronization(4, 1); },
     {0xE0, 0x03, 0x02, 0x01}, 0x04, 0, DataUse::None, false},
    {"startMigration", [](ControllerDevice& d, void* b) { return d.startMigration(5, b, 800); },
     {0xE0, 0x03, 0x03}, 0x05, 800, DataUse::Caller, false},
    {"controlActivity", [](ControllerDevice& d, void*) { return d.controlActivity(6, 4); },
     {0xE0, 0x04, 0x04}, 0x06, 0, DataUse::None, false},
    {"readArrayStatus", [](ControllerDevice& d, void* b) { return d.readArrayStatus(7, b); },
     {0xE0, 0x06}, 0x07, 8, DataUse::Caller, true},
    {"activateArray", [](ControllerDevice& d, void*) { return d.activateArray(8, 0x11, 0x22); },
     {0xE0, 0x00, 0x11, 0x22}, 0x08, 0, DataUse::None, false},
    {"readArraySettings", [](ControllerDevice& d, void* b) { return d.readArraySettings(9, b); },
     {0xE0, 0x01}, 0x09, 72, DataUse::Caller, true},
    {"writeArraySettings",
     [](ControllerDevice& d, void* b) { return d.writeArraySettings(10, b); },
     {0xE0, 0x02}, 0x0A, 72, DataUse::Caller, false},
    {"wipeDiskMetadata", [](ControllerDevice& d, void*) { return d.wipeDiskMetadata(4); },
     {0xE1, 0x07, 0x03, 0x00, 0x04}, -1, 0, DataUse::None, false},
    {"controlMediaPatrol", [](ControllerDevice& d, void*) { return d.controlMediaPatrol(5, 2); },
     {0xE1, 0x04, 0x02, 0x05}, -1, 0, DataUse::None, false},
    {"readMediaPatrolInfo",
     [](ControllerDevice& d, void* b) { return d.readMediaPatrolInfo(6, b); },
     {0xE1, 0x0C, 0x00, 0x06}, -1, 16, DataUse::Caller, true},
    {"readErrorTable", [](ControllerDevice& d, void* b) { return d.readErrorTable(7, b); },
     {0xE1, 0x0C, 0x01, 0x07}, -1, 512, DataUse::Caller, false},
    {"readSimulatedErrors",
     [](ControllerDevice& d, void* b) { return d.readSimulatedErrors(1, b, 512); },
     {0xE2, 0x10, 0x01, 0x00}, -1, 512, DataUse::Caller, true},
    {"injectSimulatedError",
     [](ControllerDevice& d, void*) { return d.injectSimulatedError(2, 0x12345678, 0x03, 0x51); },
     {0xE2, 0x10, 0x02, 0x01, 0x78, 0x56, 0x34, 0x12, 0x01, 0x00, 0x51, 0x03}, -1, 0,
     DataUse::None, false},
    {"clearSimulatedErrors", [](ControllerDevice& d, void*) { return d.clearSimulatedErrors(3); },
     {0xE2, 0x10, 0x03, 0x03}, -1, 0, DataUse::None, false},
    {"transferSectorsWrite",
     [](ControllerDevice& d, void* b) { return d.transferSectors(1, 1, 0x10, 1, 8, b, 4096); },
     {0xE2, 0x01, 0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
      0x00},
     -1, 4096, DataUse::Caller, false},
    {"transferSectorsRead",
     [](ControllerDevice& d, void* b) {
         return d.transferSectors(2, 0, 0x89ABCDEF, 0x01234567, 0x0102, b, 0x0102 * 512);
     },
     {0xE2, 0x00, 0x02, 0x00, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0x02, 0x01, 0x00,
      0x00},
     -1, 0x0102 * 512, DataUse::Caller, false},
    {"corruptSectorEcc",
     [](ControllerDevice& d, void*) { return d.corruptSectorEcc(3, 0x89ABCDEF, 0x01234567); },
     {0xE2, 0x02, 0x03, 0x00, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0x01, 0x00, 0x00,
      0x00},
     -1, 520, DataUse::Own, true},
};

class VendorCommands : public Transport, public testing::WithParamInterface<VendorCase> {};

TEST_P(VendorCommands, SendsItsBlockOnceWithItsDataBuffer) {
    const VendorCase& c = GetParam();
    std::vector<std::uint8_t> buffer(0x0102 * 512 + 64, 0xAA);

    EXPECT_EQ(1, c.call(*device, buffer.data()));

    const FakeDriver::Request& call = onlyRequest();
    EXPECT_EQ(platform::kIoctlScsiPassThroughDirect, call.code);
    EXPECT_EQ(Block::kSize, call.inputLength);
    EXPECT_EQ(Block::kSize, call.outputLength);
    EXPECT_TRUE(call.sameBuffer);
    ASSERT_EQ(Block::kSize, call.block.size());
    const rec::ByteView block(call.block.data(), call.block.size());

    std::array<std::uint8_t, Block::kCdbSize> expected{};
    ASSERT_LE(c.built.size(), expected.size());
    std::copy(c.built.begin(), c.built.end(), expected.begin());
    if (c.byte15 >= 0) expected[15] = static_cast<std::uint8_t>(c.byte15);
    EXPECT_EQ(expected, call.cdb());
    EXPECT_EQ(c.byte15 >= 0 ? c.byte15 : (c.built.size() == 16 ? c.built[15] : 0),
              block.at<std::uint8_t>(Block::Cdb::offset + 15));
    EXPECT_EQ(Block::kCdbSize, block.get<Block::CdbLength>());
    EXPECT_EQ(c.dataLength, block.get<Block::DataTransferLength>());

    switch (c.data) {
        case DataUse::None:
            EXPECT_EQ(nullptr, call.dataBuffer);
            EXPECT_EQ(0u, block.get<Block::DataBuffer>());
            break;
        case DataUse::Caller:
            EXPECT_EQ(buffer.data(), call.dataBuffer);
            EXPECT_EQ(low32(buffer.data()), block.get<Block::DataBuffer>());
            break;
        case DataUse::Own:
            EXPECT_NE(nullptr, call.dataBuffer);
            EXPECT_NE(buffer.data(), call.dataBuffer);
            EXPECT_EQ(low32(call.dataBuffer), block.get<Block::DataBuffer>());
            break;
    }
    ASSERT_EQ(c.dataLength, call.data.size());
    const std::uint8_t fill = c.zeroed ? 0x00 : 0xAA;
    EXPECT_EQ(Bytes(c.dataLength, fill), call.data);
    // Nothing past the transfer is touched.
    if (c.data == DataUse::Caller) {
        EXPECT_EQ(0xAA, buffer[c.dataLength]);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, VendorCommands, testing::ValuesIn(kVendorCases),
                         [](const testing::TestParamInfo<VendorCase>& tested) {
                             return std::string(tested.param.name);
                         });

// ---------------------------------------------------------------------------
// executeVendorCommand

TEST_F(Transport, FillsEveryFieldOfTheBlock) {
    std::uint8_t data[100];
    std::memset(data, 0xAA, sizeof data);
    const std::uint8_t cdb[] = {0xAB, 0xCD};

    EXPECT_EQ(1, device->executeVendorCommand(data, sizeof data, cdb, 2, 0, 5));

    const FakeDriver::Request& call = onlyRequest();
    Bytes expected(Block::kSize, 0);
    expected[0] = 44;                        // Length
    expected[4] = 7;                         // TargetId
    expected[6] = 16;                        // CdbLength
    expected[7] = 32;                        // SenseInfoLength
    expected[8] = 2;                         // DataIn: unspecified
    expected[12] = 100;                      // DataTransferLength
    expected[16] = 10;                       // TimeOutValue
    rec::storeLe32(expected.data() + 20, low32(data));  // DataBuffer
    expected[24] = 48;                       // SenseInfoOffset
    expected[28] = 0xAB;                     // Cdb, zeros, then the extra byte
    expected[29] = 0xCD;
    expected[43] = 5;
    EXPECT_EQ(expected, call.block);
    EXPECT_EQ(static_cast<void*>(data), call.dataBuffer);
    EXPECT_EQ(Bytes(100, 0xAA), call.data);
}

TEST_F(Transport, CopiesAtMostSixteenCdbBytesAndPlacesTheExtraByte) {
    struct Case {
        const char* name;
        std::uint8_t cdbLength;
        std::uint8_t extraByte;
        std::array<std::uint8_t, 16> sent;
    };
    // The caller's block: 01, 02, ... 14 (20 bytes).
    std::uint8_t given[20];
    for (std::size_t i = 0; i < sizeof given; ++i) given[i] = static_cast<std::uint8_t>(i + 1);
    const Case cases[] = {
        {"two bytes, extra 5", 2, 5, {1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}},
        {"twenty bytes count as sixteen", 20, 0xFF,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"no extra byte keeps the caller's byte 15", 16, 0xFF,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"the extra byte overwrites the caller's byte 15", 16, 0x09,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 9}},
        {"extra byte 0 is a value", 4, 0x00, {1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"no bytes at all", 0, 0xFF, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.requests.clear();
        EXPECT_EQ(1, device->executeVendorCommand(nullptr, 0, given, c.cdbLength, 0, c.extraByte));
        const FakeDriver::Request& call = onlyRequest();
        EXPECT_EQ(c.sent, call.cdb());
        EXPECT_EQ(16, call.block[6]);
        EXPECT_EQ(nullptr, call.dataBuffer);
    }
}

TEST_F(Transport, ClearedReadWithNothingTransferredLeavesZeros) {
    std::uint8_t data[300];
    std::memset(data, 0xAA, sizeof data);
    const std::uint8_t cdb[] = {0xE1, 0x02, 0x02, 0x00};

    EXPECT_EQ(1, device->executeVendorCommand(data, 256, cdb, 4, 1, 0xFF));

    EXPECT_EQ(Bytes(256, 0), onlyRequest().data);
    EXPECT_EQ(Bytes(256, 0), Bytes(data, data + 256));
    EXPECT_EQ(Bytes(44, 0xAA), Bytes(data + 256, data + 300));
}

TEST_F(Transport, RefusedRequestPrintsTheSystemText) {
    struct Case {
        std::uint32_t code;
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {platform::kErrorGenFailure, "A device attached to the system is not functioning.\r\n",
         "A device attached to the system is not functioning.\r\n\n"},
        {platform::kErrorInvalidParameter, "The parameter is incorrect.\r\n",
         "The parameter is incorrect.\r\n\n"},
        // No text for the code: the number instead.
        {1234, "", "System error 1234.\n"},
    };
    const std::uint8_t cdb[] = {0xE3, 0x05};
    std::uint8_t data[116];
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        driver.setErrorText(c.code, c.text);
        // Even a status in the returned block is not looked at.
        driver.otherwise().endWith(drv::kScsiStatusCheckCondition).failWith(c.code);
        EXPECT_EQ(0, device->executeVendorCommand(data, sizeof data, cdb, 2, 1, 0xFF));
        EXPECT_EQ(c.printed, capture.take());
    }
}

TEST_F(Transport, CheckConditionPrintsStatusAndSenseDump) {
    driver.otherwise().endWith(drv::kScsiStatusCheckCondition, 18,
                               {0x70, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x41, 0x2E,
                                0x2F, 0x7A, 0x24, 0x00, 0x00, 0x00, 0x00, 0x01});
    const std::uint8_t cdb[] = {0xE0, 0x07};
    ConsoleCapture capture;

    EXPECT_EQ(0, device->executeVendorCommand(nullptr, 0, cdb, 2, 0, 1));

    EXPECT_EQ("Scsi status: 02h\n"
              "\n"
              "Sense Info -- consult SCSI spec for details\n"
              "-------------------------------------------------------------\n"
              "00000    70 00 05 00 00 00 00 0A 41 2E 2F 7A 24 00 00 00 p.......A..z$...\n"
              "00010    00 01 \n",
              capture.take());
}

TEST_F(Transport, BadStatusPrintsWhatTheDriverReturned) {
    struct Case {
        const char* name;
        std::uint8_t status;
        std::uint8_t senseLength;
        const char* printed;
    };
    const std::string header =
        "Sense Info -- consult SCSI spec for details\n"
        "-------------------------------------------------------------\n";
    const std::string fullSense =
        header +
        "00000    40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F @ABCDEFGHIJKLMNO\n"
        "00010    50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F PQRSTUVWXYZ[\\]^_\n";
    const Case cases[] = {
        {"busy without sense", 0x08, 0, "Scsi status: 08h\n\n"},
        {"three sense bytes", 0x02, 3,
         "Scsi status: 02h\n\nSense Info -- consult SCSI spec for details\n"
         "-------------------------------------------------------------\n"
         "00000    40 41 42 \n"},
    };
    Bytes sense;
    for (int i = 0; i < 32; ++i) sense.push_back(static_cast<std::uint8_t>(0x40 + i));
    ConsoleCapture capture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.otherwise().endWith(c.status, c.senseLength, sense);
        EXPECT_EQ(0, device->executeVendorCommand(nullptr, 0, nullptr, 0, 0, 0xFF));
        EXPECT_EQ(c.printed, capture.take());
    }
    // A driver that claims more sense bytes than the block holds is cut to
    // the 32-byte sense buffer.
    for (const std::uint8_t claimed : {std::uint8_t{32}, std::uint8_t{33}, std::uint8_t{200},
                                       std::uint8_t{255}}) {
        SCOPED_TRACE(static_cast<int>(claimed));
        driver.otherwise().endWith(0x02, claimed, sense);
        EXPECT_EQ(0, device->executeVendorCommand(nullptr, 0, nullptr, 0, 0, 0xFF));
        EXPECT_EQ("Scsi status: 02h\n\n" + fullSense, capture.take());
    }
}

TEST(PrintScsiStatus, ReadsTheGivenBlock) {
    std::uint8_t block[Block::kSize] = {};
    block[2] = 0x18;  // reservation conflict
    block[7] = 1;
    block[48] = 0x2F;
    ConsoleCapture capture;
    printScsiStatus(block);
    EXPECT_EQ("Scsi status: 18h\n\nSense Info -- consult SCSI spec for details\n"
              "-------------------------------------------------------------\n"
              "00000    2F \n",
              capture.take());
}

// ---------------------------------------------------------------------------
// hexDump and formatHexDump

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// count bytes counting up from first.
Bytes counting(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

struct DumpCase {
    const char* name;
    Bytes data;
    int width;
    std::string text;
};

std::ostream& operator<<(std::ostream& os, const DumpCase& c) { return os << c.name; }

const DumpCase kDumpCases[] = {
    {"FullStopAndSlashShowAsDots", bytesOf(std::string("ABC./xyz") + std::string(8, '\0')), 1,
     "00000    41 42 43 2E 2F 78 79 7A 00 00 00 00 00 00 00 00 ABC..xyz........\n"},
    {"CharacterColumnBounds",
     {0x1F, 0x20, 0x2D, 0x2E, 0x2F, 0x30, 0x7E, 0x7F, 0x80, 0xFF, 0x09, 0x0A, 0x0D, 0x00, 0x41,
      0x61},
     1, "00000    1F 20 2D 2E 2F 30 7E 7F 80 FF 09 0A 0D 00 41 61 . -..0~.......Aa\n"},
    {"Bytes32", counting(32, 0x41), 1,
     "00000    41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
     "00010    51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60 QRSTUVWXYZ[\\]^_`\n"},
    {"Words32", counting(32, 0x41), 2,
     "00000    4241 4443 4645 4847 4A49 4C4B 4E4D 504F ABCDEFGHIJKLMNOP\n"
     "00010    5251 5453 5655 5857 5A59 5C5B 5E5D 605F QRSTUVWXYZ[\\]^_`\n"},
    {"Dwords32", counting(32, 0x41), 4,
     "00000    44434241 48474645 4C4B4A49 504F4E4D ABCDEFGHIJKLMNOP\n"
     "00010    54535251 58575655 5C5B5A59 605F5E5D QRSTUVWXYZ[\\]^_`\n"},
    {"Qwords32", counting(32, 0x41), 8,
     "00000    4443424148474645 4C4B4A49504F4E4D ABCDEFGHIJKLMNOP\n"
     "00010    5453525158575655 5C5B5A59605F5E5D QRSTUVWXYZ[\\]^_`\n"},
    {"Bytes17", counting(17, 0x41), 1,
     "00000    41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
     "00010    51 \n"},
    {"Dwords20IncompleteLine", counting(20, 0x41), 4,
     "00000    44434241 48474645 4C4B4A49 504F4E4D ABCDEFGHIJKLMNOP\n"
     "00010    54535251 \n"},
    {"Qwords24IncompleteLine", counting(24, 0x41), 8,
     "00000    4443424148474645 4C4B4A49504F4E4D ABCDEFGHIJKLMNOP\n"
     "00010    5453525158575655 \n"},
    {"Empty", {}, 1, ""},
    {"EmptyWide", {}, 8, ""},
    {"ThreeBytesAsDwords", counting(3, 0x41), 4, "00000    41 42 43 \n"},
    {"OddLengthAsWords", counting(5, 0x41), 2, "00000    41 42 43 44 45 \n"},
    {"SixBytesAsDwords", counting(6, 0x41), 4, "00000    41 42 43 44 45 46 \n"},
    {"TwentyBytesAsQwords", counting(20, 0x41), 8,
     "00000    41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
     "00010    51 52 53 54 \n"},
    {"WidthThree", counting(6, 0x41), 3, "00000    41 42 43 44 45 46 \n"},
    {"WidthZero", counting(4, 0x41), 0, "00000    41 42 43 44 \n"},
    {"WidthNegative", counting(4, 0x41), -2, "00000    41 42 43 44 \n"},
};

class HexDump : public testing::TestWithParam<DumpCase> {};

TEST_P(HexDump, FormatsAndPrintsTheSameText) {
    const DumpCase& c = GetParam();
    const auto length = static_cast<std::uint32_t>(c.data.size());

    std::string formatted = "before\n";
    formatHexDump(formatted, c.data.data(), length, c.width);
    EXPECT_EQ("before\n" + c.text, formatted);

    ConsoleCapture capture;
    hexDump(c.data.data(), length, c.width);
    EXPECT_EQ(c.text, capture.take());
}

INSTANTIATE_TEST_SUITE_P(Cases, HexDump, testing::ValuesIn(kDumpCases),
                         [](const testing::TestParamInfo<DumpCase>& tested) {
                             return std::string(tested.param.name);
                         });

TEST(HexDumpLarge, PrintsWhatFormatHexDumpFormats) {
    std::mt19937 random(20240611);
    // 1000 bytes fit one piece of output; 300,000 bytes take several.
    for (const std::size_t size : {std::size_t{1000}, std::size_t{300000}}) {
        Bytes data(size);
        for (std::uint8_t& b : data) b = static_cast<std::uint8_t>(random());
        for (const int width : {1, 2, 4, 8}) {
            SCOPED_TRACE(std::to_string(size) + " bytes, width " + std::to_string(width));
            std::string formatted;
            formatHexDump(formatted, data.data(), static_cast<std::uint32_t>(size), width);
            ConsoleCapture capture;
            hexDump(data.data(), static_cast<std::uint32_t>(size), width);
            const std::string printed = capture.take();
            EXPECT_EQ(formatted.size(), printed.size());
            EXPECT_TRUE(formatted == printed);
            const std::size_t lines = (size + 15) / 16;
            EXPECT_EQ(lines, static_cast<std::size_t>(
                                 std::count(printed.begin(), printed.end(), '\n')));
        }
    }
}

TEST(HexDumpLarge, OffsetsGrowPastFiveDigits) {
    const Bytes data(0x100011, 0);
    std::string text;
    formatHexDump(text, data.data(), static_cast<std::uint32_t>(data.size()), 1);
    const std::string zeros = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ";
    const std::string tail = "FFFF0    " + zeros + "................\n" +
                             "100000    " + zeros + "................\n" +
                             "100010    00 \n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
    EXPECT_EQ(0u, text.find("00000    " + zeros));
}

}  // namespace

// flash and atapass: the requests handed to the library, the image limits
// and refusals, what the simulated controller keeps of an image, and the
// ATA READ DMA reading what dbg wrote.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "access/buffer_loan.h"
#include "access/flash_records.h"
#include "command_harness.h"
#include "sim/call_log.h"
#include "sim/hxapi_library.h"
#include "sim/settings_model.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// A folder of image files for one test, removed afterwards.
struct ImageFolder {
    fs::path path = fs::temp_directory_path() / ("talo-flash-" + std::to_string(::getpid()));
    ImageFolder() { fs::create_directories(path); }
    ~ImageFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string file(const std::string& name, std::size_t size) const {
        const std::string full = (path / name).string();
        std::ofstream out(full, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 7));
        return full;
    }
};

class Firmware : public SimulatorFixture {
protected:
    sim::Controller controller0() {
        sim::Controller c;
        sim::Store::instance().read([&c](const sim::State& s) { c = s.controllers[0]; });
        return c;
    }
};

TEST_F(Firmware, UploadsAndTheirLimits) {
    ImageFolder folder;
    const std::string exact = folder.file("exact.img", lib::FLASH_IMAGE_MAX);
    const std::string longer = folder.file("long.img", lib::FLASH_IMAGE_MAX + 1);
    const std::string empty = folder.file("empty.img", 0);
    const std::string small = folder.file("small.img", 1000);
    const struct {
        std::string line;
        std::string printed;
        int type;            // -1: nothing sent
        int enclosure;
        std::uint32_t length;
    } cases[] = {
        {"flash upload Firmware " + exact, "flash control command is returned successfully.0\n", 1, 0,
         lib::FLASH_IMAGE_MAX},
        {"flash upload firmware " + longer,
         "The file is very long, name=" + longer + " size=1310721.\n", -1, 0, 0},
        // The controller refuses an empty image; the closing message shows its status.
        {"flash upload BIOS " + empty,
         "flash control command is returned successfully." + std::to_string(static_cast<int>(sim::kHxStatusInvalidArgument)) + "\n",
         0, 0, 0},
        {"flash upload encfw " + small, "Enclosure ID not specified.\n", -1, 0, 0},
        {"flash upload encfw " + small + " x", "Invalid Enclosure ID 'x' specified.\n", -1, 0, 0},
        {"flash upload encfw " + small + " 1", "flash control command is returned successfully.0\n", 7, 1, 1000},
        {"flash upload encfw " + small + " 6",
         "flash control command is returned successfully." + std::to_string(static_cast<int>(sim::kHxStatusNoSuchEnclosure)) + "\n",
         7, 6, 1000},
        {"flash upload trace " + small + " extra", "flash control command is returned successfully.0\n", 5, 0, 1000},
        {"flash upload redboot " + (folder.path / "missing.img").string(),
         "Cannot open " + (folder.path / "missing.img").string() + ".\n", -1, 0, 0},
        {"flash upload fis " + folder.path.string(), "Cannot read " + folder.path.string() + ".\n", -1, 0, 0},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        const Bytes noted = sim::lastLibraryCall("hx_FlashUpload");
        if (c.type < 0) {
            EXPECT_TRUE(noted.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(noted.size(), lib::FlashRequest::kSize) << c.line;
        const rec::ByteView r(noted.data(), noted.size());
        EXPECT_EQ(r.get<lib::FlashRequest::Type>(), c.type) << c.line;
        EXPECT_EQ(r.get<lib::FlashRequest::EnclosureId>(), c.enclosure) << c.line;
        EXPECT_EQ(r.get<lib::FlashRequest::ImageLength>(), c.length) << c.line;
        // The loan ends with the call: its number no longer names memory.
        EXPECT_FALSE(lib::findLentBuffer(r.get<lib::FlashRequest::ImageAddress>(), nullptr)) << c.line;
    }
    // The controller keeps each image's length and checksum, not its bytes.
    const sim::Controller c = controller0();
    ASSERT_EQ(c.flashImages.size(), 3u);
    EXPECT_EQ(c.flashImages[0].length, lib::FLASH_IMAGE_MAX);
    EXPECT_EQ(c.flashImages[1].type, 7);
    EXPECT_EQ(c.flashImages[1].enclosureId, 1);
    EXPECT_EQ(c.flashImages[1].checksum, c.flashImages[2].checksum);  // the same file
    // The new firmware runs after the next start.
    ASSERT_TRUE(c.pendingFirmwareVersion.has_value());
    EXPECT_EQ(c.firmwareVersion, (std::array<std::uint32_t, 4>{1, 2, 0, 41}));
    sim::Store::instance().modify([](sim::State& s) { sim::restartController(s.controllers[0]); });
    EXPECT_EQ(controller0().firmwareVersion, (std::array<std::uint32_t, 4>{1, 2, 0, 42}));
}

TEST_F(Firmware, RefusalsNeverWriteTheFlash) {
    const std::string params =
        "Invalid Parameters, please check and also you can get the help information by typing 'help flash'\n";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"flash", params},
        {"flash upload", params},
        {"flash upload bios", params},
        {"flash show", "Not supported yet.\n" + params},
        {"flash download firmware saved.img", "Not supported yet.\n" + params},
        {"flash upload eeprom fw.img", params},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_FlashUpload"), 0u) << c.line;
    }
    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    EXPECT_EQ(run("flash upload bios a.img"), "Not supported yet.Please try HX\n");
    EXPECT_EQ(sim::libraryCallCount("hx_FlashUpload"), 0u);
}

TEST_F(Firmware, AtaPassReadsWhatDbgWrote) {
    EXPECT_EQ(run("dbg write 0 0 1 A5A55A5A"), "");
    sim::clearCallLog();
    EXPECT_EQ(run("atapass ignored words"), "Try DMA Read\n");
    Bytes expected(lib::AtaPassRequest::kSize, 0);
    expected[1] = 6;
    expected[2] = 0xC8;
    expected[8] = 1;
    expected[17] = 2;  // 512
    Bytes sent = sim::lastLibraryCall("hx_ATAPassThru");
    ASSERT_EQ(sent.size(), expected.size());
    sent[20] = sent[21] = sent[22] = sent[23] = 0;  // the loan's number
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(sim::libraryCallCount("hx_ATAPassThruGetResult"), 1u);

    // The same request with a buffer of the test's own shows the data.
    Bytes data(512, 0);
    const lib::BufferLoan loan(data.data(), 512);
    Bytes request = expected;
    rec::ByteSpan(request.data(), request.size()).put<lib::AtaPassRequest::DataAddress>(loan.address());
    ASSERT_EQ(hx_ATAPassThru(0, 0, 0, request.data(), 28), 0u);
    EXPECT_EQ(data[0], 0x5A);
    EXPECT_EQ(data[3], 0xA5);
    EXPECT_EQ(data[511], 0xA5);
    Bytes result(16, 0);
    ASSERT_EQ(hx_ATAPassThruGetResult(0, 0, 0, result.data(), 16), 0u);
    EXPECT_EQ(result[0], lib::ATA_STATUS_READY);

    // A media error on the sector ends the command with the error bits.
    EXPECT_EQ(run("es 0 inject 0 media read"), "");
    EXPECT_NE(hx_ATAPassThru(0, 0, 0, request.data(), 28), 0u);
    ASSERT_EQ(hx_ATAPassThruGetResult(0, 0, 0, result.data(), 16), 0u);
    EXPECT_EQ(result[0], lib::ATA_STATUS_ERROR);
    EXPECT_EQ(result[1], lib::ATA_ERROR_UNCORRECTABLE);
    // A number no loan holds is never read as an address.
    rec::ByteSpan(request.data(), request.size()).put<lib::AtaPassRequest::DataAddress>(0x12345678);
    EXPECT_EQ(hx_ATAPassThru(0, 0, 0, request.data(), 28), sim::kHxStatusInvalidArgument);

    ASSERT_NO_FATAL_FAILURE(openDirectMode());
    EXPECT_EQ(run("atapass"), "Try DMA Read\n");
}

}  // namespace

// gs, ac, ds and gsc: the records each command hands back, compared byte by
// byte with the records as read (only the changed field may differ), every
// refusal with nothing written, and the reads that fail.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "access/library_records.h"
#include "access/settings_records.h"
#include "command_harness.h"
#include "platform/record.h"
#include "sim/call_log.h"
#include "sim/store.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Changes = std::map<std::size_t, std::uint8_t>;

const std::string kName40 = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";

Bytes key(std::uint32_t id, std::uint16_t selector) {
    Bytes k(lib::InfoRequest::kSize, 0);
    const rec::ByteSpan s(k.data(), k.size());
    s.put<lib::InfoRequest::FirstId>(id);
    s.put<lib::InfoRequest::Count>(1);
    s.put<lib::InfoRequest::Selector>(selector);
    return k;
}

// A record as the library returns it now.
template <class Record, class Read>
Bytes readRecord(Read read, std::uint32_t id, std::uint16_t selector) {
    Bytes k = key(id, selector);
    Bytes record(Record::kSize, 0);
    EXPECT_EQ(read(0, 0, 0, k.data(), record.data(), static_cast<std::uint32_t>(record.size())), 0u);
    return record;
}

// What the last set of the operation was handed: the key, then the record.
struct SetCall {
    Bytes key;
    Bytes record;
};
SetCall lastSet(const char* operation) {
    const Bytes noted = sim::lastLibraryCall(operation);
    SetCall call;
    if (noted.size() < lib::InfoRequest::kSize) return call;
    call.key.assign(noted.begin(), noted.begin() + lib::InfoRequest::kSize);
    call.record.assign(noted.begin() + lib::InfoRequest::kSize, noted.end());
    return call;
}

// Every byte of after is the byte of before, except those named in changes.
void expectOnly(const Bytes& before, const Bytes& after, const Changes& changes, const std::string& what) {
    ASSERT_EQ(after.size(), before.size()) << what;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto changed = changes.find(i);
        const std::uint8_t expected = changed != changes.end() ? changed->second : before[i];
        EXPECT_EQ(after[i], expected) << what << ": offset " << i;
    }
}

Changes textAt(std::size_t offset, std::size_t width, const std::string& text) {
    Changes c;
    for (std::size_t i = 0; i < width; ++i) {
        c[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    }
    return c;
}

class Settings : public SimulatorFixture {
protected:
    void createArray() {
        EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
        sim::clearCallLog();
    }
    Bytes controllerSettings() {
        return readRecord<lib::ControllerSettings>(hx_getControllerSettings, 0, 0);
    }
    Bytes arraySettings(std::uint32_t id) {
        return readRecord<lib::LogDrvSettings>(hx_getLogDrvSettings, id, 0);
    }
    Bytes diskSettings(std::uint32_t id) { return readRecord<lib::PhyDrvSettings>(hx_getPhyDrvSettings, id, 1); }
};

class DirectSettings : public DirectModeFixture {
protected:
    Bytes block(std::uint8_t arrayId) {
        Bytes b(drv::ArraySettingsBlock::kSize, 0);
        EXPECT_EQ(controller->readArraySettings(arrayId, b.data()), 1);
        sim::clearCallLog();
        return b;
    }
    // The data of the writeArraySettings request sent, if any.
    static std::optional<Bytes> written() {
        for (const auto& r : sim::passThroughLog()) {
            if (r.cdb.size() > 1 && r.cdb[0] == vendor::kWriteArraySettings.codes[0].value &&
                r.cdb[1] == vendor::kWriteArraySettings.codes[1].value) {
                return r.data;
            }
        }
        return std::nullopt;
    }
};

// ---- gs ----------------------------------------------------------------------

TEST_F(Settings, GlobalChangesWriteOnlyTheirBytes) {
    using S = lib::ControllerSettings;
    const struct {
        const char* line;
        Changes changes;
    } cases[] = {
        {"gs rate rebuild 80", {{S::RebuildRate::offset, 80}}},
        {"gs RATE Sync 300", {{S::SyncRate::offset, 44}}},
        {"gs rate init 0", {{S::InitRate::offset, 0}}},
        {"gs rate migration 7", {{S::MigrationRate::offset, 7}}},
        {"gs rate patrol 99", {{S::PatrolRate::offset, 99}}},
        {"gs rate timeout 65537", {{S::TaskTimeout::offset, 1}}},
        {"gs interval smart 300", {{78, 44}, {84, 1}}},
        {"gs interval smart 99999999999999999999", {{78, 0xFF}, {84, 0xFF}}},
        {"gs interval enclosure 5", {{S::EnclosureInterval::offset, 5}}},
        {"gs policy rebuild 1f", {{S::RebuildPolicy::offset, 31}}},
        {"gs policy REBUILD 123", {{S::RebuildPolicy::offset, 0x23}}},
        {"gs disable smart", {{S::SmartChecking::offset, 0}}},
        {"gs disable autorebuild", {{S::AutoRebuild::offset, 0}}},
        {"gs enable SMART", {{S::SmartChecking::offset, 1}}},
    };
    for (const auto& c : cases) {
        const Bytes before = controllerSettings();
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        const SetCall set = lastSet("hx_setControllerSettings");
        EXPECT_EQ(set.key, key(0, 0)) << c.line;
        expectOnly(before, set.record, c.changes, c.line);
    }
    EXPECT_EQ(run("gs"),
              "Rebuild Rate: 80\nSynchronization Rate: 44\nInitialization Rate: 0\nMedia Patrol Rate: 99\n"
              "Migration Rate: 7\nS.M.A.R.T checking enabled\nAuto rebuild disabled\n"
              "Check S.M.A.R.T every 65535 seconds.\nCheck enclosure status every 5 seconds.\n"
              "Rebuild Policy: 35\nTask timeout value: 1\n");
}

TEST_F(Settings, GlobalRefusalsWriteNothing) {
    const std::string params = "Invalid Parameters, please check and also you can get the help information by typing ";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"gs rate foo 10", "Invalid item 'foo' specified.\n"},
        {"gs rate", params + "'help gs rate'\n"},
        {"gs rate rebuild", params + "'help gs rate'\n"},
        {"gs rate rebuild -1", "Invalid rate '-1' specified.\n"},
        {"gs enable", params + "'help gs policy'\n"},
        {"gs disable foo", "Invalid item 'foo' specified.\n"},
        {"gs reset", "Invalid sub-command 'reset' specified.\n"},
        {"gs policy rebuild", params + "'help gs policy'\n"},
        {"gs policy rebuild 1g", "Invalid policy '1g' specified.\n"},
        {"gs policy other 1", "Invalid item 'other' specified.\n"},
        {"gs interval smart 1e3", "Invalid interval '1e3' specified.\n"},
        {"gs interval fan 3", "Invalid item 'fan' specified.\n"},
        {"gs interval", params + "'help gs interval'\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_setControllerSettings"), 0u) << c.line;
    }
}

TEST_F(Settings, GlobalSettingsOfAControllerThatDoesNotAnswerAreNeitherShownNorWritten) {
    controllerContext.selectController(5);
    EXPECT_EQ(run("gs"), "");
    EXPECT_EQ(run("gs rate rebuild 80"), "");
    EXPECT_EQ(run("gs rate foo 80"), "Invalid item 'foo' specified.\n");
    EXPECT_EQ(sim::libraryCallCount("hx_getControllerSettings"), 3u);
    EXPECT_EQ(sim::libraryCallCount("hx_setControllerSettings"), 0u);
    controllerContext.selectController(0);
}

// ---- ac, library mode ----------------------------------------------------------

TEST_F(Settings, ArrayChangesThroughTheLibraryWriteOnlyTheirBytes) {
    using S = lib::LogDrvSettings;
    createArray();
    // Bits beyond the cache mode's stay as read.
    sim::Store::instance().modify([](sim::State& s) { s.controllers[0].arrays[0].cacheMode = 0x101; });
    const struct {
        const char* line;
        Changes changes;
    } cases[] = {
        {"ac 0 cache auto", {{68, 0x08}, {69, 0x01}}},
        {"ac 0 CACHE writeback", {{68, 0x01}, {69, 0x01}}},
        {"ac 0 cache bypass", {{68, 0x04}, {69, 0x01}}},
        {"ac 0 cache writethrough", {{68, 0x00}, {69, 0x01}}},
        {"ac 0 lookahead 5", {{113, 5}, {114, 0}}},
        {"ac 0 lookahead 65541", {{113, 5}, {114, 0}}},
        {"ac 0 consolidation enable", {{S::Consolidation::offset, 1}}},
        {"ac 0 bypass enable", {{115, 1}, {116, 0}, {117, 0}, {118, 0}}},
        {"ac 0 bypass disable", {{115, 0}, {116, 0}, {117, 0}, {118, 0}}},
        // The name's room ends at consolidation: 24 characters, no terminator.
        {"ac 0 name abcdefghijklmnopqrstuvwxyz0123456789ABCD", textAt(88, 24, kName40)},
        {"ac 0 name \"new name\"", textAt(88, 24, "new name")},
    };
    for (const auto& c : cases) {
        const Bytes before = arraySettings(0);
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        const SetCall set = lastSet("hx_setLogDrvSettings");
        EXPECT_EQ(set.key, key(0, 0)) << c.line;
        expectOnly(before, set.record, c.changes, c.line);
    }
    EXPECT_EQ(run("ac 0"),
              "Configuration of array 0 - new name\nLD Raw size: 312598880\nNumber of Disks used : 2\n"
              "Driver Cache Mode: Write Thru\nDriver Lookahead threshold: 5\n"
              "Driver Consolidation: enabled\nBypass: disabled\n");
}

TEST_F(Settings, ArrayRefusalsThroughTheLibraryWriteNothing) {
    createArray();
    const std::string params =
        "Invalid Parameters, please check and also you can get the help information by typing 'help ac'\n";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"ac", "Array ID not specified.\n"},
        {"ac x", "Invalid array ID 'x' specified.\n"},
        {"ac 0 foo 1", "Invalid subcommand - 'foo'\n"},
        {"ac 0 foo", "Invalid subcommand - 'foo'\n"},
        {"ac 0 bypass maybe", "Must be either 'disable' or 'enable'\n"},
        {"ac 0 consolidation on", "Must be either 'disable' or 'enable'\n"},
        {"ac 0 cache fast", "Unknown cache mode 'fast' specified.\n"},
        {"ac 0 lookahead x", "lookahead threshold => Invalid integer 'x' specified.\n"},
        {"ac 0 lookahead", "lookahead threshold => integer number not specified.\n"},
        {"ac 0 cache", params},
        {"ac 0 name", params},
        {"ac 0 bypass", params},
        {"ac 0 consolidation", params},
        {"ac 3 cache auto", "Array with ID 3 is not existed!\n"},
        {"ac 3", "Array with ID 3 is not existed!\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_setLogDrvSettings"), 0u) << c.line;
    }
}

TEST_F(Settings, ActivateCallsTheLibraryWithTheIdAlone) {
    EXPECT_EQ(run("ac 7 activate"), "");
    const Bytes noted = sim::lastLibraryCall("hx_activateLogDrv");
    EXPECT_EQ(noted, (Bytes{7, 0, 0, 0}));
    EXPECT_EQ(sim::libraryCallCount("hx_getLogDrvSettings"), 0u);
    EXPECT_EQ(sim::libraryCallCount("hx_setLogDrvSettings"), 0u);
}

// ---- ac, direct mode -----------------------------------------------------------

TEST_F(DirectSettings, ArrayChangesThroughTheDriverWriteOnlyTheirBytes) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    const std::string name63(63, 'n');
    const struct {
        const char* line;
        Changes changes;
    } cases[] = {
        {"ac 0 cache auto", {{0, 3}}},
        {"ac 0 cache WRITETHROUGH", {{0, 1}}},
        {"ac 0 bypass disable", {{6, 1}}},
        {"ac 0 bypass enable", {{6, 0}}},
        // A name shorter than the field is written whole with a zero fill;
        // a longer one keeps 63 characters and its terminator.
        {"ac 0 name abcdefghijklmnopqrstuvwxyz0123456789ABCD", textAt(8, 64, kName40)},
        {"ac 0 name nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn",
         textAt(8, 64, name63)},
    };
    for (const auto& c : cases) {
        const Bytes before = block(0);
        EXPECT_EQ(run(c.line), "") << c.line;
        const auto after = written();
        ASSERT_TRUE(after.has_value()) << c.line;
        expectOnly(before, *after, c.changes, c.line);
    }
    EXPECT_EQ(run("ac 0"), "Configuration of array 0 - " + name63 +
                               "\nDriver Cache Mode: WriteThru\nDriver Lookahead threshold: 0\n"
                               "Driver Consolidation: disabled\nBypass: enabled\n");
}

TEST_F(DirectSettings, ArrayRefusalsThroughTheDriverSendNoWrite) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    const std::string params =
        "Invalid Parameters, please check and also you can get the help information by typing 'help ac'\n";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"ac 0 lookahead 5", "Invalid subcommand - 'lookahead'\n"},
        {"ac 0 CONSOLIDATION enable", "Invalid subcommand - 'CONSOLIDATION'\n"},
        {"ac 0 foo 1", "Invalid subcommand - 'foo'\n"},
        {"ac 0 bypass maybe", "Must be either 'disable' or 'enable'\n"},
        {"ac 0 cache fast", "Unknown cache mode 'fast' specified.\n"},
        {"ac 0 cache", params},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_FALSE(written().has_value()) << c.line;
    }
}

TEST_F(DirectSettings, ActivateSendsTheIdAndTwoZeroBytes) {
    EXPECT_EQ(run("ca RAID1 128 \"0 1\" \"0 0\" first NONE NONE"), "");
    sim::clearCallLog();
    EXPECT_EQ(run("ac 0 activate"), "");
    const sim::PassThroughRecord r = onlyPassThrough();
    Bytes expected(16, 0);
    expected[0] = vendor::kActivateArray.codes[0].value;
    expected[1] = vendor::kActivateArray.codes[1].value;
    EXPECT_EQ(r.cdb, expected);
}

// ---- ds ----------------------------------------------------------------------

TEST_F(Settings, DiskChangesWriteOnlyTheirBytes) {
    const struct {
        const char* line;
        Changes changes;
    } cases[] = {
        {"ds 0 ncq disable", {{77, 0}}},
        {"ds 0 NCQ enable", {{77, 1}}},
        {"ds 0 cache disable", {{72, 0}}},
        {"ds 0 smart disable", {{73, 0}}},
        // Set whether or not the disk has the feature.
        {"ds 2 tcq enable", {{76, 1}}},
        {"ds 2 ncq ENABLE", {{77, 1}}},
    };
    for (const auto& c : cases) {
        const std::uint32_t disk = c.line[3] == '0' ? 0 : 2;
        const Bytes before = diskSettings(disk);
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), "") << c.line;
        const SetCall set = lastSet("hx_setPhyDrvSettings");
        EXPECT_EQ(set.key, key(disk, 1)) << c.line;
        expectOnly(before, set.record, c.changes, c.line);
    }
    EXPECT_EQ(run("ds 0"), "Write cache is disabled\nSmart feature : disabled\nNCQ is enabled\n"
                           "TCQ feature is not supported\n");
    // A disk without the feature keeps it off.
    EXPECT_EQ(run("ds 2"), "Write cache is enabled\nSmart feature : enabled\nNCQ feature is not supported\n"
                           "TCQ feature is not supported\n");
}

TEST_F(Settings, DiskRefusalsWriteNothing) {
    const std::string params =
        "Invalid Parameters, please check and also you can get the help information by typing 'help ds'\n";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"ds", "Disk ID not specified.\n"},
        {"ds 2 cache", params},
        {"ds 2 fua enable", "Invalid command!\n"},
        {"ds 2 smart on", "Must be either 'disable' or 'enable'\n"},
        {"ds 9 cache enable", "Disk with ID 9 is not existed!\n"},
        {"ds 9", "Disk with ID 9 is not existed!\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_setPhyDrvSettings"), 0u) << c.line;
    }
}

TEST_F(Settings, DiskZeroWhoseReadFailsIsNotShownAsZeros) {
    controllerContext.selectController(5);
    EXPECT_EQ(run("ds 0"), "Disk with ID 0 is not existed!\n");
    EXPECT_EQ(run("ds 0 cache enable"), "Disk with ID 0 is not existed!\n");
    EXPECT_EQ(sim::libraryCallCount("hx_setPhyDrvSettings"), 0u);
    controllerContext.selectController(0);
}

// ---- gsc ---------------------------------------------------------------------

TEST_F(Settings, CamChangesStartFromTheSavedCopy) {
    using B = lib::CamSettingBlock;
    const struct {
        std::uint32_t saved;
        const char* line;
        std::uint32_t written;
    } cases[] = {
        {0x3, "gsc spinup 1", 0x7},
        {0x7, "gsc portremap 0", 0x6},
        {0x6, "GSC PORTREMAP 1", 0x7},
        {0x7, "gsc buzzer 0", 0x5},
        {0x80000000, "gsc Buzzer 1", 0x80000002},
    };
    for (const auto& c : cases) {
        // The current copy differs, so a change that started from it would show.
        sim::Store::instance().modify([&c](sim::State& s) {
            s.controllers[0].cam.saved = c.saved;
            s.controllers[0].cam.current = ~c.saved;
        });
        Bytes before(B::kSize, 0);
        ASSERT_EQ(hx_GetCAMSetting(0, 0, 0, lib::kCamTarget, lib::kCamSavedCopy, before.data(), B::kSize), 0u);
        sim::clearCallLog();
        const std::string printed = runLine(nullptr, c.line).printed;
        // The write differs from the current copy: portremap asks for a restart.
        const bool portremap = std::string(c.line).find("ortremap") != std::string::npos ||
                               std::string(c.line).find("ORTREMAP") != std::string::npos;
        EXPECT_EQ(printed, portremap ? "Please restart firmware to make this change work\n" : "") << c.line;
        const Bytes noted = sim::lastLibraryCall("hx_SetCAMSetting");
        ASSERT_EQ(noted.size(), 4 + B::kSize) << c.line;
        EXPECT_EQ(rec::ByteView(noted.data(), 4).get<lib::CamSettingBlock::Bits>(), lib::kCamTarget);
        const Bytes block(noted.begin() + 4, noted.end());
        Bytes expected = before;
        rec::ByteSpan(expected.data(), expected.size()).put<B::Bits>(c.written);
        EXPECT_EQ(block, expected) << c.line;
    }
}

TEST_F(Settings, CamDumpAndRefusals) {
    sim::Store::instance().modify([](sim::State& s) {
        s.controllers[0].cam.saved = 0x7;
        s.controllers[0].cam.current = 0x2;
    });
    EXPECT_EQ(run("gsc"), "Saving Cam Setting: 7\nCurrent Cam Setting: 2\n");
    const std::string params = "Invalid Parameters, please check and also you can get the help information by typing ";
    const struct {
        const char* line;
        std::string printed;
    } cases[] = {
        {"gsc x", "Invalid sub-command 'x' specified.\n"},
        {"gsc x 1", "Invalid sub-command 'x' specified.\n"},
        {"gsc portremap", params + "'help gsc portremap'\n"},
        {"gsc spinup \"\"", params + "'help gsc spinup'\n"},
        {"gsc buzzer 2", "Invalid buzzer value '2' specified.\n"},
        {"gsc spinup 10", "Invalid spinup value '1' specified.\n"},
        {"gsc portremap on", "Invalid portremap value 'o' specified.\n"},
    };
    for (const auto& c : cases) {
        sim::clearCallLog();
        EXPECT_EQ(run(c.line), c.printed) << c.line;
        EXPECT_EQ(sim::libraryCallCount("hx_SetCAMSetting"), 0u) << c.line;
    }
    // A controller that does not answer.
    controllerContext.selectController(5);
    EXPECT_EQ(run("gsc"), "Failed to get AdapterInfo in DumpCamSetting\n");
    EXPECT_EQ(run("gsc buzzer 1"), "Can't get CAM Setting\n");
    EXPECT_EQ(sim::libraryCallCount("hx_SetCAMSetting"), 0u);
    controllerContext.selectController(0);
}

}  // namespace

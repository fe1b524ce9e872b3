// The simulated controller as the console meets it: state files shared by
// processes, the library's call order, and the driver's device handles.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "access/driver_device.h"
#include "access/driver_protocol.h"
#include "access/hxapi.h"
#include "sim/sim_driver.h"
#include "sim/store.h"

namespace {

std::string freshStatePath(const char* name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("talo-sim-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return (dir / "state.json").string();
}

TEST(StateFile, MissingFileIsCreatedFromTheDemo) {
    const std::string path = freshStatePath("create");
    sim::Store store(path);
    std::size_t disks = 0;
    store.read([&](const sim::State& s) { disks = s.controllers.at(0).disks.size(); });
    EXPECT_EQ(disks, 8u);
    ASSERT_TRUE(std::filesystem::exists(path));
    std::ifstream in(path);
    const auto saved = nlohmann::json::parse(in).get<sim::State>();
    EXPECT_EQ(saved.ports.size(), 3u);
    EXPECT_EQ(saved.controllers.at(0).disks.at(7).id, 7);
}

TEST(StateFile, ProcessesSharingAStateLoseNoUpdate) {
    const std::string path = freshStatePath("shared");
    sim::Store(path).modify([](sim::State& s) { s.clock = 0; });
    constexpr int kProcesses = 4;
    constexpr int kUpdates = 50;
    pid_t children[kProcesses];
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            sim::Store store(path);
            for (int i = 0; i < kUpdates; ++i) {
                store.modify([](sim::State& s) { s.clock = *s.clock + 1; });
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::uint32_t clock = 0;
    sim::Store(path).read([&](const sim::State& s) { clock = s.clock.value_or(0); });
    EXPECT_EQ(clock, static_cast<std::uint32_t>(kProcesses * kUpdates));
}

TEST(Library, OperationsBeforeInitializeFailAndLeaveBuffersAlone) {
    hx_finalize();
    std::uint32_t count = 0xA5A5A5A5u;
    EXPECT_NE(hx_getNumberOfHBA(&count), 0u);
    EXPECT_EQ(count, 0xA5A5A5A5u);
    EXPECT_NE(hx_discover(0), 0u);
    std::uint8_t path[65536];
    std::memset(path, 0x5A, sizeof path);
    EXPECT_NE(hx_getDiscoverPath(0, 0, path, sizeof path), 0u);
    EXPECT_EQ(path[64], 0x5A);
    std::uint8_t request[12] = {};
    std::uint8_t reply[728];
    std::memset(reply, 0x5A, sizeof reply);
    EXPECT_NE(hx_getPhyDrvInfo(0, 0, 0, request, reply, sizeof reply), 0u);
    EXPECT_EQ(reply[100], 0x5A);

    std::uint8_t init[256] = {};
    ASSERT_EQ(hx_initialize(init), 0u);
    ASSERT_EQ(hx_discover(0), 0u);
    EXPECT_EQ(hx_getNumberOfHBA(&count), 0u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(hx_getDiscoverPath(0, 0, path, sizeof path), 0u);
    EXPECT_EQ(rec::ByteView(path, sizeof path).at<std::uint16_t>(64), 0x3120);
    EXPECT_NE(hx_getDiscoverPath(1, 0, path, sizeof path), 0u);  // no second controller
    hx_finalize();
}

TEST(Scan, SkippedAdaptersAreClosedAndTheControllerStaysOpen) {
    ASSERT_EQ(sim::simulatedOpenHandleCount(), 0u);
    std::uint8_t identity[drv::ControllerIdentity::kSize] = {};
    ControllerDevice* found = findController(0, identity);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->portNumber, 1);
    EXPECT_EQ(found->path(), "\\\\.\\scsi1:");
    EXPECT_EQ(rec::ByteView(identity, sizeof identity).get<drv::ControllerIdentity::Magic>(),
              drv::kTaloMagic);
    // Only the controller's device is open: port 0's adapter was closed again.
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 1u);
    // A second object may hold the same port at the same time.
    ControllerDevice* again = findController(1, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 2u);
    delete again;
    delete found;
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 0u);
    // Past the last port the scan ends at once.
    EXPECT_EQ(findController(2, nullptr), nullptr);
    EXPECT_EQ(findController(7, nullptr), nullptr);
    EXPECT_EQ(sim::simulatedOpenHandleCount(), 0u);
}

TEST(Scan, IdentificationRequestBytes) {
    std::unique_ptr<ControllerDevice> found(findController(1, nullptr));
    ASSERT_NE(found, nullptr);
    std::vector<std::uint8_t> expected(68, 0);
    expected[0] = 28;                                   // HeaderLength
    std::memcpy(expected.data() + 4, "KORVELIN", 8);    // Signature, no terminator
    expected[12] = 10;                                  // Timeout
    expected[16] = 1;                                   // ControlCode
    std::memset(expected.data() + 20, 0xFF, 4);         // ReturnCode
    expected[24] = 40;                                  // Length
    EXPECT_EQ(sim::lastMiniportRequest(), expected);
    EXPECT_EQ(found->targetId, 0);
}

}  // namespace

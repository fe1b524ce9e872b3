// The vendor command descriptions: blocks built from them read back the same
// way, and the simulated driver keeps the changes of every command whose
// description says it changes the controller, whatever its family.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "access/driver_device.h"
#include "access/driver_records.h"
#include "access/vendor_commands.h"
#include "command_harness.h"
#include "platform/record.h"
#include "sim/vendor_commands.h"

namespace {

std::uint32_t widthMask(std::uint8_t width) {
    return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

TEST(VendorDescriptions, BuiltBlocksCarryTheirCodesIdAndArguments) {
    const std::uint32_t arguments[] = {0x11223344u, 0x55667788u, 0x99AABBCCu, 0xDDEEF00Fu};
    for (const vendor::Command* c : vendor::kAllCommands) {
        SCOPED_TRACE(c->name);
        std::uint8_t block[vendor::kBlockSize];
        vendor::buildBlock(*c, 0x5A, arguments, c->argumentCount, block);
        EXPECT_TRUE(vendor::matches(*c, block));
        EXPECT_EQ(block[0], c->opcode());
        if (c->idPosition != vendor::kNoPosition && !c->idInExtraByte()) {
            EXPECT_EQ(block[c->idPosition], 0x5A);
            EXPECT_EQ(vendor::idOf(*c, block), 0x5A);
        }
        for (std::size_t i = 0; i < c->argumentCount; ++i) {
            EXPECT_EQ(vendor::argumentOf(*c, block, i), arguments[i] & widthMask(c->arguments[i].width));
        }
        // Nothing lands past the bytes handed to the transport.
        for (std::size_t i = c->blockLength; i < vendor::kBlockSize; ++i) EXPECT_EQ(block[i], 0) << i;
    }
}

TEST(VendorDescriptions, TheSimulatedDriverAnswersEachCommandWithItsOwnRow) {
    const vendor::Command* served[] = {
        &vendor::kReadControllerInfo, &vendor::kReadDiskInfo,         &vendor::kReadArrayInfo,
        &vendor::kReadArrayActivityInfo, &vendor::kCreateArray,       &vendor::kDeleteArray,
        &vendor::kStartInitialization, &vendor::kStartSynchronization, &vendor::kStartMigration,
        &vendor::kControlActivity,     &vendor::kReadArrayStatus,
    };
    for (const vendor::Command* c : served) {
        SCOPED_TRACE(c->name);
        std::uint8_t block[vendor::kBlockSize];
        const std::uint32_t arguments[] = {1, 0};
        vendor::buildBlock(*c, 3, arguments, c->argumentCount, block);
        const sim::VendorHandler* row = sim::findVendorHandler(block);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(&row->command(), c);
    }
}

TEST(VendorDescriptions, UnknownBlocksAreRefusedByKind) {
    struct Case {
        std::uint8_t b0, b1, b2;
        std::uint8_t asc;
    } cases[] = {
        {0xE0, 0x03, 0x09, sim::kAscInvalidFieldInCdb},  // unknown start kind
        {0xE1, 0x02, 0x09, sim::kAscInvalidFieldInCdb},  // unknown table
        {0xE0, 0x09, 0x00, sim::kAscInvalidOpcode},
        {0xE3, 0x06, 0x00, sim::kAscInvalidOpcode},
        {0xE5, 0x05, 0x00, sim::kAscInvalidOpcode},
    };
    for (const Case& c : cases) {
        const std::uint8_t block[vendor::kBlockSize] = {c.b0, c.b1, c.b2};
        EXPECT_EQ(sim::findVendorHandler(block), nullptr);
        const sim::ScsiOutcome outcome = sim::unknownCommand(block);
        ASSERT_EQ(outcome.sense.size(), drv::FixedSense::kSize);
        EXPECT_EQ(rec::ByteView(outcome.sense.data(), outcome.sense.size())
                      .get<drv::FixedSense::AdditionalSenseCode>(),
                  c.asc) << std::hex << int(c.b0) << " " << int(c.b1);
    }
}

// A controller-information command (E3) that changes the controller: it
// moves the controller to the PCI bus given in byte 2.
constexpr vendor::Command kMoveToBus{
    "moveToBus", {{0, vendor::kOpController}, {1, 0x7E}}, 2, vendor::kNoPosition, {{2, 1}}, 1, 3,
    vendor::DataLength::None, 0, vendor::Direction::None, false, vendor::Effect::Changes};
static_assert(vendor::wellFormed(kMoveToBus));

sim::ScsiOutcome moveToBus(sim::State& state, int controller, const sim::VendorRequest& request) {
    state.controllers[static_cast<std::size_t>(controller)].pci.bus = request.argument(0);
    return sim::good();
}

// The simulated controller, opened in direct mode; the demo state comes
// back afterwards.
class SimulatedVendorCommands : public DirectModeFixture {};

TEST_F(SimulatedVendorCommands, AControllerFamilyChangeIsKeptAndSeenByALaterRead) {
    sim::registerVendorHandler(sim::VendorHandler(kMoveToBus, moveToBus));

    EXPECT_EQ(1, controller->sendVendorCommand(kMoveToBus, 0, {0x37}));

    std::uint8_t info[drv::ControllerPciInfo::kSize] = {};
    ASSERT_EQ(1, controller->readControllerInfo(info));
    EXPECT_EQ(rec::ByteView(info, sizeof info).get<drv::ControllerPciInfo::Bus>(), 0x37u);
}

}  // namespace

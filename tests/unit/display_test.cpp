// The display helpers the commands share.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "commands/display.h"

namespace {

TEST(Display, DateText) {
    const struct {
        std::uint32_t seconds;
        const char* text;
    } cases[] = {
        {0, "Thu Jan 01 00:00:00 1970\n"},
        {315626635, "Wed Jan 02 02:03:55 1980\n"},
        {951868799, "Tue Feb 29 23:59:59 2000\n"},
        {2147483648u, "Tue Jan 19 03:14:08 2038\n"},
        {4294967295u, "Sun Feb 07 06:28:15 2106\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(formatDate(c.seconds), c.text);
    }
}

TEST(Display, MemberLists) {
    const std::uint8_t ids[40] = {0, 1, 255, 254, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                                  7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 200, 9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_STREQ(formatMemberList(0, ids), "()");
    EXPECT_STREQ(formatMemberList(3, ids), "(0,1,-)");
    EXPECT_STREQ(formatMemberList(4, ids), "(0,1,-,254)");
    std::string all32 = "(0,1,-,254";
    for (int i = 4; i < 31; ++i) all32 += ",7";
    all32 += ",200)";
    EXPECT_EQ(formatMemberList(32, ids), all32);
    EXPECT_EQ(formatMemberList(40, ids), all32);  // at most 32 are taken
    EXPECT_EQ(formatMemberList(65535, ids), all32);
}

TEST(Display, LevelNames) {
    const struct {
        std::uint8_t code;
        const char* name;
    } library[] = {{0x00, "RAID0"}, {0x01, "RAID1"},  {0x05, "RAID5"},  {0x06, "RAID6"},
                   {0x08, "SPAN"},  {0x0A, "JBOD"},   {0x10, "RAID10"}, {0x50, "RAID50"},
                   {0x07, "UNKNOWN"}, {0xFF, "UNKNOWN"}};
    for (const auto& c : library) EXPECT_STREQ(raidLevelName(c.code), c.name) << int(c.code);

    EXPECT_STREQ(driverRaidLevelName(0, 4), "RAID0");
    EXPECT_STREQ(driverRaidLevelName(1, 2), "RAID1");
    EXPECT_STREQ(driverRaidLevelName(1, 0), "RAID1");
    EXPECT_STREQ(driverRaidLevelName(1, 3), "RAID10");
    EXPECT_STREQ(driverRaidLevelName(1, 4), "RAID10");
    EXPECT_STREQ(driverRaidLevelName(4, 3), "RAID5");
    EXPECT_STREQ(driverRaidLevelName(16, 1), "JBOD");
    EXPECT_STREQ(driverRaidLevelName(8, 2), "UNKNOWN");
    EXPECT_STREQ(driverRaidLevelName(0x80, 5), "UNKNOWN");
}

TEST(Display, Megabytes) {
    EXPECT_DOUBLE_EQ(sectorsToMegabytes(1024), 0.5);
    EXPECT_DOUBLE_EQ(sectorsToMegabytes(2048), 1.0);
    EXPECT_DOUBLE_EQ(sectorsToMegabytes(0), 0.0);
    // The byte count is 64-bit: no wrap past 4 GiB.
    EXPECT_DOUBLE_EQ(sectorsToMegabytes(156301488), 76319.0859375);
}

TEST(Display, MegabytesOfByteCountsBeyond64Bits) {
    // Where sectors * 512 fits in 64 bits the value is that byte count's
    // megabytes, to the last bit.
    for (const std::uint64_t sectors :
         {std::uint64_t{1}, std::uint64_t{3}, std::uint64_t{8388607}, std::uint64_t{1} << 40,
          (std::uint64_t{1} << 55) - 1, (std::uint64_t{1} << 55) - 12345}) {
        EXPECT_EQ(sectorsToMegabytes(sectors), static_cast<double>(sectors * 512u) / 1048576.0)
            << sectors;
    }
    // Beyond it the byte count would wrap; the megabytes do not.
    const struct {
        std::uint64_t sectors;
        const char* shown;  // as "%.2f" prints it
    } cases[] = {
        {std::uint64_t{1} << 55, "17592186044416.00"},
        {std::uint64_t{1} << 63, "4503599627370496.00"},
        {(std::uint64_t{1} << 63) - 2048, "4503599627370495.00"},
        {~std::uint64_t{0}, "9007199254740992.00"},
    };
    for (const auto& c : cases) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", sectorsToMegabytes(c.sectors));
        EXPECT_STREQ(text, c.shown) << c.sectors;
    }
}

}  // namespace

#pragma once
// Display helpers the command families share: level names, member lists,
// megabytes and dates.

#include <cstdint>
#include <string>

// Name of a library RAID level code ("UNKNOWN" for others).
const char* raidLevelName(std::uint8_t level);
// Name of a driver RAID level code; code 1 is RAID1 with at most two members
// and RAID10 with more.
const char* driverRaidLevelName(std::uint8_t level, unsigned memberCount);

// "(id,id,...)" of at most 32 member ids, 255 written "-". The text lives in
// one buffer of this module and stays valid until the next call.
const char* formatMemberList(unsigned count, const std::uint8_t* ids);

// Sectors of 512 bytes as megabytes (for "%10.2f").
double sectorsToMegabytes(std::uint64_t sectors);

// "Wed Jan 02 02:03:55 1980\n": a time in seconds since 1970, in UTC.
std::string formatDate(std::uint32_t seconds);

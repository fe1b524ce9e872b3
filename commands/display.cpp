#include "commands/display.h"

#include <cstdio>

#include "access/code_tables.h"

const char* raidLevelName(std::uint8_t level) {
    return codes::nameOf(lib::kRaidLevelNames, level, "UNKNOWN");
}

const char* driverRaidLevelName(std::uint8_t level, unsigned memberCount) {
    if (level == drv::DRIVER_LEVEL_RAID1 && memberCount > 2) return drv::kRaid10Name;
    return codes::nameOf(drv::kRaidLevelNames, level, "UNKNOWN");
}

const char* formatMemberList(unsigned count, const std::uint8_t* ids) {
    // 32 ids of at most three digits, their commas, the brackets and the NUL.
    static char text[2 + 32 * 4 + 1];
    if (count > 32) count = 32;
    std::size_t at = 0;
    text[at++] = '(';
    for (unsigned i = 0; i < count; ++i) {
        if (i > 0) text[at++] = ',';
        if (ids[i] == 255) {
            text[at++] = '-';
        } else {
            at += static_cast<std::size_t>(std::snprintf(text + at, sizeof text - at, "%u", ids[i]));
        }
    }
    text[at++] = ')';
    text[at] = '\0';
    return text;
}

double sectorsToMegabytes(std::uint64_t sectors) {
    // sectors * 512 / 2^20 taken as sectors / 2^11: scaling by a power of two
    // is exact, so this is the byte count's megabytes, also for disks whose
    // byte count would not fit in 64 bits.
    return static_cast<double>(sectors) * (1.0 / 2048.0);
}

std::string formatDate(std::uint32_t seconds) {
    static const char* const weekdays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::uint32_t days = seconds / 86400;
    const std::uint32_t rest = seconds % 86400;
    // Civil date from a day count (days since 1970-01-01), proleptic Gregorian.
    const std::int64_t z = static_cast<std::int64_t>(days) + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%s %s %02d %02u:%02u:%02u %04d\n", weekdays[days % 7],
                  months[month - 1], static_cast<int>(day), rest / 3600, (rest / 60) % 60, rest % 60,
                  static_cast<int>(year));
    return text;
}

// bgaschd: background activity schedules. The controller keeps them; the
// console builds one entry for add, change and delete, and lists what the
// library returns. Every word is checked before anything is sent: a refused
// or missing word prints its message and the command ends with nothing sent.
// Add, change and delete print nothing; their failures go to the log.

#include "commands/schedules.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "access/faultlog.h"
#include "access/hxapi.h"
#include "access/schedule_records.h"
#include "console/context.h"
#include "console/parsers.h"
#include "console/words.h"
#include "platform/console.h"

namespace {

using H = lib::ScheduleBufferHead;
using E = lib::ScheduleEntry;

// The words after the sub-command, taken one at a time.
class WordCursor {
public:
    WordCursor(std::int32_t count, char** words, std::int32_t first)
        : count_(count), words_(words), next_(first) {}

    // The next word, or null when there is none.
    char* take() { return next_ < count_ ? words_[next_++] : nullptr; }
    // The next word; when it is missing, prints that `what` was not given.
    char* need(const char* what) {
        char* word = take();
        if (word == nullptr) consolePrint("BGAschd %s not specified.\n", what);
        return word;
    }

private:
    std::int32_t count_;
    char** words_;
    std::int32_t next_;
};

constexpr std::uint8_t kRefused = 0xFF;

// A keyword's code, or kRefused after the message for a missing word (when
// there is one) or for another word.
template <std::size_t N>
std::uint8_t keyword(const char* word, const codes::Keyword (&table)[N], const char* missing,
                     const char* other) {
    if (word == nullptr) {
        if (missing != nullptr) consolePrint("%s", missing);
        return kRefused;
    }
    for (const codes::Keyword& k : table) {
        if (wordEquals(word, k.word)) return k.code;
    }
    consolePrint("%s", other);
    return kRefused;
}

constexpr const char* kEndTypeMissing = "BGAschd End Type not specified.\n";
constexpr const char* kPatternMissing = "BGAschd DayPattern Type not specified.\n";

std::uint8_t weekday(const char* word) {
    if (word == nullptr) {
        consolePrint("%s", kEndTypeMissing);
        return kRefused;
    }
    for (const codes::Keyword& k : lib::kWeekdayKeywords) {
        if (wordEquals(word, k.word)) return k.code;
    }
    consolePrint("Unknow Day of Week: %s,must be 'Mon','Tue','Wen','Thur','Fri','Sat','Sun'\n", word);
    return kRefused;
}

// The month's bit, or 0 after the message.
std::uint16_t monthBit(const char* word) {
    if (word == nullptr) {
        consolePrint("%s", kEndTypeMissing);
        return 0;
    }
    for (std::size_t i = 0; i < std::size(lib::kMonthWords); ++i) {
        if (wordEquals(word, lib::kMonthWords[i])) return static_cast<std::uint16_t>(1u << i);
    }
    consolePrint("Unknow Month: %s\n", word);
    return 0;
}

// A signed decimal number as "%d" reads one: blanks, an optional sign and
// digits, saturating beyond 32 bits. False when there are no digits.
bool scanNumber(const char*& p, std::int64_t* value) {
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    std::int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v < 0x100000000) v = v * 10 + (*p - '0');
    }
    *value = negative ? -v : v;
    return true;
}

// A date word month/day/year into the entry's three fields; false after
// the message. Parts that are not there read as 0, and so are refused.
template <class Day, class Month, class Year>
bool parseDate(const char* word, const rec::ByteSpan& entry) {
    std::int64_t parts[3] = {0, 0, 0};
    const char* p = word;
    for (int i = 0; i < 3; ++i) {
        if (!scanNumber(p, &parts[i])) break;
        if (i < 2) {
            if (*p != '/') break;
            ++p;
        }
    }
    const std::int64_t month = parts[0], day = parts[1], year = parts[2];
    if (month < 1 || month > 12) {
        consolePrint("Error Month Parameter value, 0 < month < 13\n");
        return false;
    }
    if (day < 1 || day > 31) {
        consolePrint("Error Day Parameter value, 1 <= day <= 31\n");
        return false;
    }
    if (year < 1900) {
        consolePrint("Error Year Parameter value, year > 1900\n");
        return false;
    }
    // The field holds 16 bits: a later year would be stored as another one.
    if (year > 0xFFFF) {
        consolePrint("Error Year Parameter value, year < 65536\n");
        return false;
    }
    entry.put<Day>(static_cast<std::uint8_t>(day));
    entry.put<Month>(static_cast<std::uint8_t>(month));
    entry.put<Year>(static_cast<std::uint16_t>(year));
    return true;
}

std::uint32_t number(const char* word) { return static_cast<std::uint32_t>(leadingDigitsValue(word)); }

bool parseRecurrence(WordCursor& words, const rec::ByteSpan& entry) {
    const std::uint8_t recurrence = keyword(words.take(), lib::kRecurrenceKeywords, kPatternMissing,
                                            "must be 'ONCES','DALIY','WEEKLY','MONTHLY'\n");
    if (recurrence == kRefused) return false;
    entry.put<E::Recurrence>(recurrence);
    if (recurrence == lib::RECUR_DAILY) {
        const char* interval = words.need("day interval");
        if (interval == nullptr) return false;
        const std::uint8_t days = static_cast<std::uint8_t>(number(interval));
        if (days == 0xFF) return false;
        entry.put<E::Interval>(days);
    } else if (recurrence == lib::RECUR_WEEKLY) {
        const char* interval = words.need("week interval");
        if (interval == nullptr) return false;
        const std::int64_t weeks = leadingDigitsValue(interval);
        if (weeks < 0 || weeks > 53) {
            consolePrint("Out of Scope, Weekly interval should more than 1 and less than 53\n");
            return false;
        }
        const char* dayWord = words.need("day of week");
        if (dayWord == nullptr) return false;
        const std::uint8_t day = weekday(dayWord);
        if (day == kRefused) return false;
        entry.put<E::Interval>(static_cast<std::uint8_t>(weeks));
        entry.put<E::WeekdayBit>(static_cast<std::uint8_t>(lib::weekdayBit(day)));
    } else if (recurrence == lib::RECUR_MONTHLY) {
        const std::uint8_t pattern = keyword(words.take(), lib::kMonthlyPatternKeywords, kPatternMissing,
                                             "must be 'DAY','ORDINAL'");
        if (pattern == kRefused) return false;
        entry.put<E::MonthPattern>(pattern);
        if (pattern == lib::MONTHLY_DAY) {
            const char* dayWord = words.need("day of month");
            if (dayWord == nullptr) return false;
            const std::int64_t day = leadingDigitsValue(dayWord);
            if (day < 1 || day > 31) {
                consolePrint("must between 1~31");
                return false;
            }
            entry.put<E::DayOrOrdinal>(static_cast<std::uint8_t>(day));
        } else {
            const std::uint8_t ordinal = keyword(words.take(), lib::kOrdinalKeywords, kEndTypeMissing,
                                                 "must be First,Second,Third,Fourth,Last\n");
            if (ordinal == kRefused) return false;
            const std::uint8_t day = weekday(words.take());
            if (day == kRefused) return false;
            entry.put<E::DayOrOrdinal>(ordinal);
            entry.put<E::OrdinalWeekday>(day);
        }
        const std::uint16_t month = monthBit(words.take());
        if (month == 0) return false;
        entry.put<E::MonthBits>(month);
    }
    return true;
}

bool parseEnd(WordCursor& words, const rec::ByteSpan& entry) {
    const std::uint8_t end =
        keyword(words.take(), lib::kEndTypeKeywords, kEndTypeMissing, "must be 'NONE','COUNT','DATE'");
    if (end == kRefused) return false;
    entry.put<E::EndType>(end);
    if (end == lib::END_COUNT) {
        const char* count = words.need("number of recurrences");
        if (count == nullptr) return false;
        entry.put<E::RecurrenceCount>(static_cast<std::uint8_t>(number(count)));
    } else if (end == lib::END_DATE) {
        const char* date = words.need("end date");
        if (date == nullptr) return false;
        if (!parseDate<E::EndDay, E::EndMonth, E::EndYear>(date, entry)) return false;
    }
    return true;
}

// The number of devices and their list; the number must match the list.
bool parseDevices(WordCursor& words, const rec::ByteSpan& entry, std::uint8_t type) {
    const char* countWord = words.need("number of devices");
    if (countWord == nullptr) return false;
    char* listWord = words.need("device IDs");
    if (listWord == nullptr) return false;
    std::uint8_t count = 0;
    std::uint8_t ids[MAX_WORDS] = {};
    if (!parseIdList(&count, ids, listWord)) return false;
    const std::int64_t claimed = leadingDigitsValue(countWord);
    if (claimed != count) {
        consolePrint("Number of devices %s does not match the %d device IDs given.\n", countWord, count);
        return false;
    }
    entry.putAt<std::uint16_t>(lib::deviceCountOffset(type), count);
    for (std::size_t i = 0; i < count; ++i) {
        entry.putAt<std::uint16_t>(lib::deviceListOffset(type) + 2 * i, ids[i]);
    }
    return true;
}

bool parseTypeWords(WordCursor& words, const rec::ByteSpan& entry, std::uint8_t type) {
    if (type == lib::SCHEDULE_RC) {
        const char* fix = words.need("automatic fix flag");
        if (fix == nullptr) return false;
        entry.put<lib::RedundancyCheckSchedule::AutoFix>(static_cast<std::uint8_t>(number(fix)));
        return parseDevices(words, entry, type);
    }
    if (type == lib::SCHEDULE_RB) {
        if (!parseDevices(words, entry, type)) return false;
        const char* array = words.need("array ID");
        if (array == nullptr) return false;
        entry.put<lib::RebuildSchedule::ArrayId>(static_cast<std::uint16_t>(number(array)));
        return true;
    }
    if (type == lib::SCHEDULE_MG) {
        using M = lib::MigrationSchedule;
        const char* levelWord = words.need("RAID level");
        if (levelWord == nullptr) return false;
        const std::uint8_t level = parseLibraryRaidLevel(levelWord);
        if (level == kParseFailed) return false;
        entry.put<M::RaidLevel>(level);
        if (!parseDevices(words, entry, type)) return false;
        const char* array = words.need("array ID");
        if (array == nullptr) return false;
        entry.put<M::ArrayId>(static_cast<std::uint16_t>(number(array)));
        if (level == lib::RAID_LEVEL_RAID6) {
            const char* parity = words.need("parity count");
            if (parity == nullptr) return false;
            entry.put<M::ParityCount>(static_cast<std::uint8_t>(number(parity)));
        } else if (level == lib::RAID_LEVEL_RAID50) {
            const char* subArrays = words.need("sub-array count");
            if (subArrays == nullptr) return false;
            entry.put<M::SubArrayCount>(static_cast<std::uint8_t>(number(subArrays)));
        }
    }
    return true;
}

std::uint8_t scheduleType(const char* word) {
    return keyword(word, lib::kScheduleTypeKeywords, "BGAschd Type not specified.\n",
                   "must be 'MP','RC','BRC','SC'\n");
}

// Fills the entry of an add or a change from the words; false after the
// message of the first refusal.
bool parseSchedule(WordCursor& words, const rec::ByteSpan& buffer) {
    const rec::ByteSpan entry = buffer.sub(H::kSize, buffer.size() - H::kSize);
    const std::uint8_t type = scheduleType(words.take());
    if (type == kRefused) return false;
    entry.put<E::Type>(type);
    const char* switchWord = words.need("enable or disable");
    if (switchWord == nullptr) return false;
    const std::uint8_t enabled = parseEnableDisable(switchWord);
    if (enabled == kParseFailed) return false;
    entry.put<E::Enabled>(enabled);
    const char* start = words.need("start time");
    if (start == nullptr) return false;
    entry.put<E::StartMinutes>(static_cast<std::uint16_t>(number(start)));
    const char* duration = words.need("duration");
    if (duration == nullptr) return false;
    entry.put<E::DurationMinutes>(number(duration));
    if (!parseRecurrence(words, entry)) return false;
    const char* startDate = words.need("start date");
    if (startDate == nullptr) return false;
    if (!parseDate<E::StartDay, E::StartMonth, E::StartYear>(startDate, entry)) return false;
    if (!parseEnd(words, entry)) return false;
    if (!parseTypeWords(words, entry, type)) return false;
    buffer.sub<H::EntryCounts>().putAt<std::uint8_t>(type, 1);
    return true;
}

void logHeadCounts(const rec::ByteView& buffer) {
    const rec::ByteView n = buffer.sub<H::EntryCounts>();
    const std::uint32_t log = controllerContext.errorHandler;
    logInfoMsg(log, "num mp=%d", n.at<std::uint8_t>(lib::SCHEDULE_MP));
    logInfoMsg(log, "num brc=%d", n.at<std::uint8_t>(lib::SCHEDULE_BRC));
    logInfoMsg(log, "num sc=%d", n.at<std::uint8_t>(lib::SCHEDULE_SC));
    logInfoMsg(log, "num rc=%d", n.at<std::uint8_t>(lib::SCHEDULE_RC));
    logInfoMsg(log, "num mg=%d", n.at<std::uint8_t>(lib::SCHEDULE_MG));
    logInfoMsg(log, "num rb=%d", n.at<std::uint8_t>(lib::SCHEDULE_RB));
}

void addOrChange(std::int32_t count, char** words, bool change) {
    // The whole buffer is cleared: no byte goes to the controller that the
    // words did not give.
    std::vector<std::uint8_t> bytes(lib::kScheduleBufferSize, 0);
    const rec::ByteSpan buffer(bytes.data(), bytes.size());
    buffer.put<H::ControlId>(controllerContext.controllerIndex);
    WordCursor cursor(count, words, 2);
    if (!parseSchedule(cursor, buffer)) return;
    if (change) {
        const char* sequence = cursor.need("sequence number");
        if (sequence == nullptr) return;
        buffer.putAt<std::uint8_t>(H::kSize + E::Sequence::offset, static_cast<std::uint8_t>(number(sequence)));
        logHeadCounts(buffer.view());
        const std::uint32_t status = hx_modifyBGASchedule(CONTROLLER_ADDRESS, bytes.data(), lib::kScheduleBufferSize);
        if (status != 0) logErrMsg(controllerContext.errorHandler, status, "\t failed delete bga schedulers");
        return;
    }
    const std::uint32_t status = hx_addBGASchedule(CONTROLLER_ADDRESS, bytes.data(), lib::kScheduleBufferSize);
    if (status != 0) {
        logErrMsg(controllerContext.errorHandler, status, "\t failed add default bga scheduler settings");
    }
}

void remove(std::int32_t count, char** words) {
    std::vector<std::uint8_t> bytes(lib::kScheduleBufferSize, 0);
    const rec::ByteSpan buffer(bytes.data(), bytes.size());
    WordCursor cursor(count, words, 2);
    const std::uint8_t type = scheduleType(cursor.take());
    if (type == kRefused) return;
    const char* sequence = cursor.need("sequence number");
    if (sequence == nullptr) return;
    buffer.putAt<std::uint8_t>(H::kSize + E::Type::offset, type);
    buffer.putAt<std::uint8_t>(H::kSize + E::Sequence::offset, static_cast<std::uint8_t>(number(sequence)));
    buffer.sub<H::EntryCounts>().putAt<std::uint8_t>(type, 1);
    logHeadCounts(buffer.view());
    const std::uint32_t status = hx_deleteBGASchedule(CONTROLLER_ADDRESS, bytes.data(), lib::kScheduleDeleteSize);
    if (status != 0) logErrMsg(controllerContext.errorHandler, status, "\t failed delete bga schedulers");
}

// ---- The listing -------------------------------------------------------------

// The ids after the first, each as "%2d", and the line end; the first id
// has a width of its own.
void printIds(const rec::ByteView& entry, std::size_t first, std::size_t n, int firstWidth) {
    for (std::size_t i = 0; i < n; ++i) {
        const int id = entry.at<std::uint16_t>(first + 2 * i);
        consolePrint("%*d", i == 0 ? firstWidth : 2, id);
    }
    consolePrint("\n");
}

// The ids an entry holds: its count, cut at the entry's length in the view.
std::size_t idCount(const rec::ByteView& entry, std::uint8_t type) {
    const std::size_t n = entry.at<std::uint16_t>(lib::deviceCountOffset(type));
    const std::size_t list = lib::deviceListOffset(type);
    const std::size_t room = entry.size() > list ? (entry.size() - list) / 2 : 0;
    return n < room ? n : room;
}

void printEntry(const rec::ByteView& e) {
    const std::uint8_t type = e.get<E::Type>();
    const std::uint8_t recurrence = e.get<E::Recurrence>();
    consolePrint("----------------------------------------------------------\n");
    consolePrint("Schd type: %s, seq num: %d, recurrency: %d\n", codes::nameOf(lib::kScheduleTypeNames, type, "?"),
                 e.get<E::Sequence>(), recurrence);
    if (recurrence == lib::RECUR_DAILY) {
        consolePrint("DayInterval:%d\n", e.get<E::Interval>());
    } else if (recurrence == lib::RECUR_WEEKLY) {
        consolePrint("WeekInterval:%d\n", e.get<E::Interval>());
        consolePrint("WeekMaskInterval:%d\n", e.get<E::WeekdayBit>());
    } else if (recurrence == lib::RECUR_MONTHLY) {
        if (e.get<E::MonthPattern>() == lib::MONTHLY_DAY) {
            consolePrint("DayOfMonth:%d\n", e.get<E::DayOrOrdinal>());
        } else {
            consolePrint("Ordianl:%d\n", e.get<E::DayOrOrdinal>());
            consolePrint("DayOfWeek:%d\n", e.get<E::OrdinalWeekday>());
        }
        consolePrint("MonthMask:%d\n", e.get<E::MonthBits>());
    }
    consolePrint("enable %d\n", e.get<E::Enabled>());
    consolePrint("start time %d minutes from 0:00 am\n", e.get<E::StartMinutes>());
    consolePrint("duration %d minutes\n", static_cast<int>(e.get<E::DurationMinutes>()));
    consolePrint("start date: %d/%d/%d\n", e.get<E::StartMonth>(), e.get<E::StartDay>(), e.get<E::StartYear>());
    if (e.get<E::EndType>() == lib::END_COUNT) {
        consolePrint("recurCount:%d\n", e.get<E::RecurrenceCount>());
    } else if (e.get<E::EndType>() == lib::END_DATE) {
        consolePrint("end date: %d/%d/%d\n", e.get<E::EndMonth>(), e.get<E::EndDay>(), e.get<E::EndYear>());
    }
    const std::size_t n = idCount(e, type);
    if (type == lib::SCHEDULE_RC) {
        using R = lib::RedundancyCheckSchedule;
        consolePrint("%8s %15s %10s\n", "autoFix", "NumberOfDevices", "DeviceIds");
        consolePrint("%4d", e.get<R::AutoFix>());
        consolePrint("%15d", e.get<R::DeviceCount>());
        printIds(e, R::Devices::offset, n, 10);
    } else if (type == lib::SCHEDULE_MG) {
        using M = lib::MigrationSchedule;
        const std::uint16_t level = e.get<M::RaidLevel>();
        if (level == lib::RAID_LEVEL_RAID6) {
            consolePrint("%11s %15s %5s %11s %10s\n", "ToRaidLevel", "NumberOfDevices", "LdId", "ParityCount",
                         "DeviceIds");
        } else if (level == lib::RAID_LEVEL_RAID50) {
            consolePrint("%11s %15s %5s %13s %10s\n", "ToRaidLevel", "NumberOfDevices", "LdId", "SubArrayCount",
                         "DeviceIds");
        } else {
            consolePrint("%11s %15s %5s %10s\n", "ToRaidLevel", "NumberOfDevices", "LdId", "DeviceIds");
        }
        consolePrint("%6d", level);
        consolePrint("%15d", e.get<M::DeviceCount>());
        consolePrint("%11d", e.get<M::ArrayId>());
        if (level == lib::RAID_LEVEL_RAID6) consolePrint("%7d", e.get<M::ParityCount>());
        if (level == lib::RAID_LEVEL_RAID50) consolePrint("%8d", e.get<M::SubArrayCount>());
        printIds(e, M::Devices::offset, n, 10);
    } else if (type == lib::SCHEDULE_RB) {
        using B = lib::RebuildSchedule;
        consolePrint("%4s %15s %10s\n", "LdId", "NumberOfDevices", "DeviceIds");
        consolePrint("%2d", e.get<B::ArrayId>());
        consolePrint("%12d", e.get<B::DeviceCount>());
        printIds(e, B::Devices::offset, n, 13);
    }
}

void list() {
    std::uint8_t key[lib::ScheduleKey::kSize] = {lib::kScheduleKeyAll, 0, 0, 0, 0};
    std::vector<std::uint8_t> bytes(lib::kScheduleBufferSize, 0);
    if (hx_getBGASchedule(CONTROLLER_ADDRESS, key, bytes.data(), lib::kScheduleBufferSize) != 0) return;
    const rec::ByteView buffer(bytes.data(), bytes.size());
    const rec::ByteView current = buffer.sub<H::CurrentCounts>();
    const rec::ByteView most = buffer.sub<H::MaxCounts>();
    consolePrint("-----------------dumping BGASchdule-----------------\n");
    consolePrint("ControlID:%d\n", buffer.get<H::ControlId>());
    consolePrint("MaxMPSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_MP));
    consolePrint("MaxRCSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_RC));
    consolePrint("MaxBCSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_BRC));
    consolePrint("MaxSCSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_SC));
    consolePrint("MaxMGSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_MG));
    consolePrint("MaxRBSchedules:%d\n", most.at<std::uint8_t>(lib::SCHEDULE_RB));
    consolePrint("CurrentBRCSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_BRC));
    consolePrint("CurrentMPSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_MP));
    consolePrint("CurrentRCSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_RC));
    consolePrint("CurrentSCSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_SC));
    consolePrint("CurrentMGSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_MG));
    consolePrint("CurrentRBSchedules:%d\n", current.at<std::uint8_t>(lib::SCHEDULE_RB));
    const rec::ByteView scan = buffer.sub(0, lib::kScheduleScanLength);
    for (auto at = lib::nextScheduleEntry(buffer, 0); at; at = lib::nextScheduleEntry(buffer, *at)) {
        const rec::ByteView entry = scan.sub(*at, lib::scheduleEntryLength(scan.sub(*at, scan.size() - *at)));
        if (entry.get<E::Recurrence>() <= lib::RECUR_MONTHLY) printEntry(entry);
    }
}

}  // namespace

std::int32_t bgaScheduleCommand(ControllerDevice**, std::int32_t count, char** words) {
    if (count < 2) {
        printInvalidParameters(words[0]);
        return 1;
    }
    const char* sub = words[1];
    if (wordEquals(sub, "get")) {
        list();
    } else if (wordEquals(sub, "add")) {
        addOrChange(count, words, false);
    } else if (wordEquals(sub, "mod")) {
        addOrChange(count, words, true);
    } else if (wordEquals(sub, "del")) {
        remove(count, words);
    }
    return 1;
}

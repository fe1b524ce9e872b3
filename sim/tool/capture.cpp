// talo-sim capture. Everything about the controller comes from the hx_
// operations, asked the way the console's commands ask them; replies are
// read through rec::ByteView, so a reply that claims more than its buffer
// holds reads as zeros past the end, and every count is capped at what its
// record can hold.
//
// What the copy cannot hold, because the library does not show it or the
// model keeps it another way:
// - Running background activities: the copy reports the flags the arrays
//   and extents had at the moment of capture, but nothing runs, so progress
//   (`as`) and the end of an activity are not reproduced.
// - Pulled disks (the library lists none), whether a disk was marked
//   failed (only its offline extents show), enclosures, the battery, the
//   buzzer, the SATA port settings, media patrol with its bad-sector log and
//   error table, flash images, queued events (reading them would take them
//   from the original) and the PCI place the driver reports.
// - Other adapters and missing ports on the SCSI ports: the copy has one
//   Talo port per controller captured, in the library's order.
// - How often a schedule has run: a schedule that ends after a count of
//   recurrences starts its count again in the copy.

#include "sim/tool/capture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "access/driver_protocol.h"  // kMaxSlots: the disks and arrays a list reply holds
#include "access/event_records.h"
#include "access/hxapi.h"
#include "access/library_binding.h"
#include "access/library_records.h"
#include "access/schedule_records.h"
#include "access/settings_records.h"
#include "platform/device_access.h"
#include "platform/record.h"
#include "sim/array_model.h"
#include "sim/schedule_model.h"
#include "sim/settings_model.h"
#include "sim/store.h"
#include "sim/tool/edits.h"

namespace simtool {

namespace {

constexpr std::uint32_t kDiskListSize =
    lib::InfoReplyHeader::kSize + kMaxSlots * lib::PhyDrvInfo::kSize;
constexpr std::uint32_t kArrayListSize =
    lib::InfoReplyHeader::kSize + kMaxSlots * lib::LogDrvInfo::kSize;
constexpr std::uint16_t kDiskListSelector = 255;  // as ld asks
constexpr std::uint16_t kDiskSettingsSelector = 1;  // as ds asks

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The library's address words of a controller.
struct Address {
    std::uint32_t w1;
    static constexpr std::uint32_t w2 = 0;
    static constexpr std::uint32_t w3 = 0;
};

// A request key {first, count, selector}.
struct Request {
    std::uint8_t bytes[lib::InfoRequest::kSize] = {};
    Request(std::uint32_t first, std::uint32_t count, std::uint16_t selector = 0) {
        const rec::ByteSpan key(bytes, sizeof bytes);
        key.put<lib::InfoRequest::FirstId>(first);
        key.put<lib::InfoRequest::Count>(count);
        key.put<lib::InfoRequest::Selector>(selector);
    }
    std::uint32_t count() const {
        return rec::ByteView(bytes, sizeof bytes).get<lib::InfoRequest::Count>();
    }
};

// The library from hx_initialize to hx_finalize.
class LibrarySession {
public:
    LibrarySession() {
        std::uint8_t block[lib::InitBlock::kSize] = {};
        const rec::ByteSpan init(block, sizeof block);
        // No log handle: talo-sim keeps no log of its own.
        init.put<lib::InitBlock::Magic>(lib::kInitMagic);
        init.put<lib::InitBlock::Flag12>(1);
        const std::uint32_t started = hx_initialize(block);
        if (started != 0) throw Refusal("the management library did not start (hx_initialize: " + hex(started) + ")");
        try {
            const std::uint32_t discovered = hx_discover(0);
            if (discovered != 0) {
                throw Refusal("the management library found no controllers (hx_discover: " + hex(discovered) + ")");
            }
            const std::uint32_t counted = hx_getNumberOfHBA(&count_);
            if (counted != 0) {
                throw Refusal("the management library cannot count its controllers (hx_getNumberOfHBA: " +
                              hex(counted) + ")");
            }
        } catch (...) {
            hx_finalize();  // no destructor runs for a session that did not start
            throw;
        }
    }
    ~LibrarySession() { hx_finalize(); }
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    std::uint32_t count() const { return count_; }

private:
    std::uint32_t count_ = 0;
};

// Which ExtentRole the flags name, in the order the extent listing tests them.
sim::ExtentRole roleOf(std::uint32_t flags) {
    if (flags & lib::EXTENT_ASSIGNED) return sim::ExtentRole::Assigned;
    if (flags & lib::EXTENT_GLOBAL_SPARE) return sim::ExtentRole::GlobalSpare;
    if (flags & lib::EXTENT_DEDICATED_SPARE) return sim::ExtentRole::DedicatedSpare;
    if (flags & lib::EXTENT_FREE) return sim::ExtentRole::Free;
    if (flags & lib::EXTENT_BACKUP) return sim::ExtentRole::Backup;
    if (flags & lib::EXTENT_LATEST_BACKUP) return sim::ExtentRole::LatestBackup;
    return sim::ExtentRole::Free;  // none: the reported flags say so (see below)
}

sim::Extent extentFrom(const rec::ByteView& x, std::uint32_t* flags) {
    using E = lib::PhyDrvExtent;
    sim::Extent e;
    *flags = x.get<E::Flags>();
    e.index = x.get<E::Index>();
    e.role = roleOf(*flags);
    e.arrayId = x.get<E::ArrayId>();
    e.backupTime = x.get<E::BackupTime>();
    e.start = x.get<E::Start>();
    e.size = x.get<E::Size>();
    e.inaccessible = (*flags & lib::EXTENT_ACCESSIBLE) == 0;
    e.offline = (*flags & lib::EXTENT_FUNCTIONAL) == 0;
    return e;
}

struct DiskCapture {
    sim::Disk disk;
    std::vector<std::uint32_t> flags;  // each extent's flags as the library reported them
};

// The disks, as ld asks for them: every record the count and the bytes
// filled both cover.
std::vector<DiskCapture> readDisks(const Address& at, std::vector<std::string>& notes) {
    std::vector<std::uint8_t> buffer(kDiskListSize, 0);
    const rec::ByteSpan header(buffer.data(), buffer.size());
    header.put<lib::InfoReplyHeader::BufferSize>(kDiskListSize);
    Request request(0, kMaxSlots, kDiskListSelector);
    std::vector<DiskCapture> disks;
    if (hx_getPhyDrvInfo(at.w1, at.w2, at.w3, request.bytes, buffer.data(), kDiskListSize) != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": the disk list could not be read");
        return disks;
    }
    const rec::ByteView reply(buffer.data(), buffer.size());
    const std::uint32_t filled = reply.get<lib::InfoReplyHeader::BytesFilled>();
    const std::uint32_t count = std::min(request.count(), kMaxSlots);
    using P = lib::PhyDrvInfo;
    std::size_t repeated = 0;  // records naming a disk listed before them
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t offset = lib::InfoReplyHeader::kSize + std::size_t{i} * P::kSize;
        if (offset >= filled) break;
        const rec::ByteView r = reply.sub(offset, P::kSize);
        DiskCapture captured;
        sim::Disk& d = captured.disk;
        d.id = r.get<P::DiskId>();
        const bool taken = std::any_of(disks.begin(), disks.end(),
                                       [&d](const DiskCapture& other) { return other.disk.id == d.id; });
        if (taken) {
            ++repeated;
            continue;
        }
        d.channel = r.get<P::Channel>();
        d.enclosureId = r.get<P::EnclosureId>();
        d.carrierId = r.get<P::CarrierId>();
        d.sectors = r.get<P::Sectors>();
        // The model text runs on into its second part only when the first
        // is full.
        d.model = r.text<P::ModelFirst>();
        if (d.model.size() == P::ModelFirst::width) d.model += r.text<P::ModelSecond>();
        d.serial = r.text<P::Serial>();
        d.firmware = r.text<P::Firmware>();
        d.speed3gSupported = r.get<P::Speed3gSupported>() != 0;
        d.speed3gEnabled = r.get<P::Speed3gEnabled>() != 0;
        const std::size_t extents = std::min<std::size_t>(r.get<P::ExtentCount>(), lib::kMaxExtents);
        const rec::ByteView table = r.sub<P::Extents>();
        for (std::size_t k = 0; k < extents; ++k) {
            std::uint32_t flags = 0;
            d.extents.push_back(extentFrom(table.sub(k * lib::PhyDrvExtent::kSize, lib::PhyDrvExtent::kSize), &flags));
            captured.flags.push_back(flags);
            if (flags & lib::EXTENT_SMART_FAILURE) d.smartFailure = true;
        }
        // A disk with no extents would be given a free one by the model;
        // it keeps reporting none.
        if (d.extents.empty()) d.reportedExtentCount = 0;
        disks.push_back(std::move(captured));
    }
    if (repeated != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": " + std::to_string(repeated) +
                        " disk records repeat an id listed before them; the first of each id is kept");
    }
    return disks;
}

// The disk's own settings, as ds reads them; the model's defaults stay
// when the library has none for it.
void readDiskSettings(const Address& at, sim::Disk& d, std::vector<std::string>& notes) {
    using S = lib::PhyDrvSettings;
    std::uint8_t record[S::kSize] = {};
    Request request(static_cast<std::uint32_t>(d.id), 1, kDiskSettingsSelector);
    const std::uint32_t status = hx_getPhyDrvSettings(at.w1, at.w2, at.w3, request.bytes, record, S::kSize);
    const rec::ByteView r(record, sizeof record);
    if (status != 0 || r.get<S::DiskId>() != d.id) {
        notes.push_back("controller " + std::to_string(at.w1) + ": disk " + std::to_string(d.id) +
                        " settings could not be read; the copy has the defaults");
        return;
    }
    d.writeCache = r.get<S::WriteCache>() != 0;
    d.smartEnabled = r.get<S::Smart>() != 0;
    d.tcqSupported = r.get<S::TcqSupported>() != 0;
    d.ncqSupported = r.get<S::NcqSupported>() != 0;
    d.tcq = r.get<S::Tcq>() != 0;
    d.ncq = r.get<S::Ncq>() != 0;
}

// The arrays, as la reads them: records in order up to the first that is
// not valid. The array takes the id the commands address it with; the
// number the listing shows is the same id in the model.
std::vector<sim::Array> readArrays(const Address& at, std::vector<std::string>& notes) {
    std::vector<std::uint8_t> buffer(kArrayListSize, 0);
    Request request(0, kMaxSlots);
    std::vector<sim::Array> arrays;
    if (hx_getLogDrvInfo(at.w1, at.w2, at.w3, request.bytes, buffer.data(), kArrayListSize) != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": the array list could not be read");
        return arrays;
    }
    const rec::ByteView reply(buffer.data(), buffer.size());
    using L = lib::LogDrvInfo;
    std::size_t repeated = 0;  // records naming an array listed before them
    for (std::uint32_t i = 0; i < kMaxSlots; ++i) {
        const rec::ByteView r = reply.sub(lib::InfoReplyHeader::kSize + std::size_t{i} * L::kSize, L::kSize);
        if (r.size() < L::kSize || (r.get<L::Flags>() & lib::LOGDRV_VALID) == 0) break;
        sim::Array a;
        a.id = r.get<L::ArrayId>();
        const bool taken = std::any_of(arrays.begin(), arrays.end(),
                                       [&a](const sim::Array& other) { return other.id == a.id; });
        if (taken) {
            ++repeated;
            continue;
        }
        if (r.get<L::ArrayNumber>() != a.id) {
            notes.push_back("controller " + std::to_string(at.w1) + ": array " + std::to_string(a.id) +
                            " is listed as number " + std::to_string(r.get<L::ArrayNumber>()) +
                            "; the copy lists it under its id");
        }
        a.level = r.get<L::RaidLevel>();
        // The flags as reported, activity bits included: nothing runs in the
        // copy, which reports them as they were.
        a.flags = r.get<L::Flags>();
        a.cacheMode = r.get<L::CacheMode>();
        a.sectors = r.get<L::Sectors>();
        a.rawSectors = r.get<L::RawSize>();
        a.lookahead = r.get<L::Lookahead>();
        a.stripeSectors = std::min<std::uint32_t>(r.get<L::StripeKb>(), 0x7FFFFFFFu) * 2;
        a.name = r.text<L::Name>();
        const std::uint16_t members = r.get<L::MemberCount>();
        const rec::ByteView ids = r.sub<L::Members>();
        for (std::size_t m = 0; m < std::min<std::size_t>(members, L::kMaxMembers); ++m) {
            a.members.push_back(ids.at<std::uint8_t>(m));
        }
        if (members > L::kMaxMembers) a.reportedMemberCount = members;
        a.parityCount = r.get<L::ParityCount>();
        a.symmetric = r.get<L::Symmetric>();
        a.parityShift = r.get<L::ParityShift>();
        a.subArrayCount = r.get<L::SubArrayCount>();
        a.startTime = r.get<L::StartTime>();
        a.resumeTime = r.get<L::ResumeTime>();
        a.sectorSize = r.get<L::SectorSize>();
        std::uint32_t mask = 0;
        if (hx_getAryLostDisk(at.w1, at.w2, at.w3, static_cast<std::uint32_t>(r.get<L::ArrayNumber>() & 0xFF), &mask) == 0) {
            a.lostMask = mask;
        }
        arrays.push_back(std::move(a));
    }
    if (repeated != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": " + std::to_string(repeated) +
                        " array records repeat an id listed before them; the first of each id is kept");
    }
    return arrays;
}

// What only the array settings record holds: consolidation and bypass.
// The cache bits and lookahead come from the array record, as la shows
// them; the model keeps one value of each.
void readArraySettings(const Address& at, sim::Array& a, std::vector<std::string>& notes) {
    using S = lib::LogDrvSettings;
    std::uint8_t record[S::kSize] = {};
    Request request(static_cast<std::uint32_t>(a.id), 1);
    const std::uint32_t status = hx_getLogDrvSettings(at.w1, at.w2, at.w3, request.bytes, record, S::kSize);
    const rec::ByteView r(record, sizeof record);
    if (status != 0 || r.get<S::ArrayId>() != a.id) {
        notes.push_back("controller " + std::to_string(at.w1) + ": array " + std::to_string(a.id) +
                        " settings could not be read; the copy has the defaults");
        return;
    }
    a.consolidation = r.get<S::Consolidation>() != 0;
    a.bypass = r.get<S::Bypass>() != 0;
    if ((r.get<S::CacheMode>() & lib::kCacheModeMask) != (a.cacheMode & lib::kCacheModeMask)) {
        notes.push_back("controller " + std::to_string(at.w1) + ": array " + std::to_string(a.id) +
                        " has cache bits " + hex(r.get<S::CacheMode>()) + " in its settings and " +
                        hex(a.cacheMode) + " in its record; the copy keeps the record's");
    }
}

void readControllerSettings(const Address& at, sim::Controller& c, std::vector<std::string>& notes) {
    using S = lib::ControllerSettings;
    std::uint8_t record[S::kSize] = {};
    Request request(at.w1, 1);
    if (hx_getControllerSettings(at.w1, at.w2, at.w3, request.bytes, record, S::kSize) != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": its settings could not be read; the copy has the defaults");
        return;
    }
    const rec::ByteView r(record, sizeof record);
    c.settings = sim::globalSettingsFrom(r);
}

void readCamSettings(const Address& at, sim::Controller& c, std::vector<std::string>& notes) {
    using B = lib::CamSettingBlock;
    for (const std::uint32_t copy : {lib::kCamSavedCopy, lib::kCamCurrentCopy}) {
        std::uint8_t block[B::kSize] = {};
        if (hx_GetCAMSetting(at.w1, at.w2, at.w3, lib::kCamTarget, copy, block, B::kSize) != 0) {
            notes.push_back("controller " + std::to_string(at.w1) + ": its " +
                            (copy == lib::kCamSavedCopy ? "saved" : "current") +
                            " CAM settings could not be read; the copy has the default");
            continue;
        }
        const std::uint32_t bits = rec::ByteView(block, sizeof block).get<B::Bits>();
        (copy == lib::kCamSavedCopy ? c.cam.saved : c.cam.current) = bits;
    }
}

// The schedules, walked over the whole buffer (the listing stops at its
// first kilobyte, but the head counts them all). Each entry becomes a
// schedule as the controller would keep it; one it would refuse is left
// out with a note.
void readSchedules(const Address& at, sim::Controller& c, std::vector<std::string>& notes) {
    std::vector<std::uint8_t> buffer(lib::kScheduleBufferSize, 0);
    std::uint8_t key[lib::ScheduleKey::kSize] = {};
    rec::ByteSpan(key, sizeof key).put<lib::ScheduleKey::Selector>(lib::kScheduleKeyAll);
    if (hx_getBGASchedule(at.w1, at.w2, at.w3, key, buffer.data(), lib::kScheduleBufferSize) != 0) {
        notes.push_back("controller " + std::to_string(at.w1) + ": the schedules could not be read");
        return;
    }
    const rec::ByteView reply(buffer.data(), buffer.size());
    const rec::ByteView wanted = reply.sub<lib::ScheduleBufferHead::EntryCounts>();
    std::array<int, lib::kScheduleTypeCount> counted{};
    std::size_t offset = lib::ScheduleBufferHead::kSize;
    while (offset < reply.size() && lib::ScheduleEntry::kSize <= reply.size() - offset) {
        bool allCounted = true;
        for (std::size_t t = 0; t < lib::kScheduleTypeCount; ++t) {
            if (counted[t] < wanted.at<std::uint8_t>(t)) allCounted = false;
        }
        if (allCounted) break;
        const rec::ByteView rest = reply.sub(offset, reply.size() - offset);
        const std::uint8_t type = rest.get<lib::ScheduleEntry::Type>();
        if (type >= lib::kScheduleTypeCount) {
            offset += lib::ScheduleEntry::kSize;
            continue;
        }
        const std::size_t length = lib::scheduleEntryLength(rest);
        if (length > rest.size()) break;
        ++counted[type];
        offset += length;
        const std::string which = std::string(codes::nameOf(lib::kScheduleTypeNames, type, "?")) + " " +
                                  std::to_string(rest.get<lib::ScheduleEntry::Sequence>());
        if (counted[type] > sim::kMaxSchedules[type]) {
            notes.push_back("controller " + std::to_string(at.w1) + ": schedule " + which +
                            " is more than the controller keeps of its type; left out");
            continue;
        }
        sim::Schedule schedule;
        if (sim::scheduleFromEntry(c, rest.sub(0, length), &schedule) != sim::ScheduleOutcome::Ok) {
            notes.push_back("controller " + std::to_string(at.w1) + ": schedule " + which +
                            " is not one the controller would keep; left out");
            continue;
        }
        c.schedules.push_back(schedule);
    }
}

std::array<std::uint32_t, 4> versionAt(const rec::ByteView& four) {
    return {four.at<std::uint32_t>(0), four.at<std::uint32_t>(4), four.at<std::uint32_t>(8), four.at<std::uint32_t>(12)};
}

// What the controller says about itself: its record, firmware and driver
// versions and its discovery path. Each part the library does not give
// keeps the model's default.
void readIdentity(const Address& at, sim::Controller& c) {
    {
        using A = lib::AdapterInfo;
        std::vector<std::uint8_t> record(A::kSize, 0);
        Request request(0, 1, lib::kControllerInfoAdapter);
        if (hx_getControllerInfo(at.w1, at.w2, at.w3, request.bytes, record.data(), A::kSize) == 0) {
            const rec::ByteView r(record.data(), record.size());
            c.controllerId = r.get<A::DeviceId>();
            c.productId = r.get<A::ProductId>();
            c.subProductId = r.get<A::SubProductId>();
            c.biosVersion = versionAt(r.sub<A::BiosVersion>());
            c.eccMemory = r.get<A::MemoryType>() != 0;
            c.memorySizeMb = r.get<A::MemorySizeMb>();
        }
    }
    {
        using F = lib::AdapterFirmwareInfo;
        std::uint8_t record[F::kSize] = {};
        Request request(0, 1, lib::kControllerInfoFirmware);
        if (hx_getControllerInfo(at.w1, at.w2, at.w3, request.bytes, record, F::kSize) == 0) {
            c.firmwareVersion = versionAt(rec::ByteView(record, sizeof record).sub<F::FirmwareVersion>());
        }
    }
    {
        std::uint8_t record[lib::DriverInfo::kSize] = {};
        if (hx_getDriverInfo(at.w1, at.w2, at.w3, record) == 0) {
            c.driverVersion = versionAt(rec::ByteView(record, sizeof record).sub<lib::DriverInfo::DriverVersion>());
        }
    }
    {
        using D = lib::DiscoverPath;
        std::vector<std::uint8_t> record(lib::kDiscoverPathBufferSize, 0);
        if (hx_getDiscoverPath(at.w1, at.w2, record.data(), lib::kDiscoverPathBufferSize) == 0) {
            const rec::ByteView r(record.data(), record.size());
            c.discoverPath = r.text<D::Path>();
            c.subsystemId = r.get<D::SubsystemId>();
        }
    }
}

void readHost(const Address& at, sim::State& state) {
    std::vector<std::uint8_t> record(lib::HostInfo::kSize, 0);
    if (hx_getHostInfo(at.w1, at.w2, at.w3, record.data(), lib::HostInfo::kSize) == 0) {
        state.hostOs = rec::ByteView(record.data(), record.size()).text<lib::HostInfo::OsVersion>();
    }
}

void readIgnoredEvents(sim::State& state) {
    std::vector<std::uint8_t> list(lib::kIgnoreListSize, 0);
    if (hx_getIgnoreEventList(list.data(), lib::kIgnoreListSize) != 0) return;
    const rec::ByteView codes(list.data(), list.size());
    for (std::size_t at = 0; at + 4 <= codes.size(); at += 4) {
        const std::uint32_t code = codes.at<std::uint32_t>(at);
        if (code == 0) break;
        state.ignoredEvents.push_back(code);
    }
}

sim::Controller readController(const Address& at, Captured& out) {
    sim::Controller c;
    readIdentity(at, c);
    std::vector<DiskCapture> disks = readDisks(at, out.notes);
    for (DiskCapture& d : disks) readDiskSettings(at, d.disk, out.notes);
    c.arrays = readArrays(at, out.notes);
    for (sim::Array& a : c.arrays) readArraySettings(at, a, out.notes);
    for (DiskCapture& d : disks) c.disks.push_back(d.disk);
    // The model derives an extent's flags from its role and its array;
    // where that does not give what the library reported (an activity
    // running at capture, a combination of bits no role gives), the copy
    // reports the captured flags as they were.
    for (std::size_t i = 0; i < c.disks.size(); ++i) {
        sim::Disk& d = c.disks[i];
        for (std::size_t k = 0; k < d.extents.size(); ++k) {
            if (sim::reportedExtentFlags(c, d, d.extents[k]) != disks[i].flags[k]) {
                d.extents[k].reportedFlags = disks[i].flags[k];
            }
        }
    }
    readControllerSettings(at, c, out.notes);
    readCamSettings(at, c, out.notes);
    readSchedules(at, c, out.notes);
    out.disks += c.disks.size();
    for (const sim::Disk& d : c.disks) out.extents += d.extents.size();
    out.arrays += c.arrays.size();
    out.schedules += c.schedules.size();
    return c;
}

}  // namespace

Captured captureFromLibrary(std::optional<int> controller, std::optional<std::uint32_t> clock) {
    LibrarySession library;
    if (library.count() == 0) throw Refusal("the management library finds no controller");
    std::vector<std::uint32_t> wanted;
    if (controller) {
        if (*controller < 0 || static_cast<std::uint32_t>(*controller) >= library.count()) {
            throw Refusal("no controller " + std::to_string(*controller) + " (the library finds " +
                          std::to_string(library.count()) + ")");
        }
        wanted.push_back(static_cast<std::uint32_t>(*controller));
    } else {
        for (std::uint32_t i = 0; i < library.count() && i < static_cast<std::uint32_t>(kMaxControllers); ++i) {
            wanted.push_back(i);
        }
        if (library.count() > static_cast<std::uint32_t>(kMaxControllers)) {
            throw Refusal("the library finds " + std::to_string(library.count()) + " controllers, more than the " +
                          std::to_string(kMaxControllers) + " a state takes; name one with -c");
        }
    }
    Captured out;
    out.state.clock = clock;
    out.state.ports.clear();
    out.state.controllers.clear();
    readHost(Address{wanted.front()}, out.state);
    readIgnoredEvents(out.state);
    for (const std::uint32_t w1 : wanted) {
        out.state.controllers.push_back(readController(Address{w1}, out));
        sim::Port port;
        port.kind = sim::PortKind::Talo;
        port.controller = static_cast<int>(out.state.controllers.size() - 1);
        out.state.ports.push_back(port);
    }
    // A schedule follows the clock from the capture on: occurrences before
    // it were the original's to run.
    const std::uint32_t now = sim::currentTime(out.state);
    for (sim::Controller& c : out.state.controllers) {
        for (sim::Schedule& s : c.schedules) s.checkedUntil = now;
    }
    return out;
}


std::string capture(const CaptureRequest& request) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (request.output.empty()) throw Refusal("no output file: give -o FILE");
    const fs::path output(request.output);
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) {
        throw Refusal("folder '" + folder.string() + "' of the output file does not exist");
    }
    if (fs::is_directory(output, error)) throw Refusal("'" + request.output + "' is a folder");
    if (fs::exists(fs::symlink_status(output, error)) && !request.force) {
        throw Refusal("'" + request.output + "' exists; give --force to replace it");
    }
    const bool builtInDemo = request.statePath == kit::kBuiltInDemo;
    if (!request.statePath.empty() && !builtInDemo && !fs::exists(request.statePath, error)) {
        throw Refusal("state file '" + request.statePath + "' does not exist");
    }
    // A state named, the simulator kit serves it; else the maker's library
    // answers, or the kit where nothing real could.
    hxbind::Request libraries;
    libraries.program = "talo-sim";
    libraries.statePath = request.statePath.empty() ? nullptr : request.statePath.c_str();
    libraries.systemHasDriver = platform::systemHasControllerDriver();
    if (hxbind::bindLibraries(libraries).source == hxbind::Source::None) {
        std::string why = hxbind::libraryUnavailableLine();
        while (!why.empty() && why.back() == '\n') why.pop_back();
        throw Refusal(why);
    }
    const Captured captured = captureFromLibrary(request.controller, request.clock);
    for (const std::string& note : captured.notes) std::fprintf(stderr, "talo-sim: note: %s\n", note.c_str());
    sim::Store(request.output).replace(captured.state);
    const auto counted = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    return "captured " + counted(captured.state.controllers.size(), "controller") + " into " + request.output +
           ": " + counted(captured.disks, "disk") + ", " + counted(captured.extents, "extent") + ", " +
           counted(captured.arrays, "array") + ", " + counted(captured.schedules, "schedule");
}

}  // namespace simtool

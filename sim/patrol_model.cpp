#include "sim/patrol_model.h"

#include <algorithm>
#include <string>
#include <vector>

#include "access/library_records.h"
#include "access/patrol_records.h"
#include "sim/disk_media.h"
#include "sim/replies.h"

namespace sim {

namespace {

bool patrolling(const DiskPatrol& p) {
    return p.state == lib::PATROL_STATE_RUNNING || p.state == lib::PATROL_STATE_PAUSED ||
           p.state == lib::PATROL_STATE_AUTOPAUSED;
}

DiskPatrol& patrolOf(Controller& c, int diskId) {
    for (DiskPatrol& p : c.patrols) {
        if (p.disk == diskId) return p;
    }
    DiskPatrol p;
    p.disk = diskId;
    c.patrols.push_back(p);
    return c.patrols.back();
}

void notePatrol(Controller& c, const char* what, int diskId, std::uint32_t now, int severity = kSeverityInformation) {
    queueEvent(c, kEventPatrol, severity, std::string("Media patrol ") + what + " on disk " + std::to_string(diskId),
               "", now);
}

// Adds the sectors [from, to) met by an access of the kind to the list,
// leaving out sectors it holds already; a run that continues the list's
// last one with the same error lengthens it.
void logRun(std::vector<BadSectorRun>& list, std::size_t capacity, std::uint64_t from, std::uint64_t to,
            std::uint8_t type, std::uint8_t access) {
    std::uint64_t cursor = from;
    while (cursor < to) {
        std::uint64_t end = to;
        bool held = false;
        for (const BadSectorRun& r : list) {
            const std::uint64_t rEnd = r.lba + r.count;
            if (r.lba <= cursor && cursor < rEnd) {
                held = true;
                end = std::min(end, rEnd);
            } else if (r.lba > cursor) {
                end = std::min(end, r.lba);
            }
        }
        if (!held) {
            BadSectorRun* last = list.empty() ? nullptr : &list.back();
            if (last != nullptr && last->lba + last->count == cursor && last->type == type &&
                last->access == access && last->count + (end - cursor) <= 0xFFFF) {
                last->count += static_cast<std::uint32_t>(end - cursor);
            } else if (list.size() < capacity) {
                list.push_back(BadSectorRun{cursor, static_cast<std::uint32_t>(std::min<std::uint64_t>(end - cursor, 0xFFFF)),
                                            type, access});
                end = cursor + list.back().count;
            }
        }
        cursor = end;
    }
}

// Looks for simulated errors in the sectors [from, to): the sectors split
// into stretches that the same errors cover, and a stretch where a verify
// meets an error is bad.
void meetErrors(DiskPatrol& p, const Disk& disk, std::uint64_t from, std::uint64_t to) {
    if (from >= to) return;
    std::vector<std::uint64_t> cuts{from, to};
    for (const SimulatedError& e : disk.simulatedErrors) {
        if ((e.flags & kErrorFlagVerify) == 0) continue;
        const std::uint64_t start = e.lba;
        const std::uint64_t end = start + e.count;
        if (end <= from || start >= to) continue;
        cuts.push_back(std::max(start, from));
        cuts.push_back(std::min(end, to));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const SimulatedError* e = simulatedErrorAt(disk, cuts[i], kErrorFlagVerify);
        if (e == nullptr) continue;
        const std::uint64_t n = cuts[i + 1] - cuts[i];
        p.errorCount = static_cast<std::uint16_t>(std::min<std::uint64_t>(p.errorCount + n, 0xFFFF));
        logRun(p.badSectors, kBadSectorLogCapacity, cuts[i], cuts[i + 1], e->type, kErrorFlagVerify);
        logRun(p.errorTable, kErrorTableCapacity, cuts[i], cuts[i + 1], e->type, kErrorFlagVerify);
    }
}

std::uint64_t patrolledSectors(const Disk& disk) { return disk.sectors; }

// Brings a running patrol up to now; true when its pass completed.
bool advance(Controller& c, DiskPatrol& p, const Disk& disk, std::uint32_t now) {
    if (p.state != lib::PATROL_STATE_RUNNING) return false;
    const std::uint64_t done = patrolSectorsDone(p, disk, now);
    meetErrors(p, disk, p.checkedTo, done);
    p.checkedTo = std::max(p.checkedTo, done);
    if (done < patrolledSectors(disk)) return false;
    const std::uint64_t left = patrolledSectors(disk) - std::min(p.doneBefore, patrolledSectors(disk));
    const std::uint64_t total = std::max<std::uint64_t>(patrolledSectors(disk), 1);
    const auto finished = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(p.runningSince + left * patrolDurationSeconds(p.rate) / total, now));
    p.state = lib::PATROL_STATE_IDLE;
    p.doneBefore = patrolledSectors(disk);
    p.runningSince = finished;
    if (p.runLoops < 0xFFFF) ++p.runLoops;
    notePatrol(c, "completed", disk.id, finished);
    return true;
}

// Makes what is done so far stay done; the rest runs from now.
void rebase(DiskPatrol& p, const Disk& disk, std::uint32_t now) {
    p.doneBefore = patrolSectorsDone(p, disk, now);
    p.runningSince = now;
}

std::uint16_t percentDone(const DiskPatrol& p, const Disk& disk, std::uint32_t now) {
    const std::uint64_t total = patrolledSectors(disk);
    if (total == 0) return p.runLoops > 0 ? 100 : 0;
    return static_cast<std::uint16_t>(patrolSectorsDone(p, disk, now) * 100 / total);
}

std::uint32_t watermarkOf(const DiskPatrol& p, const Disk& disk, std::uint32_t now) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(patrolSectorsDone(p, disk, now), 0xFFFFFFFFu));
}

}  // namespace

std::uint64_t patrolSectorsDone(const DiskPatrol& p, const Disk& disk, std::uint32_t now) {
    const std::uint64_t total = patrolledSectors(disk);
    std::uint64_t done = std::min(p.doneBefore, total);
    if (p.state == lib::PATROL_STATE_RUNNING && now > p.runningSince) {
        const std::uint64_t duration = patrolDurationSeconds(p.rate);
        const std::uint64_t elapsed = std::min<std::uint64_t>(now - p.runningSince, duration);
        done += elapsed * total / duration;
    }
    return std::min(done, total);
}

const DiskPatrol* findPatrol(const Controller& c, int diskId) {
    for (const DiskPatrol& p : c.patrols) {
        if (p.disk == diskId) return &p;
    }
    return nullptr;
}

Outcome controlPatrol(State& state, Controller& c, int diskId, PatrolControl action) {
    Disk* disk = diskById(c, diskId);
    if (disk == nullptr || !diskVisible(*disk)) return Outcome::NoSuchDisk;
    const std::uint32_t now = currentTime(state);
    const DiskPatrol* known = findPatrol(c, diskId);
    if (known != nullptr) advance(c, patrolOf(c, diskId), *disk, now);
    switch (action) {
        case PatrolControl::Start: {
            if (disk->failed) return Outcome::BadRequest;
            if (known != nullptr && patrolling(*known)) return Outcome::Busy;
            DiskPatrol& p = patrolOf(c, diskId);
            p.state = lib::PATROL_STATE_RUNNING;
            p.startTime = now;
            p.resumeTime = 0xFFFFFFFFu;
            p.runningSince = now;
            p.doneBefore = 0;
            p.checkedTo = 0;
            p.rate = c.settings.patrolRate;
            notePatrol(c, "started", diskId, now);
            return Outcome::Ok;
        }
        case PatrolControl::Pause: {
            if (known == nullptr || known->state != lib::PATROL_STATE_RUNNING) return Outcome::NothingRunning;
            DiskPatrol& p = patrolOf(c, diskId);
            rebase(p, *disk, now);
            p.state = lib::PATROL_STATE_PAUSED;
            notePatrol(c, "paused", diskId, now);
            return Outcome::Ok;
        }
        case PatrolControl::Resume: {
            if (known == nullptr || (known->state != lib::PATROL_STATE_PAUSED &&
                                     known->state != lib::PATROL_STATE_AUTOPAUSED)) {
                return Outcome::NothingRunning;
            }
            DiskPatrol& p = patrolOf(c, diskId);
            p.state = lib::PATROL_STATE_RUNNING;
            p.runningSince = now;
            p.resumeTime = now;
            p.rate = c.settings.patrolRate;
            notePatrol(c, "resumed", diskId, now);
            return Outcome::Ok;
        }
        case PatrolControl::Abort: {
            if (known == nullptr || !patrolling(*known)) return Outcome::NothingRunning;
            DiskPatrol& p = patrolOf(c, diskId);
            rebase(p, *disk, now);
            p.state = lib::PATROL_STATE_ABORTED;
            notePatrol(c, "aborted", diskId, now);
            return Outcome::Ok;
        }
    }
    return Outcome::BadRequest;
}

void advancePatrols(State& state) {
    const std::uint32_t now = currentTime(state);
    for (Controller& c : state.controllers) {
        for (DiskPatrol& p : c.patrols) {
            const Disk* disk = findDisk(c, p.disk);
            if (disk == nullptr) continue;
            advance(c, p, *disk, now);
            // A disk pulled from its slot or failed ends its patrol where it was.
            if (patrolling(p) && (!diskVisible(*disk) || disk->failed)) {
                if (p.state == lib::PATROL_STATE_RUNNING) rebase(p, *disk, now);
                p.state = lib::PATROL_STATE_ABORTED;
                notePatrol(c, "aborted", disk->id, now, kSeverityWarning);
            }
        }
    }
}

void changePatrolRate(State& state, Controller& c, std::uint8_t rate) {
    const std::uint32_t now = currentTime(state);
    for (DiskPatrol& p : c.patrols) {
        const Disk* disk = findDisk(c, p.disk);
        if (disk == nullptr || p.rate == rate) continue;
        if (p.state == lib::PATROL_STATE_RUNNING) {
            advance(c, p, *disk, now);
            if (p.state == lib::PATROL_STATE_RUNNING) rebase(p, *disk, now);
        }
        p.rate = rate;
    }
}

void fillPatrolInfo(const rec::ByteSpan& r, const Controller& c, const Disk& disk, std::uint32_t now) {
    using P = drv::PatrolInfo;
    r.clear();
    const DiskPatrol* p = findPatrol(c, disk.id);
    if (p == nullptr) return;
    r.put<P::Watermark>(watermarkOf(*p, disk, now));
    r.put<P::State>(p->state);
    r.put<P::RunLoopCount>(p->runLoops);
    r.put<P::ErrorCount>(p->errorCount);
    r.put<P::Progress>(percentDone(*p, disk, now));
}

void fillPatrolProgress(const rec::ByteSpan& r, const Controller& c, std::uint32_t now) {
    using P = lib::PatrolProgress;
    std::uint32_t filled = lib::kPatrolProgressEntriesAt;
    for (const Disk& disk : c.disks) {
        if (!diskVisible(disk) || disk.id < 0) continue;
        const std::size_t at = lib::kPatrolProgressEntriesAt + std::size_t{P::kSize} * static_cast<std::size_t>(disk.id);
        if (at + P::kSize > r.size()) continue;
        const rec::ByteSpan e = r.sub(at, P::kSize);
        e.clear();
        e.put<P::DiskId>(static_cast<std::uint16_t>(disk.id));
        e.put<P::ResumeTime>(0xFFFFFFFFu);
        if (const DiskPatrol* p = findPatrol(c, disk.id)) {
            e.put<P::Watermark>(watermarkOf(*p, disk, now));
            e.put<P::State>(p->state);
            e.put<P::RunLoopCount>(p->runLoops);
            e.put<P::ErrorCount>(p->errorCount);
            e.put<P::Progress>(percentDone(*p, disk, now));
            e.put<P::StartTime>(p->startTime);
            e.put<P::ResumeTime>(p->resumeTime);
        }
        filled = std::max<std::uint32_t>(filled, static_cast<std::uint32_t>(at + P::kSize));
    }
    r.put<lib::InfoReplyHeader::BytesFilled>(filled);
}

void fillBadSectorLog(const rec::ByteSpan& r, const Controller& c, const Disk& disk) {
    using E = lib::BslEntry;
    std::uint32_t filled = lib::kBslEntriesAt;
    const DiskPatrol* p = findPatrol(c, disk.id);
    if (p != nullptr) {
        for (const BadSectorRun& run : p->badSectors) {
            if (filled + E::kSize > r.size()) break;
            const rec::ByteSpan e = r.sub(filled, E::kSize);
            e.clear();
            e.put<E::Count>(static_cast<std::uint16_t>(run.count));
            e.put<E::Status>(run.type);
            e.put<E::Flags>(run.access);
            e.put<E::LbaHigh>(static_cast<std::uint32_t>(run.lba >> 32));
            e.put<E::LbaLow>(static_cast<std::uint32_t>(run.lba));
            filled += E::kSize;
        }
        if (p->reportedLogBytes) filled = *p->reportedLogBytes;
    }
    r.put<lib::InfoReplyHeader::BytesFilled>(filled);
}

void fillErrorTable(const rec::ByteSpan& r, const Controller& c, const Disk& disk, std::uint64_t fromLba) {
    using H = lib::ErrorTableHead;
    using E = lib::ErrorTableEntry;
    r.clear();
    r.put<H::Signature>(lib::kErrorTableSignature);
    r.put<H::Version>(lib::kErrorTableVersion);
    const DiskPatrol* p = findPatrol(c, disk.id);
    if (p == nullptr) return;
    std::size_t at = H::kSize;
    for (const BadSectorRun& run : p->errorTable) {
        if (run.lba + run.count <= fromLba) continue;
        if (at + E::kSize > r.size()) break;
        const rec::ByteSpan e = r.sub(at, E::kSize);
        e.put<E::LbaLow>(static_cast<std::uint32_t>(run.lba));
        e.put<E::LbaHigh>(static_cast<std::uint32_t>(run.lba >> 32));
        e.put<E::Status>(run.type);
        e.put<E::Count>(static_cast<std::uint16_t>(lib::kErrorTableEntryValid | std::min<std::uint32_t>(run.count, 0x7FFF)));
        at += E::kSize;
    }
}

}  // namespace sim

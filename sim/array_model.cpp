#include "sim/array_model.h"
#include "sim/hardware_model.h"

#include <algorithm>

#include "access/library_records.h"
#include "sim/patrol_model.h"

namespace sim {

namespace {

constexpr std::uint64_t kSectorsPerGiB = 2097152;

const char* activityName(ActivityKind kind) {
    switch (kind) {
        case ActivityKind::Rebuild: return "Rebuild";
        case ActivityKind::Init: return "Initialization";
        case ActivityKind::Sync: return "Synchronization";
        case ActivityKind::Check: return "Redundancy check";
        case ActivityKind::Migration: return "Migration";
        case ActivityKind::Backup: return "Backup";
    }
    return "Activity";
}

void pushEvent(Controller& c, std::uint32_t id, int severity, const std::string& description,
               int arrayId, std::uint32_t time) {
    queueEvent(c, id, severity, description, std::to_string(arrayId), time);
}

bool redundant(std::uint8_t level) {
    return level == lib::RAID_LEVEL_RAID1 || level == lib::RAID_LEVEL_RAID5 || level == lib::RAID_LEVEL_RAID6 ||
           level == lib::RAID_LEVEL_RAID10 || level == lib::RAID_LEVEL_RAID50;
}

// Members whose data the array holds (the rest hold mirrors or parity), or 0
// when the level cannot be built from n members with these parameters.
std::uint64_t dataMembers(std::uint8_t level, std::size_t n, int parity, int subArrays) {
    switch (level) {
        case lib::RAID_LEVEL_RAID0:
        case lib::RAID_LEVEL_SPAN: return n >= 1 ? n : 0;
        case lib::RAID_LEVEL_RAID1: return n == 2 ? 1 : 0;
        case lib::RAID_LEVEL_RAID10: return n >= 4 && n % 2 == 0 ? n / 2 : 0;
        case lib::RAID_LEVEL_RAID5: return n >= 3 ? n - 1 : 0;
        case lib::RAID_LEVEL_RAID6: {
            const std::size_t p = parity > 0 ? static_cast<std::size_t>(parity) : 2;
            return n >= 3 && p < n ? n - p : 0;
        }
        case lib::RAID_LEVEL_RAID50: {
            if (subArrays < 2 || n < 6 || n % static_cast<std::size_t>(subArrays) != 0) return 0;
            const std::size_t each = n / static_cast<std::size_t>(subArrays);
            return each >= 3 ? static_cast<std::uint64_t>(subArrays) * (each - 1) : 0;
        }
        default: return 0;  // JBOD is no longer created; unknown codes never
    }
}

void renumber(Disk& d) {
    std::sort(d.extents.begin(), d.extents.end(),
              [](const Extent& a, const Extent& b) { return a.start < b.start; });
    for (std::size_t i = 0; i < d.extents.size(); ++i) d.extents[i].index = static_cast<int>(i);
}

// Joins free extents that touch.
void mergeFree(Disk& d) {
    renumber(d);
    std::vector<Extent> merged;
    for (const Extent& e : d.extents) {
        if (!merged.empty() && merged.back().role == ExtentRole::Free && e.role == ExtentRole::Free &&
            merged.back().start + merged.back().size == e.start) {
            merged.back().size += e.size;
            continue;
        }
        merged.push_back(e);
    }
    d.extents = merged;
    renumber(d);
}

void normalizeDisk(Disk& d) {
    if (d.extents.empty() && d.sectors > kReservedSectors) {
        Extent free;
        free.start = kReservedSectors;
        free.size = d.sectors - kReservedSectors;
        d.extents.push_back(free);
    }
}

bool usable(const Extent& e) {
    return e.role == ExtentRole::Free || e.role == ExtentRole::GlobalSpare ||
           e.role == ExtentRole::DedicatedSpare;
}

// The extent a new member would take: the given index, or the first usable
// extent of at least `size` sectors. Null when there is none.
Extent* pickExtent(Disk& d, int index, std::uint64_t size) {
    for (Extent& e : d.extents) {
        if (index >= 0) {
            if (e.index == index) return usable(e) && e.size >= size ? &e : nullptr;
        } else if (e.role == ExtentRole::Free && e.size >= size && e.size > 0) {
            return &e;
        }
    }
    return nullptr;
}

// Gives the extent (or its first `size` sectors, the rest staying free) to
// the array in the role.
void takeExtent(Disk& d, Extent& e, std::uint64_t size, ExtentRole role, int arrayId) {
    if (size > 0 && size < e.size && e.role == ExtentRole::Free) {
        Extent rest = e;
        rest.start = e.start + size;
        rest.size = e.size - size;
        e.size = size;
        e.role = role;
        e.arrayId = arrayId;
        d.extents.push_back(rest);
    } else {
        e.role = role;
        e.arrayId = arrayId;
    }
    renumber(d);
}

// Frees the extents of the array that are in one of the roles.
void releaseExtents(Controller& c, int arrayId, std::initializer_list<ExtentRole> roles,
                    const std::vector<int>* onlyDisks = nullptr) {
    for (Disk& d : c.disks) {
        if (onlyDisks != nullptr &&
            std::find(onlyDisks->begin(), onlyDisks->end(), d.id) == onlyDisks->end()) {
            continue;
        }
        bool changed = false;
        for (Extent& e : d.extents) {
            if (e.arrayId != arrayId) continue;
            if (std::find(roles.begin(), roles.end(), e.role) == roles.end()) continue;
            e.role = ExtentRole::Free;
            e.arrayId = 255;
            e.backupTime = 0;
            changed = true;
        }
        if (changed) mergeFree(d);
    }
}

std::uint64_t memberSize(const Array& a) {
    return a.members.empty() ? 0 : a.rawSectors / a.members.size();
}

// Status flags from the members: every member present is functional; a
// redundant array missing one is critical; otherwise it is offline.
void refreshArrayState(Array& a) {
    std::uint32_t lost = 0;
    int missing = 0;
    for (std::size_t i = 0; i < a.members.size() && i < 32; ++i) {
        if (a.members[i] == kMissingMember) {
            lost |= 1u << i;
            ++missing;
        }
    }
    const std::uint32_t keep = a.flags & (lib::LOGDRV_COND_BACKUPED | lib::LOGDRV_COND_BACKUP);
    std::uint32_t flags = lib::LOGDRV_VALID | keep;
    if (missing == 0) {
        flags |= lib::LOGDRV_COND_FUNCTIONAL;
    } else if (redundant(a.level) && missing == 1) {
        flags |= lib::LOGDRV_COND_FUNCTIONAL | lib::LOGDRV_COND_CRITICAL;
    }
    a.flags = flags;
    a.lostMask = lost;
}

// a * b when it fits in 64 bits; capacities are refused rather than wrapped.
bool productFits(std::uint64_t a, std::uint64_t b, std::uint64_t* product) {
    return !__builtin_mul_overflow(a, b, product);
}

// a * b, or the largest count when it does not fit.
std::uint64_t saturatingProduct(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return productFits(a, b, &product) ? product : ~std::uint64_t{0};
}

std::uint64_t roundDown(std::uint64_t sectors, int rounding) {
    if (rounding == 1) return sectors / kSectorsPerGiB * kSectorsPerGiB;
    if (rounding == 2) return sectors / (10 * kSectorsPerGiB) * (10 * kSectorsPerGiB);
    return sectors;
}

Activity newActivity(ActivityKind kind, std::uint32_t now) {
    Activity a;
    a.kind = kind;
    a.startTime = now;
    a.runningSince = now;
    return a;
}

void finishActivity(Controller& c, Array& a, std::uint32_t when) {
    Activity act = *a.activity;
    a.activity.reset();
    switch (act.kind) {
        case ActivityKind::Rebuild: {
            std::size_t next = 0;
            for (int& m : a.members) {
                if (m == kMissingMember && next < act.targetDisks.size()) m = act.targetDisks[next++];
            }
            refreshArrayState(a);
            break;
        }
        case ActivityKind::Migration: {
            const std::uint64_t perMember = memberSize(a);
            for (int disk : act.targetDisks) a.members.push_back(disk);
            a.level = act.targetLevel;
            a.parityCount = act.parityCount;
            a.symmetric = act.symmetric;
            a.parityShift = act.parityShift;
            a.subArrayCount = act.subArrayCount;
            a.rawSectors = saturatingProduct(perMember, a.members.size());
            a.sectors = saturatingProduct(perMember, dataMembers(a.level, a.members.size(),
                                                                 a.parityCount, a.subArrayCount));
            refreshArrayState(a);
            break;
        }
        case ActivityKind::Backup:
            for (Disk& d : c.disks) {
                for (Extent& e : d.extents) {
                    if (e.arrayId != a.id) continue;
                    if (e.role == ExtentRole::LatestBackup) e.role = ExtentRole::Backup;
                }
            }
            for (Disk& d : c.disks) {
                if (std::find(act.targetDisks.begin(), act.targetDisks.end(), d.id) ==
                    act.targetDisks.end()) {
                    continue;
                }
                for (Extent& e : d.extents) {
                    if (e.arrayId == a.id && e.role == ExtentRole::Backup && e.backupTime == 0) {
                        e.role = ExtentRole::LatestBackup;
                        e.backupTime = when;
                    }
                }
            }
            a.flags |= lib::LOGDRV_COND_BACKUPED | lib::LOGDRV_COND_BACKUP;
            break;
        case ActivityKind::Init:
        case ActivityKind::Sync:
        case ActivityKind::Check: break;
    }
    pushEvent(c, kEventActivityFinished, kSeverityInformation,
              std::string(activityName(act.kind)) + " completed", a.id, when);
}

Outcome beginActivity(State& state, Controller& c, Array& a, Activity act) {
    (void)state;
    const std::uint32_t now = act.startTime;
    pushEvent(c, kEventActivityStarted, kSeverityInformation,
              std::string(activityName(act.kind)) + " started", a.id, now);
    act.rate = activityRate(c.settings, act.kind);
    a.activity = std::move(act);
    return Outcome::Ok;
}

// Takes extents for new members on the given disks, each of `size` sectors.
// Nothing is taken unless every member finds one.
Outcome takeMembers(Controller& c, const std::vector<MemberChoice>& members, std::uint64_t size,
                    ExtentRole role, int arrayId, std::vector<int>* disks) {
    std::vector<std::pair<Disk*, Extent*>> picked;
    for (const MemberChoice& m : members) {
        Disk* d = diskById(c, m.disk);
        if (d == nullptr) return Outcome::NoSuchDisk;
        for (const auto& p : picked) {
            if (p.first == d) return Outcome::BadRequest;  // a disk holds one member
        }
        Extent* e = pickExtent(*d, m.extent, size);
        if (e == nullptr) return Outcome::NoSpace;
        picked.emplace_back(d, e);
    }
    for (auto& [d, e] : picked) {
        takeExtent(*d, *e, size, role, arrayId);
        if (disks != nullptr) disks->push_back(d->id);
    }
    return Outcome::Ok;
}

// The spare a rebuild onto the disk takes when no extent is named: one
// dedicated to the array, else a global one, at least `size` sectors; -1
// when the disk has none.
int spareFor(const Disk& d, int arrayId, std::uint64_t size) {
    for (ExtentRole role : {ExtentRole::DedicatedSpare, ExtentRole::GlobalSpare}) {
        for (const Extent& e : d.extents) {
            if (e.role != role || e.size < size) continue;
            if (role == ExtentRole::DedicatedSpare && e.arrayId != arrayId) continue;
            return e.index;
        }
    }
    return -1;
}

}  // namespace

void refreshMembers(Array& a) { refreshArrayState(a); }

Array* arrayById(Controller& c, int id) {
    for (Array& a : c.arrays) {
        if (a.id == id) return &a;
    }
    return nullptr;
}

Disk* diskById(Controller& c, int id) {
    for (Disk& d : c.disks) {
        if (d.id == id) return &d;
    }
    return nullptr;
}

void loseDisk(Controller& c, int diskId) {
    for (Array& a : c.arrays) {
        bool lost = false;
        for (int& m : a.members) {
            if (m == diskId) {
                m = kMissingMember;
                lost = true;
            }
        }
        if (!lost) continue;
        const std::vector<int> only{diskId};
        releaseExtents(c, a.id, {ExtentRole::Assigned}, &only);
        refreshArrayState(a);
    }
}

void settleState(State& state) {
    for (Controller& c : state.controllers) {
        for (Disk& d : c.disks) normalizeDisk(d);
    }
    runDueSchedules(state);
    finishDueActivities(state);
    advancePatrols(state);
}

void finishDueActivities(State& state) {
    const std::uint32_t now = currentTime(state);
    for (Controller& c : state.controllers) {
        for (Array& a : c.arrays) {
            if (!a.activity || a.activity->paused) continue;
            if (activityProgress(*a.activity, now) < 1000) continue;
            const std::uint64_t left =
                (1000 - std::min<std::uint32_t>(a.activity->doneBefore, 1000)) *
                static_cast<std::uint64_t>(activityDurationSeconds(*a.activity)) / 1000;
            finishActivity(c, a, static_cast<std::uint32_t>(a.activity->runningSince + left));
        }
    }
    settleHardware(state);
}

Outcome createArray(State& state, Controller& c, const NewArray& request, int* newId) {
    const std::size_t n = request.members.size();
    const std::uint64_t data = dataMembers(request.level, n, request.parityCount, request.subArrayCount);
    if (data == 0 || request.stripeSectors == 0) return Outcome::BadRequest;
    if (request.sectorSize != 512 && request.sectorSize != 1024 && request.sectorSize != 2048 &&
        request.sectorSize != 4096) {
        return Outcome::BadRequest;
    }
    int id = 0;
    while (id < 128 && arrayById(c, id) != nullptr) ++id;
    if (id == 128) return Outcome::NoSpace;

    // Every member takes the same number of sectors: what the request asks
    // for, or what the smallest extent chosen holds.
    std::uint64_t each = 0;
    if (request.fromSize && request.sizeMb > 0) {
        std::uint64_t wanted = 0;
        if (!productFits(request.sizeMb, 2048, &wanted)) return Outcome::BadRequest;
        each = wanted / data + (wanted % data != 0 ? 1 : 0);
    } else {
        std::uint64_t smallest = ~std::uint64_t{0};
        for (const MemberChoice& m : request.members) {
            Disk* d = diskById(c, m.disk);
            if (d == nullptr) return Outcome::NoSuchDisk;
            Extent* e = pickExtent(*d, request.fromSize ? -1 : m.extent, 1);
            if (e == nullptr) return Outcome::NoSpace;
            smallest = std::min(smallest, e->size);
        }
        each = smallest;
    }
    std::uint64_t dataSectors = 0;
    std::uint64_t rawSectors = 0;
    if (!productFits(each, data, &dataSectors) || !productFits(each, n, &rawSectors)) {
        return Outcome::BadRequest;  // more sectors than a 64-bit count holds
    }
    const std::uint64_t usableSectors = roundDown(dataSectors, request.rounding);
    if (usableSectors == 0) return Outcome::NoSpace;

    std::vector<MemberChoice> members = request.members;
    if (request.fromSize) {
        for (MemberChoice& m : members) m.extent = -1;
    }
    std::vector<int> disks;
    const Outcome taken = takeMembers(c, members, each, ExtentRole::Assigned, id, &disks);
    if (taken != Outcome::Ok) return taken;

    Array a;
    a.id = id;
    a.level = request.level;
    a.members = disks;
    a.stripeSectors = request.stripeSectors;
    a.name = request.name.substr(0, 63);
    a.parityCount = request.level == lib::RAID_LEVEL_RAID6 ? (request.parityCount > 0 ? request.parityCount : 2) : 0;
    a.symmetric = request.level == lib::RAID_LEVEL_RAID6 ? request.symmetric : 0;
    a.parityShift = request.level == lib::RAID_LEVEL_RAID6 ? request.parityShift : 0;
    a.subArrayCount = request.level == lib::RAID_LEVEL_RAID50 ? request.subArrayCount : 0;
    a.sectorSize = request.sectorSize;
    a.rawSectors = rawSectors;
    a.sectors = usableSectors;
    refreshArrayState(a);
    const std::uint32_t now = currentTime(state);
    c.arrays.push_back(a);
    std::sort(c.arrays.begin(), c.arrays.end(),
              [](const Array& x, const Array& y) { return x.id < y.id; });
    pushEvent(c, kEventArrayCreated, kSeverityInformation, "Array created", id, now);
    if (newId != nullptr) *newId = id;
    if (request.initKind != lib::INIT_KIND_NONE) {
        const int kind = request.initKind & lib::INIT_KIND_BACKGROUND   ? lib::INIT_KIND_BACKGROUND
                         : request.initKind & lib::INIT_KIND_FOREGROUND ? lib::INIT_KIND_FOREGROUND
                                                                        : lib::INIT_KIND_QUICK;
        startInit(state, c, id, kind);
    }
    return Outcome::Ok;
}

Outcome deleteArray(State& state, Controller& c, int arrayId) {
    auto it = std::find_if(c.arrays.begin(), c.arrays.end(),
                           [&](const Array& a) { return a.id == arrayId; });
    if (it == c.arrays.end()) return Outcome::NoSuchArray;
    c.arrays.erase(it);
    releaseExtents(c, arrayId, {ExtentRole::Assigned, ExtentRole::DedicatedSpare});
    pushEvent(c, kEventArrayDeleted, kSeverityWarning, "Array deleted", arrayId, currentTime(state));
    return Outcome::Ok;
}

Outcome deleteBackup(State& state, Controller& c, int arrayId) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity && a->activity->kind == ActivityKind::Backup) return Outcome::Busy;
    bool any = false;
    for (const Disk& d : c.disks) {
        for (const Extent& e : d.extents) {
            any |= e.arrayId == arrayId &&
                   (e.role == ExtentRole::Backup || e.role == ExtentRole::LatestBackup);
        }
    }
    if (!any && (a->flags & (lib::LOGDRV_COND_BACKUP | lib::LOGDRV_COND_BACKUPED)) == 0) {
        return Outcome::NothingRunning;
    }
    releaseExtents(c, arrayId, {ExtentRole::Backup, ExtentRole::LatestBackup});
    a->flags &= ~(lib::LOGDRV_COND_BACKUP | lib::LOGDRV_COND_BACKUPED);
    pushEvent(c, kEventBackupDeleted, kSeverityInformation, "Backup deleted", arrayId,
              currentTime(state));
    return Outcome::Ok;
}

Outcome startInit(State& state, Controller& c, int arrayId, int initKind) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity) return Outcome::Busy;
    if (initKind != lib::INIT_KIND_QUICK && initKind != lib::INIT_KIND_FOREGROUND &&
        initKind != lib::INIT_KIND_BACKGROUND) {
        return Outcome::BadRequest;
    }
    Activity act = newActivity(ActivityKind::Init, currentTime(state));
    act.initKind = initKind;
    return beginActivity(state, c, *a, act);
}

Outcome startSync(State& state, Controller& c, int arrayId, bool check) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity) return Outcome::Busy;
    if (!redundant(a->level) || a->lostMask != 0) return Outcome::BadRequest;
    return beginActivity(state, c, *a,
                         newActivity(check ? ActivityKind::Check : ActivityKind::Sync,
                                     currentTime(state)));
}

Outcome startRebuild(State& state, Controller& c, int arrayId,
                     const std::vector<MemberChoice>& targets) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity) return Outcome::Busy;
    const auto missing = static_cast<std::size_t>(
        std::count(a->members.begin(), a->members.end(), kMissingMember));
    if (!redundant(a->level) || missing == 0 || targets.empty() || targets.size() > missing) {
        return Outcome::BadRequest;
    }
    for (const MemberChoice& t : targets) {
        if (std::find(a->members.begin(), a->members.end(), t.disk) != a->members.end()) {
            return Outcome::BadRequest;
        }
    }
    Activity act = newActivity(ActivityKind::Rebuild, currentTime(state));
    std::vector<MemberChoice> chosen = targets;
    for (MemberChoice& t : chosen) {
        const Disk* d = diskById(c, t.disk);
        if (t.extent < 0 && d != nullptr) t.extent = spareFor(*d, arrayId, memberSize(*a));
    }
    const Outcome taken =
        takeMembers(c, chosen, memberSize(*a), ExtentRole::Assigned, arrayId, &act.targetDisks);
    if (taken != Outcome::Ok) return taken;
    for (const MemberChoice& t : chosen) act.targetExtents.push_back(t.extent);
    return beginActivity(state, c, *a, act);
}

Outcome startBackup(State& state, Controller& c, int arrayId, const std::vector<int>& disks) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity) return Outcome::Busy;
    if (disks.empty()) return Outcome::BadRequest;
    std::vector<MemberChoice> targets;
    for (int d : disks) {
        if (std::find(a->members.begin(), a->members.end(), d) != a->members.end()) {
            return Outcome::BadRequest;  // a backup never lives on the array's own disks
        }
        targets.push_back(MemberChoice{d, -1});
    }
    Activity act = newActivity(ActivityKind::Backup, currentTime(state));
    const Outcome taken =
        takeMembers(c, targets, a->sectors, ExtentRole::Backup, arrayId, &act.targetDisks);
    if (taken != Outcome::Ok) return taken;
    return beginActivity(state, c, *a, act);
}

Outcome startMigration(State& state, Controller& c, int arrayId, const MigrationPlan& request) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (a->activity) return Outcome::Busy;
    if (a->lostMask != 0) return Outcome::BadRequest;
    const std::size_t n = a->members.size() + request.addedMembers.size();
    const std::uint64_t data = dataMembers(request.level, n, request.parityCount, request.subArrayCount);
    std::uint64_t product = 0;
    if (data == 0 || !productFits(memberSize(*a), n, &product)) return Outcome::BadRequest;
    for (const MemberChoice& m : request.addedMembers) {
        if (std::find(a->members.begin(), a->members.end(), m.disk) != a->members.end()) {
            return Outcome::BadRequest;
        }
    }
    Activity act = newActivity(ActivityKind::Migration, currentTime(state));
    const Outcome taken = takeMembers(c, request.addedMembers, memberSize(*a), ExtentRole::Assigned,
                                      arrayId, &act.targetDisks);
    if (taken != Outcome::Ok) return taken;
    for (const MemberChoice& m : request.addedMembers) act.targetExtents.push_back(m.extent);
    act.targetLevel = request.level;
    act.subArrayCount = request.subArrayCount;
    act.parityCount = request.level == lib::RAID_LEVEL_RAID6 ? (request.parityCount > 0 ? request.parityCount : 2) : 0;
    act.symmetric = request.symmetric;
    act.parityShift = request.parityShift;
    return beginActivity(state, c, *a, act);
}

Outcome controlActivity(State& state, Controller& c, int arrayId, Control action,
                        const ActivityKind* kind) {
    Array* a = arrayById(c, arrayId);
    if (a == nullptr) return Outcome::NoSuchArray;
    if (!a->activity) return Outcome::NothingRunning;
    Activity& act = *a->activity;
    if (kind != nullptr) {
        const bool same = act.kind == *kind ||
                          (*kind == ActivityKind::Sync && act.kind == ActivityKind::Check) ||
                          (*kind == ActivityKind::Rebuild && act.kind == ActivityKind::Backup);
        if (!same) return Outcome::NothingRunning;
    }
    const std::uint32_t now = currentTime(state);
    const std::string name = activityName(act.kind);
    switch (action) {
        case Control::Pause:
            if (act.paused) return Outcome::BadRequest;
            act.doneBefore = activityProgress(act, now);
            act.paused = true;
            pushEvent(c, kEventActivityPaused, kSeverityInformation, name + " paused", arrayId, now);
            return Outcome::Ok;
        case Control::Resume:
            if (!act.paused) return Outcome::BadRequest;
            act.paused = false;
            act.runningSince = now;
            act.resumeTime = now;
            pushEvent(c, kEventActivityResumed, kSeverityInformation, name + " resumed", arrayId, now);
            return Outcome::Ok;
        case Control::Restart:
            act.paused = false;
            act.doneBefore = 0;
            act.runningSince = now;
            act.startTime = now;
            act.resumeTime = 0xFFFFFFFFu;
            pushEvent(c, kEventActivityStarted, kSeverityInformation, name + " restarted", arrayId, now);
            return Outcome::Ok;
        case Control::Abort: {
            const Activity gone = act;
            a->activity.reset();
            if (gone.kind == ActivityKind::Rebuild || gone.kind == ActivityKind::Migration) {
                releaseExtents(c, arrayId, {ExtentRole::Assigned}, &gone.targetDisks);
            } else if (gone.kind == ActivityKind::Backup) {
                for (Disk& d : c.disks) {
                    if (std::find(gone.targetDisks.begin(), gone.targetDisks.end(), d.id) ==
                        gone.targetDisks.end()) {
                        continue;
                    }
                    bool changed = false;
                    for (Extent& e : d.extents) {
                        if (e.arrayId == arrayId && e.role == ExtentRole::Backup && e.backupTime == 0) {
                            e.role = ExtentRole::Free;
                            e.arrayId = 255;
                            changed = true;
                        }
                    }
                    if (changed) mergeFree(d);
                }
            }
            pushEvent(c, kEventActivityAborted, kSeverityWarning, name + " aborted", arrayId, now);
            return Outcome::Ok;
        }
    }
    return Outcome::BadRequest;
}

std::uint32_t reportedArrayFlags(const Array& a) {
    std::uint32_t flags = a.flags;
    if (!a.activity) return flags;
    switch (a.activity->kind) {
        case ActivityKind::Rebuild: flags |= lib::LOGDRV_OPERATION_REBUILD; break;
        case ActivityKind::Init: flags |= lib::LOGDRV_OPERATION_INIT; break;
        case ActivityKind::Sync: flags |= lib::LOGDRV_OPERATION_SYNC; break;
        case ActivityKind::Check: flags |= lib::LOGDRV_OPERATION_CHECK; break;
        case ActivityKind::Migration: flags |= lib::LOGDRV_OPERATION_MIGRATION; break;
        case ActivityKind::Backup:
            flags |= lib::LOGDRV_OPERATION_BACKUP | lib::LOGDRV_COND_BACKUPING;
            break;
    }
    return flags;
}

std::uint32_t reportedExtentFlags(const Controller& c, const Disk& d, const Extent& e) {
    if (e.reportedFlags) return *e.reportedFlags;
    std::uint32_t flags = 0;
    switch (e.role) {
        case ExtentRole::Free: flags = lib::EXTENT_FREE; break;
        case ExtentRole::Assigned: flags = lib::EXTENT_ASSIGNED; break;
        case ExtentRole::GlobalSpare: flags = lib::EXTENT_GLOBAL_SPARE; break;
        case ExtentRole::DedicatedSpare: flags = lib::EXTENT_DEDICATED_SPARE; break;
        case ExtentRole::Backup: flags = lib::EXTENT_BACKUP; break;
        case ExtentRole::LatestBackup: flags = lib::EXTENT_LATEST_BACKUP; break;
    }
    if (!e.inaccessible) flags |= lib::EXTENT_ACCESSIBLE;
    if (!e.offline) flags |= lib::EXTENT_FUNCTIONAL;
    if (d.smartFailure) flags |= lib::EXTENT_SMART_FAILURE;
    for (const Array& a : c.arrays) {
        if (a.id != e.arrayId || !a.activity) continue;
        const bool target = std::find(a.activity->targetDisks.begin(), a.activity->targetDisks.end(),
                                      d.id) != a.activity->targetDisks.end();
        switch (a.activity->kind) {
            case ActivityKind::Rebuild:
                if (target) flags |= lib::EXTENT_REBUILD_RUNNING;
                break;
            case ActivityKind::Init: flags |= lib::EXTENT_INIT_RUNNING; break;
            case ActivityKind::Sync:
            case ActivityKind::Check: flags |= lib::EXTENT_SYNC_RUNNING; break;
            case ActivityKind::Migration: flags |= lib::EXTENT_MIGRATION_RUNNING; break;
            case ActivityKind::Backup:
                if (target) flags |= lib::EXTENT_BACKUP_RUNNING;
                break;
        }
    }
    return flags;
}

}  // namespace sim

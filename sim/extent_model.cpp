#include "sim/extent_model.h"

#include <algorithm>

namespace sim {

namespace {

Extent* extentAt(Disk& d, int index) {
    for (Extent& e : d.extents) {
        if (e.index == index) return &e;
    }
    return nullptr;
}

// The disk's extents in disk order, numbered from 0.
void renumberExtents(Disk& d) {
    std::sort(d.extents.begin(), d.extents.end(),
              [](const Extent& a, const Extent& b) { return a.start < b.start; });
    for (std::size_t i = 0; i < d.extents.size(); ++i) d.extents[i].index = static_cast<int>(i);
}

// The disk that extent operations may change: present in its slot.
Disk* usableDisk(Controller& c, int diskId) {
    Disk* d = diskById(c, diskId);
    return d != nullptr && diskVisible(*d) ? d : nullptr;
}

bool isSpare(const Extent& e) {
    return e.role == ExtentRole::GlobalSpare || e.role == ExtentRole::DedicatedSpare;
}

constexpr std::uint64_t kSectorsPerMb = 2048;

}  // namespace

Outcome wipeDiskMetadata(State&, Controller& c, int diskId) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    for (Array& a : c.arrays) {
        bool member = false;
        for (int& m : a.members) {
            if (m == diskId) {
                m = kMissingMember;
                member = true;
            }
        }
        if (a.activity && std::find(a.activity->targetDisks.begin(), a.activity->targetDisks.end(), diskId) !=
                              a.activity->targetDisks.end()) {
            a.activity.reset();
        }
        if (member) refreshMembers(a);
    }
    d->extents.clear();
    d->reportedExtentCount.reset();
    if (d->sectors > kReservedSectors) {
        Extent free;
        free.start = kReservedSectors;
        free.size = d->sectors - kReservedSectors;
        d->extents.push_back(free);
    }
    return Outcome::Ok;
}

Outcome spareExtent(State&, Controller& c, int diskId, int extent, int arrayId) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    if (arrayId != 255 && arrayById(c, arrayId) == nullptr) return Outcome::NoSuchArray;
    Extent* e = extentAt(*d, extent);
    if (e == nullptr) return Outcome::BadRequest;
    if (e->role != ExtentRole::Free && !isSpare(*e)) return Outcome::Busy;
    if (arrayId == 255) {
        e->role = ExtentRole::GlobalSpare;
        e->arrayId = 255;
    } else {
        e->role = ExtentRole::DedicatedSpare;
        e->arrayId = arrayId;
    }
    return Outcome::Ok;
}

Outcome freeExtent(State&, Controller& c, int diskId, int extent) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    Extent* e = extentAt(*d, extent);
    if (e == nullptr) return Outcome::BadRequest;
    if (e->role == ExtentRole::Free) return Outcome::Ok;
    if (!isSpare(*e)) return Outcome::Busy;
    e->role = ExtentRole::Free;
    e->arrayId = 255;
    return Outcome::Ok;
}

Outcome addExtentToArray(State& state, Controller& c, int diskId, int extent, int arrayId) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    if (arrayById(c, arrayId) == nullptr) return Outcome::NoSuchArray;
    const Extent* e = extentAt(*d, extent);
    if (e == nullptr) return Outcome::BadRequest;
    if (e->role != ExtentRole::Free && !isSpare(*e)) return Outcome::Busy;
    return startRebuild(state, c, arrayId, {MemberChoice{diskId, extent}});
}

Outcome splitExtent(State&, Controller& c, int diskId, int extent, std::uint32_t offsetMb) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    Extent* e = extentAt(*d, extent);
    if (e == nullptr) return Outcome::BadRequest;
    if (e->role != ExtentRole::Free) return Outcome::Busy;
    const std::uint64_t offset = std::uint64_t{offsetMb} * kSectorsPerMb;
    if (offset == 0 || offset >= e->size) return Outcome::BadRequest;
    Extent rest = *e;
    rest.start = e->start + offset;
    rest.size = e->size - offset;
    e->size = offset;
    d->extents.push_back(rest);
    renumberExtents(*d);
    return Outcome::Ok;
}

Outcome deleteExtent(State&, Controller& c, int diskId, int extent) {
    Disk* d = usableDisk(c, diskId);
    if (d == nullptr) return Outcome::NoSuchDisk;
    renumberExtents(*d);
    Extent* e = extentAt(*d, extent);
    if (e == nullptr) return Outcome::BadRequest;
    if (e->role != ExtentRole::Free) return Outcome::Busy;
    const auto at = static_cast<std::size_t>(e - d->extents.data());
    auto joins = [&](std::size_t first, std::size_t second) {
        const Extent& a = d->extents[first];
        const Extent& b = d->extents[second];
        return a.role == ExtentRole::Free && b.role == ExtentRole::Free && a.start + a.size == b.start;
    };
    if (at > 0 && joins(at - 1, at)) {
        d->extents[at - 1].size += e->size;
    } else if (at + 1 < d->extents.size() && joins(at, at + 1)) {
        d->extents[at + 1].start = e->start;
        d->extents[at + 1].size += e->size;
    } else {
        return Outcome::BadRequest;
    }
    d->extents.erase(d->extents.begin() + static_cast<std::ptrdiff_t>(at));
    renumberExtents(*d);
    return Outcome::Ok;
}

}  // namespace sim

#include "sim/disk_faults.h"


#include "sim/array_model.h"

namespace sim {

namespace {

// "<before><id><after>"
std::string diskText(const char* before, int id, const char* after) {
    return before + std::to_string(id) + after;
}

}  // namespace

std::string changeDisk(State& state, Controller& controller, int diskId, DiskChange change) {
    Disk* d = diskById(controller, diskId);
    if (d == nullptr) return diskText("no disk ", diskId, "");
    const std::uint32_t now = currentTime(state);
    switch (change) {
        case DiskChange::Pull:
            if (!d->present) return diskText("disk ", diskId, " is already pulled");
            d->present = false;
            loseDisk(controller, diskId);
            queueEvent(controller, kEventDiskUnplugged, kSeverityWarning,
                       diskText("Disk ", diskId, " unplugged"), "", now);
            break;
        case DiskChange::Plug:
            if (d->present) return diskText("disk ", diskId, " is already in its slot");
            d->present = true;
            d->failed = false;
            queueEvent(controller, kEventDiskPluggedIn, kSeverityInformation,
                       diskText("Disk ", diskId, " plugged in"), "", now);
            break;
        case DiskChange::Fail:
            if (!d->present) return diskText("disk ", diskId, " is pulled");
            if (d->failed) return diskText("disk ", diskId, " is already failed");
            d->failed = true;
            loseDisk(controller, diskId);
            queueEvent(controller, kEventDiskFailed, kSeverityError,
                       diskText("Disk ", diskId, " failed"), "", now);
            break;
        case DiskChange::SmartError:
            if (d->smartFailure) return diskText("disk ", diskId, " already reports a S.M.A.R.T. error");
            d->smartFailure = true;
            queueEvent(controller, kEventDiskSmartError, kSeverityWarning,
                       diskText("Disk ", diskId, " S.M.A.R.T. error"), "", now);
            break;
        case DiskChange::SmartClear:
            if (!d->smartFailure) return diskText("disk ", diskId, " reports no S.M.A.R.T. error");
            d->smartFailure = false;
            queueEvent(controller, kEventDiskSmartCleared, kSeverityInformation,
                       diskText("Disk ", diskId, " S.M.A.R.T. error cleared"), "", now);
            break;
    }
    return {};
}

}  // namespace sim

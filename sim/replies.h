#pragma once
// Filling the records the library and the driver return from the model.
// Every fill writes only inside the span it is given.

#include "platform/record.h"
#include "sim/model.h"

namespace sim {

void fillPhyDrvInfo(const rec::ByteSpan& record, const Controller& controller, const Disk& disk);
void fillLogDrvInfo(const rec::ByteSpan& record, const Array& array);
void fillAdapterInfo(const rec::ByteSpan& record, const Controller& controller);
void fillAdapterFirmwareInfo(const rec::ByteSpan& record, const Controller& controller);

void fillDiskTableEntry(const rec::ByteSpan& entry, const Disk& disk);
void fillArrayTableEntry(const rec::ByteSpan& entry, const Array& array);
void fillArrayStatusReply(const rec::ByteSpan& reply, const Array& array, std::uint32_t now);
void fillArrayActivityEntry(const rec::ByteSpan& entry, const Array& array);

// Start and last resume time of the array's activity (or those stored).
std::uint32_t activityStartTime(const Array& array);
std::uint32_t activityResumeTime(const Array& array);
void fillControllerPciInfo(const rec::ByteSpan& record, const Controller& controller, int port);

const Disk* findDisk(const Controller& controller, int id);
const Array* findArray(const Controller& controller, int id);

}  // namespace sim

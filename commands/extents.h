#pragma once
// le: every extent of every disk, with its size, place and status words.

#include <cstdint>

#include "platform/record.h"

class ControllerDevice;

// The four status words of an extent, chosen from its flags; within each
// column the first matching flag wins.
// Background activity: Rebuild, Rebuild Aborted, Sync, Migrate, Init,
// Backup, otherwise Idle.
const char* mainStatusOf(std::uint32_t flags);
// Functional or Offline.
const char* functionalStatusOf(std::uint32_t flags);
// NotAccess (not accessible, whatever else is set), Assigned, GlobalSp,
// DedicateSp, Free, Backup, Latest Backup, otherwise Unknown.
const char* assignStatusOf(std::uint32_t flags);
// Fail or OK.
const char* smartStatusOf(std::uint32_t flags);

// The AryID column: the owning array's id, with 255 (no array) shown as -1.
int shownArrayId(std::uint16_t arrayId);

// Prints the extent rows of a hx_getPhyDrvInfo reply: one line per extent
// in use, followed by a backup-date line for backup extents. The number of
// disks comes from the reply's bytes-filled field; no more disks are taken
// than the reply buffer holds (and at most 128), and no more extents per
// disk than its table holds (16), whatever the reply claims.
void printExtentRows(const rec::ByteView& reply);

std::int32_t listExtentsCommand(ControllerDevice** currentController, std::int32_t count,
                                char** words);

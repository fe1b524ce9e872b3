#pragma once
// enc: the disk enclosures behind the controller, their sensors and fans,
// and the locate LEDs of disks and arrays (library only, in either mode).

#include <cstdint>
#include <vector>

#include "platform/record.h"

class ControllerDevice;

// enc LE | LS <Enclosure ID> | setfanspeed <enclosure> <fan> <code> |
//     LOC <Disk ID> <code> | LOCLD <Array ID> <code> | map <Disk ID>
std::int32_t enclosureCommand(ControllerDevice** currentController, std::int32_t count, char** words);

// Asks the library for the record of one disk (a cleared 728-byte reply).
// The record's view into reply is empty when the reply's bytes-filled field,
// read as a signed count, holds no whole record, or when the record is
// another disk's.
rec::ByteView readOneDisk(std::uint8_t diskId, std::vector<std::uint8_t>& reply);

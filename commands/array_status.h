#pragma once
// as: the state of one array, its background activity and how far it got.

#include <cstdint>

class ControllerDevice;

// Names of the direct-mode status reply's codes.
// Array status: Optimal, Degrade, Offline, Invalid, Critical, else Unknown.
const char* arrayStatusName(std::uint8_t status);
// Configuration state: Normal, Configuring, else Unknown.
const char* configurationStateName(std::uint8_t state);
// Background activity kind (0: none).
const char* bgaKindName(std::uint8_t kind);
// Background activity state (0: one blank).
const char* bgaStateName(std::uint8_t state);

// Library mode: the array's condition from its ldhx_Flags (Critical,
// Functional, Degrade, else Offline; the first that is set wins).
const char* arrayConditionOf(std::uint32_t flags);

// Library mode: the start time line, and under it the last resume time
// line, of an activity; a time of 10000 or below counts as unset, and so
// does a resume time of all ones.
void printActivityTimes(std::uint32_t startTime, std::uint32_t resumeTime);

std::int32_t arrayStatusCommand(ControllerDevice** currentController, std::int32_t count,
                                char** words);

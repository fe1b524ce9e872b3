#pragma once
// What the simulated controller does with settings: the records both
// stand-ins return, filled from one model, and the changes they take back.
// Bytes of a record that no setting occupies hold the controller's own data
// (a fixed pattern here); a change must hand them back as they were read,
// else it is refused as malformed.

#include <cstdint>

#include "platform/record.h"
#include "sim/model.h"

namespace sim {

// Why a settings change was refused; Ok when it was carried out.
enum class SettingsOutcome { Ok, Malformed, NotSupported, RestartNeeded };

void fillControllerSettings(const rec::ByteSpan& record, const Controller& c);
// Takes the record's settings; activities running at a changed rate go on
// from where they are at the new rate.
SettingsOutcome applyControllerSettings(State& state, Controller& c, const rec::ByteView& record);
// The settings a ControllerSettings record holds (its named fields).
GlobalSettings globalSettingsFrom(const rec::ByteView& record);

void fillLogDrvSettings(const rec::ByteSpan& record, const Array& array);
SettingsOutcome applyLogDrvSettings(Array& array, const rec::ByteView& record);
void fillArraySettingsBlock(const rec::ByteSpan& block, const Array& array);
SettingsOutcome applyArraySettingsBlock(Array& array, const rec::ByteView& block);

void fillPhyDrvSettings(const rec::ByteSpan& record, const Disk& disk);
SettingsOutcome applyPhyDrvSettings(Disk& disk, const rec::ByteView& record);

void fillCamSettingBlock(const rec::ByteSpan& block, std::uint32_t bits);
// Stores the block as the saved copy; RestartNeeded when it differs from
// the current copy (it is kept, and becomes current at the next start).
SettingsOutcome applyCamSettingBlock(Controller& c, const rec::ByteView& block);

// The controller's firmware starts again: the saved CAM settings become
// the current ones, and a firmware written to the flash the running one.
void restartController(Controller& c);

}  // namespace sim

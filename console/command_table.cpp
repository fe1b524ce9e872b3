// The console's one table of commands: each row gives a command its name, its
// handler and its detail help text (null when it has none). Command families
// add their rows here. A row without a handler names a command this console
// does not carry yet: its help text is shown, and typing it is an unknown
// command.

#include "commands/activities.h"
#include "commands/adapter.h"
#include "commands/array_status.h"
#include "commands/arrays.h"
#include "commands/cam_settings.h"
#include "commands/debug_access.h"
#include "commands/enclosures.h"
#include "commands/error_simulation.h"
#include "commands/extent_control.h"
#include "commands/firmware.h"
#include "commands/extents.h"
#include "commands/hardware.h"
#include "commands/ignored_events.h"
#include "commands/inventory.h"
#include "commands/media_patrol.h"
#include "commands/schedules.h"
#include "commands/settings.h"
#include "console/help_texts.h"
#include "console/shell.h"

const CommandEntry commandEntries[] = {
    {"exit", quitCommand, nullptr},
    {"q", quitCommand, nullptr},
    {"bye", quitCommand, nullptr},
    {"quit", quitCommand, nullptr},
    {"?", helpCommand, nullptr},
    {"help", helpCommand, nullptr},
    {"h", helpCommand, nullptr},
    {"script", scriptCommand, nullptr},
    {"delay", delayCommand, nullptr},
    {"adapter", adapterCommand, adapterHelpText},
    {"ld", listDisksCommand, nullptr},
    {"la", listArraysCommand, nullptr},
    {"dc", controllerInfoCommand, nullptr},
    {"le", listExtentsCommand, nullptr},
    {"as", arrayStatusCommand, nullptr},
    {"ca", createArrayCommand, caHelpText},
    {"ca2", createArrayBySizeCommand, ca2HelpText},
    {"da", deleteArrayCommand, daHelpText},
    {"delbp", deleteBackupCommand, nullptr},
    {"bga", bgaCommand, bgaHelpText},
    {"gs", globalSettingsCommand, gsHelpText},
    {"ac", arraySettingsCommand, acHelpText},
    {"ds", diskSettingsCommand, dsHelpText},
    {"bgaschd", bgaScheduleCommand, nullptr},
    {"dbg", debugCommand, dbgHelpText},
    {"es", errorSimulationCommand, esHelpText},
    {"patrol", patrolCommand, patrolHelpText},
    {"bsl", badSectorLogCommand, bslHelpText},
    {"et", errorTableCommand, nullptr},
    {"blk", extentControlCommand, blkHelpText},
    {"wd", wipeDiskCommand, wdHelpText},
    {"flash", flashCommand, flashHelpText},
    {"atapass", ataPassCommand, nullptr},
    {"ie", ignoredEventsCommand, ieHelpText},
    {"enc", enclosureCommand, encHelpText},
    {"bat", batteryCommand, nullptr},
    {"buz", buzzerCommand, buzHelpText},
    {"port", portCommand, nullptr},
    {"dsp", dataSpeedCommand, dspHelpText},
    {"hplug", hotPlugCommand, hplugHelpText},
    {"alpe", alpeCommand, alpeHelpText},
    {"gsc", camSettingsCommand, gscHelpText},
};

const int commandEntryCount = static_cast<int>(sizeof commandEntries / sizeof commandEntries[0]);

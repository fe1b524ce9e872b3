// The console's one table of commands. Command families add their rows here.

#include "commands/activities.h"
#include "commands/array_status.h"
#include "commands/arrays.h"
#include "commands/extents.h"
#include "commands/inventory.h"
#include "console/shell.h"

const CommandEntry commandEntries[] = {
    {"exit", quitCommand},
    {"q", quitCommand},
    {"bye", quitCommand},
    {"quit", quitCommand},
    {"?", helpCommand},
    {"help", helpCommand},
    {"h", helpCommand},
    {"script", scriptCommand},
    {"delay", delayCommand},
    {"ld", listDisksCommand},
    {"la", listArraysCommand},
    {"dc", controllerInfoCommand},
    {"le", listExtentsCommand},
    {"as", arrayStatusCommand},
    {"ca", createArrayCommand},
    {"ca2", createArrayBySizeCommand},
    {"da", deleteArrayCommand},
    {"delbp", deleteBackupCommand},
    {"bga", bgaCommand},
};

const int commandEntryCount = static_cast<int>(sizeof commandEntries / sizeof commandEntries[0]);

// The console's one table of commands. Command families add their rows here.

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
};

const int commandEntryCount = static_cast<int>(sizeof commandEntries / sizeof commandEntries[0]);

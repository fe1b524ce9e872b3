// The console's one table of commands. Command families add their rows here.

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
};

const int commandEntryCount = static_cast<int>(sizeof commandEntries / sizeof commandEntries[0]);

#pragma once

#include <cstddef>

#include "platform/console.h"

struct HelpEntry {
    const char* name;
    const char* text;
};

// The detail help texts, one per command that has one.
extern const HelpEntry helpEntries[];
extern const std::size_t helpEntryCount;

// Prints the general list of commands.
void printGeneralHelp();

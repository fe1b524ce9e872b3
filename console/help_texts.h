#pragma once

#include "platform/console.h"

// The detail help texts of the commands that have one; the command table
// gives each to its command.
extern const char* const adapterHelpText;
extern const char* const caHelpText;
extern const char* const ca2HelpText;
extern const char* const dsHelpText;
extern const char* const daHelpText;
extern const char* const bgaHelpText;
extern const char* const gsHelpText;
extern const char* const acHelpText;
extern const char* const esHelpText;
extern const char* const bslHelpText;
extern const char* const patrolHelpText;
extern const char* const dbgHelpText;
extern const char* const blkHelpText;
extern const char* const wdHelpText;
extern const char* const encHelpText;
extern const char* const buzHelpText;
extern const char* const dspHelpText;
extern const char* const hplugHelpText;
extern const char* const alpeHelpText;
extern const char* const gscHelpText;
extern const char* const flashHelpText;
extern const char* const ieHelpText;

// Prints the general list of commands.
void printGeneralHelp();

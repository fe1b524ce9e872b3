#pragma once
// What each platform's console file gives the shared console code.

namespace platform {

// The next byte of standard input, or -1 when input has ended.
int readInputByte();

// True when a line typed in gives a carriage return before its line feed
// (a Windows console), which is then not part of the line.
bool inputLinesEndInCarriageReturn();

}  // namespace platform

#pragma once
// Single-key questions. When input ends while a key is awaited the console
// ends cleanly: EndOfInput unwinds to start-up, which releases the back-end
// and exits with code 0.

struct EndOfInput {};

// Reads one key (see platform::readKey); throws EndOfInput at end of input.
char readKeyOrEnd(bool echo);

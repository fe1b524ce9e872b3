#pragma once
// talo-sim capture: reads controllers through the management library, as
// the console does in library mode, and writes a simulator state that
// answers the console the same way. With the stand-in library the
// controllers read are those of the state it serves (TALO_SIM); with the
// maker's library they are the real ones.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace simtool {

struct CaptureRequest {
    // The state file the stand-in library is to serve; empty: whatever it
    // serves already (TALO_SIM, else its built-in demo).
    std::string statePath;
    std::optional<int> controller;  // only this one (the library's number); none: all
    std::string output;             // the state file to write
    bool force = false;             // replace an existing output file
    std::optional<std::uint32_t> clock;  // a fixed clock for the copy
};

struct Captured {
    sim::State state;
    std::size_t disks = 0;
    std::size_t extents = 0;
    std::size_t arrays = 0;
    std::size_t schedules = 0;
    // What the copy could not take over as the library showed it.
    std::vector<std::string> notes;
};

// Reads the controllers through the library (the one given, else all, in
// the library's order) into a state of their own: controller i of the copy
// sits on port i. Throws Refusal when the library does not start or has no
// such controller.
Captured captureFromLibrary(std::optional<int> controller, std::optional<std::uint32_t> clock);

// The whole sub-command: checks the output's place, captures, writes the
// file in one step through the store, prints the notes on standard error
// and returns the summary line.
std::string capture(const CaptureRequest& request);

}  // namespace simtool

#pragma once
// The maker's libraries, hxapi and faultlog, are found while the program
// runs, as shared libraries by their own names; none is linked in. So the
// program starts on a machine without them, and one placed on the machine
// later is used without a rebuild.
//
// What the tool set assumes of the maker's libraries, written once:
//   Windows  hxapi.dll and faultlog.dll, looked for beside the program and
//            then on the system's DLL search path (never in the working
//            directory);
//   Linux    libhxapi.so.1 and libfaultlog.so.1 (their sonames), looked for
//            on the system's library path (LD_LIBRARY_PATH, the loader's
//            cache, /lib, /usr/lib);
//   both     each operation exported under its own undecorated name
//            (hx_getPhyDrvInfo, createErrorHandler), C calling convention
//            (cdecl on 32-bit Windows), with the arguments hxapi.h and
//            faultlog.h declare.
//
// The simulator kit holds libraries of the same names in a folder of its
// own, which is never where the maker's are looked for. It is loaded only
// by the user's choice (TALO_SIM), or on a system that has neither a
// controller driver nor the maker's library, where nothing real could
// answer.

#include <atomic>
#include <string>

#include "access/simulator_kit.h"

namespace hxbind {

// Counts the commands the shell has started, so that a missing library is
// reported once per command however many calls the command makes.
inline std::atomic<unsigned>& commandSerial() {
    static std::atomic<unsigned> serial{0};
    return serial;
}
inline void noteCommandStart() { commandSerial().fetch_add(1); }

// Why the management library cannot be used, as one line ending in a line
// break; empty while it is loaded (and always where the program links a
// library in). Written once, by bindLibraries.
inline std::string& unavailableLine() {
    static std::string line;
    return line;
}
inline const std::string& libraryUnavailableLine() { return unavailableLine(); }

enum class Source {
    Maker,      // the maker's libraries, or what stands where they are looked for
    Simulator,  // the simulator kit
    None,       // no management library could be loaded
};

struct Request {
    const char* program = "arraycon";  // names the program in its notes
    // A state file to simulate, chosen by the program's own command line;
    // the simulator is then chosen whatever the environment says.
    const char* statePath = nullptr;
    // The system can reach a real controller driver.
    bool systemHasDriver = true;
};

struct Binding {
    Source source = Source::None;
    // The simulated driver when the simulator answers, else null.
    platform::DeviceAccess* simulatedDevices = nullptr;
};

// Loads the libraries the request and the environment choose, once per
// process. With TALO_SIM set (or a state path given), the kit: one that
// cannot be loaded ends the program with exit code 2 and the reason on
// standard error. Otherwise the maker's libraries; where the system has no
// controller driver and the maker's hxapi is not found, the kit answers
// when it is installed, and a note on standard error says so.
Binding bindLibraries(const Request& request);

// True when TALO_SIM chooses the simulator: set and not empty.
bool simulatorChosen();

}  // namespace hxbind

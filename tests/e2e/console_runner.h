#pragma once
// Runs the built arraycon as a user would: in a fresh working directory,
// with piped standard input and, when given, a simulator state file.

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "sim/model.h"

namespace e2e {

struct RunResult {
    std::string output;   // everything written to standard output
    std::string errors;   // standard error
    int exitCode = -1;
    bool timedOut = false;
    std::string directory;  // where it ran; files it wrote are still there
};

struct RunOptions {
    std::optional<sim::State> state;           // written to state.json, named by TALO_SIM
    std::map<std::string, std::string> files;  // more files for the working directory
    bool simulatorFile = true;                 // false: TALO_SIM left unset (built-in demo)
    std::map<std::string, std::string> environment;  // more variables for the console
    // Run on a thread of its own once the console has started, with the
    // working directory, as another process acting while the console
    // runs would; the run ends after both have.
    std::function<void(const std::string& directory)> alongside;
};

// The command that starts the console: ARRAYCON_COMMAND from the environment
// (for example "wine /path/arraycon.exe"), else the native build.
RunResult runConsole(const std::string& input, const RunOptions& options = {});

enum class Mode { Library, Direct };

// Starts the console in the mode (accepting the first controller in direct
// mode), types the lines at the prompt, and returns what was printed after
// the start-up, from the first prompt on.
std::string runAtPrompt(Mode mode, const std::string& lines, const RunOptions& options = {});

// True when the console under test is a Windows build (an .exe, run under Wine).
bool targetIsWindows();

// The folder of the build tree the console under test belongs to.
std::string consoleBuildFolder();

// Reads the state a run left behind, as the controller sees it next.
sim::State stateAfter(const RunResult& run);

}  // namespace e2e

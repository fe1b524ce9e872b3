#pragma once
// Transcripts: end-to-end cases written as text files (see cases/README.md).

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace e2e {

struct Transcript {
    // The state file as written, or none: the console starts from the demo.
    std::optional<std::string> state;
    bool stateFile = true;                     // false: TALO_SIM left unset
    std::map<std::string, std::string> files;  // more files for the working directory
    std::map<std::string, std::string> environment;  // more variables for the console
    std::string input;
    std::string output;
    int exitCode = 0;
};

// A case file that does not follow the format; the message names the line.
struct TranscriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a case from the text of its file; name is used in messages.
Transcript parseTranscript(const std::string& text, const std::string& name);

}  // namespace e2e

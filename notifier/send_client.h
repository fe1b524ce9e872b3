#pragma once
// eventtray-send: writes events into a notifier's pipe, for tests and
// scripts.
//
//   eventtray-send [--type N] [--terminate] PIPE [TEXT...]
//
// Each TEXT is one message over one connection, in order; --type N (a single
// digit) puts the prefix "#N" before each; --terminate sends the terminate
// request after the texts. The program returns once the notifier has read
// every message: 0 then, 1 when the pipe cannot be reached or written, 2 for
// a wrong command line.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace notifier {

// One connection to a notifier's pipe.
class PipeClient {
public:
    virtual ~PipeClient() = default;
    virtual bool connect(const std::string& name, std::string& why) = 0;
    virtual bool write(std::string_view message, std::string& why) = 0;
    // Waits until the notifier has read everything written.
    virtual bool finish(std::string& why) = 0;
};

// args: the words after the program name, in UTF-8.
int runSendClient(const std::vector<std::string>& args, PipeClient& client, std::FILE* err);

}  // namespace notifier

// The whole console against the simulated controller: the input's first
// byte picks the mode (odd: direct mode on controller 0, even: through the
// library), the rest up to its first zero byte is up to eight command lines
// run one after the other from the demo state, and what follows the zero
// byte is standard input: the keys that answer the commands' questions
// (a question past its end ends as at the end of input). Commands that wait
// or read files (delay, script, flash) are left out, as are the ones that
// leave the console.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "access/driver_device.h"
#include "access/hxapi.h"
#include "console/context.h"
#include "sim/sim_driver.h"
#include "console/keys.h"
#include "console/shell.h"
#include "console/words.h"
#include "fuzz/console_line.h"
#include "fuzz/harness.h"
#include "platform/console.h"
#include "sim/call_log.h"
#include "sim/model.h"
#include "sim/store.h"

namespace {

std::string printed;
// Standard input is this memory file; each run writes its answers there.
int answersFd = -1;

void setAnswers(const std::uint8_t* data, std::size_t size) {
    fuzzCheck(ftruncate(answersFd, 0) == 0, "cannot empty the answers");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(answersFd, data + done, size - done, static_cast<off_t>(done));
        fuzzCheck(n > 0, "cannot write the answers");
        done += static_cast<std::size_t>(n);
    }
    // Drops what stdin had buffered and reads from the start again.
    std::rewind(stdin);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The in-memory demo state, never a file of the environment's.
    unsetenv("TALO_SIM");
    answersFd = memfd_create("answers", 0);
    fuzzCheck(answersFd >= 0 && dup2(answersFd, STDIN_FILENO) == STDIN_FILENO,
              "cannot make standard input");
    sim::installInProcessSimulator();
    platform::setConsoleCapture(&printed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool direct = (data[0] & 1) != 0;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) {
        setAnswers(data + 1 + zero + 1, text.size() - zero - 1);
        text = text.substr(0, zero);
    } else {
        setAnswers(nullptr, 0);
    }

    sim::Store::instance().modify([](sim::State& s) { s = sim::demoState(); });
    std::uint8_t init[256] = {};
    if (hx_initialize(init) != 0 || hx_discover(0) != 0) std::abort();
    controllerContext.selectController(0);
    // The current controller belongs to the console, which may switch it
    // (adapter); whatever is current at the end is closed here.
    ControllerDevice* current = nullptr;
    if (direct) {
        current = findController(0, nullptr);
        fuzzCheck(current != nullptr, "direct mode did not open");
    }
    sim::clearCallLog();

    std::size_t start = 0;
    for (int lines = 0; lines < 8 && start <= text.size(); ++lines) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view one = text.substr(start, end - start);
        start = end + 1;
        if (one.size() >= kLineBufferSize) continue;
        char line[kLineBufferSize];
        std::memcpy(line, one.data(), one.size());
        line[one.size()] = '\0';
        if (leftOutOfFuzzing(line)) continue;
        printed.clear();
        try {
            if (dispatchLine(&current, line, lines & 1) == 0) break;
        } catch (const EndOfInput&) {
            break;
        }
        fuzzCheck(direct == (current != nullptr), "the mode changed");
    }
    delete current;
    hx_finalize();
    return 0;
}

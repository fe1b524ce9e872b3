// Hex dump timings: hexDump of 1 MiB of random bytes, printed to /dev/null
// through standard output and captured into a string, and formatHexDump into
// a string, side by side with xxd on the same bytes (xxd file > /dev/null).
// Figures are milliseconds per MiB: the median and the best of the runs.
//
// Usage: hexdump_bench [runs]

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "access/driver_device.h"
#include "platform/console.h"

namespace {

constexpr std::uint32_t kMiB = 1024 * 1024;

struct Figures {
    double median = 0;
    double best = 0;
};

Figures timeRuns(int runs, const std::function<void()>& run) {
    run();  // warm-up: page in the code, the data and the output path
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// Runs body with standard output sent to /dev/null.
void withStdoutToNull(const std::function<void()>& body) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    if (saved < 0 || null < 0) {
        std::fprintf(stderr, "cannot redirect standard output\n");
        std::exit(1);
    }
    dup2(null, STDOUT_FILENO);
    close(null);
    body();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
}

void report(const char* label, const Figures& f) {
    std::printf("%-40s %9.2f %9.2f\n", label, f.median, f.best);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    std::vector<std::uint8_t> data(kMiB);
    std::mt19937 random(12345);
    for (std::uint8_t& b : data) b = static_cast<std::uint8_t>(random());

    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("hexdump_bench_" + std::to_string(getpid()) + ".bin");
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
    }

    Figures toNull;
    withStdoutToNull([&] { toNull = timeRuns(runs, [&] { hexDump(data.data(), kMiB, 1); }); });

    std::string captured;
    const Figures toCapture = timeRuns(runs, [&] {
        captured.clear();
        platform::setConsoleCapture(&captured);
        hexDump(data.data(), kMiB, 1);
        platform::setConsoleCapture(nullptr);
    });

    std::string formatted;
    const Figures toString = timeRuns(runs, [&] {
        formatted.clear();
        formatHexDump(formatted, data.data(), kMiB, 1);
    });

    const std::string xxdCommand = "xxd '" + file.string() + "' > /dev/null";
    const bool haveXxd = std::system(("command -v xxd > /dev/null && " + xxdCommand).c_str()) == 0;
    Figures xxd;
    Figures shell;
    if (haveXxd) {
        xxd = timeRuns(runs, [&] { (void)std::system(xxdCommand.c_str()); });
        // What starting the shell alone costs, part of every xxd figure.
        shell = timeRuns(runs, [] { (void)std::system(": > /dev/null"); });
    }
    std::filesystem::remove(file);

    std::printf("hex dump of 1 MiB of random bytes, %d runs (%zu bytes of dump text)\n", runs,
                formatted.size());
    std::printf("%-40s %9s %9s\n", "", "median", "best");
    std::printf("%-40s %9s %9s\n", "", "ms/MiB", "ms/MiB");
    report("hexDump to /dev/null (stdout)", toNull);
    report("hexDump captured into a string", toCapture);
    report("formatHexDump into a string", toString);
    if (haveXxd) {
        report("xxd file > /dev/null", xxd);
        report("  of which starting the shell", shell);
        std::printf("hexDump to /dev/null vs xxd (median): %.2f ms vs %.2f ms, %s\n", toNull.median,
                    xxd.median, toNull.median <= xxd.median ? "hexDump as fast or faster" : "hexDump slower");
    } else {
        std::printf("xxd not found: no comparison\n");
    }
    return 0;
}

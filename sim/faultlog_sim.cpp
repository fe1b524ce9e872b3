// Stand-in for the logging library: each handle appends timestamped lines,
// tagged with its source name, to its log file in the working directory.

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "access/faultlog.h"

namespace {

struct LogTarget {
    std::string fileName;
    std::string sourceName;
};

std::mutex logMutex;
std::vector<LogTarget> targets;  // handle h is targets[h - 1]

void writeLine(std::uint32_t handle, const char* kind, const std::string& text) {
    std::lock_guard<std::mutex> lock(logMutex);
    if (handle == 0 || handle > targets.size()) return;
    const LogTarget& target = targets[handle - 1];
    std::FILE* file = std::fopen(target.fileName.c_str(), "a");
    if (file == nullptr) return;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#if defined(_WIN32)
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    std::fprintf(file, "%s %s %s %s\n", stamp, target.sourceName.c_str(), kind, text.c_str());
    std::fclose(file);
}

}  // namespace

extern "C" std::uint32_t createErrorHandler(std::uint32_t* handle, const LogConfig* config) {
    if (handle == nullptr) return 1;
    LogTarget target{"hxapitest.log", "HXTest"};
    if (config != nullptr) {
        if (config->logFileName != nullptr) target.fileName = config->logFileName;
        if (config->sourceName != nullptr) target.sourceName = config->sourceName;
    }
    std::lock_guard<std::mutex> lock(logMutex);
    targets.push_back(target);
    *handle = static_cast<std::uint32_t>(targets.size());
    return 0;
}

extern "C" std::uint32_t logInfoMsg(std::uint32_t handle, const char* format, ...) {
    if (format == nullptr) return 1;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(needed));
    }
    va_end(again);
    writeLine(handle, "INFO", text);
    return 0;
}

extern "C" std::uint32_t logErrMsg(std::uint32_t handle, std::uint32_t status, const char* text) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "status 0x%08X: ", static_cast<unsigned>(status));
    writeLine(handle, "ERROR", prefix + std::string(text != nullptr ? text : ""));
    return 0;
}

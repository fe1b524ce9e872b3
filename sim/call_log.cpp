#include "sim/call_log.h"

#include <deque>
#include <map>
#include <mutex>

namespace sim {

namespace {

struct Log {
    std::mutex mutex;
    std::map<std::string, std::vector<std::uint8_t>> last;
    std::map<std::string, std::size_t> counts;
    // Bounded logs: the oldest entry leaves at the front as a new one comes.
    std::deque<LibraryCallRecord> calls;
    std::deque<PassThroughRecord> passThrough;
};

Log& log() {
    static Log instance;
    return instance;
}

}  // namespace

void recordLibraryCall(const std::string& operation, const void* record, std::size_t size) {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    const auto* bytes = static_cast<const std::uint8_t*>(record);
    std::vector<std::uint8_t>& last = l.last[operation];
    if (record != nullptr) {
        last.assign(bytes, bytes + size);
    } else {
        last.clear();
    }
    ++l.counts[operation];
    // Keep the log bounded for long runs.
    if (l.calls.size() >= 256) l.calls.pop_front();
    l.calls.push_back(LibraryCallRecord{operation, last});
}

void noteScalarCall(const std::string& operation, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    recordLibraryCall(operation, bytes, sizeof bytes);
}

std::vector<LibraryCallRecord> libraryCallLog() {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    return std::vector<LibraryCallRecord>(l.calls.begin(), l.calls.end());
}

std::vector<std::uint8_t> lastLibraryCall(const std::string& operation) {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    auto it = l.last.find(operation);
    return it != l.last.end() ? it->second : std::vector<std::uint8_t>();
}

std::size_t libraryCallCount(const std::string& operation) {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    auto it = l.counts.find(operation);
    return it != l.counts.end() ? it->second : 0;
}

void recordPassThrough(const std::uint8_t* cdb, const void* data, std::size_t length) {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    PassThroughRecord r;
    r.cdb.assign(cdb, cdb + 16);
    if (data != nullptr) {
        // A large transfer keeps only its start, so that the log of a
        // long run stays small whatever moves through it.
        constexpr std::size_t kKeptData = 64 * 1024;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        r.data.assign(bytes, bytes + (length < kKeptData ? length : kKeptData));
        r.length = length;
    }
    // Keep the log bounded for long runs.
    if (l.passThrough.size() >= 256) l.passThrough.pop_front();
    l.passThrough.push_back(std::move(r));
}

std::vector<PassThroughRecord> passThroughLog() {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    return std::vector<PassThroughRecord>(l.passThrough.begin(), l.passThrough.end());
}

void clearCallLog() {
    Log& l = log();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.last.clear();
    l.counts.clear();
    l.calls.clear();
    l.passThrough.clear();
}

}  // namespace sim

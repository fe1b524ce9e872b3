// The library half of the trace from two threads at once: the event
// display's polls and the console's queries, each line written whole.
// A program of its own, because the trace decides once, at the first
// call, whether TALO_TRACE names a file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <latch>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "access/event_records.h"
#include "access/hxapi.h"
#include "access/library_records.h"
#include "access/trace.h"
#include "platform/record.h"
#include "sim/model.h"
#include "sim/store.h"

namespace {

constexpr int kCallsPerThread = 300;

TEST(LibraryTrace, LinesOfTwoThreadsNeverMix) {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("library-trace-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    const std::string path = (directory / "trace.jsonl").string();
    ::setenv("TALO_TRACE", path.c_str(), 1);
    ASSERT_TRUE(trace::enabled());

    sim::Store::instance().modify([](sim::State& s) { s = sim::demoState(); });
    std::uint8_t init[lib::InitBlock::kSize] = {};
    ASSERT_EQ(hx_initialize(init), 0u);
    ASSERT_EQ(hx_discover(0), 0u);

    // Both threads start their calls together.
    std::latch start(2);
    std::thread events([&start] {
        trace::nameThisThread("events");
        start.arrive_and_wait();
        std::vector<std::uint8_t> buffer(lib::kEventBufferSize);
        for (int i = 0; i < kCallsPerThread; ++i) {
            std::uint32_t range[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
            hx_getHBAEvents(0, 0, 0, range, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
        }
    });
    // The disk list: lines of some ten thousand characters each.
    std::vector<std::uint8_t> reply(85056);
    start.arrive_and_wait();
    for (int i = 0; i < kCallsPerThread; ++i) {
        std::uint8_t request[lib::InfoRequest::kSize] = {};
        rec::ByteSpan(request, sizeof request).put<lib::InfoRequest::Count>(128);
        hx_getPhyDrvInfo(0, 0, 0, request, reply.data(), static_cast<std::uint32_t>(reply.size()));
    }
    events.join();
    hx_finalize();

    std::ifstream in(path);
    std::map<std::pair<std::string, std::string>, int> seen;
    std::string line;
    while (std::getline(in, line)) {
        ASSERT_TRUE(nlohmann::json::accept(line)) << line.substr(0, 200);
        const nlohmann::json call = nlohmann::json::parse(line);
        ++seen[{call["call"], call["thread"]}];
    }
    std::filesystem::remove_all(directory);
    const std::map<std::pair<std::string, std::string>, int> expected = {
        {{"hx_initialize", "console"}, 1},
        {{"hx_discover", "console"}, 1},
        {{"hx_getHBAEvents", "events"}, kCallsPerThread},
        {{"hx_getPhyDrvInfo", "console"}, kCallsPerThread},
        {{"hx_finalize", "console"}, 1}};
    EXPECT_EQ(seen, expected);
}

}  // namespace

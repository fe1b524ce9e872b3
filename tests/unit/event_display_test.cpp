// The event display's polling cycle against the stand-in library, and the
// stand-in's event operation itself: what is printed for the records a
// poll returns, the defences against counts the buffer cannot hold, the
// order and address of the controllers polled, and each event delivered
// once.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "access/event_records.h"
#include "command_harness.h"
#include "console/event_display.h"
#include "platform/record.h"

namespace {

struct Shown {
    std::uint32_t id;
    const char* severity;
    std::string array;
    std::string description;
};

std::string printed(const std::vector<Shown>& events) {
    std::string text;
    for (const Shown& e : events) {
        text += "EventID: 0x" + [&] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%x", e.id);
            return std::string(hex);
        }() + " \nEvent Severity : " + e.severity + " \narray: " + e.array + " \n" +
                e.description + "\n> ";
    }
    return text;
}

class EventDisplay : public SimulatorFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SimulatorFixture::SetUp());
        savedCount_ = controllerContext.controllerCount;
        controllerContext.controllerCount = 1;
    }
    void TearDown() override {
        controllerContext.controllerCount = savedCount_;
        controllerContext.selectController(0);
        SimulatorFixture::TearDown();
    }

    static void queue(std::size_t controller, std::uint32_t id, int severity,
                      const std::string& description, const std::string& array) {
        sim::Store::instance().modify([&](sim::State& s) {
            sim::queueEvent(s.controllers.at(controller), id, severity, description, array, 0);
        });
    }
    static void setCountQuirk(std::optional<std::uint32_t> count) {
        sim::Store::instance().modify(
            [&](sim::State& s) { s.controllers.at(0).eventQuirks.eventCount = count; });
    }
    static std::size_t queued(std::size_t controller) {
        std::size_t n = 0;
        sim::Store::instance().read(
            [&](const sim::State& s) { n = s.controllers.at(controller).events.size(); });
        return n;
    }

    // One polling cycle with a buffer of size bytes, which starts dirty:
    // the cycle must clear it.
    static std::string poll(std::size_t size = lib::kEventBufferSize) {
        std::vector<std::uint8_t> buffer(size, 0xA5);
        ConsoleCapture capture;
        pollControllerEvents(buffer.data(), buffer.size());
        return capture.take();
    }

private:
    std::uint32_t savedCount_ = 0;
};

TEST_F(EventDisplay, OnePollPrintsWhatTheLibraryReturns) {
    struct Event {
        std::uint32_t id;
        int severity;
        std::string description;
        std::string array;
    };
    const std::string longText(300, 'x');
    std::vector<Event> sixty;
    std::vector<Shown> firstFiftyOne;
    for (std::uint32_t i = 0; i < 60; ++i) {
        sixty.push_back({0x100 + i, 9, "event " + std::to_string(i), std::to_string(i)});
        if (i < 51) firstFiftyOne.push_back({0x100 + i, "Information", std::to_string(i),
                                             "event " + std::to_string(i)});
    }
    struct Case {
        const char* name;
        std::vector<Event> queued;
        std::optional<std::uint32_t> countQuirk;
        std::size_t bufferSize;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"nothing queued", {}, std::nullopt, lib::kEventBufferSize, ""},
        {"error and information",
         {{0x2005, 6, "Rebuild aborted", "1"}, {0x2001, 9, "Rebuild started", "2"}},
         std::nullopt,
         lib::kEventBufferSize,
         printed({{0x2005, "Error", "1", "Rebuild aborted"},
                  {0x2001, "Information", "2", "Rebuild started"}})},
        {"warning, and codes next to the named ones",
         {{1, 3, "a", "b"}, {2, 2, "c", "d"}, {3, 4, "e", "f"}, {4, 0, "", ""}, {5, 255, "g", ""}},
         std::nullopt,
         lib::kEventBufferSize,
         printed({{1, "Warning", "b", "a"},
                  {2, "Information", "d", "c"},
                  {3, "Information", "f", "e"},
                  {4, "Information", "", ""},
                  {5, "Information", "", "g"}})},
        {"texts cut to their fields", {{7, 6, longText, longText}}, std::nullopt,
         lib::kEventBufferSize,
         printed({{7, "Error", std::string(63, 'x'), std::string(259, 'x')}})},
        {"count 52 prints the 51 records the buffer holds", sixty, 52u, lib::kEventBufferSize,
         printed(firstFiftyOne)},
        {"count left at 0xFFFFFFFF prints nothing", {{1, 6, "a", "b"}}, 0xFFFFFFFFu,
         lib::kEventBufferSize, ""},
        {"count 0 prints nothing", {{1, 6, "a", "b"}}, 0u, lib::kEventBufferSize, ""},
        {"a count above what a smaller buffer holds",
         {{1, 6, "a", "b"}, {2, 3, "c", "d"}, {3, 9, "e", "f"}},
         5u,
         lib::eventRecordOffset(2) + 100,
         printed({{1, "Error", "b", "a"}, {2, "Warning", "d", "c"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetSimulator();
        for (const Event& e : c.queued) queue(0, e.id, e.severity, e.description, e.array);
        setCountQuirk(c.countQuirk);
        EXPECT_EQ(poll(c.bufferSize), c.expected);
    }
}

TEST_F(EventDisplay, EachEventIsDeliveredOnce) {
    for (std::uint32_t i = 0; i < 60; ++i) queue(0, i, 6, "e", "a");
    std::vector<Shown> firstPoll;
    std::vector<Shown> secondPoll;
    for (std::uint32_t i = 0; i < 60; ++i) {
        (i < 51 ? firstPoll : secondPoll).push_back({i, "Error", "a", "e"});
    }
    EXPECT_EQ(poll(), printed(firstPoll));
    EXPECT_EQ(queued(0), 9u);
    EXPECT_EQ(poll(), printed(secondPoll));
    EXPECT_EQ(queued(0), 0u);
    EXPECT_EQ(poll(), "");
}

TEST_F(EventDisplay, EveryControllerIsPolledInIndexOrderWithItsOwnIndex) {
    sim::Store::instance().modify([](sim::State& s) {
        s.controllers.push_back(s.controllers.at(0));
        s.controllers.push_back(s.controllers.at(0));
        // The library counts the controllers in port order.
        for (int index : {1, 2}) {
            sim::Port port;
            port.kind = sim::PortKind::Talo;
            port.controller = index;
            s.ports.push_back(port);
        }
    });
    queue(1, 0x11, 3, "second controller", "1");
    queue(0, 0x10, 6, "first controller", "0");
    queue(2, 0x12, 9, "third controller, not counted", "2");
    controllerContext.controllerCount = 2;
    controllerContext.selectController(1);
    sim::clearCallLog();

    EXPECT_EQ(poll(), printed({{0x10, "Error", "0", "first controller"},
                               {0x11, "Warning", "1", "second controller"}}));
    std::vector<std::uint32_t> polled;
    for (const sim::LibraryCallRecord& call : sim::libraryCallLog()) {
        ASSERT_EQ(call.operation, "hx_getHBAEvents");
        ASSERT_EQ(call.record.size(), 16u);
        const rec::ByteView args(call.record.data(), call.record.size());
        polled.push_back(args.at<std::uint32_t>(0));
        EXPECT_EQ(args.at<std::uint32_t>(4), 0u);   // word 2
        EXPECT_EQ(args.at<std::uint32_t>(8), 0u);   // word 3 of the address
        EXPECT_EQ(args.at<std::uint32_t>(12), lib::kEventBufferSize);
    }
    EXPECT_EQ(polled, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(queued(2), 1u);

    controllerContext.controllerCount = 0;
    sim::clearCallLog();
    EXPECT_EQ(poll(), "");
    EXPECT_TRUE(sim::libraryCallLog().empty());
}

TEST_F(EventDisplay, TheStandInFillsOnlyTheBufferAndClearsTheHeader) {
    for (std::uint32_t i = 0; i < 3; ++i) queue(0, 0x40 + i, 6, "d", "a");
    // Room for two records and part of a third; bytes past size stay.
    const std::uint32_t size = static_cast<std::uint32_t>(lib::eventRecordOffset(2) + 407);
    std::vector<std::uint8_t> buffer(size + 64, 0xA5);
    std::uint32_t range[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(hx_getHBAEvents(0, 0, 0, range, buffer.data(), size), 0u);
    EXPECT_EQ(range[1], 2u);
    for (std::size_t i = 0; i < lib::kEventHeaderSize; ++i) ASSERT_EQ(buffer[i], 0) << i;
    for (std::size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << i;
    const rec::ByteView second(buffer.data() + lib::eventRecordOffset(1), lib::EventRecord::kSize);
    EXPECT_EQ(second.get<lib::EventRecord::EventId>(), 0x41u);
    EXPECT_EQ(second.get<lib::EventRecord::Severity>(), 6u);
    EXPECT_EQ(queued(0), 1u);

    // Calls the stand-in refuses leave the range and the queue alone.
    struct Refused {
        const char* name;
        std::uint32_t w1;
        bool range;
        bool buffer;
        std::uint32_t size;
    };
    for (const Refused& r : std::vector<Refused>{{"no range", 0, false, true, size},
                                                  {"no buffer", 0, true, false, size},
                                                  {"smaller than the header", 0, true, true, 63},
                                                  {"no such controller", 1, true, true, size}}) {
        SCOPED_TRACE(r.name);
        range[1] = 0xFFFFFFFFu;
        EXPECT_NE(hx_getHBAEvents(r.w1, 0, 0, r.range ? range : nullptr,
                                  r.buffer ? buffer.data() : nullptr, r.size),
                  0u);
        EXPECT_EQ(range[1], 0xFFFFFFFFu);
        EXPECT_EQ(queued(0), 1u);
    }
    hx_finalize();
    EXPECT_NE(hx_getHBAEvents(0, 0, 0, range, buffer.data(), size), 0u);
    EXPECT_EQ(queued(0), 1u);
}

}  // namespace

// The binding to the maker's libraries where none is to be had: a program
// of its own, linking the binding and no stand-in. Every operation answers
// with a failure, and says why in one line per command on the console's
// thread, none on the event thread's; the log calls do nothing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "access/faultlog.h"
#include "access/hxapi.h"
#include "access/library_binding.h"
#include "access/trace.h"
#include "platform/console.h"

namespace {

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(LibraryBinding, WithoutALibraryEveryCallFailsAndSaysWhyOncePerCommand) {
    setenv("TALO_SIM_KIT", "/nonexistent", 1);
    unsetenv("TALO_SIM");
    hxbind::Request request;
    request.systemHasDriver = false;  // the kit is tried too, and is not there
    const hxbind::Binding binding = hxbind::bindLibraries(request);
    ASSERT_EQ(binding.source, hxbind::Source::None);
    EXPECT_EQ(binding.simulatedDevices, nullptr);
    const std::string why = hxbind::libraryUnavailableLine();
    EXPECT_EQ(why.rfind("The management library libhxapi.so.1 cannot be loaded (looked for on the system's "
                        "library path: LD_LIBRARY_PATH, the loader's cache, /lib, /usr/lib): ",
                        0),
              0u)
        << why;
    EXPECT_EQ(why.back(), '\n');

    std::string printed;
    platform::setConsoleCapture(&printed);
    std::uint32_t count = 7;
    std::uint8_t request12[12] = {}, reply[728] = {};
    // One command, three calls: one line.
    hxbind::noteCommandStart();
    EXPECT_NE(hx_initialize(nullptr), 0u);
    EXPECT_NE(hx_getNumberOfHBA(&count), 0u);
    EXPECT_NE(hx_getPhyDrvInfo(0, 0, 0, request12, reply, sizeof reply), 0u);
    EXPECT_EQ(printed, why);
    EXPECT_EQ(count, 7u);  // nothing filled
    // The next command says it again; a call of the event thread never does.
    hxbind::noteCommandStart();
    std::thread events([&] {
        trace::nameThisThread("events");
        EXPECT_NE(hx_getNumberOfHBA(&count), 0u);
    });
    events.join();
    EXPECT_EQ(countOf(printed, why), 1u);
    EXPECT_NE(hx_finalize(), 0u);
    EXPECT_EQ(countOf(printed, why), 2u);
    platform::setConsoleCapture(nullptr);

    // Without the logging library, logging does nothing.
    std::uint32_t handle = 5;
    LogConfig config{};
    EXPECT_NE(createErrorHandler(&handle, &config), 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_NE(logInfoMsg(handle, "callling %s", "nothing"), 0u);
    EXPECT_NE(logErrMsg(handle, 1, "text"), 0u);
}

}  // namespace

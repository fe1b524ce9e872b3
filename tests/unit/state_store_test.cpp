// The state file behind a store: read once and kept while nobody replaces
// it, read again after any change by another store, and never overwritten
// when it does not hold a valid state.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/store.h"

namespace {

std::string freshStatePath(const char* name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("talo-store-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return (dir / "state.json").string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::uint32_t clockOf(sim::Store& store) {
    std::uint32_t clock = 0;
    store.read([&](const sim::State& s) { clock = s.clock.value_or(0xFFFFFFFFu); });
    return clock;
}

TEST(StateStore, AnUnchangedFileIsReadOnce) {
    const std::string path = freshStatePath("once");
    sim::Store(path).modify([](sim::State& s) { s.clock = 7; });
    sim::Store store(path);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(clockOf(store), 7u);
    EXPECT_EQ(store.fileReads(), 1u);
    // Its own changes need no reading either.
    for (std::uint32_t i = 0; i < 20; ++i) {
        store.modify([&](sim::State& s) { s.clock = 100 + i; });
        EXPECT_EQ(clockOf(store), 100 + i);
    }
    EXPECT_EQ(store.fileReads(), 1u);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(nlohmann::json::parse(readFile(path)).get<sim::State>().clock, 119u);
}

TEST(StateStore, EveryChangeByAnotherStoreIsSeen) {
    // Changes follow one another faster than file times move on, and each
    // replaced file may take a freed inode: the store must still see each.
    const std::string path = freshStatePath("other");
    sim::Store mine(path);
    sim::Store other(path);
    mine.modify([](sim::State& s) { s.clock = 0; });
    for (std::uint32_t i = 1; i <= 300; ++i) {
        if (i % 3 == 0) {
            mine.modify([&](sim::State& s) { s.clock = *s.clock + 1; });
        } else {
            other.modify([&](sim::State& s) { s.clock = *s.clock + 1; });
        }
        ASSERT_EQ(clockOf(mine), i);
        ASSERT_EQ(clockOf(other), i);
    }
}

TEST(StateStore, AFileEditedInPlaceIsSeen) {
    const std::string path = freshStatePath("edited");
    sim::Store store(path);
    store.modify([](sim::State& s) { s.clock = 5; });
    writeFile(path, R"({"clock": 123456})");
    EXPECT_EQ(clockOf(store), 123456u);
    writeFile(path, R"({"clock": 1})");
    EXPECT_EQ(clockOf(store), 1u);
}

TEST(StateStore, AMissingFileIsMadeFromTheDemoAgain) {
    const std::string path = freshStatePath("removed");
    sim::Store store(path);
    store.modify([](sim::State& s) { s.clock = 5; });
    std::filesystem::remove(path);
    EXPECT_EQ(clockOf(store), 0xFFFFFFFFu);  // the demo has no fixed clock
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(StateStoreDeathTest, AnInvalidFileEndsTheProgramAndIsKept) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"[]", "the top level: expected an object"},
        {R"({"ports": [{"kind": "bogus"}]})", "ports\\[0\\]\\.kind: unknown name \"bogus\""},
        {"{\"clock\": ", "parse error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = freshStatePath("invalid");
        sim::Store store(path);
        store.modify([](sim::State& s) { s.clock = 5; });  // read and kept in memory
        writeFile(path, c.text);
        EXPECT_EXIT(store.modify([](sim::State& s) { s.clock = 6; }), testing::ExitedWithCode(2),
                    std::string("simulator state '.*' cannot be used: .*") + c.message);
        EXPECT_EXIT(clockOf(store), testing::ExitedWithCode(2), c.message);
        EXPECT_EQ(readFile(path), c.text);
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
}

TEST(StateStoreDeathTest, AStateThatCannotBeWrittenEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = freshStatePath("unwritable") + ".d/state.json";  // no such folder
    sim::Store store(path);
    EXPECT_EXIT(clockOf(store), testing::ExitedWithCode(2),
                "simulator state '.*' cannot be used: cannot write .*state.json.tmp: No such file");
}

}  // namespace

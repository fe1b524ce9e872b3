#include "sim/store.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/file_lock.h"
#include "sim/array_model.h"

namespace sim {

namespace {

[[noreturn]] void unusableState(const std::string& path, const std::string& why) {
    std::fprintf(stderr, "simulator state '%s' cannot be used: %s\n", path.c_str(), why.c_str());
    std::fflush(stderr);
    std::_Exit(2);
}

}  // namespace

Store& Store::instance() {
    static Store store([] {
        const char* path = std::getenv("TALO_SIM");
        return std::string(path != nullptr ? path : "");
    }());
    return store;
}

Store::Store(std::string path) : path_(std::move(path)) {
    if (path_.empty()) memory_ = demoState();
}

State Store::load(bool mayCreate) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        State demo = demoState();
        if (mayCreate) save(demo);
        return demo;
    }
    std::stringstream text;
    text << in.rdbuf();
    State state;
    try {
        state = nlohmann::json::parse(text.str()).get<State>();
    } catch (const std::exception& e) {
        unusableState(path_, e.what());
    }
    // What has happened on the controller since the state was last written.
    settleState(state);
    return state;
}

void Store::save(const State& state) {
    const std::string temporary = path_ + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << nlohmann::json(state).dump(2) << '\n';
        out.flush();
        if (!out) unusableState(path_, "cannot write " + temporary);
    }
    if (!platform::replaceFile(temporary, path_)) unusableState(path_, "cannot replace the file");
}

void Store::modify(const std::function<void(State&)>& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (path_.empty()) {
        settleState(memory_);
        f(memory_);
        return;
    }
    platform::FileLock lock(path_ + ".lock", true);
    State state = load(true);
    f(state);
    save(state);
}

void Store::read(const std::function<void(const State&)>& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (path_.empty()) {
        settleState(memory_);
        f(memory_);
        return;
    }
    // Loading may have to create the file from the demo, which needs the
    // exclusive lock; plain reads share the lock.
    {
        std::ifstream probe(path_, std::ios::binary);
        if (!probe) {
            platform::FileLock lock(path_ + ".lock", true);
            f(load(true));
            return;
        }
    }
    platform::FileLock lock(path_ + ".lock", false);
    f(load(false));
}

}  // namespace sim

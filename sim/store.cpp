#include "sim/store.h"

#include "access/simulator_kit.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/array_model.h"

namespace sim {

namespace {

// Far beyond any real state's size (which the lists' bounds keep to a few
// megabytes), and small enough to read and parse without trouble.
constexpr std::size_t kMaxStateBytes = 64u << 20;

[[noreturn]] void unusableState(const std::string& path, const std::string& why) {
    // What the console printed so far is kept; then the reason, last.
    std::fflush(stdout);
    std::fprintf(stderr, "simulator state '%s' cannot be used: %s\n", path.c_str(), why.c_str());
    std::fflush(stderr);
    std::_Exit(2);
}

std::string& chosenInstanceFile() {
    static std::string path;
    return path;
}

}  // namespace

void Store::chooseInstanceFile(std::string path) { chosenInstanceFile() = std::move(path); }

Store& Store::instance() {
    static Store store([] {
        const char* variable = std::getenv("TALO_SIM");
        const std::string path = !chosenInstanceFile().empty() ? chosenInstanceFile()
                                 : variable != nullptr         ? std::string(variable)
                                                               : std::string();
        return path == kit::kBuiltInDemo ? std::string() : path;
    }());
    return store;
}

Store::Store(std::string path) : path_(std::move(path)) {
    if (path_.empty()) memory_ = demoState();
}

bool Store::refresh(bool mayCreate) {
    if (file_.unchanged(path_)) return true;
    std::string text;
    switch (file_.read(path_, text)) {
        case platform::TrackedFile::ReadResult::Read: break;
        case platform::TrackedFile::ReadResult::Failed: unusableState(path_, file_.error());
        case platform::TrackedFile::ReadResult::Missing:
            if (!mayCreate) return false;
            memory_ = demoState();
            save();
            return true;
    }
    ++fileReads_;
    if (text.size() > kMaxStateBytes) {
        file_.forget();
        unusableState(path_, "the file holds " + std::to_string(text.size()) +
                                 " bytes, more than the " + std::to_string(kMaxStateBytes) +
                                 " a state may take");
    }
    std::string why;
    try {
        State state = nlohmann::json::parse(text).get<State>();
        memory_ = std::move(state);
        return true;
    } catch (const std::exception& e) {
        why = e.what();
    }
    // Ended outside the handler, so that the exception is freed first.
    file_.forget();
    unusableState(path_, why);
}

void Store::save() {
    std::string text;
    try {
        text = nlohmann::json(memory_).dump(2);
        text += '\n';
    } catch (const std::exception& e) {
        unusableState(path_, std::string("cannot write the state: ") + e.what());
    }
    if (!file_.write(path_, text)) unusableState(path_, file_.error());
}

void Store::modify(const std::function<void(State&)>& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (path_.empty()) {
        settleState(memory_);
        f(memory_);
        return;
    }
    platform::FileLock lock(path_ + ".lock", true);
    refresh(true);
    // What has happened on the controller since the state was last looked at.
    settleState(memory_);
    try {
        f(memory_);
    } catch (...) {
        file_.forget();  // memory_ may be half changed: read the file again next time
        throw;
    }
    save();
}

void Store::read(const std::function<void(const State&)>& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (path_.empty()) {
        settleState(memory_);
        f(memory_);
        return;
    }
    {
        // Plain reads share the lock; a missing file must be created from
        // the demo, which needs the exclusive lock.
        platform::FileLock lock(path_ + ".lock", false);
        if (refresh(false)) {
            settleState(memory_);
            f(memory_);
            return;
        }
    }
    platform::FileLock lock(path_ + ".lock", true);
    refresh(true);
    settleState(memory_);
    f(memory_);
}

void Store::replace(const State& state) {
    std::lock_guard<std::mutex> guard(mutex_);
    memory_ = state;
    if (path_.empty()) return;
    platform::FileLock lock(path_ + ".lock", true);
    save();
}

}  // namespace sim

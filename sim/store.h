#pragma once
// Where the simulation's state lives. Without TALO_SIM it is the built-in
// demo, held in memory for the life of the process. With TALO_SIM naming a
// file, every access loads the file under a lock, and every change is written
// back at once (a temporary file renamed over the old one), so that several
// processes sharing one state never lose or mix up an update.

#include <functional>
#include <mutex>
#include <string>

#include "sim/model.h"

namespace sim {

class Store {
public:
    // The store the environment selects; made on first use.
    static Store& instance();

    explicit Store(std::string path);  // empty path: in-memory demo

    // Calls f with the current state. Changes f makes are kept.
    void modify(const std::function<void(State&)>& f);
    // Calls f with the current state, which it must not change.
    void read(const std::function<void(const State&)>& f);

    const std::string& path() const { return path_; }

private:
    State load(bool mayCreate);
    void save(const State& state);

    std::string path_;
    std::mutex mutex_;
    State memory_;
};

}  // namespace sim

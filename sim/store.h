#pragma once
// Where the simulation's state lives. Without TALO_SIM it is the built-in
// demo, held in memory for the life of the process. With TALO_SIM naming a
// file, every access takes the file's lock, and every change is written back
// at once (a temporary file, flushed to the disk and renamed over the old
// one), so that several processes sharing one state never lose or mix up an
// update. The state last read is kept in memory, and the file is read again
// only when another process has replaced it since.

#include <functional>
#include <mutex>
#include <string>

#include "platform/file_lock.h"
#include "sim/model.h"

namespace sim {

class Store {
public:
    // The store the environment selects; made on first use.
    static Store& instance();
    // Makes instance() the store of this file instead of the one TALO_SIM
    // names; it takes effect only before instance() is first used.
    static void chooseInstanceFile(std::string path);

    explicit Store(std::string path);  // empty path: in-memory demo

    // Calls f with the current state. Changes f makes are kept.
    void modify(const std::function<void(State&)>& f);
    // Calls f with the current state, which it must not change.
    void read(const std::function<void(const State&)>& f);
    // Replaces the file with the state, whatever it held before (it need
    // not exist, nor hold a valid state), under the lock and in one step.
    void replace(const State& state);

    const std::string& path() const { return path_; }
    // How many times the file has been read and parsed so far.
    unsigned long long fileReads() const { return fileReads_; }

private:
    // Brings memory_ up to the file's state, creating the file from the demo
    // when it is missing and mayCreate is set; false when it is missing and
    // was not created. A file that cannot be read or does not hold a valid
    // state ends the program, leaving the file alone.
    bool refresh(bool mayCreate);
    void save();

    std::string path_;
    std::mutex mutex_;
    State memory_;
    platform::TrackedFile file_;  // the version memory_ was read from or written to
    unsigned long long fileReads_ = 0;
};

}  // namespace sim

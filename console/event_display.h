#pragma once
// The event display of library mode: a background thread that asks the
// management library for every controller's new events about every four
// seconds and prints each one between the operator's commands.

#include <cstddef>
#include <cstdint>

// Starts the thread, once per process (a later call starts nothing and
// answers true). It is detached and runs until the process ends. False when
// the thread cannot be created.
bool startEventDisplayThread();

// One poll of every controller, in index order, with buffer (size bytes,
// lib::kEventBufferSize in the thread) for the library's reply; prints each
// event returned. The thread's cycle calls this between its sleeps. Never
// throws.
void pollControllerEvents(std::uint8_t* buffer, std::size_t size);

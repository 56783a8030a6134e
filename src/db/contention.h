// Contention: the database is busy because another connection holds a lock this one needs, or
// this connection's read snapshot went stale before its first write. It is a fault like any
// other, but one that goes away: the work that met it is rolled back and run again.
//
// RetryContended runs such work until it succeeds, waiting with growing, jittered pauses, and
// gives up only after kContentionLimit (a deadlock after kDeadlockAttempts); then the contention
// passes on as the fault it is.
#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "base/fault.h"

namespace db {

class Contention : public base::Fault {
  public:
    explicit Contention(const std::string& description);
};

// A server chose this connection's transaction to end a deadlock (or a serialization failure):
// contention too, but the server has already rolled the work back, so it is run again at once
// and only a few times; after that it passes on.
class Deadlock : public Contention {
  public:
    explicit Deadlock(const std::string& description) : Contention(description) {}
};

// How many times work that met a deadlock runs in all before the deadlock passes on.
inline constexpr int kDeadlockAttempts = 10;

// How long a record waits for the database before its contention becomes a fault.
inline constexpr std::chrono::seconds kContentionLimit{180};

// The pause before attempt number `attempt` (from 1): 1 ms doubling to 64 ms, each jittered.
std::chrono::microseconds ContentionPause(int attempt);

// Hears, before each pause, how long work has waited for contention to pass (a host's progress
// display); null for none. Process-wide.
using ContentionWaitObserver = void (*)(std::chrono::milliseconds waited);
void SetContentionWaitObserver(ContentionWaitObserver observer);
void NoteContentionWait(std::chrono::milliseconds waited);

// Runs `work` (which must leave nothing behind when it throws Contention) until it returns.
template <class Work>
auto RetryContended(Work&& work, std::chrono::milliseconds limit = kContentionLimit)
    -> decltype(work()) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + limit;
    int deadlocks = 0;
    for (int attempt = 1;; ++attempt) {
        try {
            return work();
        } catch (const Deadlock&) {
            if (++deadlocks >= kDeadlockAttempts || std::chrono::steady_clock::now() >= deadline)
                throw;
        } catch (const Contention&) {
            if (std::chrono::steady_clock::now() >= deadline) throw;
        }
        NoteContentionWait(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start));
        std::this_thread::sleep_for(ContentionPause(attempt));
    }
}

}  // namespace db

#pragma once
#include <cstdint>

namespace vantrel {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the system's tick count.
uint32_t tickCount();

// Milliseconds from `start` to now, correct across a wrap of the tick count.
uint32_t ticksSince(uint32_t start);

// Busy wait of `ms` milliseconds that keeps serving the calling thread's events.
void Delay(uint32_t ms);

// Serves the calling thread's pending events once (no-op without an application object).
void serviceEvents();

// Serves events at most once every `intervalMs`: a loop of many short steps stays responsive
// without paying for a serving after each step. The first call serves at once.
class PacedEventServing {
public:
    explicit PacedEventServing(uint32_t intervalMs) : interval_(intervalMs) {}
    void serveIfDue();

private:
    uint32_t interval_;
    uint32_t last_ = 0;
    bool served_ = false;
};

// How many serviceEvents calls of the calling thread are running: greater inside an event
// handler that a wait served than in the code that waited.
int eventServicingDepth();

} // namespace vantrel

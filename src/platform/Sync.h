#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

class QThread;

namespace vantrel {

// An auto-reset event: Set wakes one waiter, and a successful wait resets it.
class AutoResetEvent {
public:
    void set();
    void reset();
    // Waits up to `timeoutMs`; false on time-out. Does not serve events.
    bool wait(uint32_t timeoutMs);
    // Waits up to `timeoutMs` in short slices, serving the calling thread's events between them.
    bool waitServicing(uint32_t timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};

// Waits for `thread` to finish in short slices, serving the calling thread's events between
// them, so that a thread that sends a message to this thread cannot deadlock the wait.
// `timeoutMs` of UINT32_MAX waits without end. True when the thread has finished.
bool waitForThread(QThread* thread, uint32_t timeoutMs = UINT32_MAX);

} // namespace vantrel

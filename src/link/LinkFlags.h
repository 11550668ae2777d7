#pragma once
#include <atomic>
#include <cstdint>

namespace vantrel {

// The flags that keep the window thread's command sequences and the status-poll thread
// apart. One set exists for the whole program.
struct LinkFlags {
    std::atomic<bool> commandLock{false};  // a window-side command sequence owns the line
    std::atomic<bool> pollRunning{false};
    std::atomic<bool> pollStopRequest{false};

    // Takes the command lock when it is free; false when another sequence holds it.
    bool tryTakeCommandLock()
    {
        bool expected = false;
        return commandLock.compare_exchange_strong(expected, true);
    }
    void releaseCommandLock() { commandLock = false; }
};

LinkFlags& linkFlags();

// Holds the command lock while it lives, taken by test-and-set; it releases only a lock it
// took. With a wait, a held lock is waited for (serving events) up to `waitMs`.
class CommandLockGuard {
public:
    explicit CommandLockGuard(uint32_t waitMs = 0);
    ~CommandLockGuard();
    CommandLockGuard(const CommandLockGuard&) = delete;
    CommandLockGuard& operator=(const CommandLockGuard&) = delete;
    bool owns() const { return owns_; }

private:
    bool owns_;
};

} // namespace vantrel

#pragma once
#include <atomic>

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

// Releases the command lock when the scope ends.
class CommandLockRelease {
public:
    CommandLockRelease() = default;
    ~CommandLockRelease() { linkFlags().releaseCommandLock(); }
    CommandLockRelease(const CommandLockRelease&) = delete;
    CommandLockRelease& operator=(const CommandLockRelease&) = delete;
};

} // namespace vantrel

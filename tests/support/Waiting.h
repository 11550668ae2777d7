#pragma once
#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace vantrel::test {

// Serves the test thread's events until `done` holds or `limitMs` passed; false on time-out.
// Checks of what another thread does (the simulator's) wait for it here instead of sleeping.
bool serveUntil(const std::function<bool()>& done, uint32_t limitMs = 5000);

// A timer of the calling thread that fires every `intervalMs` while the object lives, and the
// longest time between two firings: how long the thread (a window's) went without serving
// its events. `onTick` runs at each firing.
class TimerGapWatch {
public:
    explicit TimerGapWatch(int intervalMs, std::function<void()> onTick = {});
    int64_t longestGapMs() const { return longestGap_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    int64_t lastTick_ = 0;
    int64_t longestGap_ = 0;
    std::function<void()> onTick_;
};

} // namespace vantrel::test

#include "Waiting.h"

#include "platform/Ticks.h"

#include <algorithm>

namespace vantrel::test {

bool serveUntil(const std::function<bool()>& done, uint32_t limitMs)
{
    const uint32_t start = tickCount();
    while (!done()) {
        if (ticksSince(start) > limitMs)
            return false;
        Delay(5);
    }
    return true;
}

TimerGapWatch::TimerGapWatch(int intervalMs, std::function<void()> onTick) : onTick_(std::move(onTick))
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const int64_t now = clock_.elapsed();
        longestGap_ = std::max(longestGap_, now - lastTick_);
        lastTick_ = now;
        if (onTick_)
            onTick_();
    });
    clock_.start();
    timer_.start(intervalMs);
}

} // namespace vantrel::test

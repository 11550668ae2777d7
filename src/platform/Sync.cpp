#include "Sync.h"

#include "Ticks.h"

#include <QThread>
#include <chrono>

namespace vantrel {

namespace {
constexpr uint32_t sliceMs = 5;
}

void AutoResetEvent::set()
{
    std::lock_guard lock(mutex_);
    set_ = true;
    signalled_.notify_one();
}

void AutoResetEvent::reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool AutoResetEvent::wait(uint32_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    if (!signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; }))
        return false;
    set_ = false;
    return true;
}

bool AutoResetEvent::waitServicing(uint32_t timeoutMs)
{
    const uint32_t start = tickCount();
    for (;;) {
        const uint32_t elapsed = ticksSince(start);
        const uint32_t left = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        if (wait(std::min(left, sliceMs)))
            return true;
        if (left == 0)
            return false;
        serviceEvents();
    }
}

bool waitForThread(QThread* thread, uint32_t timeoutMs)
{
    if (!thread)
        return true;
    const uint32_t start = tickCount();
    while (!thread->wait(QDeadlineTimer(sliceMs))) {
        serviceEvents();
        if (timeoutMs != UINT32_MAX && ticksSince(start) >= timeoutMs)
            return false;
    }
    return true;
}

} // namespace vantrel

#include "Ticks.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <thread>

namespace vantrel {

uint32_t tickCount()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

uint32_t ticksSince(uint32_t start)
{
    return tickCount() - start;
}

namespace {
thread_local int servicingDepth = 0;
}

void serviceEvents()
{
    // A thread without an event dispatcher has nothing to serve.
    if (!QCoreApplication::instance() || !QThread::currentThread()->eventDispatcher())
        return;
    ++servicingDepth;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --servicingDepth;
}

void PacedEventServing::serveIfDue()
{
    if (served_ && ticksSince(last_) < interval_)
        return;
    serviceEvents();
    last_ = tickCount();
    served_ = true;
}

int eventServicingDepth()
{
    return servicingDepth;
}

void Delay(uint32_t ms)
{
    const uint32_t start = tickCount();
    for (;;) {
        serviceEvents();
        if (ticksSince(start) >= ms)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace vantrel

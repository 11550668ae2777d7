#include "platform/Ticks.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <thread>

using namespace vantrel;

TEST(PacedEventServing, ServesAtOnceThenOnlyOnceTheIntervalHasPassed)
{
    int served = 0;
    const auto post = [&] { QMetaObject::invokeMethod(qApp, [&] { ++served; }, Qt::QueuedConnection); };
    PacedEventServing slow(60000), quick(5);
    for (const int expected : {1, 1}) { // the first call serves, the second falls within the interval
        post();
        slow.serveIfDue();
        EXPECT_EQ(served, expected);
    }
    quick.serveIfDue();
    post();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    quick.serveIfDue();
    EXPECT_EQ(served, 3);
}

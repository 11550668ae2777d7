#include "platform/Ticks.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vantrel;

TEST(PacedEventServing, ServesAtOnceThenOnlyOnceTheIntervalHasPassed)
{
    int served = 0;
    const auto post = [&] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { ++served; }, Qt::QueuedConnection);
    };
    PacedEventServing slow(60000);
    post();
    slow.serveIfDue();
    EXPECT_EQ(served, 1) << "the first call serves";
    post();
    slow.serveIfDue();
    EXPECT_EQ(served, 1) << "within the interval nothing is served";
    PacedEventServing quick(5);
    quick.serveIfDue();
    EXPECT_EQ(served, 2);
    post();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    quick.serveIfDue();
    EXPECT_EQ(served, 3) << "served again after the interval";
}

#include "platform/Sync.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

// Records every window message it receives and answers wParam + lParam.
class Recorder : public QObject {
public:
    std::vector<int> numbers;
    std::vector<Qt::HANDLE> threads;

    bool event(QEvent* event) override
    {
        if (auto* message = asWindowMessage(event)) {
            numbers.push_back(message->number());
            threads.push_back(QThread::currentThreadId());
            message->result = message->wParam + message->lParam;
            return true;
        }
        return QObject::event(event);
    }
};

} // namespace

TEST(Ticks, ElapsedTimeSurvivesTheWrap)
{
    const uint32_t now = tickCount();
    EXPECT_EQ(ticksSince(now - 5), 5u + (tickCount() - now));
    // A start in the future reads as a very long time ago, never as a negative span.
    EXPECT_GT(ticksSince(now + 10), 0x80000000u);
}

TEST(Ticks, DelayServesEventsAndWaitsLongEnough)
{
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(10);
    const uint32_t start = tickCount();
    Delay(120);
    EXPECT_GE(ticksSince(start), 120u);
    EXPECT_GE(fired, 5);
}

TEST(WindowMessages, NumbersMatchTheMessageTable)
{
    EXPECT_EQ(Msg::MonitorNotice, 1124);
    EXPECT_EQ(Msg::StatusChanged, 1127);
    EXPECT_EQ(Msg::WaitClose, 1132);
    EXPECT_EQ(Msg::WaitShow, 1134);
    EXPECT_EQ(Msg::PreviewReady, 1135);
    EXPECT_EQ(Msg::PictureCaptured, 1139);
    EXPECT_EQ(Msg::WaitStopEnabled, 1143);
    EXPECT_EQ(Msg::WaitPercent, 1144);
}

TEST(WindowMessages, PostArrivesWhenEventsAreServed)
{
    Recorder recorder;
    postMessage(&recorder, Msg::StatusChanged, 1, 2);
    EXPECT_TRUE(recorder.numbers.empty());
    serviceEvents();
    ASSERT_EQ(recorder.numbers.size(), 1u);
    EXPECT_EQ(recorder.numbers[0], 1127);
}

TEST(WindowMessages, SendOnOwnThreadIsDirect)
{
    Recorder recorder;
    EXPECT_EQ(sendMessage(&recorder, Msg::WaitPercent, 40, 2), 42);
    EXPECT_EQ(recorder.numbers.size(), 1u);
}

TEST(WindowMessages, SendFromWorkerBlocksUntilHandledOnReceiversThread)
{
    Recorder recorder;
    std::atomic<intptr_t> answer{-1};
    std::atomic<bool> returned{false};
    QThread* worker = QThread::create([&] {
        answer = sendMessage(&recorder, Msg::PictureCaptured, 7, 8);
        returned = true;
    });
    worker->start();
    // Not served yet: the sender must still be waiting.
    QThread::msleep(50);
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(waitForThread(worker, 5000));
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(answer.load(), 15);
    ASSERT_EQ(recorder.threads.size(), 1u);
    EXPECT_EQ(recorder.threads[0], QThread::currentThreadId());
    delete worker;
}

TEST(WindowMessages, SendToAReceiverThatGoesAwayReturns)
{
    auto* recorder = new Recorder;
    std::atomic<bool> returned{false};
    QThread* worker = QThread::create([&] {
        sendMessage(recorder, Msg::WaitClose);
        returned = true;
    });
    worker->start();
    QThread::msleep(30);
    delete recorder; // drops the queued message, which must wake the sender
    EXPECT_TRUE(worker->wait(QDeadlineTimer(5000)));
    EXPECT_TRUE(returned.load());
    delete worker;
}

TEST(AutoResetEvent, ResetsAfterOneWait)
{
    AutoResetEvent event;
    EXPECT_FALSE(event.wait(10));
    event.set();
    EXPECT_TRUE(event.wait(10));
    EXPECT_FALSE(event.wait(10));
}

TEST(AutoResetEvent, WaitServicingKeepsTimersRunning)
{
    AutoResetEvent event;
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(5);
    QThread* setter = QThread::create([&] {
        QThread::msleep(100);
        event.set();
    });
    setter->start();
    EXPECT_TRUE(event.waitServicing(5000));
    EXPECT_GE(fired, 5);
    EXPECT_FALSE(event.waitServicing(20));
    setter->wait();
    delete setter;
}

TEST(WaitForThread, TimesOutOnAThreadThatKeepsRunning)
{
    std::atomic<bool> stop{false};
    QThread* worker = QThread::create([&] {
        while (!stop)
            QThread::msleep(1);
    });
    worker->start();
    const uint32_t start = tickCount();
    EXPECT_FALSE(waitForThread(worker, 60));
    EXPECT_GE(ticksSince(start), 60u);
    stop = true;
    EXPECT_TRUE(waitForThread(worker));
    delete worker;
}

// The status-poll thread against the simulator, with the test thread as the window thread.
#include "SimulatedLine.h"
#include "link/Defvtrcmd.h"
#include "link/LinkFlags.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace vantrel;
using vantrel::quobsim::Device;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;
using vantrel::test::serveUntil;
using vantrel::test::SimulatedLine;

namespace {

// Stands in for the controller window: takes the status-changed message and clears the
// changed flags as the controller does.
class StatusWindow : public QObject {
public:
    explicit StatusWindow(QuobVtr& vtr) : vtr_(vtr) {}
    bool event(QEvent* event) override
    {
        WindowMessage* message = asWindowMessage(event);
        if (!message || message->number() != Msg::StatusChanged)
            return QObject::event(event);
        ++notices;
        vtr_.powerChanged = vtr_.stateChanged = vtr_.timeCodeChanged = 0;
        if (onNotice)
            onNotice();
        return true;
    }
    int notices = 0;
    std::function<void()> onNotice;

private:
    QuobVtr& vtr_;
};

struct PolledLine {
    explicit PolledLine(quobsim::DeviceSetup setup = quobsim::camcorder(1)) : line({setup}), vtr(line.io), window(vtr)
    {
        vtr.SetNotifyWindow(&window);
    }
    void setMotion(quobsim::Motion motion)
    {
        line.sim.withDevice(1, [&](Device& d) {
            d.tape.setPosition(30 * 600, quobsim::Clock::now());
            d.tape.setMotion(motion, quobsim::Clock::now());
        });
    }

    SimulatedLine line;
    QuobVtr vtr;
    StatusWindow window;
};

// How many status polls went out before each packet that begins with `sense`, in the order
// the simulator received them.
std::vector<int> pollsBeforeEachSense(quobsim::Simulator& sim, std::initializer_list<uint8_t> sense)
{
    std::vector<int> counts;
    int polls = 0;
    for (const quobsim::Received& entry : sim.received()) {
        if (std::equal(sense.begin(), sense.end(), entry.packet.begin() + 3)) {
            counts.push_back(polls);
            polls = 0;
        } else if (entry.packet[3] == 0x08 && entry.packet[4] == 0x4E) {
            ++polls;
        }
    }
    return counts;
}

} // namespace

TEST(PollThread, AnnouncesAMovingTapeAndStopsCleanly)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::Play);
    p.vtr.StartPolling();
    EXPECT_TRUE(linkFlags().pollRunning);
    const int start = 30 * 600;
    ASSERT_TRUE(serveUntil([&] { return p.vtr.timeCode > start + 3; }));
    EXPECT_GT(p.window.notices, 0);
    EXPECT_EQ(p.vtr.power, 1);
    p.vtr.StopPolling();
    EXPECT_FALSE(linkFlags().pollRunning);
    EXPECT_EQ(p.vtr.pollThread, nullptr);

    // Nothing polls after the stop.
    const int polls = p.line.sim.countReceived({0x08, 0x4E});
    Delay(100);
    EXPECT_EQ(p.line.sim.countReceived({0x08, 0x4E}), polls);
}

TEST(PollThread, VariableSpeedIsAskedAtOnceThenOnEveryThirtyFirstPoll)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::SlowReverse);
    p.vtr.StartPolling();
    ASSERT_TRUE(serveUntil([&] { return p.line.sim.countReceived({0x48, 0x4E}) >= 3; }));
    p.vtr.StopPolling();
    EXPECT_EQ(p.vtr.state, VtrState::SlowReverse);
    const std::vector<int> polls = pollsBeforeEachSense(p.line.sim, {0x48, 0x4E});
    // Right after the first answer that says "moving" (an answer lost on a busy machine aside).
    EXPECT_LE(polls[0], 3);
    for (size_t i = 1; i < polls.size(); ++i)
        EXPECT_GE(polls[i], 31) << i;
}

TEST(PollThread, IdleDeviceIsAskedForPowerEveryThirtyFirstPoll)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::Stop);
    p.vtr.StartPolling();
    ASSERT_TRUE(serveUntil([&] { return p.line.sim.countReceived({0x3E, 0x4E}) >= 3; }));
    p.vtr.StopPolling();
    for (int polls : pollsBeforeEachSense(p.line.sim, {0x3E, 0x4E}))
        EXPECT_GE(polls, 31);
}

TEST(PollThread, DeviceThatStopsAnsweringIsReportedOff)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::Play);
    p.vtr.StartPolling();
    ASSERT_TRUE(serveUntil([&] { return p.vtr.power == 1; }));
    p.line.setFault(1, FaultPlan{Fault::Silence});
    // 31 silent polls (each with the 80 ms spacing) and a five-try power sense.
    ASSERT_TRUE(serveUntil([&] { return p.vtr.power == 0; }, 10000));
    // Only the window's handling of the notice clears the flag.
    ASSERT_TRUE(serveUntil([&] { return p.vtr.powerChanged == 0; }, 1000));
    const uint32_t start = tickCount();
    p.vtr.StopPolling(); // the thread is inside a slow exchange; the stop still comes
    EXPECT_LT(ticksSince(start), 3000u);
}

TEST(PollThread, NeverPollsWhileTheCommandLockIsHeld)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    ASSERT_TRUE(linkFlags().tryTakeCommandLock());
    p.vtr.StartPolling();
    Delay(100);
    EXPECT_EQ(p.line.sim.countReceived({0x08, 0x4E}), 0);
    linkFlags().releaseCommandLock();
    ASSERT_TRUE(serveUntil([&] { return p.line.sim.countReceived({0x08, 0x4E}) > 0; }));

    // A stop asked while the thread waits for the lock ends it too.
    ASSERT_TRUE(linkFlags().tryTakeCommandLock());
    p.vtr.StopPolling();
    EXPECT_FALSE(linkFlags().pollRunning);
    linkFlags().releaseCommandLock();
}

TEST(PollThread, TransportCommandsFromTheWindowThreadGoBetweenPolls)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::Stop);
    p.vtr.StartPolling();
    for (int i = 0; i < 20; ++i) {
        const uint8_t code = i % 2 ? VtrState::Play : VtrState::Pause;
        EXPECT_TRUE(p.vtr.SetState(code, true)) << i;
    }
    p.vtr.StopPolling();
    for (const auto& entry : p.line.sim.received())
        EXPECT_TRUE(entry.checksumGood);
    EXPECT_EQ(p.line.sim.countReceived({0x08, 0x43, 0x75}), 10);
    EXPECT_EQ(p.line.sim.countReceived({0x08, 0x43, 0x6D}), 10);
}

TEST(PollThread, StopFromInsideTheStatusHandlerReturns)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.setMotion(quobsim::Motion::Play);
    p.window.onNotice = [&] { p.vtr.StopPolling(); }; // as a capture started from the controller does
    p.vtr.StartPolling();
    ASSERT_TRUE(serveUntil([&] { return p.vtr.pollThread == nullptr; }));
    EXPECT_FALSE(linkFlags().pollRunning);
    EXPECT_GE(p.window.notices, 1);
}

TEST(PollThread, StartTwiceRunsOneThreadAndStopRightAfterStartIsKept)
{
    PolledLine p;
    ASSERT_TRUE(p.line.ready);
    p.vtr.StartPolling();
    DefVtrCmd* first = p.vtr.pollThread.get();
    p.vtr.StartPolling();
    EXPECT_EQ(p.vtr.pollThread.get(), first);
    p.vtr.StopPolling();
    for (int i = 0; i < 10; ++i) {
        p.vtr.StartPolling();
        p.vtr.StopPolling();
        EXPECT_FALSE(linkFlags().pollRunning);
    }
}

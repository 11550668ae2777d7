// One exchange at a time on the line: the window thread against the poll thread, and event
// handlers served inside an exchange's own waits.
#include "SimulatedLine.h"
#include "link/Quobsys.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"
#include "support/Waiting.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vantrel;
using vantrel::test::SimulatedLine;

TEST(LineOwner, WindowAndPollThreadsNeverInterleaveTheirPackets)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobVtr vtr(line.io);
    QuobSys sys(line.io);
    DeviceEntry expected;
    expected.id = 1;
    ASSERT_TRUE(sys.ReadCodes(expected) && sys.ReadModel(expected));

    vtr.StartPolling();
    int rounds = 0;
    int failed = 0;
    const uint32_t start = tickCount();
    while (ticksSince(start) < 10000) {
        DeviceEntry entry;
        entry.id = 1;
        // Each answer read must be the one of its own command, never a poll's.
        const bool read = sys.ReadCodes(entry) && sys.ReadModel(entry)
                          && entry.deviceCodes == expected.deviceCodes
                          && entry.modelCodes == expected.modelCodes;
        const bool moved = vtr.SetState(rounds % 2 ? VtrState::Play : VtrState::Pause, false);
        failed += read && moved ? 0 : 1;
        ++rounds;
    }
    vtr.StopPolling();

    EXPECT_EQ(failed, 0) << "of " << rounds << " rounds";
    EXPECT_GT(line.sim.countReceived({0x08, 0x4E}), 0) << "the poll thread polled";
    EXPECT_EQ(line.sim.malformedPackets(), 0);
    EXPECT_EQ(line.io.busy, 0);
}

TEST(LineOwner, HandlerServedInsideAnExchangesWaitStartsNoSecondExchange)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobVtr vtr(line.io);
    // A send to ID 100 gets no answer, so the next exchange first waits 80 ms, serving events.
    line.io.SetCommand(100, QuobCmd::StatusSense);
    ASSERT_EQ(line.io.Transact(), QuobResult::Ok);
    // Nothing answers it, so the simulator may log it later: wait for that before clearing.
    ASSERT_TRUE(test::serveUntil([&] { return line.sim.received().size() == 1; }));
    line.sim.clearLog();

    bool fired = false;
    bool polled = true;
    int nestedResult = QuobResult::Ok;
    QTimer::singleShot(0, [&] {
        fired = true;
        polled = vtr.Poll();
        line.io.SetCommand(1, QuobCmd::PowerSense);
        nestedResult = line.io.Transact();
    });
    line.io.SetCommand(1, QuobCmd::StatusSense);
    EXPECT_EQ(line.io.Transact(), QuobResult::Ok);

    ASSERT_TRUE(fired);
    EXPECT_FALSE(polled);
    EXPECT_EQ(nestedResult, QuobResult::Busy);
    const auto received = line.sim.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].packet[4], 0x4E) << "the outer exchange's own command went out";
    EXPECT_EQ(line.io.answerBuffer[0], 0xFC);
    EXPECT_TRUE(vtr.Poll()) << "the line is free again afterwards";
    EXPECT_EQ(line.sim.malformedPackets(), 0);
}

TEST(LineOwner, WindowsThatGoAwayAreNoLongerNotified)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobVtr vtr(line.io);
    {
        test::MessageRecorder monitor;
        test::MessageRecorder controller;
        line.io.SetMonitorWindow(&monitor);
        vtr.SetNotifyWindow(&controller);
        EXPECT_EQ(line.io.monitorWindow.get(), &monitor);
    }
    EXPECT_EQ(line.io.monitorWindow.get(), nullptr);
    EXPECT_EQ(vtr.notifyWindow.get(), nullptr);
    vtr.StartPolling(); // posts to no window that is gone
    EXPECT_TRUE(vtr.SetState(VtrState::Play, true));
    vtr.StopPolling();
}

TEST(LineOwner, ACommandThatFoundTheLineHeldIsNeverSentLater)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    line.io.SetCommand(1, QuobCmd::StatusSense); // loaded, never sent
    std::atomic<bool> held{false};
    std::atomic<bool> done{false};
    std::thread holder([&] {
        CQuobIO::LineGuard guard(line.io);
        held = true;
        while (!done)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!held)
        std::this_thread::yield();
    line.io.SetCommand(1, QuobCmd::PowerSense); // the holder finishes nothing: given up
    done = true;
    holder.join();
    EXPECT_EQ(line.io.Transact(), QuobResult::Busy) << "neither the old nor the refused command";
    EXPECT_TRUE(line.sim.received().empty());
}

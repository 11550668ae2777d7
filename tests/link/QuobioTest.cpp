// The Quob packet exchange against the simulator over a pseudo-terminal.
#include "SimulatedLine.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

using namespace vantrel;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;
using vantrel::test::SimulatedLine;

namespace {

int statusSense(CQuobIO& io, int id = 1)
{
    io.SetCommand(id, QuobCmd::StatusSense);
    return io.Transact();
}

bool allZero(const QuobPacket& packet)
{
    for (uint8_t byte : packet)
        if (byte != 0)
            return false;
    return true;
}

} // namespace

TEST(QuobPacket, ChecksumOfStatusSense)
{
    QuobPacket packet{0xFF, 0xFF, 0x01, 0x08, 0x4E, 0x20, 0, 0, 0, 0, 0};
    EXPECT_EQ(quobChecksum(packet), 0x0B);
    packet[9] = 0x75; // any sum lands in 0..127, and the sum with it is a multiple of 128
    unsigned sum = quobChecksum(packet);
    for (size_t i = 0; i < 10; ++i)
        sum += packet[i];
    EXPECT_EQ(sum % 0x80, 0u);
}

TEST(QuobPacket, FramedPacketReachesTheDeviceByteForByte)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    const auto received = line.sim.received();
    ASSERT_EQ(received.size(), 1u);
    const quobsim::Packet expected{0xFF, 0xFF, 0x01, 0x08, 0x4E, 0x20, 0, 0, 0, 0, 0x0B};
    EXPECT_EQ(received[0].packet, expected);
    EXPECT_EQ(line.io.answerBuffer[0], 0xFC);
    EXPECT_EQ(line.io.answerBuffer[1], 0xFF);
    EXPECT_EQ(line.io.answerBuffer[10], quobChecksum(line.io.answerBuffer));
    EXPECT_EQ(line.io.lastSendTime, 0u);
    EXPECT_EQ(line.io.busy, 0);
}

TEST(QuobTransact, InvalidIdsNeverReachTheLine)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    test::MessageRecorder monitor;
    line.io.SetMonitorWindow(&monitor);
    EXPECT_EQ(statusSense(line.io, 0), QuobResult::BadId);
    EXPECT_EQ(statusSense(line.io, 128), QuobResult::BadId);
    EXPECT_EQ(line.io.lastResult, QuobResult::BadId);
    Delay(30);
    EXPECT_TRUE(line.sim.received().empty());
    test::deliverPosted();
    ASSERT_EQ(monitor.messages.size(), 2u);
    EXPECT_EQ(monitor.messages[0].number, Msg::MonitorNotice);
    EXPECT_EQ(monitor.messages[1].lParam, QuobResult::BadId);
}

TEST(QuobTransact, EveryFailureHasItsCodeAndZeroesTheAnswer)
{
    struct Case {
        Fault fault;
        int result;
    };
    const Case cases[] = {
        {Fault::Silence, QuobResult::NoAnswer},
        {Fault::Short, QuobResult::NoAnswer},
        {Fault::Echo, QuobResult::BadStart},
        {Fault::Garbage, QuobResult::BadStart},
        {Fault::BadChecksum, QuobResult::BadChecksum},
    };
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    for (const auto& c : cases) {
        ASSERT_EQ(statusSense(line.io), QuobResult::Ok); // a good answer leaves a non-zero buffer
        ASSERT_FALSE(allZero(line.io.answerBuffer));
        line.setFault(1, FaultPlan{c.fault, 0, 1});
        EXPECT_EQ(statusSense(line.io), c.result) << int(c.fault);
        EXPECT_TRUE(allZero(line.io.answerBuffer)) << int(c.fault);
        EXPECT_EQ(line.io.completionCode(), 0);
        line.setFault(1, FaultPlan{});
    }
}

TEST(QuobTransact, AClosedPortIsAWriteFailure)
{
    CQuobIO io;
    io.SetCommand(1, QuobCmd::StatusSense);
    EXPECT_EQ(io.Transact(), QuobResult::WriteFailed);
    EXPECT_EQ(io.busy, 0);
}

TEST(QuobTransact, ADeadPeerGivesAFailureCodeAndNoHang)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    line.sim.stop();
    const uint32_t start = tickCount();
    const int result = statusSense(line.io);
    EXPECT_EQ(result, QuobResult::LineLost) << "a closed far end is a hang-up, not a silent device";
    EXPECT_FALSE(line.io.Command(5));
    EXPECT_LT(ticksSince(start), 3000u);
}

TEST(QuobSpacing, PacketAfterAnUnansweredOneWaitsEightyMilliseconds)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok); // answered: no pause before the next
    line.io.SetCommand(100, QuobCmd::PowerSense);
    EXPECT_EQ(line.io.Transact(), QuobResult::Ok); // no answer is read
    EXPECT_NE(line.io.lastSendTime, 0u);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);

    const auto received = line.sim.received();
    ASSERT_EQ(received.size(), 4u);
    using std::chrono::milliseconds;
    const auto afterBroadcast = received[3].at - received[2].at;
    // The receiver stamps a packet when it reads it, a few milliseconds late on a busy machine.
    EXPECT_GE(afterBroadcast, milliseconds(75));
    EXPECT_LT(received[1].at - received[0].at, milliseconds(75));
}

TEST(QuobCommand, RetriesOnlyWhatIsWorthRetrying)
{
    struct Case {
        FaultPlan fault;
        bool accepted;
        int exchanges;
    };
    const Case cases[] = {
        {{Fault::None}, true, 1},
        {{Fault::Silence}, false, 5},
        {{Fault::Refuse}, false, 1},
        {{Fault::Pending, 0, -1, 0}, true, 1},
        {{Fault::Completion, 0, -1, 0}, false, 5},
        {{Fault::Completion, 0, -1, 5}, false, 5},
        {{Fault::Completion, 0, -1, 7}, false, 5},
        {{Fault::Completion, 0, -1, 3}, true, 1},
        {{Fault::Completion, 0, -1, 4}, true, 1},
        {{Fault::Completion, 0, 2, 6}, true, 3}, // two answers of code 6, then a good one
        {{Fault::BadChecksum}, false, 1},
        {{Fault::Echo}, false, 1},
    };
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    for (const auto& c : cases) {
        line.setFault(1, c.fault);
        line.sim.clearLog();
        line.io.SetCommand(1, QuobCmd::PowerSense);
        EXPECT_EQ(line.io.Command(5), c.accepted) << int(c.fault.kind) << "/" << int(c.fault.code);
        // A try left unanswered may be logged after the host gave up on it.
        EXPECT_TRUE(test::serveUntil([&] { return line.sim.countReceived({0x3E, 0x4E}) == c.exchanges; }))
            << int(c.fault.kind) << "/" << int(c.fault.code);
        EXPECT_EQ(line.io.busy, 0);
        line.setFault(1, FaultPlan{});
        line.io.Delay(100); // let the spacing after a silent try pass
    }
}

TEST(QuobMonitorNotice, AnsweredExchangePostsTwoNoticesAFailedOneOne)
{
    SimulatedLine line;
    ASSERT_TRUE(line.ready);
    test::MessageRecorder monitor;
    line.io.SetMonitorWindow(&monitor);
    ASSERT_EQ(statusSense(line.io), QuobResult::Ok);
    test::deliverPosted();
    ASSERT_EQ(monitor.messages.size(), 2u);
    EXPECT_EQ(monitor.messages[0].wParam, 0);
    EXPECT_EQ(monitor.messages[0].lParam, 0);
    EXPECT_EQ(monitor.messages[1].lParam, QuobResult::Ok);

    monitor.messages.clear();
    line.setFault(1, FaultPlan{Fault::Silence});
    ASSERT_EQ(statusSense(line.io), QuobResult::NoAnswer);
    test::deliverPosted();
    ASSERT_EQ(monitor.messages.size(), 1u);
    EXPECT_EQ(monitor.messages[0].wParam, ETIMEDOUT);
    EXPECT_EQ(monitor.messages[0].lParam, QuobResult::NoAnswer);
}

TEST(QuobBusy, TwoThreadsNeverInterleaveTheirPackets)
{
    SimulatedLine line({quobsim::camcorder(1), quobsim::deck(5)});
    ASSERT_TRUE(line.ready);
    constexpr int rounds = 150;
    auto run = [&](int id, const QuobCommand& command, int& good) {
        for (int i = 0; i < rounds; ++i) {
            CQuobIO::LineGuard guard(line.io);
            line.io.SetCommand(id, command);
            std::this_thread::yield(); // invite the other thread in between
            if (line.io.Command(5))
                ++good;
        }
    };
    int goodCodes = 0;
    int goodModels = 0;
    std::thread other([&] { run(5, QuobCmd::ReadModelCodes, goodModels); });
    run(1, QuobCmd::ReadDeviceCodes, goodCodes);
    other.join();

    EXPECT_EQ(goodCodes, rounds);
    EXPECT_EQ(goodModels, rounds);
    EXPECT_EQ(line.io.busy, 0);
    // Each packet went out whole and to the device its command was meant for.
    for (const auto& entry : line.sim.received()) {
        EXPECT_TRUE(entry.checksumGood);
        const bool codes = entry.packet[2] == 1 && entry.packet[4] == 0x49;
        const bool models = entry.packet[2] == 5 && entry.packet[4] == 0x45;
        EXPECT_TRUE(codes || models);
    }
    EXPECT_EQ(line.sim.countReceived({0x7C, 0x49}), rounds);
    EXPECT_EQ(line.sim.countReceived({0x7C, 0x45}), rounds);
}

// The simulated devices themselves: the tape's motion, the status bytes, power and names.
#include "SimulatedLine.h"
#include "Tape.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::quobsim;
using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(SimTape, EachMotionMovesAtItsSpeed)
{
    struct Case {
        Motion motion;
        int64_t framesAfterTenSeconds; // from 1000 at 30 frames a second
    };
    const Case cases[] = {
        {Motion::Stop, 1000},          {Motion::Pause, 1000},        {Motion::Play, 1300},
        {Motion::ReversePlay, 700},    {Motion::SlowForward, 1060},  {Motion::SlowReverse, 940},
        {Motion::SearchForward, 3700}, {Motion::SearchReverse, 0},   {Motion::FastForward, 8200},
        {Motion::Rewind, 0},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        Tape tape(30, 1000);
        tape.setMotion(c.motion, start);
        EXPECT_EQ(tape.position(start + seconds(10)), c.framesAfterTenSeconds) << motionRow(c.motion).name;
    }
}

TEST(SimTape, StopsAtEitherEndAndStepsFromAnyMotion)
{
    const auto start = Clock::now();
    Tape tape(25, 100);
    tape.setMotion(Motion::Rewind, start);
    EXPECT_EQ(tape.position(start + seconds(5)), 0);
    EXPECT_EQ(tape.motion(start + seconds(5)), Motion::Stop);

    tape.setPosition(tape.end - 10, start + seconds(5));
    tape.setMotion(Motion::Play, start + seconds(5));
    EXPECT_EQ(tape.position(start + seconds(10)), tape.end);
    EXPECT_EQ(tape.motion(start + seconds(10)), Motion::Stop);

    tape.setMotion(Motion::Play, start + seconds(10));
    tape.setPosition(500, start + seconds(10));
    tape.step(true, start + seconds(10));
    EXPECT_EQ(tape.motion(start + seconds(11)), Motion::Pause);
    EXPECT_EQ(tape.position(start + seconds(11)), 501);
}

TEST(SimTape, StatusBytesCarryStateSystemSignAndTimeCodeFlag)
{
    const auto now = Clock::now();
    Tape pal(25, -93079);
    auto data = pal.statusData(now);
    EXPECT_EQ(data[0], 1); // stop
    EXPECT_EQ(data[1], 0x40);
    EXPECT_EQ(data[2], 1);
    EXPECT_EQ(data[3], 0x40 | 2);
    EXPECT_EQ(data[4], 3);
    EXPECT_EQ(data[5], 4);
    Tape ntsc(30, 30 * 3600 * 2 + 29);
    ntsc.hasTimeCode = false;
    ntsc.setMotion(Motion::SearchReverse, now);
    data = ntsc.statusData(now);
    EXPECT_EQ(data[0], 7);
    EXPECT_EQ(data[1], 0);
    EXPECT_EQ(data[2], 2);
    EXPECT_EQ(data[4] & 0x40, 0x40);
    EXPECT_EQ(data[5], 29);
}

TEST(SimDevice, PowerSettlesAndAnOffDeviceRefusesTheTransport)
{
    auto setup = camcorder(1);
    setup.powered = false;
    Device device(setup);
    const auto now = Clock::now();
    EXPECT_EQ(device.answer({0x08, 0x4E, 0x20, 0, 0, 0, 0}, now).code, Completion::NotAvailable);
    EXPECT_EQ(device.answer({0x08, 0x43, 0x75, 0, 0, 0, 0}, now).code, Completion::Refused);
    EXPECT_EQ(device.answer({0x7C, 0x4E, 0x20, 0, 0, 0, 0}, now).data[0], 0); // answers while off
    device.answer({0x3E, 0x40, 0x70, 0, 0, 0, 0}, now);
    int senses = 0;
    while (device.answer({0x3E, 0x4E, 0x20, 0, 0, 0, 0}, now).data[0] == 0)
        ASSERT_LT(++senses, 100);
    EXPECT_EQ(senses, Device::powerSettleAnswers - 1);
    EXPECT_EQ(device.answer({0x08, 0x43, 0x75, 0, 0, 0, 0}, now).code, Completion::Done | Completion::PendingBit);
    EXPECT_EQ(device.answer({0x12, 0x34, 0x56, 0, 0, 0, 0}, now).code, Completion::Refused);
}

TEST(SimLine, IgnoresNoiseAndPacketsWithABadChecksum)
{
    test::SimulatedLine line;
    ASSERT_TRUE(line.ready);
    QuobPacket packet{0xFF, 0xFF, 0x01, 0x08, 0x4E, 0x20, 0, 0, 0, 0, 0x0C}; // checksum off by one
    ASSERT_TRUE(line.io.Write(packet.data(), packet.size()));
    uint8_t answer[11] = {};
    EXPECT_FALSE(line.io.ReadExact(answer, 11));
    // Unanswered, the packet may be taken off the line after the host gave up waiting.
    ASSERT_TRUE(test::serveUntil([&] { return line.sim.received().size() == 1u; }));
    EXPECT_FALSE(line.sim.received()[0].checksumGood);

    // Noise before a packet is skipped up to its FF FF.
    const uint8_t noisy[] = {0x12, 0xFF, 0x00, 0xFF, 0xFF, 0x01, 0x08, 0x4E, 0x20, 0, 0, 0, 0, 0x0B};
    ASSERT_TRUE(line.io.Write(noisy, sizeof noisy));
    ASSERT_TRUE(line.io.ReadExact(answer, 11));
    EXPECT_EQ(answer[0], 0xFC);
    EXPECT_EQ(line.sim.malformedPackets(), 3) << "the bad checksum, the stray byte, FF 00";
}

TEST(SimLine, RealtimeAnswersTakeTheirBitTimes)
{
    test::SimulatedLine line({camcorder(1)}, Options{true, {}});
    ASSERT_TRUE(line.ready);
    line.io.SetCommand(1, QuobCmd::StatusSense);
    const auto start = Clock::now();
    ASSERT_EQ(line.io.Transact(), QuobResult::Ok);
    // 22 bytes at 10 bits each and 9600 bit/s: the answer cannot be complete sooner.
    EXPECT_GE(Clock::now() - start, milliseconds(22));
    EXPECT_EQ(line.sim.line().byteTime(), std::chrono::duration_cast<Clock::duration>(seconds(10)) / 9600);
}

// The transport object against the simulator: status decode, transport commands, senses.
#include "SimulatedLine.h"
#include "link/LinkFlags.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::quobsim::Device;
using vantrel::quobsim::Fault;
using vantrel::quobsim::FaultPlan;
using vantrel::test::SimulatedLine;

namespace {

constexpr int position010203_04At25 = 93079;

struct VtrOnLine {
    explicit VtrOnLine(quobsim::DeviceSetup setup = quobsim::camcorder(1)) : line({setup}), vtr(line.io)
    {
        vtr.SetId(setup.id);
    }
    void onDevice(const std::function<void(Device&)>& change) { line.sim.withDevice(vtr.deviceId, change); }
    void movePosition(int64_t frames)
    {
        onDevice([&](Device& d) { d.tape.setPosition(frames, quobsim::Clock::now()); });
    }

    SimulatedLine line;
    QuobVtr vtr;
};

quobsim::DeviceSetup palCamcorderAt(int64_t position)
{
    auto setup = quobsim::camcorder(1, 25);
    setup.position = position;
    return setup;
}

} // namespace

TEST(VtrDecode, PalTimeCodePositionAndText)
{
    VtrOnLine v(palCamcorderAt(position010203_04At25));
    ASSERT_TRUE(v.line.ready);
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(v.vtr.framesPerSecond, 25);
    EXPECT_EQ(v.vtr.timeCode, position010203_04At25);
    EXPECT_EQ(v.vtr.timeCodeText(), " 01:02:03:04");
    EXPECT_TRUE(v.vtr.timeCodeChanged);
    EXPECT_EQ(v.vtr.state, VtrState::Stop);
    EXPECT_TRUE(v.vtr.stateChanged);
    EXPECT_EQ(v.vtr.power, 1); // a time code that moved means the device is on
    EXPECT_TRUE(v.vtr.powerChanged);
    EXPECT_TRUE(v.vtr.idle); // stopped
}

TEST(VtrDecode, NegativeTimeCodeCarriesTheSign)
{
    VtrOnLine v(palCamcorderAt(-position010203_04At25));
    ASSERT_TRUE(v.line.ready);
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(v.vtr.timeCode, -position010203_04At25);
    EXPECT_EQ(v.vtr.timeCodeText(), "-01:02:03:04");
}

TEST(VtrDecode, NtscFramesAndAnUnmovedTimeCode)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(30 * 61 + 29); // 00:01:01:29 at 30 frames a second
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(v.vtr.framesPerSecond, 30);
    EXPECT_EQ(v.vtr.timeCodeText(), " 00:01:01:29");
    v.vtr.timeCodeChanged = 0;
    v.vtr.idle = 0;
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_FALSE(v.vtr.timeCodeChanged);
    EXPECT_TRUE(v.vtr.idle);
}

TEST(VtrDecode, NoTimeCodeLeavesTheCounterAlone)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(300);
    ASSERT_TRUE(v.vtr.Poll());
    const std::string before = v.vtr.timeCodeText();
    v.onDevice([](Device& d) { d.tape.hasTimeCode = false; });
    v.movePosition(900);
    v.vtr.timeCodeChanged = 0;
    ASSERT_TRUE(v.vtr.Poll()); // the answer was decoded ...
    v.line.io.SetCommand(1, QuobCmd::StatusSense);
    ASSERT_EQ(v.line.io.Transact(), QuobResult::Ok);
    EXPECT_FALSE(v.vtr.DecodeStatus()); // ... but gave no time code
    EXPECT_EQ(v.vtr.timeCodeText(), before);
    EXPECT_EQ(v.vtr.timeCode, 300);
    EXPECT_FALSE(v.vtr.timeCodeChanged);
}

TEST(VtrDecode, PendingAnswerKeepsTheStateButTakesTheTimeCode)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    ASSERT_TRUE(v.vtr.Poll());
    v.vtr.stateChanged = 0;
    v.movePosition(450);
    v.line.setFault(1, FaultPlan{Fault::Pending, 0, 1});
    v.vtr.idle = 1;
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_FALSE(v.vtr.idle);
    EXPECT_FALSE(v.vtr.stateChanged);
    EXPECT_EQ(v.vtr.state, VtrState::Stop);
    EXPECT_EQ(v.vtr.timeCode, 450);
}

TEST(VtrPoll, BadAnswersAreNotDecoded)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(600);
    ASSERT_TRUE(v.vtr.Poll());
    for (Fault fault : {Fault::BadChecksum, Fault::Echo, Fault::Garbage, Fault::Silence}) {
        v.line.setFault(1, FaultPlan{fault, 0, 1});
        v.vtr.idle = 0;
        EXPECT_FALSE(v.vtr.Poll()) << int(fault);
        EXPECT_TRUE(v.vtr.idle);
        EXPECT_EQ(v.vtr.state, VtrState::Stop) << int(fault);
        EXPECT_EQ(v.vtr.timeCode, 600) << int(fault);
        EXPECT_EQ(v.vtr.timeCodeText(), " 00:00:20:00");
    }
}

TEST(VtrPoll, SwitchedOffDeviceIsIdleAndSensedOff)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(100);
    ASSERT_TRUE(v.vtr.Poll());
    ASSERT_EQ(v.vtr.power, 1);
    v.vtr.powerChanged = 0;
    v.onDevice([](Device& d) { d.powered = false; });
    EXPECT_FALSE(v.vtr.Poll()); // completion code 5
    EXPECT_TRUE(v.vtr.idle);
    EXPECT_TRUE(v.vtr.PowerSense());
    EXPECT_FALSE(v.vtr.idle);
    EXPECT_EQ(v.vtr.power, 0);
    EXPECT_TRUE(v.vtr.powerChanged);
}

TEST(VtrPoll, SilentDeviceReadsAsPoweredOff)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.vtr.power = 1;
    v.line.setFault(1, FaultPlan{Fault::Silence});
    const uint32_t start = tickCount();
    EXPECT_FALSE(v.vtr.Poll());
    EXPECT_TRUE(v.vtr.PowerSense());
    EXPECT_EQ(v.vtr.power, 0);
    EXPECT_TRUE(v.vtr.powerChanged);
    EXPECT_LT(ticksSince(start), 5000u);
}

TEST(VtrSetState, EveryMotionSettlesAndExtendedSenseNamesIt)
{
    const uint8_t motions[] = {VtrState::Play,        VtrState::ReversePlay,  VtrState::SlowForward,
                               VtrState::SlowReverse, VtrState::SearchForward, VtrState::SearchReverse};
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(30 * 600); // room to move both ways
    for (uint8_t code : motions) {
        ASSERT_TRUE(v.vtr.SetState(VtrState::Pause, true));
        ASSERT_TRUE(v.vtr.Poll()); // the settled answer names the pause
        v.line.sim.clearLog();
        ASSERT_TRUE(v.vtr.SetState(code, true)) << int(code);
        // The device answered pending for a few senses before it settled.
        EXPECT_EQ(v.line.sim.countReceived({0x08, 0x4E}), Device::transportSettleAnswers)
            << int(code);
        ASSERT_TRUE(v.vtr.Poll());
        EXPECT_TRUE(v.vtr.variableSpeed);
        EXPECT_EQ(v.vtr.state, VtrState::Pause) << int(code); // not yet known
        EXPECT_TRUE(v.vtr.ExtendedSense());
        EXPECT_EQ(v.vtr.state, code);
        EXPECT_TRUE(v.vtr.stateChanged);
        EXPECT_FALSE(v.vtr.variableSpeed);
    }
}

TEST(VtrSetState, WindStopAndPauseAreDecodedDirectly)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(30 * 600);
    for (uint8_t code : {VtrState::FastForward, VtrState::Rewind, VtrState::Pause, VtrState::Stop}) {
        ASSERT_TRUE(v.vtr.SetState(code, true));
        ASSERT_TRUE(v.vtr.Poll());
        EXPECT_EQ(v.vtr.state, code);
        EXPECT_FALSE(v.vtr.ExtendedSense()); // only for the variable-speed nibbles
    }
}

TEST(VtrSetState, PlayMovesTheTimeCodeForward)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    ASSERT_TRUE(v.vtr.SetState(VtrState::Play, true));
    ASSERT_TRUE(v.vtr.Poll());
    const int start = v.vtr.timeCode;
    Delay(200);
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_GT(v.vtr.timeCode, start);
    EXPECT_TRUE(v.vtr.timeCodeChanged);
}

TEST(VtrSetState, RefusedWhileTheCommandLockIsHeld)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    ASSERT_TRUE(linkFlags().tryTakeCommandLock());
    EXPECT_FALSE(v.vtr.SetState(VtrState::Play, false));
    EXPECT_FALSE(v.vtr.Step(true));
    linkFlags().releaseCommandLock();
    Delay(20);
    EXPECT_TRUE(v.line.sim.received().empty());
    EXPECT_TRUE(v.vtr.SetState(VtrState::Play, false));
    EXPECT_FALSE(linkFlags().commandLock); // released after the command
}

TEST(VtrSetState, RefusalAndUnknownCodesFail)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    EXPECT_FALSE(v.vtr.SetState(4, false)); // no command for state 4
    v.line.setFault(1, FaultPlan{Fault::Refuse});
    EXPECT_FALSE(v.vtr.SetState(VtrState::Play, true));
    EXPECT_EQ(v.line.sim.countReceived({0x08, 0x43}), 1);
    EXPECT_FALSE(linkFlags().commandLock);
}

TEST(VtrSetState, DeviceThatStaysPendingIsGivenUpAfter202Senses)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.line.setFault(1, FaultPlan{Fault::Pending});
    EXPECT_FALSE(v.vtr.SetState(VtrState::Play, true));
    EXPECT_EQ(v.line.sim.countReceived({0x08, 0x4E}), 202);
    EXPECT_FALSE(linkFlags().commandLock);
}

TEST(VtrStep, MovesOneFrameEachWay)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    v.movePosition(1000);
    ASSERT_TRUE(v.vtr.SetState(VtrState::Pause, true));
    ASSERT_TRUE(v.vtr.Poll());
    ASSERT_EQ(v.vtr.timeCode, 1000);
    EXPECT_TRUE(v.vtr.Step(true));
    EXPECT_EQ(v.vtr.timeCode, 1001);
    EXPECT_TRUE(v.vtr.Step(false));
    EXPECT_TRUE(v.vtr.Step(false));
    EXPECT_EQ(v.vtr.timeCode, 999);
    v.line.setFault(1, FaultPlan{Fault::Silence});
    EXPECT_FALSE(v.vtr.Step(true));
    EXPECT_EQ(v.vtr.timeCode, 999);
}

TEST(VtrStatus, SetIdAcceptsOneToNinetyNine)
{
    SimulatedLine line;
    QuobVtr vtr(line.io);
    EXPECT_EQ(vtr.deviceId, 1);
    EXPECT_EQ(vtr.state, VtrState::Unknown);
    EXPECT_EQ(vtr.timeCodeText(), " 00:00:00:00");
    EXPECT_FALSE(vtr.SetId(0));
    EXPECT_FALSE(vtr.SetId(100));
    EXPECT_TRUE(vtr.SetId(99));
    EXPECT_EQ(vtr.deviceId, 99);
}

namespace {

struct CountingHook : AutoCaptureHook {
    void step(QuobVtr&) override { ++steps; }
    void stop(QuobVtr& vtr) override
    {
        ++stops;
        vtr.autoRunStarted = 0;
    }
    int steps = 0;
    int stops = 0;
};

} // namespace

TEST(VtrAutoCaptureHook, StepsWithEachDecodedTimeCodeAndStopsWhenTheDeviceGoesOff)
{
    VtrOnLine v;
    ASSERT_TRUE(v.line.ready);
    CountingHook hook;
    v.vtr.autoCapture = &hook;
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(hook.steps, 0); // no run started yet
    v.vtr.autoRunStarted = 1;
    ASSERT_TRUE(v.vtr.Poll());
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(hook.steps, 2);
    v.onDevice([](Device& d) { d.tape.hasTimeCode = false; });
    ASSERT_TRUE(v.vtr.Poll());
    EXPECT_EQ(hook.steps, 2); // an answer without a time code gives no step

    v.vtr.power = 1;
    v.onDevice([](Device& d) { d.powered = false; });
    EXPECT_TRUE(v.vtr.PowerSense());
    EXPECT_EQ(hook.stops, 1);
    EXPECT_FALSE(v.vtr.autoRunStarted);
}

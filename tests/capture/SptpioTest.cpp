#include "CaptureLine.h"
#include "CaptureRig.h"

#include "capture/Sptpio.h"
#include "platform/Ticks.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::test::CaptureLine;

namespace {

quobsim::SptpOptions withFaults(quobsim::SptpFaults faults)
{
    quobsim::SptpOptions options;
    options.faults = faults;
    return options;
}

} // namespace

TEST(SptpIO, IdOutsideOneToNinetyNineIsRefusedWithoutSending)
{
    CaptureLine line;
    ASSERT_TRUE(line.ready);
    CSptpIO sptp(line.io);
    for (int id : {0, 100, 300}) {
        sptp.Build(id, sptp::Cmd::End);
        EXPECT_EQ(sptp.Send(), SptpResult::BadId);
    }
    EXPECT_EQ(line.side->log().order, "");
}

TEST(SptpIO, RateCommandAcceptedAndTheDeviceFollowsTheRate)
{
    CaptureLine line;
    ASSERT_TRUE(line.ready && line.enterSptp());
    CSptpIO sptp(line.io);
    sptp.Build(1, sptp::Cmd::Rate115200);
    ASSERT_TRUE(sptp.SendTries(3));
    EXPECT_EQ(sptp.lastSendTime, 0u);
    EXPECT_EQ(line.side->log().lastRate, 115200);
    // The device changes its rate after its answer went out, on its own thread.
    EXPECT_TRUE(test::serveUntil([&] { return line.sim.line().rate() == 115200; }));

    sptp.Build(1, sptp::Cmd::End);
    EXPECT_TRUE(sptp.SendTries(3));
    EXPECT_TRUE(line.side->log().ended);
}

TEST(SptpIO, SlowRatesAreAskedWithTheirOwnCommands)
{
    struct Case {
        int rateIndex;
        int bitRate;
    };
    for (const Case c : {Case{0, 9600}, Case{1, 19200}}) {
        test::CaptureRig rig({}, false, c.rateIndex);
        ASSERT_TRUE(rig.line.ready && rig.line.enterSptp());
        ASSERT_TRUE(rig.cpt.SetTransferRate()) << c.bitRate;
        EXPECT_EQ(rig.line.side->log().lastRate, c.bitRate);
        EXPECT_EQ(rig.cpt.pollInterval, 100);
        EXPECT_TRUE(test::serveUntil([&] { return rig.line.sim.line().rate() == c.bitRate; }));
        EXPECT_TRUE(rig.cpt.LeaveTransfer());
        EXPECT_TRUE(rig.vtr.Poll()) << "back in Quob at " << c.bitRate;
    }
}

TEST(SptpIO, RefusedCommandIsRetriedAtOnceAndFails)
{
    quobsim::SptpFaults faults;
    faults.refuseRate = true;
    CaptureLine line(withFaults(faults));
    ASSERT_TRUE(line.ready && line.enterSptp());
    CSptpIO sptp(line.io);
    sptp.Build(1, sptp::Cmd::Rate38400);
    const uint32_t start = tickCount();
    EXPECT_FALSE(sptp.SendTries(3));
    // Refusals are answers: no spacing holds the tries back.
    EXPECT_LT(ticksSince(start), 2000u);
    EXPECT_EQ(line.side->log().order, "PAERRR");
    EXPECT_EQ(sptp.lastResult, SptpResult::Ok);
}

TEST(SptpIO, UnansweredCommandHoldsTheNextOneTwoSecondsBack)
{
    quobsim::SptpFaults faults;
    faults.endUnanswered = true;
    CaptureLine line(withFaults(faults));
    ASSERT_TRUE(line.ready && line.enterSptp());
    CSptpIO sptp(line.io);
    sptp.Build(1, sptp::Cmd::End);
    EXPECT_EQ(sptp.Send(), SptpResult::NoAnswer);
    EXPECT_NE(sptp.lastSendTime, 0u);
    EXPECT_EQ(sptp.answer, (std::array<uint8_t, 11>{}));
    const uint32_t firstSend = sptp.lastSendTime;

    sptp.Build(1, sptp::Cmd::Rate9600);
    EXPECT_EQ(sptp.Send(), SptpResult::Ok);
    EXPECT_GE(tickCount() - firstSend, 2000u);
    EXPECT_EQ(sptp.lastSendTime, 0u);
}

TEST(SptpIO, BlockRequestsReadNoAnswer)
{
    CaptureLine line;
    ASSERT_TRUE(line.ready && line.enterSptp());
    CSptpIO sptp(line.io);
    for (const auto& command : {sptp::Cmd::NextBlock, sptp::Cmd::RepeatBlock}) {
        sptp.Build(1, command);
        EXPECT_EQ(sptp.Send(), SptpResult::Ok);
        EXPECT_EQ(sptp.lastSendTime, 0u);
    }
    sptp.Build(1, sptp::Cmd::End);
    EXPECT_TRUE(sptp.SendTries(1)) << "the block requests left no stale answer behind";
}

TEST(SptpIO, SilentDeviceGivesNoAnswerAndClosedPortAWriteFailure)
{
    CaptureLine line;
    ASSERT_TRUE(line.ready); // still in Quob: SPTP frames go unanswered
    CSptpIO sptp(line.io);
    sptp.Build(1, sptp::Cmd::Rate19200);
    EXPECT_EQ(sptp.Send(), SptpResult::NoAnswer);
    line.io.Close();
    sptp.Build(1, sptp::Cmd::NextBlock);
    EXPECT_EQ(sptp.Send(), SptpResult::WriteFailed);
}

// A line that hangs up (the simulator closes its end, as a USB adapter pulled out) against a
// device that merely falls silent, and the same link path coming back.
#include "SimulatedLine.h"
#include "link/LinkFlags.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace vantrel;
using vantrel::quobsim::Fault;

namespace {

struct LineWithLink : test::TempFolder {
    LineWithLink() : line({quobsim::camcorder(1)}, quobsim::Options{false, file("quob0")}) {}
    int sense()
    {
        line.io.SetCommand(1, QuobCmd::StatusSense);
        return line.io.Transact();
    }
    test::SimulatedLine line;
};

bool waitFor(const std::function<bool()>& condition, uint32_t limitMs = 3000)
{
    const uint32_t start = tickCount();
    while (!condition() && ticksSince(start) < limitMs)
        test::deliverPosted(), Delay(5);
    return condition();
}

} // namespace

TEST(HangUp, IsItsOwnResultApartFromASilentDeviceAndEndsEveryExchangeAtOnce)
{
    LineWithLink silent;
    ASSERT_TRUE(silent.line.ready);
    silent.line.setFault(1, {Fault::Silence, 0, -1});
    EXPECT_EQ(silent.sense(), QuobResult::NoAnswer);
    EXPECT_FALSE(silent.line.io.lineLost());

    LineWithLink pulled;
    ASSERT_TRUE(pulled.line.ready);
    ASSERT_EQ(pulled.sense(), QuobResult::Ok);
    pulled.line.sim.hangUp();
    ASSERT_TRUE(waitFor([&] { return pulled.line.sim.hungUp(); }));
    EXPECT_EQ(pulled.sense(), QuobResult::LineLost);
    EXPECT_TRUE(pulled.line.io.lineLost());
    EXPECT_EQ(pulled.line.io.lastError, uint32_t(EIO));
    const uint32_t before = tickCount();
    for (int i = 0; i < 20; ++i) // no waits: neither the spacing nor the answer time-out
        EXPECT_EQ(pulled.sense(), QuobResult::LineLost);
    uint8_t byte = 0;
    EXPECT_FALSE(pulled.line.io.ReadAvailable(&byte, 1));
    EXPECT_LT(ticksSince(before), 200u);

    // Plugged back in at the same link path, the port opens again and the device answers.
    ASSERT_TRUE(pulled.line.sim.comeBack());
    ASSERT_TRUE(pulled.line.io.OpenDevice(pulled.file("quob0")));
    ASSERT_TRUE(pulled.line.io.SetControlMode());
    EXPECT_FALSE(pulled.line.io.lineLost());
    EXPECT_EQ(pulled.sense(), QuobResult::Ok);
}

TEST(HangUp, PollThreadStopsOnTheDeadLineAndRunsAgainAfterTheComeback)
{
    LineWithLink pulled;
    ASSERT_TRUE(pulled.line.ready);
    test::MessageRecorder window;
    QuobVtr vtr(pulled.line.io);
    vtr.SetNotifyWindow(&window);
    vtr.StartPolling();
    ASSERT_TRUE(waitFor([&] { return vtr.power != 0; }));
    pulled.line.sim.hangUpAfter(3);
    ASSERT_TRUE(waitFor([&] { return !linkFlags().pollRunning; })) << "the thread ends by itself";
    EXPECT_TRUE(pulled.line.io.lineLost());
    EXPECT_EQ(vtr.power, 0);
    EXPECT_EQ(vtr.state, VtrState::Unknown);
    window.messages.clear();
    Delay(300);
    test::deliverPosted();
    EXPECT_TRUE(window.messages.empty()) << "nothing more comes from a stopped poll";
    vtr.StopPolling();

    ASSERT_TRUE(pulled.line.sim.comeBack());
    ASSERT_TRUE(pulled.line.io.OpenDevice(pulled.file("quob0")) && pulled.line.io.SetControlMode());
    vtr.StartPolling();
    EXPECT_TRUE(waitFor([&] { return vtr.power != 0; })) << "the link runs again after the comeback";
    vtr.StopPolling();
}

TEST(HangUp, CommandLineEndsWithTheLineLostAndANonZeroExit)
{
    LineWithLink pulled;
    ASSERT_TRUE(pulled.line.ready);
    pulled.line.io.Close();
    test::TempProgramFolder folder;
    // The transport command waits for the device to settle: the line goes in that wait.
    pulled.line.sim.hangUpAfter(3);
    const test::CliRun run = test::runCli({"transport", "play", "--device", QString::fromStdString(pulled.file("quob0"))});
    const auto ended = quobsim::Clock::now();
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.starts_with("vantrel-cli: transport play: ")) << run.err;
    EXPECT_TRUE(run.err.ends_with(": the line was lost\n")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";
    ASSERT_TRUE(pulled.line.sim.hungUp());
    EXPECT_LT(ended - pulled.line.sim.hungUpAt(), std::chrono::seconds(1));
}

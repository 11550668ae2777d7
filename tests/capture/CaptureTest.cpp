// Whole captures over a pseudo-terminal against the simulated device.
#include "CaptureRig.h"
#include "support/SmallDisk.h"
#include "Fidelity.h"

#include "capture/CaptureCommands.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"
#include "platform/Paths.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "support/Waiting.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vantrel;
using vantrel::test::CaptureRig;
using vantrel::test::expectSideFileHoldsFrame;

namespace {

double fidelityToPattern(const std::string& path, DvSystem system)
{
    PictureRecord record;
    record.path = path;
    if (!readPictureFile(record) || record.videoSystem() != system)
        return 0;
    const int lines = linesOf(system);
    std::vector<uint8_t> pixels(size_t(2160) * lines + 64);
    const uint32_t dib = DvcGetDibInfo(720, lines);
    DvcDecodeParams params;
    params.width = 720;
    params.height = lines;
    const DvcHandle decoder = DvcOpenDecoder(system);
    const int32_t result = DvcDecode(decoder, record.frame.get(), frameBytesOf(system),
                                     pixels.data(), &dib, &params);
    DvcCloseDecoder(decoder);
    if (result != dvcOk)
        return 0;
    return test::psnr(test::fromBottomUp(pixels.data(), 720, lines),
                      test::fromTopDown(testPattern(system, record.timeCode).data(), 720, lines, 2160));
}

std::string readTimeCode(const std::string& path)
{
    PictureRecord record;
    record.path = path;
    return readPictureFile(record) ? record.timeCode : std::string();
}

quobsim::SptpOptions layoutWith(int layout, quobsim::SptpFaults faults = {})
{
    quobsim::SptpOptions options;
    options.layout = layout;
    options.faults = faults;
    return options;
}

class Capture : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(DvcLoad()); }
};

struct LayoutCase {
    int layout;
    bool pal;
};

class CaptureOfLayout : public Capture, public testing::WithParamInterface<LayoutCase> {};

} // namespace

TEST_P(CaptureOfLayout, SideFileHoldsTheDevicesFrameAndIsAnnounced)
{
    const auto [layout, pal] = GetParam();
    CaptureRig rig(layoutWith(layout), pal);
    const int fps = pal ? 25 : 30;
    ASSERT_TRUE(rig.parkTape(((1 * 60 + 2) * 60 + 3) * fps + 4));
    rig.album.count = 4;

    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);

    const std::string sideFile = rig.album.sideFileName(5);
    const auto picture = rig.line.side->frozenPicture();
    ASSERT_EQ(picture.sequences, pal ? 12u : 10u);
    expectSideFileHoldsFrame(sideFile, picture);
    EXPECT_EQ(readTimeCode(sideFile), "01:02:03:04");
    EXPECT_GT(fidelityToPattern(sideFile, pal ? dvSystem625 : dvSystem525), 30.0);
    ASSERT_EQ(rig.album.announced.size(), 1u);
    EXPECT_EQ(rig.album.announced[0], (std::pair<intptr_t, intptr_t>{5, 1}));

    EXPECT_EQ(rig.windows.numbers(),
              (std::vector<int>{Msg::WaitShow, Msg::WaitStopEnabled, Msg::WaitPercent,
                                Msg::WaitStopEnabled, Msg::WaitClose}));
    const auto percents = rig.windows.percents();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(rig.windows.messages.front().lParam, 7) << "gauge and Stop shown, Stop disabled";
    EXPECT_EQ(rig.windows.controllerStates, (std::vector<bool>{false, true}));

    const auto log = rig.line.side->log();
    EXPECT_EQ(log.lastRate, 115200);
    EXPECT_EQ(log.repeatsAsked, 0);
    EXPECT_EQ(log.order.substr(0, 9), "FSSPAERTN") << "freeze, switch, rate, start, blocks";
    EXPECT_EQ(log.order.substr(log.order.size() - 2), "XU") << "end command, then back in Quob";
}

INSTANTIATE_TEST_SUITE_P(LayoutsAndSystems, CaptureOfLayout,
                         testing::Values(LayoutCase{4, false}, LayoutCase{4, true},
                                         LayoutCase{6, false}, LayoutCase{6, true},
                                         LayoutCase{7, false}, LayoutCase{7, true}),
                         [](const auto& info) {
                             return "Layout" + std::to_string(info.param.layout)
                                    + (info.param.pal ? "Pal" : "Ntsc");
                         });

TEST_F(Capture, RepeatedBlocksLandAtTheSamePlace)
{
    quobsim::SptpFaults faults;
    faults.shortBlock = 3;
    faults.longBlock = 10;
    faults.droppedBlock = 20;
    faults.unheardNext = 30; // the repeat brings block 29 again, which is not kept twice
    CaptureRig rig(layoutWith(7, faults));
    ASSERT_TRUE(rig.parkTape(1234));
    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);
    EXPECT_EQ(rig.line.side->log().repeatsAsked, 4);
    expectSideFileHoldsFrame(rig.album.sideFileName(1), rig.line.side->frozenPicture());
}

TEST_F(Capture, FreezeOutcomes)
{
    quobsim::SptpFaults noSignal;
    noSignal.noSignal = true;
    quobsim::SptpFaults refused;
    refused.refuseFreeze = true;
    for (const auto& [faults, outcome] : {std::pair{noSignal, CaptureOutcome::NoSignal},
                                          std::pair{refused, CaptureOutcome::FreezeFailed}}) {
        CaptureRig rig(layoutWith(6, faults));
        ASSERT_TRUE(rig.parkTape(0));
        EXPECT_EQ(rig.cpt.Capture(), outcome);
        EXPECT_EQ(rig.line.side->log().order, "F");
        EXPECT_EQ(rig.windows.numbers(), (std::vector<int>{Msg::WaitClose}));
        EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
    }
}

TEST_F(Capture, SilentDeviceCannotBeFrozen)
{
    CaptureRig rig;
    ASSERT_TRUE(rig.parkTape(0));
    rig.line.sim.withDevice(1, [](quobsim::Device& device) {
        device.setFault({quobsim::Fault::Silence, 0, -1, 0});
    });
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::FreezeFailed);
}

TEST_F(Capture, SwitchAndRateFailuresEndTheCaptureAtOnce)
{
    quobsim::SptpFaults sptpRefused;
    sptpRefused.refuseSptp = true;
    quobsim::SptpFaults rateRefused;
    rateRefused.refuseRate = true;
    for (const auto& [faults, outcome, order] :
         {std::tuple{sptpRefused, CaptureOutcome::EnterFailed, "FSSPAE"},
          std::tuple{rateRefused, CaptureOutcome::RateFailed, "FSSPAERRR"}}) {
        CaptureRig rig(layoutWith(6, faults));
        ASSERT_TRUE(rig.parkTape(0));
        EXPECT_EQ(rig.cpt.Capture(), outcome);
        EXPECT_EQ(rig.line.side->log().order, order);
        EXPECT_EQ(rig.windows.numbers(), (std::vector<int>{Msg::WaitShow, Msg::WaitClose}));
        EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
    }
}

TEST_F(Capture, RefusedStartFailsTheTransferAndStillSwitchesBack)
{
    quobsim::SptpFaults faults;
    faults.refuseStart = true;
    CaptureRig rig(layoutWith(6, faults));
    ASSERT_TRUE(rig.parkTape(0));
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::TransferFailed);
    const auto log = rig.line.side->log();
    EXPECT_EQ(log.order.substr(log.order.size() - 5), "TTTXU");
    EXPECT_EQ(log.blocksSent, 0);
}

TEST_F(Capture, StopBetweenBlocksGivesOutcomeOne)
{
    CaptureRig rig(layoutWith(7));
    ASSERT_TRUE(rig.parkTape(0));
    rig.windows.stopAtPercent = 10;
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::Stopped);
    EXPECT_FALSE(rig.windows.stop) << "the stop request is cleared by the capture";
    EXPECT_LT(rig.line.side->log().blocksSent, 10);
    EXPECT_TRUE(rig.line.side->log().ended);
    EXPECT_TRUE(rig.album.announced.empty());
    EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
}

TEST_F(Capture, UnansweredEndCommandIsCombinedIntoTheOutcome)
{
    quobsim::SptpFaults faults;
    faults.endUnanswered = true;
    CaptureRig rig(layoutWith(7, faults));
    ASSERT_TRUE(rig.parkTape(0));
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured | CaptureOutcome::LeaveFailed);
    EXPECT_TRUE(fileExists(rig.album.sideFileName(1))) << "the picture itself was taken";
    const auto log = rig.line.side->log();
    EXPECT_EQ(log.order.substr(log.order.size() - 4), "XXXU")
        << "the device fell back to Quob in time for the closing command";
}

TEST_F(Capture, LineThatDiesMidTransferFailsWithoutAPicture)
{
    quobsim::SptpFaults faults;
    faults.lineDiesAt = 5;
    CaptureRig rig(layoutWith(6, faults));
    ASSERT_TRUE(rig.parkTape(0));
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::TransferFailed | CaptureOutcome::LeaveFailed);
    EXPECT_EQ(rig.line.side->log().blocksSent, 5);
    EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
    EXPECT_TRUE(rig.album.announced.empty());
}

// A hang-up (the adapter pulled out) in the middle of the transfer ends the capture within a
// second, with no picture and no file; a line that merely dies waits out its time-outs.
TEST_F(Capture, HangUpMidTransferEndsTheCaptureAtOnceWithNoFileLeft)
{
    quobsim::SptpFaults faults;
    faults.hangUpAt = 5;
    CaptureRig rig(layoutWith(6, faults));
    ASSERT_TRUE(rig.parkTape(0));
    const int outcome = rig.cpt.Capture();
    const auto ended = quobsim::Clock::now();
    EXPECT_EQ(outcome, CaptureOutcome::TransferFailed | CaptureOutcome::LeaveFailed);
    ASSERT_TRUE(rig.line.sim.hungUp());
    EXPECT_TRUE(rig.line.io.lineLost());
    EXPECT_LT(ended - rig.line.sim.hungUpAt(), std::chrono::seconds(1));
    EXPECT_TRUE(rig.album.announced.empty());
    EXPECT_TRUE(std::filesystem::is_empty(rig.album.folder.path())) << "no side file, no work file";
}

TEST_F(Capture, PictureLargerThanTheBufferIsRefused)
{
    quobsim::SptpFaults faults;
    faults.extraBlocks = 21; // 84 + 21 blocks: 201600 bytes
    CaptureRig rig(layoutWith(6, faults), true);
    ASSERT_TRUE(rig.parkTape(0));
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::TransferFailed);
    EXPECT_EQ(rig.line.side->log().blocksSent, 1) << "no repetition can make it fit";
    EXPECT_EQ(rig.cpt.pictureLength, 0);
    EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
}

TEST_F(Capture, AlbumThatCannotTakeThePictureFailsTheTransfer)
{
    enum Obstacle { fullAlbum, missingFolder, fullDisk };
    for (const Obstacle obstacle : {fullAlbum, missingFolder, fullDisk}) {
        // 64 KB cannot take a 119232-byte side file: the write stops half way.
        test::SmallDisk disk(64);
        if (obstacle == fullDisk && !disk.mounted())
            continue; // mounting needs root
        CaptureRig rig(layoutWith(7));
        ASSERT_TRUE(rig.parkTape(0));
        if (obstacle == fullAlbum)
            rig.album.count = 99;
        else
            rig.album.folderOverride = obstacle == missingFolder ? rig.album.folder.file("gone") : disk.path();
        EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::TransferFailed) << obstacle;
        EXPECT_TRUE(rig.album.announced.empty());
        EXPECT_FALSE(fileExists(rig.album.sideFileName(100)));
        if (disk.mounted()) {
            EXPECT_EQ(disk.listing(), "") << "no half side file";
        }
    }
}

TEST_F(Capture, WindowThreadKeepsServingEventsDuringTheTransfer)
{
    CaptureRig rig(layoutWith(7));
    ASSERT_TRUE(rig.parkTape(0));
    int ticks = 0;
    int polled = 0;
    QTimer timer;
    // A status poll from a timer of the window thread must not reach the line of a capture.
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        polled += rig.vtr.Poll() ? 1 : 0;
    });
    timer.start(20);
    rig.line.sim.clearLog();
    const uint32_t start = tickCount();
    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);
    const uint32_t elapsed = ticksSince(start);
    // A window thread blocked for the transfer would have fired the timer once at most.
    EXPECT_GT(ticks, static_cast<int>(elapsed / 20 / 2));
    EXPECT_EQ(polled, 0);
    EXPECT_EQ(rig.line.sim.countReceived({0x08, 0x4E}), 0);
    expectSideFileHoldsFrame(rig.album.sideFileName(1), rig.line.side->frozenPicture());
}

TEST_F(Capture, FreezePausesTheTapeOrStopsItForModelGroupB)
{
    for (const bool stopsTape : {false, true}) {
        CaptureRig rig;
        ASSERT_TRUE(rig.parkTape(300));
        rig.cpt.stopsTape = stopsTape;
        rig.line.sim.clearLog();
        ASSERT_EQ(rig.cpt.Freeze(), 0);
        EXPECT_EQ(rig.line.sim.countReceived({0x08, 0x43, 0x6D}), stopsTape ? 0 : 1);
        EXPECT_EQ(rig.line.sim.countReceived({0x08, 0x44, 0x60}), stopsTape ? 1 : 0);
        EXPECT_EQ(rig.cpt.timeCodePack, imgdata::timeCodePack(300, 30));
    }
}

TEST_F(Capture, RefusedWhileThePollThreadRunsAndTheLineStaysUsable)
{
    CaptureRig rig(layoutWith(7));
    ASSERT_TRUE(rig.parkTape(100));
    rig.vtr.StartPolling();
    EXPECT_EQ(rig.cpt.Capture(), CaptureOutcome::EnterFailed);
    rig.vtr.StopPolling();
    EXPECT_EQ(rig.line.side->log().order, "") << "nothing of a capture was sent";
    EXPECT_TRUE(rig.vtr.Poll());
    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);
    expectSideFileHoldsFrame(rig.album.sideFileName(1), rig.line.side->frozenPicture());
    EXPECT_EQ(rig.line.sim.malformedPackets(), 0);
}

TEST_F(Capture, AtThirtyEightKilobitsAgainstALinePacedInRealTime)
{
    CaptureRig rig(layoutWith(7), false, 2, quobsim::Options{true, {}});
    ASSERT_TRUE(rig.parkTape(4321));
    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);
    EXPECT_EQ(rig.line.side->log().lastRate, 38400);
    EXPECT_EQ(rig.line.side->log().repeatsAsked, 0);
    expectSideFileHoldsFrame(rig.album.sideFileName(1), rig.line.side->frozenPicture());
}

// A capture driving the program's wait dialog: its messages come from the capture sequence and
// from the capture thread, and its Stop button ends the transfer.
#include "CaptureRig.h"

#include "capture/CaptureCommands.h"
#include "control/Wait.h"
#include "image/DvCodec.h"
#include "platform/Paths.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::test::CaptureRig;

namespace {

// The controller's side of a capture, reduced to the wait dialog.
class WaitDialogWindows : public CaptureWindows {
public:
    explicit WaitDialogWindows(TfrmWait& wait) : wait_(wait) {}
    QObject* waitDialog() override { return &wait_; }
    bool stopRequested() override { return wait_.abortRequested; }
    void clearStopRequest() override { wait_.abortRequested = false; }
    void setControllerEnabled(bool) override {}

private:
    TfrmWait& wait_;
};

// What the user sees while the capture runs, sampled on the window thread.
struct Watch {
    bool shown = false;
    bool gaugeShown = false;
    bool stopEnabled = false;
    int highest = 0;
    int pressAt = -1; // presses Stop once the gauge shows this much

    void sample(TfrmWait& wait)
    {
        if (!wait.shown())
            return;
        shown = true;
        gaugeShown = gaugeShown || wait.Panel1->isVisible();
        stopEnabled = stopEnabled || (wait.btnAbort->isVisible() && wait.btnAbort->isEnabled());
        highest = std::max(highest, wait.Gauge1->value());
        if (pressAt >= 0 && highest >= pressAt && wait.btnAbort->isEnabled())
            wait.btnAbort->click();
    }
};

int captureWatched(CaptureRig& rig, TfrmWait& wait, Watch& watch)
{
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { watch.sample(wait); });
    sampler.start(5);
    return rig.cpt.Capture();
}

quobsim::SptpOptions layout7()
{
    quobsim::SptpOptions options;
    options.layout = 7;
    return options;
}

// A capture in layout 7 whose windows are the program's wait dialog, the tape parked.
class CaptureWithWaitDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DvcLoad());
        rig.cpt.windows = &windows;
        ASSERT_TRUE(rig.parkTape(0));
    }

    TfrmWait wait;
    CaptureRig rig{layout7()};
    WaitDialogWindows windows{wait};
    Watch watch;
};

} // namespace

TEST_F(CaptureWithWaitDialog, GaugeFollowsTheBlocksAndTheDialogClosesAtTheEnd)
{
    ASSERT_EQ(captureWatched(rig, wait, watch), CaptureOutcome::Captured);
    EXPECT_TRUE(watch.shown);
    EXPECT_TRUE(watch.gaugeShown);
    EXPECT_TRUE(watch.stopEnabled) << "the capture thread enables Stop once blocks arrive";
    EXPECT_EQ(watch.highest, 100);
    EXPECT_FALSE(wait.shown());
    EXPECT_EQ(rig.album.announced.size(), 1u);
}

TEST_F(CaptureWithWaitDialog, StopButtonEndsTheTransferWithOutcomeOne)
{
    watch.pressAt = 20;
    ASSERT_EQ(captureWatched(rig, wait, watch), CaptureOutcome::Stopped);
    EXPECT_FALSE(wait.abortRequested) << "the capture took the stop request";
    EXPECT_LT(watch.highest, 40);
    EXPECT_TRUE(rig.line.side->log().ended) << "the device was switched back";
    EXPECT_FALSE(fileExists(rig.album.sideFileName(1)));
}

#include "control/Wait.h"
#include "platform/Sync.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace vantrel;

namespace {

// What the wait dialog looks like at one moment, taken on the UI thread.
struct Snapshot {
    bool shown = false;
    bool visible = false;
    bool gaugeVisible = false;
    int progress = -1;
    bool stopVisible = false;
    bool stopEnabled = false;
    bool stopFocused = false;
    QString caption;
    bool mainEnabled = false;
};

constexpr int probeMessage = Msg::User + 500;

// Lives on the UI thread; a worker sends it probeMessage to have the dialog's state recorded
// between two of its own messages.
class Probe : public QObject {
public:
    Probe(TfrmWait& dialog, QWidget& main) : dialog_(dialog), main_(main) {}
    std::vector<Snapshot> snapshots;

    bool event(QEvent* event) override
    {
        if (!asWindowMessage(event))
            return QObject::event(event);
        snapshots.push_back({dialog_.shown(), dialog_.isVisible(), dialog_.Panel1->isVisible(),
                             dialog_.Gauge1->value(), dialog_.btnAbort->isVisible(),
                             dialog_.btnAbort->isEnabled(),
                             QApplication::focusWidget() == dialog_.btnAbort,
                             dialog_.windowTitle(), main_.isEnabled()});
        return true;
    }

private:
    TfrmWait& dialog_;
    QWidget& main_;
};

// Runs `work` on a real worker thread while the UI thread serves events.
void runWorker(std::function<void()> work)
{
    std::unique_ptr<QThread> worker(QThread::create(std::move(work)));
    worker->start();
    ASSERT_TRUE(waitForThread(worker.get(), 10000));
}

struct WaitFixture : ::testing::Test {
    QWidget main;     // a shown window, as the main window
    QWidget hidden;   // a window that is not showing, as the viewer
    QWidget disabled; // a shown window that was disabled before
    TfrmWait dialog;
    Probe probe{dialog, main};

    WaitFixture()
    {
        main.show();
        disabled.show();
        disabled.setEnabled(false);
        dialog.setGuardedWindows({&main, &hidden, &disabled, nullptr});
    }
    void probeNow() { sendMessage(&probe, probeMessage); }
};

} // namespace

TEST_F(WaitFixture, CaptureSequenceFromAWorkerThread)
{
    const QString title = "Transferring the picture...";
    runWorker([&] {
        sendMessage(&dialog, Msg::WaitShow, reinterpret_cast<intptr_t>(&title),
                    WaitShowFlag::Stop | WaitShowFlag::Gauge | WaitShowFlag::StopDisabled);
        probeNow();
        sendMessage(&dialog, Msg::WaitStopEnabled, 1);
        probeNow();
        sendMessage(&dialog, Msg::WaitPercent, 40);
        probeNow();
        sendMessage(&dialog, Msg::WaitStopEnabled, 0);
        sendMessage(&dialog, Msg::WaitClose);
        probeNow();
    });
    ASSERT_EQ(probe.snapshots.size(), 4u);
    const Snapshot& shown = probe.snapshots[0];
    EXPECT_TRUE(shown.shown && shown.visible);
    EXPECT_EQ(shown.caption, title);
    EXPECT_TRUE(shown.gaugeVisible);
    EXPECT_EQ(shown.progress, 0);
    EXPECT_TRUE(shown.stopVisible);
    EXPECT_FALSE(shown.stopEnabled);
    EXPECT_FALSE(shown.mainEnabled);

    EXPECT_TRUE(probe.snapshots[1].stopEnabled);
    EXPECT_TRUE(probe.snapshots[1].stopFocused);
    EXPECT_EQ(probe.snapshots[2].progress, 40);

    const Snapshot& closed = probe.snapshots[3];
    EXPECT_FALSE(closed.shown || closed.visible);
    EXPECT_TRUE(closed.mainEnabled);
    // Closing enables Stop again for the next use.
    EXPECT_TRUE(dialog.btnAbort->isEnabled());
    EXPECT_FALSE(disabled.isEnabled());
    EXPECT_FALSE(hidden.isVisible());
}

TEST_F(WaitFixture, ShowFlagsAndKeptCaption)
{
    dialog.showWithTitle("Saving images", true, true);
    dialog.setProgress(70);
    // No title: the caption stays; flag 1 alone hides the gauge and enables Stop.
    runWorker([&] {
        sendMessage(&dialog, Msg::WaitShow, -1, WaitShowFlag::Stop);
        probeNow();
        sendMessage(&dialog, Msg::WaitShow, 0, WaitShowFlag::Gauge);
        probeNow();
    });
    ASSERT_EQ(probe.snapshots.size(), 2u);
    EXPECT_EQ(probe.snapshots[0].caption, "Saving images");
    EXPECT_FALSE(probe.snapshots[0].gaugeVisible);
    EXPECT_TRUE(probe.snapshots[0].stopVisible && probe.snapshots[0].stopEnabled);
    EXPECT_TRUE(probe.snapshots[1].gaugeVisible);
    EXPECT_EQ(probe.snapshots[1].progress, 0);
    EXPECT_FALSE(probe.snapshots[1].stopVisible);
    dialog.closeIfVisible();
}

TEST_F(WaitFixture, StopRaisesTheFlagTheWorkerPolls)
{
    int lastPercent = -1;
    bool sawAbort = false;
    dialog.abortRequested = true; // a stale request is cleared by the show
    const QString title = "Auto capture running";
    std::unique_ptr<QThread> worker(QThread::create([&] {
        sendMessage(&dialog, Msg::WaitShow, reinterpret_cast<intptr_t>(&title),
                    WaitShowFlag::Stop | WaitShowFlag::Gauge);
        for (int percent = 0; percent <= 100; ++percent) {
            if (dialog.abortRequested.exchange(false)) {
                sawAbort = true;
                break;
            }
            sendMessage(&dialog, Msg::WaitPercent, percent);
            lastPercent = percent;
            QThread::msleep(5);
        }
        sendMessage(&dialog, Msg::WaitClose);
    }));
    worker->start();
    bool pressed = false;
    const uint32_t start = tickCount();
    while (!worker->isFinished() && ticksSince(start) < 10000) {
        serviceEvents();
        if (!pressed && dialog.Gauge1->value() >= 20) {
            dialog.btnAbort->click();
            pressed = true;
            // Stop closes at once and gives the windows back before the worker reacts.
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_TRUE(main.isEnabled());
            EXPECT_FALSE(disabled.isEnabled());
        }
    }
    ASSERT_TRUE(waitForThread(worker.get(), 1000));
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(sawAbort);
    EXPECT_LT(lastPercent, 100);
    EXPECT_FALSE(dialog.abortRequested);
    EXPECT_FALSE(dialog.shown());
}

TEST_F(WaitFixture, AbortSurvivesTheCloseUntilCleared)
{
    dialog.showWithTitle("t", false, true);
    dialog.btnAbort->click();
    EXPECT_TRUE(dialog.abortRequested);
    EXPECT_FALSE(dialog.shown());
    dialog.showWithTitle("t", false, true);
    EXPECT_FALSE(dialog.abortRequested);
    dialog.closeIfVisible();
}

TEST_F(WaitFixture, SecondShowKeepsTheFirstRememberedStates)
{
    dialog.showWithTitle("first", true, false);
    EXPECT_FALSE(main.isEnabled());
    dialog.showWithTitle("second", false, false);
    EXPECT_EQ(dialog.windowTitle(), "second");
    EXPECT_FALSE(dialog.Panel1->isVisible());
    dialog.closeIfVisible();
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(disabled.isEnabled());
}

TEST_F(WaitFixture, CloseWhenHiddenDoesNothing)
{
    dialog.showWithTitle("t", false, false);
    dialog.closeIfVisible();
    // A window disabled after the close is not given back an old state by a stray close.
    main.setEnabled(false);
    sendMessage(&dialog, Msg::WaitClose);
    postMessage(&dialog, Msg::WaitClose);
    serviceEvents();
    dialog.closeIfVisible();
    EXPECT_FALSE(main.isEnabled());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(WaitFixture, PostedCloseAndCursorReset)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    dialog.showWithTitle("t", true, true);
    postMessage(&dialog, Msg::WaitClose);
    EXPECT_TRUE(dialog.shown());
    serviceEvents();
    EXPECT_FALSE(dialog.shown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WaitFixture, CentredFixedSizeOnTop)
{
    dialog.showWithTitle("t", true, true);
    EXPECT_EQ(dialog.size(), QSize(252, 96));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(dialog.pos(), QPoint((screen.width() - 252) / 2, (screen.height() - 96) / 2));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    dialog.close();
    dialog.reject();
    EXPECT_TRUE(dialog.shown()) << "only the operation closes the dialog";
    dialog.closeIfVisible();
}

// Automatic capture from the real windows: the Auto Capture dialog over the controller, the
// run stepped by the poll thread, the simulated camcorder's tape moving at real speed.
#include "CaptureLine.h"

#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "control/Auto.h"
#include "control/AvCtl.h"
#include "control/Wait.h"
#include "support/TempFolder.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vantrel;
using quobsim::Motion;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

struct NoQuestions : MainDialogs {
    std::vector<std::string> warned;
    bool askYesNo(const QString&, const QString&) override { return false; }
    void warn(std::string_view key, const QString&, const QString&) override { warned.emplace_back(key); }
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return {}; }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return {}; }
};

// What the user sets in the dialog before Execute.
struct Choice {
    bool interval = false;
    int hours = 0, minutes = 0, seconds = 0, frames = 0; // the target
    int intervalSeconds = 0;
    int pictures = 2;
};

// The program's windows on a camcorder of `fps` frames a second: main window, controller, wait
// dialog and the Auto Capture dialog behind the controller's button.
struct AutoRig {
    explicit AutoRig(int fps) : fps(fps), line({}, quobsim::camcorder(1, fps))
    {
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(resources + "/" + name, folder.file(name));
        line.io.Close();
        line.saveAsPort(folder.file("wyb30.ini"));
        main = std::make_unique<TfrmCptMain>();
        frmCptMain = main.get();
        auto dialogs = std::make_unique<NoQuestions>();
        warnings = dialogs.get();
        main->setDialogs(std::move(dialogs));
        wait = std::make_unique<TfrmWait>();
        frmWait = wait.get();
        controller = std::make_unique<TfrmAvCtl>(main->profile);
        controller->setMainWindow(main.get());
        controller->setWaitDialog(wait.get());
        wait->setGuardedWindows({main.get(), controller.get()});
        dialog = std::make_unique<TfrmAuto>(main->profile, *controller, frmWait);
        controller->runAutoCaptureDialog = [this] { return dialog->runModal(); };
        controller->show();
        running = QTest::qWaitFor([&] { return controller->session().vtr.power && controller->shownState() == 1; }, 10000);
    }
    ~AutoRig()
    {
        controller->close();
        controller->runAutoCaptureDialog = nullptr;
        dialog.reset();
        controller.reset();
        frmWait = nullptr;
        frmCptMain = nullptr;
    }

    // The tape at `seconds`, in `motion`, and the controller knowing it.
    bool tapeAt(int seconds, Motion motion)
    {
        line.sim.withDevice(1, [&](quobsim::Device& device) {
            device.tape.setPosition(int64_t(seconds) * fps, quobsim::Clock::now());
            device.tape.setMotion(motion, quobsim::Clock::now());
        });
        const uint8_t state = motion == Motion::Pause ? 5 : 1;
        return QTest::qWaitFor([&] {
            return controller->session().vtr.state == state && controller->session().vtr.timeCode / fps == seconds;
        }, 5000);
    }
    Motion motion()
    {
        Motion now = Motion::Stop;
        line.sim.withDevice(1, [&](quobsim::Device& device) { now = device.tape.motion(quobsim::Clock::now()); });
        return now;
    }

    void choose(const Choice& choice)
    {
        (choice.interval ? dialog->rbInterval : dialog->rbTimecode)->click();
        const std::pair<QSpinBox*, int> values[] = {
            {dialog->seH, choice.hours},        {dialog->seM, choice.minutes},
            {dialog->seS, choice.seconds},      {dialog->seF, choice.frames},
            {dialog->seM2, choice.intervalSeconds / 60}, {dialog->seS2, choice.intervalSeconds % 60},
            {dialog->seNum, choice.pictures}};
        for (const auto& [spin, value] : values)
            spin->setValue(value);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->Timer1->isActive(); }, 1000));
    }

    // Auto Capture, the choice made in the dialog and Execute pressed (or Enter in a spin
    // edit) as soon as it is enabled; false when it never was.
    bool startRun(const Choice& choice, bool enterInSpinEdit = false)
    {
        controller->setCaptureEnabled(true);
        bool executed = false;
        // The dialog shows inside the button's handler, after its pause went out.
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!dialog->isVisible())
                return;
            driver.stop();
            choose(choice);
            executed = QTest::qWaitFor([&] { return dialog->btnExR->isEnabled(); }, 5000);
            if (executed && enterInSpinEdit)
                QTest::keyClick(dialog->seNum, Qt::Key_Return);
            else if (executed)
                QTest::mouseClick(dialog->btnExR, Qt::LeftButton);
            else
                dialog->btnCancel->click();
        });
        driver.start(20);
        QTest::mouseClick(controller->btnAuto, Qt::LeftButton);
        return executed && controller->session().vtr.autoCaptureRunning();
    }

    int fps;
    test::TempProgramFolder folder;
    test::CaptureLine line;
    std::unique_ptr<TfrmCptMain> main;
    NoQuestions* warnings = nullptr;
    std::unique_ptr<TfrmWait> wait;
    std::unique_ptr<TfrmAvCtl> controller;
    std::unique_ptr<TfrmAuto> dialog;
    bool running = false;
};

std::string timeCodeText(int frames, int fps)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", frames / (fps * 3600), frames / (fps * 60) % 60,
                  frames / fps % 60, frames % fps);
    return text;
}

// Watches a run from the window thread: the controller's lights as they stand before each
// event it handles (a light is replaced only by a later event, so none is missed), and a 50 ms
// timer that measures the longest gap between its own ticks.
struct RunWatch : QObject {
    explicit RunWatch(TfrmAvCtl& controller) : controller(controller)
    {
        controller.installEventFilter(this);
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
        timer.start(50);
        clock.start();
    }
    bool eventFilter(QObject*, QEvent*) override
    {
        note();
        return false;
    }
    void tick()
    {
        longestGapMs = std::max<qint64>(longestGapMs, clock.restart());
        note();
    }
    void note()
    {
        const int shown = controller.shownState();
        if (shownStates.empty() || shownStates.back() != shown)
            shownStates.push_back(shown);
    }
    // Whether `first` was shown and `then` after it.
    bool showed(int first, int then) const
    {
        const auto at = std::find(shownStates.begin(), shownStates.end(), first);
        return at != shownStates.end() && std::find(at, shownStates.end(), then) != shownStates.end();
    }

    TfrmAvCtl& controller;
    QTimer timer;
    QElapsedTimer clock;
    qint64 longestGapMs = 0;
    std::vector<int> shownStates;
};

// Posts Esc to a window as it is shown, the way a key typed ahead of it arrives.
struct TypeAheadEscape : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            QCoreApplication::postEvent(watched, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            posted = true;
        }
        return false;
    }
    bool posted = false;
};

constexpr int runLimitMs = 90000;

} // namespace

TEST(AutoCapture, ExecuteFollowsTheTapeAndTheTarget)
{
    AutoRig rig(30);
    ASSERT_TRUE(rig.running);
    struct Case {
        Motion motion;
        int tapeSeconds;
        Choice choice;
        bool enabled;
    };
    const Case cases[] = {
        {Motion::Stop, 40, {.interval = true, .intervalSeconds = 10}, false},
        {Motion::Pause, 20, {.interval = true, .intervalSeconds = 10}, false},
        {Motion::Pause, 30, {.interval = true, .intervalSeconds = 10}, true},
        {Motion::Pause, 40, {.seconds = 29, .frames = 29}, false},
        {Motion::Pause, 40, {.seconds = 30}, true},
    };
    for (const Case& test : cases) {
        ASSERT_TRUE(rig.tapeAt(test.tapeSeconds, test.motion));
        rig.dialog->show();
        EXPECT_EQ(rig.dialog->seF->maximum(), 29);
        rig.choose(test.choice);
        EXPECT_EQ(rig.dialog->btnExR->isEnabled(), test.enabled)
            << test.tapeSeconds << " s, interval " << test.choice.interval;
        QTest::keyClick(test.choice.interval ? rig.dialog->seS2 : rig.dialog->seS, Qt::Key_Escape);
        EXPECT_FALSE(rig.dialog->isVisible());
    }
    EXPECT_FALSE(rig.dialog->executeChosen);
    std::string mode;
    EXPECT_FALSE(rig.main->profile.ReadString("AUTO", "MODE", mode)) << "Esc saves nothing";

    // A key typed ahead reaches the dialog while it is still being shown: Esc closes it there,
    // and the controller's button returns instead of waiting on a hidden dialog.
    TypeAheadEscape typeAhead;
    rig.dialog->installEventFilter(&typeAhead);
    bool rescued = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        rescued = true;
        rig.dialog->show(); // a modal loop ends only when a shown dialog hides
        rig.dialog->done(QDialog::Rejected);
    });
    watchdog.start(5000);
    rig.controller->setCaptureEnabled(true);
    QTest::mouseClick(rig.controller->btnAuto, Qt::LeftButton);
    watchdog.stop();
    EXPECT_TRUE(typeAhead.posted);
    EXPECT_FALSE(rescued) << "the dialog closed while showing and its modal loop never ended";
    EXPECT_FALSE(rig.dialog->isVisible());
}

TEST(AutoCapture, TimeCodeRunsEndOnTheTargetFromEveryDirection)
{
    struct Case {
        int fps;
        int tapeSeconds;
        int targetSeconds;
        int firstMove;  // the code shown first
        int secondMove; // and the one after it
    };
    const Case cases[] = {
        {30, 40, 70, 38, 6}, // far ahead: search, then play
        {25, 40, 50, 6, 39}, // ahead by 10 s: play, then reverse search
        {30, 60, 45, 39, 6}, // behind: reverse search, then play
    };
    for (const Case& test : cases) {
        AutoRig rig(test.fps);
        ASSERT_TRUE(rig.running);
        ASSERT_TRUE(rig.tapeAt(test.tapeSeconds, Motion::Pause));
        RunWatch watch(*rig.controller);
        const int target = test.targetSeconds * test.fps + 3;
        const Choice atTarget{.minutes = test.targetSeconds / 60, .seconds = test.targetSeconds % 60, .frames = 3};
        ASSERT_TRUE(rig.startRun(atTarget)) << test.targetSeconds;
        EXPECT_EQ(rig.main->profile.intOr("AUTO", "TIMECODE", 0), target);
        EXPECT_TRUE(QTest::qWaitFor([&] { return rig.wait->shown(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.controller->session().vtr.autoCaptureRunning(); }, runLimitMs));
        ASSERT_EQ(rig.main->album.count(), 1) << test.targetSeconds;
        EXPECT_EQ(rig.main->album.place(1).timeCode, timeCodeText(target, test.fps));
        EXPECT_TRUE(QTest::qWaitFor([&] { return rig.motion() == Motion::Stop && rig.controller->shownState() == 1; }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.wait->shown(); }, 5000));
        EXPECT_TRUE(watch.showed(test.firstMove, test.secondMove)) << test.targetSeconds << " s, lights shown: " << testing::PrintToString(watch.shownStates);
        EXPECT_LT(watch.longestGapMs, 2000) << "the window thread stalled during the run";
        EXPECT_TRUE(rig.warnings->warned.empty())
            << testing::PrintToString(rig.warnings->warned);
    }
}

TEST(AutoCapture, IntervalSeriesIsStampedExactlyAndStopEndsARun)
{
    AutoRig rig(25);
    ASSERT_TRUE(rig.running);
    ASSERT_TRUE(rig.tapeAt(40, Motion::Pause));
    const int base = rig.controller->session().vtr.timeCode;
    ASSERT_TRUE(rig.startRun({.interval = true, .intervalSeconds = 6, .pictures = 3}, true));
    EXPECT_EQ(rig.controller->session().vtr.autoBasePosition, base);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.controller->session().vtr.autoCaptureRunning(); }, 2 * runLimitMs));
    ASSERT_EQ(rig.main->album.count(), 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(rig.main->album.place(k + 1).timeCode, timeCodeText(base + k * 6 * 25, 25)) << k;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.motion() == Motion::Stop; }));

    // Stop in the wait dialog ends the next run and stops the tape.
    ASSERT_TRUE(rig.tapeAt(40, Motion::Pause));
    ASSERT_TRUE(rig.startRun({.minutes = 1, .seconds = 30}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.wait->shown() && rig.motion() == Motion::SearchForward; }, 5000));
    QTest::mouseClick(rig.wait->btnAbort, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.controller->session().vtr.autoCaptureRunning(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.motion() == Motion::Stop; }));
    EXPECT_EQ(rig.main->album.count(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.wait->shown(); }, 5000));
    EXPECT_TRUE(rig.controller->isEnabled());
}

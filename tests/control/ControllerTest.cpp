// The DV controller on the real window, driving the simulated camcorder over a pty.
#include "CaptureRig.h"

#include "support/SmallDisk.h"
#include "support/Waiting.h"

#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "capture/CaptureCommands.h"
#include "control/AvCtl.h"
#include "platform/Profile.h"
#include "link/Quobdev.h"
#include "platform/Paths.h"
#include "platform/WindowMessage.h"
#include "control/Wait.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLocale>
#include <QLabel>
#include <QTimer>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
using quobsim::Motion;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

struct RecordedWarnings : MainDialogs {
    std::vector<std::pair<std::string, QString>> warned;
    bool askYesNo(const QString&, const QString&) override { return false; }
    void warn(std::string_view key, const QString&, const QString& text) override
    {
        warned.emplace_back(std::string(key), text);
    }
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return {}; }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return {}; }
};

// Writes the window's picture into VANTREL_SCREENS when that names a folder.
void keepPicture(QWidget& window, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const bool japanese = QLocale::system().language() == QLocale::Japanese;
        window.grab().save(QString::fromStdString(std::string(folder) + "/" + name + (japanese ? "-ja" : "-en") + ".png"));
    }
}

template <class Predicate> bool waitFor(Predicate predicate, int ms = 5000)
{
    return QTest::qWaitFor(predicate, ms);
}

// The program folder with the shipped language files and COM1 on the simulator's pty, the
// main window with its album, and the controller shown on the camcorder at ID 1.
struct ControllerRig {
    // With `linkPath`, COM1 is a stable link to the simulator's line, as a by-id name is.
    explicit ControllerRig(bool debugMarker = false, quobsim::SptpOptions options = {}, std::string linkPath = {})
        : line(std::move(options), quobsim::camcorder(1), quobsim::Options{false, linkPath})
    {
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(resources + "/" + name, folder.file(name));
        if (debugMarker)
            std::ofstream(folder.file("debug."));
        line.io.Close();
        CProfile settings(folder.file("wyb30.ini"));
        settings.WriteString("Ports", "COM1", linkPath.empty() ? line.sim.slavePath() : linkPath);
        settings.WriteInt("INIT", "COM", 1);
        settings.WriteInt("INIT", "ID", 1);
        settings.WriteInt("INIT", "BAUD_RATE", 3);
        main = std::make_unique<TfrmCptMain>();
        frmCptMain = main.get();
        auto dialogs = std::make_unique<RecordedWarnings>();
        warnings = dialogs.get();
        main->setDialogs(std::move(dialogs));
        controller = std::make_unique<TfrmAvCtl>(main->profile);
        controller->setMainWindow(main.get());
        controller->show();
        running = waitFor([&] {
            return controller->session().vtr.power && controller->transportEnabled() && controller->shownState() == 1;
        }, 10000);
    }
    ~ControllerRig()
    {
        controller->close();
        controller.reset();
        frmCptMain = nullptr;
    }
    void setMotion(Motion motion)
    {
        line.sim.withDevice(1, [&](quobsim::Device& device) {
            // Well inside the tape, so that no reverse motion runs into its start.
            device.tape.setPosition(18000, quobsim::Clock::now());
            device.tape.setMotion(motion, quobsim::Clock::now());
        });
    }
    Motion motion()
    {
        Motion now = Motion::Stop;
        line.sim.withDevice(1, [&](quobsim::Device& device) { now = device.tape.motion(quobsim::Clock::now()); });
        return now;
    }
    bool shows(uint8_t code) { return waitFor([&] { return controller->shownState() == code; }); }
    // Play, then pause once Capture is enabled (3 s after play), as a user would.
    bool pausedWithCaptureEnabled()
    {
        QTest::mouseClick(controller->btnPlay, Qt::LeftButton);
        if (!waitFor([&] { return controller->btnCapt->isEnabled(); }, 5000))
            return false;
        QTest::mouseClick(controller->btnPause, Qt::LeftButton);
        return shows(5);
    }

    test::TempProgramFolder folder;
    test::CaptureLine line;
    std::unique_ptr<TfrmCptMain> main;
    RecordedWarnings* warnings = nullptr;
    std::unique_ptr<TfrmAvCtl> controller;
    bool running = false;
};

} // namespace

TEST(Controller, LightsFollowEveryStateCode)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    rig.controller->stopLink();
    QCoreApplication::processEvents(); // the notices the poll posted before it stopped
    c.setTransportEnabled(true);
    struct Case {
        uint8_t code;
        std::array<int, 7> lights; // REV PLAY FF SLOWR PAUSE SLOW STOP
    };
    const Case cases[] = {
        {1, {0, 0, 0, 0, 0, 0, 1}},  {2, {0, 0, 1, 0, 0, 0, 0}},  {3, {1, 0, 0, 0, 0, 0, 0}},
        {5, {0, 0, 0, 0, 1, 0, 0}},  {6, {0, 1, 0, 0, 0, 0, 0}},  {7, {0, 2, 0, 0, 0, 0, 0}},
        {22, {0, 1, 0, 0, 0, 1, 0}}, {23, {0, 2, 0, 1, 0, 0, 0}}, {38, {0, 1, 1, 0, 0, 0, 0}},
        {39, {1, 2, 0, 0, 0, 0, 0}}, {0, {0, 0, 0, 0, 0, 0, 1}},  {9, {0, 0, 0, 0, 0, 0, 1}},
    };
    const QToolButton* buttons[] = {c.btnRev, c.btnPlay, c.btnFF, c.btnSlowR, c.btnPause, c.btnSlow, c.btnStop};
    for (const Case& test : cases) {
        c.showState(test.code);
        EXPECT_EQ(c.shownState(), test.code);
        for (size_t i = 0; i < 7; ++i)
            EXPECT_EQ(c.lightOf(buttons[i]), test.lights[i]) << "code " << int(test.code) << " light " << i;
    }
    // Capture waits 3 s after play from stop; play from pause does not restart the timer.
    c.showState(1);
    c.showState(6);
    EXPECT_TRUE(c.TimerCpt->isActive());
    EXPECT_FALSE(c.btnCapt->isEnabled());
    ASSERT_TRUE(waitFor([&] { return c.btnCapt->isEnabled(); }, 4000));
    c.showState(5);
    c.showState(6);
    EXPECT_FALSE(c.TimerCpt->isActive());
    EXPECT_TRUE(c.btnAuto->isEnabled());
    c.showState(2);
    EXPECT_FALSE(c.btnCapt->isEnabled());
}

TEST(Controller, ButtonsAndKeypadDriveTheTape)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    struct Case {
        Motion from;
        QToolButton* button;
        Motion expected;
        uint8_t shown;
    };
    const Case cases[] = {
        {Motion::Stop, c.btnFF, Motion::FastForward, 2},
        {Motion::Pause, c.btnFF, Motion::SearchForward, 38},
        {Motion::Play, c.btnFF, Motion::SearchForward, 38},
        {Motion::ReversePlay, c.btnRev, Motion::SearchReverse, 39},
        {Motion::Stop, c.btnPlay, Motion::Play, 6},
        {Motion::Play, c.btnSlow, Motion::SlowForward, 22},
        {Motion::Play, c.btnStop, Motion::Stop, 1},
    };
    for (const Case& test : cases) {
        rig.setMotion(test.from);
        ASSERT_TRUE(waitFor([&] { return c.session().vtr.state == [&] {
            return uint8_t(test.from == Motion::Stop ? 1 : test.from == Motion::Pause ? 5
                           : test.from == Motion::Play ? 6 : 7); }(); }));
        QTest::mouseClick(test.button, Qt::LeftButton);
        EXPECT_TRUE(waitFor([&] { return rig.motion() == test.expected; })) << test.button->objectName().toStdString();
        EXPECT_TRUE(rig.shows(test.shown)) << test.button->objectName().toStdString();
    }
    // Keypad 5 pauses from every button that takes keys; Capture keeps them to itself.
    c.setCaptureEnabled(true);
    for (QToolButton* button : {c.btnRev, c.btnPlay, c.btnFF, c.btnSlowR, c.btnPause, c.btnSlow,
                                c.btnStepR, c.btnStop, c.btnStep, c.btnPower, c.btnAuto, c.btnCapt}) {
        QTest::mouseClick(c.btnPlay, Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return rig.motion() == Motion::Play; })) << button->objectName().toStdString();
        QTest::keyClick(button, Qt::Key_5, Qt::KeypadModifier);
        const bool paused = waitFor([&] { return rig.motion() == Motion::Pause; }, button == c.btnCapt ? 300 : 3000);
        EXPECT_EQ(paused, button != c.btnCapt) << button->objectName().toStdString();
    }
    // With the transport buttons disabled (as a capture leaves them) the keypad still drives the
    // tape from the power button; the lights stay.
    c.setTransportEnabled(false);
    for (auto [key, expected] : {std::pair{Qt::Key_5, Motion::Pause}, {Qt::Key_8, Motion::Play}}) {
        QTest::keyClick(c.btnPower, key, Qt::KeypadModifier);
        EXPECT_TRUE(waitFor([&] { return rig.motion() == expected; })) << key;
        EXPECT_EQ(c.lightOf(c.btnPause), 0);
    }
}

TEST(Controller, PowerOffGreysTheCounterAndStopsTheTransport)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    EXPECT_EQ(c.pnlCounter->palette().color(QPalette::WindowText), QColor(0, 255, 255));
    EXPECT_FALSE(QFontInfo(c.pnlCounter->font()).bold());
    // A report of the state already shown changes nothing.
    c.session().vtr.state = 1;
    c.session().vtr.stateChanged = 1;
    WindowMessage report(Msg::StatusChanged, 0, 0);
    QCoreApplication::sendEvent(&c, &report);
    EXPECT_EQ(c.lightOf(c.btnStop), 1);
    QTest::mouseClick(c.btnPower, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !c.transportEnabled(); }));
    EXPECT_EQ(c.pnlCounter->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(c.shownState(), VtrState::Unknown);
    for (QToolButton* button : {c.btnRev, c.btnPlay, c.btnStop, c.btnStep, c.btnCapt})
        EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(c.lightOf(c.btnStop), 0);
    QTest::mouseClick(c.btnPower, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return c.transportEnabled(); }, 8000));
}

// After a start on the saved device, Devices and then Cancel keep the saved port and device
// (the rate as the list left it), the link runs on, and the next start asks for nothing.
TEST(Controller, DevicesThenCancelKeepsTheSavedPortAndDevice)
{
    enum Before { nothingChanged, portSetToNotUse, rateChanged };
    for (Before before : {nothingChanged, portSetToNotUse, rateChanged}) {
        SCOPED_TRACE(before);
        ControllerRig rig;
        ASSERT_TRUE(rig.running);
        TfrmQuobDev list(rig.controller->session(), rig.main->profile);
        rig.controller->setDeviceList(&list);
        int listShown = 0;
        QTimer answering;
        answering.callOnTimeout([&] {
            if (QApplication::activeModalWidget() != &list)
                return;
            ++listShown;
            if (before == portSetToNotUse) {
                list.cbCom->setCurrentIndex(0);
                emit list.cbCom->activated(0);
            }
            if (before == rateChanged)
                list.cbRate->setCurrentIndex(1);
            QTest::mouseClick(list.btnCancel, Qt::LeftButton);
        });
        answering.start(20);
        rig.controller->mnuDev->trigger();
        EXPECT_EQ(listShown, 1);
        const auto key = [&](const char* name) {
            int value = -1;
            return CProfile(rig.folder.file("wyb30.ini")).ReadInt("INIT", name, value) ? value : -1;
        };
        EXPECT_EQ(key("ID"), 1);
        EXPECT_EQ(key("COM"), 1);
        EXPECT_EQ(key("BAUD_RATE"), before == rateChanged ? 1 : 3);
        const auto linkRuns = [&] {
            return rig.controller->session().vtr.power && rig.controller->transportEnabled();
        };
        EXPECT_TRUE(waitFor(linkRuns, 10000));
        rig.controller->close();
        rig.controller->show();
        EXPECT_TRUE(waitFor(linkRuns, 10000));
        EXPECT_EQ(listShown, 1) << "the next start asked for the device again";
    }
}

TEST(Controller, MonitorItemOnlyWithTheMarkerFile)
{
    for (bool marker : {false, true}) {
        ControllerRig rig(marker);
        EXPECT_EQ(rig.controller->mnuMon->isVisible(), marker);
        const std::string expected[] = {"Rewind", "Play", "Fast Forward", "Slow Reverse", "Pause", "Slow",
                                        "Frame Back", "Stop", "Frame Forward", "Power", "Capture", "Auto Capture"};
        if (!QLocale::system().name().startsWith("ja")) {
            TfrmAvCtl& c = *rig.controller;
            const QToolButton* buttons[] = {c.btnRev, c.btnPlay, c.btnFF, c.btnSlowR, c.btnPause, c.btnSlow,
                                            c.btnStepR, c.btnStop, c.btnStep, c.btnPower, c.btnCapt, c.btnAuto};
            for (size_t i = 0; i < std::size(buttons); ++i)
                EXPECT_EQ(buttons[i]->accessibleName().toStdString(), expected[i]);
        }
    }
}

TEST(Controller, CaptureLandsInTheAlbumAndTheLinkRunsAgain)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    ASSERT_TRUE(rig.pausedWithCaptureEnabled());
    const int before = rig.main->album.count();
    QTest::mouseClick(c.btnCapt, Qt::LeftButton);
    ASSERT_EQ(rig.main->album.count(), before + 1)
        << (rig.warnings->warned.empty() ? "" : rig.warnings->warned[0].second.toStdString());
    const int place = before + 1;
    test::expectSideFileHoldsFrame(rig.main->album.sideFilePath(place), rig.line.side->frozenPicture());
    ASSERT_NE(rig.main->slotAt(place), nullptr);
    EXPECT_EQ(rig.main->album.place(place).timeCode.size(), 11u);
    EXPECT_NE(rig.main->album.place(place).timeCode, "--:--:--:--");
    EXPECT_TRUE(waitFor([&] { return c.transportEnabled() && c.session().vtr.pollThread; }));
    EXPECT_TRUE(rig.warnings->warned.empty());
    rig.setMotion(Motion::Play);
    if (rig.shows(6) && waitFor([&] { return c.btnCapt->isEnabled(); }))
        keepPicture(c, "controller");
}

TEST(Controller, CaptureRefusalsAndFailures)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    // A full album, or one whose side files find no room (64 KB free), refuses both buttons
    // before anything goes to the device.
    struct RefusingAlbum : CaptureAlbum {
        RefusingAlbum(int count, std::string folder) : count(count), folder(std::move(folder)) {}
        QObject* albumWindow() override { return nullptr; }
        int pictureCount() override { return count; }
        std::string sideFileName(int place) override { return folder + "/" + vantrel::sideFileName(place); }
        int count;
        std::string folder;
    };
    test::SmallDisk disk(256);
    const bool smallDisk = disk.mounted() && disk.fillLeaving(64 * 1024);
    RefusingAlbum full(99, rig.folder.path());
    RefusingAlbum noRoom(0, disk.path());
    const std::pair<RefusingAlbum*, const char*> cases[] = {{&full, "MSG_OVER"}, {&noRoom, "MSG_NODISK"}};
    for (const auto& [album, key] : cases) {
        if (album == &noRoom && !smallDisk)
            continue; // mounting needs root
        rig.warnings->warned.clear();
        c.session().setAlbum(album);
        c.setCaptureEnabled(true);
        for (QToolButton* button : {c.btnCapt, c.btnAuto}) {
            c.session().vtr.StopPolling();
            rig.line.sim.clearLog();
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_TRUE(rig.line.sim.received().empty()) << key;
        }
        ASSERT_EQ(rig.warnings->warned.size(), 2u) << key;
        EXPECT_EQ(rig.warnings->warned[0].first, key);
        EXPECT_EQ(rig.warnings->warned[1].first, key);
    }
    EXPECT_EQ(disk.listing(), smallDisk ? "filler " : "");
    EXPECT_EQ(rig.main->album.count(), 0);
}

TEST(Controller, CaptureFailuresAreToldWithTheirOutcome)
{
    struct Case {
        quobsim::SptpFaults faults;
        const char* key;
        const char* ending = nullptr;
    };
    Case cases[3];
    cases[0].faults.noSignal = true;
    cases[0].key = "MSG_NOSIG";
    cases[1].faults.refuseFreeze = true;
    cases[1].key = "MSG_CANTCPT";
    cases[2].faults.refuseStart = true;
    cases[2].key = "MSG_COMERR";
    cases[2].ending = "[144]";
    for (const Case& test : cases) {
        quobsim::SptpOptions options;
        options.faults = test.faults;
        ControllerRig rig(false, options);
        ASSERT_TRUE(rig.running);
        rig.controller->stopLink();
        EXPECT_FALSE(rig.controller->capture());
        ASSERT_EQ(rig.warnings->warned.size(), 1u) << test.key;
        EXPECT_EQ(rig.warnings->warned[0].first, test.key);
        const QString text = textForKey(test.key);
        EXPECT_EQ(rig.warnings->warned[0].second, test.ending ? text + test.ending : text);
        EXPECT_EQ(rig.main->album.count(), 0);
    }
}

namespace {

// Threads of this process, the simulator's and the status poll's among them.
int threadCount()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

using FaultSetup = void (*)(quobsim::SptpOptions&, quobsim::FaultPlan&);

// One fault of the device during a capture from the Capture button, and how it must end.
struct FaultRow {
    const char* name;
    FaultSetup fault;
    const char* key; // the warning shown, nullptr for none
    int outcome;     // the value a MSG_COMERR warning ends with
    int pictures;    // pictures the album gains
    bool leavesDeviceOff = false;
};

// The answer to the next freeze command, spoiled; the status poll's answers stay sound.
template <quobsim::Fault kind> void spoiledFreeze(quobsim::SptpOptions&, quobsim::FaultPlan& plan)
{
    plan = {kind, 0, 1, 0, 0x1642};
}

const FaultRow faultRows[] = {
    {"silence at the freeze", spoiledFreeze<quobsim::Fault::Silence>, "MSG_CANTCPT", 0, 0},
    {"garbage at the freeze", spoiledFreeze<quobsim::Fault::Garbage>, "MSG_CANTCPT", 0, 0},
    {"bad checksum at the freeze", spoiledFreeze<quobsim::Fault::BadChecksum>, "MSG_CANTCPT", 0, 0},
    {"echo at the freeze", spoiledFreeze<quobsim::Fault::Echo>, "MSG_CANTCPT", 0, 0},
    {"freeze refused", [](auto& sptp, auto&) { sptp.faults.refuseFreeze = true; }, "MSG_CANTCPT", 0, 0},
    {"freeze pending for ever", [](auto& sptp, auto&) { sptp.settlingSenses = 99999; }, "MSG_CANTCPT", 0, 0},
    {"switch into SPTP refused", [](auto& sptp, auto&) { sptp.faults.refuseSptp = true; }, "MSG_COMERR", 132, 0},
    {"rate refused", [](auto& sptp, auto&) { sptp.faults.refuseRate = true; }, "MSG_COMERR", 136, 0},
    {"start refused", [](auto& sptp, auto&) { sptp.faults.refuseStart = true; }, "MSG_COMERR", 144, 0},
    {"short and long blocks",
     [](auto& sptp, auto&) {
         sptp.faults.shortBlock = 3;
         sptp.faults.longBlock = 10;
     },
     nullptr, 0, 1},
    {"garbage instead of a block", [](auto& sptp, auto&) { sptp.faults.garbageBlock = 7; }, nullptr, 0, 1},
    {"late copy of a block", [](auto& sptp, auto&) { sptp.faults.lateCopy = 12; }, nullptr, 0, 1},
    {"line dropped mid-transfer", [](auto& sptp, auto&) { sptp.faults.lineDiesAt = 5; }, "MSG_COMERR", 176, 0},
    {"device switched off mid-transfer", [](auto& sptp, auto&) { sptp.faults.switchedOffAt = 5; },
     "MSG_COMERR", 176, 0, true},
    {"end command unanswered", [](auto& sptp, auto&) { sptp.faults.endUnanswered = true; }, "MSG_COMERR", 160, 1},
};

// The longest the window thread went without serving its timers.
QString expectedWarning(const FaultRow& row)
{
    const QString text = textForKey(row.key);
    return row.outcome ? text + QString("[%1]").arg(row.outcome) : text;
}

// The tape paused from play through the window, and Capture come on (3 s after the pause).
bool readyToCapture(ControllerRig& rig)
{
    TfrmAvCtl& c = *rig.controller;
    rig.setMotion(Motion::Play);
    if (!rig.shows(6))
        return false;
    QTest::mouseClick(c.btnPause, Qt::LeftButton);
    return rig.shows(5) && waitFor([&] { return c.btnCapt->isEnabled(); });
}

} // namespace

TEST(FaultMatrix, EveryCaptureFaultEndsWithItsMessageAndLeavesTheWindowsUsable)
{
    ControllerRig rig;
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    TfrmWait wait;
    frmWait = &wait;
    c.setWaitDialog(&wait);
    wait.setGuardedWindows({rig.main.get(), &c});
    const int threads = threadCount();
    for (const FaultRow& row : faultRows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(readyToCapture(rig)) << "the controller no longer answers";
        quobsim::SptpOptions options;
        quobsim::FaultPlan plan;
        row.fault(options, plan);
        rig.line.side->setOptions(options);
        rig.line.sim.withDevice(1, [&](quobsim::Device& device) { device.setFault(plan); });
        const int before = rig.main->album.count();
        rig.warnings->warned.clear();

        test::TimerGapWatch watch(20);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(c.btnCapt, Qt::LeftButton);
        const qint64 elapsed = clock.elapsed();
        rig.line.side->setOptions({});

        const std::string told = row.key ? row.key + (row.outcome ? "[" + std::to_string(row.outcome) + "]" : "")
                                         : "captured";
        std::printf("fault matrix: %-34s %-17s %6lld ms, longest timer gap %lld ms\n", row.name, told.c_str(),
                    static_cast<long long>(elapsed), static_cast<long long>(watch.longestGapMs()));
        EXPECT_LT(elapsed, 60000);
        EXPECT_LT(watch.longestGapMs(), 2000) << "the window thread stopped serving its timers";
        if (row.key) {
            ASSERT_EQ(rig.warnings->warned.size(), 1u);
            EXPECT_EQ(rig.warnings->warned[0].first, row.key);
            EXPECT_EQ(rig.warnings->warned[0].second, expectedWarning(row));
        } else {
            for (const auto& [key, text] : rig.warnings->warned)
                ADD_FAILURE() << "warned " << key << ": " << text.toStdString();
        }
        ASSERT_EQ(rig.main->album.count(), before + row.pictures);
        if (row.pictures)
            test::expectSideFileHoldsFrame(rig.main->album.sideFilePath(before + 1), rig.line.side->frozenPicture());
        else
            EXPECT_FALSE(std::filesystem::exists(rig.main->album.sideFilePath(before + 1)));
        EXPECT_FALSE(wait.isVisible());
        EXPECT_TRUE(c.isEnabled() && rig.main->isEnabled());

        // The link runs again; a device switched off comes back with the Power button.
        if (row.leavesDeviceOff) {
            bool powered = true;
            rig.line.sim.withDevice(1, [&](quobsim::Device& device) { powered = device.powered; });
            EXPECT_FALSE(powered);
            QTest::mouseClick(c.btnPower, Qt::LeftButton);
        }
        ASSERT_TRUE(waitFor([&] { return c.session().vtr.power && c.transportEnabled(); }, 10000));
        EXPECT_EQ(threadCount(), threads) << "a thread of the capture is left";
    }
    EXPECT_TRUE(readyToCapture(rig));
    frmWait = nullptr;
}

namespace {

std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct LinkFolder {
    test::TempFolder links;
};

// The controller on COM1 through a link the simulator pulls out and plugs back in.
struct UnpluggedRig : LinkFolder, ControllerRig {
    explicit UnpluggedRig(quobsim::SptpOptions options = {})
        : ControllerRig(false, std::move(options), links.file("by-id-camcorder"))
    {
    }
    bool showsLineLost()
    {
        return waitFor([&] { return !warnings->warned.empty(); }, 3000);
    }
    // The lights all out, the counter blank, nothing to press but the menus.
    bool showsNoDevice()
    {
        TfrmAvCtl& c = *controller;
        const QToolButton* lit[] = {c.btnRev, c.btnPlay, c.btnFF, c.btnSlowR, c.btnPause, c.btnSlow, c.btnStop};
        return std::all_of(std::begin(lit), std::end(lit), [&](const QToolButton* b) { return c.lightOf(b) == 0; })
               && c.pnlCounter->text() == " --:--:--:--" && !c.transportEnabled() && !c.btnPower->isEnabled()
               && !c.btnCapt->isEnabled() && c.TimerReopen->isActive();
    }
    // Back at the same path, the link runs again with the saved device and Play lights the tape.
    bool runsAgainAfterTheComeback()
    {
        TfrmAvCtl& c = *controller;
        if (!line.sim.comeBack()
            || !waitFor([&] { return c.transportEnabled() && c.session().vtr.power != 0; }, 6000))
            return false;
        QTest::mouseClick(c.btnPlay, Qt::LeftButton);
        return shows(6) && c.lightOf(c.btnPlay) == 1 && motion() == Motion::Play && c.btnPower->isEnabled()
               && c.pnlCounter->text() != " --:--:--:--";
    }
};

} // namespace

TEST(ControllerLineLost, UnplugWhilePollingIsToldOnceAndTheLinkComesBack)
{
    UnpluggedRig rig;
    ASSERT_TRUE(rig.running);
    rig.line.sim.hangUp();
    ASSERT_TRUE(rig.showsLineLost());
    EXPECT_EQ(rig.warnings->warned[0].first, "MSG_LINELOST");
    EXPECT_EQ(rig.warnings->warned[0].second, textForKey("MSG_LINELOST"));
    EXPECT_TRUE(rig.showsNoDevice());
    keepPicture(*rig.controller, "controller-line-lost");
    QTest::qWait(2500); // a try at the vanished path in between
    EXPECT_TRUE(rig.controller->session().lineLost());
    EXPECT_EQ(rig.warnings->warned.size(), 1u) << "told once";
    EXPECT_TRUE(rig.runsAgainAfterTheComeback());
    EXPECT_EQ(rig.warnings->warned.size(), 1u);
}

TEST(ControllerLineLost, UnplugDuringACaptureEndsItWithinASecondWithNothingAdded)
{
    quobsim::SptpOptions options;
    options.faults.hangUpAt = 6;
    UnpluggedRig rig(options);
    ASSERT_TRUE(rig.running);
    TfrmAvCtl& c = *rig.controller;
    ASSERT_TRUE(rig.pausedWithCaptureEnabled());
    const auto filesBefore = folderNames(rig.folder.path());
    QTest::mouseClick(c.btnCapt, Qt::LeftButton);
    const auto ended = quobsim::Clock::now();
    ASSERT_TRUE(rig.line.sim.hungUp());
    EXPECT_LT(ended - rig.line.sim.hungUpAt(), std::chrono::seconds(1));
    EXPECT_EQ(rig.main->album.count(), 0);
    EXPECT_EQ(folderNames(rig.folder.path()), filesBefore) << "no side file, no work file";
    ASSERT_EQ(rig.warnings->warned.size(), 1u);
    EXPECT_EQ(rig.warnings->warned[0].first, "MSG_COMERR");
    EXPECT_TRUE(rig.warnings->warned[0].second.endsWith("\n" + textForKey("MSG_LINELOST")));
    EXPECT_TRUE(rig.showsNoDevice());
    EXPECT_FALSE(c.session().linkStarted()) << "no poll on a dead line";
    EXPECT_TRUE(rig.runsAgainAfterTheComeback());
}

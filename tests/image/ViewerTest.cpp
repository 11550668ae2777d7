// The image viewer and its button bar on the real windows, with real DVF side files.
#include "Frames.h"
#include "ImageWindowsRig.h"
#include "support/SmallDisk.h"

#include "image/Conversions.h"
#include "image/RecordingDate.h"
#include "image/ViewerPaintBox.h"
#include "platform/Profile.h"

#include <QAction>
#include <QLabel>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace vantrel;
using vantrel::test::ImageWindowsRig;

namespace {

// The places the viewer shows from now on, until `count` were seen or time ran out.
std::vector<int> nextPlacesShown(const TfrmFullImage& viewer, size_t count)
{
    std::vector<int> places;
    int last = viewer.currentPlace();
    const bool seen = QTest::qWaitFor([&] {
        if (viewer.currentPlace() != last) {
            last = viewer.currentPlace();
            places.push_back(last);
        }
        return places.size() >= count;
    }, 5000);
    (void)seen; // the places seen tell the story
    return places;
}

void typeKey(QWidget* target, Qt::Key key, char text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(text)));
    QApplication::sendEvent(target, &press);
}

// Writes the window's picture into VANTREL_SCREENS when that names a folder.
void keepPicture(QWidget& window, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const std::string language = languageTable().isJapanese() ? "ja" : "en";
        window.grab().save(QString::fromStdString(std::string(folder) + "/" + name + "-" + language + ".png"));
    }
}

} // namespace

TEST(Viewer, SlideShowNeedsTwoPicturesAndAlternatesAtItsInterval)
{
    const struct { int pictures; int intervalTime; int intervalMin; bool runs; int interval; } cases[] = {
        {1, 0, 1, false, 0}, {2, 0, 1, true, 100}, {2, 5, 1, true, 100}, {2, 0, 0, true, 100}, {2, 3, 0, true, 3000},
    };
    for (const auto& c : cases) {
        ImageWindowsRig rig;
        for (int i = 0; i < c.pictures; ++i)
            rig.addPicture(dvSystem525, false);
        rig.settings->active.IntervalTime = c.intervalTime;
        rig.settings->active.IntervalMin = c.intervalMin;
        ASSERT_TRUE(rig.viewer->openAt(1));
        QTest::mouseClick(rig.viewer->btnSS, Qt::LeftButton);
        ASSERT_EQ(rig.viewer->slideShowRunning(), c.runs) << c.pictures << " pictures";
        if (!c.runs)
            continue;
        EXPECT_EQ(rig.viewer->Timer1->interval(), c.interval);
        EXPECT_FALSE(rig.viewer->findChild<QAction*>("mnuCopy")->isEnabled());
        EXPECT_EQ(rig.host.controllerClosed, 1);
        if (c.interval == 100) {
            EXPECT_EQ(nextPlacesShown(*rig.viewer, 3), (std::vector<int>{2, 1, 2}));
        }
    }
}

TEST(Viewer, EveryWayOfStoppingTheSlideShow)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, false);
    rig.addPicture(dvSystem525, false);
    ASSERT_TRUE(rig.viewer->openAt(1));
    TfrmFullImage& viewer = *rig.viewer;
    const struct { const char* way; std::function<void()> act; bool stops; } cases[] = {
        {"Stop", [&] { QTest::mouseClick(viewer.btnStop, Qt::LeftButton); }, true},
        {"Stop on the button bar", [&] { QTest::mouseClick(rig.buttonBar->btnStop, Qt::LeftButton); }, true},
        {"press on the picture", [&] { QTest::mousePress(viewer.PaintBox1, Qt::LeftButton); }, true},
        {"double click on the picture", [&] { QTest::mouseDClick(viewer.PaintBox1, Qt::LeftButton); }, true},
        {"press beside the picture", [&] { QTest::mousePress(viewer.ScrollBox1->viewport(), Qt::LeftButton, {}, {2, 2}); }, true},
        {"a letter on the viewer", [&] { typeKey(&viewer, Qt::Key_A, 'a'); }, true},
        {"Enter on a tool bar button", [&] { typeKey(viewer.btnNext, Qt::Key_Return, '\r'); }, true},
        {"a letter on the button bar", [&] { typeKey(rig.buttonBar->btnFirst, Qt::Key_X, 'x'); }, true},
        {"the Edit menu", [&] { emit viewer.findChild<QMenu*>("mnuEdit")->aboutToShow(); }, true},
        {"closing", [&] { viewer.close(); }, true},
        {"space", [&] { typeKey(&viewer, Qt::Key_Space, ' '); }, false},
        {"backspace", [&] { typeKey(viewer.btnNext, Qt::Key_Backspace, '\b'); }, false},
        {"line feed", [&] { typeKey(&viewer, Qt::Key_J, '\n'); }, false},
        {"an arrow key", [&] { QTest::keyClick(&viewer, Qt::Key_Left); }, false},
    };
    for (const auto& c : cases) {
        viewer.show();
        viewer.btnSSClick();
        ASSERT_TRUE(viewer.slideShowRunning()) << c.way;
        c.act();
        EXPECT_EQ(viewer.slideShowRunning(), !c.stops) << c.way;
        EXPECT_EQ(viewer.findChild<QAction*>("mnuSaveImage")->isEnabled(), c.stops) << c.way;
        viewer.stopSlideShow();
    }
}

TEST(Viewer, NavigationStaysInsideTheAlbum)
{
    ImageWindowsRig rig;
    for (int i = 0; i < 3; ++i)
        rig.addPicture(dvSystem525, false);
    TfrmFullImage& viewer = *rig.viewer;
    const struct { int from; QToolButton* TfrmFullImage::*button; int to; } cases[] = {
        {3, &TfrmFullImage::btnNext, 3}, {1, &TfrmFullImage::btnPrev, 1}, {2, &TfrmFullImage::btnNext, 3},
        {2, &TfrmFullImage::btnPrev, 1}, {2, &TfrmFullImage::btnFirst, 1}, {1, &TfrmFullImage::btnLast, 3},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(viewer.openAt(c.from));
        QTest::mouseClick(viewer.*c.button, Qt::LeftButton);
        EXPECT_EQ(viewer.currentPlace(), c.to) << "from " << c.from;
        EXPECT_FALSE(viewer.slideShowRunning());
    }
    rig.host.pictures.pictures = 0;
    QTest::mouseClick(viewer.btnFirst, Qt::LeftButton);
    EXPECT_EQ(viewer.currentPlace(), 3) << "an empty album shows nothing";
}

// Typed on the active viewer, through the toolkit's shortcut handling as from a keyboard.
TEST(Viewer, KeysTheDesktopsViewersShare)
{
    ImageWindowsRig rig;
    for (int i = 0; i < 3; ++i)
        rig.addPicture(dvSystem525, false);
    rig.settings->active.IntervalTime = 30;
    rig.settings->active.IntervalMin = 0;
    TfrmFullImage& viewer = *rig.viewer;
    ASSERT_TRUE(viewer.openAt(1));
    viewer.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
    const struct { const char* what; int from; bool inShow; Qt::Key key; int to; bool showRuns; } cases[] = {
        {"Space: next", 2, false, Qt::Key_Space, 3, false},
        {"Space on the last", 3, false, Qt::Key_Space, 3, false},
        {"Backspace: previous", 2, false, Qt::Key_Backspace, 1, false},
        {"Backspace on the first", 1, false, Qt::Key_Backspace, 1, false},
        {"Home: first", 3, false, Qt::Key_Home, 1, false},
        {"End: last", 1, false, Qt::Key_End, 3, false},
        {"Space steps a running show round", 3, true, Qt::Key_Space, 1, true},
        {"Backspace steps a running show back round", 1, true, Qt::Key_Backspace, 3, true},
        {"Home stops the show", 2, true, Qt::Key_Home, 1, false},
        {"Escape stops the show", 2, true, Qt::Key_Escape, 2, false},
        {"F5 stays First Image", 3, false, Qt::Key_F5, 1, false},
        {"F9 stays the slide show", 2, false, Qt::Key_F9, 2, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(viewer.showImage(c.from));
        if (c.inShow)
            viewer.btnSSClick();
        QTest::keyClick(&viewer, c.key);
        EXPECT_EQ(viewer.currentPlace(), c.to) << c.what;
        EXPECT_EQ(viewer.slideShowRunning(), c.showRuns) << c.what;
        viewer.stopSlideShow();
    }

    // F11 gives the picture the whole screen; F11 or Escape gives the window back.
    const QSize normal = viewer.PaintBox1->size();
    for (Qt::Key leave : {Qt::Key_F11, Qt::Key_Escape}) {
        QTest::keyClick(&viewer, Qt::Key_F11);
        EXPECT_TRUE(viewer.windowFullScreen() && viewer.isFullScreen());
        EXPECT_FALSE(viewer.menuBar()->isVisible());
        EXPECT_FALSE(viewer.pnlToolbar->isVisible());
        const QSize screen = QGuiApplication::primaryScreen()->size();
        EXPECT_TRUE(viewer.PaintBox1->height() == screen.height() || viewer.PaintBox1->width() == screen.width())
            << viewer.PaintBox1->width() << "x" << viewer.PaintBox1->height();
        viewer.btnSSClick();
        QTest::keyClick(&viewer, leave);
        EXPECT_FALSE(viewer.windowFullScreen() || viewer.isFullScreen()) << leave;
        EXPECT_TRUE(viewer.menuBar()->isVisible() && viewer.pnlToolbar->isVisible()) << leave;
        EXPECT_EQ(viewer.PaintBox1->size(), normal) << leave;
        EXPECT_EQ(viewer.slideShowRunning(), leave == Qt::Key_F11) << leave;
        viewer.stopSlideShow();
    }
}

TEST(Viewer, PaintSizeByAspectAndOnlyAnAspectChangeLaysOut)
{
    ImageWindowsRig rig;
    const struct { DvSystem system; bool wide; QSize painted; int relayouts; } pictures[] = {
        {dvSystem525, false, {768, 576}, 0}, {dvSystem625, false, {768, 576}, 0},
        {dvSystem525, true, {1024, 576}, 1}, {dvSystem625, true, {1024, 576}, 1},
        {dvSystem625, false, {768, 576}, 2},
    };
    for (const auto& p : pictures)
        rig.addPicture(p.system, p.wide);
    rig.viewer->show();
    for (int place = 1; place <= 5; ++place) {
        const auto& p = pictures[place - 1];
        ASSERT_TRUE(rig.viewer->showImage(place));
        EXPECT_EQ(rig.viewer->PaintBox1->size(), p.painted) << "place " << place;
        EXPECT_EQ(rig.viewer->relayouts(), p.relayouts) << "place " << place;
    }
    rig.viewer->showImage(1);
    // Painted upright: the top and bottom of the box show the picture's top and bottom.
    const QImage painted = rig.viewer->PaintBox1->grab().toImage();
    const QImage picture = rig.viewer->PaintBox1->picture();
    for (int y : {10, 560}) {
        const QColor shown = painted.pixelColor(50, y);
        const QColor source = picture.pixelColor(50 * 720 / 768, y * 480 / 576);
        EXPECT_LT(std::abs(shown.red() - source.red()) + std::abs(shown.blue() - source.blue()), 12) << y;
    }
    keepPicture(*rig.viewer, "viewer-4x3");
    rig.viewer->showImage(3);
    keepPicture(*rig.viewer, "viewer-wide");
    QTest::qWait(1);
}

TEST(Viewer, CaptionsCarryThePlaceWithTwoDigitsAtLeast)
{
    ImageWindowsRig rig;
    rig.host.pictures.pictures = 123;
    for (int place : {7, 123})
        test::writeTestDvf(rig.host.pictures.sideFilePath(place), dvSystem525, false);
    const RecordingDate shot{2004, 7, 18, 10, 20, 30};
    test::stampRecordingPacks(rig.host.pictures.sideFilePath(7), recordingDatePack(shot),
                              recordingTimePack(shot));
    // The tool bar shows the time code, and the recording date when the frame has one.
    const QString recorded = "00:00:00:00    " + textForKey("TX_RECORDED") + " 2004-07-18 10:20:30";
    const struct { int place; const char* ending; QString facts; } cases[] = {
        {7, " [07]", recorded}, {123, " [123]", "00:00:00:00"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(rig.viewer->showImage(c.place));
        EXPECT_EQ(rig.viewer->windowTitle(), textForKey("TI_VIEWER") + c.ending);
        EXPECT_EQ(rig.buttonBar->windowTitle(), textForKey("TI_BTN") + c.ending);
        EXPECT_EQ(rig.viewer->findChild<QLabel*>("lblFacts")->text(), c.facts);
        if (c.place == 7) {
            rig.viewer->show();
            rig.viewer->resize(800, 660);
            keepPicture(*rig.viewer, "viewer-facts");
        }
    }
    EXPECT_FALSE(rig.viewer->showImage(8)) << "no side file";
    EXPECT_EQ(rig.viewer->currentPlace(), 123);
    EXPECT_TRUE(rig.viewer->windowTitle().endsWith("[123]"));
    EXPECT_EQ(rig.viewer->findChild<QLabel*>("lblFacts")->text(), "00:00:00:00");
}

TEST(Viewer, OpenEditorWritesTheFirstFreeNonameFile)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, false);
    for (int n = 0; n <= 4; ++n)
        std::ofstream(rig.file("NONAME0" + std::to_string(n) + ".jpg")) << "taken";
    std::vector<QUrl> opened;
    rig.viewer->openUrl = [&](const QUrl& url) { opened.push_back(url); return true; };
    ASSERT_TRUE(rig.viewer->openAt(1));
    rig.viewer->findChild<QAction*>("mnuOpenEdit")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile().toStdString(), rig.file("NONAME05.jpg"));
    const QImage written(QString::fromStdString(rig.file("NONAME05.jpg")));
    EXPECT_EQ(written.size(), QSize(640, 480));

    rig.settings->active.Format = saveAsDvf;
    emit rig.viewer->findChild<QMenu*>("mnuEdit")->aboutToShow();
    EXPECT_FALSE(rig.viewer->findChild<QAction*>("mnuOpenEdit")->isEnabled());
}

TEST(Viewer, SaveImageAsConvertsWithTheActiveSettings)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, true);
    rig.settings->active.Format = saveAsBitmap;
    rig.settings->active.ImgSize = 2;
    ASSERT_TRUE(rig.viewer->openAt(1));
    rig.viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.viewer.get()));
    QString offered;
    QString answer;
    rig.viewer->saveDialog = [&](const QString& folder, const QString& name, const QString& filter,
                                 const QString&) {
        offered = folder + "|" + name + "|" + filter;
        return answer;
    };
    QTest::keyClick(rig.viewer.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(offered.toStdString(), rig.folder.path() + "|lum01.bmp|" + textForKey("FL_BMP").toStdString() + " (*.bmp)");
    EXPECT_EQ(rig.host.lastSavePath(), "") << "cancelled";

    answer = QString::fromStdString(rig.file("out/saved.bmp"));
    rig.viewer->mnuSaveImageClick();
    EXPECT_EQ(QImage(answer).size(), QSize(424, 240));
    EXPECT_EQ(rig.host.lastSavePath(), answer.toStdString());
}

TEST(Viewer, SaveImageAsOnAFullOrReadOnlyDisk)
{
    // Over an old picture of its size the save passes the free-space check, finds no room for
    // its new copy, says so and keeps the old one.
    const std::vector<uint8_t> old(1800000, 0xD8);
    const struct { bool readOnly; const char* folder; const char* message; bool over = false; } cases[] = {
        {false, "", "MSG_NODISK"}, {true, "", "MSG_INPUT"}, {true, "new/", "MSG_INPUT"}, {false, "", "MSG_NODISK", true}};
    for (const auto& c : cases) {
        test::SmallDisk disk(2048);
        if (!disk.mounted())
            GTEST_SKIP() << "mounting the small disk needs root";
        if (c.over)
            test::writeBytes(disk.file("saved.jpg"), old);
        ASSERT_TRUE(c.readOnly ? disk.makeReadOnly() : disk.fillLeaving(c.over ? 0 : 64 * 1024));
        ImageWindowsRig rig;
        rig.addPicture(dvSystem525, false);
        ASSERT_TRUE(rig.viewer->openAt(1));
        rig.viewer->saveDialog = [&](const QString&, const QString&, const QString&, const QString&) {
            return QString::fromStdString(disk.path() + "/" + c.folder + "saved.jpg");
        };
        rig.viewer->mnuSaveImageClick();
        EXPECT_EQ(rig.host.answers.warnings, std::vector<std::string>{c.message}) << c.folder;
        EXPECT_EQ(disk.listing(), c.readOnly ? "" : c.over ? "filler saved.jpg " : "filler ") << c.folder;
        if (c.over)
            EXPECT_EQ(test::fileBytes(disk.file("saved.jpg")), old);
        EXPECT_EQ(rig.host.lastSavePath(), "");
    }
}

TEST(Viewer, ButtonBarPlacement)
{
    ImageWindowsRig rig;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const struct { QRect viewer; QPoint expected; } cases[] = {
        {{50, 40, 600, 400}, {60, 340}},
        {{50, screen.height() - 300, 600, 400}, {10, screen.height() - 150}}, // bottom below the screen
        {{50, -380, 600, 400}, {10, screen.height() - 150}},                 // bottom near the top
    };
    for (const auto& c : cases) {
        rig.buttonBar->placeBeside(c.viewer);
        EXPECT_EQ(rig.buttonBar->pos(), c.expected) << c.viewer.y();
    }
    EXPECT_EQ(rig.buttonBar->size(), QSize(6 * 34 + 6, 34));
}

TEST(Viewer, ToolBarToggleSwapsInTheButtonBar)
{
    ImageWindowsRig rig;
    rig.viewer->show();
    QAction* toolBar = rig.viewer->findChild<QAction*>("mnuToolBar");
    toolBar->trigger();
    EXPECT_FALSE(toolBar->isChecked());
    EXPECT_FALSE(rig.viewer->findChild<QAction*>("pumToolBar")->isChecked());
    EXPECT_FALSE(rig.viewer->pnlToolbar->isVisible());
    EXPECT_EQ(rig.viewer->ScrollBox1->y(), 0);
    EXPECT_TRUE(rig.buttonBar->isVisible());
    rig.viewer->findChild<QAction*>("pumToolBar")->trigger();
    EXPECT_EQ(rig.viewer->ScrollBox1->y(), 41);
    EXPECT_FALSE(rig.buttonBar->isVisible());

    rig.viewer->findChild<QAction*>("mnuBrdr")->trigger();
    EXPECT_TRUE(rig.viewer->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(rig.viewer->menuBar()->isVisible());
    rig.viewer->findChild<QAction*>("pumBrdr")->trigger();
    EXPECT_TRUE(rig.viewer->menuBar()->isVisible());
}

TEST(Viewer, WindowPositionIsStoredOnHideAndRestoredOnShow)
{
    ImageWindowsRig rig;
    rig.viewer->show();
    rig.viewer->setGeometry(30, 40, 500, 300);
    rig.viewer->hide();
    CProfile profile;
    int width = 0;
    ASSERT_TRUE(profile.ReadInt("frmFullImage", "Width", width));
    EXPECT_EQ(width, 500);
    rig.viewer->resize(700, 500);
    rig.viewer->show();
    EXPECT_EQ(rig.viewer->size(), QSize(500, 300));
}

TEST(Viewer, CopyPutsTheAspectCopyOnTheClipboard)
{
    const struct { DvSystem system; bool wide; QSize size; } cases[] = {
        {dvSystem525, true, {848, 480}}, {dvSystem625, false, {768, 576}}};
    for (const auto& c : cases) {
        ImageWindowsRig rig;
        rig.addPicture(c.system, c.wide);
        ASSERT_TRUE(rig.viewer->openAt(1));
        rig.viewer->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(rig.viewer.get()));
        QTest::keyClick(rig.viewer.get(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), c.size);
        EXPECT_TRUE(rig.viewer->isEnabled());
    }
}

// Under a real X server (xvfb-run, QT_QPA_PLATFORM=xcb) another program reads what Copy put
// on the clipboard while this one serves it.
TEST(ClipboardAcrossProcesses, AnotherProgramReadsTheCopy)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server";
    const struct { DvSystem system; bool wide; const char* size; } cases[] = {
        {dvSystem525, true, "848x480"}, {dvSystem625, false, "768x576"}};
    for (const auto& c : cases) {
        ImageWindowsRig rig;
        rig.addPicture(c.system, c.wide);
        ASSERT_TRUE(rig.viewer->openAt(1));
        rig.viewer->mnuCopyClick();
        QProcess reader;
        reader.start(QString(VANTREL_CLIPBOARD_READER), {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(reader.readAllStandardOutput().trimmed().toStdString(), c.size);
    }
}

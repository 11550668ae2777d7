// The main window on the offscreen platform: real pictures in a temporary program folder,
// real events, its questions and file dialogs answered by a script.
#include "../capture/CaptureRig.h"
#include "../image/Frames.h"
#include "ScriptedDialogs.h"
#include "support/TempFolder.h"

#include "album/Cptmain.h"
#include "album/EmptyAlbumHint.h"
#include "album/Help.h"
#include "album/ImageWindowsLink.h"
#include "album/ToolbarArt.h"
#include "album/MainDialogs.h"
#include "platform/WindowPosition.h"
#include "capture/CaptureCommands.h"
#include "control/Title.h"
#include "control/Wait.h"
#include "image/FullImage.h"
#include "image/Dvf.h"
#include "platform/Paths.h"
#include "platform/WindowMessage.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <csignal>
#include <deque>
#include <functional>
#include <numeric>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

using test::dvfWithTimeCode;
using test::ScriptedDialogs;

std::string jpegPicture(const std::string& path)
{
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(QColor(200, 120, 40));
    EXPECT_TRUE(picture.save(QString::fromStdString(path), "JPG"));
    return path;
}

// An album file of `count` pictures made with the album model in a folder of its own.
// `firstSecond` is packed decimal, as the pack holds it.
std::string albumFile(const test::TempFolder& folder, const std::string& name, int count, uint8_t firstSecond)
{
    test::TempFolder home;
    Album album(home.path());
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(album.addPicture(dvfWithTimeCode(folder.file("p.dvf"), {0, 0, uint8_t(firstSecond + i), 0})));
    ScriptedDialogs none;
    const std::string path = folder.file(name);
    EXPECT_TRUE(album.saveAlbum(path, false, none));
    return path;
}

struct ShippedProgramFolder : test::TempProgramFolder {
    ShippedProgramFolder()
    {
        for (const char* name : {"wyb.cpt", "wyb.sty", "wyb_e.dat", "wyb_j.dat", "wyb30e.hlp", "wyb30j.hlp"})
            fs::copy_file(resources + "/" + name, file(name));
    }
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }

    // The window shown with its first show done, answering through `dialogs`.
    TfrmCptMain& showWindow(QSize size = {400, 330}, bool keepStoredPosition = false,
                            const std::function<void(TfrmCptMain&)>& beforeShow = {})
    {
        window = std::make_unique<TfrmCptMain>();
        if (beforeShow)
            beforeShow(*window);
        auto script = std::make_unique<ScriptedDialogs>();
        dialogs = script.get();
        window->setDialogs(std::move(script));
        window->setWaitDialog(&wait);
        wait.setGuardedWindows({window.get()});
        window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->firstShowDone(); }));
        if (!keepStoredPosition)
            window->resize(size); // the stored position may have changed it
        return *window;
    }

    std::vector<std::string> timeCodes() const
    {
        std::vector<std::string> codes;
        for (int place = 1; place <= window->album.count(); ++place)
            codes.push_back(window->album.place(place).timeCode);
        return codes;
    }

    ShippedProgramFolder home;
    test::TempFolder files;
    TfrmWait wait;
    std::unique_ptr<TfrmCptMain> window;
    std::unique_ptr<ImageWindows> windows;
    ScriptedDialogs* dialogs = nullptr;
};

TEST_F(MainWindowTest, IndexColumnsHeightAndScrolling)
{
    TfrmCptMain& main = showWindow();
    ASSERT_EQ(main.clientWidth(), 400);
    QStringList pictures;
    for (uint8_t i = 0; i < 10; ++i)
        pictures << QString::fromStdString(dvfWithTimeCode(files.file("p" + std::to_string(i) + ".dvf"), {0, 1, 2, i}));
    main.openFiles(pictures);

    ASSERT_EQ(main.album.count(), 10);
    EXPECT_EQ(main.columnCount(), 3);
    EXPECT_EQ(main.ScrollBox1->height(), 417);
    EXPECT_EQ(main.slotAt(7)->pos(), QPoint(5, 211));
    EXPECT_EQ(main.slotAt(7)->accessibleName(), "Picture 07, 00:01:02:06");
    EXPECT_TRUE(main.slotAt(10)->isVisible());
    EXPECT_TRUE(main.btnEDS->isEnabled());
    // Scrolled to the end; the wheel and message 52772 move up and down by the steps.
    ASSERT_TRUE(main.ScrollBar1->isVisible());
    const int end = main.ScrollBar1->maximum();
    EXPECT_EQ(main.ScrollBar1->value(), end);
    EXPECT_EQ(main.ScrollBox1->y(), 41 - end);
    for (int angle : {60, 60}) { // two half notches of a touch pad make one
        QWheelEvent wheel(QPointF(50, 50), main.ScrollBox1->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(main.ScrollBox1, &wheel);
    }
    EXPECT_EQ(main.ScrollBar1->value(), end - 8 * QApplication::wheelScrollLines());
    struct Step {
        int from;
        intptr_t amount;
        int expected;
    };
    const int page = main.ScrollBar1->pageStep();
    for (const Step& step : {Step{end, 1, end - 8}, Step{end, -1, end}, Step{end, 200, std::max(0, end - page)},
                             Step{0, -200, std::min(end, page)}, Step{0, 1, 0}, Step{8, -1, 16}}) {
        main.ScrollBar1->setValue(step.from);
        sendMessage(&main, Msg::IndexScroll, step.amount);
        EXPECT_EQ(main.ScrollBar1->value(), step.expected) << step.from << " " << step.amount;
        EXPECT_EQ(main.ScrollBox1->y(), 41 - main.ScrollBar1->value());
    }
    // Without the tool bar the index starts at the top.
    main.findChild<QAction*>("mnuToolbar")->trigger();
    EXPECT_FALSE(main.pnlToolbar->isVisible());
    EXPECT_EQ(main.ScrollBar1->y(), 0);
    EXPECT_EQ(main.ScrollBox1->y(), -main.ScrollBar1->value());
    main.findChild<QAction*>("mnuToolbar")->trigger();
    EXPECT_EQ(main.ScrollBar1->y(), 41);
    // Wider: the slots move into more columns.
    main.resize(800, 330);
    EXPECT_EQ(main.columnCount(), 7);
    EXPECT_EQ(main.slotAt(8)->pos(), QPoint(5, 108));
}

TEST_F(MainWindowTest, SideFilesComeBackAsPlacesWithoutGaps)
{
    for (int place : {1, 3, 4})
        dvfWithTimeCode(sideFileName(place).insert(0, home.path() + "/"), {0, 0, 0, uint8_t(place)});
    CProfile settings;
    for (auto [key, value] : {std::pair{"Top", 5000}, {"Left", 10}, {"Width", 300}, {"Height", 200}})
        settings.WriteInt("frmCptMain", key, value);
    // A command line, and a file handed in while the side files are read.
    const QString named = QString::fromStdString(dvfWithTimeCode(files.file("named.dvf"), {0, 0, 0, 5}));
    const QString late = QString::fromStdString(dvfWithTimeCode(files.file("late.dvf"), {0, 0, 0, 6}));
    TfrmCptMain& main = showWindow({400, 330}, true, [&](TfrmCptMain& window) {
        window.setCommandLine({named});
        QTimer::singleShot(0, &window, [&window, late] { window.openFiles({late}); });
    });
    // The stored top lies below the work area: the default place and size.
    const QRect screen = main.screen()->geometry();
    EXPECT_EQ(main.geometry().size(), screen.size() / 2);
    EXPECT_EQ(main.pos(), QPoint(screen.width() / 4, screen.height() / 4));
    EXPECT_EQ(timeCodes(), (std::vector<std::string>{"00:00:00:01", "00:00:00:03", "00:00:00:04",
                                                     "00:00:00:05", "00:00:00:06"}));
    EXPECT_TRUE(fileExists(home.file("lum003.dat")));
    EXPECT_FALSE(fileExists(home.file("lum006.dat")));
    EXPECT_TRUE(main.album.modified()); // not in any album file yet: closing asks to save
    EXPECT_TRUE(main.slotAt(3)->isVisible());
    EXPECT_FALSE(wait.isVisible());
}

TEST_F(MainWindowTest, TwoAlbumsInOneOpenReplaceThenAppend)
{
    const std::string first = albumFile(files, "first.zal", 2, 0x10);
    const std::string second = albumFile(files, "second.zal", 3, 0x20);
    TfrmCptMain& main = showWindow();
    main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("old.dvf"), {0, 0, 0, 0}))});
    ASSERT_TRUE(main.album.modified());
    dialogs->answers = {false}; // do not save the changed album
    dialogs->filesToOpen = {{QString::fromStdString(first), QString::fromStdString(second)}};
    QTest::mouseClick(main.btnOpen, Qt::LeftButton);

    EXPECT_EQ(timeCodes(), (std::vector<std::string>{"00:00:10:00", "00:00:11:00", "00:00:20:00",
                                                     "00:00:21:00", "00:00:22:00"}));
    EXPECT_EQ(main.windowTitle(), QString::fromStdString("Vantrel [" + first + "]"));
    EXPECT_FALSE(main.album.modified());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(dialogs->answers.empty());
}

TEST_F(MainWindowTest, SaveImagesAndHtmlAlbumFromTheMenus)
{
    TfrmCptMain& main = showWindow();
    window->setWaitStopFlag(&wait.abortRequested);
    for (int i = 1; i <= 3; ++i)
        main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("p.dvf"), {0, 0, uint8_t(i), 0}))});
    main.album.setSelected(1, true);
    main.album.setSelected(3, true);
    dialogs->imageNames = {QString::fromStdString(files.file("out/LUM01.JPG"))};
    dialogs->answers = {true}; // the others as a batch
    // The shortcuts, typed as a keyboard types them: into the active window.
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(main.windowHandle(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(dialogs->proposedImages, std::vector<std::string>{"lum01.jpg"});
    EXPECT_TRUE(fileExists(files.file("out/LUM01.JPG")));
    EXPECT_TRUE(fileExists(files.file("out/lum03.jpg")));
    EXPECT_FALSE(fileExists(files.file("out/lum02.jpg")));
    EXPECT_FALSE(wait.isVisible());

    EXPECT_FALSE(main.findChild<QAction*>("mnuOpenHTML")->isEnabled());
    dialogs->htmlNames = {QString::fromStdString(files.file("web/trip.htm"))};
    dialogs->titles = {QString("Trip")};
    main.activateWindow(); // the wait dialog of the batch had it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(main.windowHandle(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(dialogs->proposedIndex, "Album00.htm");
    EXPECT_TRUE(fileExists(files.file("web/trip/lum002.htm"))) << "the two selected pictures";
    EXPECT_FALSE(fileExists(files.file("web/trip/lum003.htm")));
    EXPECT_TRUE(main.findChild<QAction*>("mnuOpenHTML")->isEnabled());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(dialogs->answers.empty());
}

TEST_F(MainWindowTest, CloseWithUnsavedAlbumAndCancelledSaveKeepsBoth)
{
    TfrmCptMain& main = showWindow();
    main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("a.dvf"), {0, 0, 0, 1})),
                    QString::fromStdString(dvfWithTimeCode(files.file("b.dvf"), {0, 0, 0, 2}))});
    dialogs->answers = {true, true}; // quit? yes; save? yes
    dialogs->albumNames = {QString()}; // then the save dialog is cancelled
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.album.count(), 2);
    EXPECT_TRUE(fileExists(home.file("lum002.dat")));

    dialogs->answers = {true, true}; // quit and save, this time under a name
    dialogs->albumNames = {QString::fromStdString(files.file("kept"))};
    EXPECT_TRUE(main.close());
    EXPECT_TRUE(fileExists(files.file("kept.zal")));
    EXPECT_EQ(main.album.count(), 0);
    EXPECT_FALSE(fileExists(home.file("lum001.dat")));
    CProfile settings;
    int top = -1;
    EXPECT_TRUE(settings.ReadInt("frmCptMain", "Top", top));
    EXPECT_EQ(settings.intOr("Setup", "BackColor", 0), 12559392);
}

TEST_F(MainWindowTest, DroppedPicturesStopAtNinetyNine)
{
    const std::string picture = dvfWithTimeCode(files.file("p.dvf"), {0, 0, 0, 0});
    for (int place = 1; place <= 97; ++place)
        fs::copy_file(picture, home.file(sideFileName(place)));
    TfrmCptMain& main = showWindow();
    ASSERT_EQ(main.album.count(), 97);
    QList<QUrl> urls;
    for (int i = 0; i < 5; ++i)
        urls << QUrl::fromLocalFile(QString::fromStdString(jpegPicture(files.file("photo" + std::to_string(i) + ".jpg"))));
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = main.ScrollBox1->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);

    EXPECT_EQ(main.album.count(), 99);
    EXPECT_EQ(dialogs->warned, std::vector<std::string>{"MSG_OVER"});
    EXPECT_FALSE(fileExists(home.file("lum100.dat")));
    // Captured pictures past place 99 are refused alike; each warning under the normal cursor.
    main.album.setSelected(99, true);
    main.editing.deleteSelected();
    fs::copy_file(picture, home.file(sideFileName(99)));
    sendMessage(&main, Msg::PictureCaptured, 99, 2);
    EXPECT_EQ(main.album.count(), 99);
    EXPECT_EQ(dialogs->hourglassAtWarning, (std::vector<bool>{false, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, CapturedPictureArrivesAsTheNextPlace)
{
    TfrmCptMain& main = showWindow();
    main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("a.dvf"), {0, 0, 0, 1}))});
    test::CaptureRig rig;
    rig.cpt.album = &main;
    ASSERT_TRUE(rig.parkTape(((0 * 60 + 1) * 60 + 2) * 30 + 3));
    ASSERT_EQ(rig.cpt.Capture(), CaptureOutcome::Captured);

    ASSERT_EQ(main.album.count(), 2);
    EXPECT_EQ(main.album.place(2).timeCode, "00:01:02:03");
    EXPECT_FALSE(main.album.place(2).thumbnail.isNull());
    EXPECT_EQ(main.slotAt(2)->accessibleName(), "Picture 02, 00:01:02:03");
    EXPECT_TRUE(main.slotAt(2)->isVisible());
    EXPECT_EQ(main.slotAt(2)->pbThumb->thumbnail, main.album.place(2).thumbnail);
}

// The program run as a child with an album, a DVF and a JPEG on its command line, killed
// once the pictures are in; the next start finds every picture in order.
TEST_F(MainWindowTest, CommandLineFilesSurviveAKill)
{
    const std::string album = albumFile(files, "trip.zal", 2, 0x30);
    const std::string dvf = dvfWithTimeCode(files.file("still.dvf"), {0, 0, 0x40, 0});
    const std::string jpeg = jpegPicture(files.file("photo.jpg"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VANTREL_HOME", QString::fromStdString(home.path()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(VANTREL_PROGRAM_PATH, {QString::fromStdString(album), QString::fromStdString(dvf),
                                         QString::fromStdString(jpeg)});
    ASSERT_TRUE(program.waitForStarted());
    const std::string last = home.file("lum004.dat");
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSizeOf(last) == dvSystems[0].dvfFileBytes; }, 30000));
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    program.waitForFinished();

    showWindow();
    EXPECT_EQ(timeCodes(), (std::vector<std::string>{"00:00:30:00", "00:00:31:00", "00:00:40:00", "00:00:00:00"}));
}

TEST_F(MainWindowTest, FilesHandedInDuringABatchJoinItsEnd)
{
    TfrmCptMain& main = showWindow();
    QStringList batch;
    for (uint8_t i = 1; i <= 3; ++i)
        batch << QString::fromStdString(dvfWithTimeCode(files.file("b" + std::to_string(i) + ".dvf"), {0, 0, 0, i}));
    const QString late = QString::fromStdString(dvfWithTimeCode(files.file("late.dvf"), {0, 0, 0, 9}));
    QTimer::singleShot(0, &main, [&] { main.openFiles({late}); }); // runs while the batch serves events
    main.openFiles(batch);
    EXPECT_EQ(timeCodes(), (std::vector<std::string>{"00:00:00:01", "00:00:00:02", "00:00:00:03", "00:00:00:09"}));
}

TEST_F(MainWindowTest, MenuItemsFollowTheAlbum)
{
    TfrmCptMain& main = showWindow();
    auto enabled = [&](const char* name) { return main.findChild<QAction*>(name)->isEnabled(); };
    struct State {
        const char* step;
        std::function<void()> reach;
        bool save, saveAs, saveImage, openHtml, full;
    };
    const State states[] = {
        {"empty", [] {}, false, false, false, false, false},
        {"two pictures", [&] {
             main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("a.dvf"), {0, 0, 0, 1})),
                             QString::fromStdString(dvfWithTimeCode(files.file("b.dvf"), {0, 0, 0, 2}))});
         }, false, true, false, false, true},
        {"saved", [&] {
             dialogs->albumNames = {QString::fromStdString(files.file("named.zal"))};
             QTest::mouseClick(main.btnSave, Qt::LeftButton);
         }, true, true, false, false, true},
        {"one selected", [&] { main.album.setSelected(2, true); }, true, true, true, false, true},
    };
    for (const State& state : states) {
        state.reach();
        EXPECT_EQ(enabled("mnuSave"), state.save) << state.step;
        EXPECT_EQ(enabled("mnuSaveAs"), state.saveAs) << state.step;
        EXPECT_EQ(enabled("mnuNew"), state.saveAs) << state.step;
        EXPECT_EQ(enabled("mnuSaveImage"), state.saveImage) << state.step;
        EXPECT_EQ(enabled("mnuDelete"), state.saveImage) << state.step;
        EXPECT_EQ(enabled("mnuOpenHTML"), state.openHtml) << state.step;
        EXPECT_EQ(enabled("mnuFull"), state.full) << state.step;
        EXPECT_EQ(main.btnEDS->isEnabled(), state.full) << state.step;
    }
    EXPECT_EQ(main.windowTitle(), QString::fromStdString("Vantrel [" + files.file("named.zal") + "]"));
}

// ---- editing the index with real mouse and key events ----

// Picture i of an editing album; its time code "00:00:ss:ff" tells it apart.
std::array<uint8_t, 4> pictureTimeCode(int picture)
{
    auto packed = [](int value) { return uint8_t((value / 10) << 4 | value % 10); };
    return {0, 0, packed(picture / 30), packed(picture % 30)};
}

std::string timeCodeOf(int picture)
{
    char text[32];
    std::snprintf(text, sizeof text, "00:00:%02d:%02d", picture / 30, picture % 30);
    return text;
}

enum class Part { thumbnail, innerPanel, outerPanel, timeLabel, numberLabel };

// Works the index as a person does: presses, moves and releases on the controls of the slots,
// keys on the tool bar. The double click's clock moves on as the steps say.
struct IndexHand {
    explicit IndexHand(TfrmCptMain& window) : main(window) {}
    TfrmCptMain& main;
    int64_t now = 1000000;
    QImage cursorSeen;

    QWidget* control(int place, Part part) const
    {
        AlbumSlot* slot = main.slotAt(place);
        const std::array<QWidget*, 5> parts = {slot->pbThumb, slot->pnlThumb, slot, slot->lblTime, slot->lblNumber};
        return parts[static_cast<size_t>(part)];
    }
    // A point of the control that no child covers; null for its centre.
    static QPoint spot(Part part)
    {
        return part == Part::innerPanel ? QPoint(0, 30) : part == Part::outerPanel ? QPoint(3, 50) : QPoint();
    }
    // Right of the last column, level with the last picture.
    QPoint background() const { return {main.ScrollBox1->width() - 40, main.slotAt(main.album.count())->y() + 50}; }

    void click(int place, Part part = Part::thumbnail, Qt::KeyboardModifiers keys = {}, int afterMs = 1000)
    {
        now += afterMs;
        QTest::mouseClick(control(place, part), Qt::LeftButton, keys, spot(part));
    }
    // A second click as the toolkit delivers it: the press comes as a double click.
    void doubleClick(int place, int afterMs)
    {
        click(place);
        now += afterMs;
        QTest::mouseDClick(control(place, Part::thumbnail), Qt::LeftButton);
        QTest::mouseRelease(control(place, Part::thumbnail), Qt::LeftButton);
    }
    void rightClick(int place, Part part) { QTest::mouseClick(control(place, part), Qt::RightButton, {}, spot(part)); }
    void drag(int from, Part part, QWidget* onto, QPoint at, Qt::KeyboardModifiers keys = {})
    {
        now += 1000;
        QTest::mousePress(control(from, part), Qt::LeftButton, {}, spot(part));
        QTest::mouseEvent(QTest::MouseMove, onto, Qt::NoButton, keys, at);
        const QCursor* shown = QApplication::overrideCursor();
        cursorSeen = shown ? shown->pixmap().toImage() : QImage();
        QTest::mouseRelease(onto, Qt::LeftButton, keys, at);
    }
    void dragOnto(int from, Part part, int onto, Part ontoPart, Qt::KeyboardModifiers keys = {})
    {
        drag(from, part, control(onto, ontoPart), spot(ontoPart), keys);
    }
    void dragToBackground(int from, Qt::KeyboardModifiers keys = {})
    {
        drag(from, Part::thumbnail, main.ScrollBox1, background(), keys);
    }
    void ctrlKeypad(Qt::Key key) { QTest::keyClick(main.btnOpen, key, Qt::ControlModifier | Qt::KeypadModifier); }
};

struct EditStep {
    const char* what;
    std::function<void(IndexHand&)> act;
    std::vector<int> order;    // the pictures by place afterwards
    std::vector<int> selected; // the selected places afterwards
};

struct EditCase {
    int pictures;
    std::vector<EditStep> steps;
};

std::vector<int> upTo(int pictures)
{
    std::vector<int> order(static_cast<size_t>(pictures));
    std::iota(order.begin(), order.end(), 1);
    return order;
}

TEST_F(MainWindowTest, EditingTheIndexWithMouseAndKeys)
{
    constexpr auto ctrl = Qt::ControlModifier;
    std::vector<std::vector<uint8_t>> bytes(1);
    for (int i = 1; i <= 98; ++i)
        bytes.push_back(test::fileBytes(dvfWithTimeCode(files.file("p" + std::to_string(i) + ".dvf"), pictureTimeCode(i))));
    auto cursorOf = [](const char* name) { return dragCursor(name).pixmap().toImage(); };
    auto viewerOpened = [] {
        const bool shown = frmFullImage->isVisible();
        frmFullImage->hide();
        return shown;
    };
    auto deleteAsked = [&](const char* item) {
        dialogs->answers = {true};
        dialogs->questions.clear();
        window->findChild<QAction*>(item)->trigger();
        return dialogs->questions == std::vector<QString>{"Delete the 2 selected picture(s)?"};
    };
    auto upTo98AndThen97 = upTo(98);
    upTo98AndThen97.push_back(97);
    const EditCase cases[] = {
        {6, {{"click 2", [](IndexHand& h) { h.click(2); }, upTo(6), {2}},
             {"Ctrl-click 5 on its frame", [&](IndexHand& h) { h.click(5, Part::innerPanel, ctrl); }, upTo(6), {2, 5}},
             {"left click on a label", [](IndexHand& h) { h.click(3, Part::numberLabel); }, upTo(6), {2, 5}},
             {"drag 2 onto 4", [&](IndexHand& h) {
                  h.dragOnto(2, Part::outerPanel, 4, Part::thumbnail);
                  EXPECT_EQ(h.cursorSeen, cursorOf("CURIMG"));
              }, {1, 3, 2, 5, 4, 6}, {}},
             {"click 1, then the background", [](IndexHand& h) {
                  h.click(1);
                  QTest::mouseClick(h.main.ScrollBox1, Qt::LeftButton, {}, h.background());
              }, {1, 3, 2, 5, 4, 6}, {}}}},
        {6, {{"click 2, Ctrl-click 5", [&](IndexHand& h) { h.click(2), h.click(5, Part::thumbnail, ctrl); }, upTo(6), {2, 5}},
             {"Ctrl-drag 2 onto the time of 4", [&](IndexHand& h) {
                  h.dragOnto(2, Part::thumbnail, 4, Part::timeLabel, ctrl);
                  EXPECT_EQ(h.cursorSeen, cursorOf("CURIMGP"));
              }, {1, 2, 3, 2, 5, 4, 5, 6}, {}},
             {"Select All", [](IndexHand& h) { h.main.findChild<QAction*>("mnuAllSel")->trigger(); },
              {1, 2, 3, 2, 5, 4, 5, 6}, upTo(8)}}},
        {5, {{"drag the unselected 1 over 3", [](IndexHand& h) { h.dragOnto(1, Part::thumbnail, 3, Part::numberLabel); }, upTo(5), {1, 2, 3}},
             {"Ctrl-click 2", [&](IndexHand& h) { h.click(2, Part::outerPanel, ctrl); }, upTo(5), {1, 3}},
             {"drag 3 to the background", [](IndexHand& h) { h.dragToBackground(3); }, {2, 4, 5, 1, 3}, {}}}},
        {5, {{"click 2, Shift-click 3", [](IndexHand& h) { h.click(2), h.click(3, Part::thumbnail, Qt::ShiftModifier); }, upTo(5), {2, 3}},
             {"Delete", [&](IndexHand&) { EXPECT_TRUE(deleteAsked("mnuDelete")); }, {1, 4, 5}, {}}}},
        {5, {{"click 4", [](IndexHand& h) { h.click(4); }, upTo(5), {4}},
             {"Ctrl+keypad 6, Ctrl+keypad 0", [&](IndexHand& h) {
                  h.ctrlKeypad(Qt::Key_6);
                  h.ctrlKeypad(Qt::Key_0);
                  EXPECT_EQ(h.main.editing.cursor(), 2);
              }, upTo(5), {2, 4}},
             {"Delete from the popup menu", [&](IndexHand&) { EXPECT_TRUE(deleteAsked("pmDel")); }, {1, 3, 5}, {}}}},
        {3, {{"Ctrl+keypad 4 on place 1, then 6", [](IndexHand& h) {
                  h.ctrlKeypad(Qt::Key_4);
                  EXPECT_EQ(h.main.editing.cursor(), 3);
                  EXPECT_TRUE(h.main.slotAt(3)->highlighted());
                  h.ctrlKeypad(Qt::Key_6);
                  EXPECT_EQ(h.main.editing.cursor(), 1);
                  EXPECT_FALSE(h.main.slotAt(3)->highlighted());
                  QTest::keyClick(h.main.btnOpen, Qt::Key_6, Qt::KeypadModifier); // without Ctrl
                  EXPECT_EQ(h.main.editing.cursor(), 1);
              }, upTo(3), {}},
             {"clicks 350 ms apart", [&](IndexHand& h) {
                  h.doubleClick(2, 350);
                  EXPECT_FALSE(viewerOpened());
              }, upTo(3), {2}},
             {"clicks 250 ms apart", [&](IndexHand& h) {
                  h.doubleClick(2, 250);
                  EXPECT_TRUE(viewerOpened());
              }, upTo(3), {2}}}},
        {5, {{"click 1, Ctrl-click 2 and 3", [&](IndexHand& h) {
                  h.click(1), h.click(2, Part::thumbnail, ctrl), h.click(3, Part::thumbnail, ctrl);
              }, upTo(5), {1, 2, 3}},
             {"right click on the time of 5", [](IndexHand& h) {
                  h.rightClick(5, Part::timeLabel);
                  EXPECT_EQ(h.main.slotAt(5)->popupMenu(), h.main.PopupMenu1);
              }, upTo(5), {5}},
             {"Ctrl-click 4, right click on 4", [&](IndexHand& h) {
                  h.click(4, Part::thumbnail, ctrl), h.rightClick(4, Part::thumbnail);
              }, upTo(5), {4, 5}}}},
        {98, {{"click 97, Shift-click 98", [](IndexHand& h) {
                   h.main.scrollToEnd();
                   h.click(97), h.click(98, Part::thumbnail, Qt::ShiftModifier);
               }, upTo(98), {97, 98}},
              {"drag to the top edge, release on the tool bar", [](IndexHand& h) {
                   const int position = h.main.ScrollBar1->value();
                   QTest::mousePress(h.main.slotAt(97)->pbThumb, Qt::LeftButton);
                   QTest::mouseMove(h.main.ScrollBox1, {50, position});
                   EXPECT_EQ(h.main.ScrollBar1->value(), position - 8);
                   QTest::mouseRelease(h.main.pnlToolbar, Qt::LeftButton, {}, {200, 20});
               }, upTo(98), {97, 98}},
              {"Ctrl-drag to the background", [&](IndexHand& h) { h.dragToBackground(98, ctrl); }, upTo98AndThen97, {}},
              {"click 1, Ctrl-drag onto 3", [&](IndexHand& h) {
                   h.main.ScrollBar1->setValue(0);
                   h.click(1), h.dragOnto(1, Part::thumbnail, 3, Part::thumbnail, ctrl);
               }, upTo98AndThen97, {}}}},
    };
    for (const EditCase& c : cases) {
        windows.reset();
        window.reset();
        for (const auto& entry : fs::directory_iterator(home.path()))
            if (entry.path().extension() == ".dat" && entry.path().filename().string().rfind("lum", 0) == 0)
                fs::remove(entry.path());
        for (int i = 1; i <= c.pictures; ++i)
            test::writeBytes(home.file(sideFileName(i)), bytes[static_cast<size_t>(i)]);
        showWindow({400, 330}, false, [&](TfrmCptMain& w) { windows = std::make_unique<ImageWindows>(w); });
        IndexHand hand(*window);
        window->editing.clock = [&hand] { return hand.now; };
        for (const EditStep& step : c.steps) {
            step.act(hand);
            const std::string at = std::to_string(c.pictures) + " pictures, " + step.what;
            std::vector<std::string> expected;
            for (int picture : step.order)
                expected.push_back(timeCodeOf(picture));
            ASSERT_EQ(timeCodes(), expected) << at;
            std::vector<int> selected;
            for (int place = 1; place <= window->album.count(); ++place) {
                if (window->album.place(place).selected)
                    selected.push_back(place);
                AlbumSlot* slot = window->slotAt(place);
                EXPECT_TRUE(slot->isVisible() && slot->lblTime->text() == QString::fromStdString(expected[size_t(place - 1)])) << at;
                EXPECT_EQ(slot->highlighted(), window->album.place(place).highlighted) << at;
                EXPECT_EQ(test::fileBytes(home.file(sideFileName(place))), bytes[size_t(step.order[size_t(place - 1)])]) << at << ", place " << place;
            }
            EXPECT_EQ(selected, step.selected) << at;
            EXPECT_FALSE(fileExists(home.file(sideFileName(window->album.count() + 1)))) << at;
            for (const auto& entry : fs::directory_iterator(home.path()))
                EXPECT_NE(entry.path().filename().string().rfind("temp", 0), 0u) << at << ": " << entry.path();
            EXPECT_EQ(QApplication::overrideCursor(), nullptr) << at;
            EXPECT_TRUE(dialogs->warned.empty()) << at; // copies stop at 99 without a word
        }
    }
    windows.reset();
}

TEST(OpenDialog, FilterBecomesNameFilters)
{
    EXPECT_EQ(nameFiltersOf("Album Files (*.zal)|*.zal|JPEG Files (*.jpg)|*.jpg|All|*.dvf;*.zal"),
              (QStringList{"Album Files (*.zal)", "JPEG Files (*.jpg)", "All (*.dvf *.zal)"}));
}

TEST(WindowPosition, StoredPositionFollowsTheWorkArea)
{
    const QRect screen(0, 0, 1000, 800);
    const QRect work(0, 30, 1000, 740);
    const QRect byDefault(250, 200, 500, 400);
    struct Case {
        StoredPosition stored;
        QRect expected;
    };
    const Case cases[] = {
        {{100, 50, 300, 200}, QRect(50, 100, 300, 200)},
        {{std::nullopt, 50, 300, 200}, byDefault},
        {{100, 50, -1, 200}, byDefault},
        {{900, 50, 300, 200}, byDefault},  // top below the work area
        {{100, 1200, 300, 200}, byDefault}, // left right of it
        {{0, -20, 300, 200}, QRect(0, 30, 300, 200)}, // raised and moved onto it
    };
    for (const Case& c : cases)
        EXPECT_EQ(restoredGeometry(c.stored, true, {640, 480}, screen, work), c.expected)
            << c.stored.top.value_or(-1) << "," << c.stored.left.value_or(-1);
}

TEST_F(MainWindowTest, TitleWindowSplashThenAbout)
{
    EXPECT_EQ(TfrmTitle::revisionText(54), "Rev.54");
    EXPECT_EQ(TfrmTitle::revisionText(200), "Rev.-56");
    DvcRelease();
    TfrmTitle title;
    EXPECT_FALSE(fileExists(home.file("splash.bmp")));
    EXPECT_EQ(title.Image1->size(), QSize(430, 210));
    title.Timer2->setInterval(300);
    QTimer::singleShot(100, [&] { QTest::mouseClick(title.btnOk, Qt::LeftButton); }); // ignored
    title.exec();
    EXPECT_TRUE(DvcLoaded());
    EXPECT_FALSE(title.Timer2->isActive());

    title.show(); // now the About box
    EXPECT_EQ(title.height(), 210 + title.btnOk->height() + 26);
    EXPECT_TRUE(title.btnOk->isVisible());
    QTest::keyClick(title.btnOk, Qt::Key_Escape);
    EXPECT_FALSE(title.isVisible());
}

// A title picture that does not read is told; the splash still loads the codec.
TEST_F(MainWindowTest, UnreadableTitlePictureIsToldAndTheCodecStillLoads)
{
    for (const char* name : {"wyb_e.dat", "wyb_j.dat"})
        test::writeBytes(home.file(name), {'n', 'o', 't', 'B', 'M'});
    DvcRelease();
    ScriptedDialogs messages;
    TfrmTitle title(nullptr, &messages);
    EXPECT_EQ(messages.warned, std::vector<std::string>{"MSG_NOTITLE"});
    title.Timer2->setInterval(300);
    title.exec();
    EXPECT_TRUE(DvcLoaded());
}

TEST_F(MainWindowTest, HelpContentsAndKeywords)
{
    TfrmCptMain& main = showWindow();
    main.findChild<QAction*>("mnuCont")->trigger();
    TfrmHelp* help = main.helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_GE(help->index().topics.size(), 10u);
    EXPECT_GT(help->index().keywords.size(), help->index().topics.size());
    main.findChild<QAction*>("mnuKeyword")->trigger();
    QTest::keyClicks(help->edKeyword, "cut");
    ASSERT_NE(help->lbKeywords->currentItem(), nullptr);
    EXPECT_TRUE(help->lbKeywords->currentItem()->text().startsWith("cut", Qt::CaseInsensitive));
    help->close();
}

} // namespace

namespace {

// Writes a picture into VANTREL_SCREENS when that names a folder.
void keepPicture(const QImage& picture, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const bool japanese = languageTable().isJapanese();
        picture.save(QString::fromStdString(std::string(folder) + "/" + name + (japanese ? "-ja" : "-en") + ".png"));
    }
}

} // namespace

TEST_F(MainWindowTest, RendersADozenThumbnails)
{
    TfrmCptMain& main = showWindow({560, 420});
    QStringList pictures;
    for (uint8_t i = 0; i < 12; ++i)
        pictures << QString::fromStdString(dvfWithTimeCode(files.file("p" + std::to_string(i) + ".dvf"), {0, 0x12, 0x34, uint8_t((i / 10) << 4 | i % 10)}));
    main.openFiles(pictures);
    main.ScrollBar1->setValue(0);
    const QImage screen = main.grab().toImage();
    keepPicture(screen, "main-window");
    // The thumbnail is drawn inside its slot, the slot stands on the index's colour.
    const QPoint thumb = main.slotAt(1)->pbThumb->mapTo(&main, QPoint(40, 30)) * screen.devicePixelRatio();
    EXPECT_NE(screen.pixelColor(thumb), main.slotAt(1)->palette().color(QPalette::Window));
    EXPECT_EQ(screen.pixelColor(main.ScrollBox1->mapTo(&main, QPoint(2, 2)) * screen.devicePixelRatio()),
              QColor(32, 164, 191));
    TfrmTitle title;
    title.Timer2->setInterval(1);
    title.exec();
    title.show();
    keepPicture(title.grab().toImage(), "about");
    main.findChild<QAction*>("mnuCont")->trigger();
    keepPicture(main.helpWindow()->grab().toImage(), "help");
    main.helpWindow()->close();
}

// At 414 pixels the index takes 4 columns while their rows fit, and keeps the bar's width
// free (3 columns) only while the bar shows; another layout keeps the count.
TEST_F(MainWindowTest, RendersFourColumnsAt414UntilTheScrollBarShows)
{
    TfrmCptMain& main = showWindow({414, 330});
    ASSERT_EQ(main.clientWidth(), 414);
    const int aboveIndex = main.height() - main.centralWidget()->height() + 41;
    // pictures, height below the tool bar, columns: 8 in four columns need 211, 12 need 314
    for (auto [pictures, available, columns] : {std::tuple{8, 212, 4}, {8, 211, 3}, {12, 315, 4}, {12, 314, 3}}) {
        while (main.album.count() < pictures)
            main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("p.dvf"), {0, 0, 0, 0}))});
        main.resize(414, available + aboveIndex);
        main.layoutIndex();
        EXPECT_EQ(main.columnCount(), columns) << pictures << " in " << available;
        EXPECT_EQ(main.ScrollBar1->isVisible(), columns == 3) << pictures << " in " << available;
        if (pictures == 8 && columns == 4)
            keepPicture(main.grab().toImage(), "main-window-414");
    }
}

// The hint of the empty index: there at first, gone with the first picture, back when
// Delete took every picture; read out by its name.
TEST_F(MainWindowTest, EmptyAlbumSaysWhatToDo)
{
    TfrmCptMain& main = showWindow({560, 420});
    QLabel& hint = *main.lblEmptyHint;
    const auto shownInTheMiddle = [&] {
        const QRect index(QPoint(0, 0), main.ScrollBox1->size());
        return hint.isVisible() && std::abs(hint.geometry().center().x() - index.center().x()) <= 1 &&
               std::abs(hint.geometry().center().y() - index.center().y()) <= 1 &&
               index.contains(hint.geometry());
    };
    EXPECT_TRUE(shownInTheMiddle());
    EXPECT_FALSE(hint.text().isEmpty());
    EXPECT_EQ(hint.text(), textForKey("TX_EMPTY_ALBUM"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&hint);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->text(QAccessible::Name), hint.text());
    const QImage empty = main.grab().toImage();
    keepPicture(empty, "empty-album");
    EXPECT_TRUE(std::any_of(empty.bits(), empty.bits() + empty.sizeInBytes(), [](uchar byte) { return byte == 0xFF; }))
        << "white text on the index colour";

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dvfWithTimeCode(files.file("p.dvf"), {0, 0, 1, 0})))});
    const QPoint at = main.ScrollBox1->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    ASSERT_EQ(main.album.count(), 1);
    EXPECT_FALSE(hint.isVisible());

    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    dialogs->answers = {true}; // delete? yes
    QTest::keyClick(main.windowHandle(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(main.windowHandle(), Qt::Key_Delete);
    ASSERT_EQ(main.album.count(), 0);
    EXPECT_TRUE(shownInTheMiddle()) << "back after Delete of every picture";
}

// At a device pixel ratio of 2 (QT_SCALE_FACTOR=2, see test_album_ui_hidpi) the thumbnail
// has twice the pixels each way and the window shows every one of them; the layout is the
// one of ratio 1. At ratio 1 the same checks hold with the plain thumbnail.
TEST_F(MainWindowTest, ThumbnailsAtTheScreensPixelRatio)
{
    TfrmCptMain& main = showWindow({560, 420});
    const int ratio = qRound(main.devicePixelRatioF());
    main.openFiles({QString::fromStdString(dvfWithTimeCode(files.file("p.dvf"), {0, 0x12, 0x34, 0x05}))});
    ASSERT_EQ(main.album.count(), 1);
    const QImage thumbnail = main.album.place(1).thumbnail.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(thumbnail.size(), QSize(80, 60) * ratio);
    EXPECT_EQ(main.slotAt(1)->geometry(), QRect(5, 5, 100, 100)) << "the layout does not scale";

    const QImage grab = main.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(grab.size(), main.size() * ratio);
    const QPoint corner = main.slotAt(1)->pbThumb->mapTo(&main, QPoint(0, 0)) * ratio;
    const QImage shown = grab.copy(QRect(corner, thumbnail.size()));
    EXPECT_EQ(shown, thumbnail) << "every pixel of the thumbnail on the screen, none stretched";
    keepPicture(grab, "thumbnail-ratio-" + std::to_string(ratio));
    if (ratio != 2)
        return;
    // The window drawn at ratio 1 holds only a quarter of those pixels: doubled back, each
    // pixel pair of a row is one pixel twice, where the grab at 2 has a picture of its own.
    QPixmap atOne(main.size());
    atOne.setDevicePixelRatio(1);
    main.render(&atOne);
    const QImage plain = atOne.toImage().convertToFormat(QImage::Format_RGB32);
    keepPicture(plain, "thumbnail-ratio-1-render");
    const QImage doubled = plain.copy(QRect(corner / 2, QSize(80, 60))).scaled(thumbnail.size());
    const auto pairsApart = [](const QImage& image) {
        int apart = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x + 1 < image.width(); x += 2)
                apart += image.pixel(x, y) != image.pixel(x + 1, y);
        return apart * 2.0 / (image.width() * image.height());
    };
    EXPECT_GT(pairsApart(shown), 0.3);
    EXPECT_EQ(pairsApart(doubled), 0.0);
}

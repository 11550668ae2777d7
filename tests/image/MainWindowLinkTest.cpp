// The image windows beside the real main window: how it opens them and what it shares.
#include "Frames.h"

#include "album/AlbumSlot.h"
#include "album/Cptmain.h"
#include "album/ImageWindowsLink.h"
#include "album/MainDialogs.h"
#include "control/Wait.h"
#include "image/FullImage.h"
#include "image/ImageType.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace vantrel;

namespace {

struct SilentDialogs : MainDialogs {
    bool askYesNo(const QString&, const QString&) override { return false; }
    void warn(std::string_view key, const QString&, const QString&) override { ADD_FAILURE() << key; }
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return {}; }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return {}; }
};

struct MainWindowRig {
    explicit MainWindowRig(const std::string& ini)
    {
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(std::string(VANTREL_RESOURCE_DIR) + "/" + name, folder.file(name));
        std::ofstream(folder.file("wyb30.ini")) << ini;
        DvcLoad();
        window = std::make_unique<TfrmCptMain>();
        window->setDialogs(std::make_unique<SilentDialogs>());
        window->setWaitDialog(&wait);
        windows = std::make_unique<ImageWindows>(*window);
    }
    ~MainWindowRig()
    {
        windows.reset();
        window.reset();
    }

    test::TempProgramFolder folder;
    TfrmWait wait;
    std::unique_ptr<TfrmCptMain> window;
    std::unique_ptr<ImageWindows> windows;
};

} // namespace

TEST(MainWindowLink, EncodeFormatReplacesEncFormatOnceTheMainWindowIsShown)
{
    MainWindowRig rig("[Setup]\nEncFormat=1\nEncodeFormat=0\nJpegQ=40\n");
    EXPECT_EQ(&frmImageType->active, &rig.window->imageSettings) << "one active record";
    EXPECT_EQ(frmImageType->active.EncFormat, 1) << "read by the settings window at creation";
    rig.window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.window->firstShowDone(); }));
    EXPECT_EQ(frmImageType->active.EncFormat, 0);
    EXPECT_EQ(frmImageType->active.JpegQ, 40);
}

TEST(MainWindowLink, MainWindowOpensTheViewerAndTheSettingsPages)
{
    MainWindowRig rig("");
    TfrmCptMain& main = *rig.window;
    main.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.firstShowDone(); }));
    EXPECT_FALSE(frmImageType->btnPreview->isEnabled());
    main.openViewer();
    EXPECT_FALSE(frmFullImage->isVisible()) << "an empty album opens nothing";

    QStringList pictures;
    for (const char* name : {"a.dvf", "b.dvf", "c.dvf"}) {
        ASSERT_TRUE(test::writeTestDvf(rig.folder.file(name), dvSystem525, false));
        pictures << QString::fromStdString(rig.folder.file(name));
    }
    main.openFiles(pictures);
    ASSERT_EQ(main.album.count(), 3);
    EXPECT_TRUE(frmImageType->btnPreview->isEnabled());

    const struct { const char* way; int selected; std::function<void()> open; int place; } openers[] = {
        {"Image Viewer item", 0, [&] { main.findChild<QAction*>("mnuFull")->trigger(); }, 1},
        {"tool bar button", 3, [&] { QTest::mouseClick(main.pnlToolbar->btnEDS, Qt::LeftButton); }, 3},
        {"popup item", 2, [&] { main.findChild<QAction*>("pmFullImg")->trigger(); }, 2},
    };
    // Two clicks on a thumbnail 250 ms apart open the viewer there; 350 ms apart they do not.
    for (const auto& [gapMs, opens] : {std::pair{350, false}, std::pair{250, true}}) {
        frmFullImage->hide();
        QTest::mouseClick(main.slotAt(2)->pbThumb, Qt::LeftButton);
        QTest::qWait(gapMs);
        QTest::mouseClick(main.slotAt(2)->pbThumb, Qt::LeftButton);
        EXPECT_EQ(frmFullImage->isVisible(), opens) << gapMs << " ms";
        EXPECT_EQ(main.album.selectedCount(), 1);
        QTest::qWait(400);
    }
    EXPECT_EQ(frmFullImage->currentPlace(), 2);
    main.album.setSelected(2, false);
    for (const auto& o : openers) {
        frmFullImage->hide();
        if (o.selected)
            main.album.setSelected(o.selected, true);
        o.open();
        EXPECT_TRUE(frmFullImage->isVisible()) << o.way;
        EXPECT_EQ(frmFullImage->currentPlace(), o.place) << o.way;
        if (o.selected)
            main.album.setSelected(o.selected, false);
    }

    const struct { const char* item; const char* page; } pages[] = {
        {"mnuSet1", "Sheet1"}, {"mnuSetOpen", "Sheet5"}, {"mnuBackColor", "Sheet4"}};
    for (const auto& p : pages) {
        main.findChild<QAction*>(p.item)->trigger();
        EXPECT_TRUE(frmImageType->isVisible()) << p.item;
        EXPECT_EQ(frmImageType->PC->currentWidget()->objectName(), p.page) << p.item;
    }
    frmFullImage->findChild<QAction*>("mnuSet3")->trigger();
    EXPECT_EQ(frmImageType->PC->currentWidget()->objectName(), "Sheet3");

    // Delete never reaches the album while the settings window is active.
    QAction* del = main.findChild<QAction*>("mnuDelete");
    frmImageType->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmImageType));
    EXPECT_TRUE(del->shortcut().isEmpty());
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    EXPECT_EQ(del->shortcut(), QKeySequence(QKeySequence::Delete));
}

#include "album/Cptmain.h"
#include "control/Wait.h"
#include "support/TempFolder.h"

#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const std::string resources = VANTREL_RESOURCE_DIR;

// A program folder holding the shipped language files.
struct ShippedProgramFolder : test::TempProgramFolder {
    ShippedProgramFolder()
    {
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(resources + "/" + name, file(name));
    }
};

bool systemIsJapanese()
{
    return QLocale::system().language() == QLocale::Japanese;
}

QString expected(const char* english, const char* japanese)
{
    return systemIsJapanese() ? QString::fromUtf8(japanese) : QString::fromUtf8(english);
}

QString menuTitle(const QWidget& window, const char* name)
{
    const QMenu* menu = window.findChild<QMenu*>(name);
    return menu ? menu->title() : "missing";
}

// Writes the window's picture into VANTREL_SCREENS when that names a folder.
void keepPicture(const QImage& picture, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const std::string language = systemIsJapanese() ? "ja" : "en";
        picture.save(QString::fromStdString(std::string(folder) + "/" + name + "-" + language + ".png"));
    }
}

// True when some pixel inside `area` differs clearly from its top-left pixel: text was drawn.
bool hasInk(const QImage& picture, const QRect& area)
{
    const QColor background = picture.pixelColor(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::abs(picture.pixelColor(x, y).lightness() - background.lightness()) > 80)
                return true;
    return false;
}

} // namespace

TEST(MainWindowShell, LoadsTheLanguageAndLocalisesItself)
{
    // The Japanese run of this program must really see a Japanese system.
    if (std::getenv("VANTREL_EXPECT_JAPANESE")) {
        ASSERT_TRUE(systemIsJapanese());
    }
    ShippedProgramFolder folder;
    {
        TfrmCptMain window;
        EXPECT_EQ(&languageTable(), &window.language);
        EXPECT_EQ(window.language.languageCode, systemIsJapanese() ? 17 : 9);
        EXPECT_EQ(window.title, "Vantrel");
        EXPECT_EQ(window.windowTitle(), "Vantrel");
        EXPECT_EQ(menuTitle(window, "mnuFile"), expected("&File", "ファイル(&F)"));
        EXPECT_EQ(menuTitle(window, "mnuHelp"), expected("&Help", "ヘルプ(&H)"));
        const QAction* del = window.findChild<QAction*>("pmDel");
        ASSERT_NE(del, nullptr);
        EXPECT_EQ(del->text(), expected("Delete", "削除"));
        // Other windows created now find the loaded table.
        TfrmWait dialog;
        EXPECT_EQ(dialog.windowTitle(), expected("Processing", "処理中"));
        EXPECT_EQ(dialog.btnAbort->text(), expected("Stop", "中止"));
        EXPECT_EQ(textForKey("MSG_FSTRANS"),
                  expected("Transferring the picture...", "画像を転送しています..."));
    }
    EXPECT_EQ(textForKey("TI_MAIN"), "");
}

TEST(MainWindowShell, WithoutLanguageFilesKeepsBuiltInTexts)
{
    test::TempProgramFolder folder;
    // Empty ones in the program folder, which is looked in before the executable's.
    for (const char* name : {"wyb.cpt", "wyb.sty"})
        std::ofstream(folder.file(name)).close();
    TfrmCptMain window;
    EXPECT_EQ(window.title, "");
    EXPECT_EQ(menuTitle(window, "mnuFile"), "&File");
    TfrmWait dialog;
    EXPECT_EQ(dialog.windowTitle(), "");
    EXPECT_EQ(dialog.lblWait->text(), "Please wait...");
}

TEST(Screens, MainWindowAndWaitDialogRenderTheirTexts)
{
    ShippedProgramFolder folder;
    TfrmCptMain window;
    window.show();
    const QImage main = window.grab().toImage();
    ASSERT_FALSE(main.isNull());
    keepPicture(main, "main-window");
    EXPECT_TRUE(hasInk(main, window.menuBar()->geometry()));
    QMenu* file = window.findChild<QMenu*>("mnuFile");
    file->adjustSize();
    const QImage menu = file->grab().toImage();
    keepPicture(menu, "file-menu");
    EXPECT_TRUE(hasInk(menu, menu.rect().adjusted(4, 4, -4, -4)));

    TfrmWait dialog;
    dialog.showWithTitle(textForKey("MSG_FSTRANS"), true, true);
    dialog.setProgress(60);
    const QImage wait = dialog.grab().toImage();
    ASSERT_EQ(wait.size(), QSize(252, 96) * wait.devicePixelRatio());
    keepPicture(wait, "wait-dialog");
    EXPECT_TRUE(hasInk(wait, dialog.lblWait->geometry()));
    EXPECT_TRUE(hasInk(wait, dialog.btnAbort->geometry().adjusted(4, 4, -4, -4)));
    // The gauge's bar is blue up to the progress.
    const QRect gauge = dialog.Gauge1->geometry().translated(dialog.Panel1->pos());
    EXPECT_EQ(wait.pixelColor(gauge.left() + gauge.width() / 4, gauge.center().y()), QColor(0, 0, 255));
    dialog.closeIfVisible();
}

// The image settings window on the real window: its show, OK, Cancel, colours and preview.
#include "ImageWindowsRig.h"

#include "i18n/RadioGroup.h"
#include "image/ViewerPaintBox.h"
#include "platform/Profile.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace vantrel;
using vantrel::test::ImageWindowsRig;

namespace {

void keepPicture(QWidget& window, const std::string& name)
{
    if (const char* folder = std::getenv("VANTREL_SCREENS")) {
        const std::string language = languageTable().isJapanese() ? "ja" : "en";
        window.grab().save(QString::fromStdString(std::string(folder) + "/" + name + "-" + language + ".png"));
    }
}

void clickItem(RadioGroup* group, int index)
{
    // On the indicator: a short caption leaves the button's middle outside its click area.
    QRadioButton* item = group->findChildren<QRadioButton*>().at(index);
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(8, item->height() / 2));
}

// The keys of section Setup in the order the file holds them.
std::vector<std::string> setupKeys(const std::string& ini)
{
    std::vector<std::string> keys;
    const size_t start = ini.find("[Setup]");
    size_t at = ini.find('\n', start) + 1;
    while (at < ini.size() && ini[at] != '[') {
        const size_t end = ini.find('\n', at);
        const std::string line = ini.substr(at, end - at);
        if (line.find('=') != std::string::npos)
            keys.push_back(line.substr(0, line.find('=')));
        at = end == std::string::npos ? ini.size() : end + 1;
    }
    return keys;
}

} // namespace

TEST(ImageSettingsWindow, WithoutSetupTheControlsShowTheDefaults)
{
    ImageWindowsRig rig("[INIT]\nCOM=1\n");
    TfrmImageType& window = *rig.settings;
    window.showOnPage(TfrmImageType::SaveImagePage);
    EXPECT_EQ(window.PC->currentWidget(), window.Sheet1);
    EXPECT_EQ(window.rgFmt->itemIndex(), 0);
    EXPECT_EQ(window.tb1->value(), 75);
    EXPECT_EQ(window.lblQ->text(), "75");
    EXPECT_EQ(window.rgSize->itemIndex(), 1);
    EXPECT_EQ(window.rgColor->itemIndex(), 0);
    EXPECT_EQ(window.rgEncFormat->itemIndex(), 0);
    EXPECT_EQ(window.rgRevImage->itemIndex(), 1);
    EXPECT_EQ(window.rgSSC->itemIndex(), 1);
    EXPECT_EQ(window.seIntv->value(), 0);
    EXPECT_TRUE(window.cbMin->isChecked());
    EXPECT_FALSE(window.seIntv->isEnabled());
    EXPECT_TRUE(window.rbSqz->isChecked());
    EXPECT_TRUE(window.rbBlk->isChecked());
    EXPECT_FALSE(window.btnPreview->isEnabled()) << "no picture in the album";
    EXPECT_EQ(window.windowTitle(), textForKey("TI_PREFER"));
}

TEST(ImageSettingsWindow, FormatEnablesItsControls)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, false);
    TfrmImageType& window = *rig.settings;
    window.showOnPage(TfrmImageType::SaveImagePage);
    const struct { int format; bool quality; bool colours; bool sizeAndPreview; } cases[] = {
        {1, false, true, true}, {2, false, false, false}, {3, false, false, true}, {0, true, false, true}};
    for (const auto& c : cases) {
        clickItem(window.rgFmt, c.format);
        EXPECT_EQ(window.edited.Format, c.format);
        EXPECT_EQ(window.gbJpegQ->isEnabled(), c.quality) << c.format;
        EXPECT_EQ(window.tb1->isVisible(), c.quality) << c.format;
        EXPECT_EQ(window.rgColor->isEnabled(), c.colours) << c.format;
        EXPECT_EQ(window.rgSize->isEnabled(), c.sizeAndPreview) << c.format;
        EXPECT_EQ(window.rgRevImage->isEnabled(), c.sizeAndPreview) << c.format;
        EXPECT_EQ(window.btnPreview->isEnabled(), c.sizeAndPreview) << c.format;
    }
}

TEST(ImageSettingsWindow, OkWritesElevenKeysInOrderAndKeepsTheFrameKeys)
{
    ImageWindowsRig rig("[Setup]\nFrmNum=9\nFrmInt=3\n");
    TfrmImageType& window = *rig.settings;
    window.showOnPage(TfrmImageType::SaveImagePage);
    clickItem(window.rgFmt, 1);
    clickItem(window.rgColor, 2);
    clickItem(window.rgSize, 3);
    window.PC->setCurrentWidget(window.Sheet3);
    QTest::mouseClick(window.cbMin, Qt::LeftButton);
    window.seIntv->setValue(7);
    QTest::keyClick(window.seIntv, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.active.Format, 1);
    EXPECT_EQ(window.active.BmpColor, 4);
    EXPECT_EQ(window.active.ImgSize, 3);
    EXPECT_EQ(window.active.IntervalMin, 0);
    EXPECT_EQ(window.active.IntervalTime, 7);
    EXPECT_EQ(setupKeys(rig.iniText()),
              (std::vector<std::string>{"FrmNum", "FrmInt", "Format", "JpegQ", "BmpColor", "ImgSize", "EncFormat",
                                        "IntervalTime", "IntervalMin", "Revision", "ViewRev", "fSqeeze", "fMskBlk"}));
    const ImageSettings read = loadImageSettings(CProfile());
    EXPECT_EQ(read.FrmNum, 9);
    EXPECT_EQ(read.FrmInt, 3);
    EXPECT_EQ(read.BmpColor, 4);
    EXPECT_EQ(read.IntervalTime, 7);
}

TEST(ImageSettingsWindow, CancelAndEscapeLeaveTheActiveSettings)
{
    ImageWindowsRig rig;
    TfrmImageType& window = *rig.settings;
    const struct { const char* way; std::function<void()> close; } cases[] = {
        {"Cancel", [&] { QTest::mouseClick(window.btnCancel, Qt::LeftButton); }},
        {"Escape on the window", [&] { QTest::keyClick(&window, Qt::Key_Escape); }},
        {"Escape in seIntv", [&] { QTest::keyClick(window.seIntv, Qt::Key_Escape); }},
        {"Escape on tb1", [&] { QTest::keyClick(window.tb1, Qt::Key_Escape); }},
        {"Escape on lbColor1", [&] { QTest::keyClick(window.lbColor1, Qt::Key_Escape); }},
        {"close box", [&] { window.close(); }},
    };
    for (const auto& c : cases) {
        window.showOnPage(TfrmImageType::SaveImagePage);
        clickItem(window.rgFmt, 2);
        c.close();
        EXPECT_FALSE(window.isVisible()) << c.way;
        EXPECT_EQ(window.active.Format, 0) << c.way;
        window.showOnPage(TfrmImageType::SaveImagePage);
        EXPECT_EQ(window.rgFmt->itemIndex(), 0) << c.way << ": the next show starts from the active settings";
        window.hide();
    }
    EXPECT_FALSE(std::filesystem::exists(rig.file("wyb30.ini")));
}

TEST(ImageSettingsWindow, BackColourListAndTheColourDialog)
{
    ImageWindowsRig rig;
    rig.host.colour = 0x00336699;
    TfrmImageType& window = *rig.settings;
    QColor answer;
    QColor offered;
    window.colourDialog = [&](const QColor& initial) {
        offered = initial;
        return answer;
    };
    window.showOnPage(TfrmImageType::BackColorPage);
    EXPECT_EQ(window.PC->currentWidget(), window.Sheet4);
    window.lbColor1->setCurrentRow(2); // Defined, then cancelled
    EXPECT_EQ(offered, QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(window.pnlColor1->palette().color(QPalette::Window), QColor(0x99, 0x66, 0x33));
    window.lbColor1->setCurrentRow(3);
    EXPECT_EQ(window.pnlColor1->palette().color(QPalette::Window), QColor(0x20, 0xA4, 0xBF));
    answer = QColor(10, 20, 30);
    window.lbColor1->setCurrentRow(2);
    QTest::mouseClick(window.btnOk, Qt::LeftButton);
    EXPECT_EQ(rig.host.colour, 0x001E140Au);
    EXPECT_EQ(rig.viewer->ScrollBox1->viewport()->palette().color(QPalette::Window), QColor(10, 20, 30));
}

TEST(ImageSettingsWindow, ChangingTheSlideShowCorrectionRedrawsBeforeClosing)
{
    ImageWindowsRig rig("[Setup]\nViewRev=0\n");
    rig.addPicture(dvSystem525, false);
    ASSERT_TRUE(rig.viewer->openAt(1));
    const QImage before = rig.viewer->PaintBox1->picture();
    TfrmImageType& window = *rig.settings;
    QImage atClose;
    struct HideWatch : QObject {
        std::function<void()> seen;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Hide)
                seen();
            return false;
        }
    } watch;
    watch.seen = [&] { atClose = rig.viewer->PaintBox1->picture(); };
    window.installEventFilter(&watch);
    window.showOnPage(TfrmImageType::SlideShowPage);
    clickItem(window.rgSSC, 2);
    QTest::mouseClick(window.btnOk, Qt::LeftButton);
    EXPECT_EQ(window.active.ViewRev, 2);
    ASSERT_FALSE(atClose.isNull());
    EXPECT_NE(atClose, before) << "the field correction was shown while the window was still up";
}

TEST(ImageSettingsWindow, PreviewShowsTheEditedSaveSettingsInTheViewer)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, false);
    rig.addPicture(dvSystem525, true);
    rig.host.pictures.selected = 2;
    TfrmImageType& window = *rig.settings;
    window.showOnPage(TfrmImageType::SaveImagePage);
    const struct { int format; int size; QSize shown; } cases[] = {{0, 3, {212, 120}}, {1, 2, {424, 240}}};
    for (const auto& c : cases) {
        clickItem(window.rgFmt, c.format);
        clickItem(window.rgSize, c.size);
        QTest::mouseClick(window.btnPreview, Qt::LeftButton);
        EXPECT_TRUE(window.btnPreview->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig.viewer->PaintBox1->size() == c.shown; }, 3000));
        EXPECT_TRUE(rig.viewer->isVisible());
        EXPECT_EQ(rig.viewer->currentPlace(), 2) << "the first selected place";
        EXPECT_EQ(rig.viewer->PaintBox1->picture().size(), c.shown);
        EXPECT_FALSE(std::filesystem::exists(rig.file("preview.bmp")));
        EXPECT_FALSE(std::filesystem::exists(rig.file("preview.jpg")));
    }
    EXPECT_EQ(window.active.ImgSize, 1) << "the active settings stay";
    ASSERT_TRUE(rig.viewer->showImage(2));
    EXPECT_EQ(rig.viewer->PaintBox1->size(), QSize(1024, 576)) << "the next picture lays out again";
}

TEST(ImageSettingsWindow, DeleteShortcutFollowsActivation)
{
    ImageWindowsRig rig;
    rig.settings->showOnPage(TfrmImageType::SaveImagePage);
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.settings.get()));
    ASSERT_FALSE(rig.host.deleteShortcut.empty());
    EXPECT_FALSE(rig.host.deleteShortcut.back());
    rig.viewer->show();
    rig.viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rig.viewer.get()));
    EXPECT_TRUE(rig.host.deleteShortcut.back());
}

TEST(ImageWindows, EveryControlHasAnAccessibleName)
{
    ImageWindowsRig rig;
    for (QWidget* window : {static_cast<QWidget*>(rig.viewer.get()), static_cast<QWidget*>(rig.settings.get()),
                            static_cast<QWidget*>(rig.buttonBar.get())}) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const bool used = qobject_cast<QAbstractButton*>(control) || qobject_cast<QGroupBox*>(control) ||
                              qobject_cast<QSlider*>(control) || qobject_cast<QSpinBox*>(control) ||
                              qobject_cast<QListWidget*>(control) || qobject_cast<QTabWidget*>(control) ||
                              control->objectName() == "PaintBox1" || control->objectName() == "pnlColor1";
            if (used && !control->objectName().isEmpty() && !control->objectName().startsWith("qt_")) {
                EXPECT_FALSE(control->accessibleName().isEmpty())
                    << window->objectName().toStdString() << "." << control->objectName().toStdString();
            }
        }
    }
}

TEST(Screens, SettingsWindowOnEveryPage)
{
    ImageWindowsRig rig;
    rig.addPicture(dvSystem525, false);
    const struct { int tag; const char* name; } pages[] = {
        {TfrmImageType::SaveImagePage, "settings-save"}, {TfrmImageType::SlideShowPage, "settings-slideshow"},
        {TfrmImageType::BackColorPage, "settings-backcolor"}, {TfrmImageType::OpenImagePage, "settings-open"}};
    for (const auto& page : pages) {
        rig.settings->showOnPage(page.tag);
        keepPicture(*rig.settings, page.name);
        EXPECT_EQ(rig.settings->PC->currentWidget()->objectName(), QString("Sheet%1").arg(page.tag));
    }
}

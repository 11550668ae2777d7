#include "i18n/LanguageTable.h"
#include "i18n/Localiser.h"
#include "i18n/RadioGroup.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLinkButton>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

const std::string styleFile = "None\t$$\t$$\t$$\r\n"
                              "Big\tLiberation Serif\t14\ttrue\r\n";

LanguageTable tableFrom(const std::string& strings, int16_t language = Language::English)
{
    test::TempFolder folder;
    std::ofstream(folder.file("wyb.cpt"), std::ios::binary) << strings;
    std::ofstream(folder.file("wyb.sty"), std::ios::binary) << styleFile;
    LanguageTable table;
    table.languageCode = language;
    EXPECT_TRUE(table.loadStyles(folder.file("wyb.sty")));
    EXPECT_TRUE(table.loadStrings(folder.file("wyb.cpt")));
    return table;
}

template <typename T> T* make(QWidget* parent, const char* name)
{
    auto* control = new T(parent);
    control->setObjectName(name);
    return control;
}

// A window with one control of every kind, each with a built-in text "old".
struct TestWindow {
    QWidget window;
    QMenuBar* menuBar = make<QMenuBar>(&window, "MainMenu1");
    QMenu* menu = make<QMenu>(menuBar, "mnuFile");
    QAction* action = new QAction("old", menu);
    QPushButton* button = make<QPushButton>(&window, "btnOk");
    QToolButton* toolButton = make<QToolButton>(&window, "btnOpen");
    QLabel* label = make<QLabel>(&window, "lblWait");
    QRadioButton* radioButton = make<QRadioButton>(&window, "rbSqz");
    RadioGroup* radioGroup = make<RadioGroup>(&window, "rgFmt");
    QGroupBox* groupBox = make<QGroupBox>(&window, "gbWide");
    QCheckBox* checkBox = make<QCheckBox>(&window, "cbMin");
    QTabWidget* pages = make<QTabWidget>(&window, "PC");
    QWidget* page = new QWidget;
    QListWidget* listBox = make<QListWidget>(&window, "lbColor1");
    QComboBox* comboBox = make<QComboBox>(&window, "cbCom");
    QLineEdit* edit = make<QLineEdit>(&window, "edSel");
    QTableWidget* grid = make<QTableWidget>(&window, "sgDev");

    TestWindow()
    {
        window.setObjectName("frmTest");
        menu->setTitle("old");
        action->setObjectName("mnuNew");
        menu->addAction(action);
        menuBar->addMenu(menu);
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
                 button, toolButton, radioButton, checkBox})
            b->setText("old");
        label->setText("old");
        radioGroup->setTitle("old");
        groupBox->setTitle("old");
        page->setObjectName("Sheet1");
        pages->addTab(page, "old");
        comboBox->addItem("old");
        edit->setText("old");
    }
};

bool hasBigFont(const QWidget* widget)
{
    return widget->font().family() == "Liberation Serif" && widget->font().pointSize() == 14 &&
           widget->font().bold();
}

std::string lineFor(const char* item, const char* style = "Big")
{
    return std::string("frmTest\t") + item + "\tnew\t" + style + "\r\n";
}

} // namespace

TEST(ControlKinds, EachQtClassIsItsKindAndSubclassesAreNone)
{
    TestWindow w;
    EXPECT_EQ(controlKindOf(w.action), ControlKind::MenuItem);
    EXPECT_EQ(controlKindOf(w.menu), ControlKind::MenuItem);
    EXPECT_EQ(controlKindOf(w.button), ControlKind::Button);
    EXPECT_EQ(controlKindOf(w.toolButton), ControlKind::Button);
    EXPECT_EQ(controlKindOf(w.label), ControlKind::Label);
    EXPECT_EQ(controlKindOf(w.radioButton), ControlKind::RadioButton);
    EXPECT_EQ(controlKindOf(w.radioGroup), ControlKind::RadioGroup);
    EXPECT_EQ(controlKindOf(w.groupBox), ControlKind::GroupBox);
    EXPECT_EQ(controlKindOf(w.checkBox), ControlKind::CheckBox);
    EXPECT_EQ(controlKindOf(w.pages), ControlKind::PageControl);
    EXPECT_EQ(controlKindOf(w.page), ControlKind::TabPage);
    EXPECT_EQ(controlKindOf(w.listBox), ControlKind::ListBox);
    EXPECT_EQ(controlKindOf(w.comboBox), ControlKind::ComboBox);
    EXPECT_EQ(controlKindOf(w.edit), ControlKind::Edit);
    EXPECT_EQ(controlKindOf(w.grid), ControlKind::StringGrid);
    QCommandLinkButton derived(&w.window);
    EXPECT_EQ(controlKindOf(&derived), ControlKind::None);
    EXPECT_EQ(controlKindOf(w.menuBar), ControlKind::None);
}

TEST(Localiser, CaptionKindsTakeTextAndFont)
{
    TestWindow w;
    std::string file;
    for (const char* item : {"mnuFile", "mnuNew", "btnOk", "btnOpen", "lblWait", "rbSqz", "rgFmt",
                             "gbWide", "cbMin", "Sheet1"})
        file += lineFor(item);
    localise(tableFrom(file), &w.window, 96);

    EXPECT_EQ(w.menu->title(), "new");
    EXPECT_EQ(w.action->text(), "new");
    EXPECT_EQ(w.button->text(), "new");
    EXPECT_EQ(w.toolButton->text(), "new");
    EXPECT_EQ(w.label->text(), "new");
    EXPECT_EQ(w.radioButton->text(), "new");
    EXPECT_EQ(w.radioGroup->title(), "new");
    EXPECT_EQ(w.groupBox->title(), "new");
    EXPECT_EQ(w.checkBox->text(), "new");
    EXPECT_EQ(w.pages->tabText(0), "new");
    for (QWidget* widget : std::initializer_list<QWidget*>{
             w.button, w.toolButton, w.label, w.radioButton, w.radioGroup, w.groupBox,
             w.checkBox, w.page})
        EXPECT_TRUE(hasBigFont(widget)) << widget->objectName().toStdString();
    // Menu items take no font.
    EXPECT_FALSE(hasBigFont(w.menu));
}

TEST(Localiser, FontOnlyKindsKeepTheirContents)
{
    TestWindow w;
    std::string file;
    for (const char* item : {"PC", "lbColor1", "cbCom", "edSel", "sgDev"})
        file += lineFor(item);
    localise(tableFrom(file), &w.window, 96);
    EXPECT_EQ(w.edit->text(), "old");
    EXPECT_EQ(w.comboBox->itemText(0), "old");
    EXPECT_EQ(w.pages->tabText(0), "old");
    for (QWidget* widget : std::initializer_list<QWidget*>{
             w.pages, w.listBox, w.comboBox, w.edit, w.grid})
        EXPECT_TRUE(hasBigFont(widget)) << widget->objectName().toStdString();
}

TEST(Localiser, HintLineSetsOnlyTheHintAndWinsOverLaterLines)
{
    TestWindow w;
    localise(tableFrom("frmTest\tbtnOpen\tOpen Album...\tHINT\r\n" + lineFor("btnOpen") +
                       "frmTest\tbtnOk\t\tBig\r\n"),
             &w.window, 96);
    EXPECT_EQ(w.toolButton->toolTip(), "Open Album...");
    EXPECT_EQ(w.toolButton->text(), "old");
    EXPECT_FALSE(hasBigFont(w.toolButton));
    // A found record sets its text even when it is empty.
    EXPECT_EQ(w.button->text(), "");
    EXPECT_TRUE(hasBigFont(w.button));
}

TEST(Localiser, JapaneseTextAndCharacterSet)
{
    TestWindow w;
    // "お待ちください" in Shift-JIS.
    const std::string japanese = "\x82\xa8\x91\xd2\x82\xbf\x82\xad\x82\xbe\x82\xb3\x82\xa2";
    localise(tableFrom("frmTest\tlblWait\tPlease wait\tNone\t\t\t" + japanese + "\tBig\r\n"
                       "frmTest\tbtnOk\tOK\tBig\r\n",
                       Language::Japanese),
             &w.window, 96);
    EXPECT_EQ(w.label->text(), "お待ちください");
    EXPECT_EQ(w.label->font().families(),
              (QStringList{"Liberation Serif", japaneseFontFamily}));
    // The English column is not used for Japanese.
    EXPECT_EQ(w.button->text(), "");
}

TEST(Localiser, LookupRulesDecideWhichControlsChange)
{
    TestWindow w;
    QDialog inner(&w.window);
    auto* innerLabel = make<QLabel>(&inner, "lblInner");
    innerLabel->setText("old");
    auto* unnamed = new QLabel("old", &w.window);
    localise(tableFrom("frmTest\t\tfor an unnamed control\t\r\n"
                       "frmTest\tlblInner\tnew\t\r\n"
                       "frmOther\tbtnOk\tother window\t\r\n"
                       "cbMin\twhatever\tby name alone\t\r\n"
                       "\r\n"
                       "frmTest\tlblWait\tafter the empty line\t\r\n"),
             &w.window, 96);
    EXPECT_EQ(unnamed->text(), "old");
    EXPECT_EQ(innerLabel->text(), "old");
    EXPECT_EQ(w.button->text(), "old");
    EXPECT_EQ(w.checkBox->text(), "by name alone");
    EXPECT_EQ(w.label->text(), "old");
}

TEST(Localiser, DenseScreenTakesOnePointOff)
{
    TestWindow w;
    localise(tableFrom(lineFor("lblWait")), &w.window, 120);
    EXPECT_EQ(w.label->font().pointSize(), 13);
}

TEST(RadioGroupControl, ItemsAndChoice)
{
    RadioGroup group;
    group.setItems({"JPEG", "Bitmap", "DVF"});
    EXPECT_EQ(group.items(), (QStringList{"JPEG", "Bitmap", "DVF"}));
    EXPECT_EQ(group.itemIndex(), -1);
    group.setItemIndex(2);
    EXPECT_EQ(group.itemIndex(), 2);
    group.setItems({"None", "Movement"});
    EXPECT_EQ(group.items().size(), 2);
    EXPECT_EQ(group.itemIndex(), -1);
    group.setItemIndex(1);
    group.setItemIndex(-1);
    EXPECT_EQ(group.itemIndex(), -1);
}

TEST(ShippedStyles, NameInstalledFonts)
{
    LanguageTable table;
    ASSERT_TRUE(table.loadStyles(std::string(VANTREL_RESOURCE_DIR) + "/wyb.sty"));
    const QStringList installed = QFontDatabase::families();
    for (size_t i = 1; i < table.styles.size(); ++i) {
        const QString font = QString::fromStdString(table.styles[i].fontName);
        if (font != "$$") {
            EXPECT_TRUE(installed.contains(font)) << font.toStdString();
        }
    }
}

TEST(ShippedStyles, JapaneseFontCoversEveryJapaneseText)
{
    LanguageTable table;
    table.languageCode = Language::Japanese;
    ASSERT_TRUE(table.loadStrings(std::string(VANTREL_RESOURCE_DIR) + "/wyb.cpt"));
    const QFontMetrics japanese(QFont(japaneseFontFamily, 9));
    for (const StringRecord& record : table.strings)
        for (const uint character : table.textOf(record).toUcs4())
            EXPECT_TRUE(japanese.inFontUcs4(character))
                << record.item << " U+" << std::hex << character;
}

#include "Cptmain.h"

#include "i18n/Localiser.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <array>

namespace vantrel {

TfrmCptMain* frmCptMain = nullptr;

namespace {

// The built-in colour of the index area (red 32, green 164, blue 191).
constexpr QColor defaultBackColor(32, 164, 191);

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
};

struct MenuColumn {
    const char* name;
    const char* caption;
    std::array<MenuItem, 8> items; // unused rows have no name
};

const std::array<MenuColumn, 6> mainMenu = {{
    {"mnuFile", "&File",
     {{{"mnuNew", "&New", "Ctrl+N"},
       {"mnuOpen", "&Open...", "Ctrl+O"},
       {"mnuSave", "&Save Album", "Ctrl+S"},
       {"mnuSaveAs", "Save Album &As...", ""},
       {"mnuSaveImage", "Save &Image As...", "Ctrl+I"},
       {"mnuHTML", "Make &HTML Album", "Ctrl+H"},
       {"mnuOpenHTML", "Open H&TML Album", "Ctrl+T"},
       {"mnuExit", "E&xit", "Ctrl+F4"}}}},
    {"mnuEdit", "&Edit", {{{"mnuDelete", "&Delete", "Del"}, {"mnuAllSel", "Select &All", "Ctrl+A"}}}},
    {"mnuView", "&View", {{{"mnuToolbar", "&Tool Bar", ""}}}},
    {"mnuSetup", "&Settings",
     {{{"mnuSet1", "&Save Image", ""},
       {"mnuSetOpen", "&Open Image", ""},
       {"mnuBackColor", "&Back Color", ""}}}},
    {"mnuWindow", "&Window", {{{"mnuFull", "&Image Viewer", ""}, {"mnuVCR", "&DV Controller", ""}}}},
    {"mnuHelp", "&Help",
     {{{"mnuCont", "&Contents", "F1"},
       {"mnuKeyword", "&Keyword", ""},
       {"mnuAbout", "&About Vantrel", ""}}}},
}};

const std::array<MenuItem, 3> popupMenu = {{
    {"pmFullImg", "Open Image View", ""},
    {"pmSaveImg", "Save Image As...", ""},
    {"pmDel", "Delete", ""},
}};

QAction* addItem(QMenu* menu, const MenuItem& item)
{
    QAction* action = menu->addAction(item.caption);
    action->setObjectName(item.name);
    action->setShortcut(QKeySequence(item.shortcut));
    return action;
}

} // namespace

TfrmCptMain::TfrmCptMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("frmCptMain");
    language.loadFromProgramFolder();
    setLanguageTable(&language);
    createControls();
    title = language.textForKey("TI_MAIN");
    setWindowTitle(title);
    localise(language, this);
}

TfrmCptMain::~TfrmCptMain()
{
    if (&languageTable() == &language)
        setLanguageTable(nullptr);
}

void TfrmCptMain::createControls()
{
    resize(640, 480);
    createMenus();
    createIndexPopup();
    auto* index = new QScrollArea(this);
    index->setObjectName("ScrollBox1");
    index->setFrameShape(QFrame::NoFrame);
    index->setStyleSheet(QString("QScrollArea { background: %1; }").arg(defaultBackColor.name()));
    setCentralWidget(index);
}

QMenu* TfrmCptMain::addMenu(QWidget* parent, const char* name, const char* caption)
{
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(name);
    return menu;
}

void TfrmCptMain::createMenus()
{
    menuBar()->setObjectName("MainMenu1");
    for (const MenuColumn& column : mainMenu) {
        QMenu* menu = addMenu(menuBar(), column.name, column.caption);
        menuBar()->addMenu(menu);
        for (const MenuItem& item : column.items)
            if (item.name)
                addItem(menu, item);
    }
    QAction* toolBar = findChild<QAction*>("mnuToolbar");
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(findChild<QAction*>("mnuExit"), &QAction::triggered, this, &QWidget::close);
}

void TfrmCptMain::createIndexPopup()
{
    QMenu* popup = addMenu(this, "PopupMenu1", "");
    addItem(popup, popupMenu[0]);
    addItem(popup, popupMenu[1]);
    popup->addSeparator();
    addItem(popup, popupMenu[2]);
}

} // namespace vantrel

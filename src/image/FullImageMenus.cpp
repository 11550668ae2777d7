// The viewer's menus, its picture menu and the keys it shares with the desktop's viewers,
// built from tables whose rows carry the window's handlers.
#include "FullImage.h"

#include "image/ImageType.h"
#include "image/ImageWindowsHost.h"
#include "image/ViewerPaintBox.h"
#include "platform/Widgets.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>

namespace vantrel {

namespace {

using Handler = void (TfrmFullImage::*)();

using Item = MenuItem<TfrmFullImage>;

// Items that stand for a submenu or a check mark are finished in createMenus.
const std::array<MenuColumn<TfrmFullImage, 12>, 6> mainMenu = {{
    {"mnuFile", "&File",
     {{{"mnuSaveImage", "Save &Image As...", "Ctrl+I", &TfrmFullImage::mnuSaveImageClick},
       {"-", "", "", nullptr},
       {"mnuClose", "&Close", "", nullptr}}}},
    {"mnuEdit", "&Edit",
     {{{"mnuCopy", "&Copy", "Ctrl+C", &TfrmFullImage::mnuCopyClick},
       {"mnuOpenEdit", "&Open Editor", "", &TfrmFullImage::mnuOpenEditClick}}},
     &TfrmFullImage::mnuEditClick},
    {"mnuView", "&View",
     {{{"mnuBrdr", "&Border", "", &TfrmFullImage::mnuBrdrClick},
       {"mnuToolBar", "&Tool Bar", "", &TfrmFullImage::mnuToolBarClick},
       {"mnuSize", "&Size", "", nullptr},
       {"-", "", "", nullptr},
       {"mnuFirst", "&First Image", "F5", &TfrmFullImage::btnFirstClick},
       {"mnuPrev", "&Previos Image", "F6", &TfrmFullImage::btnPrevClick},
       {"mnuNext", "&Next Image", "F7", &TfrmFullImage::btnNextClick},
       {"mnuLast", "&Last Image", "F8", &TfrmFullImage::btnLastClick},
       {"-", "", "", nullptr},
       {"mnuSS", "Slide Sho&w", "F9", &TfrmFullImage::btnSSClick}}}},
    {"mnuSetup", "&Settings",
     {{{"mnuSet1", "&Save Image...", "", nullptr},
       {"mnuSet3", "Slide Sho&w...", "", nullptr},
       {"mnuSet4", "&Back Color", "", nullptr},
       {"mnuCodec", "&Codec", "", nullptr}}}},
    {"mnuWindow", "&Window",
     {{{"mnuButton", "&Button", "", nullptr},
       {"mnuIndex", "&Index", "", nullptr},
       {"mnuVCR", "&DV Controller", "", nullptr}}}},
    {"mnuHelp", "&Help",
     {{{"mnuCont", "&Contents", "F1", nullptr},
       {"mnuKeyword", "&Keyword", "", nullptr},
       {"-", "", "", nullptr},
       {"mnuAbout", "&About Vantrel", "", nullptr}}}},
}};

const std::array<Item, 10> popupItems = {{
    {"pumBrdr", "&Border", "", &TfrmFullImage::mnuBrdrClick},
    {"pumToolBar", "&Tool Bar", "", &TfrmFullImage::mnuToolBarClick},
    {"pumSize", "&Size", "", nullptr},
    {"-", "", "", nullptr},
    {"pumFirst", "&First Image", "", &TfrmFullImage::btnFirstClick},
    {"pumPrev", "&Previos Image", "", &TfrmFullImage::btnPrevClick},
    {"pumNext", "&Next Image", "", &TfrmFullImage::btnNextClick},
    {"pumLast", "&Last Image", "", &TfrmFullImage::btnLastClick},
    {"-", "", "", nullptr},
    {"pumSS", "&Slide Show", "", &TfrmFullImage::btnSSClick},
}};

// The keys every image viewer of the desktop answers. None takes a key the menus give
// another meaning: F5 stays First Image, so the slide show keeps F9.
struct SharedKey {
    const char* name;
    Qt::Key key;
    Handler handler;
};

constexpr SharedKey sharedKeys[] = {
    {"keyNext", Qt::Key_Space, &TfrmFullImage::spaceKeyPress},
    {"keyPrev", Qt::Key_Backspace, &TfrmFullImage::backspaceKeyPress},
    {"keyFirst", Qt::Key_Home, &TfrmFullImage::btnFirstClick},
    {"keyLast", Qt::Key_End, &TfrmFullImage::btnLastClick},
    {"keyFullScreen", Qt::Key_F11, &TfrmFullImage::fullScreenKeyPress},
    {"keyLeave", Qt::Key_Escape, &TfrmFullImage::escapeKeyPress},
};

// The Border and Tool Bar marks and the Size submenu, in the main menu ("mnu") and the
// popup ("pum").
void finishViewItems(TfrmFullImage* window, const QString& prefix)
{
    for (const char* name : {"Brdr", "ToolBar"}) {
        QAction* item = window->findChild<QAction*>(prefix + name);
        item->setCheckable(true);
        item->setChecked(true);
    }
    QMenu* size = makeMenu(window, qPrintable(prefix + "SizeMenu"), "&Size");
    window->findChild<QAction*>(prefix + "Size")->setMenu(size);
    for (int tag : {1, 2}) {
        QAction* item = addMenuItem(size, qPrintable(prefix + (tag == 1 ? "Normal" : "FullScreen")),
                                tag == 1 ? "&Normal" : "&Full Screen");
        item->setCheckable(true);
        item->setChecked(tag == 1);
        QObject::connect(item, &QAction::triggered, window, [window, tag] { window->mnuSize0Click(tag); });
    }
}

} // namespace

QAction* TfrmFullImage::action(const char* name) const
{
    return findChild<QAction*>(name);
}

void TfrmFullImage::setChecked(std::initializer_list<const char*> names, bool checked)
{
    for (const char* name : names)
        if (QAction* item = action(name))
            item->setChecked(checked);
}

void TfrmFullImage::createMenus()
{
    buildMenuBar(this, menuBar(), mainMenu);
    // Shortcuts keep working while the menu bar is hidden (no border).
    addActions(findChildren<QAction*>());

    connect(action("mnuClose"), &QAction::triggered, this, &QWidget::close);
    finishViewItems(this, "mnu");

    // Settings pages by tag.
    for (auto [name, tag] : {std::pair{"mnuSet1", 1}, std::pair{"mnuSet3", 3}, std::pair{"mnuSet4", 4}})
        connect(action(name), &QAction::triggered, this, [this, tag] {
            if (settingsWindow)
                settingsWindow->showOnPage(tag);
        });

    // The codec choice only moves its check mark.
    QMenu* codec = makeMenu(this, "mnuCodecMenu", "&Codec");
    action("mnuCodec")->setMenu(codec);
    action("mnuCodec")->setVisible(false);
    for (const char* name : {"mnuAlternate", "mnuOrv"}) {
        QAction* item = addMenuItem(codec, name, name[3] == 'A' ? "&Alternate" : "&Orv");
        item->setCheckable(true);
        item->setChecked(name[3] == 'O');
        connect(item, &QAction::triggered, this, [this, name] {
            setChecked({"mnuAlternate", "mnuOrv"}, false);
            setChecked({name}, true);
        });
    }

    connect(action("mnuButton"), &QAction::triggered, this, &TfrmFullImage::showButtonBar);
    connect(action("mnuIndex"), &QAction::triggered, this, [this] { host_.showIndex(); });
    connect(action("mnuVCR"), &QAction::triggered, this, [this] { host_.controllerCommand(); });
    connect(action("mnuCont"), &QAction::triggered, this, [this] { host_.helpContents(); });
    connect(action("mnuKeyword"), &QAction::triggered, this, [this] { host_.helpKeyword(); });
    connect(action("mnuAbout"), &QAction::triggered, this, [this] { host_.about(); });
}

void TfrmFullImage::createPictureMenu()
{
    PopupMenu1 = makeMenu(this, "PopupMenu1", "");
    addMenuItems(this, PopupMenu1, popupItems);
    finishViewItems(this, "pum");
    for (QWidget* area : {static_cast<QWidget*>(ScrollBox1), static_cast<QWidget*>(PaintBox1)}) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this,
                [this, area](const QPoint& at) { PopupMenu1->popup(area->mapToGlobal(at)); });
    }
}

void TfrmFullImage::createSharedKeys()
{
    for (const SharedKey& shared : sharedKeys) {
        auto* key = new QAction(this);
        key->setObjectName(shared.name);
        key->setShortcut(QKeySequence(shared.key));
        connect(key, &QAction::triggered, this, shared.handler);
        addAction(key);
    }
}

} // namespace vantrel

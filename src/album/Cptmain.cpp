#include "Cptmain.h"

#include "album/Help.h"
#include "album/EmptyAlbumHint.h"
#include "album/IndexDragging.h"
#include "album/ImageWindowsLink.h"
#include "album/MainDialogs.h"
#include "album/MainWindowSaves.h"
#include "album/ToolbarArt.h"
#include "capture/PictureRoom.h"
#include "platform/WindowPosition.h"
#include "i18n/Localiser.h"
#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/FullImage.h"
#include "image/ImageType.h"
#include "platform/Paths.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <array>
#include <cstdio>
#include <utility>

namespace vantrel {

TfrmCptMain* frmCptMain = nullptr;

namespace {

// The built-in colour of the index area (red 32, green 164, blue 191), as 0x00BBGGRR.
constexpr uint32_t defaultBackColor = 0x00BFA420;
constexpr int toolbarHeight = 41;
constexpr int toolButtonSize = 34;
constexpr QSize logoSize(209, 23);
constexpr int logoRightGap = 20;
constexpr int logosHiddenWidth = 410;
constexpr int scrollSmallChange = 8;
constexpr int scrollLargeAmount = 200;
constexpr int wheelNotch = 120;
constexpr int lastPlace = albumMaxPictures;
constexpr int maxDroppedNameLength = 300;

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
    int tag;
};

struct MenuColumn {
    const char* name;
    const char* caption;
    std::array<MenuItem, 8> items; // unused rows have no name
};

const std::array<MenuColumn, 6> mainMenu = {{
    {"mnuFile", "&File",
     {{{"mnuNew", "&New", "Ctrl+N", 0},
       {"mnuOpen", "&Open...", "Ctrl+O", 0},
       {"mnuSave", "&Save Album", "Ctrl+S", 0},
       {"mnuSaveAs", "Save Album &As...", "", 0},
       {"mnuSaveImage", "Save &Image As...", "Ctrl+I", 0},
       {"mnuHTML", "Make &HTML Album", "Ctrl+H", 0},
       {"mnuOpenHTML", "Open H&TML Album", "Ctrl+T", 0},
       {"mnuExit", "E&xit", "Ctrl+F4", 0}}}},
    {"mnuEdit", "&Edit",
     {{{"mnuDelete", "&Delete", "Del", 0}, {"mnuAllSel", "Select &All", "Ctrl+A", 0}}}},
    {"mnuView", "&View", {{{"mnuToolbar", "&Tool Bar", "", 0}}}},
    {"mnuSetup", "&Settings",
     {{{"mnuSet1", "&Save Image", "", 1},
       {"mnuSetOpen", "&Open Image", "", 5},
       {"mnuBackColor", "&Back Color", "", 4}}}},
    {"mnuWindow", "&Window",
     {{{"mnuFull", "&Image Viewer", "", 0}, {"mnuVCR", "&DV Controller", "", 0}}}},
    {"mnuHelp", "&Help",
     {{{"mnuCont", "&Contents", "F1", 0},
       {"mnuKeyword", "&Keyword", "", 1},
       {"mnuAbout", "&About Vantrel", "", 0}}}},
}};

// Ctrl with these keys of the numeric keypad moves the keyboard cursor through the index.
constexpr std::pair<int, CursorKey> cursorKeys[] = {
    {Qt::Key_0, CursorKey::select}, {Qt::Key_2, CursorKey::rowDown}, {Qt::Key_8, CursorKey::rowUp},
    {Qt::Key_4, CursorKey::back},   {Qt::Key_6, CursorKey::on},
};

struct ToolButtonPlace {
    const char* name;
    const char* hint;
    int left;
};

constexpr ToolButtonPlace toolButtons[] = {
    {"btnOpen", "Open Album...", 5},
    {"btnSave", "Save Album", 39},
    {"btnVCR", "Open VCR Controll", 81},
    {"btnEDS", "Open Full Image", 115},
};

QAction* addItem(QMenu* menu, const MenuItem& item)
{
    QAction* action = menu->addAction(item.caption);
    action->setObjectName(item.name);
    action->setShortcut(QKeySequence(item.shortcut));
    action->setData(item.tag);
    return action;
}

QMenu* makeMenu(QWidget* parent, const char* name, const char* caption)
{
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(name);
    return menu;
}

// The hourglass for the length of an operation; the wait dialog's close may have taken it
// down already.
class HourGlass {
public:
    HourGlass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourGlass()
    {
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

QString withoutMnemonic(QString text)
{
    return text.remove(QRegularExpression("&(?!&)")).remove(QRegularExpression("\\(\\)$"));
}

double screenDotsPerInch(const QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96;
}

} // namespace

TfrmCptMain::TfrmCptMain(QWidget* parent) : QMainWindow(parent), backColor_(defaultBackColor)
{
    setObjectName("frmCptMain");
    language.loadFromProgramFolder();
    setLanguageTable(&language);
    dialogs_ = std::make_unique<WindowDialogs>(this);
    album.setObserver(this);
    album.setLastAlbumPath(programFolder() + "/");
    dragging_ = std::make_unique<IndexDragging>(*this, editing);
    lastImagePath_ = lastHtmlPath_ = programFolder() + "/";
    createControls();
    connectControls();
    title = language.textForKey("TI_MAIN");
    localise(language, this);
    nameControlsForScreenReaders();
    btnLogoJpn->setVisible(language.isJapanese());
    btnLogoEng->setVisible(!language.isJapanese());
    savedToolbarHeight_ = toolbarHeight_ = pnlToolbar->height();
    updateCaption();
    updateMenuStates();
}

TfrmCptMain::~TfrmCptMain()
{
    album.setObserver(nullptr);
    dragging_.reset();
    if (&languageTable() == &language)
        setLanguageTable(nullptr);
}

// ---- controls ----

void TfrmCptMain::createControls()
{
    resize(640, 480);
    setCentralWidget(new QWidget(this));
    createMenus();
    createIndexPopup();

    ScrollBox1 = new QWidget(centralWidget());
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setAutoFillBackground(true);
    ScrollBox1->installEventFilter(this);
    lblEmptyHint = new EmptyAlbumHint(ScrollBox1);
    setBackColor(backColor_);
    // On a screen of small pixels the thumbnails are decoded with as many more pixels.
    album.setThumbnailScale(qRound(devicePixelRatioF()) >= 2 ? 2 : 1);

    ScrollBar1 = new QScrollBar(Qt::Vertical, centralWidget());
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar1->setSingleStep(scrollSmallChange);
    ScrollBar1->setPageStep(slotPitch);
    ScrollBar1->hide();

    createToolbar();
    pnlToolbar->installEventFilter(this); // drags pass over it
    Label1 = new QLabel(pnlToolbar);
    Label1->setObjectName("Label1");
    Label1->hide();
}

void TfrmCptMain::createToolbar()
{
    pnlToolbar = new QFrame(centralWidget());
    pnlToolbar->setObjectName("pnlToolbar");
    pnlToolbar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlToolbar->setLineWidth(2);
    pnlToolbar->setAutoFillBackground(true);
    pnlToolbar->resize(width(), toolbarHeight);
    const int top = (toolbarHeight - toolButtonSize) / 2;
    for (const ToolButtonPlace& place : toolButtons) {
        auto* button = new QToolButton(pnlToolbar);
        button->setObjectName(place.name);
        button->setToolTip(place.hint);
        button->setIcon(toolbarPicture(place.name));
        button->setIconSize(QSize(toolButtonSize - 6, toolButtonSize - 6));
        button->setGeometry(place.left, top, toolButtonSize, toolButtonSize);
        button->setAutoRaise(true);
    }
    btnOpen = pnlToolbar->findChild<QToolButton*>("btnOpen");
    btnSave = pnlToolbar->findChild<QToolButton*>("btnSave");
    btnVCR = pnlToolbar->findChild<QToolButton*>("btnVCR");
    btnEDS = pnlToolbar->findChild<QToolButton*>("btnEDS");
    btnEDS->setEnabled(false);
    for (const char* name : {"btnLogoEng", "btnLogoJpn"}) {
        auto* logo = new QToolButton(pnlToolbar);
        logo->setObjectName(name);
        QIcon picture;
        picture.addPixmap(toolbarPicture(name), QIcon::Disabled);
        logo->setIcon(picture);
        logo->setIconSize(logoSize);
        logo->resize(logoSize);
        logo->setAutoRaise(true);
        logo->setEnabled(false);
        logo->setFocusPolicy(Qt::NoFocus);
    }
    btnLogoEng = pnlToolbar->findChild<QToolButton*>("btnLogoEng");
    btnLogoJpn = pnlToolbar->findChild<QToolButton*>("btnLogoJpn");
}

void TfrmCptMain::createMenus()
{
    menuBar()->setObjectName("MainMenu1");
    for (const MenuColumn& column : mainMenu) {
        QMenu* menu = makeMenu(menuBar(), column.name, column.caption);
        menuBar()->addMenu(menu);
        for (const MenuItem& item : column.items)
            if (item.name)
                addItem(menu, item);
    }
    QAction* toolBar = action("mnuToolbar");
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
}

void TfrmCptMain::createIndexPopup()
{
    PopupMenu1 = makeMenu(this, "PopupMenu1", "");
    addItem(PopupMenu1, {"pmFullImg", "Open Image View", "", 0});
    addItem(PopupMenu1, {"pmSaveImg", "Save Image As...", "", 0});
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, {"pmDel", "Delete", "", 0});
    // Kept from the menu's design; it does nothing and is never shown.
    addItem(PopupMenu1, {"pmCutIn", "Set to Cut In", "", 0})->setVisible(false);
    PopupMenu1->addSeparator()->setVisible(false);
}

QAction* TfrmCptMain::action(const char* name) const
{
    return findChild<QAction*>(name);
}

void TfrmCptMain::connectControls()
{
    auto onItem = [this](const char* name, auto handler) {
        connect(action(name), &QAction::triggered, this, handler);
    };
    onItem("mnuNew", &TfrmCptMain::mnuNewClick);
    onItem("mnuOpen", &TfrmCptMain::mnuOpenClick);
    onItem("mnuSave", &TfrmCptMain::mnuSaveClick);
    onItem("mnuSaveAs", &TfrmCptMain::mnuSaveAsClick);
    onItem("mnuSaveImage", &TfrmCptMain::mnuSaveImageClick);
    onItem("pmSaveImg", &TfrmCptMain::mnuSaveImageClick);
    onItem("mnuHTML", &TfrmCptMain::mnuHTMLClick);
    onItem("mnuOpenHTML", &TfrmCptMain::mnuOpenHTMLClick);
    onItem("mnuExit", &QWidget::close);
    onItem("mnuToolbar", &TfrmCptMain::mnuToolbarClick);
    onItem("mnuDelete", &TfrmCptMain::mnuDeleteClick);
    onItem("pmDel", &TfrmCptMain::mnuDeleteClick);
    onItem("mnuAllSel", &TfrmCptMain::mnuAllSelClick);
    onItem("mnuFull", &TfrmCptMain::openViewer);
    onItem("pmFullImg", &TfrmCptMain::openViewer);
    onItem("mnuVCR", &TfrmCptMain::mnuVCRClick);
    onItem("mnuCont", &TfrmCptMain::mnuContClick);
    onItem("mnuKeyword", &TfrmCptMain::mnuKeywordClick);
    onItem("mnuAbout", &TfrmCptMain::mnuAboutClick);
    for (const char* name : {"mnuSet1", "mnuSetOpen", "mnuBackColor"}) {
        QAction* item = action(name);
        connect(item, &QAction::triggered, this, [this, item] { showSettings(item->data().toInt()); });
    }
    connect(findChild<QMenu*>("mnuFile"), &QMenu::aboutToShow, this, &TfrmCptMain::mnuFileClick);
    connect(findChild<QMenu*>("mnuEdit"), &QMenu::aboutToShow, this, &TfrmCptMain::mnuEditClick);
    connect(findChild<QMenu*>("mnuWindow"), &QMenu::aboutToShow, this, &TfrmCptMain::mnuWindowClick);
    connect(btnOpen, &QToolButton::clicked, this, &TfrmCptMain::mnuOpenClick);
    connect(btnSave, &QToolButton::clicked, this, &TfrmCptMain::mnuSaveAsClick);
    connect(btnVCR, &QToolButton::clicked, this, &TfrmCptMain::mnuVCRClick);
    connect(btnEDS, &QToolButton::clicked, this, &TfrmCptMain::openViewer);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TfrmCptMain::ScrollBar1Change);
}

// Screen readers read a button's hint (or caption) and the index by its name.
void TfrmCptMain::nameControlsForScreenReaders()
{
    for (QToolButton* button : pnlToolbar->findChildren<QToolButton*>())
        button->setAccessibleName(button->toolTip().isEmpty() ? withoutMnemonic(button->text())
                                                              : button->toolTip());
    btnLogoEng->setAccessibleName(title);
    btnLogoJpn->setAccessibleName(title);
    ScrollBox1->setAccessibleName(textForKey("TX_INDEX"));
    ScrollBar1->setAccessibleName(textForKey("TX_INDEX"));
    lblEmptyHint->localise();
    pnlToolbar->setAccessibleName(textForKey("TX_TOOLBAR"));
}

void TfrmCptMain::setDialogs(std::unique_ptr<MainDialogs> dialogs)
{
    dialogs_ = std::move(dialogs);
}

void TfrmCptMain::setWaitDialog(QWidget* dialog)
{
    wait_ = dialog;
    if (auto* windowDialogs = dynamic_cast<WindowDialogs*>(dialogs_.get()))
        windowDialogs->waitDialog = dialog;
}

void TfrmCptMain::updateCaption()
{
    const std::string& name = album.currentName();
    setWindowTitle(name.empty() ? title : title + " [" + QString::fromStdString(name) + "]");
}

void TfrmCptMain::setBackColor(uint32_t colour)
{
    backColor_ = colour;
    QPalette colours = ScrollBox1->palette();
    colours.setColor(QPalette::Window, colourOfValue(colour));
    ScrollBox1->setPalette(colours);
    lblEmptyHint->matchBackColour(colours.color(QPalette::Window));
    if (frmFullImage)
        frmFullImage->setBackColour(colour);
}

AlbumSlot* TfrmCptMain::slotAt(int place) const
{
    return place >= 1 && place <= lastPlace ? slots_[static_cast<size_t>(place)] : nullptr;
}

// ---- first show and the end ----

void TfrmCptMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    layoutIndex();
    if (!firstShown_) {
        firstShown_ = true;
        // After the window is up: the splash runs its own modal loop.
        QTimer::singleShot(0, this, &TfrmCptMain::FormShow);
    }
}

void TfrmCptMain::FormShow()
{
    if (titleWindow_)
        titleWindow_->exec();
    else
        DvcLoad();
    album.removeStaleWorkFiles();
    readSettings();
    restoreAlbum();
    batchRunning_ = false;
    openCommandLine();
    updateCaption();
    album.deleteStaleSideFiles();
    scrollToEnd();
    restoreWindowPosition(profile, *this, true);
    if (const QScreen* screen = this->screen())
        colourDepth_ = screen->depth();
    setAcceptDrops(true);
    firstShowDone_ = true;
}

void TfrmCptMain::readSettings()
{
    std::string text;
    auto readPath = [&](const char* key, const std::string& fallback) {
        return profile.ReadString("Directories", key, text) && !text.empty() ? text : fallback;
    };
    const std::string folder = programFolder() + "/";
    album.setLastAlbumPath(readPath("Album", folder));
    lastImagePath_ = readPath("Image", folder);
    lastHtmlPath_ = readPath("HTML", folder);
    if (profile.ReadString("Setup", "BackColor", text) && !text.empty())
        setBackColor(static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 10)));
    slowTimer = profile.intOr("Setup", "SlowTimer", slowTimer);
    imageSettings = loadImageSettings(profile);
    const int encodeFormat = profile.intOr("Setup", "EncodeFormat", 0);
    imageSettings.EncFormat = imageSettingOr(&ImageSettings::EncFormat, encodeFormat, 0);
}

void TfrmCptMain::writeSettings()
{
    profile.WriteString("Directories", "Album", album.lastAlbumPath());
    profile.WriteString("Directories", "Image", lastImagePath_);
    profile.WriteString("Directories", "HTML", lastHtmlPath_);
    profile.WriteInt("Setup", "SlowTimer", slowTimer);
    profile.WriteInt("Setup", "EncodeFormat", imageSettings.EncFormat);
    profile.WriteString("Setup", "BackColor", std::to_string(backColor_));
}

// The side files of the last run come back in place order, then pictures an edit that never
// ended left parked; gaps close up. Events are served
// between pictures, so the window stays alive through a long restore; files handed in
// meanwhile wait for its end, as their pictures would overwrite side files not yet read. A
// side file that does not read is skipped rather than ending the restore, which would
// delete the later ones.
void TfrmCptMain::restoreAlbum()
{
    const std::vector<std::string> files = album.filesToRestore();
    if (!files.empty())
        showWait(QString());
    for (const std::string& file : files) {
        album.restorePicture(file);
        QCoreApplication::processEvents();
    }
    showAllSlots();
    closeWait();
}

// Files handed in during the restore follow those of the command line.
void TfrmCptMain::openCommandLine()
{
    pendingFiles_ = std::exchange(commandLine_, {}) + pendingFiles_;
    runOpenBatch({});
}

void TfrmCptMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    HourGlass hourGlass;
    setEnabled(false);
    if (controller_)
        controller_->close();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    writeSettings();
    saveWindowPosition(profile, *this);
    DvcRelease();
    setEnabled(true);
    if (help_)
        help_->close();
    event->accept();
}

bool TfrmCptMain::FormCloseQuery()
{
    if (!dialogs_->askYesNo(title, messageText("MSG_CLOSE")))
        return false;
    newCancelled_ = false;
    if (!newAlbum()) {
        newCancelled_ = false;
        return false;
    }
    return true;
}

// ---- messages ----

bool TfrmCptMain::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        if (message->number() == Msg::PictureCaptured)
            pictureCapturedMessage(message->wParam, message->lParam);
        else if (message->number() == Msg::IndexScroll)
            scrollMessage(message->wParam);
        else
            return QMainWindow::event(event);
        return true;
    }
    return QMainWindow::event(event);
}

// The capture thread has written the side files of places first .. first + count - 1. The
// capture that showed the wait dialog closes it.
void TfrmCptMain::pictureCapturedMessage(intptr_t firstPlace, intptr_t count)
{
    if (firstPlace > lastPlace) {
        warnOver();
        return;
    }
    HourGlass hourGlass;
    for (intptr_t place = firstPlace; place < firstPlace + count; ++place) {
        if (place > lastPlace) {
            warnOver();
            break;
        }
        addPictureFile(album.sideFilePath(static_cast<int>(place)));
    }
    showAllSlots();
    scrollToEnd();
}

void TfrmCptMain::scrollMessage(intptr_t amount)
{
    if (ScrollBar1->isHidden())
        return;
    const int small = ScrollBar1->singleStep();
    const int large = ScrollBar1->pageStep();
    if (amount > 0)
        ScrollBar1->setValue(ScrollBar1->value() - (amount >= scrollLargeAmount ? large : small));
    else
        ScrollBar1->setValue(ScrollBar1->value() + (amount <= -scrollLargeAmount ? large : small));
}

// The wheel over the index becomes the scroll message with its angle as the amount, once for
// each line a notch scrolls, so one notch moves the index as far as in other programs. Fine
// steps (touch pads) add up to whole notches.
void TfrmCptMain::sendWheelAsScroll(QWheelEvent* wheel)
{
    wheelAngle_ += wheel->angleDelta().y();
    while (std::abs(wheelAngle_) >= wheelNotch) {
        const int notch = wheelAngle_ > 0 ? wheelNotch : -wheelNotch;
        for (int line = 0; line < std::max(1, QApplication::wheelScrollLines()); ++line)
            sendMessage(this, Msg::IndexScroll, notch);
        wheelAngle_ -= notch;
    }
}

// The index area takes the wheel and the drags that start on it; the tool bar sees drags
// pass over it.
bool TfrmCptMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScrollBox1 && event->type() == QEvent::Wheel) {
        sendWheelAsScroll(static_cast<QWheelEvent*>(event));
        return true;
    }
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                       type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
    if (mouse && watched == ScrollBox1) {
        dragging_->mouseEvent(0, ScrollBox1, static_cast<QMouseEvent*>(event));
        return true;
    }
    if (mouse && watched == pnlToolbar && dragging_->dragging())
        dragging_->mouseEvent(IndexDragging::notInIndex, pnlToolbar, static_cast<QMouseEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void TfrmCptMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmCptMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && url.toLocalFile().size() <= maxDroppedNameLength)
            paths << url.toLocalFile();
    event->acceptProposedAction();
    runOpenBatch(paths);
}

// ---- opening files ----

void TfrmCptMain::openFiles(const QStringList& paths)
{
    runOpenBatch(paths);
}

// Files handed in while a batch runs (a drop, a second start) join it at its end.
void TfrmCptMain::runOpenBatch(const QStringList& paths)
{
    pendingFiles_ << paths;
    if (batchRunning_ || pendingFiles_.isEmpty())
        return;
    batchRunning_ = true;
    showWait(textForKey("MB_TI_FILEREAD"));
    albumsInBatch_ = 0;
    while (!pendingFiles_.isEmpty())
        if (!openFile(QFileInfo(pendingFiles_.takeFirst()).absoluteFilePath()))
            pendingFiles_.clear();
    closeWait();
    albumsInBatch_ = 0;
    batchRunning_ = false;
    setWindowsEnabled(true);
}

bool TfrmCptMain::openFile(const QString& path)
{
    HourGlass hourGlass;
    const std::string file = path.toStdString();
    const std::string extension = lowerCase(extensionOf(file));
    if (extension == "dvf") {
        const std::string side = album.sideFilePath(album.count() + 1);
        const PictureRoom room = roomForNewPicture(album.count(), side, targetPathCheckWith(*dialogs_));
        if (room == PictureRoom::albumFull)
            warnOver();
        if (room != PictureRoom::free)
            return false;
        addPictureFile(file);
    } else if (extension == "zal") {
        openAlbumFile(file);
    } else if (extension == "jpg" || extension == "bmp") {
        if (refuseWhenFull())
            return false;
        importPicture(file);
    }
    showAllSlots();
    scrollToEnd();
    return true;
}

bool TfrmCptMain::refuseWhenFull()
{
    if (!album.full())
        return false;
    warnOver();
    return true;
}

bool TfrmCptMain::addPictureFile(const std::string& path)
{
    const bool added = album.addPicture(path);
    QCoreApplication::processEvents();
    return added;
}

// The first album of a batch replaces the pictures (New, with its question) and names the
// album; later ones are appended.
bool TfrmCptMain::openAlbumFile(const std::string& path)
{
    if (albumsInBatch_ == 0)
        newAlbum();
    // The side files take about as much as the album file.
    const uint64_t unpacked = fileSizeOf(albumPathToOpen(path));
    if (!roomForSideFiles(album.sideFilePath(album.count() + 1), unpacked, *dialogs_))
        return false;
    if (!album.openAlbum(path, *dialogs_))
        return false;
    if (albumsInBatch_ == 0)
        album.setCurrentName(path);
    updateCaption();
    album.setModified(false);
    ++albumsInBatch_;
    return true;
}

// A picture file is converted into the side file of the next place, then added.
bool TfrmCptMain::importPicture(const std::string& path)
{
    const std::string side = album.sideFilePath(album.count() + 1);
    const TargetPathCheck check = [this](const std::string& target, const std::string& extension,
                                         uint64_t bytesNeeded, bool ask) {
        return targetPathCheck(target, extension, bytesNeeded, ask, *dialogs_);
    };
    if (!importToDvf(path, side, imageSettings, check))
        return false;
    if (addPictureFile(side))
        return true;
    std::remove(side.c_str()); // a side file without its place would come back next start
    return false;
}

QString TfrmCptMain::openFilter() const
{
    return textForKey("FL_ALBUM") + " (*.zal)|*.zal|" + textForKey("FL_JPG") + " (*.jpg)|*.jpg|" +
           textForKey("FL_BMP") + " (*.bmp)|*.bmp|" + textForKey("FL_DVF") + " (*.dvf)|*.dvf|" +
           textForKey("FL_ALL") + "|*.dvf;*.bmp;*.jpg;*.zal";
}

QString TfrmCptMain::albumFilter() const
{
    return textForKey("FL_ALBUM") + " (*.zal)|*.zal";
}

void TfrmCptMain::mnuOpenClick()
{
    const QStringList paths =
        dialogs_->chooseFilesToOpen(openFilter(), QString::fromStdString(folderOf(album.lastAlbumPath())));
    runOpenBatch(paths);
    setWindowsEnabled(true);
}

// ---- new and save ----

void TfrmCptMain::mnuNewClick()
{
    newAlbum();
}

bool TfrmCptMain::newAlbum()
{
    if (album.count() == 0)
        return true;
    if (album.modified()) {
        const bool waitWasUp = waitShowing();
        const QString waitCaption = waitWasUp ? wait_->windowTitle() : QString();
        closeWait();
        const bool save = dialogs_->askYesNo(title, messageText("MSG_SAVE1") + "\n" + messageText("MSG_SAVE2"));
        const bool saved = save && saveAlbumAs();
        if (waitWasUp)
            showWait(waitCaption);
        if (save && !saved) {
            newCancelled_ = true;
            return false;
        }
    }
    album.clear();
    return true;
}

void TfrmCptMain::mnuSaveClick()
{
    if (album.currentName().empty())
        return;
    runDisabled([this] {
        if (album.saveAlbum(album.currentName(), false, *dialogs_))
            album.setModified(false);
    });
}

void TfrmCptMain::mnuSaveAsClick()
{
    saveAlbumAs();
}

bool TfrmCptMain::saveAlbumAs()
{
    if (album.count() == 0)
        return false;
    std::string last = album.lastAlbumPath();
    QString offered;
    if (folderCheck(last)) {
        offered = lowerCase(extensionOf(last)) == "zal" ? QString::fromStdString(last) : "NONAME.zal";
    } else {
        last = programFolder() + "/";
        album.setLastAlbumPath(last);
        offered = "*.zal";
    }
    setWindowsEnabled(false);
    bool saved = false;
    for (;;) {
        const QString chosen = dialogs_->chooseAlbumToSave(albumFilter(), QString::fromStdString(folderOf(last)), offered);
        if (chosen.isEmpty())
            break;
        HourGlass hourGlass;
        const std::string path = pathWithForcedExtension(chosen.toStdString(), "zal");
        if (album.saveAlbum(path, true, *dialogs_)) {
            album.setCurrentName(path);
            album.setModified(false);
            updateCaption();
            saved = true;
            break;
        }
    }
    setWindowsEnabled(true);
    return saved;
}

// ---- the album's notices ----

void TfrmCptMain::pictureAdded(int place)
{
    placeSlot(place, false);
    showPicture(place);
    updateEmptyHint();
    updateMenuStates();
}

void TfrmCptMain::placeChanged(int place)
{
    placeSlot(place, true);
    showPicture(place);
}

void TfrmCptMain::showPicture(int place)
{
    AlbumSlot* slot = slotAt(place);
    if (!slot)
        return;
    const AlbumPlace& picture = album.place(place);
    slot->setThumbnail(picture.thumbnail);
    slot->setTimeCode(QString::fromStdString(picture.timeCode));
    slot->highlight(picture.highlighted);
}

void TfrmCptMain::placesRemoved(int count)
{
    for (int place = count + 1; place <= lastPlace; ++place)
        if (AlbumSlot* slot = slotAt(place)) {
            slot->showSlot(false);
            slot->highlight(false);
            slot->setPopupMenu(nullptr);
        }
    if (count == 0)
        setViewerEnabled(false);
    layoutIndex();
    updateMenuStates();
}

void TfrmCptMain::highlightChanged(int place)
{
    if (AlbumSlot* slot = slotAt(place))
        slot->highlight(album.place(place).highlighted);
}

void TfrmCptMain::albumCleared()
{
    for (AlbumSlot* slot : slots_)
        if (slot) {
            slot->showSlot(false);
            slot->highlight(false);
        }
    updateCaption();
    setViewerEnabled(false);
    layoutIndex();
    updateMenuStates();
}

void TfrmCptMain::albumStateChanged()
{
    for (int place = 1; place <= album.count(); ++place)
        if (AlbumSlot* slot = slotAt(place))
            slot->highlight(album.place(place).highlighted);
    updateMenuStates();
}

// ---- the index ----

int TfrmCptMain::clientWidth() const
{
    return centralWidget()->width();
}

namespace {

// Slots never go under the scroll bar: its width is kept free on the right.
int columnsFor(int clientWidth, int barWidth)
{
    return std::max(1, (clientWidth - barWidth - 105) / TfrmCptMain::slotPitch + 1);
}

QPoint slotPosition(int place, int columns)
{
    return {((place - 1) % columns) * TfrmCptMain::slotPitch + TfrmCptMain::slotMargin,
            ((place - 1) / columns) * TfrmCptMain::slotPitch + TfrmCptMain::slotMargin};
}

} // namespace

void TfrmCptMain::placeSlot(int place, bool visible)
{
    if (place < 1 || place > lastPlace)
        return;
    const int columns = columnsFor(clientWidth(), ScrollBar1->sizeHint().width());
    AlbumSlot*& slot = slots_[static_cast<size_t>(place)];
    if (!slot) {
        slot = new AlbumSlot(ScrollBox1, screenDotsPerInch(*this));
        slot->setPlace(place);
        slot->setTimeCode(QString::fromLatin1(invalidTimeCode));
        slot->setMouseHandler(this);
    }
    const QPoint at = slotPosition(place, columns);
    slot->move(at);
    if (ScrollBox1->height() < at.y() + slotPitch)
        ScrollBox1->resize(ScrollBox1->width(), at.y() + slotPitch);
    slot->showSlot(visible);
    if (visible)
        scrollToEnd();
    if (album.count() == 1)
        setViewerEnabled(true);
}

void TfrmCptMain::showAllSlots()
{
    for (int place = 1; place <= album.count(); ++place)
        if (AlbumSlot* slot = slotAt(place))
            slot->showSlot(true);
    layoutIndex();
}

void TfrmCptMain::scrollToEnd()
{
    layoutIndex();
    if (ScrollBar1->isHidden())
        return;
    ScrollBar1->setValue(ScrollBar1->maximum());
    moveIndexTop(toolbarHeight_ - ScrollBar1->value());
}

void TfrmCptMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutIndex();
}

void TfrmCptMain::layoutIndex()
{
    const int width = clientWidth();
    const int barWidth = ScrollBar1->sizeHint().width();
    const int columns = columnsFor(width, barWidth);
    const int available = centralWidget()->height() - toolbarHeight_;
    const int rows = (album.count() + columns - 1) / columns;
    const int needed = rows * slotPitch + slotMargin;

    pnlToolbar->setGeometry(0, 0, width, savedToolbarHeight_);
    pnlToolbar->setVisible(toolbarHeight_ > 0);
    if (columns != columns_) {
        columns_ = columns;
        for (int place = 1; place <= album.count(); ++place)
            if (AlbumSlot* slot = slotAt(place))
                slot->move(slotPosition(place, columns));
    }
    ScrollBar1->setGeometry(width - barWidth, toolbarHeight_, barWidth, std::max(0, available));
    if (needed < available) {
        ScrollBox1->setGeometry(0, toolbarHeight_, width, available);
        ScrollBar1->setValue(0);
        ScrollBar1->hide();
    } else {
        ScrollBox1->resize(width, needed);
        const int maximum = needed - available;
        ScrollBar1->setMaximum(maximum);
        ScrollBar1->setPageStep(2 * available < needed ? available : maximum);
        moveIndexTop(toolbarHeight_ - ScrollBar1->value());
        ScrollBar1->show();
    }
    ScrollBar1->raise();
    pnlToolbar->raise();
    updateEmptyHint();

    const bool logos = width > logosHiddenWidth;
    QToolButton* logo = language.isJapanese() ? btnLogoJpn : btnLogoEng;
    btnLogoEng->setVisible(false);
    btnLogoJpn->setVisible(false);
    logo->setVisible(logos);
    logo->move(width - logoRightGap - logoSize.width(), (toolbarHeight - logoSize.height()) / 2);
}

// The hint stands in the middle of the index area below the tool bar while it is empty.
void TfrmCptMain::updateEmptyHint()
{
    const int available = centralWidget()->height() - toolbarHeight_;
    lblEmptyHint->follow(album.count(), QRect(0, 0, clientWidth(), std::max(0, available)));
}

void TfrmCptMain::moveIndexTop(int top)
{
    ScrollBox1->move(0, top);
}

void TfrmCptMain::ScrollBar1Change(int position)
{
    moveIndexTop(toolbarHeight_ - position);
}

// ---- menus ----

void TfrmCptMain::updateMenuStates()
{
    const bool pictures = album.count() > 0;
    action("mnuSave")->setEnabled(!album.currentName().empty());
    for (const char* name : {"mnuNew", "mnuSaveAs", "mnuHTML"})
        action(name)->setEnabled(pictures);
    action("mnuSaveImage")->setEnabled(album.selectedCount() > 0);
    action("mnuOpenHTML")->setEnabled(!lastHtmlAlbum_.isEmpty());
    action("mnuDelete")->setEnabled(album.selectedCount() > 0);
    action("mnuAllSel")->setEnabled(pictures);
    action("mnuFull")->setEnabled(pictures);
}

void TfrmCptMain::mnuFileClick()
{
    updateMenuStates();
}

void TfrmCptMain::mnuEditClick()
{
    updateMenuStates();
}

void TfrmCptMain::mnuWindowClick()
{
    updateMenuStates();
}

void TfrmCptMain::setViewerEnabled(bool enabled)
{
    btnEDS->setEnabled(enabled);
    action("mnuFull")->setEnabled(enabled);
    if (frmImageType)
        frmImageType->btnPreview->setEnabled(enabled);
}

void TfrmCptMain::setWindowsEnabled(bool enabled)
{
    setEnabled(enabled);
    if (controller_)
        controller_->setEnabled(enabled);
}

void TfrmCptMain::mnuToolbarClick()
{
    toolbarHeight_ = action("mnuToolbar")->isChecked() ? savedToolbarHeight_ : 0;
    layoutIndex();
}

void TfrmCptMain::mnuSaveImageClick()
{
    MainWindowSaves(*this).saveSelectedImages();
}

void TfrmCptMain::mnuHTMLClick()
{
    MainWindowSaves(*this).makeHtmlAlbum();
}

void TfrmCptMain::mnuOpenHTMLClick()
{
    HourGlass hourGlass;
    QDesktopServices::openUrl(QUrl::fromLocalFile(lastHtmlAlbum_));
}

void TfrmCptMain::slotMouseEvent(int place, QWidget* control, QMouseEvent* event)
{
    dragging_->mouseEvent(place, control, event);
}

// ---- editing the index ----

void TfrmCptMain::mnuDeleteClick()
{
    const int selected = album.selectedCount();
    if (selected == 0)
        return;
    if (!dialogs_->askYesNo(title, messageText("MSG_DEL1") + QString::number(selected) + messageText("MSG_DEL2")))
        return;
    runDisabled([this] { editing.deleteSelected(); });
    layoutIndex();
}

void TfrmCptMain::mnuAllSelClick()
{
    editing.selectAll();
}

void TfrmCptMain::keyPressEvent(QKeyEvent* event)
{
    if (!btnKeyDown(event))
        QMainWindow::keyPressEvent(event);
}

bool TfrmCptMain::btnKeyDown(QKeyEvent* event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier ||
        !(event->modifiers() & Qt::KeypadModifier))
        return false;
    for (const auto& [key, cursorKey] : cursorKeys)
        if (event->key() == key) {
            editing.cursorKey(cursorKey, columns_);
            return true;
        }
    return false;
}

void TfrmCptMain::runDisabled(const std::function<void()>& work)
{
    setWindowsEnabled(false);
    {
        HourGlass hourGlass;
        work();
    }
    setWindowsEnabled(true);
}

void TfrmCptMain::openViewer()
{
    if (!frmFullImage || album.count() == 0)
        return;
    const int selected = AlbumPictures(album).firstSelectedPlace();
    frmFullImage->openAt(selected > 0 ? selected : 1);
    serviceEvents();
}

void TfrmCptMain::showSettings(int tag)
{
    if (frmImageType)
        frmImageType->showOnPage(tag);
}

void TfrmCptMain::mnuVCRClick()
{
    if (!controller_)
        return;
    if (controller_->isMinimized())
        controller_->showNormal();
    else
        controller_->show();
}

QString TfrmCptMain::helpFilePath() const
{
    return QString::fromStdString(runtimeFile(language.isJapanese() ? "wyb30j.hlp" : "wyb30e.hlp"));
}

TfrmHelp* TfrmCptMain::ensureHelpWindow()
{
    if (!help_) {
        help_ = new TfrmHelp(this);
        help_->loadHelpFile(helpFilePath());
    }
    return help_;
}

void TfrmCptMain::mnuContClick()
{
    ensureHelpWindow()->showContents();
}

void TfrmCptMain::mnuKeywordClick()
{
    ensureHelpWindow()->showKeyword(QString());
}

void TfrmCptMain::mnuAboutClick()
{
    if (titleWindow_)
        titleWindow_->exec();
}

// ---- the wait dialog ----

bool TfrmCptMain::waitShowing() const
{
    return wait_ && wait_->isVisible();
}

void TfrmCptMain::showWait(const QString& caption)
{
    if (wait_)
        sendMessage(wait_, Msg::WaitShow, reinterpret_cast<intptr_t>(&caption), 0);
}

void TfrmCptMain::closeWait()
{
    if (wait_)
        sendMessage(wait_, Msg::WaitClose);
}

void TfrmCptMain::warnOver()
{
    closeWait();
    dialogs_->warn("MSG_OVER", title, messageText("MSG_OVER"));
}

} // namespace vantrel

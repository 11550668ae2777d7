#include "Cptmain.h"

#include "album/AlbumIndex.h"
#include "album/Help.h"
#include "album/EmptyAlbumHint.h"
#include "album/IndexDragging.h"
#include "album/ImageWindowsLink.h"
#include "album/MainDialogs.h"
#include "album/MainSettings.h"
#include "album/MainToolbar.h"
#include "album/MainWindowSaves.h"
#include "album/OpenBatch.h"
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
#include "platform/TextCompare.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
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
constexpr int lastPlace = albumMaxPictures;

// Ctrl with these keys of the numeric keypad moves the keyboard cursor through the index.
constexpr std::pair<int, CursorKey> cursorKeys[] = {
    {Qt::Key_0, CursorKey::select}, {Qt::Key_2, CursorKey::rowDown}, {Qt::Key_8, CursorKey::rowUp},
    {Qt::Key_4, CursorKey::back},   {Qt::Key_6, CursorKey::on},
};

} // namespace

TfrmCptMain::TfrmCptMain(QWidget* parent) : QMainWindow(parent), backColor_(defaultBackColor)
{
    setObjectName("frmCptMain");
    language.loadFromProgramFolder();
    setLanguageTable(&language);
    dialogs_ = std::make_unique<WindowDialogs>(this);
    album.setLastAlbumPath(programFolder() + "/");
    dragging_ = std::make_unique<IndexDragging>(*this, editing);
    opens_ = std::make_unique<OpenBatch>(*this);
    lastImagePath_ = lastHtmlPath_ = programFolder() + "/";
    createControls();
    album.setObserver(index);
    connectControls();
    title = language.textForKey("TI_MAIN");
    localise(language, this);
    nameControlsForScreenReaders();
    pnlToolbar->btnLogoJpn->setVisible(language.isJapanese());
    pnlToolbar->btnLogoEng->setVisible(!language.isJapanese());
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

    index = new AlbumIndex(album, *this, centralWidget());
    ScrollBox1 = index->ScrollBox1;
    ScrollBar1 = index->ScrollBar1;
    lblEmptyHint = new EmptyAlbumHint(ScrollBox1);
    setBackColor(backColor_);
    // On a screen of small pixels the thumbnails are decoded with as many more pixels.
    album.setThumbnailScale(qRound(devicePixelRatioF()) >= 2 ? 2 : 1);

    pnlToolbar = new MainToolbar(centralWidget(), width());
    pnlToolbar->installEventFilter(this); // drags pass over it
    Label1 = new QLabel(pnlToolbar);
    Label1->setObjectName("Label1");
    Label1->hide();
}

void TfrmCptMain::createMenus()
{
    using Item = MenuItem<TfrmCptMain>;
    static const std::array<MenuColumn<TfrmCptMain, 8>, 6> mainMenu = {{
        {"mnuFile", "&File",
         {{{"mnuNew", "&New", "Ctrl+N", &TfrmCptMain::mnuNewClick},
           {"mnuOpen", "&Open...", "Ctrl+O", &TfrmCptMain::mnuOpenClick},
           {"mnuSave", "&Save Album", "Ctrl+S", &TfrmCptMain::mnuSaveClick},
           {"mnuSaveAs", "Save Album &As...", "", &TfrmCptMain::mnuSaveAsClick},
           {"mnuSaveImage", "Save &Image As...", "Ctrl+I", &TfrmCptMain::mnuSaveImageClick},
           {"mnuHTML", "Make &HTML Album", "Ctrl+H", &TfrmCptMain::mnuHTMLClick},
           {"mnuOpenHTML", "Open H&TML Album", "Ctrl+T", &TfrmCptMain::mnuOpenHTMLClick},
           {"mnuExit", "E&xit", "Ctrl+F4", &TfrmCptMain::mnuExitClick}}},
         &TfrmCptMain::mnuFileClick},
        {"mnuEdit", "&Edit",
         {{{"mnuDelete", "&Delete", "Del", &TfrmCptMain::mnuDeleteClick},
           {"mnuAllSel", "Select &All", "Ctrl+A", &TfrmCptMain::mnuAllSelClick}}},
         &TfrmCptMain::mnuEditClick},
        {"mnuView", "&View", {{{"mnuToolbar", "&Tool Bar", "", &TfrmCptMain::mnuToolbarClick}}}},
        {"mnuSetup", "&Settings",
         {{{"mnuSet1", "&Save Image", "", &TfrmCptMain::mnuSet1Click},
           {"mnuSetOpen", "&Open Image", "", &TfrmCptMain::mnuSetOpenClick},
           {"mnuBackColor", "&Back Color", "", &TfrmCptMain::mnuBackColorClick}}}},
        {"mnuWindow", "&Window",
         {{{"mnuFull", "&Image Viewer", "", &TfrmCptMain::openViewer},
           {"mnuVCR", "&DV Controller", "", &TfrmCptMain::mnuVCRClick}}},
         &TfrmCptMain::mnuWindowClick},
        {"mnuHelp", "&Help",
         {{{"mnuCont", "&Contents", "F1", &TfrmCptMain::mnuContClick},
           {"mnuKeyword", "&Keyword", "", &TfrmCptMain::mnuKeywordClick},
           {"mnuAbout", "&About Vantrel", "", &TfrmCptMain::mnuAboutClick}}}},
    }};
    static const std::array<Item, 6> indexPopup = {{
        {"pmFullImg", "Open Image View", "", &TfrmCptMain::openViewer},
        {"pmSaveImg", "Save Image As...", "", &TfrmCptMain::mnuSaveImageClick},
        {"-", ""},
        {"pmDel", "Delete", "", &TfrmCptMain::mnuDeleteClick},
        {"pmCutIn", "Set to Cut In"},
        {"-", ""},
    }};
    buildMenuBar(this, menuBar(), mainMenu);
    QAction* toolBar = action("mnuToolbar");
    toolBar->setCheckable(true);
    toolBar->setChecked(true);

    PopupMenu1 = makeMenu(this, "PopupMenu1", "");
    addMenuItems(this, PopupMenu1, indexPopup);
    // Kept from the menu's design; it does nothing and is never shown.
    action("pmCutIn")->setVisible(false);
    PopupMenu1->actions().back()->setVisible(false);
}

// Looked up in the menus: a search of the whole window would walk every slot of the index,
// and the menu states are updated after every picture.
QAction* TfrmCptMain::action(const char* name) const
{
    QPointer<QAction>& known = actions_[name];
    if (!known)
        known = findAction(name);
    return known;
}

QAction* TfrmCptMain::findAction(const char* name) const
{
    if (QAction* item = menuBar()->findChild<QAction*>(name))
        return item;
    QAction* item = PopupMenu1 ? PopupMenu1->findChild<QAction*>(name) : nullptr;
    return item ? item : findChild<QAction*>(name);
}

void TfrmCptMain::connectControls()
{
    connect(pnlToolbar->btnOpen, &QToolButton::clicked, this, &TfrmCptMain::mnuOpenClick);
    connect(pnlToolbar->btnSave, &QToolButton::clicked, this, &TfrmCptMain::mnuSaveAsClick);
    connect(pnlToolbar->btnVCR, &QToolButton::clicked, this, &TfrmCptMain::mnuVCRClick);
    connect(pnlToolbar->btnEDS, &QToolButton::clicked, this, &TfrmCptMain::openViewer);
    connect(index, &AlbumIndex::menuStatesChanged, this, [this] {
        updateEmptyHint();
        updateMenuStates();
    });
    connect(index, &AlbumIndex::albumEmptied, this, &TfrmCptMain::updateCaption);
    connect(index, &AlbumIndex::viewerUsable, this, &TfrmCptMain::setViewerEnabled);
}

// Screen readers read a button's hint (or caption) and the index by its name.
void TfrmCptMain::nameControlsForScreenReaders()
{
    pnlToolbar->nameForScreenReaders(title);
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
    index->setBackColour(colour);
    lblEmptyHint->matchBackColour(colourOfValue(colour));
    if (frmFullImage)
        frmFullImage->setBackColour(colour);
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
    // Files handed in during the restore follow those of the command line.
    opens_->release(std::exchange(commandLine_, {}));
    updateCaption();
    album.deleteStaleSideFiles();
    scrollToEnd();
    restoreWindowPosition(profile, *this, true);
    setAcceptDrops(true);
    firstShowDone_ = true;
}

void TfrmCptMain::readSettings()
{
    const MainSettings stored = readMainSettings(profile, programFolder() + "/", slowTimer);
    album.setLastAlbumPath(stored.albumPath);
    lastImagePath_ = stored.imagePath;
    lastHtmlPath_ = stored.htmlPath;
    if (stored.backColor)
        setBackColor(*stored.backColor);
    slowTimer = stored.slowTimer;
    imageSettings = stored.image;
}

void TfrmCptMain::writeSettings()
{
    writeMainSettings(profile, {album.lastAlbumPath(), lastImagePath_, lastHtmlPath_, backColor_, slowTimer,
                                imageSettings});
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
        // An added picture has served the events already (the index's notice does).
        if (!album.restorePicture(file))
            QCoreApplication::processEvents();
    }
    index->showAllSlots();
    closeWait();
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
    return newAlbum();
}

// ---- messages ----

bool TfrmCptMain::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        if (message->number() == Msg::PictureCaptured)
            pictureCapturedMessage(message->wParam, message->lParam);
        else if (message->number() == Msg::IndexScroll)
            index->scrollBy(message->wParam);
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
    index->showAllSlots();
    scrollToEnd();
}

// The tool bar sees drags pass over it.
bool TfrmCptMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                       type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
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
    const QStringList paths = droppedFiles(*event->mimeData());
    event->acceptProposedAction();
    opens_->run(paths);
}

// ---- opening files ----

void TfrmCptMain::openFiles(const QStringList& paths)
{
    opens_->run(paths);
}

bool TfrmCptMain::addPictureFile(const std::string& path)
{
    const bool added = album.addPicture(path);
    QCoreApplication::processEvents();
    return added;
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
    opens_->run(paths);
    setWindowsEnabled(true);
}

// ---- new and save ----

void TfrmCptMain::mnuExitClick()
{
    close();
}

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
        if (save && !saved)
            return false;
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
        offered = equalsIgnoringCase(extensionOf(last), "zal") ? QString::fromStdString(last) : "NONAME.zal";
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

// ---- the index ----

int TfrmCptMain::clientWidth() const
{
    return centralWidget()->width();
}

void TfrmCptMain::scrollToEnd()
{
    layoutIndex();
    index->scrollToEnd();
}

void TfrmCptMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutIndex();
}

void TfrmCptMain::layoutIndex()
{
    const int width = clientWidth();
    pnlToolbar->setGeometry(0, 0, width, savedToolbarHeight_);
    pnlToolbar->setVisible(toolbarHeight_ > 0);
    index->setTop(toolbarHeight_);
    index->layoutIndex();
    pnlToolbar->raise();
    updateEmptyHint();

    pnlToolbar->placeLogo(width, language.isJapanese());
}

// The hint stands in the middle of the index area below the tool bar while it is empty.
void TfrmCptMain::updateEmptyHint()
{
    const int available = centralWidget()->height() - toolbarHeight_;
    lblEmptyHint->follow(album.count(), QRect(0, 0, clientWidth(), std::max(0, available)));
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
    pnlToolbar->btnEDS->setEnabled(enabled);
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
            editing.cursorKey(cursorKey, index->columnCount());
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

void TfrmCptMain::mnuSet1Click()
{
    showSettings(1);
}

void TfrmCptMain::mnuSetOpenClick()
{
    showSettings(5);
}

void TfrmCptMain::mnuBackColorClick()
{
    showSettings(4);
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
    NormalCursor normal;
    dialogs_->warn("MSG_OVER", title, messageText("MSG_OVER"));
}

} // namespace vantrel

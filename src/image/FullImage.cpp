#include "FullImage.h"

#include "image/TargetPath.h"
#include "i18n/Localiser.h"
#include "image/Dvf.h"
#include "image/Conversions.h"
#include "image/Dvf.h"
#include "image/ImageWindowsHost.h"
#include "image/ImageType.h"
#include "image/ImageWindowsText.h"
#include "image/BackColour.h"
#include "image/Clipboard.h"
#include "image/Resampling.h"
#include "image/ViewBtn.h"
#include "image/ViewerGlyphs.h"
#include "image/ViewerPaintBox.h"
#include "image/WholeFile.h"
#include "platform/Paths.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <filesystem>

namespace vantrel {

TfrmFullImage* frmFullImage = nullptr;

namespace {

constexpr QSize normalDisplaySize(768, 576);
constexpr int logoWidth = 209;
constexpr int logoHeight = 23;
constexpr int logoRightMargin = 20;
constexpr int logoHideWidth = 550;
constexpr int factsWidth = 300;
constexpr int minimumInterval = 100;
constexpr int previewRoomWidth = 720;
constexpr int previewRoomHeight = 576;
constexpr int lastEditorNumber = 99;

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

// In the order of navigationButtons.
struct ToolbarButton {
    QToolButton* TfrmFullImage::*field;
    Handler handler;
};

constexpr ToolbarButton toolbarButtons[] = {
    {&TfrmFullImage::btnFirst, &TfrmFullImage::btnFirstClick}, {&TfrmFullImage::btnPrev, &TfrmFullImage::btnPrevClick},
    {&TfrmFullImage::btnSS, &TfrmFullImage::btnSSClick},       {&TfrmFullImage::btnStop, &TfrmFullImage::btnStopClick},
    {&TfrmFullImage::btnNext, &TfrmFullImage::btnNextClick},   {&TfrmFullImage::btnLast, &TfrmFullImage::btnLastClick},
};

// An unknown format saves as JPEG, as the conversion treats it.
const SaveFormatRow& saveFormatRowOf(int format)
{
    const SaveFormatRow* row = saveFormatRow(format);
    return row ? *row : *saveFormatRow(saveAsJpeg);
}

QRect screenGeometry()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, normalDisplaySize.width(), normalDisplaySize.height());
}

// The largest 4:3 size the screen holds, in whole pixels.
QSize fullScreenDisplaySize()
{
    const QSize screen = screenGeometry().size();
    if (screen.height() / 3 < screen.width() / 4)
        return {screen.height() / 3 * 4, screen.height()};
    return {screen.width(), screen.width() / 4 * 3};
}

std::string editorFilePath(const char* extension)
{
    char name[16];
    for (int number = 0; number < lastEditorNumber; ++number) {
        std::snprintf(name, sizeof name, "NONAME%02d.%s", number, extension);
        if (!fileExists(programFile(name)))
            return programFile(name);
    }
    std::snprintf(name, sizeof name, "NONAME%02d.%s", lastEditorNumber, extension);
    return programFile(name);
}

QString realSaveDialog(QWidget* owner, const QString& folder, const QString& name,
                       const QString& filter, const QString& extension)
{
    QFileDialog dialog(owner, QString(), folder, filter);
    dialog.setObjectName("dlgSaveImage");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace

TfrmFullImage::TfrmFullImage(ImageWindowsHost& host, TfrmViewBtn& buttonBar,
                             const ImageSettings& settings, QWidget* parent)
    : QMainWindow(parent), host_(host), buttonBar_(buttonBar), settings_(settings)
{
    setObjectName("frmFullImage");
    saveDialog = [this](const QString& folder, const QString& name, const QString& filter,
                        const QString& extension) {
        return realSaveDialog(this, folder, name, filter, extension);
    };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    createControls();
    FormCreate();
}

void TfrmFullImage::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    createToolbar(client);

    ScrollBox1 = new QScrollArea(client);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->viewport()->installEventFilter(this);
    PaintBox1 = new ViewerPaintBox(bitmap_);
    PaintBox1->setObjectName("PaintBox1");
    PaintBox1->resize(normalDisplaySize);
    ScrollBox1->setWidget(PaintBox1);
    connect(PaintBox1, &ViewerPaintBox::pressed, this, &TfrmFullImage::stopSlideShow);

    imgPlay = new QLabel(this);
    imgPlay->setObjectName("imgPlay");
    imgPlay->setPixmap(viewerGlyph(ViewerGlyph::Play));
    imgPlay->hide();
    imgPlayL = new QLabel(this);
    imgPlayL->setObjectName("imgPlayL");
    imgPlayL->setPixmap(viewerGlyph(ViewerGlyph::Playing));
    imgPlayL->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    // A coarse timer may fire 5% late, which the minimum interval would feel.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TfrmFullImage::Timer1Timer);

    createMenus();
    createPictureMenu();
    createSharedKeys();
    client->installEventFilter(this);
}

void TfrmFullImage::createToolbar(QWidget* client)
{
    pnlToolbar = new QFrame(client);
    pnlToolbar->setObjectName("pnlToolbar");
    pnlToolbar->setFrameShape(QFrame::StyledPanel);
    int x = 4;
    for (size_t i = 0; i < std::size(toolbarButtons); ++i) {
        const ToolbarButton& look = toolbarButtons[i];
        QToolButton* button = newNavigationButton(pnlToolbar, navigationButtons[i]);
        button->setAutoRaise(true);
        button->move(x, 3);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, look.handler);
        this->*look.field = button;
        // Gaps set the slide-show pair apart.
        x += navigationButtonSize + (look.field == &TfrmFullImage::btnPrev || look.field == &TfrmFullImage::btnStop ? 8 : 0);
    }
    lblFacts = new QLabel(pnlToolbar);
    lblFacts->setObjectName("lblFacts");
    lblFacts->setGeometry(x + 8, 0, factsWidth, toolbarHeight_);
    lblFacts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (bool japanese : {false, true}) {
        auto* logo = new QPushButton(pnlToolbar);
        logo->setObjectName(japanese ? "btnLogoJpn" : "btnLogoEng");
        logo->setIcon(viewerLogo(japanese));
        logo->setIconSize({logoWidth, logoHeight});
        logo->setFlat(true);
        logo->setEnabled(false);
        logo->resize(logoWidth, logoHeight);
        (japanese ? btnLogoJpn : btnLogoEng) = logo;
    }
}

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

namespace {

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

void TfrmFullImage::FormCreate()
{
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_VIEWER"));
    lblFacts->setAccessibleName(textForKey("TX_FACTS"));
    toolbarHeight_ = 41;
    pnlToolbar->setFixedHeight(toolbarHeight_);
    PaintBox1->resize(normalDisplaySize);
    setBackColour(host_.backColour());
    const bool wideScreen = screenGeometry().width() > 640;
    for (const char* name : {"mnuFullScreen", "pumFullScreen"})
        action(name)->setEnabled(wideScreen);
    connect(&buttonBar_, &TfrmViewBtn::slideShowStopKey, this, &TfrmFullImage::stopSlideShow);
    const std::pair<QToolButton*, Handler> shared[] = {
        {buttonBar_.btnFirst, &TfrmFullImage::btnFirstClick}, {buttonBar_.btnPrev, &TfrmFullImage::btnPrevClick},
        {buttonBar_.btnSS, &TfrmFullImage::btnSSClick},       {buttonBar_.btnStop, &TfrmFullImage::btnStopClick},
        {buttonBar_.btnNext, &TfrmFullImage::btnNextClick},   {buttonBar_.btnLast, &TfrmFullImage::btnLastClick},
    };
    for (const auto& [button, handler] : shared)
        connect(button, &QToolButton::clicked, this, handler);
    resize(normalDisplaySize.width(), normalDisplaySize.height() + toolbarHeight_);
    layoutWindow();
    nameControlsForAccessibility(this);
}

void TfrmFullImage::setBackColour(uint32_t colour)
{
    QPalette colours = ScrollBox1->palette();
    colours.setColor(QPalette::Window, colourOfValue(colour));
    ScrollBox1->setPalette(colours);
    ScrollBox1->setBackgroundRole(QPalette::Window);
    ScrollBox1->viewport()->setPalette(colours);
    ScrollBox1->viewport()->setBackgroundRole(QPalette::Window);
    ScrollBox1->viewport()->setAutoFillBackground(true);
}

// ---- Show image ----

bool TfrmFullImage::decodePlace(int place, PictureRecord& record)
{
    record.path = host_.album().sideFilePath(place);
    if (!readPictureFile(record))
        return false;
    serviceEvents();
    // A frame that does not decode leaves the shown picture as it was.
    FrameBitmap decoded;
    if (decodeIntoBitmap(record, decoded, false, correctionModeOf(settings_.ViewRev)) != dvcOk)
        return false;
    serviceEvents();
    bitmap_ = std::move(decoded);
    return true;
}

// The shown picture's time code and, when its frame has one, its recording date.
void TfrmFullImage::showFacts(const PictureRecord& record)
{
    QString facts = QString::fromStdString(record.timeCode);
    if (record.recorded)
        facts += "    " + textForKey("TX_RECORDED") + " " +
                 QString::fromStdString(recordingDateText(*record.recorded));
    lblFacts->setText(facts);
}

bool TfrmFullImage::showImage(int place)
{
    if (busy_)
        return false;
    busy_ = true;
    HourGlass hourGlass;
    PictureRecord record;
    const bool shown = place >= 1 && decodePlace(place, record);
    if (shown) {
        const bool wide = record.wide;
        showFacts(record);
        displaySize_ = normalOrFullDisplaySize();
        sizePaintBox(wide);
        if (wide != shownWide_ || relayout_) {
            shownWide_ = wide;
            relayout_ = false;
            fitWindowToPicture();
        }
        PaintBox1->update();
        currentPlace_ = place;
        setCaptions();
        serviceEvents();
    }
    busy_ = false;
    return shown;
}

bool TfrmFullImage::openAt(int place)
{
    if (!showImage(place))
        return false;
    if (isMinimized())
        showNormal();
    else if (!isVisible())
        show();
    return true;
}

QSize TfrmFullImage::normalOrFullDisplaySize() const
{
    return fullScreenSize_ ? fullScreenDisplaySize() : normalDisplaySize;
}

void TfrmFullImage::sizePaintBox(bool wide)
{
    const int height = displaySize_.height();
    PaintBox1->resize(wide ? height / 9 * 16 : displaySize_.width(), height);
}

void TfrmFullImage::setCaptions()
{
    const QString place = QString("%1").arg(currentPlace_, 2, 10, QChar('0'));
    setWindowTitle(textForKey("TI_VIEWER") + " [" + place + "]");
    buttonBar_.setWindowTitle(textForKey("TI_BTN") + " [" + place + "]");
}

// The window takes the picture's size (within the screen) and is laid out again.
void TfrmFullImage::fitWindowToPicture()
{
    ++relayouts_;
    if (!isMaximized() && !isFullScreen()) {
        const QSize room = screenGeometry().size();
        const QSize client(PaintBox1->width(), toolbarShown() * toolbarHeight_ + PaintBox1->height());
        const QSize wanted = size() - centralWidget()->size() + client;
        resize(wanted.boundedTo(room));
    }
    layoutWindow();
}

bool TfrmFullImage::toolbarShown() const
{
    return toolbarShown_;
}

void TfrmFullImage::layoutWindow()
{
    const QSize client = centralWidget()->size();
    const int toolbar = toolbarShown() && !windowFullScreen_ ? toolbarHeight_ : 0;
    pnlToolbar->setVisible(toolbar > 0);
    pnlToolbar->setGeometry(0, 0, client.width(), toolbar);
    const bool logos = client.width() > logoHideWidth;
    const QPoint logoAt(client.width() - logoRightMargin - logoWidth, (toolbarHeight_ - logoHeight) / 2);
    btnLogoEng->move(logoAt);
    btnLogoJpn->move(logoAt);
    const bool japanese = languageTable().isJapanese();
    btnLogoEng->setVisible(logos && !japanese);
    btnLogoJpn->setVisible(logos && japanese);
    ScrollBox1->setGeometry(0, toolbar, client.width(), std::max(client.height() - toolbar, 0));
}

// ---- Navigation ----

int TfrmFullImage::pictureCount() const
{
    return host_.album().count();
}

void TfrmFullImage::btnFirstClick()
{
    stopSlideShow();
    if (pictureCount() > 0)
        showImage(1);
}

void TfrmFullImage::btnPrevClick()
{
    stopSlideShow();
    if (pictureCount() > 0 && currentPlace_ > 1)
        showImage(currentPlace_ - 1);
}

void TfrmFullImage::btnNextClick()
{
    stopSlideShow();
    if (pictureCount() > 0 && currentPlace_ < pictureCount())
        showImage(currentPlace_ + 1);
}

void TfrmFullImage::btnLastClick()
{
    stopSlideShow();
    if (pictureCount() > 0)
        showImage(pictureCount());
}

// Space and Backspace never stop a running show: they step it and it goes on from there.
void TfrmFullImage::spaceKeyPress()
{
    if (slideShowRunning())
        stepSlideShow(1);
    else
        btnNextClick();
}

void TfrmFullImage::backspaceKeyPress()
{
    if (slideShowRunning())
        stepSlideShow(-1);
    else
        btnPrevClick();
}

void TfrmFullImage::stepSlideShow(int step)
{
    const int count = pictureCount();
    if (count == 0)
        return;
    const int place = (currentPlace_ - 1 + step + count) % count + 1;
    Timer1->stop();
    if (!showImage(place)) {
        stopSlideShow();
        return;
    }
    if (!stop_)
        Timer1->start(slideShowInterval());
}

// ---- Slide show ----

int TfrmFullImage::slideShowInterval() const
{
    if (settings_.IntervalMin == 1 || settings_.IntervalTime == 0)
        return minimumInterval;
    return settings_.IntervalTime * 1000;
}

bool TfrmFullImage::slideShowRunning() const
{
    return Timer1->isActive();
}

void TfrmFullImage::btnSSClick()
{
    if (pictureCount() < 2)
        return;
    if (Timer1->isActive())
        stopSlideShow();
    host_.closeController();
    setSaveAndCopyEnabled(false);
    stop_ = false;
    Timer1->start(slideShowInterval());
    setSlideShowGlyph(true);
}

void TfrmFullImage::btnStopClick()
{
    stopSlideShow();
}

void TfrmFullImage::stopSlideShow()
{
    setSaveAndCopyEnabled(true);
    stop_ = true;
    // No tick is due any more; one that is running sees the flag and does not restart.
    Timer1->stop();
    setSlideShowGlyph(false);
}

void TfrmFullImage::Timer1Timer()
{
    Timer1->stop();
    if (pictureCount() == 0) {
        stopSlideShow();
        return;
    }
    if (stop_) {
        stop_ = false;
        return;
    }
    const int next = currentPlace_ >= pictureCount() ? 1 : currentPlace_ + 1;
    if (!showImage(next)) {
        stopSlideShow();
        return;
    }
    serviceEvents();
    if (!stop_)
        Timer1->start(slideShowInterval());
}

void TfrmFullImage::setSlideShowGlyph(bool running)
{
    const QIcon glyph(running ? imgPlayL->pixmap() : imgPlay->pixmap());
    btnSS->setIcon(glyph);
    buttonBar_.btnSS->setIcon(glyph);
}

void TfrmFullImage::setSaveAndCopyEnabled(bool enabled)
{
    action("mnuSaveImage")->setEnabled(enabled);
    action("mnuCopy")->setEnabled(enabled);
}

void TfrmFullImage::mnuEditClick()
{
    action("mnuOpenEdit")->setEnabled(settings_.Format != saveAsDvf);
    stopSlideShow();
}

// ---- Size and toggles ----

void TfrmFullImage::mnuSize0Click(int tag)
{
    const bool full = tag == 2;
    setChecked({"mnuNormal", "pumNormal"}, !full);
    setChecked({"mnuFullScreen", "pumFullScreen"}, full);
    fullScreenSize_ = full;
    displaySize_ = normalOrFullDisplaySize();
    sizePaintBox(shownWide_);
    layoutWindow();
    if (currentPlace_ > 0)
        showImage(currentPlace_);
}

void TfrmFullImage::mnuToolBarClick()
{
    // Both items show the state; the one triggered has already toggled its own mark.
    const bool shown = !toolbarShown_;
    toolbarShown_ = shown;
    setChecked({"mnuToolBar", "pumToolBar"}, shown);
    if (shown)
        buttonBar_.hide();
    else
        showButtonBar();
    toggled_ = true;
    layoutWindow();
}

void TfrmFullImage::mnuBrdrClick()
{
    const bool border = !border_;
    border_ = border;
    setChecked({"mnuBrdr", "pumBrdr"}, border);
    toggled_ = true;
    const bool visible = isVisible();
    menuBar()->setVisible(border && !windowFullScreen_);
    setWindowFlag(Qt::FramelessWindowHint, !border);
    if (visible)
        show();
    layoutWindow();
}

// ---- Full screen (F11) ----

void TfrmFullImage::fullScreenKeyPress()
{
    if (windowFullScreen_)
        leaveWindowFullScreen();
    else
        enterWindowFullScreen();
}

void TfrmFullImage::escapeKeyPress()
{
    stopSlideShow();
    if (windowFullScreen_)
        leaveWindowFullScreen();
}

// The picture takes the whole screen at the Full Screen size, without menu and tool bar.
void TfrmFullImage::enterWindowFullScreen()
{
    windowFullScreen_ = true;
    fullScreenSizeBefore_ = fullScreenSize_;
    menuBar()->hide();
    showFullScreen();
    mnuSize0Click(2);
}

void TfrmFullImage::leaveWindowFullScreen()
{
    windowFullScreen_ = false;
    menuBar()->setVisible(border_);
    showNormal();
    mnuSize0Click(fullScreenSizeBefore_ ? 2 : 1);
}

void TfrmFullImage::showButtonBar()
{
    buttonBar_.placeBeside(frameGeometry());
    buttonBar_.show();
}

// ---- Save, copy, editor ----

std::string TfrmFullImage::convertCurrentPlace(const std::string& path, bool ask)
{
    const TargetPathCheck check = targetPathCheckWith(host_.prompts());
    const bool converted = saveTellingFailure(check, host_.prompts(), [&](const TargetPathCheck& asked) {
        return convertPictureFile(host_.album().sideFilePath(currentPlace_), path, settings_.Format, ask,
                                  settings_, asked);
    });
    return converted ? path : std::string();
}

void TfrmFullImage::mnuSaveImageClick()
{
    if (currentPlace_ < 1)
        return;
    const std::string last = host_.lastSavePath();
    const std::string folder = folderExists(folderOf(last)) ? folderOf(last) : programFolder();
    const SaveFormatRow& text = saveFormatRowOf(settings_.Format);
    const QString extension = QString::fromLatin1(text.extension);
    const QString name = QString("lum%1.%2").arg(currentPlace_, 2, 10, QChar('0')).arg(extension);
    const QString filter = textForKey(text.filterKey) + QString(" (*.%1)").arg(extension);
    const QString chosen = saveDialog(QString::fromStdString(folder), name, filter, extension);
    if (chosen.isEmpty())
        return;
    serviceEvents();
    if (!convertCurrentPlace(chosen.toStdString(), true).empty())
        host_.setLastSavePath(chosen.toStdString());
    PaintBox1->update();
}

void TfrmFullImage::mnuCopyClick()
{
    if (currentPlace_ < 1)
        return;
    host_.closeController();
    showImage(currentPlace_);
    HourGlass hourGlass;
    setEnabled(false);
    copyAspectToClipboard(bitmap_, shownWide_);
    setEnabled(true);
}

void TfrmFullImage::mnuOpenEditClick()
{
    if (settings_.Format == saveAsDvf || currentPlace_ < 1)
        return;
    host_.closeController();
    HourGlass hourGlass;
    const std::string path = convertCurrentPlace(editorFilePath(saveFormatRowOf(settings_.Format).extension), true);
    if (!path.empty())
        openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

// ---- Preview ----

namespace {

// "preview.bmp" into a frame bitmap with room for any preview; only a 24-bit picture that
// fits the block is taken. The file is deleted whatever it held.
bool readPreviewBitmap(const std::string& path, FrameBitmap& bitmap)
{
    if (!bitmap.setUp(previewRoomWidth, previewRoomHeight))
        return false;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    uint8_t fileHeader[bitmapFileHeaderBytes];
    const size_t room = bitmap.blockBytes;
    const bool read = std::fread(fileHeader, 1, sizeof fileHeader, file.get()) == sizeof fileHeader &&
                      std::fread(bitmap.header(), 1, room, file.get()) > 0 && std::feof(file.get());
    file.reset();
    std::error_code error;
    std::filesystem::remove(path, error);
    const uint8_t* info = bitmap.header();
    auto word = [info](int offset) {
        return static_cast<int>(info[offset] | info[offset + 1] << 8 | info[offset + 2] << 16 |
                                static_cast<uint32_t>(info[offset + 3]) << 24);
    };
    const int width = word(4);
    const int height = word(8);
    if (!read || word(0) != bitmapInfoHeaderBytes || (info[14] | info[15] << 8) != 24 || width <= 0 ||
        height <= 0 || static_cast<size_t>((width * 3 + 3) & ~3) * height + bitmapInfoHeaderBytes > room)
        return false;
    bitmap.setSize(width, height);
    return true;
}

} // namespace

void TfrmFullImage::previewReady()
{
    HourGlass hourGlass;
    FrameBitmap preview;
    if (!readPreviewBitmap(programFile("preview.bmp"), preview))
        return;
    bitmap_ = std::move(preview);
    PaintBox1->resize(bitmap_.width, bitmap_.height);
    if (isMinimized())
        showNormal();
    else if (!isVisible())
        show();
    layoutWindow();
    PaintBox1->update();
    relayout_ = true;
}

// ---- Window events ----

bool TfrmFullImage::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event); message && message->number() == Msg::PreviewReady) {
        previewReady();
        return true;
    }
    return QMainWindow::event(event);
}

bool TfrmFullImage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        layoutWindow();
    else if (watched == ScrollBox1->viewport() &&
             (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        stopSlideShow();
    else if (event->type() == QEvent::KeyPress && stopsSlideShow(*static_cast<QKeyEvent*>(event)))
        stopSlideShow();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmFullImage::keyPressEvent(QKeyEvent* event)
{
    if (stopsSlideShow(*event))
        stopSlideShow();
    QMainWindow::keyPressEvent(event);
}

void TfrmFullImage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        stopSlideShow();
    QMainWindow::changeEvent(event);
}

void TfrmFullImage::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (!toolbarShown())
        showButtonBar();
    if (toggled_) {
        toggled_ = false;
        return;
    }
    host_.restoreWindowPosition(*this, true);
    if (isMinimized()) {
        buttonBar_.hide();
        stopSlideShow();
    }
}

void TfrmFullImage::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        host_.saveWindowPosition(*this);
    QMainWindow::hideEvent(event);
}

void TfrmFullImage::closeEvent(QCloseEvent* event)
{
    if (windowFullScreen_)
        leaveWindowFullScreen();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    buttonBar_.hide();
    stopSlideShow();
    QMainWindow::closeEvent(event);
}

} // namespace vantrel

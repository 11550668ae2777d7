#include "AvCtl.h"

#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "platform/WindowPosition.h"
#include "capture/AutoRun.h"
#include "control/TransportArt.h"
#include "control/Wait.h"
#include "i18n/Localiser.h"
#include "link/Monitor.h"
#include "platform/Profile.h"
#include "link/Quobdev.h"
#include "platform/Paths.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

namespace vantrel {

TfrmAvCtl* frmAvCtl = nullptr;

namespace {

constexpr int clientWidth = 250;
constexpr int clientHeight = 140;
const QColor counterOn(0x00, 0xFF, 0xFF);
const QColor counterOff(0x80, 0x80, 0x80);

enum LightIndex : size_t { Rev, Play, FF, SlowR, Pause, Slow, Stop };

// The lights of one state code: REV, PLAY (2 lit for reverse), FF, SLOWR, PAUSE, SLOW, STOP,
// and whether Capture and Auto Capture go off.
struct LightRow {
    uint8_t code;
    std::array<int, 7> lights;
    bool captureOff;
};

constexpr LightRow lightRows[] = {
    {VtrState::Zero, {0, 0, 0, 0, 0, 0, 1}, true},
    {VtrState::Stop, {0, 0, 0, 0, 0, 0, 1}, true},
    {VtrState::FastForward, {0, 0, 1, 0, 0, 0, 0}, true},
    {VtrState::Rewind, {1, 0, 0, 0, 0, 0, 0}, true},
    {VtrState::Pause, {0, 0, 0, 0, 1, 0, 0}, false},
    {VtrState::Play, {0, 1, 0, 0, 0, 0, 0}, false},
    {VtrState::ReversePlay, {0, 2, 0, 0, 0, 0, 0}, false},
    {VtrState::SlowForward, {0, 1, 0, 0, 0, 1, 0}, false},
    {VtrState::SlowReverse, {0, 2, 0, 1, 0, 0, 0}, false},
    {VtrState::SearchForward, {0, 1, 1, 0, 0, 0, 0}, false},
    {VtrState::SearchReverse, {1, 2, 0, 0, 0, 0, 0}, false},
};

// The kind of a state code, its low four bits.
uint8_t kindOf(uint8_t code)
{
    return code & 0x0F;
}

const LightRow* lightRowOf(uint8_t code)
{
    for (const LightRow& row : lightRows)
        if (row.code == code)
            return &row;
    return nullptr;
}

bool playLikeOrPause(uint8_t code)
{
    return kindOf(code) == VtrState::Play || code == VtrState::Pause;
}

// Paused, playing or reverse playing: the search keys search instead of winding.
bool moving(uint8_t code)
{
    const uint8_t kind = kindOf(code);
    return kind == VtrState::Pause || kind == VtrState::Play || kind == VtrState::ReversePlay;
}

QIcon pictureIcon(const char* resource)
{
    return QIcon(transportPicture(resource));
}

} // namespace

TfrmAvCtl::TfrmAvCtl(CProfile& profile, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                              | Qt::WindowCloseButtonHint),
      profile_(profile), session_(profile)
{
    setObjectName("frmAvCtl");
    setWindowTitle("VCR Controller");
    createControls();
    createMenus();
    connectControls();
    localise(languageTable(), this);
    nameControlsForScreenReaders();
    session_.vtr.state = VtrState::Unknown;
    session_.vtr.SetNotifyWindow(this);
}

TfrmAvCtl::~TfrmAvCtl()
{
    session_.vtr.SetNotifyWindow(nullptr);
    session_.stopLink();
    if (frmAvCtl == this)
        frmAvCtl = nullptr;
}

QToolButton* TfrmAvCtl::makeButton(QWidget* client, const char* name, const QRect& place,
                                   const char* picture)
{
    auto* button = new QToolButton(client);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setIcon(pictureIcon(picture));
    button->setIconSize(transportPicture(picture).size());
    return button;
}

void TfrmAvCtl::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName("pnlClient");
    client->setFixedSize(clientWidth, clientHeight);
    setCentralWidget(client);

    pnlCounter = new QLabel(" 00:00:00:00", client);
    pnlCounter->setObjectName("pnlCounter");
    pnlCounter->setGeometry(6, 6, 183, 25);
    pnlCounter->setAutoFillBackground(true);
    pnlCounter->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlCounter->setAlignment(Qt::AlignCenter);
    // Courier New's stand-in, plain.
    QFont counterFont(QStringLiteral("Liberation Mono"));
    counterFont.setStyleHint(QFont::Monospace);
    counterFont.setPixelSize(15);
    counterFont.setWeight(QFont::Normal);
    pnlCounter->setFont(counterFont);
    setCounterColour(counterOff);

    auto* powerPanel = new QFrame(client);
    powerPanel->setObjectName("pnlPower");
    powerPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    powerPanel->setGeometry(196, 4, 48, 29);
    pnlPower = powerPanel;
    btnPower = makeButton(powerPanel, "btnPower", {2, 2, 44, 25}, "POWEROFF");

    createTransportGrid(client);
    btnCapt = makeButton(client, "btnCapt", {200, 42, 41, 41}, "CAPT");
    btnAuto = makeButton(client, "btnAuto", {200, 92, 41, 41}, "AUTO");
    btnCapt->setEnabled(false);
    btnAuto->setEnabled(false);
    for (QToolButton* button : {btnPower, btnCapt, btnAuto})
        button->setFocusPolicy(Qt::StrongFocus);

    TimerCpt = new QTimer(this);
    TimerCpt->setObjectName("TimerCpt");
    TimerCpt->setInterval(3000);
    TimerSlow = new QTimer(this);
    TimerSlow->setObjectName("TimerSlow");
    TimerSlow->setInterval(300);
    TimerReopen = new QTimer(this);
    TimerReopen->setObjectName("TimerReopen");
    TimerReopen->setInterval(DeviceSession::reopenIntervalMs);
}

void TfrmAvCtl::createTransportGrid(QWidget* client)
{
    constexpr int columns[] = {6, 66, 136};
    constexpr int widths[] = {58, 68, 53};
    constexpr int rows[] = {38, 72, 106};
    constexpr int height = 31;
    struct Cell {
        QToolButton** button;
        const char* name;
        const char* picture;
    };
    const Cell cells[3][3] = {
        {{&btnRev, "btnRev", "REVG"}, {&btnPlay, "btnPlay", "PLAYG"}, {&btnFF, "btnFF", "FFG"}},
        {{&btnSlowR, "btnSlowR", "SLOWRG"}, {&btnPause, "btnPause", "PAUSEG"}, {&btnSlow, "btnSlow", "SLOWG"}},
        {{&btnStepR, "btnStepR", "STEPR"}, {&btnStop, "btnStop", "STOPG"}, {&btnStep, "btnStep", "STEP"}},
    };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const Cell& cell = cells[row][column];
            *cell.button = makeButton(client, cell.name, {columns[column], rows[row], widths[column], height},
                                      cell.picture);
            (*cell.button)->setFocusPolicy(Qt::ClickFocus);
            transportButtons_.push_back(*cell.button);
        }
    lights_ = {{{btnRev, "REVG", "REVL"}, {btnPlay, "PLAYG", "PLAYL"}, {btnFF, "FFG", "FFL"},
                {btnSlowR, "SLOWRG", "SLOWRL"}, {btnPause, "PAUSEG", "PAUSEL"},
                {btnSlow, "SLOWG", "SLOWL"}, {btnStop, "STOPG", "STOPL"}}};
}

void TfrmAvCtl::createMenus()
{
    static const std::array<MenuColumn<TfrmAvCtl, 3>, 5> controllerMenu = {{
        {"mnuFile", "&File", {{{"mnuClose", "&Close", "", &TfrmAvCtl::mnuCloseClick}}}},
        {"mnuSet", "&Setup", {{{"mnuCapt", "&Capture"}}}},
        {"mnuDev", "&Devices", {}, &TfrmAvCtl::mnuDevClick},
        {"mnuWindow", "&Window",
         {{{"mnuTop", "&Always On Top", "", &TfrmAvCtl::mnuTopClick},
           {"mnuMon", "&Quob Monitor", "", &TfrmAvCtl::mnuMonClick}}}},
        {"mnuHelp", "&Help",
         {{{"mnuCont", "&Contents", "F1", &TfrmAvCtl::mnuContClick},
           {"mnuKeyword", "&Keyword", "", &TfrmAvCtl::mnuKeywordClick},
           {"mnuAbout", "&About Vantrel", "", &TfrmAvCtl::mnuAboutClick}}}},
    }};
    buildMenuBar(this, menuBar(), controllerMenu);
    for (auto [field, name] : {std::pair{&mnuClose, "mnuClose"}, {&mnuCapt, "mnuCapt"}, {&mnuDev, "mnuDev"},
                               {&mnuTop, "mnuTop"}, {&mnuMon, "mnuMon"}, {&mnuCont, "mnuCont"},
                               {&mnuKeyword, "mnuKeyword"}, {&mnuAbout, "mnuAbout"}})
        *field = findChild<QAction*>(name);
    findChild<QMenu*>("mnuSet")->menuAction()->setVisible(false);
    mnuTop->setCheckable(true);
    mnuMon->setVisible(false);
}

void TfrmAvCtl::mnuCloseClick()
{
    close();
}

void TfrmAvCtl::mnuContClick()
{
    if (mainWindow_)
        mainWindow_->mnuContClick();
}

void TfrmAvCtl::mnuKeywordClick()
{
    if (mainWindow_)
        mainWindow_->mnuKeywordClick();
}

void TfrmAvCtl::mnuAboutClick()
{
    if (mainWindow_)
        mainWindow_->mnuAboutClick();
}

void TfrmAvCtl::connectControls()
{
    buttonActions_ = {
        {btnPlay, [this] { sendTransport(VtrState::Play); }},
        {btnPause, [this] { sendTransport(VtrState::Pause); }},
        {btnStop, [this] { sendTransport(VtrState::Stop); }},
        {btnSlow, [this] { sendTransport(VtrState::SlowForward); }},
        {btnSlowR, [this] { sendTransport(VtrState::SlowReverse); }},
        {btnFF, [this] { btnFFClick(); }},
        {btnRev, [this] { btnRevClick(); }},
        {btnStep, [this] { stepClick(true); }},
        {btnStepR, [this] { stepClick(false); }},
        {btnPower, [this] { btnPowerClick(); }},
    };
    for (const auto& [button, action] : buttonActions_)
        connect(button, &QToolButton::clicked, this, action);
    connect(btnCapt, &QToolButton::clicked, this, &TfrmAvCtl::btnCaptClick);
    connect(btnAuto, &QToolButton::clicked, this, &TfrmAvCtl::btnAutoClick);
    connect(TimerCpt, &QTimer::timeout, this, &TfrmAvCtl::TimerCptTimer);
    connect(TimerSlow, &QTimer::timeout, this, &TfrmAvCtl::TimerSlowTimer);
    connect(TimerReopen, &QTimer::timeout, this, &TfrmAvCtl::TimerReopenTimer);
    for (QToolButton* button : transportButtons_)
        button->installEventFilter(this);
    btnPower->installEventFilter(this);
    btnAuto->installEventFilter(this);
}

// Screen readers read each button's hint; Play keeps its hint out of sight.
void TfrmAvCtl::nameControlsForScreenReaders()
{
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAccessibleName(button->toolTip());
    btnPlay->setToolTip(QString());
    pnlCounter->setAccessibleName(textForKey("TI_DVCTL"));
}

void TfrmAvCtl::setCounterColour(const QColor& colour)
{
    QPalette colours = pnlCounter->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, colour);
    pnlCounter->setPalette(colours);
}

int TfrmAvCtl::lightOf(const QToolButton* button) const
{
    for (const Light& light : lights_)
        if (light.button == button)
            return light.tag;
    return 0;
}

void TfrmAvCtl::setMainWindow(TfrmCptMain* window)
{
    mainWindow_ = window;
    session_.setAlbum(window);
    // The main window's questions and warnings, as they are when the check runs.
    session_.setSideFileCheck([this](const std::string& path, const std::string& extension,
                                     uint64_t bytes, bool ask) {
        return mainWindow_ ? targetPathCheck(path, extension, bytes, ask, mainWindow_->dialogs()) : path;
    });
}

void TfrmAvCtl::setWaitDialog(TfrmWait* dialog)
{
    wait_ = dialog;
}

bool TfrmAvCtl::sendTransport(uint8_t code)
{
    if (!session_.vtr.SetState(code, false))
        return false;
    showState(code);
    return true;
}

void TfrmAvCtl::setTransportEnabled(bool enabled)
{
    for (QToolButton* button : transportButtons_)
        button->setEnabled(enabled);
    if (!enabled)
        setCaptureEnabled(false);
    transportEnabled_ = enabled;
    session_.vtr.state = VtrState::Unknown;
}

void TfrmAvCtl::setCaptureEnabled(bool enabled)
{
    btnCapt->setEnabled(enabled);
    btnAuto->setEnabled(enabled);
}

void TfrmAvCtl::setLight(size_t index, int value)
{
    Light& light = lights_[index];
    if (light.tag == value)
        return;
    light.button->setIcon(pictureIcon(value == 0 ? light.unlit : value == 2 ? "PLAYRL" : light.lit));
    light.tag = value;
}

void TfrmAvCtl::showState(uint8_t code)
{
    if (code == shownState_ || !transportEnabled_)
        return;
    if (const LightRow* row = lightRowOf(code)) {
        for (size_t i = 0; i < lights_.size(); ++i)
            setLight(i, row->lights[i]);
        if (row->captureOff)
            setCaptureEnabled(false);
    }
    if (!playLikeOrPause(shownState_) && playLikeOrPause(code) && !session_.vtr.autoCaptureRunning()
        && !TimerCpt->isActive())
        TimerCpt->start();
    shownState_ = code;
}

void TfrmAvCtl::TimerCptTimer()
{
    TimerCpt->stop();
    setCaptureEnabled(true);
}

void TfrmAvCtl::showPower(bool on)
{
    btnPower->setIcon(pictureIcon(on ? "POWERON" : "POWEROFF"));
    setTransportEnabled(on);
    setCounterColour(on ? counterOn : counterOff);
    if (on)
        return;
    for (size_t i = 0; i < lights_.size(); ++i)
        setLight(i, 0);
    shownState_ = VtrState::Unknown;
}

// The poll thread's notice; each flag is taken before its value is read, so a change that
// arrives meanwhile brings another notice.
void TfrmAvCtl::statusChangedMessage()
{
    if (takeLineLoss()) {
        warnUser("MSG_LINELOST", textForKey("MSG_LINELOST"));
        return;
    }
    QuobVtr& vtr = session_.vtr;
    if (vtr.timeCodeChanged.exchange(0))
        pnlCounter->setText(QString::fromStdString(vtr.timeCodeText()));
    if (vtr.powerChanged.exchange(0))
        showPower(vtr.power != 0);
    if (vtr.stateChanged.exchange(0)) {
        if (autoCaptureWindow && autoCaptureWindow->isVisible())
            postMessage(autoCaptureWindow, Msg::StatusChanged);
        showState(vtr.state);
    }
}

bool TfrmAvCtl::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        if (message->number() == Msg::StatusChanged) {
            statusChangedMessage();
            return true;
        }
    }
    return QMainWindow::event(event);
}

// The line hung up: the window shows no device and tries the same path every two seconds.
bool TfrmAvCtl::takeLineLoss()
{
    if (!session_.takeLineLoss())
        return false;
    showLineLost();
    TimerReopen->start();
    return true;
}

void TfrmAvCtl::showLineLost()
{
    showPower(false);
    btnPower->setEnabled(false);
    pnlCounter->setText(QStringLiteral(" --:--:--:--"));
}

void TfrmAvCtl::TimerReopenTimer()
{
    if (!isVisible() || !session_.lineLost()) {
        TimerReopen->stop();
        return;
    }
    if (!session_.reopenLostLine())
        return;
    TimerReopen->stop();
    btnPower->setEnabled(session_.powerSwitchable());
}

void TfrmAvCtl::btnFFClick()
{
    sendTransport(moving(session_.vtr.state) ? VtrState::SearchForward : VtrState::FastForward);
}

void TfrmAvCtl::btnRevClick()
{
    sendTransport(moving(session_.vtr.state) ? VtrState::SearchReverse : VtrState::Rewind);
}

// A frame step the device refuses becomes a moment of slow motion, then pause.
void TfrmAvCtl::stepClick(bool forward)
{
    if (session_.vtr.Step(forward))
        return;
    sendTransport(forward ? VtrState::SlowForward : VtrState::SlowReverse);
    TimerSlow->start();
}

void TfrmAvCtl::TimerSlowTimer()
{
    TimerSlow->stop();
    sendTransport(VtrState::Pause);
}

void TfrmAvCtl::btnPowerClick()
{
    session_.sys.Power(session_.vtr.power == 0, true);
}

// A key runs its button's action even while the button is disabled; the link still refuses
// what it cannot send.
void TfrmAvCtl::transportAction(QToolButton* button)
{
    for (const auto& [owner, action] : buttonActions_)
        if (owner == button)
            action();
}

// The numeric keypad laid out like the button grid.
bool TfrmAvCtl::keypadKey(int key)
{
    QToolButton* const pad[] = {btnStepR, btnStop, btnStep, btnSlowR, btnPause,
                                btnSlow, btnRev, btnPlay, btnFF};
    if (key < Qt::Key_1 || key > Qt::Key_9)
        return false;
    transportAction(pad[key - Qt::Key_1]);
    return true;
}

bool TfrmAvCtl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto* button = static_cast<QToolButton*>(watched);
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier)
        return button != btnAuto && (transportAction(button), true);
    if (key->modifiers() & Qt::KeypadModifier)
        return keypadKey(key->key());
    return false;
}

QObject* TfrmAvCtl::waitDialog()
{
    return wait_;
}

bool TfrmAvCtl::stopRequested()
{
    return wait_ && wait_->abortRequested;
}

void TfrmAvCtl::clearStopRequest()
{
    if (wait_)
        wait_->abortRequested = false;
}

void TfrmAvCtl::stopLink()
{
    session_.stopLink();
    showPower(false);
}

void TfrmAvCtl::startLink(int deviceId)
{
    if (session_.startLink(deviceId))
        btnPower->setEnabled(session_.powerSwitchable());
}

void TfrmAvCtl::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmAvCtl::FormShow()
{
    const QFileInfo marker(QString::fromStdString(programFile("debug.")));
    mnuMon->setVisible(marker.isFile());
    restoreWindowPosition(profile_, *this, false);
    if (frmMonitor) {
        frmMonitor->setPacketObject(&session_.io);
        session_.io.SetMonitorWindow(frmMonitor);
    }
    setWindowTitle(textForKey("TI_DVCTL"));
    // The port and the device may take a modal dialog: after the window has appeared.
    QMetaObject::invokeMethod(this, &TfrmAvCtl::openLinkOnShow, Qt::QueuedConnection);
}

// The saved port and device, else the device list's choice.
void TfrmAvCtl::openLinkOnShow()
{
    if (!isVisible() || session_.linkStarted())
        return;
    const int rate = session_.savedRateIndex();
    if (deviceList_)
        deviceList_->rateIndex = rate;
    session_.cpt.rateIndex = rate;
    int deviceId = session_.openSavedPort() ? session_.identifySavedDevice() : 0;
    if (deviceId == 0)
        deviceId = chooseDevice();
    startLink(deviceId);
}

// The device list's choice; a list closed with Cancel leaves the device selected before.
int TfrmAvCtl::chooseDevice()
{
    if (!deviceList_)
        return 0;
    deviceList_->exec();
    if (!deviceList_->cancelled)
        session_.selectedEntry = deviceList_->selectedEntry;
    session_.cpt.rateIndex = deviceList_->rateIndex;
    return session_.selectedEntry.id;
}

void TfrmAvCtl::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        saveWindowPosition(profile_, *this);
    QMainWindow::hideEvent(event);
}

void TfrmAvCtl::closeEvent(QCloseEvent* event)
{
    TimerReopen->stop();
    stopLink();
    session_.closeLink();
    QMainWindow::closeEvent(event);
}

void TfrmAvCtl::mnuDevClick()
{
    TimerReopen->stop();
    session_.forgetLostLine();
    stopLink();
    startLink(chooseDevice());
}

void TfrmAvCtl::mnuTopClick()
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, mnuTop->isChecked());
    if (wasVisible)
        show();
}

void TfrmAvCtl::mnuMonClick()
{
    if (frmMonitor)
        frmMonitor->show();
}

void TfrmAvCtl::warnUser(std::string_view key, const QString& text)
{
    if (mainWindow_)
        mainWindow_->dialogs().warn(key, textForKey("TI_MAIN"), text);
    else
        QMessageBox::warning(this, textForKey("TI_MAIN"), text);
}

// A full album takes no picture; one whose side file had no room would be lost after its
// whole transfer (the room check has told the user).
bool TfrmAvCtl::refuseCapture()
{
    const PictureRoom room = session_.roomForCapture();
    if (room == PictureRoom::albumFull)
        warnUser("MSG_OVER", textForKey("MSG_OVER"));
    return room != PictureRoom::free;
}

void TfrmAvCtl::btnCaptClick()
{
    if (refuseCapture())
        return;
    stopLink();
    capture();
    if (!session_.lineLost())
        startLink(session_.vtr.deviceId);
}

bool TfrmAvCtl::capture()
{
    const int outcome = session_.capture(*this);
    tellCaptureOutcome(outcome);
    return pictureDelivered(outcome);
}

// A capture that ended because the line hung up says both, in one message.
void TfrmAvCtl::tellCaptureOutcome(int outcome)
{
    CaptureMessage message = DeviceSession::outcomeMessage(outcome);
    if (takeLineLoss())
        message.text += "\n" + textForKey("MSG_LINELOST");
    if (!message.key.empty())
        warnUser(message.key, message.text);
}

void TfrmAvCtl::btnAutoClick()
{
    if (refuseCapture())
        return;
    sendTransport(VtrState::Pause);
    if (runAutoCaptureDialog && runAutoCaptureDialog())
        setCaptureEnabled(false);
}

} // namespace vantrel

#include "Wait.h"

#include "platform/WindowPosition.h"
#include "i18n/LanguageTable.h"
#include "i18n/Localiser.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"
#include "platform/Widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace vantrel {

TfrmWait* frmWait = nullptr;

namespace {

constexpr QSize clientSize(252, 96);
constexpr intptr_t noTitle = 0;
constexpr intptr_t keepTitle = -1;
constexpr intptr_t focusStop = 1;

// A blue bar on the button face, as the gauge always looked.
constexpr const char* gaugeStyle = "QProgressBar { background: palette(button); border: none; }"
                                   "QProgressBar::chunk { background: #0000FF; }";

} // namespace

TfrmWait::TfrmWait(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint)
{
    setObjectName("frmWait");
    createControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("MB_TI_CLOSE"));
}

void TfrmWait::createControls()
{
    setFixedSize(clientSize);
    setCursor(Qt::WaitCursor);

    Image1 = makeLabel(this, "Image1", QString(), {8, 8, 32, 32});
    lblWait = makeLabel(this, "lblWait", "Please wait...", {48, 10, 196, 18});

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(48, 34, 196, 20);

    Gauge1 = new QProgressBar(Panel1);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setTextVisible(false);
    Gauge1->setStyleSheet(gaugeStyle);
    Gauge1->setGeometry(1, 1, 194, 18);

    btnAbort = makePushButton(this, "btnAbort", "Stop", {88, 62, 76, 26});
    btnAbort->setCursor(Qt::ArrowCursor);
    connect(btnAbort, &QPushButton::clicked, this, &TfrmWait::btnAbortClick);
}

void TfrmWait::setGuardedWindows(const std::vector<QWidget*>& windows)
{
    guarded_.clear();
    for (QWidget* window : windows)
        guarded_.push_back({window, true});
}

void TfrmWait::showWithTitle(const QString& title, bool gaugeVisible, bool stopVisible)
{
    setWindowTitle(title);
    Panel1->setVisible(gaugeVisible);
    btnAbort->setVisible(stopVisible);
    showDialog();
}

void TfrmWait::setGaugeVisible(bool visible)
{
    Panel1->setVisible(visible);
}

void TfrmWait::setProgress(int percent)
{
    Gauge1->setValue(std::clamp(percent, 0, 100));
}

void TfrmWait::closeIfVisible()
{
    if (shown_)
        FormClose();
}

void TfrmWait::showDialog()
{
    // A second show while up changes only title and controls: the windows' states were
    // remembered by the first, and remembering them again would keep them disabled.
    if (!shown_)
        FormShow();
    show();
    raise();
    activateWindow();
    serviceEvents();
}

void TfrmWait::FormShow()
{
    abortRequested = false;
    for (GuardedWindow& guarded : guarded_) {
        if (!guarded.window)
            continue;
        guarded.enabled = guarded.window->isEnabled();
        if (guarded.window->isVisible())
            guarded.window->setEnabled(false);
    }
    centreOnScreen(*this);
    shown_ = true;
    serviceEvents();
}

void TfrmWait::FormClose()
{
    hide();
    for (const GuardedWindow& guarded : guarded_)
        if (guarded.window)
            guarded.window->setEnabled(guarded.enabled);
    btnAbort->setEnabled(true);
    shown_ = false;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    serviceEvents();
}

void TfrmWait::btnAbortClick()
{
    abortRequested = true;
    closeIfVisible();
}

bool TfrmWait::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        handleMessage(*message);
        return true;
    }
    return QDialog::event(event);
}

void TfrmWait::handleMessage(WindowMessage& message)
{
    switch (message.number()) {
    case Msg::WaitClose:
        closeIfVisible();
        break;
    case Msg::WaitShow:
        WaitShowMessage(message.wParam, message.lParam);
        break;
    case Msg::WaitStopEnabled:
        WaitStopEnabledMessage(message.wParam);
        break;
    case Msg::WaitPercent:
        setProgress(static_cast<int>(message.wParam));
        serviceEvents();
        break;
    default:
        break;
    }
}

void TfrmWait::WaitShowMessage(intptr_t title, intptr_t flags)
{
    if (title != noTitle && title != keepTitle)
        setWindowTitle(*reinterpret_cast<const QString*>(title));
    Panel1->setVisible(flags & WaitShowFlag::Gauge);
    if (flags & WaitShowFlag::Gauge)
        Gauge1->setValue(0);
    btnAbort->setVisible(flags & WaitShowFlag::Stop);
    btnAbort->setEnabled(!(flags & WaitShowFlag::StopDisabled));
    showDialog();
}

void TfrmWait::WaitStopEnabledMessage(intptr_t enabled)
{
    btnAbort->setEnabled(enabled != 0);
    if (enabled == focusStop)
        btnAbort->setFocus();
}

void TfrmWait::closeEvent(QCloseEvent* event)
{
    // Only the operation (or Stop) closes the dialog.
    event->ignore();
}

void TfrmWait::reject()
{
}

} // namespace vantrel

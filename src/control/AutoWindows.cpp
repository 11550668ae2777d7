#include "control/AutoWindows.h"

#include "control/AvCtl.h"
#include "control/Wait.h"
#include "i18n/LanguageTable.h"
#include "platform/WindowMessage.h"

#include <QMetaObject>
#include <QThread>

#include <functional>

namespace vantrel {

namespace {

// Runs `work` on the thread of `window` and returns when it is done.
void onWindowThread(QObject* window, const std::function<void()>& work)
{
    if (window->thread() == QThread::currentThread())
        work();
    else
        QMetaObject::invokeMethod(window, work, Qt::BlockingQueuedConnection);
}

} // namespace

AutoRunWindows::AutoRunWindows(TfrmAvCtl& controller, TfrmWait* waitDialog)
    : controller_(controller), wait_(waitDialog)
{
}

bool AutoRunWindows::sendTransport(uint8_t code)
{
    if (controller_.thread() == QThread::currentThread())
        return controller_.sendTransport(code);
    if (!controller_.session().vtr.SetState(code, false))
        return false;
    QMetaObject::invokeMethod(&controller_, [this, code] { controller_.showState(code); },
                              Qt::QueuedConnection);
    return true;
}

// The capture runs here, on the poll thread that owns the line; a failure is told by the
// controller on its own thread, without holding the run up.
bool AutoRunWindows::capture()
{
    const int outcome = controller_.session().capture(*this);
    QMetaObject::invokeMethod(&controller_, [this, outcome] { controller_.tellCaptureOutcome(outcome); },
                              Qt::QueuedConnection);
    return pictureDelivered(outcome);
}

int AutoRunWindows::pictureCount()
{
    CaptureAlbum* album = controller_.session().album();
    return album ? album->pictureCount() : 0;
}

bool AutoRunWindows::waitShowing()
{
    return wait_ && wait_->shown();
}

void AutoRunWindows::showWait()
{
    const QString title = textForKey("MB_TI_AUTO");
    sendMessage(wait_, Msg::WaitShow, reinterpret_cast<intptr_t>(&title), WaitShowFlag::Stop);
}

void AutoRunWindows::closeWait()
{
    sendMessage(wait_, Msg::WaitClose);
}

std::atomic<bool>& AutoRunWindows::abortFlag()
{
    return wait_ ? wait_->abortRequested : noDialogAbort_;
}

QObject* AutoRunWindows::waitDialog()
{
    return wait_;
}

void AutoRunWindows::setControllerEnabled(bool enabled)
{
    onWindowThread(&controller_, [&] { controller_.setTransportEnabled(enabled); });
}

} // namespace vantrel

#include "SimulatedLine.h"

#include "platform/WindowMessage.h"

#include <QCoreApplication>

namespace vantrel::test {

bool MessageRecorder::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event)) {
        messages.push_back({message->number(), message->wParam, message->lParam});
        return true;
    }
    return QObject::event(event);
}

void deliverPosted()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace vantrel::test

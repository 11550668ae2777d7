#include "WindowMessage.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vantrel {

namespace {

// The reply slot of a message sent across threads.
struct Reply {
    std::mutex mutex;
    std::condition_variable done;
    bool handled = false;
    intptr_t result = 0;
};

// A queued message whose destruction, after delivery or when its receiver dies, wakes the
// sender: Qt deletes every posted event once it has been dispatched or discarded.
class BlockingMessage : public WindowMessage {
public:
    BlockingMessage(int number, intptr_t w, intptr_t l, std::shared_ptr<Reply> reply)
        : WindowMessage(number, w, l), reply_(std::move(reply)) {}
    ~BlockingMessage() override
    {
        std::lock_guard lock(reply_->mutex);
        reply_->result = result;
        reply_->handled = true;
        reply_->done.notify_all();
    }

private:
    std::shared_ptr<Reply> reply_;
};

} // namespace

WindowMessage::WindowMessage(int number, intptr_t w, intptr_t l)
    : QEvent(static_cast<QEvent::Type>(number)), wParam(w), lParam(l)
{
}

void postMessage(QObject* receiver, int number, intptr_t wParam, intptr_t lParam)
{
    if (receiver)
        QCoreApplication::postEvent(receiver, new WindowMessage(number, wParam, lParam));
}

intptr_t sendMessage(QObject* receiver, int number, intptr_t wParam, intptr_t lParam)
{
    if (!receiver)
        return 0;
    if (receiver->thread() == QThread::currentThread()) {
        WindowMessage message(number, wParam, lParam);
        QCoreApplication::sendEvent(receiver, &message);
        return message.result;
    }
    auto reply = std::make_shared<Reply>();
    QCoreApplication::postEvent(receiver, new BlockingMessage(number, wParam, lParam, reply));
    std::unique_lock lock(reply->mutex);
    reply->done.wait(lock, [&] { return reply->handled; });
    return reply->result;
}

WindowMessage* asWindowMessage(QEvent* event)
{
    const int type = static_cast<int>(event->type());
    const bool inRange = type >= Msg::User && type <= QEvent::MaxUser;
    return inRange ? dynamic_cast<WindowMessage*>(event) : nullptr;
}

NoticeTarget::~NoticeTarget()
{
    set(nullptr);
}

void NoticeTarget::set(QObject* window)
{
    std::lock_guard lock(mutex_);
    QObject::disconnect(gone_);
    window_ = window;
    if (window)
        gone_ = QObject::connect(window, &QObject::destroyed, [this, window] { forget(window); });
}

void NoticeTarget::forget(QObject* window)
{
    std::lock_guard lock(mutex_);
    if (window_ == window)
        window_ = nullptr;
}

QObject* NoticeTarget::get() const
{
    std::lock_guard lock(mutex_);
    return window_;
}

bool NoticeTarget::post(int number, intptr_t wParam, intptr_t lParam) const
{
    std::lock_guard lock(mutex_);
    postMessage(window_, number, wParam, lParam);
    return window_ != nullptr;
}

} // namespace vantrel

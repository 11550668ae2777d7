#pragma once
#include <QEvent>
#include <QObject>
#include <cstdint>
#include <mutex>

namespace vantrel {

// The numbered window messages: the user message base 1024 plus an offset.
namespace Msg {
constexpr int User = 1024;
constexpr int MonitorNotice = User + 100;      // 1124: port's last error, exchange result
constexpr int StatusChanged = User + 103;      // 1127: transport status changed
constexpr int WaitClose = User + 108;          // 1132
constexpr int WaitShow = User + 110;           // 1134: caption, flags
constexpr int PreviewReady = User + 111;       // 1135
constexpr int PictureCaptured = User + 115;    // 1139: place, number of pictures
constexpr int WaitStopEnabled = User + 119;    // 1143: non-zero enables Stop
constexpr int WaitPercent = User + 120;        // 1144: percentage
constexpr int IndexScroll = 52772;
} // namespace Msg

// The lParam bits of Msg::WaitShow.
namespace WaitShowFlag {
constexpr intptr_t Stop = 1;          // the Stop button shows
constexpr intptr_t Gauge = 2;         // the gauge shows
constexpr intptr_t StopDisabled = 4;  // Stop shows disabled until Msg::WaitStopEnabled
} // namespace WaitShowFlag

// A window message: its number is the event type, with the two parameters of the message.
class WindowMessage : public QEvent {
public:
    WindowMessage(int number, intptr_t wParam, intptr_t lParam);
    int number() const { return static_cast<int>(type()); }
    intptr_t wParam;
    intptr_t lParam;
    intptr_t result = 0; // what a receiver of a sent message answers
};

// Queues the message for the receiver's thread and returns at once.
void postMessage(QObject* receiver, int number, intptr_t wParam = 0, intptr_t lParam = 0);

// Delivers the message and returns the receiver's result. On the receiver's own thread it is
// delivered directly; from another thread it is queued and the caller blocks until the
// receiver's thread has handled it (or dropped it, when the receiver went away).
intptr_t sendMessage(QObject* receiver, int number, intptr_t wParam = 0, intptr_t lParam = 0);

// The window message that `event` is, or null for any other event.
WindowMessage* asWindowMessage(QEvent* event);

// A window that another thread posts notices to. The window leaves by itself when it is
// destroyed, and a post cannot reach a window that is going away.
class NoticeTarget {
public:
    NoticeTarget() = default;
    ~NoticeTarget();
    NoticeTarget(const NoticeTarget&) = delete;
    NoticeTarget& operator=(const NoticeTarget&) = delete;

    void set(QObject* window); // null clears
    QObject* get() const;
    explicit operator bool() const { return get() != nullptr; }
    // Posts to the window set; false when there is none.
    bool post(int number, intptr_t wParam = 0, intptr_t lParam = 0) const;

private:
    void forget(QObject* window);

    mutable std::mutex mutex_;
    QObject* window_ = nullptr;
    QMetaObject::Connection gone_;
};

} // namespace vantrel

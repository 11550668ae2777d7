#pragma once
#include "album/IndexEditing.h"

#include <QCursor>
#include <QPointF>

class QMouseEvent;
class QWidget;

namespace vantrel {

class TfrmCptMain;

// Dragging inside the index by tracking the mouse: a left press on a thumbnail or its panels
// (or on the empty index area) starts a drag, moves past the start distance drag over what is
// under the pointer, and the release drops there; a click is a picture dropped onto itself.
// Which control receives the events does not matter: the pointer's position says where they
// act, as under a grab the pressed control receives them all.
class IndexDragging {
public:
    // Events on a control of no slot, such as the tool bar.
    static constexpr int notInIndex = -1;

    IndexDragging(TfrmCptMain& window, IndexEditing& editing);
    ~IndexDragging();
    IndexDragging(const IndexDragging&) = delete;
    IndexDragging& operator=(const IndexDragging&) = delete;

    // An event on a control of slot `place`, on the empty index area (0) or elsewhere
    // (notInIndex).
    void mouseEvent(int place, QWidget* control, QMouseEvent* event);
    bool dragging() const { return source_ != noDrag; }
    // The drag cursors 10 and 11.
    const QCursor& cursorOf(DragCursor cursor) const;

private:
    enum class Over { nothing, picture, index, toolbar };
    struct Target {
        Over over = Over::nothing;
        int place = 0;
    };
    static constexpr int noDrag = -2;

    Target targetAt(const QPointF& global) const;
    void press(int place, QWidget* control, QMouseEvent* event);
    void move(int place, QMouseEvent* event);
    void release(QMouseEvent* event);
    void hover(int place, QMouseEvent* event);
    void dragOver(const Target& target, QMouseEvent* event);
    void drop(const Target& target);
    void dropOnIndex();
    void showCursor(DragCursor cursor);
    void autoScroll(const QPointF& global);

    TfrmCptMain& window_;
    IndexEditing& editing_;
    QCursor moving_;
    QCursor copying_;
    int source_ = noDrag;
    QPointF pressedAt_;
    bool pastStartDistance_ = false;
    DragCursor shown_ = DragCursor::normal;
};

} // namespace vantrel

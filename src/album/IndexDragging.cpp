#include "IndexDragging.h"

#include "album/AlbumSlot.h"
#include "album/Cptmain.h"
#include "album/ToolbarArt.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

namespace vantrel {

namespace {

constexpr Qt::KeyboardModifiers editingKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

IndexDragging::IndexDragging(TfrmCptMain& window, IndexEditing& editing)
    : window_(window), editing_(editing), moving_(dragCursor("CURIMG")), copying_(dragCursor("CURIMGP"))
{
}

IndexDragging::~IndexDragging()
{
    showCursor(DragCursor::normal);
}

const QCursor& IndexDragging::cursorOf(DragCursor cursor) const
{
    static const QCursor arrow(Qt::ArrowCursor);
    return cursor == DragCursor::moving ? moving_ : cursor == DragCursor::copying ? copying_ : arrow;
}

void IndexDragging::mouseEvent(int place, QWidget* control, QMouseEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the toolkit's double click is a press here
        press(place, control, event);
        break;
    case QEvent::MouseMove:
        move(place, event);
        break;
    case QEvent::MouseButtonRelease:
        if (event->button() == Qt::LeftButton)
            release(event);
        break;
    default:
        break;
    }
}

// The labels start no drag: a left press on them selects nothing.
void IndexDragging::press(int place, QWidget* control, QMouseEvent* event)
{
    if (place == notInIndex)
        return;
    if (event->button() == Qt::RightButton && place >= 1) {
        editing_.rightButtonDown(place);
        if (window_.album.place(place).selected)
            window_.slotAt(place)->setPopupMenu(window_.PopupMenu1);
        return;
    }
    if (event->button() != Qt::LeftButton || qobject_cast<QLabel*>(control))
        return;
    source_ = place;
    pressedAt_ = event->globalPosition();
    pastStartDistance_ = false;
}

void IndexDragging::move(int place, QMouseEvent* event)
{
    if (!dragging()) {
        if (place >= 1)
            hover(place, event);
        return;
    }
    if (!pastStartDistance_) {
        const QPointF moved = event->globalPosition() - pressedAt_;
        if (moved.manhattanLength() < QApplication::startDragDistance())
            return;
        pastStartDistance_ = true;
    }
    dragOver(targetAt(event->globalPosition()), event);
}

// The popup menu goes with the selected pictures only.
void IndexDragging::hover(int place, QMouseEvent* event)
{
    const Qt::KeyboardModifiers keys = event->modifiers() & editingKeys;
    editing_.takeDragModeOfMove(keys == Qt::ControlModifier, keys == Qt::ShiftModifier,
                                event->buttons() != Qt::NoButton);
    if (AlbumSlot* slot = window_.slotAt(place))
        slot->setPopupMenu(window_.album.place(place).selected ? window_.PopupMenu1 : nullptr);
}

void IndexDragging::release(QMouseEvent* event)
{
    if (!dragging())
        return;
    const Target target = targetAt(event->globalPosition());
    dragOver(target, event);
    showCursor(DragCursor::normal);
    drop(target);
    source_ = noDrag;
}

IndexDragging::Target IndexDragging::targetAt(const QPointF& global) const
{
    QWidget* central = window_.centralWidget();
    QWidget* under = central->childAt(central->mapFromGlobal(global.toPoint()));
    for (QWidget* control = under; control && control != central; control = control->parentWidget()) {
        if (auto* slot = dynamic_cast<AlbumSlot*>(control))
            return slot->place() <= window_.album.count() ? Target{Over::picture, slot->place()} : Target{};
        if (control == window_.ScrollBox1)
            return {Over::index, 0};
        if (control == window_.pnlToolbar)
            return {Over::toolbar, 0};
    }
    return {};
}

// Only drags of a picture act on pictures and the index; any drag over the tool bar commits
// the highlight.
void IndexDragging::dragOver(const Target& target, QMouseEvent* event)
{
    if (target.over == Over::toolbar) {
        editing_.takeSelectionFromHighlight();
        return;
    }
    if (target.over == Over::nothing || source_ < 1)
        return;
    const Qt::KeyboardModifiers keys = event->modifiers();
    editing_.takeDragModeOfKeys(keys & Qt::ControlModifier, keys & Qt::ShiftModifier);
    const DragCursor cursor = target.over == Over::picture ? editing_.dragOverPicture(target.place, source_)
                                                           : editing_.dragOverIndex(source_);
    showCursor(cursor);
    if (cursor != DragCursor::normal)
        autoScroll(event->globalPosition());
}

void IndexDragging::drop(const Target& target)
{
    if (target.over == Over::index) {
        dropOnIndex();
    } else if (target.over == Over::picture && source_ >= 1) {
        if (target.place != source_)
            editing_.dropOnPicture(target.place, source_);
        else if (editing_.click(target.place))
            window_.openViewer();
    }
}

void IndexDragging::dropOnIndex()
{
    if (source_ >= 1 && window_.album.place(source_).selected)
        window_.runDisabled([this] { editing_.dropOnIndex(source_); });
    else
        editing_.dropOnIndex(source_);
}

void IndexDragging::showCursor(DragCursor cursor)
{
    if (cursor == shown_)
        return;
    if (shown_ == DragCursor::normal)
        QApplication::setOverrideCursor(cursorOf(cursor));
    else if (cursor == DragCursor::normal)
        QApplication::restoreOverrideCursor();
    else
        QApplication::changeOverrideCursor(cursorOf(cursor));
    shown_ = cursor;
}

// The index scrolls by one small step while the pointer stands at its top or bottom edge.
void IndexDragging::autoScroll(const QPointF& global)
{
    QScrollBar* bar = window_.ScrollBar1;
    if (bar->isHidden())
        return;
    const int y = window_.ScrollBox1->mapFromGlobal(global).toPoint().y();
    const int top = window_.ScrollBox1->y();
    const int step = bar->singleStep();
    if (window_.toolbarHeight_ - top + 1 >= y && bar->value() - step >= 0)
        bar->setValue(bar->value() - step);
    else if (y >= window_.centralWidget()->height() - top - 1 && bar->value() + step <= bar->maximum())
        bar->setValue(bar->value() + step);
}

} // namespace vantrel

#include "AlbumIndex.h"

#include "image/BackColour.h"
#include "image/Dvf.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace vantrel {

namespace {

constexpr int lastPlace = albumMaxPictures;
constexpr int scrollSmallChange = 8;
constexpr int scrollLargeAmount = 200;
constexpr int wheelNotch = 120;

int columnsFor(int width)
{
    return std::max(1, (width - 105) / AlbumIndex::slotPitch + 1);
}

int neededHeight(int pictures, int columns)
{
    return (pictures + columns - 1) / columns * AlbumIndex::slotPitch + AlbumIndex::slotMargin;
}

QPoint slotPosition(int place, int columns)
{
    return {((place - 1) % columns) * AlbumIndex::slotPitch + AlbumIndex::slotMargin,
            ((place - 1) / columns) * AlbumIndex::slotPitch + AlbumIndex::slotMargin};
}

double screenDotsPerInch(const QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96;
}

bool isMouseEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
           type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
}

} // namespace

AlbumIndex::AlbumIndex(Album& album, SlotMouseHandler& mouse, QWidget* parent)
    : QWidget(parent), album_(album), mouse_(mouse)
{
    setObjectName("AlbumIndex");
    ScrollBox1 = new QWidget(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setAutoFillBackground(true);
    ScrollBox1->installEventFilter(this);
    // Grown a row at a time while pictures come in: only the new part needs painting.
    ScrollBox1->setAttribute(Qt::WA_StaticContents);

    ScrollBar1 = new QScrollBar(Qt::Vertical, this);
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar1->setSingleStep(scrollSmallChange);
    ScrollBar1->setPageStep(slotPitch);
    ScrollBar1->hide();
    connect(ScrollBar1, &QScrollBar::valueChanged, this,
            [this](int position) { moveIndexTop(top_ - position); });
}

void AlbumIndex::setBackColour(uint32_t colour)
{
    QPalette colours = ScrollBox1->palette();
    colours.setColor(QPalette::Window, colourOfValue(colour));
    ScrollBox1->setPalette(colours);
}

AlbumSlot* AlbumIndex::slotAt(int place) const
{
    return place >= 1 && place <= lastPlace ? slots_[static_cast<size_t>(place)] : nullptr;
}

// ---- the album's notices ----

void AlbumIndex::pictureAdded(int place)
{
    placeSlot(place, false);
    showPicture(place);
    emit menuStatesChanged();
    eventServing_.serveIfDue();
}

void AlbumIndex::placeChanged(int place)
{
    placeSlot(place, true);
    showPicture(place);
}

void AlbumIndex::showPicture(int place)
{
    AlbumSlot* slot = slotAt(place);
    if (!slot)
        return;
    const AlbumPlace& picture = album_.place(place);
    slot->setThumbnail(picture.thumbnail);
    slot->setTimeCode(QString::fromStdString(picture.timeCode));
    slot->highlight(picture.highlighted);
}

void AlbumIndex::hideSlot(AlbumSlot& slot)
{
    slot.showSlot(false);
    slot.highlight(false);
}

void AlbumIndex::placesRemoved(int count)
{
    for (int place = count + 1; place <= lastPlace; ++place)
        if (AlbumSlot* slot = slotAt(place)) {
            hideSlot(*slot);
            slot->setPopupMenu(nullptr);
        }
    if (count == 0)
        emit viewerUsable(false);
    layoutIndex();
    emit menuStatesChanged();
}

void AlbumIndex::highlightChanged(int place)
{
    if (AlbumSlot* slot = slotAt(place))
        slot->highlight(album_.place(place).highlighted);
}

void AlbumIndex::albumCleared()
{
    for (AlbumSlot* slot : slots_)
        if (slot)
            hideSlot(*slot);
    emit albumEmptied();
    emit viewerUsable(false);
    layoutIndex();
    emit menuStatesChanged();
}

void AlbumIndex::albumStateChanged()
{
    for (int place = 1; place <= album_.count(); ++place)
        if (AlbumSlot* slot = slotAt(place))
            slot->highlight(album_.place(place).highlighted);
    emit menuStatesChanged();
}

// ---- slots and rows ----

void AlbumIndex::placeSlot(int place, bool visible)
{
    if (place < 1 || place > lastPlace)
        return;
    const int columns = indexColumns(std::max(place, album_.count()), parentWidget()->size()).columns;
    AlbumSlot*& slot = slots_[static_cast<size_t>(place)];
    if (!slot) {
        slot = new AlbumSlot(ScrollBox1, screenDotsPerInch(*this));
        slot->setPlace(place);
        slot->setTimeCode(QString::fromLatin1(invalidTimeCode));
        slot->setMouseHandler(&mouse_);
    }
    const QPoint at = slotPosition(place, columns);
    slot->move(at);
    if (ScrollBox1->height() < at.y() + slotPitch)
        ScrollBox1->resize(ScrollBox1->width(), at.y() + slotPitch);
    slot->showSlot(visible);
    if (visible)
        scrollToEnd();
    if (album_.count() == 1)
        emit viewerUsable(true);
}

void AlbumIndex::showAllSlots()
{
    for (int place = 1; place <= album_.count(); ++place)
        if (AlbumSlot* slot = slotAt(place))
            slot->showSlot(true);
    layoutIndex();
}

void AlbumIndex::scrollToEnd()
{
    layoutIndex();
    if (ScrollBar1->isHidden())
        return;
    ScrollBar1->setValue(ScrollBar1->maximum());
    moveIndexTop(top_ - ScrollBar1->value());
}

// The bar shows when the rows of the whole width do not fit; only then is its width kept
// free, and the fewer columns beside it need as much height or more, so the bar stays. The
// answer depends on the size and the count alone and cannot flip from one layout to the next.
AlbumIndex::Columns AlbumIndex::indexColumns(int pictures, QSize client) const
{
    const int available = client.height() - top_;
    const int wide = columnsFor(client.width());
    if (neededHeight(pictures, wide) < available)
        return {wide, false};
    return {columnsFor(client.width() - ScrollBar1->sizeHint().width()), true};
}

void AlbumIndex::layoutIndex()
{
    setGeometry(parentWidget()->rect());
    const int barWidth = ScrollBar1->sizeHint().width();
    const auto [columns, barShown] = indexColumns(album_.count(), size());
    const int available = height() - top_;
    const int needed = neededHeight(album_.count(), columns);

    if (columns != columns_) {
        columns_ = columns;
        for (int place = 1; place <= album_.count(); ++place)
            if (AlbumSlot* slot = slotAt(place))
                slot->move(slotPosition(place, columns));
    }
    ScrollBar1->setGeometry(width() - barWidth, top_, barWidth, std::max(0, available));
    if (!barShown) {
        ScrollBox1->setGeometry(0, top_, width(), available);
        ScrollBar1->setValue(0);
        ScrollBar1->hide();
    } else {
        ScrollBox1->resize(width(), needed);
        const int maximum = needed - available;
        ScrollBar1->setMaximum(maximum);
        ScrollBar1->setPageStep(2 * available < needed ? available : maximum);
        moveIndexTop(top_ - ScrollBar1->value());
        ScrollBar1->show();
    }
    ScrollBar1->raise();
}

void AlbumIndex::moveIndexTop(int top)
{
    ScrollBox1->move(0, top);
}

// ---- scrolling ----

bool AlbumIndex::event(QEvent* event)
{
    if (WindowMessage* message = asWindowMessage(event); message && message->number() == Msg::IndexScroll) {
        scrollBy(message->wParam);
        return true;
    }
    return QWidget::event(event);
}

void AlbumIndex::scrollBy(intptr_t amount)
{
    if (ScrollBar1->isHidden())
        return;
    const int small = ScrollBar1->singleStep();
    const int large = ScrollBar1->pageStep();
    if (amount > 0)
        ScrollBar1->setValue(ScrollBar1->value() - (amount >= scrollLargeAmount ? large : small));
    else
        ScrollBar1->setValue(ScrollBar1->value() + (amount <= -scrollLargeAmount ? large : small));
}

// The wheel over the index becomes the scroll message with its angle as the amount, once for
// each line a notch scrolls, so one notch moves the index as far as in other programs. Fine
// steps (touch pads) add up to whole notches.
void AlbumIndex::sendWheelAsScroll(QWheelEvent* wheel)
{
    wheelAngle_ += wheel->angleDelta().y();
    while (std::abs(wheelAngle_) >= wheelNotch) {
        const int notch = wheelAngle_ > 0 ? wheelNotch : -wheelNotch;
        for (int line = 0; line < std::max(1, QApplication::wheelScrollLines()); ++line)
            sendMessage(this, Msg::IndexScroll, notch);
        wheelAngle_ -= notch;
    }
}

// The slot area takes the wheel and the drags that start on its background (place 0).
bool AlbumIndex::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScrollBox1 && event->type() == QEvent::Wheel) {
        sendWheelAsScroll(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (watched == ScrollBox1 && isMouseEvent(event->type())) {
        mouse_.slotMouseEvent(0, ScrollBox1, static_cast<QMouseEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vantrel

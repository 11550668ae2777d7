#include "IndexEditing.h"

#include "album/Album.h"

#include <algorithm>
#include <chrono>

namespace vantrel {

namespace {

int64_t steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

IndexEditing::IndexEditing(Album& album) : clock(steadyMilliseconds), album_(album) {}

void IndexEditing::takeDragModeOfMove(bool ctrl, bool shift, bool otherKeysOrButtons)
{
    if (otherKeysOrButtons || ctrl == shift)
        dragMode_ = dragPlain;
    else
        dragMode_ = ctrl ? dragCopy : dragShift;
}

void IndexEditing::takeDragModeOfKeys(bool ctrl, bool shift)
{
    dragMode_ = ctrl ? dragCopy : shift ? dragShift : dragPlain;
}

bool IndexEditing::selected(int p) const
{
    return p >= 1 && p <= album_.count() && album_.place(p).selected;
}

void IndexEditing::highlightRange(int a, int b)
{
    const int lo = std::min(a, b);
    const int hi = std::max(a, b);
    for (int p = 1; p <= album_.count(); ++p)
        album_.setHighlighted(p, p >= lo && p <= hi);
}

void IndexEditing::takeSelectionFromHighlight()
{
    for (int p = 1; p <= album_.count(); ++p)
        if (album_.place(p).selected != album_.place(p).highlighted)
            album_.setSelected(p, album_.place(p).highlighted);
}

void IndexEditing::rightButtonDown(int p)
{
    if (p < 1 || p > album_.count() || selected(p))
        return;
    for (int q = 1; q <= album_.count(); ++q)
        if (selected(q))
            album_.setSelected(q, false);
    highlightRange(p, p);
    album_.setSelected(p, true);
    anchor_ = p;
}

bool IndexEditing::click(int p)
{
    if (p < 1 || p > album_.count())
        return false;
    if (dragMode_ == dragShift)
        highlightRange(anchor_, p);
    else if (dragMode_ == dragCopy)
        album_.setHighlighted(p, !selected(p));
    else
        anchor_ = p;
    takeSelectionFromHighlight();
    const int64_t now = clock();
    const bool second = lastClickPlace_ == p && now - lastClickMs_ < doubleClickMs;
    lastClickPlace_ = second ? 0 : p;
    lastClickMs_ = now;
    return second;
}

DragCursor IndexEditing::cursorOfSelectedDrag() const
{
    return dragMode_ == dragCopy ? DragCursor::copying : DragCursor::moving;
}

DragCursor IndexEditing::dragOverPicture(int p, int s)
{
    if (selected(s))
        return cursorOfSelectedDrag();
    if (dragMode_ == dragPlain && s >= 1 && p >= 1 && p <= album_.count())
        highlightRange(p, s);
    return DragCursor::normal;
}

DragCursor IndexEditing::dragOverIndex(int s)
{
    return selected(s) ? cursorOfSelectedDrag() : DragCursor::normal;
}

void IndexEditing::dropOnPicture(int t, int s)
{
    if (s < 1 || t < 1 || t > album_.count() || s == t)
        return;
    if (!selected(s)) {
        takeSelectionFromHighlight();
        return;
    }
    if (dragMode_ == dragCopy)
        copyBefore(t);
    else
        moveBefore(t);
}

void IndexEditing::dropOnIndex(int s)
{
    if (s < 1) {
        clearAllFlags();
    } else if (!selected(s)) {
        takeSelectionFromHighlight();
    } else if (dragMode_ == dragCopy) {
        copyToEnd();
    } else {
        moveToEnd();
    }
}

void IndexEditing::clearAllFlags()
{
    for (int p = 1; p <= album_.count(); ++p)
        deselect(p);
}

void IndexEditing::deselect(int p)
{
    if (album_.place(p).selected)
        album_.setSelected(p, false);
    album_.setHighlighted(p, false);
}

int IndexEditing::parkSelected(int limit)
{
    int parked = 0;
    for (int p = 1; p <= album_.count() && parked < limit; ++p)
        if (selected(p))
            album_.park(parked++, p);
    return parked;
}

int IndexEditing::compact(int first, int last, int step)
{
    int deselected = 0;
    int write = first;
    for (int p = first; step > 0 ? p <= last : p >= last; p += step) {
        if (selected(p)) {
            deselect(p);
            ++deselected;
            continue;
        }
        if (write != p)
            album_.movePlace(write, p);
        write += step;
    }
    return deselected;
}

// The copies go before t; the album never grows past 99, so only as many copies as fit are
// made and no picture is pushed off its end.
void IndexEditing::copyBefore(int t)
{
    const int pictures = album_.count();
    const int copies = parkSelected(albumMaxPictures - pictures);
    for (int q = pictures; q >= t; --q)
        album_.movePlace(q + copies, q);
    for (int j = 0; j < copies; ++j)
        album_.unpark(j, t + j);
    clearAllFlags();
}

// The selected pictures stand, in their old order, right before t.
void IndexEditing::moveBefore(int t)
{
    const int moved = parkSelected(temporarySlots);
    const int before = compact(1, t - 1, +1);
    compact(album_.count(), t, -1);
    for (int j = 0; j < moved; ++j)
        album_.unpark(j, t - before + j);
}

void IndexEditing::moveToEnd()
{
    const int moved = parkSelected(temporarySlots);
    compact(1, album_.count(), +1);
    for (int j = 0; j < moved; ++j)
        album_.unpark(j, album_.count() - moved + 1 + j);
}

// Copies stop silently at 99 pictures: move place ignores the places after it.
void IndexEditing::copyToEnd()
{
    const int pictures = album_.count();
    for (int p = 1; p <= pictures; ++p) {
        if (!selected(p))
            continue;
        deselect(p);
        album_.movePlace(album_.count() + 1, p);
    }
}

void IndexEditing::deleteSelected()
{
    const int removed = album_.selectedCount();
    if (removed == 0)
        return;
    compact(1, album_.count(), +1);
    album_.removeLastPlaces(removed);
}

void IndexEditing::selectAll()
{
    for (int p = 1; p <= album_.count(); ++p) {
        album_.setHighlighted(p, true);
        if (!selected(p))
            album_.setSelected(p, true);
    }
}

// Ctrl + keypad 0 changes a selected flag; the album counts its selection from the flags, so
// Delete and the drops that follow see the count in step with them.
void IndexEditing::cursorKey(CursorKey key, int columns)
{
    const int pictures = album_.count();
    if (pictures == 0)
        return;
    if (cursor_ < 1 || cursor_ > pictures)
        cursor_ = 1;
    switch (key) {
    case CursorKey::select:
        if (!selected(cursor_))
            album_.setSelected(cursor_, true);
        else
            album_.setHighlighted(cursor_, false);
        break;
    case CursorKey::rowDown:
        if (pictures > columns && cursor_ + columns <= pictures)
            moveCursorTo(cursor_ + columns);
        break;
    case CursorKey::rowUp:
        if (pictures > columns && cursor_ > columns)
            moveCursorTo(cursor_ - columns);
        break;
    case CursorKey::back:
        moveCursorTo(cursor_ == 1 ? pictures : cursor_ - 1);
        break;
    case CursorKey::on:
        moveCursorTo(cursor_ == pictures ? 1 : cursor_ + 1);
        break;
    }
}

void IndexEditing::moveCursorTo(int place)
{
    if (!selected(cursor_))
        album_.setHighlighted(cursor_, false);
    cursor_ = place;
    album_.setHighlighted(cursor_, true);
}

} // namespace vantrel

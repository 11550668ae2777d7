#pragma once
#include <cstdint>
#include <functional>

namespace vantrel {

class Album;

// How a drag treats the selected pictures: Ctrl copies, Shift extends, else plain.
enum DragMode { dragPlain = 0, dragShift = 1, dragCopy = 3 };

// The cursor a drag shows: the normal one, moving pictures (10) or copying them (11).
enum class DragCursor { normal, moving, copying };

// The keyboard cursor's keys (Ctrl with the numeric keypad 0, 2, 8, 4, 6).
enum class CursorKey { select, rowDown, rowUp, back, on };

// The editing of the album's index, without widgets: the selection and its highlight, the
// anchor of Shift ranges, the keyboard cursor, clicks, drops, Delete and Select All. The
// window turns its events into these calls.
class IndexEditing {
public:
    static constexpr int64_t doubleClickMs = 300;

    explicit IndexEditing(Album& album);

    // Milliseconds of a steady clock; the double click is timed by it.
    std::function<int64_t()> clock;

    // A pointer move over a picture: Ctrl or Shift alone (a mouse button counts as a key).
    void takeDragModeOfMove(bool ctrl, bool shift, bool otherKeysOrButtons);
    // A drag over a picture or the index: the keys down now.
    void takeDragModeOfKeys(bool ctrl, bool shift);
    int dragMode() const { return dragMode_; }
    int anchor() const { return anchor_; }
    int cursor() const { return cursor_; }

    // Highlights lo..hi of the two and clears the highlight of every other place.
    void highlightRange(int a, int b);
    // Every selected flag becomes its highlighted flag.
    void takeSelectionFromHighlight();

    // The right button on picture p: when p is not selected it becomes the only selection.
    void rightButtonDown(int p);
    // Picture p dropped onto itself; true when it was the second click on p within 300 ms
    // (the viewer opens).
    bool click(int p);
    // Dragging picture s over picture p or over the empty index area.
    DragCursor dragOverPicture(int p, int s);
    DragCursor dragOverIndex(int s);
    // Picture s (0: a drag that began on the index area) dropped on picture t, t != s.
    void dropOnPicture(int t, int s);
    // Picture s (0 as above) dropped on the empty index area.
    void dropOnIndex(int s);
    // Removes the selected pictures; the places behind close up.
    void deleteSelected();
    void selectAll();
    void cursorKey(CursorKey key, int columns);

private:
    bool selected(int p) const;
    DragCursor cursorOfSelectedDrag() const;
    void clearAllFlags();
    void deselect(int p);
    // Parks the selected pictures in place order, at most `limit`; returns how many.
    int parkSelected(int limit);
    // Moves every unselected picture of first..last (walking `step` +1 or -1) to the next write
    // position from `write`, deselecting the selected ones; returns how many were selected.
    int compact(int first, int last, int step);
    void copyBefore(int t);
    void moveBefore(int t);
    void moveToEnd();
    void copyToEnd();
    void moveCursorTo(int place);

    Album& album_;
    int dragMode_ = dragPlain;
    int anchor_ = 0;
    int cursor_ = 1;
    int lastClickPlace_ = 0;
    int64_t lastClickMs_ = 0;
};

} // namespace vantrel

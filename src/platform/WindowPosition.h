#pragma once
#include <QRect>
#include <optional>

class QWidget;

namespace vantrel {

class CProfile;

// What the settings file holds for a window: each value may be missing.
struct StoredPosition {
    std::optional<int> top;
    std::optional<int> left;
    std::optional<int> width;
    std::optional<int> height;
};

// The geometry a window gets back from its stored position: a missing top or left, a top
// below the work area or a left right of it give the default (centred; a sizeable window
// half the screen); a top above or a left left of the work area is moved onto it; a sizeable
// window takes a stored width and height unless either is missing or negative.
QRect restoredGeometry(const StoredPosition& stored, bool sizeable, QSize currentSize,
                       const QRect& screen, const QRect& workArea);

// Save: "Top", "Left", "Height", "Width" under the window's name. Restore: the rules above
// on the window's screen. Shared by every window that keeps its place.
void saveWindowPosition(CProfile& profile, const QWidget& window);
void restoreWindowPosition(const CProfile& profile, QWidget& window, bool sizeable);

// Places a window in the middle of the primary screen: offsets (screen size - window size) / 2
// from its corner, rounded toward zero.
void centreOnScreen(QWidget& window);

} // namespace vantrel

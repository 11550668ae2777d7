#pragma once

class QWidget;

namespace vantrel {

class CProfile;

// The window position store: "Top", "Left", "Width" and "Height" under a section named after
// the window (its object name) in the settings file.
void saveWindowPosition(const QWidget& window, CProfile& profile);
// Restores what was saved, kept inside the desktop work area; a missing or unusable value
// gives the default (a sizeable window half the screen, every window centred).
void restoreWindowPosition(QWidget& window, const CProfile& profile, bool sizeable);

} // namespace vantrel

#pragma once

namespace vantrel {

class FrameBitmap;

// Puts the aspect copy of a 720-wide frame on the clipboard; false without a GUI application
// or a copy.
bool copyAspectToClipboard(const FrameBitmap& bitmap, bool wide);

} // namespace vantrel

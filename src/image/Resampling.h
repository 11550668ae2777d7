#pragma once
#include <cstdint>
#include <optional>
#include <vector>

class QImage;

namespace vantrel {

class FrameBitmap;

// The box method: n source pixels (each repeated m times) onto m output pixels (each the
// truncated mean of n samples), channel by channel. Pixels are 3 bytes, `step` bytes apart.
void resampleGroup(const uint8_t* source, int sourceStep, int n, uint8_t* output, int outputStep, int m);

// A one-eighth frame (90 x 60 or 90 x 72) into the 80 x 60 thumbnail, in place. A bitmap of
// another width is left alone.
void thumbnailReduction(FrameBitmap& bitmap);

// A 720-wide frame as square pixels: the information header with the new width and image
// size, then the rows (bottom-up). Nothing for another width or when memory is short.
std::optional<std::vector<uint8_t>> aspectCopy(const FrameBitmap& bitmap, bool wide);
// The picture an aspect copy holds, top-down.
QImage imageOfAspectCopy(const std::vector<uint8_t>& block);
// Puts the aspect copy on the clipboard; false without a GUI application or a copy.
bool copyAspectToClipboard(const FrameBitmap& bitmap, bool wide);

} // namespace vantrel

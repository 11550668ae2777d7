#pragma once
#include <QImage>

namespace vantrel {

// A 32-bit picture (RGB32 or ARGB32) scaled to width x height in one thread: each output
// pixel averages the source area it covers when shrinking, and interpolates linearly
// between the nearest source pixels when growing. Null when the sizes are not positive. No
// picture in between is larger than the larger of the source and the result.
QImage scaledPicture(const QImage& source, int width, int height);

} // namespace vantrel

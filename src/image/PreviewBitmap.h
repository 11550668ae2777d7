#pragma once
#include "image/FrameBitmap.h"

#include <string>

namespace vantrel {

// "preview.bmp", which the settings window writes, into a frame bitmap with room for any
// preview; only a 24-bit picture that fits the block is taken. The file is deleted whatever
// it held.
bool readPreviewBitmap(const std::string& path, FrameBitmap& bitmap);

} // namespace vantrel

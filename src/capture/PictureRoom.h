#pragma once
#include "capture/CaptureWindows.h"
#include "image/Conversions.h"

#include <string>

namespace vantrel {

// Whether an album takes one more picture, as place count + 1.
enum class PictureRoom {
    free,
    albumFull, // it holds albumMaxPictures already ("MSG_OVER")
    noRoom,    // the program folder has no room for the side file; the check told the user
};

// The rule for a capture and for a DVF file opened into the album alike: a full album takes
// nothing, and a picture goes to its side file `nextSideFile` first, which `check` must find
// room for. Without a check only the count is looked at.
PictureRoom roomForNewPicture(int pictureCount, const std::string& nextSideFile,
                              const TargetPathCheck& check);

} // namespace vantrel

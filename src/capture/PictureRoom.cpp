#include "capture/PictureRoom.h"

namespace vantrel {

PictureRoom roomForNewPicture(int pictureCount, const std::string& nextSideFile,
                              const TargetPathCheck& check)
{
    if (pictureCount >= albumMaxPictures)
        return PictureRoom::albumFull;
    if (check && check(nextSideFile, "dat", dvfBytesNeeded, false).empty())
        return PictureRoom::noRoom;
    return PictureRoom::free;
}

} // namespace vantrel

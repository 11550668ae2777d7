#include "PictureLimits.h"

namespace vantrel {

PictureSizeCheck checkPictureSize(int64_t width, int64_t height, int64_t fileBytes)
{
    if (width <= 0 || height <= 0 || width > pictureLimits.side || height > pictureLimits.side ||
        width * height > pictureLimits.pixels)
        return PictureSizeCheck::tooLarge;
    if (width * height > fileBytes * pictureLimits.pixelsPerFileByte)
        return PictureSizeCheck::tooLittleData;
    return PictureSizeCheck::fits;
}

std::string pictureSizeMessage(PictureSizeCheck check, int64_t width, int64_t height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    switch (check) {
    case PictureSizeCheck::tooLarge:
        return "the picture declares " + size + "; at most " + std::to_string(pictureLimits.side) +
               " pixels a side and " + std::to_string(pictureLimits.pixels) + " pixels in all are read";
    case PictureSizeCheck::tooLittleData:
        return "the file is too short for the " + size + " it declares";
    case PictureSizeCheck::fits:
        break;
    }
    return {};
}

} // namespace vantrel

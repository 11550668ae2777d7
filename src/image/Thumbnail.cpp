#include "Thumbnail.h"

#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/Resampling.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

ThumbnailSize thumbnailSize(bool wide, int naturalWidth, int longestSide)
{
    const int width = std::max(1, std::min(naturalWidth, longestSide));
    const double aspect = wide ? 16.0 / 9.0 : 4.0 / 3.0;
    return {width, std::max(1, static_cast<int>(std::lround(width / aspect)))};
}

QImage dvfThumbnail(const std::string& dvfPath, int longestSide, std::string& error)
{
    PictureRecord record;
    record.path = dvfPath;
    if (!readPictureFile(record)) {
        error = dvfPath + ": cannot be read as a DVF file";
        return {};
    }
    FrameBitmap bitmap;
    const bool wide = record.wide;
    if (decodeIntoBitmap(record, bitmap, false, correctionNone) != dvcOk) {
        error = dvfPath + ": the picture cannot be decoded";
        return {};
    }
    const auto copy = aspectCopy(bitmap, wide);
    const QImage square = copy ? imageOfAspectCopy(*copy) : QImage();
    if (square.isNull()) {
        error = dvfPath + ": not enough memory for the picture";
        return {};
    }
    const ThumbnailSize size = thumbnailSize(wide, square.width(), longestSide);
    return square.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace vantrel

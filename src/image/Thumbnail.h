#pragma once
#include <QImage>
#include <string>

namespace vantrel {

struct ThumbnailSize {
    int width;
    int height;
};

// The size of a square-pixel picture of the display aspect (4:3, or 16:9 when wide) whose
// longer side is `longestSide`, but never wider than `naturalWidth`.
ThumbnailSize thumbnailSize(bool wide, int naturalWidth, int longestSide);

// The DVF picture at `dvfPath` as square pixels, at most `longestSide` pixels on its longer
// side. The codec must be loaded. A null image, with `error` set, when the file cannot be
// read or decoded.
QImage dvfThumbnail(const std::string& dvfPath, int longestSide, std::string& error);

} // namespace vantrel

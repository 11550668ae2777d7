#pragma once
#include <cstdint>
#include <memory>
#include <string>

class QByteArray;

namespace vantrel {

// The image kit over QImage: reading bitmap and JPEG files, scaling, composing, colour
// reduction and writing. An image is an opaque handle; null is none.

struct ImgKitImage;
using ImgKitHandle = ImgKitImage*;

enum ImgKitFileKind : uint16_t { imgKitBitmap = 1, imgKitJpeg = 2 };

// What ImgKitFileType finds out about a file: 28 bytes.
struct ImgKitFileInfo {
    uint16_t fileType = 0;
    uint16_t reserved2 = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;
    uint8_t reserved14[14] = {};
};
static_assert(sizeof(ImgKitFileInfo) == 28);

// Non-zero when the file is a bitmap or JPEG picture the kit reads; fills `info`.
int ImgKitFileType(const std::string& path, ImgKitFileInfo* info);
// Pictures beyond the limits of image/PictureLimits.h are refused from their header, before
// they are decoded.
ImgKitHandle ImgKitFileLoad(const std::string& path);
// Why a picture file is refused for its declared size; empty when it is not.
std::string ImgKitSizeRefusal(const std::string& path);
ImgKitHandle ImgKitCopy(ImgKitHandle image);
struct ImgKitFree {
    void operator()(ImgKitHandle image) const;
};
// An image the holder owns and frees.
using ImgKitOwned = std::unique_ptr<ImgKitImage, ImgKitFree>;

// A new image: this one scaled to width x height (smoothly), or a copy when it has that size
// already; null on failure. The input stays the caller's.
ImgKitOwned ImgKitImageSize(ImgKitHandle image, int width, int height);
// An image of the background's size with the foreground drawn at (x, y), or null.
ImgKitHandle ImgKitImageAdd(ImgKitHandle background, ImgKitHandle foreground, int x, int y);
// Converts in place to 24, 8, 4 or 1 bits per pixel; false for another depth or no image.
// Saved as a bitmap, the image then has exactly that depth.
bool ImgKitConvertColor(ImgKitHandle image, int bitsPerPixel);
int ImgKitBmpFileSave(const std::string& path, ImgKitHandle image);
int ImgKitJpegFileSave(const std::string& path, ImgKitHandle image, int quality);
// A 24-bit PNG file (8 bits for each of red, green and blue), lossless.
int ImgKitPngFileSave(const std::string& path, ImgKitHandle image);
// The bytes those two would write, in memory; false on failure.
bool ImgKitJpegEncode(ImgKitHandle image, int quality, QByteArray& bytes);
bool ImgKitPngEncode(ImgKitHandle image, QByteArray& bytes);
// The image's size in bytes: what a file written from it needs at most.
uint32_t ImgKitMemSize(ImgKitHandle image);
void ImgKitMemFree(ImgKitHandle image);

} // namespace vantrel

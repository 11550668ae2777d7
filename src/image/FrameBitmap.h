#pragma once
#include "image/DvCodec.h"

#include <array>
#include <cstdint>
#include <memory>

class QImage;
class QPainter;

namespace vantrel {

struct PictureRecord;

constexpr int bitmapInfoHeaderBytes = 40;
constexpr int bitmapFileHeaderBytes = 14;

// The 24-bit bitmap a frame is decoded into: a 40-byte information header and the pixel area
// (rows bottom-up, padded to four bytes) in one block.
class FrameBitmap {
public:
    // A fresh block for width x height, with the header and decode parameters filled; its
    // pixel area zero, or as the allocator gives it (`cleared` false) for a caller that writes
    // every row.
    bool setUp(int width, int height, bool cleared = true);
    // Stretches the whole bitmap onto the rectangle; false with no painter or no pixel area.
    bool draw(QPainter* painter, int x, int y, int drawWidth, int drawHeight) const;
    // "BM", file size width x height x 3 + 54, pixel offset 54.
    std::array<uint8_t, bitmapFileHeaderBytes> fileHeader() const;
    void release();

    uint8_t* header() { return block.get(); }
    const uint8_t* header() const { return block.get(); }
    uint8_t* pixels() { return block ? block.get() + bitmapInfoHeaderBytes : nullptr; }
    const uint8_t* pixels() const { return block ? block.get() + bitmapInfoHeaderBytes : nullptr; }
    int rowBytes() const { return (width * 3 + 3) & ~3; }
    // A new size kept by the object and its header (the resampling changes it in place).
    void setSize(int newWidth, int newHeight);
    // The picture top-down, for drawing and the clipboard.
    QImage toImage() const;

    std::unique_ptr<uint8_t[]> block;
    size_t blockBytes = 0;
    DvcDecodeParams decodeParams;
    int height = 0;
    int width = 0;
    int imageSize = 0;
    DvcHandle decoder = 0;
};

// Decodes the record's frame into the bitmap (set up anew at full or one-eighth size) with
// the correction mode, then releases the record's frame data. Yields the codec's result.
int32_t decodeIntoBitmap(PictureRecord& record, FrameBitmap& bitmap, bool eighth, int32_t correction);
// The same at 1 / `divisor` of the full size: 1, 4 or 8.
int32_t decodeIntoBitmapAt(PictureRecord& record, FrameBitmap& bitmap, int divisor, int32_t correction);

// The 40-byte information header of a 24-bit bottom-up picture.
std::array<uint8_t, bitmapInfoHeaderBytes> bitmapInfoHeader(int width, int height);

void putLittleEndian32(uint8_t* out, uint32_t value);

} // namespace vantrel

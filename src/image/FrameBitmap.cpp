#include "FrameBitmap.h"

#include "image/Dvf.h"

#include <QImage>
#include <QPainter>

#include <cstring>
#include <new>

namespace vantrel {

namespace {

constexpr int colourTableRoom = 1024;
constexpr int fileAndInfoHeaderBytes = bitmapFileHeaderBytes + bitmapInfoHeaderBytes;

void putLittleEndian16(uint8_t* out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

// Room for the header, a colour table and the padded rows; 640 x 480 reserves as 720 x 576.
size_t blockBytesFor(int width, int height)
{
    if (width == 640 && height == 480) {
        width = 720;
        height = 576;
    }
    return bitmapInfoHeaderBytes + colourTableRoom + static_cast<size_t>(width + 3) * height * 3;
}

} // namespace

void putLittleEndian32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::array<uint8_t, bitmapInfoHeaderBytes> bitmapInfoHeader(int width, int height)
{
    std::array<uint8_t, bitmapInfoHeaderBytes> header{};
    putLittleEndian32(&header[0], bitmapInfoHeaderBytes);
    putLittleEndian32(&header[4], static_cast<uint32_t>(width));
    putLittleEndian32(&header[8], static_cast<uint32_t>(height));
    putLittleEndian16(&header[12], 1);
    putLittleEndian16(&header[14], 24);
    putLittleEndian32(&header[20], static_cast<uint32_t>(width * height * 3));
    return header;
}

bool FrameBitmap::setUp(int newWidth, int newHeight, bool cleared)
{
    decodeParams = DvcDecodeParams{};
    decodeParams.width = newWidth;
    decodeParams.height = newHeight;
    decodeParams.correction = correctionNone;
    release();
    const size_t bytes = blockBytesFor(newWidth, newHeight);
    block.reset(cleared ? new (std::nothrow) uint8_t[bytes]() : new (std::nothrow) uint8_t[bytes]);
    if (!block)
        return false;
    blockBytes = bytes;
    setSize(newWidth, newHeight);
    return true;
}

void FrameBitmap::setSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    imageSize = width * height * 3;
    if (block) {
        const auto info = bitmapInfoHeader(width, height);
        std::memcpy(block.get(), info.data(), info.size());
    }
}

QImage FrameBitmap::toImage() const
{
    if (!block)
        return {};
    const QImage bottomUp(pixels(), width, height, rowBytes(), QImage::Format_BGR888);
    return bottomUp.mirrored(false, true);
}

bool FrameBitmap::draw(QPainter* painter, int x, int y, int drawWidth, int drawHeight) const
{
    if (!painter || !block)
        return false;
    painter->drawImage(QRect(x, y, drawWidth, drawHeight), toImage());
    return true;
}

std::array<uint8_t, bitmapFileHeaderBytes> FrameBitmap::fileHeader() const
{
    std::array<uint8_t, bitmapFileHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian32(&header[2], static_cast<uint32_t>(width * height * 3 + fileAndInfoHeaderBytes));
    putLittleEndian32(&header[10], fileAndInfoHeaderBytes);
    return header;
}

void FrameBitmap::release()
{
    block.reset();
    blockBytes = 0;
}

int32_t decodeIntoBitmap(PictureRecord& record, FrameBitmap& bitmap, bool eighth, int32_t correction)
{
    return decodeIntoBitmapAt(record, bitmap, eighth ? 8 : 1, correction);
}

int32_t decodeIntoBitmapAt(PictureRecord& record, FrameBitmap& bitmap, int divisor, int32_t correction)
{
    const DvSystem system = record.videoSystem();
    const int lines = linesOf(system);
    int32_t result = dvcBadArgument;
    bitmap.decoder = DvcOpenDecoder(system);
    // A decode writes every row; the block is cleared only when it fails, as it was before.
    if (bitmap.decoder && record.frame && divisor > 0 && bitmap.setUp(720 / divisor, lines / divisor, false)) {
        bitmap.decodeParams.correction = correction;
        const uint32_t dibInfo = DvcGetDibInfo(720, lines);
        result = DvcDecode(bitmap.decoder, record.frame.get(), frameBytesOf(system), bitmap.pixels(),
                           &dibInfo, &bitmap.decodeParams);
        if (result != dvcOk)
            std::memset(bitmap.pixels(), 0, bitmap.blockBytes - bitmapInfoHeaderBytes);
    }
    record.releaseFrame();
    if (bitmap.decoder)
        DvcCloseDecoder(bitmap.decoder);
    bitmap.decoder = 0;
    return result;
}

} // namespace vantrel

#include "ImageKit.h"

#include "image/ImageFile.h"
#include "image/PictureLimits.h"
#include "image/PixelRows.h"
#include "image/Scaler.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace vantrel {

struct ImgKitImage {
    QImage picture;
};

namespace {

constexpr int bitmapHeaderBytes = 54;
constexpr int bitmapBitCountOffset = 28;
constexpr int paletteSize8 = 256;
constexpr int paletteSize4 = 16;

struct KnownFormat {
    const char* name; // as QImageReader names it
    ImgKitFileKind kind;
};

constexpr KnownFormat knownFormats[] = {{"bmp", imgKitBitmap}, {"jpeg", imgKitJpeg}};

// The standard sixteen colours of a 4-bit picture.
const QList<QRgb>& sixteenColours()
{
    static const QList<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colours;
}

// The bit count a bitmap file declares (1, 4, 8, 24, 32), 0 when it cannot be read.
uint16_t bitmapBitCount(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(bitmapHeaderBytes);
    if (header.size() < bitmapBitCountOffset + 2)
        return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(header[bitmapBitCountOffset]) |
                                 static_cast<uint8_t>(header[bitmapBitCountOffset + 1]) << 8);
}

uint16_t jpegBits(QImage::Format format)
{
    return format == QImage::Format_Grayscale8 ? 8 : 24;
}

// Everything but the indexed depths is kept as 32-bit RGB, which the bitmap writer stores in
// 24 bits.
QImage normalised(QImage picture)
{
    switch (picture.format()) {
    case QImage::Format_Mono:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB32:
        return picture;
    default:
        return picture.convertToFormat(QImage::Format_RGB32);
    }
}

ImgKitHandle wrap(QImage picture)
{
    if (picture.isNull())
        return nullptr;
    return new (std::nothrow) ImgKitImage{normalised(std::move(picture))};
}

// Indexed8 with a table padded to `entries`, so that the writer picks the depth asked.
QImage indexed(const QImage& picture, const QList<QRgb>* palette, int entries)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage out = palette ? rgb.convertToFormat(QImage::Format_Indexed8, *palette, Qt::DiffuseDither)
                         : rgb.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    QList<QRgb> table = out.colorTable();
    while (table.size() < entries)
        table.append(qRgb(0, 0, 0));
    out.setColorTable(table);
    return out;
}

uint32_t littleEndian(const QByteArray& bytes, int offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

// An uncompressed 24-bit bottom-up bitmap, the kind the work files are: read without the
// toolkit's reader, which converts pixel by pixel through several steps.
struct PlainBitmap {
    int width = 0;
    int height = 0;
    uint32_t pixelOffset = 0;

    qsizetype rowBytes() const { return (static_cast<qsizetype>(width) * 3 + 3) & ~qsizetype(3); }
};

bool readPlainHeader(QFile& file, PlainBitmap& bitmap)
{
    constexpr int largest = 1 << 14;
    const QByteArray header = file.read(bitmapHeaderBytes);
    if (header.size() < bitmapHeaderBytes || !header.startsWith("BM") ||
        littleEndian(header, 14, 4) != 40 || littleEndian(header, 28, 2) != 24 ||
        littleEndian(header, 30, 4) != 0)
        return false;
    bitmap.width = static_cast<int>(littleEndian(header, 18, 4));
    bitmap.height = static_cast<int>(littleEndian(header, 22, 4));
    bitmap.pixelOffset = littleEndian(header, 10, 4);
    return bitmap.width > 0 && bitmap.height > 0 && bitmap.width <= largest &&
           bitmap.height <= largest &&
           static_cast<qint64>(bitmap.pixelOffset) + bitmap.rowBytes() * bitmap.height <= file.size();
}

bool plainBitmapHeader(const std::string& path, PlainBitmap& bitmap)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && readPlainHeader(file, bitmap);
}

QImage plainBitmap(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    PlainBitmap bitmap;
    if (!file.open(QIODevice::ReadOnly) || !readPlainHeader(file, bitmap) ||
        !file.seek(bitmap.pixelOffset))
        return {};
    const qsizetype rowBytes = bitmap.rowBytes();
    QImage picture(bitmap.width, bitmap.height, QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    // All rows in one read.
    const qsizetype bytes = rowBytes * bitmap.height;
    const std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
    if (!rows || file.read(reinterpret_cast<char*>(rows.get()), bytes) != bytes)
        return {};
    // Rows come bottom-up: file row r is picture line height - 1 - r.
    for (int y = 0; y < bitmap.height; ++y)
        bgrToPixels(&rows[static_cast<size_t>(rowBytes) * (bitmap.height - 1 - y)], bitmap.width,
                    reinterpret_cast<uint32_t*>(picture.scanLine(y)));
    return picture;
}

void putLittleEndian(char* out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<char>(value >> (8 * i));
}

// A 32-bit picture as an uncompressed 24-bit bottom-up bitmap, written in one go (the
// toolkit's writer takes several times as long for the same bytes).
bool savePlainBitmap(const std::string& path, const QImage& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const qsizetype rowBytes = (static_cast<qsizetype>(width) * 3 + 3) & ~qsizetype(3);
    QByteArray bytes(bitmapHeaderBytes + rowBytes * height, Qt::Uninitialized);
    char* header = bytes.data();
    std::memset(header, 0, bitmapHeaderBytes);
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian(header + 2, static_cast<uint32_t>(bytes.size()), 4);
    putLittleEndian(header + 10, bitmapHeaderBytes, 4);
    putLittleEndian(header + 14, 40, 4);
    putLittleEndian(header + 18, static_cast<uint32_t>(width), 4);
    putLittleEndian(header + 22, static_cast<uint32_t>(height), 4);
    putLittleEndian(header + 26, 1, 2);
    putLittleEndian(header + 28, 24, 2);
    putLittleEndian(header + 34, static_cast<uint32_t>(rowBytes * height), 4);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        auto* out = reinterpret_cast<uint8_t*>(header + bitmapHeaderBytes + (height - 1 - y) * rowBytes);
        pixelsToThreeBytes(line, width, false, out);
        std::memset(out + width * 3, 0, static_cast<size_t>(rowBytes - width * 3));
    }
    return writeImageBytes(path, bytes);
}

// The check of a size the reader found in the file's header.
PictureSizeCheck declaredSizeCheck(const std::string& path, const QSize& size)
{
    if (!size.isValid())
        return PictureSizeCheck::tooLarge;
    return checkPictureSize(size.width(), size.height(), QFileInfo(QString::fromStdString(path)).size());
}

std::unique_ptr<QImageReader> readerOf(const std::string& path)
{
    // The toolkit's own allocation limit would refuse photos well inside ours.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(static_cast<int>(pictureLimits.pixels * 4 >> 20));
        return true;
    }();
    (void)limitSet;
    auto reader = std::make_unique<QImageReader>(QString::fromStdString(path));
    reader->setDecideFormatFromContent(true);
    return reader;
}

// A reader of the file whose declared size has been checked; null when it is refused.
std::unique_ptr<QImageReader> checkedReader(const std::string& path)
{
    auto reader = readerOf(path);
    if (declaredSizeCheck(path, reader->size()) != PictureSizeCheck::fits)
        return nullptr;
    return reader;
}

} // namespace

std::string ImgKitSizeRefusal(const std::string& path)
{
    const QSize size = readerOf(path)->size();
    if (!size.isValid())
        return {};
    return pictureSizeMessage(declaredSizeCheck(path, size), size.width(), size.height());
}

int ImgKitFileType(const std::string& path, ImgKitFileInfo* info)
{
    PlainBitmap plain;
    if (plainBitmapHeader(path, plain)) {
        if (info) {
            *info = ImgKitFileInfo{};
            info->fileType = imgKitBitmap;
            info->width = plain.width;
            info->height = plain.height;
            info->bitsPerPixel = 24;
        }
        return 1;
    }
    const std::unique_ptr<QImageReader> reader = checkedReader(path);
    if (!reader)
        return 0;
    const QByteArray format = reader->format();
    const QSize size = reader->size();
    for (const auto& known : knownFormats) {
        if (format != known.name)
            continue;
        if (info) {
            *info = ImgKitFileInfo{};
            info->fileType = known.kind;
            info->width = size.width();
            info->height = size.height();
            info->bitsPerPixel = known.kind == imgKitBitmap ? bitmapBitCount(path)
                                                            : jpegBits(reader->imageFormat());
        }
        return 1;
    }
    return 0;
}

ImgKitHandle ImgKitFileLoad(const std::string& path)
{
    QImage plain = plainBitmap(path);
    if (!plain.isNull())
        return wrap(std::move(plain));
    const std::unique_ptr<QImageReader> reader = checkedReader(path);
    return reader ? wrap(reader->read()) : nullptr;
}

ImgKitHandle ImgKitCopy(ImgKitHandle image)
{
    // The toolkit shares the pixels until one side changes them, so the copy costs nothing
    // when it is only scaled or saved.
    return image ? wrap(image->picture) : nullptr;
}

ImgKitOwned ImgKitImageSize(ImgKitHandle image, int width, int height)
{
    if (!image || width <= 0 || height <= 0)
        return nullptr;
    if (image->picture.width() == width && image->picture.height() == height)
        return ImgKitOwned(ImgKitCopy(image));
    // Scaled here in one thread: the toolkit's smooth scaling hands the rows to a thread pool
    // and costs several times as much on a busy machine.
    const QImage source = image->picture.convertToFormat(QImage::Format_RGB32);
    return ImgKitOwned(wrap(scaledPicture(source, width, height)));
}

ImgKitHandle ImgKitImageAdd(ImgKitHandle background, ImgKitHandle foreground, int x, int y)
{
    if (!background || !foreground)
        return nullptr;
    QImage result = background->picture.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&result);
    painter.drawImage(x, y, foreground->picture);
    painter.end();
    return wrap(std::move(result));
}

bool ImgKitConvertColor(ImgKitHandle image, int bitsPerPixel)
{
    if (!image)
        return false;
    QImage& picture = image->picture;
    switch (bitsPerPixel) {
    case 24:
        picture = picture.convertToFormat(QImage::Format_RGB32);
        return true;
    case 8:
        picture = indexed(picture, nullptr, paletteSize8);
        return true;
    case 4:
        picture = indexed(picture, &sixteenColours(), paletteSize4);
        return true;
    case 1:
        picture = picture.convertToFormat(QImage::Format_Mono, Qt::DiffuseDither);
        return true;
    default:
        return false;
    }
}

int ImgKitBmpFileSave(const std::string& path, ImgKitHandle image)
{
    if (!image)
        return 0;
    if (image->picture.format() == QImage::Format_RGB32)
        return savePlainBitmap(path, image->picture) ? 1 : 0;
    return saveImageFile(image->picture, path, "BMP") ? 1 : 0;
}

int ImgKitJpegFileSave(const std::string& path, ImgKitHandle image, int quality)
{
    QByteArray bytes;
    return ImgKitJpegEncode(image, quality, bytes) && writeImageBytes(path, bytes) ? 1 : 0;
}

bool ImgKitJpegEncode(ImgKitHandle image, int quality, QByteArray& bytes)
{
    if (!image)
        return false;
    const QImage& picture = image->picture;
    if (picture.format() != QImage::Format_RGB32)
        return encodeImage(picture, "JPEG", quality, bytes);
    // The JPEG writer copies red-green-blue rows as they are but converts 32-bit pixels
    // one by one.
    QImage rgb(picture.width(), picture.height(), QImage::Format_RGB888);
    if (rgb.isNull())
        return false;
    for (int y = 0; y < picture.height(); ++y)
        pixelsToThreeBytes(reinterpret_cast<const uint32_t*>(picture.constScanLine(y)), picture.width(),
                           true, rgb.scanLine(y));
    return encodeImage(rgb, "JPEG", quality, bytes);
}

int ImgKitPngFileSave(const std::string& path, ImgKitHandle image)
{
    QByteArray bytes;
    return ImgKitPngEncode(image, bytes) && writeImageBytes(path, bytes) ? 1 : 0;
}

bool ImgKitPngEncode(ImgKitHandle image, QByteArray& bytes)
{
    if (!image)
        return false;
    // Qt writes 32-bit pixels without alpha as 24-bit PNG; others are brought to them first.
    const QImage& picture = image->picture;
    const QImage pixels = picture.format() == QImage::Format_RGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    return !pixels.isNull() && encodeImage(pixels, "PNG", -1, bytes);
}

uint32_t ImgKitMemSize(ImgKitHandle image)
{
    if (!image)
        return 0;
    const QImage& picture = image->picture;
    const qsizetype table = picture.colorCount() * 4;
    return static_cast<uint32_t>(picture.sizeInBytes() + table + bitmapHeaderBytes);
}

void ImgKitMemFree(ImgKitHandle image)
{
    delete image;
}

void ImgKitFree::operator()(ImgKitHandle image) const
{
    ImgKitMemFree(image);
}

} // namespace vantrel

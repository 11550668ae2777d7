#include "ImageKit.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <new>

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

} // namespace

int ImgKitFileType(const std::string& path, ImgKitFileInfo* info)
{
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    for (const auto& known : knownFormats) {
        if (format != known.name || !size.isValid())
            continue;
        if (info) {
            *info = ImgKitFileInfo{};
            info->fileType = known.kind;
            info->width = size.width();
            info->height = size.height();
            info->bitsPerPixel = known.kind == imgKitBitmap ? bitmapBitCount(path)
                                                            : jpegBits(reader.imageFormat());
        }
        return 1;
    }
    return 0;
}

ImgKitHandle ImgKitFileLoad(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    reader.setDecideFormatFromContent(true);
    return wrap(reader.read());
}

ImgKitHandle ImgKitCopy(ImgKitHandle image)
{
    return image ? wrap(image->picture.copy()) : nullptr;
}

ImgKitHandle ImgKitImageSize(ImgKitHandle image, int width, int height)
{
    if (!image || width <= 0 || height <= 0)
        return nullptr;
    if (image->picture.width() == width && image->picture.height() == height)
        return image;
    const QImage source = image->picture.convertToFormat(QImage::Format_RGB32);
    return wrap(source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
    return image && image->picture.save(QString::fromStdString(path), "BMP") ? 1 : 0;
}

int ImgKitJpegFileSave(const std::string& path, ImgKitHandle image, int quality)
{
    return image && image->picture.save(QString::fromStdString(path), "JPEG", quality) ? 1 : 0;
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

} // namespace vantrel

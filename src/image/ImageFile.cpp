#include "ImageFile.h"

#include "image/WholeFile.h"

#include <QBuffer>

namespace vantrel {

bool saveImageFile(const QImage& picture, const std::string& path, const char* format, int quality)
{
    QByteArray bytes;
    return encodeImage(picture, format, quality, bytes) && writeImageBytes(path, bytes);
}

bool encodeImage(const QImage& picture, const char* format, int quality, QByteArray& bytes)
{
    QBuffer buffer(&bytes);
    return buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format, quality);
}

bool writeImageBytes(const std::string& path, const QByteArray& bytes)
{
    return writeWholeFile(path, {{reinterpret_cast<const uint8_t*>(bytes.constData()),
                                  static_cast<size_t>(bytes.size())}});
}

} // namespace vantrel

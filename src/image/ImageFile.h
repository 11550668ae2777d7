#pragma once
#include <QByteArray>
#include <QImage>

#include <string>

namespace vantrel {

// Encodes the picture in memory ("JPEG", "BMP", "PNG"; quality -1 for the writer's own) and
// writes the file whole: unlike the toolkit's writer on a file, a disk that fills on the way
// makes it fail, never a cut-off picture reported as saved.
bool saveImageFile(const QImage& picture, const std::string& path, const char* format, int quality = -1);
// The file's bytes of the picture in `format`, in memory; false when the writer fails.
bool encodeImage(const QImage& picture, const char* format, int quality, QByteArray& bytes);

// The bytes as the whole file `path`; false when they could not all be written.
bool writeImageBytes(const std::string& path, const QByteArray& bytes);

} // namespace vantrel

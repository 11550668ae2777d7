#include "PreviewBitmap.h"

#include "image/WholeFile.h"

#include <cstdio>
#include <filesystem>

namespace vantrel {

namespace {

constexpr int previewRoomWidth = 720;
constexpr int previewRoomHeight = 576;

} // namespace

bool readPreviewBitmap(const std::string& path, FrameBitmap& bitmap)
{
    if (!bitmap.setUp(previewRoomWidth, previewRoomHeight))
        return false;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    uint8_t fileHeader[bitmapFileHeaderBytes];
    const size_t room = bitmap.blockBytes;
    const bool read = std::fread(fileHeader, 1, sizeof fileHeader, file.get()) == sizeof fileHeader &&
                      std::fread(bitmap.header(), 1, room, file.get()) > 0 && std::feof(file.get());
    file.reset();
    std::error_code error;
    std::filesystem::remove(path, error);
    const uint8_t* info = bitmap.header();
    auto word = [info](int offset) {
        return static_cast<int>(info[offset] | info[offset + 1] << 8 | info[offset + 2] << 16 |
                                static_cast<uint32_t>(info[offset + 3]) << 24);
    };
    const int width = word(4);
    const int height = word(8);
    if (!read || word(0) != bitmapInfoHeaderBytes || (info[14] | info[15] << 8) != 24 || width <= 0 || height <= 0)
        return false;
    // In 64 bits: a width from the file must not wrap the size into one that seems to fit.
    const uint64_t rowBytes = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    if (rowBytes * uint64_t(height) + bitmapInfoHeaderBytes > room)
        return false;
    bitmap.setSize(width, height);
    return true;
}

} // namespace vantrel

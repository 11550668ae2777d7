#include "ImageDocument.h"

namespace vantrel {

ImageDocument::~ImageDocument()
{
    release();
}

bool ImageDocument::load(const std::string& path)
{
    ImgKitFileInfo info;
    if (!ImgKitFileType(path, &info))
        return false;
    ImgKitHandle image = ImgKitFileLoad(path);
    if (!image)
        return false;
    release();
    loaded = image;
    fileType = info.fileType;
    width = info.width;
    height = info.height;
    bitsPerPixel = info.bitsPerPixel;
    sourcePath = path;
    outputPath = path;
    currentWidth = width;
    currentHeight = height;
    return true;
}

bool ImageDocument::makeWorkingCopy()
{
    if (!loaded)
        return false;
    ImgKitHandle copy = ImgKitCopy(loaded);
    if (!copy)
        return false;
    freeWorking();
    working = copy;
    return true;
}

bool ImageDocument::ensureWorkingCopy()
{
    return working || makeWorkingCopy();
}

void ImageDocument::replaceWorking(ImgKitHandle result)
{
    if (result != working)
        ImgKitMemFree(working);
    working = result;
}

void ImageDocument::freeWorking()
{
    ImgKitMemFree(working);
    working = nullptr;
}

bool ImageDocument::resize(int newWidth, int newHeight)
{
    if (!ensureWorkingCopy())
        return false;
    if (newWidth == 0)
        newWidth = width;
    if (newHeight == 0)
        newHeight = height;
    // Compared with the current size, not the loaded one: a composed 640 x 480 copy of a
    // 720 x 480 file must still be scaled back to 720 x 480.
    if (newWidth == currentWidth && newHeight == currentHeight)
        return true;
    ImgKitOwned result = ImgKitImageSize(working, newWidth, newHeight);
    if (!result)
        return false;
    replaceWorking(result.release());
    currentWidth = newWidth;
    currentHeight = newHeight;
    return true;
}

bool ImageDocument::composeOnto(const ImageDocument& background)
{
    if (!background.loaded || !ensureWorkingCopy())
        return false;
    const int x = (background.currentWidth - currentWidth) / 2;
    const int y = (background.currentHeight - currentHeight) / 2;
    ImgKitHandle result = ImgKitImageAdd(background.loaded, working, x, y);
    if (!result)
        return false;
    replaceWorking(result);
    currentWidth = background.currentWidth;
    currentHeight = background.currentHeight;
    return true;
}

void ImageDocument::takeOutputPath(const std::string& path)
{
    if (!path.empty())
        outputPath = path;
}

bool ImageDocument::saveBitmap(const std::string& path, int bits)
{
    if (bits != 0 && bits != 24 && bits != 8 && bits != 4 && bits != 1)
        return false;
    if (!ensureWorkingCopy())
        return false;
    // Converted even when the file had this depth: scaling leaves a working copy of 24 bits,
    // and the file must have the depth asked.
    if (bits != 0)
        ImgKitConvertColor(working, bits);
    takeOutputPath(path);
    const bool saved = ImgKitBmpFileSave(outputPath, working) != 0;
    freeWorking();
    return saved;
}

bool ImageDocument::saveWorkingCopy(const std::string& path,
                                    const std::function<int(const std::string&, ImgKitHandle)>& write)
{
    if (!ensureWorkingCopy())
        return false;
    takeOutputPath(path);
    const bool saved = write(outputPath, working) != 0;
    freeWorking();
    return saved;
}

bool ImageDocument::saveJpeg(const std::string& path, int quality)
{
    return saveWorkingCopy(path, [quality](const std::string& target, ImgKitHandle image) {
        return ImgKitJpegFileSave(target, image, quality);
    });
}

bool ImageDocument::savePng(const std::string& path)
{
    return saveWorkingCopy(path, ImgKitPngFileSave);
}

bool ImageDocument::encodeWorkingCopy(const std::function<bool(ImgKitHandle)>& encode)
{
    if (!ensureWorkingCopy())
        return false;
    const bool encoded = encode(working);
    freeWorking();
    return encoded;
}

bool ImageDocument::encodeJpeg(int quality, QByteArray& bytes)
{
    return encodeWorkingCopy([&](ImgKitHandle image) { return ImgKitJpegEncode(image, quality, bytes); });
}

bool ImageDocument::encodePng(QByteArray& bytes)
{
    return encodeWorkingCopy([&](ImgKitHandle image) { return ImgKitPngEncode(image, bytes); });
}

uint32_t ImageDocument::memorySize() const
{
    if (!loaded)
        return 0;
    return ImgKitMemSize(working ? working : loaded);
}

void ImageDocument::release()
{
    freeWorking();
    ImgKitMemFree(loaded);
    loaded = nullptr;
}

} // namespace vantrel

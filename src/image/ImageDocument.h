#pragma once
#include "image/ImageKit.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// One image-kit image and its working copy. Every editing or saving operation works on the
// working copy, made from the loaded image when there is none; every save frees it.
class ImageDocument {
public:
    ImageDocument() = default;
    ~ImageDocument();
    ImageDocument(const ImageDocument&) = delete;
    ImageDocument& operator=(const ImageDocument&) = delete;

    bool load(const std::string& path);
    bool makeWorkingCopy();
    // 0 for either keeps the loaded value; the current size unchanged succeeds at once.
    bool resize(int width, int height);
    // The working copy drawn centred onto the background's loaded image.
    bool composeOnto(const ImageDocument& background);
    // bits 0 keeps the depth; otherwise 24, 8, 4 or 1.
    bool saveBitmap(const std::string& path, int bits);
    bool saveJpeg(const std::string& path, int quality);
    bool savePng(const std::string& path);
    // The bytes saveJpeg and savePng would write, in memory; the working copy is freed too.
    bool encodeJpeg(int quality, QByteArray& bytes);
    bool encodePng(QByteArray& bytes);
    uint32_t memorySize() const;
    void release();

    bool isLoaded() const { return loaded != nullptr; }

    ImgKitHandle loaded = nullptr;
    ImgKitHandle working = nullptr;
    uint16_t fileType = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::string sourcePath;
    std::string outputPath;
    int currentWidth = 0;
    int currentHeight = 0;

private:
    bool ensureWorkingCopy();
    // The working copy written by `write` (non-zero for success), then freed.
    bool saveWorkingCopy(const std::string& path,
                         const std::function<int(const std::string&, ImgKitHandle)>& write);
    bool encodeWorkingCopy(const std::function<bool(ImgKitHandle)>& encode);
    void replaceWorking(ImgKitHandle result);
    void freeWorking();
    void takeOutputPath(const std::string& path);
};

} // namespace vantrel

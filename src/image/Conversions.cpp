#include "Conversions.h"

#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/ImageDocument.h"
#include "image/ImageFile.h"
#include "image/PictureFacts.h"
#include "image/WholeFile.h"
#include "platform/Paths.h"

#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

namespace vantrel {

namespace {

constexpr int backgroundWidth = 640;
constexpr int backgroundHeight = 480;
constexpr int fourThreeAspect = 133;
constexpr int wideAspect = 176; // 848 x 480 and the other wide save sizes
constexpr int bitmapPixelOffset = 54;

struct ImgSizeRow {
    int width;
    int wideWidth;
    int height;
};

// ImgSize 1 to 4; 625/50 pictures take the same sizes.
constexpr ImgSizeRow imgSizes[] = {{640, 848, 480}, {320, 424, 240}, {160, 212, 120}, {80, 106, 60}};

std::string workFile()
{
    return programFile(conversionWorkFile);
}

void removeFile(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
}

bool writeBitmapFile(const std::string& path, const FrameBitmap& bitmap)
{
    const auto fileHeader = bitmap.fileHeader();
    return writeWholeFile(path, {{fileHeader.data(), fileHeader.size()},
                                 {bitmap.header(), bitmapInfoHeaderBytes},
                                 {bitmap.pixels(), static_cast<size_t>(bitmap.imageSize)}});
}

int aspectOf(const ImageDocument& picture)
{
    return picture.width * 100 / picture.height;
}

// Pillar box or letter box onto the blank background in the work file.
bool boxOntoBackground(ImageDocument& picture, int aspect, const ImageSettings& settings)
{
    ImageDocument background;
    if (!writeBlankBackground(workFile(), settings.fMskBlk) || !background.load(workFile()))
        return false;
    bool resized;
    if (aspect < fourThreeAspect) {
        const int f = 480000 / picture.height;
        resized = picture.resize(picture.width * f / 1000, backgroundHeight);
    } else {
        const int f = 640000 / picture.width;
        resized = picture.resize(backgroundWidth, picture.height * f / 1000);
    }
    return resized && picture.composeOnto(background);
}

bool needsBox(int aspect, const ImageSettings& settings)
{
    if (aspect == fourThreeAspect)
        return false;
    return !(aspect == wideAspect && settings.fSqeeze == 0);
}

// Reads the work file's bottom-up rows straight into top-down order for the encoder.
bool readRowsTopDown(const std::string& path, int lines, std::vector<uint8_t>& topDown)
{
    constexpr size_t rowBytes = 2160;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), bitmapPixelOffset, SEEK_SET) != 0)
        return false;
    // One read for all rows (row by row, the stream would go to the system for each), then
    // the rows copied end for end.
    const size_t bytes = rowBytes * lines;
    const std::unique_ptr<uint8_t[]> bottomUp(new (std::nothrow) uint8_t[bytes]);
    if (!bottomUp || std::fread(bottomUp.get(), 1, bytes, file.get()) != bytes)
        return false;
    topDown.resize(bytes);
    for (int i = 0; i < lines; ++i)
        std::memcpy(&topDown[rowBytes * i], &bottomUp[rowBytes * (lines - 1 - i)], rowBytes);
    return true;
}

// The 720-wide picture through the work file, as top-down rows ready for the encoder.
bool pixelsForEncoder(ImageDocument& picture, int lines, const TargetPathCheck& check,
                      std::vector<uint8_t>& topDown)
{
    const std::string path = check(workFile(), "bmp", importWorkBytes, false);
    if (path.empty() || !picture.saveBitmap(path, 24))
        return false;
    const bool read = readRowsTopDown(path, lines, topDown);
    removeFile(path);
    return read;
}

bool encodeToDvf(const std::vector<uint8_t>& pixels, DvSystem system, bool wide,
                 const std::string& dvfPath)
{
    const DvcHandle encoder = DvcOpenEncoder(system);
    if (!encoder)
        return false;
    std::vector<uint8_t> encoded(dvEncodeBufferBytes);
    DvcEncodeParams params;
    params.height = linesOf(system);
    const bool ok = DvcEncode(encoder, encoded.data(), pixels.data(), &params) == dvcOk &&
                    writeDvfFile(&encoded[dvEncodedDataOffset], dvfPath, system, wide);
    DvcCloseEncoder(encoder);
    return ok;
}

// The source is read whole first, so one that cannot be read leaves the target alone.
bool copyDvfFile(const std::string& dvfPath, const std::string& target)
{
    FilePtr in(std::fopen(dvfPath.c_str(), "rb"));
    if (!in)
        return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return !std::ferror(in.get()) && replaceFileWhole(target, {{bytes.data(), bytes.size()}});
}

bool writePictureOfFormat(ImageDocument& picture, const std::string& path, int format,
                          const ImageSettings& settings)
{
    switch (format) {
    case saveAsJpeg: return picture.saveJpeg(path, settings.JpegQ);
    case saveAsPng: return picture.savePng(path);
    default: return picture.saveBitmap(path, settings.BmpColor);
    }
}

// A JPEG or PNG picture's file with its facts, in memory: written once, rather than written,
// read back and written again with them.
bool encodePictureWithFacts(ImageDocument& picture, int format, const ImageSettings& settings,
                            const PictureFacts& facts, QByteArray& bytes)
{
    const bool encoded = format == saveAsJpeg ? picture.encodeJpeg(settings.JpegQ, bytes) : picture.encodePng(bytes);
    return encoded && putPictureFacts(bytes, facts);
}

bool savePicture(ImageDocument& picture, const std::string& chosenPath, int format, bool ask,
                 const ImageSettings& settings, const TargetPathCheck& check,
                 const PictureFacts* facts)
{
    const std::string path =
        check(chosenPath, saveFormatRow(format)->extension, picture.memorySize(), ask);
    if (path.empty())
        return false;
    // The facts go into the work file, so the target is replaced only by a whole picture.
    return replaceFileThrough(path, [&](const std::string& workFile) {
        if (!facts || !carriesFacts(format))
            return writePictureOfFormat(picture, workFile, format, settings);
        QByteArray bytes;
        return encodePictureWithFacts(picture, format, settings, *facts, bytes) &&
               writeImageBytes(workFile, bytes);
    });
}

// The pictures of one decode; with `withFacts` JPEG and PNG files carry the picture's facts.
bool convertToSizes(const std::string& dvfPath, const std::vector<SizedSave>& saves, int format,
                    bool ask, const ImageSettings& settings, const TargetPathCheck& check,
                    bool withFacts)
{
    // A format that names no picture file writes nothing, and says so.
    if (format != saveAsJpeg && format != saveAsBitmap && format != saveAsPng)
        return false;
    PictureRecord record;
    const std::string work = workFile(); // found once: finding the program folder asks the system
    if (!decodeToBitmapFile(dvfPath, work, settings, check, record))
        return false;
    ImageDocument picture;
    const bool loaded = picture.load(work);
    removeFile(work);
    if (!loaded)
        return false;
    const PictureFacts facts = pictureFactsOf(record);
    for (const SizedSave& save : saves) {
        // Each save frees the working copy, so every size is scaled from the decoded picture.
        const PictureSize size = savedPictureSize(save.imgSize, record.wide, record.videoSystem());
        if (!picture.resize(size.width, size.height))
            return false;
        if (!savePicture(picture, save.path, format, ask, settings, check, withFacts ? &facts : nullptr))
            return false;
    }
    return true;
}

} // namespace

const SaveFormatRow* saveFormatRow(int format)
{
    for (const auto& row : saveFormatRows)
        if (row.format == format)
            return &row;
    return nullptr;
}

PictureSize savedPictureSize(int imgSize, bool wide, DvSystem system)
{
    if (imgSize < 1 || imgSize > 4)
        return {720, linesOf(system)};
    const ImgSizeRow& row = imgSizes[imgSize - 1];
    return {wide ? row.wideWidth : row.width, row.height};
}

bool writeBlankBackground(const std::string& path, int fMskBlk)
{
    FrameBitmap blank;
    if (!blank.setUp(backgroundWidth, backgroundHeight))
        return false;
    std::memset(blank.pixels(), fMskBlk == 1 ? 0xFF : 0x00, blank.imageSize);
    return writeBitmapFile(path, blank);
}

bool decodeToBitmapFile(const std::string& dvfPath, const std::string& bitmapPath,
                        const ImageSettings& settings, const TargetPathCheck& check,
                        PictureRecord& record)
{
    record = PictureRecord{};
    record.path = dvfPath;
    if (!readPictureFile(record))
        return false;
    FrameBitmap bitmap;
    decodeIntoBitmap(record, bitmap, false, correctionModeOf(settings.Revision));
    if (!bitmap.block)
        return false;
    const uint32_t fileSize = static_cast<uint32_t>(bitmap.imageSize + bitmapPixelOffset);
    const std::string path = check(bitmapPath, "bmp", fileSize, false);
    return !path.empty() && writeBitmapFile(path, bitmap);
}

bool convertPictureFile(const std::string& dvfPath, const std::string& chosenPath, int format,
                        bool ask, const ImageSettings& settings, const TargetPathCheck& check)
{
    if (format == saveAsDvf) {
        const std::string path = check(chosenPath, "dvf", dvfBytesNeeded, ask);
        return !path.empty() && copyDvfFile(dvfPath, path);
    }
    return convertToSizes(dvfPath, {{chosenPath, settings.ImgSize}}, format, ask, settings,
                          check, true);
}

bool convertPictureFileToSizes(const std::string& dvfPath, const std::vector<SizedSave>& saves,
                               int format, bool ask, const ImageSettings& settings,
                               const TargetPathCheck& check)
{
    return convertToSizes(dvfPath, saves, format, ask, settings, check, false);
}

bool importToDvf(const std::string& picturePath, const std::string& dvfPath,
                 const ImageSettings& settings, const TargetPathCheck& check)
{
    ImageDocument picture;
    if (!picture.load(picturePath) || picture.height <= 0)
        return false;
    const int aspect = aspectOf(picture);
    const bool boxed = needsBox(aspect, settings);
    const DvSystem system = settings.EncFormat == 1 ? dvSystem625 : dvSystem525;
    std::vector<uint8_t> pixels;
    const bool ready = (!boxed || boxOntoBackground(picture, aspect, settings)) &&
                       picture.resize(720, linesOf(system)) &&
                       pixelsForEncoder(picture, linesOf(system), check, pixels);
    removeFile(workFile());
    if (!ready)
        return false;
    const bool wide = settings.fSqeeze == 0 && aspect == wideAspect;
    return encodeToDvf(pixels, system, wide, dvfPath);
}

} // namespace vantrel

#pragma once
#include "image/DvCodec.h"
#include "image/ImageSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

struct PictureRecord;

// The target path check every writer of a user file goes through (the album's): the path to
// write with its extension forced, or empty when the write must not happen.
using TargetPathCheck = std::function<std::string(const std::string& path,
                                                  const std::string& extension,
                                                  uint64_t bytesNeeded, bool ask)>;

enum SaveFormat : int { saveAsJpeg = 0, saveAsBitmap = 1, saveAsDvf = 2, saveAsPng = 3 };

// What each save format writes: its file extension and the language key of its file filter.
struct SaveFormatRow {
    SaveFormat format;
    const char* extension;
    const char* filterKey;
};
inline constexpr SaveFormatRow saveFormatRows[] = {
    {saveAsJpeg, "jpg", "FL_JPG"},
    {saveAsBitmap, "bmp", "FL_BMP"},
    {saveAsDvf, "dvf", "FL_DVF"},
    {saveAsPng, "png", "FL_PNG"},
};
// The row of a format; nullptr for a value that names none.
const SaveFormatRow* saveFormatRow(int format);
// The picture formats that carry the picture's facts in their metadata.
constexpr bool carriesFacts(int format) { return format == saveAsJpeg || format == saveAsPng; }

struct PictureSize {
    int width;
    int height;
};

// The size a picture is saved at for ImgSize (0 and unknown values keep 720 x lines).
PictureSize savedPictureSize(int imgSize, bool wide, DvSystem system);

// The work file of the conversions in the program folder; it lives for one operation.
inline constexpr char conversionWorkFile[] = "temp.bmp";

constexpr uint64_t dvfBytesNeeded = 150000;
constexpr uint64_t importWorkBytes = 1300000;

// A 640 x 480 24-bit bitmap file, black (fMskBlk 0) or white.
bool writeBlankBackground(const std::string& path, int fMskBlk);

// Decodes a DVF file at full size with the save correction into a 24-bit bitmap file. The
// picture record is left to the caller (its wide flag), without frame data.
bool decodeToBitmapFile(const std::string& dvfPath, const std::string& bitmapPath,
                        const ImageSettings& settings, const TargetPathCheck& check,
                        PictureRecord& record);

// Saves a DVF picture as JPEG, bitmap, PNG or DVF (a copy of the file) by the settings; JPEG
// and PNG files carry the picture's facts.
bool convertPictureFile(const std::string& dvfPath, const std::string& chosenPath, int format,
                        bool ask, const ImageSettings& settings, const TargetPathCheck& check);

struct SizedSave {
    std::string path;
    int imgSize; // as ImgSize
};
// Saves a DVF picture as JPEG, bitmap or PNG files of their own sizes, decoding it once; stops at
// the first save that fails. The files carry no facts (the HTML album's pictures).
bool convertPictureFileToSizes(const std::string& dvfPath, const std::vector<SizedSave>& saves,
                               int format, bool ask, const ImageSettings& settings,
                               const TargetPathCheck& check);

// Turns a bitmap or JPEG picture into a DVF file of the settings' video system, pillar-boxed,
// letter-boxed or squeezed by its aspect.
bool importToDvf(const std::string& picturePath, const std::string& dvfPath,
                 const ImageSettings& settings, const TargetPathCheck& check);

} // namespace vantrel

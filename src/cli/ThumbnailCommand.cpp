// vantrel-cli thumbnail: the file manager's picture of a DVF file.
#include "Cli.h"

#include "image/DvCodec.h"
#include "image/ImageFile.h"
#include "image/Thumbnail.h"
#include "platform/FileReplace.h"

#include <cstdlib>

namespace vantrel::cli {

namespace {

constexpr int largestThumbnail = 4096;

bool sizeWord(const std::string& word, int& size)
{
    char* end = nullptr;
    const long number = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || number < 1 || number > largestThumbnail)
        return false;
    size = static_cast<int>(number);
    return true;
}

int thumbnail(const Arguments& arguments)
{
    const auto& words = arguments.words;
    int size = 0;
    if (words.size() != 3)
        return fail("thumbnail needs IN OUT SIZE (try --help)");
    if (!sizeWord(words[2], size))
        return fail("SIZE must be a number from 1 to " + std::to_string(largestThumbnail));
    if (!DvcLoad())
        return fail("the DV codec is not available");
    std::string error;
    const QImage picture = dvfThumbnail(words[0], size, error);
    DvcRelease();
    if (picture.isNull())
        return fail(error);
    const bool written = replaceFileThrough(words[1], [&](const std::string& workFile) {
        return saveImageFile(picture, workFile, "PNG");
    });
    return written ? 0 : fail(words[1] + ": cannot be written");
}

const Registration thumbnailCommand({
    "thumbnail", "thumbnail IN.dvf OUT.png SIZE",
    "Writes the DVF picture as a PNG of square pixels at most SIZE pixels on its longer side\n"
    "(4:3, or 16:9 for a wide picture; never larger than the picture itself). The desktop's\n"
    "thumbnailer entry runs it for DVF files.",
    "", thumbnail});

} // namespace

} // namespace vantrel::cli

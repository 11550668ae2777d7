// vantrel-cli info, convert and import: DVF pictures and picture files, on the program's own
// conversion code and its target path check.
#include "Choices.h"
#include "Cli.h"
#include "CommandLinePrompts.h"

#include "image/TargetPath.h"
#include "i18n/LanguageTable.h"
#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/ImageKit.h"
#include "image/ImageSettings.h"
#include "platform/Profile.h"
#include "platform/Paths.h"

#include <cstdio>

namespace vantrel::cli {

namespace {

constexpr Choice formatChoices[] = {{"jpeg", saveAsJpeg}, {"jpg", saveAsJpeg}, {"bmp", saveAsBitmap},
                                    {"dvf", saveAsDvf},  {"png", saveAsPng}};
constexpr Choice correctionChoices[] = {{"none", 0}, {"movement", 1}, {"field", 2}};
constexpr Choice systemChoices[] = {{"ntsc", 0}, {"pal", 1}};
constexpr Choice wideChoices[] = {{"squeeze", 0}, {"letterbox", 1}};
constexpr Choice maskChoices[] = {{"black", 0}, {"white", 1}};
constexpr Choice colourChoices[] = {{"24", 24}, {"8", 8}, {"4", 4}, {"1", 1}};

bool number(const Arguments& arguments, const char* name, int low, int high, int& field)
{
    std::optional<int> value;
    if (!arguments.intValue(name, low, high, value)) {
        fail(std::string("--") + name + " must be a number from " + std::to_string(low) + " to " +
             std::to_string(high));
        return false;
    }
    if (value)
        field = *value;
    return true;
}

// The check as the conversions call it, remembering the last path it granted.
struct RecordingCheck {
    PathPrompts& prompts;
    std::string granted;

    TargetPathCheck function()
    {
        return [this](const std::string& path, const std::string& extension, uint64_t bytes, bool ask) {
            const std::string result = targetPathCheck(path, extension, bytes, ask, prompts);
            if (!result.empty())
                granted = result;
            return result;
        };
    }
};

bool readInput(const std::string& path, PictureRecord& record)
{
    record.path = path;
    if (readPictureFile(record))
        return true;
    fail(path + ": cannot be read as a DVF file");
    return false;
}

bool outputPath(const Arguments& arguments, std::string& out)
{
    const auto value = arguments.value("o");
    if (!value || value->empty() || arguments.words.size() != 1) {
        fail("give one input file and -o OUT (see --help)");
        return false;
    }
    out = *value;
    return true;
}

int info(const Arguments& arguments)
{
    if (arguments.words.size() != 1)
        return fail("give one DVF file (see --help)");
    PictureRecord record;
    if (!readInput(arguments.words[0], record))
        return 1;
    std::printf("system=%s timecode=%s wide=%d", factsOf(record.videoSystem()).name,
                record.timeCode.c_str(), record.wide ? 1 : 0);
    if (record.recorded)
        std::printf(" recorded=%s", recordingDateText(*record.recorded, 'T').c_str());
    std::printf("\n");
    return 0;
}

bool convertOptions(const Arguments& arguments, ImageSettings& settings)
{
    return choose(arguments, "format", formatChoices, settings.Format) &&
           number(arguments, "size", 0, 4, settings.ImgSize) &&
           number(arguments, "quality", 0, 100, settings.JpegQ) &&
           choose(arguments, "colors", colourChoices, settings.BmpColor) &&
           choose(arguments, "correction", correctionChoices, settings.Revision);
}

int convert(const Arguments& arguments)
{
    std::string out;
    ImageSettings settings = loadImageSettings(CProfile());
    PictureRecord record;
    if (!outputPath(arguments, out) || !convertOptions(arguments, settings) ||
        !readInput(arguments.words[0], record) || !loadLanguage() || !loadCodec())
        return 1;
    record.releaseFrame();
    CommandLinePrompts prompts(arguments.hasFlag("force"));
    RecordingCheck check{prompts, {}};
    const bool done = convertPictureFile(arguments.words[0], out, settings.Format, true, settings,
                                         check.function());
    DvcRelease();
    if (!done)
        return refused(prompts, out, saveFormatRow(settings.Format)->extension, "conversion");
    std::printf("%s\n", check.granted.c_str());
    return 0;
}

bool importOptions(const Arguments& arguments, ImageSettings& settings)
{
    return choose(arguments, "system", systemChoices, settings.EncFormat) &&
           choose(arguments, "wide", wideChoices, settings.fSqeeze) &&
           choose(arguments, "mask", maskChoices, settings.fMskBlk);
}

int import(const Arguments& arguments)
{
    std::string out;
    ImageSettings settings = loadImageSettings(CProfile());
    if (!outputPath(arguments, out) || !importOptions(arguments, settings))
        return 1;
    const std::string& in = arguments.words[0];
    if (!ImgKitFileType(in, nullptr)) {
        const std::string refusal = ImgKitSizeRefusal(in);
        return fail(in + ": " + (refusal.empty() ? "not a bitmap or JPEG picture that can be read" : refusal));
    }
    if (!loadLanguage() || !loadCodec())
        return 1;
    CommandLinePrompts prompts(arguments.hasFlag("force"));
    RecordingCheck check{prompts, {}};
    const std::string target = targetPathCheck(out, "dvf", dvfBytesNeeded, true, prompts);
    const bool done = !target.empty() && importToDvf(in, target, settings, check.function());
    DvcRelease();
    if (!done)
        return refused(prompts, out, "dvf", "import");
    std::printf("%s\n", target.c_str());
    return 0;
}

const Registration infoCommand({
    "info", "info FILE.dvf",
    "Prints the DVF picture's video system, time code, aspect and, when the frame carries it,\n"
    "when it was recorded:\n"
    "  system=525|625 timecode=hh:mm:ss:ff wide=0|1 [recorded=YYYY-MM-DDThh:mm:ss]",
    "", info});

const Registration convertCommand({
    "convert",
    "convert IN.dvf -o OUT [--format jpeg|bmp|png|dvf] [--size 0-4] [--quality 0-100] "
    "[--colors 24|8|4|1] [--correction none|movement|field] [--force]",
    "Saves a DVF picture as JPEG, bitmap, PNG or DVF, as the program saves album pictures; JPEG\n"
    "and PNG files carry the time code, video system, aspect and dates. Options\n"
    "not given take the image settings of wyb30.ini (section Setup). The extension of OUT is\n"
    "forced to the format's; an existing file is replaced only with --force.",
    "o format size quality colors correction", convert});

const Registration importCommand({
    "import",
    "import IN.jpg|IN.bmp -o OUT.dvf [--system ntsc|pal] [--wide squeeze|letterbox] "
    "[--mask black|white] [--force]",
    "Turns a JPEG or bitmap picture into a DVF file as the program imports pictures: 4:3 is\n"
    "scaled, narrower pictures are pillar-boxed, wider ones letter-boxed (16:9 is squeezed\n"
    "unless --wide letterbox). Options not given take the settings of wyb30.ini.",
    "o system wide mask", import});

} // namespace

} // namespace vantrel::cli

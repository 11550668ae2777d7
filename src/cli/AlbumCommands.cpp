// vantrel-cli album list, pack and unpack: album files on the program's own album model,
// which works in a program folder of its own so that the program's side files stay alone.
#include "Choices.h"
#include "Cli.h"
#include "CommandLinePrompts.h"

#include "album/Album.h"
#include "album/AlbumFile.h"
#include "album/HtmlExport.h"
#include "album/ImageSaving.h"
#include "image/DvCodec.h"
#include "image/ImageSettings.h"
#include "platform/Profile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace vantrel::cli {

namespace {

// A private program folder for the album's side files, removed with the object.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantrel-album-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code error;
        if (!path.empty())
            fs::remove_all(path, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path;
};

bool existingFolder(const std::string& path)
{
    std::error_code error;
    const std::string folder = folderOf(fs::absolute(path, error).string());
    if (folderExists(folder.empty() ? "/" : folder))
        return true;
    fail(folder + ": no such folder");
    return false;
}

// Opens the album file into `album`; false with a message.
bool openInto(Album& album, const std::string& path)
{
    CommandLinePrompts prompts(false);
    if (!fileExists(albumPathToOpen(path))) {
        fail(albumPathToOpen(path) + ": no such file");
        return false;
    }
    if (album.openAlbum(path, prompts))
        return true;
    if (!prompts.warned)
        fail(albumPathToOpen(path) + ": not an album file");
    return false;
}

// Runs `work` on an album in a scratch folder with the codec and language loaded.
template <typename Work>
int withAlbum(Work work)
{
    ScratchFolder scratch;
    if (scratch.path.empty())
        return fail("no temporary folder can be made");
    if (!loadLanguage() || !loadCodec())
        return 1;
    Album album(scratch.path);
    const int status = work(album);
    DvcRelease();
    return status;
}

int list(const Arguments& arguments)
{
    if (arguments.words.size() != 2)
        return fail("give one album file (see --help)");
    return withAlbum([&](Album& album) {
        if (!openInto(album, arguments.words[1]))
            return 1;
        for (int p = 1; p <= album.count(); ++p) {
            const AlbumPlace& place = album.place(p);
            std::printf("place=%d system=%s timecode=%s wide=%d\n", p,
                        factsOf(systemOfNumber(place.system)).name, place.timeCode.c_str(),
                        place.wide ? 1 : 0);
        }
        return 0;
    });
}

int pack(const Arguments& arguments)
{
    const auto out = arguments.value("o");
    if (!out || out->empty() || arguments.words.size() < 2)
        return fail("give the DVF files and -o FILE.zal (see --help)");
    const int pictures = static_cast<int>(arguments.words.size()) - 1;
    if (pictures > albumMaxPictures)
        return fail(std::to_string(pictures) + " pictures: an album holds at most 99");
    if (!existingFolder(*out))
        return 1;
    return withAlbum([&](Album& album) {
        for (size_t i = 1; i < arguments.words.size(); ++i)
            if (!album.addPicture(arguments.words[i]))
                return fail(arguments.words[i] + ": cannot be read as a DVF picture");
        CommandLinePrompts prompts(arguments.hasFlag("force"));
        if (!album.saveAlbum(*out, true, prompts))
            return refused(prompts, *out, "zal", "saving the album");
        std::printf("%s\n", album.lastAlbumPath().c_str());
        return 0;
    });
}

int unpack(const Arguments& arguments)
{
    const auto out = arguments.value("o");
    if (!out || out->empty() || arguments.words.size() != 2)
        return fail("give one album file and -o DIR (see --help)");
    if (!folderExists(*out))
        return fail(*out + ": no such folder");
    return withAlbum([&](Album& album) {
        if (!openInto(album, arguments.words[1]))
            return 1;
        for (int p = 1; p <= album.count(); ++p) {
            const std::string target = *out + "/" + pathWithoutExtension(sideFileName(p)) + ".dvf";
            std::vector<uint8_t> bytes;
            const bool copied = readWholeFile(album.sideFilePath(p), bytes);
            const FilePart part{bytes.data(), bytes.size()};
            if (!copied || !replaceFileWhole(target, &part, 1))
                return fail(target + ": cannot be written");
            std::printf("%s\n", target.c_str());
        }
        return 0;
    });
}

bool parseSelection(const std::string& text, int count, std::vector<int>& places);

constexpr Choice exportFormats[] = {
    {"jpeg", saveAsJpeg}, {"jpg", saveAsJpeg}, {"bmp", saveAsBitmap}, {"png", saveAsPng}};
constexpr Choice exportNamings[] = {{"number", static_cast<int>(ImageNaming::number)},
                                    {"timecode", static_cast<int>(ImageNaming::timeCode)},
                                    {"recorded", static_cast<int>(ImageNaming::recorded)}};

// The picture format of wyb30.ini when it is one, else JPEG; then --format.
bool exportSettings(const Arguments& arguments, ImageSettings& settings, ImageNaming& naming)
{
    settings = loadImageSettings(CProfile());
    if (settings.Format == saveAsDvf || !saveFormatRow(settings.Format))
        settings.Format = saveAsJpeg;
    int chosenNaming = static_cast<int>(ImageNaming::number);
    if (!choose(arguments, "format", exportFormats, settings.Format) ||
        !choose(arguments, "name", exportNamings, chosenNaming))
        return false;
    naming = static_cast<ImageNaming>(chosenNaming);
    return true;
}

// The places --select names, or every place.
bool exportPlaces(const Arguments& arguments, int count, std::vector<int>& places)
{
    if (const auto select = arguments.value("select")) {
        if (parseSelection(*select, count, places))
            return true;
        fail("--select: give places of the album, such as 2,4");
        return false;
    }
    for (int p = 1; p <= count; ++p)
        places.push_back(p);
    return true;
}

int exportPictures(const Arguments& arguments)
{
    const auto out = arguments.value("o");
    if (!out || out->empty() || arguments.words.size() != 2)
        return fail("give one album file and -o DIR (see --help)");
    if (!folderExists(*out))
        return fail(*out + ": no such folder");
    ImageSettings settings;
    ImageNaming naming;
    if (!exportSettings(arguments, settings, naming))
        return 1;
    return withAlbum([&](Album& album) {
        std::vector<int> places;
        if (!openInto(album, arguments.words[1]) || !exportPlaces(arguments, album.count(), places))
            return 1;
        std::vector<std::string> sideFiles;
        for (int p = 1; p <= album.count(); ++p)
            sideFiles.push_back(album.sideFilePath(p));
        CommandLinePrompts prompts(arguments.hasFlag("force"));
        SaveProgress quiet;
        const ImageBatch batch{*out, naming, true};
        const int saved = saveImageBatch(sideFiles, places, settings, batch, quiet,
                                         targetPathCheckWith(prompts),
                                         {0, static_cast<int>(places.size())});
        for (int i = 0; i <= saved && i < static_cast<int>(places.size()); ++i) {
            const std::string target = *out + "/" +
                batchImageName(sideFiles[places[i] - 1], places[i], settings.Format, naming);
            if (i == saved)
                return refused(prompts, target, saveFormatRow(settings.Format)->extension,
                               "saving the picture");
            std::printf("%s\n", target.c_str());
        }
        return 0;
    });
}

int album(const Arguments& arguments)
{
    const std::string action = arguments.words.empty() ? "" : arguments.words[0];
    if (action == "list")
        return list(arguments);
    if (action == "pack")
        return pack(arguments);
    if (action == "unpack")
        return unpack(arguments);
    if (action == "export")
        return exportPictures(arguments);
    return fail("album: give list, pack, unpack or export (see --help)");
}

const Registration albumCommand({
    "album",
    "album list FILE.zal | album pack DVF... -o FILE.zal [--force] | album unpack FILE.zal -o DIR "
    "| album export FILE.zal -o DIR [--format jpeg|bmp|png] [--select 2,4] "
    "[--name number|timecode|recorded] [--force]",
    "Album files as the program reads and writes them.\n"
    "  list    one line per picture: place=N system=525|625 timecode=hh:mm:ss:ff wide=0|1\n"
    "  pack    makes an album of up to 99 DVF pictures and writes its cut list (.qob) beside\n"
    "          it; an existing album is replaced only with --force\n"
    "  unpack  writes each picture as DIR/lum001.dvf, lum002.dvf, ...\n"
    "  export  saves the pictures (those of --select, when given) as the program's Save Image\n"
    "          As does, JPEG and PNG with their time code and dates: DIR/lum01.png, by time\n"
    "          code DIR/lum01_00-01-02-03.png, by recording date\n"
    "          DIR/lum01_2004-07-18_10-20-30.png (by number when a picture has none). The\n"
    "          format defaults to that of wyb30.ini (JPEG for DVF); an existing file is\n"
    "          replaced only with --force.",
    "o format select name", album});

// "2,4" as places of an album of `count` pictures, ascending and without repeats.
bool parseSelection(const std::string& text, int count, std::vector<int>& places)
{
    std::string item;
    for (size_t start = 0; start <= text.size();) {
        const size_t comma = std::min(text.find(',', start), text.size());
        item = text.substr(start, comma - start);
        char* end = nullptr;
        const long place = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || place < 1 || place > count)
            return false;
        places.push_back(static_cast<int>(place));
        start = comma + 1;
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return true;
}

int html(const Arguments& arguments)
{
    const auto out = arguments.value("o");
    const auto title = arguments.value("title");
    if (!out || out->empty() || !title || arguments.words.size() != 1)
        return fail("give one album file, -o INDEX.htm and --title TEXT (see --help)");
    return withAlbum([&](Album& album) {
        if (!openInto(album, arguments.words[0]))
            return 1;
        HtmlAlbumSource source;
        for (int p = 1; p <= album.count(); ++p)
            source.sideFiles.push_back(album.sideFilePath(p));
        if (const auto select = arguments.value("select");
            select && !parseSelection(*select, album.count(), source.selectedPlaces))
            return fail("--select: give places of the album, such as 2,4");
        CommandLinePrompts prompts(arguments.hasFlag("force"));
        SaveProgress quiet;
        const auto backColour =
            static_cast<uint32_t>(CProfile().intOr("Setup", "BackColor", defaultBackColour));
        if (!exportHtmlAlbum(*out, *title, true, backColour, source, prompts, quiet)) {
            if (prompts.declined)
                return fail(pathWithForcedExtension(*out, "htm") + " exists (use --force to replace it)");
            return prompts.warned ? 1 : fail("the HTML album cannot be written");
        }
        std::printf("%s\n", pathWithForcedExtension(*out, "htm").c_str());
        return 0;
    });
}

const Registration htmlCommand({
    "html",
    "html FILE.zal -o INDEX.htm --title TEXT [--select 2,4] [--force]",
    "Makes an HTML album of the album file: the index page, and beside it a folder named\n"
    "after it with a page, a picture and a thumbnail per picture (only the places given\n"
    "with --select, when given). Colours follow \"Setup\"/\"BackColor\" of wyb30.ini; an\n"
    "existing index page is replaced only with --force.",
    "o title select", html});

} // namespace

} // namespace vantrel::cli

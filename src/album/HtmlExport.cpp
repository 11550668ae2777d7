#include "HtmlExport.h"

#include "image/TargetPath.h"
#include "i18n/LanguageTable.h"
#include "image/Conversions.h"
#include "image/WholeFile.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace vantrel {

namespace {

constexpr uint64_t bytesPerPicture = 150000;
constexpr int picturesPerRow = 5;
constexpr int thumbnailImgSize = 3; // 160 x 120, 212 x 120 wide
constexpr int pictureImgSize = 1;   // 640 x 480, 848 x 480 wide
constexpr char utf8ByteOrderMark[] = "\xEF\xBB\xBF";

std::string threeDigits(int k)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", k);
    return digits;
}

std::string pageName(int k) { return "lum" + threeDigits(k) + ".htm"; }
std::string pictureName(int k) { return "lum" + threeDigits(k) + ".jpg"; }
std::string thumbnailName(int k) { return "lum" + threeDigits(k) + "tn.jpg"; }

// The title as page text: the four characters HTML gives a meaning of their own, escaped.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A page of plain ASCII stays as it is; any other page tells the browser it is UTF-8.
std::string encodedPage(const std::string& page)
{
    const bool ascii = std::all_of(page.begin(), page.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? page : utf8ByteOrderMark + page;
}

std::string pageHead(const std::string& title, const HtmlColourPair& colours)
{
    return "<HTML>\n<HEAD>\n<TITLE>" + title + "</TITLE>\n</HEAD>\n<BODY BGCOLOR=#" +
           colours.background + " TEXT=#" + colours.text + ">\n<CENTER>\n";
}

std::string linkCell(const std::string& target, const std::string& text)
{
    return "<TD>\n<A HREF=\"" + target + "\">" + text + "</A>\n</TD>\n";
}

// Beside its final name first, so a page is never seen half written.
bool writeTextFile(const std::string& path, const std::string& text)
{
    return replaceFileWhole(path, {{reinterpret_cast<const uint8_t*>(text.data()), text.size()}});
}

std::string utf8Text(std::string_view key) { return textForKey(key).toUtf8().toStdString(); }

ImageSettings exportImageSettings()
{
    ImageSettings settings;
    settings.Format = saveAsJpeg;
    settings.JpegQ = 75;
    settings.Revision = 1; // Movement
    return settings;
}

void removeOldPictures(const std::string& pictureFolder)
{
    std::error_code ignored;
    for (int i = 1; i <= 99; ++i)
        for (const std::string& name : {thumbnailName(i), pictureName(i), pageName(i)}) {
            std::filesystem::remove(pictureFolder + "/" + name, ignored);
            std::filesystem::remove(pictureFolder + "/" + name + partSuffix, ignored); // a killed export's
        }
}

class PictureExport {
public:
    PictureExport(const std::string& pictureFolder, const HtmlPageStyle& style, int pictures,
                  PathPrompts& prompts)
        : folder(pictureFolder), style(style), pictures(pictures),
          check(targetPathCheckWith(prompts))
    {
    }

    // The two images and the page of exported picture k; false when an image fails.
    bool write(const std::string& sideFile, int k)
    {
        return convertPictureFileToSizes(sideFile,
                                         {{folder + "/" + thumbnailName(k), thumbnailImgSize},
                                          {folder + "/" + pictureName(k), pictureImgSize}},
                                         saveAsJpeg, false, settings, check) &&
               writeTextFile(folder + "/" + pageName(k), htmlPicturePage(style, k, pictures));
    }

private:
    const std::string folder;
    const HtmlPageStyle& style;
    const int pictures;
    const ImageSettings settings = exportImageSettings();
    const TargetPathCheck check;
};

void warnInput(PathPrompts& prompts)
{
    prompts.warn("MSG_INPUT", messageText("TI_MAIN"), messageText("MSG_INPUT"));
}

} // namespace

int HtmlAlbumSource::exportedCount() const
{
    return hasSelection() ? static_cast<int>(selectedPlaces.size())
                          : static_cast<int>(sideFiles.size());
}

bool HtmlAlbumSource::isExported(int place) const
{
    return !hasSelection() ||
           std::binary_search(selectedPlaces.begin(), selectedPlaces.end(), place);
}

std::string freeAlbumName(const std::string& path)
{
    const std::string base = baseNameOf(path);
    const std::string stem =
        folderOf(path) + "/" + base.substr(0, base.size() >= 2 ? base.size() - 2 : 0);
    std::string candidate;
    for (int m = 0; m <= 99; ++m) {
        char number[4];
        std::snprintf(number, sizeof number, "%02d", m);
        candidate = stem + number + "." + extensionOf(path);
        if (!fileExists(candidate))
            break;
    }
    return candidate;
}

std::string htmlIndexPage(const HtmlPageStyle& style, int pictures)
{
    const std::string title = escaped(style.title);
    const std::string folder = style.indexStem + "/";
    std::string page = pageHead(title, style.colours) + "<H1>" + title + "</H1><BR>\n" +
                       "<TABLE BORDER=4>\n";
    for (int k = 1; k <= pictures; ++k) {
        if (k % picturesPerRow == 1)
            page += "<TR>\n";
        page += "<TD>\n<A HREF=\"" + folder + pageName(k) + "\">\n<IMG SRC=\"" + folder +
                thumbnailName(k) + "\" WIDTH=80 HEIGHT=60 BORDER=0><BR>\n" + thumbnailName(k) +
                "</A></TD>\n";
        if (k % picturesPerRow == 0)
            page += "</TR>\n";
    }
    if (pictures % picturesPerRow != 0)
        page += "</TR>\n";
    page += "</TABLE>\n</CENTER>\n</BODY>\n</HTML>\n";
    return encodedPage(page);
}

std::string htmlPicturePage(const HtmlPageStyle& style, int k, int pictures)
{
    const std::string heading = escaped(style.title) + ":" + pictureName(k);
    const std::string previous = pageName(k == 1 ? pictures : k - 1);
    const std::string next = pageName(k == pictures ? 1 : k + 1);
    const std::string page = pageHead(heading, style.colours) + "<H3>" + heading + "</H3>\n" +
                             "<BR>\n<TABLE BORDER=2>\n<TR>\n" +
                             linkCell(previous, style.previousText) +
                             linkCell("../" + style.indexStem + ".htm", style.indexText) +
                             linkCell(next, style.nextText) + "</TR></TABLE><BR>\n" +
                             "<IMG SRC=\"" + pictureName(k) + "\" BORDER=0>\n" +
                             "</CENTER>\n</BODY>\n</HTML>\n";
    return encodedPage(page);
}

HtmlPageStyle htmlPageStyle(const std::string& title, uint32_t backColour,
                            const std::string& indexPath)
{
    return {title,
            htmlColourPair(backColour),
            baseNameOf(indexPath),
            utf8Text("HT_PREV"),
            utf8Text("HT_INDEX"),
            utf8Text("HT_NEXT")};
}

bool exportHtmlAlbum(const std::string& indexPath, const std::string& title, bool ask,
                     uint32_t backColour, const HtmlAlbumSource& source, PathPrompts& prompts,
                     SaveProgress& progress)
{
    const int pictures = source.exportedCount();
    const std::string target =
        targetPathCheck(indexPath, "htm", pictures * bytesPerPicture, ask, prompts);
    if (target.empty())
        return false;
    const HtmlPageStyle style = htmlPageStyle(title, backColour, target);
    const std::string pictureFolder = pathWithoutExtension(target);
    if (!folderCheck(pictureFolder) || !writeTextFile(target, htmlIndexPage(style, pictures))) {
        warnInput(prompts);
        return false;
    }
    progress.begin();
    progress.setPercent(0);
    removeOldPictures(pictureFolder);
    PictureExport pictureExport(pictureFolder, style, pictures, prompts);
    const int places = static_cast<int>(source.sideFiles.size());
    for (int place = 1, k = 0; place <= places; ++place) {
        if (progress.takeStopRequest())
            break;
        progress.serviceEvents();
        if (!source.isExported(place))
            continue;
        ++k;
        if (!pictureExport.write(source.sideFiles[place - 1], k))
            break;
        progress.setPercent(source.hasSelection() ? k * 100 / pictures : place * 100 / places);
    }
    progress.end();
    return true;
}

} // namespace vantrel

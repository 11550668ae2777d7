#pragma once
#include "SaveProgress.h"
#include "image/ImageSettings.h"

#include <string>
#include <vector>

namespace vantrel {

class PathPrompts;

// What an HTML album is made of: the side files of the album's places in place order and the
// places chosen (empty when nothing is selected: every picture goes).
struct HtmlAlbumSource {
    std::vector<std::string> sideFiles; // place p at index p - 1
    std::vector<int> selectedPlaces;    // 1-based, ascending

    bool hasSelection() const { return !selectedPlaces.empty(); }
    int exportedCount() const;
    bool isExported(int place) const;
};


// The texts and colours every page of one album shares.
struct HtmlPageStyle {
    std::string title;        // as typed; written escaped
    HtmlColourPair colours;
    std::string indexStem;    // the index page's name without extension: "Album00"
    std::string previousText; // "HT_PREV", "HT_INDEX" and "HT_NEXT", UTF-8
    std::string indexText;
    std::string nextText;
};

// The first of folder/Album00.htm ... folder/Album99.htm that does not exist yet, built from
// `path`'s folder, its base name less two characters and its extension; the last one tried
// when all exist.
std::string freeAlbumName(const std::string& path);

// Pages as written: UTF-8, with a byte order mark when any character is not ASCII.
std::string htmlIndexPage(const HtmlPageStyle& style, int pictures);
std::string htmlPicturePage(const HtmlPageStyle& style, int k, int pictures);

// The page style for a title, the back colour (0x00BBGGRR) and an index page path, with the
// link texts of the running language.
HtmlPageStyle htmlPageStyle(const std::string& title, uint32_t backColour,
                            const std::string& indexPath);

// Writes the index page, then two pictures and a page per exported picture into the picture
// folder beside it. False when nothing was exported (a refused target, a bad folder or index
// page); a failed picture or Stop ends the loop, keeping what was written.
bool exportHtmlAlbum(const std::string& indexPath, const std::string& title, bool ask,
                     uint32_t backColour, const HtmlAlbumSource& source, PathPrompts& prompts,
                     SaveProgress& progress);

} // namespace vantrel

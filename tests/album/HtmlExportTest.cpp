#include "support/TempFolder.h"

#include "../image/Frames.h"
#include "RecordingPrompts.h"
#include "album/HtmlExport.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "platform/Paths.h"

#include <QImageReader>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

HtmlPageStyle plainStyle(const std::string& title)
{
    return {title, {"20A4BF", "000000"}, "Album00", "Previous", "Index", "Next"};
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string indexCell(int k)
{
    char name[16];
    std::snprintf(name, sizeof name, "lum%03d", k);
    const std::string stem = name;
    return "<TD>\n<A HREF=\"Album00/" + stem + ".htm\">\n<IMG SRC=\"Album00/" + stem +
           "tn.jpg\" WIDTH=80 HEIGHT=60 BORDER=0><BR>\n" + stem + "tn.jpg</A></TD>\n";
}

std::string cells(int from, int to)
{
    std::string out;
    for (int k = from; k <= to; ++k)
        out += indexCell(k);
    return out;
}

const std::string indexHead = "<HTML>\n<HEAD>\n<TITLE>Trip</TITLE>\n</HEAD>\n"
                              "<BODY BGCOLOR=#20A4BF TEXT=#000000>\n<CENTER>\n"
                              "<H1>Trip</H1><BR>\n<TABLE BORDER=4>\n";
const std::string pageTail = "</CENTER>\n</BODY>\n</HTML>\n";

TEST(HtmlPages, IndexRowsOfFive)
{
    const struct {
        int pictures;
        std::string table;
    } cases[] = {
        {5, "<TR>\n" + cells(1, 5) + "</TR>\n"},
        {7, "<TR>\n" + cells(1, 5) + "</TR>\n<TR>\n" + cells(6, 7) + "</TR>\n"},
        {10, "<TR>\n" + cells(1, 5) + "</TR>\n<TR>\n" + cells(6, 10) + "</TR>\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(htmlIndexPage(plainStyle("Trip"), c.pictures),
                  indexHead + c.table + "</TABLE>\n" + pageTail)
            << c.pictures << " pictures";
}

TEST(HtmlPages, PicturePagesWrapAround)
{
    auto page = [](int k, const std::string& previous, const std::string& next) {
        char picture[16];
        std::snprintf(picture, sizeof picture, "lum%03d.jpg", k);
        const std::string heading = std::string("Trip:") + picture;
        return "<HTML>\n<HEAD>\n<TITLE>" + heading + "</TITLE>\n</HEAD>\n" +
               "<BODY BGCOLOR=#20A4BF TEXT=#000000>\n<CENTER>\n<H3>" + heading + "</H3>\n" +
               "<BR>\n<TABLE BORDER=2>\n<TR>\n" + "<TD>\n<A HREF=\"" + previous +
               "\">Previous</A>\n</TD>\n" +
               "<TD>\n<A HREF=\"../Album00.htm\">Index</A>\n</TD>\n" + "<TD>\n<A HREF=\"" +
               next + "\">Next</A>\n</TD>\n" + "</TR></TABLE><BR>\n<IMG SRC=\"" + picture +
               "\" BORDER=0>\n" + pageTail;
    };
    EXPECT_EQ(htmlPicturePage(plainStyle("Trip"), 1, 2), page(1, "lum002.htm", "lum002.htm"));
    EXPECT_EQ(htmlPicturePage(plainStyle("Trip"), 2, 3), page(2, "lum001.htm", "lum003.htm"));
    EXPECT_EQ(htmlPicturePage(plainStyle("Trip"), 3, 3), page(3, "lum002.htm", "lum001.htm"));
    EXPECT_EQ(htmlPicturePage(plainStyle("Trip"), 1, 1), page(1, "lum001.htm", "lum001.htm"));
}

TEST(HtmlPages, TitleIsTextAndNonAsciiPagesCarryTheByteOrderMark)
{
    const std::string index = htmlIndexPage(plainStyle("Tom & Jerry <3 \"x\""), 1);
    EXPECT_NE(index.find("<TITLE>Tom &amp; Jerry &lt;3 &quot;x&quot;</TITLE>"), std::string::npos);
    EXPECT_NE(index.find("<H1>Tom &amp; Jerry &lt;3 &quot;x&quot;</H1>"), std::string::npos);
    EXPECT_EQ(index.rfind("<HTML>", 0), 0u) << "an ASCII page has no byte order mark";

    HtmlPageStyle japanese = plainStyle("\xE6\x97\x85"); // U+65C5
    EXPECT_EQ(htmlIndexPage(japanese, 1).rfind("\xEF\xBB\xBF<HTML>", 0), 0u);
    japanese = plainStyle("Trip");
    japanese.nextText = "\xE6\xAC\xA1"; // U+6B21
    EXPECT_EQ(htmlPicturePage(japanese, 1, 2).rfind("\xEF\xBB\xBF<HTML>", 0), 0u);
    EXPECT_EQ(htmlIndexPage(japanese, 2).rfind("<HTML>", 0), 0u) << "link texts are not on it";
}

TEST(HtmlPages, FreeAlbumNameTakesTheFirstUnusedNumber)
{
    test::TempFolder folder;
    EXPECT_EQ(freeAlbumName(folder.file("Album00.htm")), folder.file("Album00.htm"));
    for (const char* name : {"Album00.htm", "Album01.htm", "Album02.htm", "Album03.htm"})
        std::ofstream(folder.file(name)) << "x";
    EXPECT_EQ(freeAlbumName(folder.file("Album00.htm")), folder.file("Album04.htm"));
}

struct CountingProgress : SaveProgress {
    std::vector<int> percents;
    int stopAfter = -1;
    void setPercent(int percent) override { percents.push_back(percent); }
    bool takeStopRequest() override
    {
        return stopAfter >= 0 && static_cast<int>(percents.size()) > stopAfter;
    }
};

// Every HREF and SRC of the page, resolved against its folder.
std::vector<std::string> linkTargets(const std::string& page)
{
    std::vector<std::string> targets;
    const std::string text = readText(page);
    static const QRegularExpression link("(?:HREF|SRC)=\"([^\"]+)\"");
    for (auto match = link.globalMatch(QString::fromStdString(text)); match.hasNext();)
        targets.push_back(folderOf(page) + "/" + match.next().captured(1).toStdString());
    return targets;
}

QSize imageSize(const std::string& path) { return QImageReader(QString::fromStdString(path)).size(); }

class HtmlExport : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DvcLoad());
        const struct {
            DvSystem system;
            bool wide;
        } pictures[] = {{dvSystem525, false}, {dvSystem625, true}, {dvSystem525, true},
                        {dvSystem625, false}, {dvSystem525, false}};
        for (const auto& picture : pictures) {
            source.sideFiles.push_back(home.file("lum00" + std::to_string(source.sideFiles.size() + 1) + ".dat"));
            ASSERT_TRUE(test::writeTestDvf(source.sideFiles.back(), picture.system, picture.wide));
        }
    }

    bool exportTo(const std::string& path)
    {
        return exportHtmlAlbum(path, "Trip", true, 12559392, source, prompts, progress);
    }

    test::TempProgramFolder home;
    test::TempFolder site;
    HtmlAlbumSource source;
    test::RecordingPrompts prompts;
    CountingProgress progress;
};

TEST_F(HtmlExport, WholeAlbumLinksResolveAndImagesHaveTheirSizes)
{
    ASSERT_TRUE(exportTo(site.file("deep/er/site.html")));
    const std::string index = site.file("deep/er/site.htm");
    ASSERT_TRUE(fileExists(index));
    EXPECT_FALSE(fileExists(site.file("deep/er/site.html")));
    EXPECT_EQ(progress.percents, (std::vector<int>{0, 20, 40, 60, 80, 100}));
    std::vector<std::string> pages = {index};
    for (int k = 1; k <= 5; ++k)
        pages.push_back(site.file("deep/er/site/lum00" + std::to_string(k) + ".htm"));
    for (const auto& page : pages)
        for (const auto& target : linkTargets(page))
            EXPECT_TRUE(fileExists(target)) << target << " from " << page;
    EXPECT_EQ(imageSize(site.file("deep/er/site/lum001tn.jpg")), QSize(160, 120));
    EXPECT_EQ(imageSize(site.file("deep/er/site/lum002tn.jpg")), QSize(212, 120));
    EXPECT_EQ(imageSize(site.file("deep/er/site/lum002.jpg")), QSize(848, 480));
    EXPECT_EQ(imageSize(site.file("deep/er/site/lum004.jpg")), QSize(640, 480));
    EXPECT_NE(readText(index).find("BGCOLOR=#20A4BF TEXT=#000000"), std::string::npos);
}

TEST_F(HtmlExport, SelectionExportsOnlyItsPicturesAndStopKeepsWhatWasWritten)
{
    fs::create_directories(site.file("Album00"));
    std::ofstream(site.file("Album00/lum009.jpg")) << "old";
    source.selectedPlaces = {2, 4};
    ASSERT_TRUE(exportTo(site.file("Album00.htm")));
    EXPECT_EQ(progress.percents, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(imageSize(site.file("Album00/lum001.jpg")), QSize(848, 480)) << "from place 2";
    EXPECT_EQ(imageSize(site.file("Album00/lum002.jpg")), QSize(640, 480)) << "from place 4";
    EXPECT_FALSE(fileExists(site.file("Album00/lum003.htm")));
    EXPECT_FALSE(fileExists(site.file("Album00/lum009.jpg"))) << "old pictures are removed";

    source.selectedPlaces.clear();
    progress = CountingProgress{};
    progress.stopAfter = 2; // Stop pressed after the second picture
    prompts.yes = true;
    ASSERT_TRUE(exportTo(site.file("Album00.htm")));
    EXPECT_TRUE(fileExists(site.file("Album00/lum002.htm")));
    EXPECT_FALSE(fileExists(site.file("Album00/lum003.jpg")));
    EXPECT_NE(readText(site.file("Album00.htm")).find("lum005tn.jpg"), std::string::npos)
        << "the index lists every picture";
}

TEST_F(HtmlExport, RefusedReplacementWritesNothing)
{
    std::ofstream(site.file("Album00.htm")) << "mine";
    ASSERT_FALSE(exportTo(site.file("Album00.htm")));
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(readText(site.file("Album00.htm")), "mine");
    EXPECT_FALSE(fs::exists(site.file("Album00")));
}

} // namespace

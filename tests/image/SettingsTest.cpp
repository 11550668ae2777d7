#include "support/TempFolder.h"

#include "image/ImageSettings.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;

TEST(ImageSettings, MissingSetupSectionGivesTheDefaults)
{
    test::TempFolder folder;
    std::ofstream(folder.file("wyb30.ini")) << "[INIT]\nPort=1\n";
    const ImageSettings s = loadImageSettings(CProfile(folder.file("wyb30.ini")));
    EXPECT_EQ(s.Format, 0);
    EXPECT_EQ(s.JpegQ, 75);
    EXPECT_EQ(s.BmpColor, 24);
    EXPECT_EQ(s.ImgSize, 1);
    EXPECT_EQ(s.EncFormat, 0);
    EXPECT_EQ(s.IntervalTime, 0);
    EXPECT_EQ(s.IntervalMin, 1);
    EXPECT_EQ(s.Revision, 1);
    EXPECT_EQ(s.FrmNum, 5);
    EXPECT_EQ(s.FrmInt, 1);
    EXPECT_EQ(s.ViewRev, 1);
    EXPECT_EQ(s.fSqeeze, 0);
    EXPECT_EQ(s.fMskBlk, 0);
}

TEST(ImageSettings, KeysAreReadFromSetupAsWritten)
{
    test::TempFolder folder;
    std::ofstream(folder.file("wyb30.ini"))
        << "[setup]\nformat=1\nJpegQ=40\nBmpColor=16\nImgSize=7\nEncFormat=1\nRevision=2\n"
           "fSqeeze=1\nfMskBlk=1\nViewRev=0\nFrmNum=9\nJunk=3\n";
    const ImageSettings s = loadImageSettings(CProfile(folder.file("wyb30.ini")));
    EXPECT_EQ(s.Format, 1) << "keys and sections without regard to case";
    EXPECT_EQ(s.JpegQ, 40);
    EXPECT_EQ(s.BmpColor, 24) << "a depth the bitmap writer does not take gives the default";
    EXPECT_EQ(s.ImgSize, 1) << "out of range gives the default";
    EXPECT_EQ(s.EncFormat, 1);
    EXPECT_EQ(s.Revision, 2);
    EXPECT_EQ(s.fSqeeze, 1);
    EXPECT_EQ(s.fMskBlk, 1);
    EXPECT_EQ(s.ViewRev, 0);
    EXPECT_EQ(s.FrmNum, 9);
    EXPECT_EQ(s.IntervalMin, 1) << "missing key, default";
}

TEST(ImageSettings, CorrectionModes)
{
    EXPECT_EQ(correctionModeOf(0), 0);
    EXPECT_EQ(correctionModeOf(1), 2) << "Movement";
    EXPECT_EQ(correctionModeOf(2), 1) << "Field";
    EXPECT_EQ(correctionModeOf(5), 0);
}

TEST(ImageSettings, HtmlColourPair)
{
    const struct { uint32_t colour; const char* background; const char* text; } cases[] = {
        {12559392, "20A4BF", "000000"},  // Default: mean 129
        {0x800000, "000080", "FFFFFF"},  // dark blue
        {0xFFFFFF, "FFFFFF", "000000"},
        {0x000000, "000000", "FFFFFF"},
        {0x7F7F7F, "7F7F7F", "FFFFFF"},  // mean 127 is not above 127
        {0x80000005, "FFFFFF", "000000"}, // system window colour
        {0x8000000F, "C0C0C0", "000000"}, // system button face
    };
    for (const auto& c : cases) {
        const HtmlColourPair pair = htmlColourPair(c.colour);
        EXPECT_EQ(pair.background, c.background) << std::hex << c.colour;
        EXPECT_EQ(pair.text, c.text) << std::hex << c.colour;
    }
}

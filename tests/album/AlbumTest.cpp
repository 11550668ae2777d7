// The album model on real DV pictures in a program folder of its own.
#include "../image/Frames.h"
#include "support/TempFolder.h"

#include "album/Album.h"
#include "image/TargetPath.h"
#include "image/Dvf.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

struct KeyPrompts : PathPrompts {
    std::vector<std::string> warned;
    bool askYesNo(const QString&, const QString&) override { return true; }
    void warn(std::string_view key, const QString&, const QString&) override
    {
        warned.emplace_back(key);
    }
};

class AlbumTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }

    // A DVF picture; a time code (hours, minutes, seconds, frames, packed decimal) puts a
    // time-code pack into the first sequence's subcode.
    std::string dvf(const std::string& name, DvSystem system, std::vector<uint8_t> timeCode = {})
    {
        const std::string path = folder.file(name);
        EXPECT_TRUE(test::writeTestDvf(path, system, false));
        if (!timeCode.empty()) {
            auto bytes = test::fileBytes(path);
            const uint8_t pack[5] = {0x13, timeCode[3], timeCode[2], timeCode[1], timeCode[0]};
            std::copy(pack, pack + 5, bytes.begin() + dvfHeaderBytes + 6);
            test::writeBytes(path, bytes);
        }
        return path;
    }
    void addCopies(Album& into, const std::string& path, int copies)
    {
        for (int i = 0; i < copies; ++i)
            ASSERT_TRUE(into.addPicture(path));
    }

    test::TempFolder home;
    test::TempFolder folder;
    Album album{home.path()};
    KeyPrompts prompts;
};

TEST_F(AlbumTest, SavedAlbumHasTheFileLayoutAndOpensToTheSameBytes)
{
    struct Case {
        DvSystem system;
        size_t bytes;
        int sequences;
    };
    for (const Case c : {Case{dvSystem525, 360128, 10}, Case{dvSystem625, 432128, 12}}) {
        Album source(home.path());
        addCopies(source, dvf("p.dvf", c.system), 3);
        const std::string path = folder.file("a.zal");
        ASSERT_TRUE(source.saveAlbum(path, false, prompts));
        const auto bytes = test::fileBytes(path);
        ASSERT_EQ(bytes.size(), c.bytes);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 7),
                  (std::vector<uint8_t>{'Z', 'A', 'L', 1, 3, 0, 0x20}));
        const auto side = test::fileBytes(source.sideFilePath(2));
        const size_t record = 32 + (32 + c.sequences * 12000);
        EXPECT_TRUE(std::equal(side.begin(), side.begin() + 32, bytes.begin() + record));
        for (int s = 0; s < c.sequences; ++s) {
            const auto sequence = bytes.begin() + record + 32 + s * 12000;
            EXPECT_EQ(std::count(sequence, sequence + 80, 0), 80);
            EXPECT_TRUE(std::equal(sequence + 80, sequence + 12000, side.begin() + 32 + s * 11920));
        }
        test::TempFolder otherHome;
        Album reopened(otherHome.path());
        ASSERT_TRUE(reopened.openAlbum(path, prompts));
        ASSERT_TRUE(reopened.saveAlbum(folder.file("b.zal"), false, prompts));
        EXPECT_EQ(test::fileBytes(folder.file("b.zal")), bytes);
        source.clear();
    }
}

TEST_F(AlbumTest, CutListAndTimeCodes)
{
    ASSERT_TRUE(album.addPicture(dvf("a.dvf", dvSystem525, {0x00, 0x01, 0x02, 0x03})));
    ASSERT_TRUE(album.addPicture(dvf("b.dvf", dvSystem625, {0x00, 0x70, 0x02, 0x03})));
    ASSERT_TRUE(album.addPicture(dvf("c.dvf", dvSystem525)));
    EXPECT_EQ(album.place(1).timeCode, "00:01:02:03");
    ASSERT_TRUE(album.saveAlbum(folder.file("trip.txt"), false, prompts));
    EXPECT_TRUE(fs::exists(folder.file("trip.zal")));
    const auto cut = test::fileBytes(folder.file("trip.qob"));
    EXPECT_EQ(std::string(cut.begin(), cut.end()),
              "\r\n00:01:02:03F-00:01:02:03F\r\n--:--:--:--F---:--:--:--F\r\n"
              "00:00:00:00F-00:00:00:00F\r\n");
    EXPECT_EQ(album.lastAlbumPath(), folder.file("trip.zal"));
    EXPECT_FALSE(album.modified());
}

TEST_F(AlbumTest, PathsOfOpenAndSave)
{
    ASSERT_TRUE(album.addPicture(dvf("a.dvf", dvSystem525)));
    const std::string nested = folder.file("new/deeper/x.zal");
    ASSERT_TRUE(album.saveAlbum(nested, false, prompts));
    EXPECT_TRUE(fs::exists(folder.file("new/deeper/x.qob")));
    fs::copy_file(nested, folder.file("holiday.Zal"));
    EXPECT_EQ(albumPathToOpen(folder.file("holiday.Zal")), folder.file("holiday.Zal.ZAL"));
    EXPECT_FALSE(album.openAlbum(folder.file("holiday.Zal"), prompts));
    EXPECT_EQ(prompts.warned, std::vector<std::string>{"MSG_INPUT"});
    test::writeBytes(folder.file("not.zal"), {'Z', 'A', 'X', 1, 1, 0, 32});
    EXPECT_FALSE(album.openAlbum(folder.file("not.zal"), prompts));
    EXPECT_EQ(prompts.warned.size(), 1u) << "a file that is not an album is refused silently";
    EXPECT_EQ(album.count(), 1);
    ASSERT_TRUE(album.openAlbum(nested, prompts));
    EXPECT_EQ(album.count(), 2);
    EXPECT_EQ(IniFile(home.file("TAMRO01.INI")).read("Directories", "Album"), nested);
    EXPECT_EQ(album.lastAlbumPath(), nested);
}

TEST_F(AlbumTest, OpeningStopsAtNinetyNineKeepingWhatWasAdded)
{
    const std::string picture = dvf("a.dvf", dvSystem525);
    addCopies(album, picture, 5);
    ASSERT_TRUE(album.saveAlbum(folder.file("five.zal"), false, prompts));
    addCopies(album, picture, 91);
    ASSERT_EQ(album.count(), 96);
    EXPECT_FALSE(album.openAlbum(folder.file("five.zal"), prompts));
    EXPECT_EQ(album.count(), 99);
    EXPECT_EQ(prompts.warned, std::vector<std::string>{"MSG_OVER"});
    EXPECT_FALSE(album.addPicture(picture));
    EXPECT_FALSE(fs::exists(album.sideFilePath(100)));
}

TEST_F(AlbumTest, TruncatedAlbumKeepsTheWholePicturesOnly)
{
    addCopies(album, dvf("a.dvf", dvSystem525), 3);
    const std::string path = folder.file("t.zal");
    ASSERT_TRUE(album.saveAlbum(path, false, prompts));
    fs::resize_file(path, 32 + 2 * 120032 + 5000);
    test::TempFolder otherHome;
    Album reopened(otherHome.path());
    EXPECT_FALSE(reopened.openAlbum(path, prompts));
    const int whole = 2;
    EXPECT_EQ(reopened.count(), whole);
    EXPECT_FALSE(fs::exists(reopened.sideFilePath(whole + 1)));
    EXPECT_FALSE(fs::exists(reopened.sideFilePath(whole + 1) + ".part"));
    EXPECT_EQ(prompts.warned, (std::vector<std::string>{"MSG_INPUT"}));
}

TEST_F(AlbumTest, FailedSaveLeavesTheOldAlbumFile)
{
    addCopies(album, dvf("a.dvf", dvSystem625), 2);
    const std::string path = folder.file("keep.zal");
    ASSERT_TRUE(album.saveAlbum(path, false, prompts));
    const auto before = test::fileBytes(path);
    ASSERT_TRUE(album.addPicture(dvf("b.dvf", dvSystem525)));
    test::writeBytes(album.sideFilePath(2), {'n', 'o', 'p', 'e'});
    EXPECT_FALSE(album.saveAlbum(path, false, prompts));
    EXPECT_EQ(prompts.warned, std::vector<std::string>{"MSG_INPUT"});
    EXPECT_EQ(test::fileBytes(path), before);
    EXPECT_FALSE(fs::exists(path + ".part"));
}

TEST_F(AlbumTest, AddPictureRefusesWhatDoesNotReadOrDecode)
{
    const std::string picture = dvf("a.dvf", dvSystem525);
    test::writeBytes(folder.file("bad.jpg"), {0xFF, 0xD8});
    DvcRelease(); // the decoder fails every picture until the codec is loaded again
    for (const std::string& path : {folder.file("bad.jpg"), folder.file("missing.dvf"), picture}) {
        EXPECT_FALSE(album.addPicture(path)) << path;
        EXPECT_EQ(album.count(), 0) << path;
        EXPECT_FALSE(fs::exists(album.sideFilePath(1))) << path;
    }
    ASSERT_TRUE(DvcLoad());
    EXPECT_TRUE(album.addPicture(picture));
    EXPECT_TRUE(album.modified());
}

TEST_F(AlbumTest, SideFilesComeBackWithoutGapsAndNewClearsThem)
{
    const std::string picture = dvf("a.dvf", dvSystem625, {0x00, 0x00, 0x00, 0x01});
    for (int place : {1, 3, 6})
        fs::copy_file(picture, album.sideFilePath(place));
    test::writeBytes(album.sideFilePath(4), {'n', 'o'});
    test::writeBytes(album.sideFilePath(100), {1});
    EXPECT_EQ(album.restoreFromSideFiles(), 3);
    EXPECT_EQ(album.place(3).timeCode, "00:00:00:01");
    EXPECT_EQ(album.place(3).system, 6);
    EXPECT_EQ(album.place(3).thumbnail.size(), QSize(80, 60));
    EXPECT_FALSE(fs::exists(album.sideFilePath(6)));
    album.deleteStaleSideFiles();
    EXPECT_FALSE(fs::exists(album.sideFilePath(4)));
    EXPECT_FALSE(fs::exists(album.sideFilePath(100)));
    album.clear();
    EXPECT_EQ(album.count(), 0);
    EXPECT_FALSE(album.modified());
    for (int place : {1, 2, 3})
        EXPECT_FALSE(fs::exists(album.sideFilePath(place)));
    EXPECT_EQ(sideFileName(7), "lum007.dat");
    EXPECT_EQ(sideFileName(1000), "");
}

} // namespace

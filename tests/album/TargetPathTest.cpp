#include "support/TempFolder.h"

#include "RecordingPrompts.h"
#include "image/TargetPath.h"
#include "i18n/LanguageTable.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

// Message texts come from the program's language table.
class TargetPath : public testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& [key, text] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"TI_MAIN", "Vantrel"}, {"MSG_SAVEOW1", "The file exists."},
                 {"MSG_SAVEOW2", "Replace it?"}, {"MSG_NODISK", "Not enough disk space."},
                 {"MSG_INPUT", "The folder cannot be used."}})
            table.strings.push_back({"PrgLevel", key, text, ""});
        previous = setLanguageTable(&table);
    }
    void TearDown() override { setLanguageTable(previous); }

    std::string check(const std::string& path, const std::string& extension, uint64_t bytes, bool ask)
    {
        return targetPathCheck(path, extension, bytes, ask, prompts);
    }

    LanguageTable table;
    LanguageTable* previous = nullptr;
    test::TempFolder folder;
    test::RecordingPrompts prompts;
};

void touch(const std::string& path, uintmax_t size = 1)
{
    std::ofstream(path) << "x";
    fs::resize_file(path, size);
}

} // namespace

TEST_F(TargetPath, ExtensionIsForced)
{
    EXPECT_EQ(check(folder.file("trip.txt"), "zal", 1, false), folder.file("trip.zal"));
    EXPECT_EQ(check(folder.file("photo.JPG"), "jpg", 1, false), folder.file("photo.JPG"));
    EXPECT_EQ(check(folder.file("photo"), "jpg", 1, false), folder.file("photo.jpg"));
    EXPECT_EQ(check(folder.file("page.html"), "htm", 1, false), folder.file("page.htm"));
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(prompts.warnings.empty());
}

TEST_F(TargetPath, ExistingFileIsReplacedOnlyAfterYes)
{
    touch(folder.file("a.jpg"));
    EXPECT_EQ(check(folder.file("a.jpg"), "jpg", 1, true), "");
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], "The file exists.\nReplace it?");
    EXPECT_EQ(prompts.lastCaption, "Vantrel");
    EXPECT_EQ(prompts.raised, 1);
    prompts.yes = true;
    EXPECT_EQ(check(folder.file("a.jpg"), "jpg", 1, true), folder.file("a.jpg"));
    EXPECT_EQ(check(folder.file("a.jpg"), "jpg", 1, false), folder.file("a.jpg"));
    EXPECT_EQ(prompts.questions.size(), 2u) << "no question without ask";
}

TEST_F(TargetPath, TooLittleSpaceIsRefused)
{
    const uint64_t free = freeSpaceOf(folder.path());
    ASSERT_GT(free, 0u);
    EXPECT_EQ(check(folder.file("big.zal"), "zal", free + (uint64_t(1) << 40), false), "");
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_EQ(prompts.warnings[0], "Not enough disk space.");
    EXPECT_EQ(prompts.closed, 1);
    EXPECT_FALSE(fs::exists(folder.file("big.zal")));
}

TEST_F(TargetPath, FileToBeReplacedCountsAsFreeSpace)
{
    // A sparse file: a large size that takes no room.
    const uint64_t existing = uint64_t(1) << 31;
    touch(folder.file("old.zal"), existing);
    const uint64_t needed = freeSpaceOf(folder.path()) + existing / 2;
    EXPECT_EQ(check(folder.file("old.zal"), "zal", needed, false), folder.file("old.zal"));
    EXPECT_EQ(check(folder.file("new.zal"), "zal", needed, false), "");
}

TEST_F(TargetPath, MissingFoldersAreCreated)
{
    const auto path = folder.file("one/two/three/album.zal");
    EXPECT_EQ(check(path, "zal", 1, false), path);
    EXPECT_TRUE(fs::is_directory(folder.file("one/two/three")));
    EXPECT_FALSE(fs::exists(path)) << "the file itself is not made";
}

TEST_F(TargetPath, FolderThatCannotBeMadeIsRefused)
{
    touch(folder.file("plain"));
    EXPECT_EQ(check(folder.file("plain/sub/a.jpg"), "jpg", 1, false), "");
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_EQ(prompts.warnings[0], "The folder cannot be used.");
    EXPECT_EQ(prompts.closed, 1);
}

TEST(FolderCheck, RelativePathsAreTakenFromTheCurrentFolder)
{
    test::TempFolder folder;
    const auto previous = fs::current_path();
    fs::current_path(folder.path());
    EXPECT_TRUE(folderCheck("x/y/file.txt"));
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_directory(folder.file("x/y")));
    EXPECT_FALSE(fs::exists(folder.file("x/y/file.txt")));
    EXPECT_TRUE(folderCheck(folder.file("file.txt")));
}

TEST_F(TargetPath, RelativePathIsCheckedInTheCurrentFolder)
{
    const auto previous = fs::current_path();
    fs::current_path(folder.path());
    const std::string granted = check("sub/picture.jpeg", "jpg", 1000, false);
    fs::current_path(previous);
    EXPECT_EQ(granted, "sub/picture.jpg");
    EXPECT_TRUE(prompts.warnings.empty()) << "free space of the current folder's disk";
    EXPECT_TRUE(fs::is_directory(folder.file("sub")));
}

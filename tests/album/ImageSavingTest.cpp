#include "support/TempFolder.h"

#include "../image/Frames.h"
#include "RecordingPrompts.h"
#include "album/ImageSaving.h"
#include "image/TargetPath.h"
#include "image/Conversions.h"
#include "i18n/LanguageTable.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace vantrel;

namespace {

// Answers the dialogs and questions from scripts and keeps what it was shown.
struct ScriptedWindows : ImageSaveWindows {
    std::deque<std::optional<std::string>> files; // chosen names, relative to the folder
    std::deque<bool> answers;
    std::string folder;
    std::vector<std::string> proposals;
    std::vector<QString> questions;
    std::vector<int> percents;
    int enabledChanges = 0;

    std::optional<std::string> chooseImageFile(const ImageSaveDialog& dialog) override
    {
        proposals.push_back(dialog.proposedName);
        auto file = files.empty() ? std::nullopt : files.front();
        if (!files.empty())
            files.pop_front();
        return file ? std::optional(folder + "/" + *file) : std::nullopt;
    }
    bool askYesNo(const QString& text) override
    {
        questions.push_back(text);
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    void setPercent(int percent) override { percents.push_back(percent); }
    void setWindowsEnabled(bool) override { ++enabledChanges; }
};

class ImageSaving : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DvcLoad());
        for (const auto& [key, text] : {std::pair{"MSG_IMG_SAVE", "batch?"}, {"MSG_STOP_SAVE", "stop?"},
                                        {"FL_JPG", "JPEG Files"}})
            table.strings.push_back({"PrgLevel", key, text, ""});
        previous = setLanguageTable(&table);
        for (int place = 1; place <= 8; ++place) {
            sideFiles.push_back(home.file("lum00" + std::to_string(place) + ".dat"));
            ASSERT_TRUE(test::writeTestDvf(sideFiles.back(), dvSystem525, false));
        }
        windows.folder = out.path();
    }
    void TearDown() override { setLanguageTable(previous); }

    int save(std::vector<int> selected)
    {
        std::string last = out.file("x.jpg");
        return saveAlbumImages(sideFiles, selected, settings, last, windows, prompts);
    }
    std::vector<std::string> written() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    LanguageTable table;
    LanguageTable* previous = nullptr;
    test::TempProgramFolder home;
    test::TempFolder out;
    std::vector<std::string> sideFiles;
    ImageSettings settings;
    test::RecordingPrompts prompts;
    ScriptedWindows windows;
};

TEST_F(ImageSaving, ProposedNameOffersTheBatch)
{
    const struct {
        const char* name;
        std::deque<std::optional<std::string>> files;
        std::deque<bool> answers;
        std::vector<std::string> proposals;
        size_t questions;
        std::vector<std::string> written;
        std::vector<int> percents;
    } cases[] = {
        {"kept name, Yes", {"lum03.jpg"}, {true}, {"lum03.jpg"}, 1,
         {"lum03.jpg", "lum05.jpg", "lum08.jpg"}, {0, 66, 100}},
        {"case changed, Yes", {"LUM03.JPG"}, {true}, {"lum03.jpg"}, 1,
         {"LUM03.JPG", "lum05.jpg", "lum08.jpg"}, {0, 66, 100}},
        {"own name: no batch", {"sea.jpg", std::nullopt}, {true}, {"lum03.jpg", "lum05.jpg"}, 1,
         {"sea.jpg"}, {}},
        {"No: a dialog each", {"lum03.jpg", "b.jpg", "c.jpg"}, {false}, {"lum03.jpg", "lum05.jpg", "lum08.jpg"},
         1, {"b.jpg", "c.jpg", "lum03.jpg"}, {}},
        {"cancel then stop", {std::nullopt}, {true}, {"lum03.jpg"}, 1, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(out.path());
        std::filesystem::create_directories(out.path());
        windows = ScriptedWindows{};
        windows.folder = out.path();
        windows.files = c.files;
        windows.answers = c.answers;
        save({3, 5, 8});
        EXPECT_EQ(windows.proposals, c.proposals);
        EXPECT_EQ(windows.questions.size(), c.questions);
        EXPECT_EQ(written(), c.written);
        EXPECT_EQ(windows.percents, c.percents);
        EXPECT_EQ(windows.enabledChanges, 2);
    }
    EXPECT_EQ(imageSaveDialog(7, saveAsBitmap, "/f").proposedName, "lum07.bmp");
    EXPECT_EQ(imageSaveDialog(99, saveAsDvf, "/f").proposedName, "lum99.dvf");
    const ImageSaveDialog png = imageSaveDialog(4, saveAsPng, "/f");
    EXPECT_EQ(png.proposedName, "lum04.png");
    EXPECT_EQ(png.filter, messageText("FL_PNG") + " (*.png)");
}

TEST_F(ImageSaving, PngBatchNamesByPlace)
{
    settings.Format = saveAsPng;
    windows.folder = out.path();
    windows.files = {"lum03.png"};
    windows.answers = {true};
    save({3, 5, 8});
    EXPECT_EQ(written(), (std::vector<std::string>{"lum03.png", "lum05.png", "lum08.png"}));
}

TEST_F(ImageSaving, OnePictureEndsWithoutAQuestion)
{
    windows.files = {std::nullopt};
    EXPECT_EQ(save({2}), 0);
    windows.files = {"lum02.jpg"};
    EXPECT_EQ(save({2}), 1);
    EXPECT_TRUE(windows.questions.empty());
    EXPECT_EQ(written(), std::vector<std::string>{"lum02.jpg"});
}

TEST_F(ImageSaving, RefusedReplacementEndsTheAction)
{
    windows.files = {"lum03.jpg", "lum03.jpg"};
    windows.answers = {false};
    save({3, 5}); // keeps lum03.jpg, then refuses to replace it for place 5
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(windows.proposals.size(), 2u);
    EXPECT_EQ(written(), std::vector<std::string>{"lum03.jpg"});
}

} // namespace

// The main window's writers on a small disk that is full or read-only, or with a folder that
// cannot be made: each gives its message and leaves no file half written.
#include "../image/Frames.h"
#include "ScriptedDialogs.h"
#include "support/SmallDisk.h"
#include "support/TempFolder.h"

#include "album/Cptmain.h"
#include "image/Dvf.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QAction>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

enum Obstacle { fullDisk, readOnlyDisk, folderNotMade, roomForSideFilesOnly };

constexpr uint64_t page = 4096;
constexpr uint64_t fullDiskFree = 64 * 1024;
// An album of one 525-line picture unpacks into a side file of 30 pages and nothing more.
constexpr uint64_t oneSideFileFree = 30 * page;
// A 2-picture album file takes 59 pages; replacing it passes the free-space check with 15,
// but the new copy is written beside the old one.
constexpr uint64_t replaceAlbumFree = 20 * page;

// Every file on the disk with its size.
std::map<std::string, uintmax_t> contentsOf(const test::SmallDisk& disk)
{
    std::map<std::string, uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(disk.path()))
        files[fs::relative(entry.path(), disk.path()).string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return files;
}

struct Rig {
    test::SmallDisk disk{2048};
    test::TempFolder files;
    std::unique_ptr<TfrmCptMain> window;
    test::ScriptedDialogs* dialogs = nullptr;
    std::string target; // on the disk

    void show()
    {
        window = std::make_unique<TfrmCptMain>();
        auto script = std::make_unique<test::ScriptedDialogs>();
        dialogs = script.get();
        window->setDialogs(std::move(script));
        window->resize(400, 330);
        window->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->firstShowDone(); }));
    }
    void trigger(const char* item) { window->findChild<QAction*>(item)->trigger(); }
    std::string albumOf(int pictures, const std::string& path)
    {
        test::TempFolder scratch;
        Album album(scratch.path());
        for (uint8_t i = 1; i <= pictures; ++i)
            EXPECT_TRUE(album.addPicture(test::dvfWithTimeCode(files.file("p.dvf"), {0, 0, i, 0})));
        test::ScriptedDialogs none;
        EXPECT_TRUE(album.saveAlbum(path, false, none));
        return path;
    }
};

// What one writer does: where it writes, what is on the disk before, and the user's action.
struct Writer {
    bool inProgramFolder; // side files and settings; otherwise a file the user names
    std::function<void(Rig&)> prepare;
    std::function<void(Rig&)> act;
};

void saveImageAs(Rig& rig)
{
    rig.window->album.setSelected(1, true);
    rig.dialogs->imageNames = {QString::fromStdString(rig.target + "lum01.jpg")};
    rig.trigger("mnuSaveImage");
}

const std::map<std::string, Writer> writers = {
    {"open picture", {true, {}, [](Rig& rig) {
         rig.window->openFiles({QString::fromStdString(test::dvfWithTimeCode(rig.files.file("a.dvf"), {0, 0, 1, 0}))});
     }}},
    {"import picture", {true, {}, [](Rig& rig) {
         QImage photo(320, 240, QImage::Format_RGB32);
         photo.fill(Qt::darkCyan);
         ASSERT_TRUE(photo.save(QString::fromStdString(rig.files.file("photo.jpg"))));
         rig.window->openFiles({QString::fromStdString(rig.files.file("photo.jpg"))});
     }}},
    {"open album", {true, [](Rig& rig) {
         IniFile(rig.disk.file("TAMRO01.INI")).write("Directories", "Album", "/before.zal");
     }, [](Rig& rig) {
         rig.window->openFiles({QString::fromStdString(rig.albumOf(1, rig.files.file("one.zal")))});
     }}},
    {"settings at close", {true, [](Rig& rig) {
         IniFile(rig.disk.file("wyb30.ini")).write("Setup", "BackColor", "255");
     }, [](Rig& rig) {
         rig.dialogs->answers = {true}; // quit
         EXPECT_TRUE(rig.window->close());
     }}},
    {"save album as", {false, {}, [](Rig& rig) {
         rig.dialogs->albumNames = {QString::fromStdString(rig.target + "trip.zal"), QString()};
         rig.trigger("mnuSaveAs");
     }}},
    {"save album over the old one", {false, [](Rig& rig) { rig.albumOf(2, rig.disk.file("trip.zal")); }, [](Rig& rig) {
         rig.window->album.setCurrentName(rig.disk.file("trip.zal"));
         rig.trigger("mnuSave");
     }}},
    {"save image as", {false, {}, saveImageAs}},
    // The old picture's size passes the free-space check; its new copy finds no room beside it.
    {"save image over the old one", {false, [](Rig& rig) {
         test::writeBytes(rig.disk.file("lum01.jpg"), std::vector<uint8_t>(1800000, 0xD8));
     }, [](Rig& rig) {
         rig.dialogs->answers = {true}; // replace it
         saveImageAs(rig);
     }}},
    {"make HTML album", {false, {}, [](Rig& rig) {
         rig.dialogs->htmlNames = {QString::fromStdString(rig.target + "trip.htm")};
         rig.dialogs->titles = {QString("Trip")};
         rig.trigger("mnuHTML");
     }}},
};

struct Row {
    const char* writer;
    Obstacle obstacle;
    const char* message; // the warning's key; empty when the program has none for it
    int pictures;        // in the album afterwards
    const char* added;   // a file the disk holds afterwards besides its old ones, if any
};

const Row rows[] = {
    {"open picture", fullDisk, "MSG_NODISK", 0, ""},
    {"open picture", readOnlyDisk, "MSG_INPUT", 0, ""},
    {"import picture", fullDisk, "MSG_NODISK", 0, ""},
    {"import picture", readOnlyDisk, "MSG_INPUT", 0, ""},
    {"open album", fullDisk, "MSG_NODISK", 0, ""},
    {"open album", readOnlyDisk, "MSG_INPUT", 0, ""},
    {"open album", roomForSideFilesOnly, "", 1, "lum001.dat"},
    {"settings at close", fullDisk, "", 0, ""},
    {"settings at close", readOnlyDisk, "", 0, ""},
    {"save album as", fullDisk, "MSG_NODISK", 2, ""},
    {"save album as", readOnlyDisk, "MSG_INPUT", 2, ""},
    {"save album as", folderNotMade, "MSG_INPUT", 2, ""},
    {"save album over the old one", fullDisk, "MSG_NODISK", 2, ""},
    {"save image as", fullDisk, "MSG_NODISK", 2, ""},
    {"save image as", readOnlyDisk, "MSG_INPUT", 2, ""},
    {"save image as", folderNotMade, "MSG_INPUT", 2, ""},
    {"save image over the old one", fullDisk, "MSG_NODISK", 2, ""},
    {"make HTML album", fullDisk, "MSG_NODISK", 2, ""},
    {"make HTML album", readOnlyDisk, "MSG_INPUT", 2, ""},
    {"make HTML album", folderNotMade, "MSG_INPUT", 2, ""},
};

uint64_t freeSpaceFor(const Row& row)
{
    if (row.obstacle == roomForSideFilesOnly)
        return oneSideFileFree;
    if (std::string(row.writer) == "save album over the old one")
        return replaceAlbumFree;
    const std::string writer = row.writer;
    return writer == "settings at close" || writer == "save image over the old one" ? 0 : fullDiskFree;
}

TEST(FullDisk, WindowWritersGiveTheirMessageAndWriteNothingHalf)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.writer) + ", obstacle " + std::to_string(row.obstacle));
        ASSERT_TRUE(DvcLoad()); // closing the window released it
        test::TempProgramFolder home;
        Rig rig;
        if (!rig.disk.mounted())
            GTEST_SKIP() << "mounting the small disk needs root";
        const Writer& writer = writers.at(row.writer);
        if (writer.inProgramFolder)
            setenv("VANTREL_HOME", rig.disk.path().c_str(), 1);
        else
            for (uint8_t place = 1; place <= 2; ++place)
                test::dvfWithTimeCode(home.file(sideFileName(place)), {0, 0, place, 0});
        rig.target = rig.disk.path() + (row.obstacle == folderNotMade ? "/new/" : "/");
        if (writer.prepare)
            writer.prepare(rig);
        if (row.obstacle == readOnlyDisk || row.obstacle == folderNotMade)
            ASSERT_TRUE(rig.disk.makeReadOnly());
        else
            ASSERT_TRUE(rig.disk.fillLeaving(freeSpaceFor(row)));
        auto expectedContents = contentsOf(rig.disk);
        if (*row.added)
            expectedContents[row.added] = dvSystems[0].dvfFileBytes;
        rig.show();
        writer.act(rig);

        const std::vector<std::string> expected =
            *row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{};
        EXPECT_EQ(rig.dialogs->warned, expected);
        EXPECT_EQ(rig.window->album.count(), row.pictures);
        EXPECT_EQ(contentsOf(rig.disk), expectedContents);
    }
}

} // namespace

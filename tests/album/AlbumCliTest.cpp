// vantrel-cli album list, pack and unpack, run as a program beside the test.
#include "../image/Frames.h"
#include "support/CliRun.h"
#include "support/PictureTags.h"
#include "support/TempFolder.h"

#include "image/RecordingDate.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

class AlbumCli : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DvcLoad());
        for (const auto& [name, system] : {std::pair{"a.dvf", dvSystem525}, {"b.dvf", dvSystem625},
                                           {"c.dvf", dvSystem525}})
            ASSERT_TRUE(test::writeTestDvf(folder.file(name), system, name[0] == 'b'));
    }
    CliRun cli(const QStringList& arguments) { return test::runCli(arguments); }
    QString file(const std::string& name) const { return QString::fromStdString(folder.file(name)); }

    test::TempProgramFolder home;
    test::TempFolder folder;
};

TEST_F(AlbumCli, PackListUnpack)
{
    CliRun run = cli({"album", "pack", file("a.dvf"), file("b.dvf"), file("c.dvf"), "-o", file("t.zal")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fs::file_size(folder.file("t.zal")), 32u + 2 * 120032 + 144032);
    EXPECT_EQ(fs::file_size(folder.file("t.qob")), 2u + 3 * 27);
    run = cli({"album", "list", file("t.zal")});
    EXPECT_EQ(run.out, "place=1 system=525 timecode=00:00:00:00 wide=0\n"
                       "place=2 system=625 timecode=00:00:00:00 wide=1\n"
                       "place=3 system=525 timecode=00:00:00:00 wide=0\n");
    fs::create_directory(folder.file("out"));
    run = cli({"album", "unpack", file("t.zal"), "-o", file("out")});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const auto& [unpacked, source] : {std::pair{"out/lum001.dvf", "a.dvf"},
                                           {"out/lum002.dvf", "b.dvf"}, {"out/lum003.dvf", "c.dvf"}})
        EXPECT_EQ(test::fileBytes(folder.file(unpacked)), test::fileBytes(folder.file(source)));
}

TEST_F(AlbumCli, RefusalsWriteNothing)
{
    test::writeBytes(folder.file("not.zal"), {'N', 'O', 'P', 'E'});
    QStringList hundred = {"album", "pack"};
    for (int i = 0; i < 100; ++i)
        hundred << file("a.dvf");
    const QStringList cases[] = {
        hundred << "-o" << file("big.zal"),
        {"album", "pack", file("a.dvf"), "-o", file("missing/x.zal")},
        {"album", "pack", file("a.dvf"), file("not.zal"), "-o", file("bad.zal")},
        {"album", "list", file("not.zal")},
        {"album", "list", file("none.zal")},
        {"album", "unpack", file("not.zal"), "-o", file(".")},
        {"album", "unpack", file("a.dvf"), "-o", file("missing")},
    };
    const auto before = std::distance(fs::directory_iterator(folder.path()), {});
    for (const QStringList& arguments : cases) {
        const CliRun run = cli(arguments);
        EXPECT_NE(run.status, 0) << arguments.join(' ').toStdString();
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), before);
}

TEST_F(AlbumCli, SaveKilledHalfWayLeavesTheOldAlbum)
{
    ASSERT_EQ(cli({"album", "pack", file("a.dvf"), "-o", file("old.zal")}).status, 0);
    const auto before = test::fileBytes(folder.file("old.zal"));
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, folder.path().c_str(), IN_CREATE), 0);
    QStringList arguments = {"album", "pack", "--force", "-o", file("old.zal")};
    for (int i = 0; i < 99; ++i)
        arguments << file(i % 2 ? "a.dvf" : "b.dvf");
    QProcess process;
    process.start(test::programBesideTest(), arguments);
    ASSERT_TRUE(process.waitForStarted());
    bool killed = false;
    alignas(inotify_event) char events[4096];
    pollfd waiting{watch, POLLIN, 0};
    while (!killed && poll(&waiting, 1, 120000) > 0) {
        const ssize_t got = read(watch, events, sizeof events);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len && std::string(event->name) == "old.zal.part")
                killed = ::kill(static_cast<pid_t>(process.processId()), SIGKILL) == 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    process.waitForFinished();
    ASSERT_TRUE(killed);
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(test::fileBytes(folder.file("old.zal")), before);
}

TEST_F(AlbumCli, HtmlExportsTheSelectedPlaces)
{
    ASSERT_EQ(cli({"album", "pack", file("a.dvf"), file("b.dvf"), file("c.dvf"), "-o", file("t.zal")}).status, 0);
    CliRun run = cli({"html", file("t.zal"), "-o", file("web/site.html"), "--title", "Tom & Jerry",
                      "--select", "3,2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder.file("web/site.htm")));
    EXPECT_TRUE(fs::exists(folder.file("web/site/lum002tn.jpg")));
    EXPECT_FALSE(fs::exists(folder.file("web/site/lum003.htm")));
    const auto index = test::fileBytes(folder.file("web/site.htm"));
    EXPECT_NE(std::string(index.begin(), index.end()).find("<H1>Tom &amp; Jerry</H1>"), std::string::npos);

    for (const QString& bad : {QString("0"), QString("4"), QString("2,x"), QString("")}) {
        run = cli({"html", file("t.zal"), "-o", file("other.htm"), "--title", "T", "--select", bad});
        EXPECT_NE(run.status, 0) << bad.toStdString();
        EXPECT_FALSE(fs::exists(folder.file("other.htm"))) << bad.toStdString();
    }
    EXPECT_NE(cli({"html", file("t.zal"), "-o", file("web/site.htm"), "--title", "T"}).status, 0)
        << "an existing index page needs --force";
}

TEST_F(AlbumCli, ExportNamesEveryPictureUniquelyWithItsFacts)
{
    const RecordingDate shot{2003, 11, 2, 8, 5, 9};
    test::stampRecordingPacks(folder.file("a.dvf"), recordingDatePack(shot), recordingTimePack(shot));
    ASSERT_EQ(cli({"album", "pack", file("a.dvf"), file("b.dvf"), file("c.dvf"), "-o", file("t.zal")}).status, 0);
    const struct {
        QStringList options;
        const char* printed; // the files, one a line
    } cases[] = {
        {{"--format", "png"}, "n/lum01.png n/lum02.png n/lum03.png"},
        {{"--format", "png", "--name", "timecode"},
         "t/lum01_00-00-00-00.png t/lum02_00-00-00-00.png t/lum03_00-00-00-00.png"},
        {{"--format", "jpeg", "--name", "recorded", "--select", "3,1"},
         "r/lum01_2003-11-02_08-05-09.jpg r/lum03.jpg"},
        {{"--format", "bmp", "--select", "2"}, "b/lum02.bmp"},
    };
    for (const auto& c : cases) {
        const std::string dir(c.printed, 1);
        fs::create_directory(folder.file(dir));
        const CliRun run = cli(QStringList{"album", "export", file("t.zal"), "-o", file(dir)} + c.options);
        ASSERT_EQ(run.status, 0) << run.err;
        std::string expected;
        for (const QString& name : QString(c.printed).split(' '))
            expected += folder.file(name.toStdString()) + "\n";
        EXPECT_EQ(run.out, expected);
    }
    auto tags = test::pictureTags(folder.file("r/lum01_2003-11-02_08-05-09.jpg"));
    EXPECT_EQ(tags["ExifIFD:DateTimeOriginal"], "2003:11:02 08:05:09");
    EXPECT_FALSE(tags["ExifIFD:CreateDate"].empty()) << "the album file's time";
    EXPECT_EQ(test::pictureTags(folder.file("t/lum02_00-00-00-00.png"))["XMP-xmpDM:StartTimeCodeTimeFormat"],
              "25Timecode");
    EXPECT_EQ(test::pictureTags(folder.file("b/lum02.bmp")).count("IFD0:Software"), 0u);

    // An existing file is kept without --force (and the export fails), replaced with it.
    fs::create_directory(folder.file("f"));
    test::writeBytes(folder.file("f/lum02.png"), {7});
    CliRun run = cli({"album", "export", file("t.zal"), "-o", file("f"), "--format", "png"});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.out, folder.file("f/lum01.png") + "\n");
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(test::fileBytes(folder.file("f/lum02.png")), std::vector<uint8_t>{7});
    EXPECT_FALSE(fs::exists(folder.file("f/lum03.png")));
    run = cli({"album", "export", file("t.zal"), "-o", file("f"), "--format", "png", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(fs::file_size(folder.file("f/lum02.png")), 1000u);
    for (const QStringList& bad : {QStringList{"--format", "dvf"}, QStringList{"--name", "date"},
                                   QStringList{"--select", "4"}}) {
        run = cli(QStringList{"album", "export", file("t.zal"), "-o", file("n")} + bad);
        EXPECT_NE(run.status, 0) << bad.join(' ').toStdString();
    }
}

} // namespace

// A record in an album file that is no DVF picture is passed over: every other picture
// opens, and the user is told once. Only a file cut short stops the open.
TEST_F(AlbumCli, RecordThatIsNoPictureIsPassedOver)
{
    const struct {
        QStringList pictures;
        std::vector<int> broken; // records whose DVF header is spoilt
        size_t cutTo;            // the file's size afterwards; 0 keeps it whole
        int status;
        const char* listed;      // the systems of the places opened, in order (none listed
                                 // when the open failed)
    } cases[] = {
        {{"a.dvf", "b.dvf", "c.dvf"}, {2}, 0, 0, "525 525 "},
        {{"a.dvf", "b.dvf", "c.dvf", "b.dvf"}, {1, 3}, 0, 0, "625 625 "},
        {{"b.dvf", "a.dvf", "c.dvf"}, {2}, 32 + 144032 + 120032 + 5000, 1, ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.pictures.join(' ').toStdString());
        QStringList pack = {"album", "pack", "--force", "-o", file("t.zal")};
        std::vector<size_t> recordStarts;
        size_t at = 32;
        for (const QString& picture : row.pictures) {
            pack << file(picture.toStdString());
            recordStarts.push_back(at);
            at += 32 + (picture == "b.dvf" ? 144000 : 120000); // b is the 625-line picture
        }
        ASSERT_EQ(cli(pack).status, 0);
        auto bytes = test::fileBytes(folder.file("t.zal"));
        ASSERT_EQ(bytes.size(), at);
        for (int record : row.broken)
            bytes[recordStarts[record - 1]] = 'X';
        if (row.cutTo)
            bytes.resize(row.cutTo);
        test::writeBytes(folder.file("t.zal"), bytes);

        const CliRun run = cli({"album", "list", file("t.zal")});
        EXPECT_EQ(run.status, row.status);
        std::string systems;
        for (size_t line = run.out.find("system="); line != std::string::npos; line = run.out.find("system=", line + 1))
            systems += run.out.substr(line + 7, 3) + " ";
        EXPECT_EQ(systems, row.listed) << run.out;
        EXPECT_EQ(run.err, "vantrel-cli: The file or folder cannot be found. Check the name and try again.\n");
    }
}

// Both programs find their language files beside the executable when the program folder has
// none; a program that finds them nowhere says so and ends, instead of running without texts.
TEST_F(AlbumCli, LanguageFilesAreFoundBesideTheProgramOrTheProgramEndsWithAMessage)
{
    ASSERT_EQ(cli({"album", "pack", file("a.dvf"), file("b.dvf"), "-o", file("t.zal")}).status, 0);
    test::TempFolder alone; // a copy of a program with no runtime files anywhere near it
    const struct {
        const char* program;
        bool copied;
    } cases[] = {{"vantrel-cli", false}, {"vantrel-cli", true}, {"vantrel", true}};
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.program) + (row.copied ? " alone" : " in its build folder"));
        const QString program = row.copied ? QString::fromStdString(alone.file(row.program))
                                           : test::programBesideTest(row.program);
        if (row.copied)
            fs::copy_file(test::programBesideTest(row.program).toStdString(), program.toStdString(),
                          fs::copy_options::overwrite_existing);
        QProcess process;
        process.start(program, std::string(row.program) == "vantrel"
                                   ? QStringList{}
                                   : QStringList{"html", file("t.zal"), "-o",
                                                 file(row.copied ? "alone.htm" : "web/site.htm"), "--title", "T"});
        ASSERT_TRUE(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);
        const QByteArray expected = QByteArray(row.program) + ": the language file wyb.cpt is not in " +
                                    QByteArray::fromStdString(home.path() + ", " + alone.path());
        QByteArray err;
        while (!err.contains(expected) && process.waitForReadyRead(20000))
            err += process.readAllStandardError();
        if (!row.copied) {
            ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(60000));
            EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
            const auto page = test::fileBytes(folder.file("web/site/lum001.htm"));
            const std::string text(page.begin(), page.end());
            EXPECT_EQ(text.find("\"></A>"), std::string::npos) << "a link without its text:\n" << text;
            EXPECT_NE(text.find(">Index</A>"), std::string::npos) << text;
            continue;
        }
        EXPECT_TRUE(err.contains(expected)) << err.toStdString();
        // The window program shows the same in a message box, which waits for its OK.
        process.kill();
        process.waitForFinished();
        EXPECT_FALSE(fs::exists(folder.file("alone.htm")));
    }
}

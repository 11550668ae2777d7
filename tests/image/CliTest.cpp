// vantrel-cli info, convert and import, run as a program with a program folder of its own.
#include "Fidelity.h"
#include "Frames.h"
#include "support/CliRun.h"
#include "support/OrdinaryUser.h"
#include "support/SmallDisk.h"
#include "support/TempFolder.h"

#include "image/TestPattern.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

using test::CliRun;

class ImageCli : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }

    CliRun cli(const QStringList& arguments) { return test::runCli(arguments); }
    QString file(const char* name) const { return QString::fromStdString(home.file(name)); }
    QString dvf(const char* name, DvSystem system, bool wide)
    {
        EXPECT_TRUE(test::writeTestDvf(home.file(name), system, wide));
        return file(name);
    }
    QString jpeg(const char* name, int width, int height)
    {
        const auto pixels = testPattern(dvSystem525);
        const QImage pattern(pixels.data(), 720, 480, 2160, QImage::Format_BGR888);
        EXPECT_TRUE(pattern.scaled(width, height).save(file(name), "JPEG", 90));
        return file(name);
    }

    test::TempProgramFolder home;
};

} // namespace

TEST_F(ImageCli, InfoPrintsSystemTimeCodeAndAspect)
{
    CliRun run = cli({"info", dvf("a.dvf", dvSystem525, false)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "system=525 timecode=00:00:00:00 wide=0\n");
    run = cli({"info", dvf("b.dvf", dvSystem625, true)});
    EXPECT_EQ(run.out, "system=625 timecode=00:00:00:00 wide=1\n");
    test::writeBytes(home.file("c.dvf"), {'B', 'M'});
    auto unknownSystem = test::fileBytes(home.file("a.dvf"));
    unknownSystem[10] = '7';
    test::writeBytes(home.file("d.dvf"), unknownSystem);
    for (const char* name : {"c.dvf", "d.dvf"}) {
        for (const QStringList& arguments :
             {QStringList{"info", file(name)}, QStringList{"convert", file(name), "-o", file("x.jpg")}}) {
            run = cli(arguments);
            EXPECT_EQ(run.status, 1) << name;
            EXPECT_NE(run.err.find("cannot be read as a DVF file"), std::string::npos) << run.err;
        }
    }
}

TEST_F(ImageCli, ConvertTakesUnsetOptionsFromTheSettingsFile)
{
    std::ofstream(home.file("wyb30.ini")) << "[Setup]\nFormat=1\nBmpColor=8\nImgSize=3\n";
    const QString source = dvf("a.dvf", dvSystem625, false);
    CliRun run = cli({"convert", source, "-o", file("out")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, home.file("out.bmp") + "\n");
    const auto bytes = test::fileBytes(home.file("out.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(QImage(file("out.bmp")).size(), QSize(160, 120));
    run = cli({"convert", source, "-o", file("out"), "--format", "jpeg", "--size", "2", "--quality", "30"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(QImage(file("out.jpg")).size(), QSize(320, 240));
}

TEST_F(ImageCli, ExistingOutputIsReplacedOnlyWithForce)
{
    const QString source = dvf("a.dvf", dvSystem525, true);
    test::writeBytes(home.file("out.dvf"), {1, 2, 3});
    CliRun run = cli({"convert", source, "-o", file("out.dvf"), "--format", "dvf"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("out.dvf exists (use --force"), std::string::npos) << run.err;
    EXPECT_EQ(test::fileBytes(home.file("out.dvf")), (std::vector<uint8_t>{1, 2, 3}));
    run = cli({"convert", source, "-o", file("out.dvf"), "--format", "dvf", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::fileBytes(home.file("out.dvf")), test::fileBytes(home.file("a.dvf")));
    run = cli({"import", jpeg("in.jpg", 640, 480), "-o", file("out.dvf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(test::fileBytes(home.file("out.dvf")), test::fileBytes(home.file("a.dvf")));
}

TEST_F(ImageCli, ImportOptions)
{
    const QString wide = jpeg("wide.jpg", 848, 480);
    ASSERT_EQ(cli({"import", wide, "-o", file("w")}).status, 0);
    EXPECT_EQ(cli({"info", file("w.dvf")}).out, "system=525 timecode=00:00:00:00 wide=1\n");
    ASSERT_EQ(cli({"import", wide, "-o", file("l.dvf"), "--wide", "letterbox", "--system", "pal",
                   "--mask", "white"}).status, 0);
    EXPECT_EQ(cli({"info", file("l.dvf")}).out, "system=625 timecode=00:00:00:00 wide=0\n");
    EXPECT_EQ(fs::file_size(home.file("l.dvf")), 143072u);
    CliRun run = cli({"import", wide, "-o", file("x.dvf"), "--system", "secam"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(home.file("x.dvf")));
    test::writeBytes(home.file("broken.jpg"), {0xFF, 0xD8, 0xFF});
    run = cli({"import", file("broken.jpg"), "-o", file("x.dvf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a bitmap or JPEG picture"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home.file("x.dvf")));
    EXPECT_FALSE(fs::exists(home.file("temp.bmp")));
}

TEST_F(ImageCli, ThumbnailIsSquarePixelsAtMostSizeOnItsLongerSide)
{
    struct Case {
        DvSystem system;
        bool wide;
        const char* size;
        int width;
        int height;
    };
    const Case cases[] = {
        {dvSystem525, false, "128", 128, 96},   {dvSystem625, false, "256", 256, 192},
        {dvSystem525, true, "256", 256, 144},   {dvSystem625, true, "1024", 1024, 576},
        {dvSystem525, false, "2000", 640, 480}, {dvSystem525, true, "4096", 848, 477},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.size) + (c.wide ? " wide" : "") + (c.system ? " 625" : " 525"));
        const QString out = file("thumb.png");
        ASSERT_EQ(cli({"thumbnail", dvf("t.dvf", c.system, c.wide), out, c.size}).status, 0);
        QImage png(out, "PNG");
        ASSERT_EQ(png.size(), QSize(c.width, c.height));
        if (const char* keep = std::getenv("VANTREL_SCREENS"))
            png.save(QString("%1/thumbnail-%2x%3.png").arg(keep).arg(c.width).arg(c.height));
        // The pattern, upright and in its colours, spread over the display aspect.
        const auto pixels = testPattern(c.system);
        const QImage pattern(pixels.data(), 720, linesOf(c.system), 2160, QImage::Format_BGR888);
        const QImage expected = pattern.scaled(png.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        png = png.convertToFormat(QImage::Format_BGR888);
        EXPECT_GT(test::psnr(test::fromTopDown(png.constBits(), c.width, c.height, png.bytesPerLine()),
                             test::fromTopDown(expected.constBits(), c.width, c.height,
                                               expected.bytesPerLine())),
                  24.0);
        fs::remove(home.file("thumb.png"));
    }
    test::writeBytes(home.file("bad.dvf"), {'B', 'M'});
    const CliRun notDvf = cli({"thumbnail", file("bad.dvf"), file("x.png"), "128"});
    EXPECT_EQ(notDvf.status, 1);
    EXPECT_NE(notDvf.err.find("cannot be read as a DVF file"), std::string::npos) << notDvf.err;
    for (const char* size : {"0", "12x", "5000"})
        EXPECT_EQ(cli({"thumbnail", dvf("t.dvf", dvSystem525, false), file("x.png"), size}).status, 1);
    EXPECT_FALSE(fs::exists(home.file("x.png")));
}

TEST_F(ImageCli, PictureBeyondTheSizeLimitsIsRefusedWithItsSize)
{
    // 186 bytes declaring 9 x 2633216 pixels of 24 bits.
    std::vector<uint8_t> tall(186, 0);
    const uint8_t header[] = {'B', 'M', 186, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 9, 0, 0, 0,
                              0x00, 0x2E, 0x28, 0, 1, 0, 24, 0};
    std::copy(std::begin(header), std::end(header), tall.begin());
    test::writeBytes(home.file("tall.bmp"), tall);
    const CliRun run = cli({"import", file("tall.bmp"), "-o", file("x.dvf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("9 x 2633216 pixels; at most 32768 pixels a side"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home.file("x.dvf")));
}

// Every picture writer of the command line on a full disk, a read-only disk and a folder that
// cannot be made: its message, and nothing written.
TEST_F(ImageCli, FullOrReadOnlyDiskGivesItsMessageAndWritesNothing)
{
    test::SmallDisk full(128);
    test::SmallDisk readOnly(4096, test::SmallDisk::readOnly);
    if (!full.mounted() || !readOnly.mounted())
        GTEST_SKIP() << "mounting a small disk needs root";
    for (const char* name : {"wyb.cpt", "wyb.sty"})
        fs::copy_file(test::programBesideTest(name).toStdString(), home.file(name));
    const QString source = dvf("a.dvf", dvSystem525, false);
    const QString picture = jpeg("in.jpg", 640, 480);
    const std::string noSpace = "There is not enough free space on the disk.";
    // A folder that cannot be written in is refused before anything is written.
    const std::string cannotUse = "The file or folder cannot be found.";
    const QString onFull = QString::fromStdString(full.file("out"));
    const QString onReadOnly = QString::fromStdString(readOnly.file("out"));
    const struct {
        QStringList arguments;
        std::string message;
    } cases[] = {
        {{"convert", source, "-o", onFull, "--format", "jpeg"}, noSpace},
        {{"convert", source, "-o", onFull, "--format", "bmp"}, noSpace},
        {{"convert", source, "-o", onFull, "--format", "dvf"}, noSpace},
        {{"import", picture, "-o", onFull}, noSpace},
        {{"convert", source, "-o", onReadOnly, "--format", "jpeg"}, cannotUse},
        {{"convert", source, "-o", onReadOnly, "--format", "dvf"}, cannotUse},
        {{"import", picture, "-o", onReadOnly}, cannotUse},
        {{"convert", source, "-o", QString::fromStdString(readOnly.file("new/out"))}, cannotUse},
    };
    for (const auto& row : cases) {
        const CliRun run = cli(row.arguments);
        EXPECT_EQ(run.status, 1) << row.arguments.join(' ').toStdString();
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_EQ(full.listing(), "");
        EXPECT_EQ(readOnly.listing(), "");
    }
    // The program folder on the full disk: the import's work file does not fit.
    for (const char* name : {"wyb.cpt", "wyb.sty"})
        fs::copy_file(home.file(name), full.file(name));
    setenv("VANTREL_HOME", full.path().c_str(), 1);
    const CliRun run = cli({"import", picture, "-o", file("x.dvf")});
    setenv("VANTREL_HOME", home.path().c_str(), 1);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(noSpace), std::string::npos) << run.err;
    EXPECT_EQ(full.listing(), "wyb.cpt wyb.sty ");
    EXPECT_FALSE(fs::exists(home.file("x.dvf")));
}

// A save that fails leaves the file that was at its target as it was, and no work file: a file
// the user may not write (as an ordinary user), and a disk too full for the new copy beside
// the old one (whose size passes the free-space check).
TEST_F(ImageCli, FailedSaveKeepsTheFileThatWasThere)
{
    enum Obstacle { readOnlyFile, fullDisk };
    const test::OrdinaryUser user;
    test::SmallDisk disk(2048);
    for (const char* name : {"wyb.cpt", "wyb.sty"})
        fs::copy_file(test::programBesideTest(name).toStdString(), home.file(name));
    const QString source = dvf("a.dvf", dvSystem525, false);
    ASSERT_TRUE(user.own(home.path()) && user.own(home.file("a.dvf")));
    const struct {
        const char* target;
        QStringList options;
        Obstacle obstacle;
        const char* message;
    } cases[] = {
        {"out.jpg", {"--format", "jpeg"}, readOnlyFile, "The file or folder cannot be found."},
        {"out.bmp", {"--format", "bmp"}, readOnlyFile, "The file or folder cannot be found."},
        {"out.dvf", {"--format", "dvf"}, readOnlyFile, "The file or folder cannot be found."},
        {"out.jpg", {"--format", "jpeg"}, fullDisk, "was not written"},
        {"out.bmp", {"--format", "bmp", "--colors", "8"}, fullDisk, "was not written"},
        {"out.dvf", {"--format", "dvf"}, fullDisk, "was not written"},
        {"out.png", {}, fullDisk, "cannot be written"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.target) + (row.obstacle == fullDisk ? " on a full disk" : " read-only"));
        if (row.obstacle == readOnlyFile ? !user.available() : !disk.mounted())
            continue; // dropping to an ordinary user and mounting the disk need root
        const std::string folder = row.obstacle == fullDisk ? disk.path() : home.path();
        const std::string target = folder + "/" + row.target;
        const std::vector<uint8_t> before(1400 * 1024, 0x5A); // larger than any new copy
        test::writeBytes(target, before);
        const QString out = QString::fromStdString(target);
        const QStringList arguments = fs::path(target).extension() == ".png"
                                          ? QStringList{"thumbnail", source, out, "640"}
                                          : QStringList{"convert", source, "-o", out, "--force"} + row.options;
        CliRun run;
        if (row.obstacle == fullDisk) {
            ASSERT_TRUE(disk.fillLeaving(4096));
            run = cli(arguments);
        } else {
            ASSERT_TRUE(user.own(target));
            fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
            run = user.run(arguments);
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_EQ(test::fileBytes(target), before);
        EXPECT_FALSE(fs::exists(target + ".part"));
        fs::remove(target);
        fs::remove(disk.file("filler"));
    }
}

// A stored setting the program does not take is read as the setting's default: a save always
// writes what it reports.
TEST_F(ImageCli, StoredSettingOutOfRangeSavesAsTheDefault)
{
    const QString source = dvf("a.dvf", dvSystem525, false);
    const struct {
        const char* setup;
        const char* written; // the file convert reports
        int bits;            // of the bitmap, or 0 for a JPEG
        QSize size;
    } cases[] = {
        {"Format=9", "out.jpg", 0, {640, 480}},
        {"Format=3", "out.png", 0, {640, 480}},
        {"Format=4", "out.jpg", 0, {640, 480}},
        {"Format=-1", "out.jpg", 0, {640, 480}},
        {"Format=1\nBmpColor=16", "out.bmp", 24, {640, 480}},
        {"Format=1\nBmpColor=2", "out.bmp", 24, {640, 480}},
        {"Format=1\nBmpColor=4\nImgSize=7", "out.bmp", 4, {640, 480}},
        {"ImgSize=2\nJpegQ=101\nRevision=9", "out.jpg", 0, {320, 240}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.setup);
        std::ofstream(home.file("wyb30.ini")) << "[Setup]\n" << row.setup << "\n";
        const CliRun run = cli({"convert", source, "-o", file("out")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, home.file(row.written) + "\n");
        const auto bytes = test::fileBytes(home.file(row.written));
        ASSERT_GT(bytes.size(), 54u);
        if (row.bits) {
            EXPECT_EQ(bytes[28], row.bits);
        }
        EXPECT_EQ(QImage(QString::fromStdString(home.file(row.written))).size(), row.size);
        EXPECT_FALSE(fs::exists(home.file("temp.bmp")));
        fs::remove(home.file(row.written));
    }
}

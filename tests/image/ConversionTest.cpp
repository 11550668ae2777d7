#include "Fidelity.h"
#include "Frames.h"
#include "support/PictureTags.h"
#include "support/TempFolder.h"

#include "image/TargetPath.h"
#include "image/Conversions.h"
#include "image/Dvf.h"
#include "image/PictureFacts.h"
#include "image/TestPattern.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

struct Answers : PathPrompts {
    bool yes = true;
    int questions = 0;
    int warnings = 0;
    bool askYesNo(const QString&, const QString&) override { ++questions; return yes; }
    void warn(std::string_view, const QString&, const QString&) override { ++warnings; }
};

class Conversion : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }

    TargetPathCheck check()
    {
        return [this](const std::string& path, const std::string& extension, uint64_t bytes, bool ask) {
            return targetPathCheck(path, extension, bytes, ask, answers);
        };
    }
    std::string dvf(DvSystem system, bool wide)
    {
        const auto path = home.file(std::string(system == dvSystem625 ? "pal" : "ntsc") +
                                    (wide ? "w" : "") + ".dvf");
        EXPECT_TRUE(test::writeTestDvf(path, system, wide));
        return path;
    }
    bool noWorkFilesLeft() const { return !fs::exists(home.file("temp.bmp")); }
    // A picture file of the given size: the pattern scaled, `mask` pixels left as they are.
    std::string picture(int width, int height, const char* format = "JPEG")
    {
        const auto pixels = testPattern(dvSystem525);
        const QImage pattern(pixels.data(), 720, 480, 2160, QImage::Format_BGR888);
        const auto path = home.file("in" + std::to_string(width) + "x" + std::to_string(height) +
                                    (format == std::string("JPEG") ? ".jpg" : ".bmp"));
        EXPECT_TRUE(pattern.scaled(width, height).save(QString::fromStdString(path), format, 95));
        return path;
    }
    QImage decodedDvf(const std::string& path, DvSystem& system, bool& wide)
    {
        ImageSettings settings;
        settings.Revision = 0;
        PictureRecord record;
        const auto bitmap = home.file("decoded.bmp");
        EXPECT_TRUE(decodeToBitmapFile(path, bitmap, settings, check(), record));
        system = record.videoSystem();
        wide = record.wide;
        return QImage(QString::fromStdString(bitmap));
    }

    test::TempProgramFolder home;
    Answers answers;
};

bool isMask(QRgb pixel, int level)
{
    return std::abs(qRed(pixel) - level) < 24 && std::abs(qGreen(pixel) - level) < 24 &&
           std::abs(qBlue(pixel) - level) < 24;
}

} // namespace

TEST_F(Conversion, SavedSizeForEveryImgSizeSystemAndAspect)
{
    for (const DvSystem system : {dvSystem525, dvSystem625})
        for (const bool wide : {false, true}) {
            const auto source = dvf(system, wide);
            for (int imgSize = 0; imgSize <= 4; ++imgSize) {
                ImageSettings settings;
                settings.ImgSize = imgSize;
                const auto out = home.file("out.jpg");
                ASSERT_TRUE(convertPictureFile(source, out, saveAsJpeg, false, settings, check()));
                const QImage saved(QString::fromStdString(out));
                const PictureSize expected = savedPictureSize(imgSize, wide, system);
                EXPECT_EQ(saved.size(), QSize(expected.width, expected.height))
                    << "system " << system << " wide " << wide << " ImgSize " << imgSize;
            }
            EXPECT_TRUE(noWorkFilesLeft());
        }
    EXPECT_EQ(savedPictureSize(0, true, dvSystem625).height, 576);
    EXPECT_EQ(savedPictureSize(2, true, dvSystem525).width, 424);
    EXPECT_EQ(savedPictureSize(1, false, dvSystem625).width, 640);
    EXPECT_EQ(savedPictureSize(4, true, dvSystem625).width, 106);
    EXPECT_EQ(savedPictureSize(3, false, dvSystem525).height, 120);
}

TEST_F(Conversion, FullSizeBitmapMatchesTheSourcePattern)
{
    for (const DvSystem system : {dvSystem525, dvSystem625}) {
        ImageSettings settings;
        settings.ImgSize = 0;
        settings.Format = saveAsBitmap;
        settings.Revision = 0;
        const auto out = home.file("full.bmp");
        ASSERT_TRUE(convertPictureFile(dvf(system, false), out, saveAsBitmap, false, settings, check()));
        const auto bytes = test::fileBytes(out);
        ASSERT_EQ(bytes.size(), 54u + 2160u * linesOf(system));
        const auto pixels = test::fromBottomUp(&bytes[54], 720, linesOf(system));
        const auto source = test::fromTopDown(testPattern(system).data(), 720, linesOf(system), 2160);
        EXPECT_GT(test::psnr(pixels, source), 30.0);
    }
}

TEST_F(Conversion, BitmapDepthsFollowBmpColor)
{
    const auto source = dvf(dvSystem525, false);
    for (const int bits : {24, 8, 4, 1}) {
        ImageSettings settings;
        settings.BmpColor = bits;
        settings.ImgSize = 2;
        const auto out = home.file("depth.txt");
        ASSERT_TRUE(convertPictureFile(source, out, saveAsBitmap, false, settings, check()));
        const auto bytes = test::fileBytes(home.file("depth.bmp"));
        ASSERT_GT(bytes.size(), 54u) << "extension forced to bmp";
        EXPECT_EQ(bytes[28], bits);
        EXPECT_EQ(bytes[18] | bytes[19] << 8, 320);
    }
}

TEST_F(Conversion, DvfFormatCopiesTheFileByteForByte)
{
    const auto source = dvf(dvSystem625, true);
    ImageSettings settings;
    ASSERT_TRUE(convertPictureFile(source, home.file("copy.jpg"), saveAsDvf, true, settings, check()));
    EXPECT_EQ(test::fileBytes(home.file("copy.dvf")), test::fileBytes(source));
    EXPECT_EQ(answers.questions, 0);
    // Asked again with the copy there: No keeps it untouched.
    test::writeBytes(home.file("copy.dvf"), {1, 2, 3});
    answers.yes = false;
    EXPECT_FALSE(convertPictureFile(source, home.file("copy.dvf"), saveAsDvf, true, settings, check()));
    EXPECT_EQ(answers.questions, 1);
    EXPECT_EQ(test::fileBytes(home.file("copy.dvf")), (std::vector<uint8_t>{1, 2, 3}));
    answers.yes = true;
    EXPECT_TRUE(convertPictureFile(source, home.file("copy.dvf"), saveAsDvf, true, settings, check()));
    EXPECT_EQ(test::fileBytes(home.file("copy.dvf")), test::fileBytes(source));
}

TEST_F(Conversion, ImportAspectCases)
{
    struct Case {
        int width, height, fSqeeze, fMskBlk;
        bool wide;
        int maskRows;    // rows of mask above and below, in the 480 lines
        int maskColumns; // columns of mask left and right, in the 720 columns
    };
    const Case cases[] = {
        {640, 480, 0, 0, false, 0, 0},     // 133: scaled, no background
        {720, 480, 0, 0, false, 27, 0},    // 150: letter box 640 x 426
        {1000, 480, 0, 1, false, 86, 0},   // 208: letter box 640 x 307 on white
        {480, 640, 0, 0, false, 0, 157},   // 75: pillar box 360 x 480
        {848, 480, 0, 0, true, 0, 0},      // 176 with Squeeze: wide
        {848, 480, 1, 0, false, 59, 0},    // 176 with Letter Box: 640 x 361
    };
    for (const auto& c : cases) {
        ImageSettings settings;
        settings.fSqeeze = c.fSqeeze;
        settings.fMskBlk = c.fMskBlk;
        const auto out = home.file("import.dvf");
        ASSERT_TRUE(importToDvf(picture(c.width, c.height), out, settings, check()))
            << c.width << "x" << c.height;
        EXPECT_TRUE(noWorkFilesLeft());
        ASSERT_EQ(fs::file_size(out), 119232u);
        DvSystem system;
        bool wide;
        const QImage decoded = decodedDvf(out, system, wide);
        ASSERT_EQ(decoded.size(), QSize(720, 480));
        EXPECT_EQ(system, dvSystem525);
        EXPECT_EQ(wide, c.wide) << c.width << "x" << c.height << " fSqeeze " << c.fSqeeze;
        const int level = c.fMskBlk ? 255 : 0;
        if (c.maskRows) {
            EXPECT_TRUE(isMask(decoded.pixel(360, c.maskRows / 2), level));
            EXPECT_TRUE(isMask(decoded.pixel(360, 479 - c.maskRows / 2), level));
            EXPECT_FALSE(isMask(decoded.pixel(100, c.maskRows + 10), level)) << "picture below the bar";
        } else if (c.maskColumns) {
            EXPECT_TRUE(isMask(decoded.pixel(c.maskColumns / 2, 240), level));
            EXPECT_TRUE(isMask(decoded.pixel(719 - c.maskColumns / 2, 240), level));
            EXPECT_FALSE(isMask(decoded.pixel(c.maskColumns + 10, 60), level));
        } else {
            EXPECT_FALSE(isMask(decoded.pixel(2, 2), 0)) << "the picture fills the frame";
            EXPECT_FALSE(isMask(decoded.pixel(717, 300), 0));
        }
    }
}

TEST_F(Conversion, ImportKeepsThePicture)
{
    ImageSettings settings;
    settings.EncFormat = 1;
    const auto out = home.file("pal.dvf");
    ASSERT_TRUE(importToDvf(picture(640, 480, "BMP"), out, settings, check()));
    EXPECT_EQ(fs::file_size(out), 143072u);
    DvSystem system;
    bool wide;
    const QImage decoded = decodedDvf(out, system, wide);
    EXPECT_EQ(system, dvSystem625);
    const auto pixels = testPattern(dvSystem525);
    const QImage expected = QImage(pixels.data(), 720, 480, 2160, QImage::Format_BGR888)
                                .scaled(640, 480).scaled(720, 576, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_BGR888);
    const QImage got = decoded.convertToFormat(QImage::Format_BGR888);
    EXPECT_GT(test::psnr(test::fromTopDown(got.constBits(), 720, 576, int(got.bytesPerLine())),
                         test::fromTopDown(expected.constBits(), 720, 576, int(expected.bytesPerLine()))),
              25.0);
}

TEST_F(Conversion, BrokenInputWritesNothing)
{
    ImageSettings settings;
    test::writeBytes(home.file("fake.dvf"), {'B', 'M', 1, 2, 3});
    EXPECT_FALSE(convertPictureFile(home.file("fake.dvf"), home.file("o.jpg"), saveAsJpeg, false,
                                    settings, check()));
    EXPECT_FALSE(convertPictureFile(home.file("missing.dvf"), home.file("o.jpg"), saveAsBitmap,
                                    false, settings, check()));
    EXPECT_FALSE(convertPictureFile(home.file("missing.dvf"), home.file("o.dvf"), saveAsDvf,
                                    false, settings, check()));
    test::writeBytes(home.file("fake.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F'});
    EXPECT_FALSE(importToDvf(home.file("fake.jpg"), home.file("o.dvf"), settings, check()));
    EXPECT_FALSE(importToDvf(home.file("missing.bmp"), home.file("o.dvf"), settings, check()));
    for (const char* name : {"o.jpg", "o.bmp", "o.dvf", "temp.bmp"})
        EXPECT_FALSE(fs::exists(home.file(name))) << name;
    EXPECT_EQ(answers.warnings, 0) << "plain failures, no messages";
}

TEST_F(Conversion, RefusedTargetWritesNothing)
{
    // A folder that cannot be made: its parent is a file.
    test::writeBytes(home.file("plain"), {1});
    ImageSettings settings;
    const auto source = dvf(dvSystem525, false);
    EXPECT_FALSE(convertPictureFile(source, home.file("plain/sub/o.jpg"), saveAsJpeg, false,
                                    settings, check()));
    EXPECT_EQ(answers.warnings, 1);
    EXPECT_TRUE(noWorkFilesLeft());
    const TargetPathCheck noRoom = [](const std::string&, const std::string&, uint64_t, bool) {
        return std::string();
    };
    EXPECT_FALSE(convertPictureFile(source, home.file("o.jpg"), saveAsJpeg, false, settings, noRoom));
    EXPECT_FALSE(importToDvf(picture(640, 480), home.file("o.dvf"), settings, noRoom));
    for (const char* name : {"o.jpg", "o.dvf", "temp.bmp"})
        EXPECT_FALSE(fs::exists(home.file(name))) << name;
}

TEST_F(Conversion, BlankBackgroundFile)
{
    for (const int mask : {0, 1}) {
        const auto path = home.file("blank.bmp");
        ASSERT_TRUE(writeBlankBackground(path, mask));
        const auto bytes = test::fileBytes(path);
        ASSERT_EQ(bytes.size(), 921654u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[2] | bytes[3] << 8 | bytes[4] << 16, 921654);
        EXPECT_EQ(bytes[10], 54);
        EXPECT_EQ(bytes[14], 40);
        EXPECT_EQ(bytes[28], 24);
        EXPECT_EQ(std::count(bytes.begin() + 54, bytes.end(), mask ? 0xFF : 0x00), 921600);
    }
    EXPECT_FALSE(writeBlankBackground(home.file("none/blank.bmp"), 0));
}

TEST_F(Conversion, PngHoldsTheBitmapsPixelsForTheSameSettings)
{
    for (const auto& [system, wide] : {std::pair{dvSystem525, false}, {dvSystem625, true}}) {
        const auto source = dvf(system, wide);
        for (int imgSize = 0; imgSize <= 4; ++imgSize)
            for (int revision = 0; revision <= 2; ++revision) {
                ImageSettings settings;
                settings.ImgSize = imgSize;
                settings.Revision = revision;
                settings.BmpColor = 24;
                ASSERT_TRUE(convertPictureFile(source, home.file("same.bmp"), saveAsBitmap, false, settings, check()));
                ASSERT_TRUE(convertPictureFile(source, home.file("same.txt"), saveAsPng, false, settings, check()));
                const auto png = test::fileBytes(home.file("same.png"));
                ASSERT_GT(png.size(), 26u) << "extension forced to png";
                EXPECT_EQ(png[24], 8) << "8 bits a channel";
                EXPECT_EQ(png[25], 2) << "red, green and blue without alpha";
                const QImage lossless(QString::fromStdString(home.file("same.png")));
                const QImage bitmap(QString::fromStdString(home.file("same.bmp")));
                const PictureSize size = savedPictureSize(imgSize, wide, system);
                EXPECT_EQ(lossless.size(), QSize(size.width, size.height));
                EXPECT_EQ(lossless.convertToFormat(QImage::Format_RGB32),
                          bitmap.convertToFormat(QImage::Format_RGB32))
                    << "system " << system << " ImgSize " << imgSize << " Revision " << revision;
            }
    }
    EXPECT_TRUE(noWorkFilesLeft());
}

TEST_F(Conversion, JpegAndPngCarryThePicturesFactsAndTheHtmlPicturesNone)
{
    const auto shot = dvf(dvSystem625, true);
    const RecordingDate when{1998, 3, 14, 15, 9, 26};
    test::stampRecordingPacks(shot, recordingDatePack(when), recordingTimePack(when));
    const auto unset = dvf(dvSystem525, false);
    test::stampRecordingPacks(unset, unsetRecordingDatePack, unsetRecordingTimePack);
    const struct {
        std::string source;
        int format;
        const char* file;
        const char* timeFormat;
        const char* system;
        const char* wide;
        const char* original; // "" for none
    } cases[] = {
        {shot, saveAsJpeg, "shot.jpg", "25Timecode", "625 lines/50 Hz", "true", "1998:03:14 15:09:26"},
        {shot, saveAsPng, "shot.png", "25Timecode", "625 lines/50 Hz", "true", "1998:03:14 15:09:26"},
        {unset, saveAsJpeg, "unset.jpg", "30Timecode", "525 lines/60 Hz", "false", ""},
        {unset, saveAsPng, "unset.png", "30Timecode", "525 lines/60 Hz", "false", ""},
    };
    for (const auto& c : cases) {
        ImageSettings settings;
        ASSERT_TRUE(convertPictureFile(c.source, home.file(c.file), c.format, false, settings, check()));
        auto tags = test::pictureTags(home.file(c.file));
        EXPECT_EQ(tags["XMP-xmpDM:StartTimeCodeTimeValue"], "00:00:00:00") << c.file;
        EXPECT_EQ(tags["XMP-xmpDM:StartTimeCodeTimeFormat"], c.timeFormat) << c.file;
        EXPECT_EQ(tags["ExifIFD:UserComment"], "Time code 00:00:00:00") << c.file;
        EXPECT_EQ(tags["XMP-vantrel:VideoSystem"], c.system) << c.file;
        EXPECT_EQ(tags["XMP-vantrel:Wide"], c.wide) << c.file;
        EXPECT_EQ(tags["IFD0:Software"], softwareName()) << c.file;
        EXPECT_EQ(tags["ExifIFD:DateTimeOriginal"], c.original) << c.file;
        EXPECT_FALSE(tags["ExifIFD:CreateDate"].empty()) << c.file << ": when the DVF was written";
    }
    ASSERT_TRUE(convertPictureFileToSizes(shot, {{home.file("html.jpg"), 2}}, saveAsJpeg, false,
                                          ImageSettings{}, check()));
    EXPECT_EQ(test::pictureTags(home.file("html.jpg")).count("IFD0:Software"), 0u);
}

#include "Fidelity.h"
#include "Frames.h"
#include "support/TempFolder.h"

#include "image/ImageDocument.h"
#include "image/ImageKit.h"
#include "image/TestPattern.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vantrel;

namespace {

uint32_t word32(const std::vector<uint8_t>& bytes, int offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t(bytes[offset + 3]) << 24;
}

uint16_t word16(const std::vector<uint8_t>& bytes, int offset)
{
    return uint16_t(bytes[offset] | bytes[offset + 1] << 8);
}

QImage patternImage()
{
    const auto pixels = testPattern(dvSystem525);
    return QImage(pixels.data(), 720, 480, 2160, QImage::Format_BGR888).copy();
}

test::Picture pictureOf(const QImage& image)
{
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    return test::fromTopDown(bgr.constBits(), bgr.width(), bgr.height(), int(bgr.bytesPerLine()));
}

class ImageKit : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(patternImage().save(QString::fromStdString(source()), "BMP")); }
    std::string source() const { return folder.file("pattern.bmp"); }
    test::TempFolder folder;
};

} // namespace

TEST_F(ImageKit, FileTypeRecordsSizeAndDepth)
{
    ImgKitFileInfo info;
    ASSERT_NE(ImgKitFileType(source(), &info), 0);
    EXPECT_EQ(info.fileType, imgKitBitmap);
    EXPECT_EQ(info.width, 720);
    EXPECT_EQ(info.height, 480);
    EXPECT_EQ(info.bitsPerPixel, 24);
    ASSERT_TRUE(patternImage().save(QString::fromStdString(folder.file("p.jpg")), "JPEG"));
    ASSERT_NE(ImgKitFileType(folder.file("p.jpg"), &info), 0);
    EXPECT_EQ(info.fileType, imgKitJpeg);
    EXPECT_EQ(info.bitsPerPixel, 24);
}

TEST_F(ImageKit, SavedBitmapHasTheDepthAsked)
{
    const struct { int bits; uint32_t tableBytes; } depths[] = {{24, 0}, {8, 1024}, {4, 64}, {1, 8}};
    ImageDocument picture;
    ASSERT_TRUE(picture.load(source()));
    ASSERT_TRUE(picture.resize(320, 240));
    for (const auto& depth : depths) {
        const auto path = folder.file("out" + std::to_string(depth.bits) + ".bmp");
        // Each save frees the working copy: the next one starts again from the loaded picture.
        ASSERT_TRUE(picture.saveBitmap(path, depth.bits)) << depth.bits;
        const auto bytes = test::fileBytes(path);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(word16(bytes, 28), depth.bits) << "bit count";
        EXPECT_EQ(word32(bytes, 10), 54 + depth.tableBytes) << "pixel offset for " << depth.bits;
        EXPECT_EQ(word32(bytes, 2), bytes.size()) << "file size field";
        const int width = int(word32(bytes, 18));
        const int height = int(word32(bytes, 22));
        const uint32_t rowBytes = ((uint32_t(width) * depth.bits + 31) / 32) * 4;
        EXPECT_EQ(bytes.size(), 54 + depth.tableBytes + rowBytes * uint32_t(height));
        EXPECT_EQ(width, depth.bits == 24 ? 320 : 720) << "only the first save had the resize";
    }
}

TEST_F(ImageKit, ReducedColoursStayCloseToThePicture)
{
    ImageDocument picture;
    ASSERT_TRUE(picture.load(source()));
    const test::Picture original = pictureOf(patternImage());
    double previous = 99;
    for (const int bits : {8, 4, 1}) {
        const auto path = folder.file("c.bmp");
        ASSERT_TRUE(picture.saveBitmap(path, bits));
        const double fidelity = test::psnr(pictureOf(QImage(QString::fromStdString(path))), original);
        EXPECT_LT(fidelity, previous) << "fewer colours, less fidelity";
        EXPECT_GT(fidelity, bits == 1 ? 5.0 : 15.0) << bits;
        previous = fidelity;
    }
}

TEST_F(ImageKit, JpegQualityTradesSizeForFidelity)
{
    ImageDocument picture;
    ASSERT_TRUE(picture.load(source()));
    const test::Picture original = pictureOf(patternImage());
    size_t lastSize = 0;
    double lastFidelity = 0;
    for (const int quality : {10, 50, 95}) {
        const auto path = folder.file("q.jpg");
        ASSERT_TRUE(picture.saveJpeg(path, quality));
        const size_t size = std::filesystem::file_size(path);
        const double fidelity = test::psnr(pictureOf(QImage(QString::fromStdString(path))), original);
        EXPECT_GT(size, lastSize) << quality;
        EXPECT_GT(fidelity, lastFidelity) << quality;
        lastSize = size;
        lastFidelity = fidelity;
    }
    EXPECT_GT(lastFidelity, 35.0);
}

TEST_F(ImageKit, ComposeCentresThePictureOnTheBackground)
{
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    QImage black(640, 480, QImage::Format_RGB32);
    black.fill(qRgb(0, 0, 0));
    ASSERT_TRUE(red.save(QString::fromStdString(folder.file("red.bmp"))));
    ASSERT_TRUE(black.save(QString::fromStdString(folder.file("black.bmp"))));
    ImageDocument foreground, background;
    ASSERT_TRUE(foreground.load(folder.file("red.bmp")));
    ASSERT_TRUE(background.load(folder.file("black.bmp")));
    ASSERT_TRUE(foreground.composeOnto(background));
    EXPECT_EQ(foreground.currentWidth, 640);
    ASSERT_TRUE(foreground.saveBitmap(folder.file("composed.bmp"), 24));
    const QImage composed(QString::fromStdString(folder.file("composed.bmp")));
    ASSERT_EQ(composed.size(), QSize(640, 480));
    EXPECT_EQ(composed.pixel(270, 215), qRgb(255, 0, 0)) << "top-left corner at (270, 215)";
    EXPECT_EQ(composed.pixel(369, 264), qRgb(255, 0, 0));
    EXPECT_EQ(composed.pixel(269, 215), qRgb(0, 0, 0));
    EXPECT_EQ(composed.pixel(370, 265), qRgb(0, 0, 0));
}

TEST_F(ImageKit, UnreadableFilesAndBadDepthsFailCleanly)
{
    test::writeBytes(folder.file("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
    ImgKitFileInfo info;
    EXPECT_EQ(ImgKitFileType(folder.file("text.jpg"), &info), 0);
    EXPECT_EQ(ImgKitFileType(folder.file("missing.bmp"), &info), 0);
    auto bytes = test::fileBytes(source());
    bytes.resize(40); // the header cut short
    test::writeBytes(folder.file("cut.bmp"), bytes);
    ImageDocument picture;
    EXPECT_FALSE(picture.load(folder.file("text.jpg")));
    EXPECT_FALSE(picture.load(folder.file("cut.bmp")));
    EXPECT_FALSE(picture.makeWorkingCopy());
    EXPECT_EQ(picture.memorySize(), 0u);
    ASSERT_TRUE(picture.load(source()));
    EXPECT_GE(picture.memorySize(), 720u * 480 * 3);
    EXPECT_FALSE(picture.saveBitmap(folder.file("x.bmp"), 16));
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.bmp")));
    EXPECT_FALSE(picture.saveJpeg(folder.file("no/folder/x.jpg"), 75));
}

TEST_F(ImageKit, TwentyFourBitFilesRoundTripAtOddWidths)
{
    for (const int width : {1, 2, 3, 321}) {
        QImage source(width, 7, QImage::Format_RGB32);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < width; ++x)
                source.setPixel(x, y, qRgb(x * 7 % 256, y * 30, (x + y) % 256));
        const auto path = folder.file("odd.bmp");
        ASSERT_TRUE(source.save(QString::fromStdString(path), "BMP"));
        ImageDocument picture;
        ASSERT_TRUE(picture.load(path));
        const auto copy = folder.file("copy.bmp");
        ASSERT_TRUE(picture.saveBitmap(copy, 0));
        const auto bytes = test::fileBytes(copy);
        const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
        EXPECT_EQ(bytes.size(), 54 + rowBytes * 7);
        EXPECT_EQ(word16(bytes, 28), 24);
        EXPECT_EQ(QImage(QString::fromStdString(copy)).convertToFormat(QImage::Format_RGB32), source)
            << "width " << width;
    }
}

TEST_F(ImageKit, ResizeAlwaysHandsOverANewImage)
{
    ImgKitHandle image = ImgKitFileLoad(source());
    ASSERT_NE(image, nullptr);
    for (const auto& [width, height] : {std::pair{720, 480}, {320, 240}}) {
        ImgKitOwned resized = ImgKitImageSize(image, width, height);
        ASSERT_TRUE(resized) << width;
        EXPECT_NE(resized.get(), image) << "freeing both must not free one image twice";
        ImgKitFileInfo info;
        ASSERT_EQ(ImgKitBmpFileSave(folder.file("r.bmp"), resized.get()), 1);
        ASSERT_NE(ImgKitFileType(folder.file("r.bmp"), &info), 0);
        EXPECT_EQ(info.width, width);
    }
    EXPECT_FALSE(ImgKitImageSize(image, 0, 240));
    ImgKitMemFree(image);
}

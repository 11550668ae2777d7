#include "Fidelity.h"

#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/Resampling.h"
#include "image/TestPattern.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <vector>

using namespace vantrel;

namespace {

void fill(FrameBitmap& bitmap, uint8_t b, uint8_t g, uint8_t r)
{
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            uint8_t* p = bitmap.pixels() + y * bitmap.rowBytes() + x * 3;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
}

uint32_t headerWord(const uint8_t* header, int offset)
{
    uint32_t value;
    std::memcpy(&value, header + offset, 4);
    return value;
}

} // namespace

TEST(Resampling, GroupOfNineIntoEightUsesExactAreaWeights)
{
    uint8_t source[9 * 3] = {};
    source[8 * 3 + 1] = 255; // green of the last pixel
    uint8_t output[8 * 3];
    BoxResampler(9, 8).group(source, 3, output, 3);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(output[k * 3 + 1], 0) << k;
    EXPECT_EQ(output[7 * 3 + 1], 226) << "one 0 and eight 255 samples: 2040 / 9";
    EXPECT_EQ(output[7 * 3], 0) << "channels apart";
}

TEST(Resampling, ThumbnailOfOneColourKeepsTheColour)
{
    for (const int height : {60, 72}) {
        FrameBitmap bitmap;
        ASSERT_TRUE(bitmap.setUp(90, height));
        fill(bitmap, 10, 200, 77);
        thumbnailReduction(bitmap);
        ASSERT_EQ(bitmap.width, 80);
        ASSERT_EQ(bitmap.height, 60);
        EXPECT_EQ(bitmap.imageSize, 14400);
        EXPECT_EQ(headerWord(bitmap.header(), 4), 80u);
        EXPECT_EQ(headerWord(bitmap.header(), 8), 60u);
        EXPECT_EQ(headerWord(bitmap.header(), 20), 14400u);
        for (int i = 0; i < 80 * 60; ++i) {
            const uint8_t* p = bitmap.pixels() + i * 3;
            ASSERT_TRUE(p[0] == 10 && p[1] == 200 && p[2] == 77) << "pixel " << i;
        }
    }
}

// At scale 2 (a screen of twice the pixels) the thumbnail comes from a quarter-size decode.
TEST(Resampling, ThumbnailOfADecodedFrameMatchesTheReducedSource)
{
    ASSERT_TRUE(DvcLoad());
    for (const int scale : {1, 2})
        for (const DvSystem system : {dvSystem525, dvSystem625}) {
            const auto frame = encodedTestFrame(system);
            PictureRecord record;
            record.system = system == dvSystem625 ? 6 : 5;
            record.frame.reset(new uint8_t[frameLayoutBytes]);
            std::memcpy(record.frame.get(), frame.data(), frameLayoutBytes);
            FrameBitmap bitmap;
            ASSERT_EQ(decodeIntoBitmapAt(record, bitmap, 8 / scale, correctionNone), dvcOk);
            EXPECT_FALSE(record.frame) << "frame data released after decoding";
            thumbnailReduction(bitmap);
            const int width = 80 * scale;
            const int height = 60 * scale;
            ASSERT_EQ(bitmap.width, width);
            ASSERT_EQ(bitmap.height, height);
            const auto thumbnail = test::fromBottomUp(bitmap.pixels(), width, height);
            // The pixels must outlive the picture that wraps them.
            const auto pixels = testPattern(system);
            const QImage pattern(pixels.data(), 720, linesOf(system), 2160, QImage::Format_BGR888);
            const QImage small = pattern.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const auto expected = test::fromTopDown(small.constBits(), width, height, int(small.bytesPerLine()));
            EXPECT_GT(test::psnr(thumbnail, expected), 20.0) << system << " at scale " << scale;
        }
}

TEST(Resampling, ThumbnailRowsAreTheBoxMeansOfNineIntoEight)
{
    FrameBitmap bitmap;
    ASSERT_TRUE(bitmap.setUp(90, 60));
    uint32_t seed = 12345;
    for (int i = 0; i < bitmap.rowBytes() * 60; ++i)
        bitmap.pixels()[i] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    std::vector<uint8_t> expected(80 * 3 * 60);
    const BoxResampler across(9, 8);
    for (int y = 0; y < 60; ++y)
        across.line(bitmap.pixels() + y * bitmap.rowBytes(), expected.data() + y * 240, 10);
    thumbnailReduction(bitmap);
    EXPECT_EQ(std::vector<uint8_t>(bitmap.pixels(), bitmap.pixels() + expected.size()), expected);
}

// Both scales and both systems against the box resampler: nine pixels onto eight along the rows,
// then six rows onto five for 625/50. The rows are reduced eight pixels at a time, in place.
TEST(Resampling, ThumbnailsAtBothScalesAreTheBoxMeans)
{
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{90, 60}, Case{90, 72}, Case{180, 120}, Case{180, 144}}) {
        FrameBitmap bitmap;
        ASSERT_TRUE(bitmap.setUp(c.width, c.height));
        uint32_t seed = 977u * static_cast<uint32_t>(c.width + c.height);
        for (int i = 0; i < bitmap.rowBytes() * c.height; ++i)
            bitmap.pixels()[i] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
        const int width = c.width * 8 / 9;
        const int rowBytes = width * 3;
        std::vector<uint8_t> expected(static_cast<size_t>(rowBytes) * c.height);
        for (int y = 0; y < c.height; ++y)
            BoxResampler(9, 8).line(bitmap.pixels() + y * bitmap.rowBytes(), &expected[static_cast<size_t>(y) * rowBytes],
                                    c.width / 9);
        int height = c.height;
        if (c.height % 60 != 0) {
            height = c.height * 5 / 6;
            for (int x = 0; x < width; ++x)
                for (int g = 0; g < c.height / 6; ++g)
                    BoxResampler(6, 5).group(&expected[static_cast<size_t>(6 * g) * rowBytes + x * 3], rowBytes,
                                             &expected[static_cast<size_t>(5 * g) * rowBytes + x * 3], rowBytes);
        }
        thumbnailReduction(bitmap);
        ASSERT_EQ(bitmap.width, width) << c.width << " x " << c.height;
        ASSERT_EQ(bitmap.height, height) << c.width << " x " << c.height;
        expected.resize(static_cast<size_t>(rowBytes) * height);
        EXPECT_EQ(std::vector<uint8_t>(bitmap.pixels(), bitmap.pixels() + expected.size()), expected)
            << c.width << " x " << c.height;
    }
}

TEST(Resampling, OtherWidthsAreLeftAlone)
{
    FrameBitmap bitmap;
    ASSERT_TRUE(bitmap.setUp(720, 480));
    fill(bitmap, 1, 2, 3);
    const std::vector<uint8_t> before(bitmap.block.get(), bitmap.block.get() + bitmap.blockBytes);
    thumbnailReduction(bitmap);
    EXPECT_EQ(bitmap.width, 720);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), bitmap.block.get()));
    FrameBitmap thumbnail;
    ASSERT_TRUE(thumbnail.setUp(90, 60));
    EXPECT_FALSE(aspectCopy(thumbnail, false));
}

TEST(Resampling, AspectCopyWidthsAndArea)
{
    const struct { int height; bool wide; int width; } cases[] = {
        {480, false, 640}, {480, true, 848}, {576, false, 768}, {576, true, 1024}};
    for (const auto& c : cases) {
        FrameBitmap bitmap;
        ASSERT_TRUE(bitmap.setUp(720, c.height));
        // A horizontal ramp: the box method keeps each row's mean (up to truncation).
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < 720; ++x)
                std::memset(bitmap.pixels() + y * 2160 + x * 3, x * 255 / 719, 3);
        const auto block = aspectCopy(bitmap, c.wide);
        ASSERT_TRUE(block);
        ASSERT_EQ(block->size(), 40u + size_t(c.width) * 3 * c.height);
        EXPECT_EQ(headerWord(block->data(), 4), uint32_t(c.width));
        EXPECT_EQ(headerWord(block->data(), 8), uint32_t(c.height));
        EXPECT_EQ(headerWord(block->data(), 20), uint32_t(c.width * c.height * 3));
        double sourceMean = 0, outputMean = 0;
        for (int x = 0; x < 720; ++x)
            sourceMean += bitmap.pixels()[x * 3] / 720.0;
        for (int x = 0; x < c.width; ++x)
            outputMean += (*block)[40 + x * 3] / double(c.width);
        EXPECT_NEAR(outputMean, sourceMean, 1.0);
        const QImage image = imageOfAspectCopy(*block);
        EXPECT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(qRed(image.pixel(0, 0)), 0);
        EXPECT_GE(qRed(image.pixel(c.width - 1, 0)), 253);
    }
}

TEST(Resampling, MeansTruncateLikeIntegerDivisionForEveryGroupSize)
{
    // Every run sum of every table, against the plain division.
    for (const auto& [n, m] : {std::pair{9, 8}, {6, 5}, {45, 53}, {15, 16}, {45, 64}}) {
        const BoxResampler resampler(n, m);
        for (int level = 0; level < 256; ++level) {
            std::vector<uint8_t> source(size_t(n) * 3);
            for (int i = 0; i < n; ++i)
                source[i * 3] = uint8_t(i == n - 1 ? 255 : level);
            std::vector<uint8_t> output(size_t(m) * 3);
            resampler.group(source.data(), 3, output.data(), 3);
            for (int k = 0; k < m; ++k) {
                unsigned sum = 0;
                for (int i = k * n; i < k * n + n; ++i)
                    sum += source[(i / m) * 3];
                ASSERT_EQ(output[k * 3], sum / unsigned(n)) << n << "->" << m << " k " << k;
            }
        }
    }
}

TEST(Resampling, GroupsTheTableCannotHoldAreRefused)
{
    // The sample table holds groups of up to 64 pixels each way.
    for (const auto& [n, m] : {std::pair{65, 8}, {8, 65}, {0, 8}, {8, 0}, {-1, 4}, {200, 255}}) {
        const BoxResampler resampler(n, m);
        EXPECT_FALSE(resampler.usable()) << n << "->" << m;
        std::vector<uint8_t> source(3 * 256, 7);
        std::vector<uint8_t> output(3 * 256, 0xEE);
        resampler.group(source.data(), 3, output.data(), 3);
        EXPECT_EQ(std::count(output.begin(), output.end(), 0xEE), 3 * 256) << "output left alone";
    }
    EXPECT_TRUE(BoxResampler(64, 64).usable());
}

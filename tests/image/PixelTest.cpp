// The vector forms of the per-pixel loops against their portable forms, on noise that takes
// every branch, and the colour conversions against the BT.601 figures.
#include "image/Correction.h"
#include "image/PixelLanes.h"
#include "image/PixelRows.h"
#include "image/YuvConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using namespace vantrel;

namespace {

std::vector<uint8_t> noise(size_t bytes, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> out(bytes);
    for (auto& b : out)
        b = static_cast<uint8_t>(byte(generator));
    return out;
}

struct Planes {
    explicit Planes(int width, int height)
        : luma(static_cast<size_t>(width) * height), blue(luma.size() / 4), red(luma.size() / 4),
          view{{luma.data(), blue.data(), red.data()}, {width, width / 4, width / 4}}
    {
    }
    std::vector<uint8_t> luma, blue, red;
    YuvPlanes view;
};

// Studio-range BT.601 of one colour, as real numbers.
struct Yuv {
    double y, u, v;
};

Yuv bt601(double red, double green, double blue)
{
    return {16 + 0.256788 * red + 0.504129 * green + 0.097906 * blue,
            128 - 0.148223 * red - 0.290993 * green + 0.439216 * blue,
            128 + 0.439216 * red - 0.367788 * green - 0.071427 * blue};
}

} // namespace

TEST(YuvConversion, VectorAndPortableGiveTheSameBytes)
{
    if (!hasSsse3())
        GTEST_SKIP() << "no SSSE3 on this processor";
    // 720 as the encoder uses it, and widths whose last pixels take the portable path.
    for (const int width : {720, 20, 4}) {
        const int height = 7;
        const auto bgr = noise(static_cast<size_t>(width) * 3 * height, width);
        Planes vector(width, height), portable(width, height);
        bgrToYuv411(bgr.data(), width * 3, width, height, vector.view);
        bgrToYuv411Portable(bgr.data(), width * 3, width, height, portable.view);
        EXPECT_EQ(vector.luma, portable.luma) << width;
        EXPECT_EQ(vector.blue, portable.blue) << width;
        EXPECT_EQ(vector.red, portable.red) << width;
    }
}

TEST(YuvConversion, ColoursMeetTheBt601Figures)
{
    // Black, white, the primaries and a grey; four equal pixels so the chroma is that colour.
    const int colours[][3] = {{0, 0, 0}, {255, 255, 255}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {90, 140, 200}};
    for (const auto& c : colours) {
        std::vector<uint8_t> bgr;
        for (int i = 0; i < 16; ++i)
            bgr.insert(bgr.end(), {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])});
        Planes planes(16, 1);
        bgrToYuv411(bgr.data(), 48, 16, 1, planes.view);
        const Yuv expected = bt601(c[2], c[1], c[0]);
        EXPECT_NEAR(planes.luma[15], expected.y, 0.51) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_NEAR(planes.blue[3], expected.u, 0.51);
        EXPECT_NEAR(planes.red[3], expected.v, 0.51);
    }
}

TEST(YuvConversion, ChromaIsTheMeanOfFourPixels)
{
    // Black and white pixels by turns: the chroma of their mean grey, the luma of each.
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 16; ++i)
        bgr.insert(bgr.end(), 3, uint8_t(i % 2 ? 255 : 0));
    Planes planes(16, 1);
    bgrToYuv411(bgr.data(), 48, 16, 1, planes.view);
    EXPECT_EQ(planes.luma[0], 16);
    EXPECT_EQ(planes.luma[1], 235);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(planes.blue[c], 128);
        EXPECT_EQ(planes.red[c], 128);
    }
}

TEST(YuvConversion, WidenedChromaSitsAQuarterTowardTheNeighbour)
{
    const std::vector<uint8_t> row = {0, 100, 200};
    std::vector<uint8_t> wide(6);
    chroma411To422(row.data(), 3, 3, 1, wide.data(), 6);
    EXPECT_EQ(wide, (std::vector<uint8_t>{0, 25, 75, 125, 175, 200}));

    // 180 samples (a 720-pixel row) through the vector loop and its tail.
    const auto samples = noise(180, 5);
    std::vector<uint8_t> widened(360);
    chroma411To422(samples.data(), 180, 180, 1, widened.data(), 360);
    for (int x = 0; x < 180; ++x) {
        const int left = samples[x > 0 ? x - 1 : 0];
        const int right = samples[x < 179 ? x + 1 : 179];
        ASSERT_EQ(widened[2 * x], (3 * samples[x] + left + 2) / 4) << x;
        ASSERT_EQ(widened[2 * x + 1], (3 * samples[x] + right + 2) / 4) << x;
    }
}

TEST(MovementCorrection, VectorAndPortableGiveTheSameBytes)
{
    // Noise is full of combs in both directions; widths with a tail, heights odd and even.
    for (const int width : {720, 21}) {
        for (const int height : {480, 7}) {
            const int stride = (width * 3 + 31) & ~31;
            const auto original = noise(static_cast<size_t>(stride) * height, width + height);
            auto vector = original;
            auto portable = original;
            correctMovement(vector.data(), width, height, stride);
            correctMovementPortable(portable.data(), width, height, stride);
            EXPECT_EQ(vector, portable) << width << " x " << height;
            EXPECT_NE(vector, original) << "noise has combs to rebuild";
        }
    }
}

TEST(PixelRows, VectorAndPortableGiveTheSameBytes)
{
    for (const int width : {720, 1, 5, 6, 17}) {
        const auto bgr = noise(static_cast<size_t>(width) * 3, width);
        std::vector<uint32_t> pixels(width), reference(width);
        bgrToPixels(bgr.data(), width, pixels.data());
        bgrToPixelsPortable(bgr.data(), 0, width, reference.data());
        EXPECT_EQ(pixels, reference) << width;
        EXPECT_EQ(pixels[0], 0xFF000000u | uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0]);
        for (const bool rgb : {false, true}) {
            std::vector<uint8_t> out(bgr.size()), expected(bgr.size());
            pixelsToThreeBytes(pixels.data(), width, rgb, out.data());
            pixelsToThreeBytesPortable(pixels.data(), 0, width, rgb, expected.data());
            EXPECT_EQ(out, expected) << width << " rgb " << rgb;
            if (!rgb) {
                EXPECT_EQ(out, bgr) << "blue-green-red survives the round trip";
            }
        }
    }
}

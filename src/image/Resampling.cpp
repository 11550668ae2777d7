#include "Resampling.h"

#include "image/DvFrame.h"
#include "image/FrameBitmap.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <new>

namespace vantrel {

namespace {

constexpr int maxGroup = 64;
constexpr int thumbnailSourceWidth = 90;
constexpr int thumbnailWidth = 80;
constexpr int thumbnailHeight = 60;
constexpr int frameWidth = 720;

const DvAspect* aspectFor(int height, bool wide)
{
    const DvSystemFacts* facts = systemOfLines(height);
    if (!facts)
        return nullptr;
    return wide ? &facts->wide : &facts->narrow;
}

} // namespace

// A run's sum is at most 255 x 64 < 2^14; with 22 bits the rounding error of the reciprocal
// stays below 1/n, so the product truncates exactly as the division would.
constexpr int reciprocalShift = 22;

bool BoxResampler::fits(int sourcePixels, int outputPixels)
{
    return sourcePixels >= 1 && sourcePixels <= maxGroup && outputPixels >= 1
           && outputPixels <= maxGroup;
}

BoxResampler::BoxResampler(int sourcePixels, int outputPixels)
    : n(sourcePixels), m(outputPixels)
{
    if (!fits(n, m))
        return; // the table has no room for such a group: the resampler does nothing
    reciprocal_ = (1u << reciprocalShift) / n + 1;
    for (int k = 0; k < m; ++k) {
        first_.push_back(static_cast<uint16_t>(shares_.size()));
        const int firstSample = k * n;
        const int lastSample = firstSample + n - 1;
        for (int p = firstSample / m; p <= lastSample / m; ++p) {
            // Samples of pixel p are p*m .. p*m + m - 1; count those inside the run.
            const int from = std::max(firstSample, p * m);
            const int to = std::min(lastSample, p * m + m - 1);
            shares_.push_back({static_cast<uint8_t>(p), static_cast<uint8_t>(to - from + 1)});
        }
    }
    first_.push_back(static_cast<uint16_t>(shares_.size()));
}

void BoxResampler::group(const uint8_t* source, int sourceStep, uint8_t* output, int outputStep) const
{
    if (!usable())
        return;
    // Taken first, so the output may overwrite the group it comes from.
    uint8_t pixels[maxGroup][3];
    for (int i = 0; i < n; ++i)
        std::memcpy(pixels[i], source + i * sourceStep, 3);
    for (int k = 0; k < m; ++k) {
        unsigned sums[3] = {0, 0, 0};
        for (int i = first_[k]; i < first_[k + 1]; ++i) {
            const uint8_t* pixel = pixels[shares_[i].pixel];
            const unsigned weight = shares_[i].weight;
            sums[0] += weight * pixel[0];
            sums[1] += weight * pixel[1];
            sums[2] += weight * pixel[2];
        }
        uint8_t* out = output + k * outputStep;
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<uint8_t>((sums[c] * reciprocal_) >> reciprocalShift);
    }
}

void BoxResampler::line(const uint8_t* source, uint8_t* output, int groups) const
{
    for (int g = 0; g < groups; ++g)
        group(source + g * n * 3, 3, output + g * m * 3, 3);
}

namespace {

// The thumbnail's nine pixels onto eight along a row, as BoxResampler(9, 8) weighs them:
// output k takes 8 - k samples of pixel k and k + 1 of pixel k + 1. Each group is taken
// first, so the output may overwrite the row it comes from.
void nineIntoEight(const uint8_t* source, uint8_t* output, int groups)
{
    constexpr uint32_t reciprocal = (1u << reciprocalShift) / 9 + 1; // as the box resampler's
    for (int g = 0; g < groups; ++g, source += 27, output += 24) {
        uint8_t pixels[27];
        std::memcpy(pixels, source, sizeof pixels);
        for (int k = 0; k < 8; ++k)
            for (int c = 0; c < 3; ++c) {
                const uint32_t sum = pixels[3 * k + c] * (8u - k) + pixels[3 * k + 3 + c] * (k + 1u);
                output[3 * k + c] = static_cast<uint8_t>((sum * reciprocal) >> reciprocalShift);
            }
    }
}

} // namespace

void thumbnailReduction(FrameBitmap& bitmap)
{
    const int scale = bitmap.width / thumbnailSourceWidth;
    if ((scale != 1 && scale != 2) || bitmap.width != scale * thumbnailSourceWidth || !bitmap.block)
        return;
    uint8_t* pixels = bitmap.pixels();
    const int sourceRow = bitmap.rowBytes(); // 272 or 540: 270 or 540 of pixels, padding
    const int width = scale * thumbnailWidth;
    const int outputRow = width * 3;
    static const BoxResampler down(6, 5);
    for (int y = 0; y < bitmap.height; ++y)
        nineIntoEight(pixels + y * sourceRow, pixels + y * outputRow, bitmap.width / 9);
    const int sourceHeight = bitmap.height;
    bitmap.setSize(width, sourceHeight);
    if (sourceHeight == scale * thumbnailHeight)
        return;
    for (int x = 0; x < width; ++x)
        for (int g = 0; g < sourceHeight / 6; ++g)
            down.group(pixels + (6 * g) * outputRow + x * 3, outputRow,
                       pixels + (5 * g) * outputRow + x * 3, outputRow);
    bitmap.setSize(width, sourceHeight * 5 / 6);
}

std::optional<std::vector<uint8_t>> aspectCopy(const FrameBitmap& bitmap, bool wide)
{
    if (bitmap.width != frameWidth || !bitmap.block)
        return std::nullopt;
    const DvAspect* aspect = aspectFor(bitmap.height, wide);
    if (!aspect)
        return std::nullopt;
    const BoxResampler resampler(aspect->storedGroup, aspect->squareGroup);
    const size_t outputRow = static_cast<size_t>(aspect->squareWidth) * 3;
    std::vector<uint8_t> block;
    try {
        block.resize(bitmapInfoHeaderBytes + outputRow * bitmap.height);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::memcpy(block.data(), bitmap.header(), bitmapInfoHeaderBytes);
    putLittleEndian32(&block[4], static_cast<uint32_t>(aspect->squareWidth));
    putLittleEndian32(&block[20], static_cast<uint32_t>(bitmap.height * aspect->squareWidth * 3));
    for (int y = 0; y < bitmap.height; ++y)
        resampler.line(bitmap.pixels() + static_cast<size_t>(y) * bitmap.rowBytes(),
                       &block[bitmapInfoHeaderBytes + y * outputRow], frameWidth / resampler.n);
    return block;
}

QImage imageOfAspectCopy(const std::vector<uint8_t>& block)
{
    if (block.size() < static_cast<size_t>(bitmapInfoHeaderBytes))
        return {};
    auto word = [&](int offset) {
        return static_cast<int>(block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
                                block[offset + 3] << 24);
    };
    const int width = word(4);
    const int height = word(8);
    if (block.size() < bitmapInfoHeaderBytes + static_cast<size_t>(width) * 3 * height)
        return {};
    const QImage bottomUp(block.data() + bitmapInfoHeaderBytes, width, height, width * 3,
                          QImage::Format_BGR888);
    return bottomUp.mirrored(false, true);
}

} // namespace vantrel

#include "Resampling.h"

#include "image/DvFrame.h"
#include "image/FrameBitmap.h"

#include <QImage>

#include <emmintrin.h>

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
// output k takes 8 - k samples of pixel k and k + 1 of pixel k + 1. Byte j of a group's
// output (k = j / 3) is thus byte j of the group times 8 - k plus byte j + 3 times k + 1, a
// sum of at most 9 x 255 whose ninth, truncated, is the sum times 7282 over 2^16 (the
// box resampler's 22-bit reciprocal truncates the same way). Eight pixels in three vectors of
// 16-bit lanes; each group is loaded whole before its output is stored, so the output may
// overwrite the row it comes from.
void nineIntoEight(const uint8_t* source, uint8_t* output, int groups)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i ninth = _mm_set1_epi16(7282);
    const __m128i ownLow = _mm_setr_epi16(8, 8, 8, 7, 7, 7, 6, 6);
    const __m128i nextLow = _mm_setr_epi16(1, 1, 1, 2, 2, 2, 3, 3);
    const __m128i ownMiddle = _mm_setr_epi16(6, 5, 5, 5, 4, 4, 4, 3);
    const __m128i nextMiddle = _mm_setr_epi16(3, 4, 4, 4, 5, 5, 5, 6);
    const __m128i ownHigh = _mm_setr_epi16(3, 3, 2, 2, 2, 1, 1, 1);
    const __m128i nextHigh = _mm_setr_epi16(6, 6, 7, 7, 7, 8, 8, 8);
    const auto ninthOf = [&](__m128i own, __m128i ownWeights, __m128i next, __m128i nextWeights) {
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(own, ownWeights), _mm_mullo_epi16(next, nextWeights));
        return _mm_mulhi_epu16(sum, ninth);
    };
    const auto load16 = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const auto load8 = [](const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    for (int g = 0; g < groups; ++g, source += 27, output += 24) {
        const __m128i first = load16(source);      // bytes 0-15
        const __m128i shifted = load16(source + 3); // bytes 3-18
        const __m128i last = load8(source + 16);    // bytes 16-23
        const __m128i lastShifted = load8(source + 19);
        const __m128i low = ninthOf(_mm_unpacklo_epi8(first, zero), ownLow, _mm_unpacklo_epi8(shifted, zero), nextLow);
        const __m128i middle =
            ninthOf(_mm_unpackhi_epi8(first, zero), ownMiddle, _mm_unpackhi_epi8(shifted, zero), nextMiddle);
        const __m128i high =
            ninthOf(_mm_unpacklo_epi8(last, zero), ownHigh, _mm_unpacklo_epi8(lastShifted, zero), nextHigh);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(output), _mm_packus_epi16(low, middle));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(output + 16), _mm_packus_epi16(high, high));
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

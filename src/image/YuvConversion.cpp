#include "YuvConversion.h"

#include "image/PixelLanes.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstring>

namespace vantrel {

namespace {

// Coefficients scaled by 2^15, applied to values scaled by 2^7 with a rounding high multiply:
// the results come out scaled by 2^7 and fit 16-bit lanes throughout.
struct Coefficients {
    int16_t red;
    int16_t green;
    int16_t blue;
    int16_t offset; // 16 or 128, scaled by 2^7, with the final rounding added
};

constexpr Coefficients lumaCoefficients{8414, 16519, 3208, 16 * 128 + 64};
constexpr Coefficients blueDifference{-4857, -9535, 14392, 128 * 128 + 64};
constexpr Coefficients redDifference{14392, -12052, -2340, 128 * 128 + 64};
constexpr int fractionBits = 7;
constexpr int pixelsPerChroma = 4;
// Four pixels summed are at most 1020; shifted by 5 they are the mean scaled by 2^7.
constexpr int chromaSumShift = 5;

int roundingHighMultiply(int a, int b)
{
    return (a * b + (1 << 14)) >> 15;
}

uint8_t applyPortable(const Coefficients& k, int red, int green, int blue)
{
    const int value = roundingHighMultiply(red, k.red) + roundingHighMultiply(green, k.green) +
                      roundingHighMultiply(blue, k.blue) + k.offset;
    return static_cast<uint8_t>(value >> fractionBits);
}

// Pixels [from, width) of one row.
void rowPortable(const uint8_t* bgr, int from, int width, uint8_t* luma, uint8_t* blueOut,
                 uint8_t* redOut)
{
    for (int x = from; x < width; x += pixelsPerChroma) {
        int sums[3] = {0, 0, 0};
        for (int i = 0; i < pixelsPerChroma; ++i) {
            const uint8_t* p = bgr + 3 * (x + i);
            luma[x + i] = applyPortable(lumaCoefficients, p[2] << fractionBits,
                                        p[1] << fractionBits, p[0] << fractionBits);
            for (int c = 0; c < 3; ++c)
                sums[c] += p[c];
        }
        const int blue = sums[0] << chromaSumShift;
        const int green = sums[1] << chromaSumShift;
        const int red = sums[2] << chromaSumShift;
        blueOut[x / pixelsPerChroma] = applyPortable(blueDifference, red, green, blue);
        redOut[x / pixelsPerChroma] = applyPortable(redDifference, red, green, blue);
    }
}

VANTREL_SSSE3 __m128i applyLanes(const Coefficients& k, __m128i red, __m128i green, __m128i blue)
{
    __m128i value = _mm_add_epi16(_mm_mulhrs_epi16(red, _mm_set1_epi16(k.red)),
                                  _mm_mulhrs_epi16(green, _mm_set1_epi16(k.green)));
    value = _mm_add_epi16(value, _mm_mulhrs_epi16(blue, _mm_set1_epi16(k.blue)));
    value = _mm_add_epi16(value, _mm_set1_epi16(k.offset));
    return _mm_srai_epi16(value, fractionBits);
}

VANTREL_SSSE3 __m128i lumaLanes(const ChannelLanes& p)
{
    return applyLanes(lumaCoefficients, _mm_slli_epi16(p.red, fractionBits),
                      _mm_slli_epi16(p.green, fractionBits), _mm_slli_epi16(p.blue, fractionBits));
}

// Lanes 0-3: the sums of pixels 0-3, 4-7 (of `a`), 8-11 and 12-15 (of `b`), scaled.
VANTREL_SSSE3 __m128i groupSums(__m128i a, __m128i b)
{
    const __m128i pairs = _mm_hadd_epi16(a, b);
    return _mm_slli_epi16(_mm_hadd_epi16(pairs, pairs), chromaSumShift);
}

VANTREL_SSSE3 void storeFour(uint8_t* out, __m128i lanes)
{
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes));
    std::memcpy(out, &bytes, 4);
}

// Sixteen pixels at a time; the rest of the row the portable way.
VANTREL_SSSE3 void bgrToYuv411Ssse3(const uint8_t* bgr, int bgrStride, int width, int height,
                                    const YuvPlanes& out)
{
    const ChannelSplitter splitter;
    const int whole = width / 16 * 16;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bgr + static_cast<std::ptrdiff_t>(y) * bgrStride;
        uint8_t* luma = out.data[0] + static_cast<std::ptrdiff_t>(y) * out.stride[0];
        uint8_t* blueOut = out.data[1] + static_cast<std::ptrdiff_t>(y) * out.stride[1];
        uint8_t* redOut = out.data[2] + static_cast<std::ptrdiff_t>(y) * out.stride[2];
        for (int x = 0; x < whole; x += 16) {
            const ChannelLanes a = splitter.split(row + 3 * x);
            const ChannelLanes b = splitter.split(row + 3 * x + 24);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x),
                             _mm_packus_epi16(lumaLanes(a), lumaLanes(b)));
            const __m128i red = groupSums(a.red, b.red);
            const __m128i green = groupSums(a.green, b.green);
            const __m128i blue = groupSums(a.blue, b.blue);
            storeFour(blueOut + x / 4, applyLanes(blueDifference, red, green, blue));
            storeFour(redOut + x / 4, applyLanes(redDifference, red, green, blue));
        }
        rowPortable(row, whole, width, luma, blueOut, redOut);
    }
}

// (3 * own + neighbour + 2) / 4 in 16-bit lanes.
__m128i quarterToward(__m128i own, __m128i neighbour)
{
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(own, own), _mm_add_epi16(own, neighbour));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(2)), 2);
}

uint8_t quarterToward(int own, int neighbour)
{
    return static_cast<uint8_t>((3 * own + neighbour + 2) / 4);
}

// A 4:1:1 sample stands for four pixels and sits at their middle; each 4:2:2 sample stands
// for two and sits a quarter of the way from its own 4:1:1 sample toward the neighbour on its
// side. The first and last samples are their own outer neighbours.
void widenChromaRow(const uint8_t* in, int chromaWidth, uint8_t* row)
{
    if (chromaWidth <= 0)
        return;
    row[0] = in[0];
    row[1] = quarterToward(in[0], chromaWidth > 1 ? in[1] : in[0]);
    int x = 1;
    // Eight samples per step, with the one before and the one after them.
    const __m128i zero = _mm_setzero_si128();
    for (; x + 9 <= chromaWidth; x += 8) {
        const auto load = [&](int at) {
            return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + at)), zero);
        };
        const __m128i own = load(x);
        const __m128i left = quarterToward(own, load(x - 1));
        const __m128i right = quarterToward(own, load(x + 1));
        // Interleaved: each sample's left value, then its right one.
        const __m128i pairs = _mm_packus_epi16(_mm_unpacklo_epi16(left, right), _mm_unpackhi_epi16(left, right));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 2 * x), pairs);
    }
    for (; x < chromaWidth; ++x) {
        const int next = x + 1 < chromaWidth ? in[x + 1] : in[x];
        row[2 * x] = quarterToward(in[x], in[x - 1]);
        row[2 * x + 1] = quarterToward(in[x], next);
    }
}

} // namespace

void bgrToYuv411Portable(const uint8_t* bgr, int bgrStride, int width, int height,
                         const YuvPlanes& out)
{
    for (int y = 0; y < height; ++y)
        rowPortable(bgr + static_cast<std::ptrdiff_t>(y) * bgrStride, 0, width,
                    out.data[0] + static_cast<std::ptrdiff_t>(y) * out.stride[0],
                    out.data[1] + static_cast<std::ptrdiff_t>(y) * out.stride[1],
                    out.data[2] + static_cast<std::ptrdiff_t>(y) * out.stride[2]);
}

void bgrToYuv411(const uint8_t* bgr, int bgrStride, int width, int height, const YuvPlanes& out)
{
    if (hasSsse3())
        bgrToYuv411Ssse3(bgr, bgrStride, width, height, out);
    else
        bgrToYuv411Portable(bgr, bgrStride, width, height, out);
}

void chroma411To422(const uint8_t* source, int sourceStride, int chromaWidth, int height,
                    uint8_t* out, int outStride)
{
    for (int y = 0; y < height; ++y)
        widenChromaRow(source + static_cast<std::ptrdiff_t>(y) * sourceStride, chromaWidth,
                       out + static_cast<std::ptrdiff_t>(y) * outStride);
}

} // namespace vantrel

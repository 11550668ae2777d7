#include "Correction.h"

#include "image/PixelLanes.h"

namespace vantrel {

namespace {

// A rebuilt pixel differs from both neighbours in the same direction by more than this, summed
// over the three channels: well above what the codec's rounding leaves on a still picture.
constexpr int combThreshold = 36;

struct Neighbours {
    const uint8_t* above;
    const uint8_t* below;
};

Neighbours neighboursOf(uint8_t* pixels, int line, int height, int stride)
{
    const uint8_t* above = pixels + (line - 1) * stride;
    const uint8_t* below = line + 1 < height ? pixels + (line + 1) * stride : above;
    return {above, below};
}

void rebuildPixel(uint8_t* pixel, const Neighbours& n, int offset)
{
    for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<uint8_t>((n.above[offset + c] + n.below[offset + c] + 1) / 2);
}

// The pixel stands out from both neighbours the same way: the comb of a moving edge.
bool isComb(int pixel, int above, int below)
{
    const int fromAbove = pixel - above;
    const int fromBelow = pixel - below;
    return (fromAbove > combThreshold && fromBelow > combThreshold) ||
           (fromAbove < -combThreshold && fromBelow < -combThreshold);
}

// The rows' sums for eight pixels: blue + green + red in each 16-bit lane.
VANTREL_SSSE3 __m128i laneSums(const ChannelSplitter& splitter, const uint8_t* pixels)
{
    const ChannelLanes lanes = splitter.split(pixels);
    return _mm_add_epi16(_mm_add_epi16(lanes.blue, lanes.green), lanes.red);
}

// Byte shuffles spreading the mask of pixel i (its 16-bit lane) over the pixel's three
// bytes: for bytes 0-15, and for bytes 8-23.
VANTREL_SSSE3 __m128i pixelMaskShuffle(int firstByte)
{
    alignas(16) int8_t mask[16];
    for (int i = 0; i < 16; ++i)
        mask[i] = static_cast<int8_t>(2 * ((firstByte + i) / 3));
    return _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
}

VANTREL_SSSE3 __m128i combLanes(__m128i own, __m128i above, __m128i below)
{
    const __m128i threshold = _mm_set1_epi16(combThreshold);
    const __m128i fromAbove = _mm_sub_epi16(own, above);
    const __m128i fromBelow = _mm_sub_epi16(own, below);
    const __m128i brighter = _mm_and_si128(_mm_cmpgt_epi16(fromAbove, threshold),
                                           _mm_cmpgt_epi16(fromBelow, threshold));
    const __m128i negative = _mm_sub_epi16(_mm_setzero_si128(), threshold);
    const __m128i darker = _mm_and_si128(_mm_cmplt_epi16(fromAbove, negative),
                                         _mm_cmplt_epi16(fromBelow, negative));
    return _mm_or_si128(brighter, darker);
}

// The rebuilt bytes where `mask` is set, the own bytes elsewhere.
VANTREL_SSSE3 __m128i blendRebuilt(const uint8_t* own, const uint8_t* above, const uint8_t* below,
                                   __m128i mask)
{
    const auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const __m128i rebuilt = _mm_avg_epu8(load(above), load(below));
    return _mm_or_si128(_mm_and_si128(mask, rebuilt), _mm_andnot_si128(mask, load(own)));
}

// Eight pixels at a time, for lines with a kept line below; the rest of the line and the last
// line the portable way, which gives the same bytes (the mean rounds up in both).
VANTREL_SSSE3 int correctMovementLanes(uint8_t* row, const Neighbours& n, int width)
{
    const ChannelSplitter splitter;
    const __m128i lowBytes = pixelMaskShuffle(0);
    const __m128i highBytes = pixelMaskShuffle(8);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const int at = 3 * x;
        const __m128i comb = combLanes(laneSums(splitter, row + at), laneSums(splitter, n.above + at),
                                       laneSums(splitter, n.below + at));
        if (_mm_movemask_epi8(comb) == 0)
            continue;
        const __m128i low = blendRebuilt(row + at, n.above + at, n.below + at, _mm_shuffle_epi8(comb, lowBytes));
        const __m128i high = blendRebuilt(row + at + 8, n.above + at + 8, n.below + at + 8,
                                          _mm_shuffle_epi8(comb, highBytes));
        // Both carry the same bytes 8-15; the high one goes last so that bytes 16-23 are its own.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + at), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + at + 8), high);
    }
    return x;
}

int channelSum(const uint8_t* row, int x)
{
    return row[3 * x] + row[3 * x + 1] + row[3 * x + 2];
}

void correctMovementFrom(uint8_t* row, const Neighbours& n, int from, int width)
{
    for (int x = from; x < width; ++x)
        if (isComb(channelSum(row, x), channelSum(n.above, x), channelSum(n.below, x)))
            rebuildPixel(row + 3 * x, n, 3 * x);
}

} // namespace

void correctField(uint8_t* pixels, int width, int height, int stride)
{
    for (int line = 1; line < height; line += 2) {
        const Neighbours n = neighboursOf(pixels, line, height, stride);
        uint8_t* row = pixels + line * stride;
        for (int x = 0; x < width; ++x)
            rebuildPixel(row + x * 3, n, x * 3);
    }
}

void correctMovement(uint8_t* pixels, int width, int height, int stride)
{
    const bool lanes = hasSsse3();
    for (int line = 1; line < height; line += 2) {
        const Neighbours n = neighboursOf(pixels, line, height, stride);
        uint8_t* row = pixels + line * stride;
        const int done = lanes && line + 1 < height ? correctMovementLanes(row, n, width) : 0;
        correctMovementFrom(row, n, done, width);
    }
}

void correctMovementPortable(uint8_t* pixels, int width, int height, int stride)
{
    for (int line = 1; line < height; line += 2)
        correctMovementFrom(pixels + line * stride, neighboursOf(pixels, line, height, stride), 0, width);
}

} // namespace vantrel

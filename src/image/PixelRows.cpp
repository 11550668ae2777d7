#include "PixelRows.h"

#include "image/PixelLanes.h"

namespace vantrel {

namespace {

constexpr uint32_t opaque = 0xFF000000u;

// Four pixels per step: twelve bytes one side, sixteen the other.
VANTREL_SSSE3 int bgrToPixelsLanes(const uint8_t* bgr, int width, uint32_t* pixels)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(opaque));
    int x = 0;
    // A step loads sixteen bytes, four past its own twelve.
    for (; 3 * x + 16 <= 3 * width; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + x), _mm_or_si128(_mm_shuffle_epi8(in, spread), alpha));
    }
    return x;
}

VANTREL_SSSE3 int pixelsToThreeBytesLanes(const uint32_t* pixels, int width, bool rgb, uint8_t* out)
{
    const __m128i gather = rgb ? _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1)
                               : _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // A step stores sixteen bytes, four past its own twelve, which the next step overwrites.
    for (; 3 * x + 16 <= 3 * width; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(in, gather));
    }
    return x;
}

} // namespace

void bgrToPixelsPortable(const uint8_t* bgr, int from, int width, uint32_t* pixels)
{
    for (int x = from; x < width; ++x) {
        const uint8_t* p = bgr + 3 * x;
        pixels[x] = opaque | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
}

void pixelsToThreeBytesPortable(const uint32_t* pixels, int from, int width, bool rgb, uint8_t* out)
{
    for (int x = from; x < width; ++x) {
        const uint32_t p = pixels[x];
        const auto red = static_cast<uint8_t>(p >> 16);
        const auto green = static_cast<uint8_t>(p >> 8);
        const auto blue = static_cast<uint8_t>(p);
        out[3 * x] = rgb ? red : blue;
        out[3 * x + 1] = green;
        out[3 * x + 2] = rgb ? blue : red;
    }
}

void bgrToPixels(const uint8_t* bgr, int width, uint32_t* pixels)
{
    const int done = hasSsse3() ? bgrToPixelsLanes(bgr, width, pixels) : 0;
    bgrToPixelsPortable(bgr, done, width, pixels);
}

void pixelsToThreeBytes(const uint32_t* pixels, int width, bool rgb, uint8_t* out)
{
    const int done = hasSsse3() ? pixelsToThreeBytesLanes(pixels, width, rgb, out) : 0;
    pixelsToThreeBytesPortable(pixels, done, width, rgb, out);
}

} // namespace vantrel

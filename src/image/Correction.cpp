#include "Correction.h"

#include <cstdlib>

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

bool isComb(const uint8_t* pixel, const Neighbours& n, int offset)
{
    int fromAbove = 0;
    int fromBelow = 0;
    for (int c = 0; c < 3; ++c) {
        fromAbove += pixel[c] - n.above[offset + c];
        fromBelow += pixel[c] - n.below[offset + c];
    }
    const bool sameSide = (fromAbove > 0) == (fromBelow > 0);
    return sameSide && std::abs(fromAbove) > combThreshold && std::abs(fromBelow) > combThreshold;
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
    for (int line = 1; line < height; line += 2) {
        const Neighbours n = neighboursOf(pixels, line, height, stride);
        uint8_t* row = pixels + line * stride;
        for (int x = 0; x < width; ++x)
            if (isComb(row + x * 3, n, x * 3))
                rebuildPixel(row + x * 3, n, x * 3);
    }
}

} // namespace vantrel

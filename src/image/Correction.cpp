#include "Correction.h"

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

int channelSum(const uint8_t* pixel)
{
    return pixel[0] + pixel[1] + pixel[2];
}

// The pixel stands out from both neighbours the same way: the comb of a moving edge.
bool isComb(int pixel, int above, int below)
{
    const int fromAbove = pixel - above;
    const int fromBelow = pixel - below;
    return (fromAbove > combThreshold && fromBelow > combThreshold) ||
           (fromAbove < -combThreshold && fromBelow < -combThreshold);
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
        for (int x = 0; x < width; ++x) {
            const int offset = x * 3;
            if (isComb(channelSum(row + offset), channelSum(n.above + offset), channelSum(n.below + offset)))
                rebuildPixel(row + offset, n, offset);
        }
    }
}

} // namespace vantrel

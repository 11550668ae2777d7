#include "Correction.h"

#include <utility>
#include <vector>

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

void channelSums(const uint8_t* row, int width, int* sums)
{
    for (int x = 0; x < width; ++x, row += 3)
        sums[x] = row[0] + row[1] + row[2];
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
    if (height < 2 || width <= 0)
        return;
    // The kept lines are never changed, so each one's sums serve the lines on both sides.
    std::vector<int> above(width), below(width), own(width);
    channelSums(pixels, width, above.data());
    for (int line = 1; line < height; line += 2) {
        const Neighbours n = neighboursOf(pixels, line, height, stride);
        uint8_t* row = pixels + line * stride;
        if (line + 1 < height)
            channelSums(n.below, width, below.data());
        else
            below = above;
        channelSums(row, width, own.data());
        for (int x = 0; x < width; ++x)
            if (isComb(own[x], above[x], below[x]))
                rebuildPixel(row + x * 3, n, x * 3);
        std::swap(above, below);
    }
}

} // namespace vantrel

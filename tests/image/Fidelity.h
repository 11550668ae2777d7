#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel::test {

// 24-bit pictures as rows top-down of width * 3 bytes.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Peak signal-to-noise ratio in dB over all channels; 99 for equal pictures.
double psnr(const Picture& a, const Picture& b);
// Rows bottom-up, padded to four bytes, as the codec and the bitmaps hold them.
Picture fromBottomUp(const uint8_t* pixels, int width, int height);
// Rows top-down, `rowBytes` apart.
Picture fromTopDown(const uint8_t* pixels, int width, int height, int rowBytes);
// Every factor x factor block averaged into one pixel.
Picture boxReduced(const Picture& source, int factor);
// Mean absolute difference between each odd line and the mean of its even neighbours, over
// the rectangle: high where the fields disagree.
double combing(const Picture& picture, int left, int top, int right, int bottom);

} // namespace vantrel::test

#include "Fidelity.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vantrel::test {

double psnr(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return 0;
    double squares = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        squares += d * d;
    }
    if (squares == 0)
        return 99;
    const double mean = squares / double(a.pixels.size());
    return 10 * std::log10(255.0 * 255.0 / mean);
}

Picture fromBottomUp(const uint8_t* pixels, int width, int height)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    Picture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        std::memcpy(&picture.pixels[size_t(y) * width * 3],
                    pixels + size_t(height - 1 - y) * rowBytes, size_t(width) * 3);
    return picture;
}

Picture fromTopDown(const uint8_t* pixels, int width, int height, int rowBytes)
{
    Picture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        std::memcpy(&picture.pixels[size_t(y) * width * 3], pixels + size_t(y) * rowBytes,
                    size_t(width) * 3);
    return picture;
}

Picture boxReduced(const Picture& source, int factor)
{
    Picture out{source.width / factor, source.height / factor, {}};
    out.pixels.resize(size_t(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += source.at(x * factor + dx, y * factor + dy)[c];
                out.pixels[(size_t(y) * out.width + x) * 3 + c] =
                    uint8_t(sum / (factor * factor));
            }
    return out;
}

double combing(const Picture& picture, int left, int top, int right, int bottom)
{
    double total = 0;
    int count = 0;
    for (int y = top | 1; y + 1 < bottom; y += 2)
        for (int x = left; x < right; ++x)
            for (int c = 0; c < 3; ++c) {
                const int mean = (picture.at(x, y - 1)[c] + picture.at(x, y + 1)[c]) / 2;
                total += std::abs(picture.at(x, y)[c] - mean);
                ++count;
            }
    return count ? total / count : 0;
}

} // namespace vantrel::test

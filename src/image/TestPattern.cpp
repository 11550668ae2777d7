#include "TestPattern.h"

#include "image/Dvf.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr int width = 720;
constexpr int rowBytes = width * 3;

// 75% bars: white, yellow, cyan, green, magenta, red, blue, black (blue, green, red).
constexpr uint8_t bars[8][3] = {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
                                {191, 0, 191},   {0, 0, 191},   {191, 0, 0},   {16, 16, 16}};

void put(std::vector<uint8_t>& pixels, int x, int y, uint8_t b, uint8_t g, uint8_t r)
{
    uint8_t* p = &pixels[static_cast<size_t>(y) * rowBytes + x * 3];
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

} // namespace

std::vector<uint8_t> testPattern(DvSystem system)
{
    const int lines = linesOf(system);
    std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * lines);
    for (int y = 0; y < lines; ++y)
        for (int x = 0; x < width; ++x) {
            if (y < lines / 2) {
                const auto& bar = bars[x * 8 / width];
                put(pixels, x, y, bar[0], bar[1], bar[2]);
            } else if (y < lines * 3 / 4) {
                const auto grey = static_cast<uint8_t>(16 + x * 219 / width);
                put(pixels, x, y, grey, grey, grey);
            } else {
                put(pixels, x, y, static_cast<uint8_t>(40 + (y * 150) / lines),
                    static_cast<uint8_t>(200 - x * 150 / width), static_cast<uint8_t>(60 + x * 140 / width));
            }
            const int dx = x - width * 3 / 4;
            const int dy = y - lines / 4;
            if (dx * dx + dy * dy < 60 * 60)
                put(pixels, x, y, 30, 140, 230);
        }
    return pixels;
}

std::vector<uint8_t> encodedTestFrame(DvSystem system)
{
    return encodedFrame(system, testPattern(system));
}

std::vector<uint8_t> encodedFrame(DvSystem system, const std::vector<uint8_t>& pixels)
{
    if (pixels.size() < static_cast<size_t>(rowBytes) * linesOf(system))
        return {};
    const DvcHandle encoder = DvcOpenEncoder(system);
    if (!encoder)
        return {};
    std::vector<uint8_t> encoded(dvEncodeBufferBytes);
    DvcEncodeParams params;
    params.height = linesOf(system);
    const bool ok = DvcEncode(encoder, encoded.data(), pixels.data(), &params) == dvcOk;
    DvcCloseEncoder(encoder);
    if (!ok)
        return {};
    rewriteStoredSequences(&encoded[dvEncodedDataOffset], system, false);
    std::vector<uint8_t> frame(frameLayoutBytes, 0);
    for (int s = 0; s < sequencesOf(system); ++s)
        std::memcpy(&frame[s * dvSequenceBytes + dvBlockBytes],
                    &encoded[dvEncodedDataOffset + s * dvStoredSequenceBytes], dvStoredSequenceBytes);
    return frame;
}

} // namespace vantrel

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

// Segment digits: seven segments a (top) to g (middle) as bits 0 to 6.
constexpr uint8_t digitSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr uint8_t minusSegments = 0x40;
constexpr int glyphWidth = 24;
constexpr int glyphHeight = 40;
constexpr int glyphGap = 8;
constexpr int stroke = 5;
constexpr int boxMargin = 10;
constexpr size_t maxTimeCodeCharacters = 11;

struct Rect {
    int x, y, w, h;
};

void fill(std::vector<uint8_t>& pixels, const Rect& r, uint8_t level)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            put(pixels, x, y, level, level, level);
}

// Segment rectangles of a glyph whose top-left corner is (x, y).
Rect segmentRect(int segment, int x, int y)
{
    const int half = glyphHeight / 2;
    switch (segment) {
    case 0: return {x, y, glyphWidth, stroke};
    case 1: return {x + glyphWidth - stroke, y, stroke, half};
    case 2: return {x + glyphWidth - stroke, y + half, stroke, half};
    case 3: return {x, y + glyphHeight - stroke, glyphWidth, stroke};
    case 4: return {x, y + half, stroke, half};
    case 5: return {x, y, stroke, half};
    default: return {x, y + half - stroke / 2, glyphWidth, stroke};
    }
}

void drawGlyph(std::vector<uint8_t>& pixels, char c, int x, int y)
{
    constexpr uint8_t white = 235;
    if (c == ':') {
        fill(pixels, {x + glyphWidth / 2 - stroke / 2, y + glyphHeight / 4, stroke, stroke}, white);
        fill(pixels, {x + glyphWidth / 2 - stroke / 2, y + glyphHeight * 3 / 4, stroke, stroke}, white);
        return;
    }
    const uint8_t segments = c >= '0' && c <= '9' ? digitSegments[c - '0'] : c == '-' ? minusSegments : 0;
    for (int segment = 0; segment < 7; ++segment)
        if (segments & (1u << segment))
            fill(pixels, segmentRect(segment, x, y), white);
}

void drawTimeCode(std::vector<uint8_t>& pixels, int lines, const std::string& timeCode)
{
    const std::string text = timeCode.substr(0, maxTimeCodeCharacters);
    const int textWidth = static_cast<int>(text.size()) * (glyphWidth + glyphGap) - glyphGap;
    const Rect box{(width - textWidth) / 2 - boxMargin, lines * 5 / 8 - glyphHeight / 2 - boxMargin,
                   textWidth + 2 * boxMargin, glyphHeight + 2 * boxMargin};
    fill(pixels, box, 16);
    for (size_t i = 0; i < text.size(); ++i)
        drawGlyph(pixels, text[i], box.x + boxMargin + static_cast<int>(i) * (glyphWidth + glyphGap),
                  box.y + boxMargin);
}

} // namespace

std::vector<uint8_t> testPattern(DvSystem system, const std::string& timeCode)
{
    auto pixels = testPattern(system);
    drawTimeCode(pixels, linesOf(system), timeCode);
    return pixels;
}

std::vector<uint8_t> encodedTestFrame(DvSystem system, const std::string& timeCode)
{
    return encodedFrame(system, testPattern(system, timeCode));
}

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

#include "Resampling.h"

#include "image/FrameBitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstring>
#include <new>

namespace vantrel {

namespace {

constexpr int maxGroup = 64;
constexpr int thumbnailSourceWidth = 90;
constexpr int thumbnailWidth = 80;
constexpr int thumbnailHeight = 60;
constexpr int frameWidth = 720;

struct AspectRow {
    int height;
    bool wide;
    int n;
    int m;
    int width;
};

constexpr AspectRow aspectRows[] = {
    {480, false, 9, 8, 640},
    {480, true, 45, 53, 848},
    {576, false, 15, 16, 768},
    {576, true, 45, 64, 1024},
};

const AspectRow* aspectRowFor(int height, bool wide)
{
    for (const auto& row : aspectRows)
        if (row.height == height && row.wide == wide)
            return &row;
    return nullptr;
}

// Resamples one line of `groups` groups; output may overlap the source from its start on.
void resampleLine(const uint8_t* source, uint8_t* output, int groups, int n, int m)
{
    for (int g = 0; g < groups; ++g)
        resampleGroup(source + g * n * 3, 3, n, output + g * m * 3, 3, m);
}

} // namespace

void resampleGroup(const uint8_t* source, int sourceStep, int n, uint8_t* output, int outputStep, int m)
{
    // Taken first, so the output may overwrite the group it comes from.
    uint8_t group[maxGroup][3];
    for (int i = 0; i < n; ++i)
        std::memcpy(group[i], source + i * sourceStep, 3);
    for (int k = 0; k < m; ++k) {
        const int first = k * n;
        const int last = first + n - 1;
        unsigned sums[3] = {0, 0, 0};
        for (int p = first / m; p <= last / m; ++p) {
            // Samples of pixel p are p*m .. p*m + m - 1; count those inside first .. last.
            const int from = std::max(first, p * m);
            const int to = std::min(last, p * m + m - 1);
            const unsigned weight = static_cast<unsigned>(to - from + 1);
            for (int c = 0; c < 3; ++c)
                sums[c] += weight * group[p][c];
        }
        for (int c = 0; c < 3; ++c)
            output[k * outputStep + c] = static_cast<uint8_t>(sums[c] / static_cast<unsigned>(n));
    }
}

void thumbnailReduction(FrameBitmap& bitmap)
{
    if (bitmap.width != thumbnailSourceWidth || !bitmap.block)
        return;
    uint8_t* pixels = bitmap.pixels();
    const int sourceRow = bitmap.rowBytes(); // 272: 270 of pixels, 2 of padding
    const int outputRow = thumbnailWidth * 3;
    for (int y = 0; y < bitmap.height; ++y)
        resampleLine(pixels + y * sourceRow, pixels + y * outputRow, thumbnailSourceWidth / 9, 9, 8);
    const int sourceHeight = bitmap.height;
    bitmap.setSize(thumbnailWidth, sourceHeight);
    if (sourceHeight == thumbnailHeight)
        return;
    for (int x = 0; x < thumbnailWidth; ++x)
        for (int g = 0; g < sourceHeight / 6; ++g)
            resampleGroup(pixels + (6 * g) * outputRow + x * 3, outputRow, 6,
                          pixels + (5 * g) * outputRow + x * 3, outputRow, 5);
    bitmap.setSize(thumbnailWidth, sourceHeight * 5 / 6);
}

std::optional<std::vector<uint8_t>> aspectCopy(const FrameBitmap& bitmap, bool wide)
{
    if (bitmap.width != frameWidth || !bitmap.block)
        return std::nullopt;
    const AspectRow* row = aspectRowFor(bitmap.height, wide);
    if (!row)
        return std::nullopt;
    const size_t outputRow = static_cast<size_t>(row->width) * 3;
    std::vector<uint8_t> block;
    try {
        block.resize(bitmapInfoHeaderBytes + outputRow * bitmap.height);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    std::memcpy(block.data(), bitmap.header(), bitmapInfoHeaderBytes);
    putLittleEndian32(&block[4], static_cast<uint32_t>(row->width));
    putLittleEndian32(&block[20], static_cast<uint32_t>(bitmap.height * row->width * 3));
    for (int y = 0; y < bitmap.height; ++y)
        resampleLine(bitmap.pixels() + static_cast<size_t>(y) * bitmap.rowBytes(),
                     &block[bitmapInfoHeaderBytes + y * outputRow], frameWidth / row->n, row->n, row->m);
    return block;
}

QImage imageOfAspectCopy(const std::vector<uint8_t>& block)
{
    if (block.size() < static_cast<size_t>(bitmapInfoHeaderBytes))
        return {};
    auto word = [&](int offset) {
        return static_cast<int>(block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
                                block[offset + 3] << 24);
    };
    const int width = word(4);
    const int height = word(8);
    if (block.size() < bitmapInfoHeaderBytes + static_cast<size_t>(width) * 3 * height)
        return {};
    const QImage bottomUp(block.data() + bitmapInfoHeaderBytes, width, height, width * 3,
                          QImage::Format_BGR888);
    return bottomUp.mirrored(false, true);
}

bool copyAspectToClipboard(const FrameBitmap& bitmap, bool wide)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const auto block = aspectCopy(bitmap, wide);
    if (!block)
        return false;
    QGuiApplication::clipboard()->setImage(imageOfAspectCopy(*block));
    return true;
}

} // namespace vantrel

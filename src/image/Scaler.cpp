#include "Scaler.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace vantrel {

namespace {

// Weights of one output pixel sum to this, so that the two channel pairs of a pixel can be
// weighted in one 32-bit multiply each without spilling into each other.
constexpr int weightOne = 256;

// The source pixels one output pixel is made of along one axis.
struct Taps {
    std::vector<int> first;   // per output pixel: its first source pixel
    std::vector<int> count;   // per output pixel: how many follow
    std::vector<int> offset;  // per output pixel: where its weights start in `weights`
    std::vector<uint32_t> weights;
};

// Rounds the real weights to integers summing to weightOne: each is its rounded running total
// less the rounded total before it, so none goes negative however many source pixels share the
// 256 (a remainder put on one weight wrapped below zero past 256 of them).
void addWeights(Taps& taps, const std::vector<double>& real)
{
    const double total = std::accumulate(real.begin(), real.end(), 0.0);
    double running = 0;
    int given = 0;
    for (const double weight : real) {
        running += weight;
        const int upTo = static_cast<int>(std::lround(running / total * weightOne));
        taps.weights.push_back(static_cast<uint32_t>(upTo - given));
        given = upTo;
    }
}

// Output pixel d covers the source stretch [d * scale, (d + 1) * scale).
void areaTaps(Taps& taps, int from, int to)
{
    const double scale = static_cast<double>(from) / to;
    std::vector<double> real;
    for (int d = 0; d < to; ++d) {
        const double begin = d * scale;
        const double end = std::min<double>(from, (d + 1) * scale);
        const int first = static_cast<int>(begin);
        const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
        real.clear();
        for (int s = first; s <= last; ++s)
            real.push_back(std::min<double>(s + 1, end) - std::max<double>(s, begin));
        taps.first.push_back(first);
        taps.count.push_back(static_cast<int>(real.size()));
        taps.offset.push_back(static_cast<int>(taps.weights.size()));
        addWeights(taps, real);
    }
}

// Output pixel centres mapped onto the source, between its two nearest pixel centres.
void linearTaps(Taps& taps, int from, int to)
{
    const double scale = static_cast<double>(from) / to;
    for (int d = 0; d < to; ++d) {
        const double centre = std::clamp((d + 0.5) * scale - 0.5, 0.0, from - 1.0);
        const int first = std::min(static_cast<int>(centre), std::max(from - 2, 0));
        const double fraction = centre - first;
        taps.first.push_back(first);
        taps.offset.push_back(static_cast<int>(taps.weights.size()));
        if (from == 1) {
            taps.count.push_back(1);
            taps.weights.push_back(weightOne);
            continue;
        }
        taps.count.push_back(2);
        addWeights(taps, {1.0 - fraction, fraction});
    }
}

// Every output pixel gets as many taps as the widest, padded with zero weights and kept
// inside the source, so that the blending loop runs a fixed count.
Taps evened(const Taps& taps, int from)
{
    const int widest = *std::max_element(taps.count.begin(), taps.count.end());
    Taps out;
    for (size_t d = 0; d < taps.first.size(); ++d) {
        const int first = std::min(taps.first[d], from - widest);
        out.first.push_back(first);
        out.count.push_back(widest);
        out.offset.push_back(static_cast<int>(out.weights.size()));
        for (int i = 0; i < widest; ++i) {
            const int own = first + i - taps.first[d];
            out.weights.push_back(own >= 0 && own < taps.count[d] ? taps.weights[taps.offset[d] + own] : 0);
        }
    }
    return out;
}

Taps tapsFor(int from, int to)
{
    Taps taps;
    if (to < from)
        areaTaps(taps, from, to);
    else
        linearTaps(taps, from, to);
    return evened(taps, from);
}

// Weighted sum of `count` pixels `step` apart: red and blue in one word, alpha and green in
// the other, each channel in a 16-bit lane.
template <int fixedCount>
inline uint32_t blend(const uint32_t* pixel, ptrdiff_t step, int count, const uint32_t* weights)
{
    if constexpr (fixedCount > 0)
        count = fixedCount;
    uint32_t redBlue = 0x00800080u;
    uint32_t alphaGreen = 0x00800080u;
    for (int i = 0; i < count; ++i, pixel += step) {
        redBlue += (*pixel & 0x00FF00FFu) * weights[i];
        alphaGreen += (*pixel >> 8 & 0x00FF00FFu) * weights[i];
    }
    return (redBlue >> 8 & 0x00FF00FFu) | (alphaGreen & 0xFF00FF00u);
}

template <int fixedCount>
void blendRow(const uint32_t* in, const Taps& taps, int from, int width, uint32_t* line)
{
    const int count = taps.count[0];
    for (int x = from; x < width; ++x)
        line[x] = blend<fixedCount>(in + taps.first[x], 1, count, &taps.weights[static_cast<size_t>(x) * count]);
}

// Each tap's weight for two neighbouring output pixels, as eight 16-bit lanes (four channels
// of each): what blendPairs multiplies with.
struct PairWeight {
    __m128i lanes;
};

std::vector<PairWeight> pairWeights(const Taps& taps, int width)
{
    const int count = taps.count[0];
    std::vector<PairWeight> out;
    for (int x = 0; x + 1 < width; x += 2)
        for (int i = 0; i < count; ++i) {
            const auto a = static_cast<short>(taps.weights[static_cast<size_t>(x) * count + i]);
            const auto b = static_cast<short>(taps.weights[static_cast<size_t>(x + 1) * count + i]);
            out.push_back({_mm_set_epi16(b, b, b, b, a, a, a, a)});
        }
    return out;
}

// The same sums as blend, two output pixels at a time in one register; a lane's sum stays
// below 2^16 because the weights add up to 256.
template <int fixedCount>
void blendPairs(const uint32_t* in, const Taps& taps, const std::vector<PairWeight>& weights, int width,
                uint32_t* line)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(weightOne / 2);
    const PairWeight* w = weights.data();
    int x = 0;
    for (; x + 1 < width; x += 2) {
        const uint32_t* a = in + taps.first[x];
        const uint32_t* b = in + taps.first[x + 1];
        __m128i sum = half;
        for (int i = 0; i < fixedCount; ++i, ++w) {
            const __m128i pair = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a[i])),
                                                    _mm_cvtsi32_si128(static_cast<int>(b[i])));
            sum = _mm_add_epi16(sum, _mm_mullo_epi16(_mm_unpacklo_epi8(pair, zero), w->lanes));
        }
        sum = _mm_srli_epi16(sum, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(line + x), _mm_packus_epi16(sum, sum));
    }
    blendRow<fixedCount>(in, taps, x, width, line);
}

template <int fixedCount>
void blendColumns(const uint32_t* in, ptrdiff_t step, int count, const uint32_t* weights, int width,
                  uint32_t* line)
{
    for (int x = 0; x < width; ++x)
        line[x] = blend<fixedCount>(in + x, step, count, weights);
}

QImage scaledHorizontally(const QImage& source, int width)
{
    const Taps taps = tapsFor(source.width(), width);
    QImage out(width, source.height(), source.format());
    if (out.isNull())
        return out;
    const std::vector<PairWeight> weights = pairWeights(taps, width);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        switch (taps.count[0]) {
        case 2:
            blendPairs<2>(in, taps, weights, width, line);
            break;
        case 3:
            blendPairs<3>(in, taps, weights, width, line);
            break;
        default:
            blendRow<0>(in, taps, 0, width, line);
        }
    }
    return out;
}

QImage scaledVertically(const QImage& source, int height)
{
    const Taps taps = tapsFor(source.height(), height);
    QImage out(source.width(), height, source.format());
    if (out.isNull())
        return out;
    const ptrdiff_t step = source.bytesPerLine() / 4;
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(taps.first[y]));
        auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t* weights = &taps.weights[taps.offset[y]];
        if (taps.count[y] == 2)
            blendColumns<2>(in, step, 2, weights, source.width(), line);
        else
            blendColumns<0>(in, step, taps.count[y], weights, source.width(), line);
    }
    return out;
}

} // namespace

QImage scaledPicture(const QImage& source, int width, int height)
{
    if (source.isNull() || width <= 0 || height <= 0 || source.depth() != 32)
        return {};
    const auto across = [width](const QImage& in) {
        return width == in.width() ? in : scaledHorizontally(in, width);
    };
    const auto down = [height](const QImage& in) {
        return height == in.height() ? in : scaledVertically(in, height);
    };
    // The axis that leaves the smaller picture in between goes first: that picture is then
    // never larger than the larger of the source and the result.
    const bool acrossFirst = int64_t(width) * source.height() <= int64_t(source.width()) * height;
    const QImage between = acrossFirst ? across(source) : down(source);
    if (between.isNull())
        return between;
    return acrossFirst ? down(between) : across(between);
}

} // namespace vantrel

#pragma once
// Eight 24-bit blue-green-red pixels split into three vectors of 16-bit lanes, one channel
// each, with SSSE3 byte shuffles. Only for functions compiled for SSSE3 (see hasSsse3).
#include <tmmintrin.h>

#include <cstdint>

namespace vantrel {

// Whether the processor has SSSE3, asked once.
bool hasSsse3();

struct ChannelLanes {
    __m128i blue;
    __m128i green;
    __m128i red;
};

#define VANTREL_SSSE3 __attribute__((target("ssse3")))

// Shuffle selecting byte `first`, `first` + 3, ... of a 16-byte load into the low byte of each
// 16-bit lane from `lane` on; lanes whose byte lies outside the load become zero.
VANTREL_SSSE3 inline __m128i channelShuffle(int first, int lane, int loadBytes)
{
    alignas(16) int8_t mask[16];
    for (int i = 0; i < 8; ++i) {
        const int byte = first + 3 * (i - lane);
        const bool inside = i >= lane && byte >= 0 && byte < loadBytes;
        mask[2 * i] = static_cast<int8_t>(inside ? byte : -1);
        mask[2 * i + 1] = -1;
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(mask));
}

// The shuffles of one channel: from the first 16 bytes, and from the 8 bytes after them.
struct ChannelShuffles {
    __m128i low;
    __m128i high;
};

VANTREL_SSSE3 inline ChannelShuffles channelShuffles(int channel)
{
    // Pixels 0-5 (blue, green) or 0-4 (red) lie in the first 16 bytes, the rest in the next 8.
    const int firstHighPixel = (16 - channel + 2) / 3;
    return {channelShuffle(channel, 0, 16), channelShuffle(3 * firstHighPixel + channel - 16, firstHighPixel, 8)};
}

// Splits rows eight pixels at a time; built once per picture, not per pixel group.
class ChannelSplitter {
public:
    VANTREL_SSSE3 ChannelSplitter()
    {
        for (int c = 0; c < 3; ++c)
            shuffles_[c] = channelShuffles(c);
    }

    // Reads exactly 24 bytes from `pixels`.
    VANTREL_SSSE3 ChannelLanes split(const uint8_t* pixels) const
    {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
        const __m128i high = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + 16));
        return {channel(low, high, 0), channel(low, high, 1), channel(low, high, 2)};
    }

private:
    VANTREL_SSSE3 __m128i channel(__m128i low, __m128i high, int c) const
    {
        return _mm_or_si128(_mm_shuffle_epi8(low, shuffles_[c].low),
                            _mm_shuffle_epi8(high, shuffles_[c].high));
    }

    ChannelShuffles shuffles_[3];
};

} // namespace vantrel

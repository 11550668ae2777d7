#pragma once
#include <cstdint>
#include <optional>
#include <vector>

class QImage;

namespace vantrel {

class FrameBitmap;

// The box method: n source pixels (each repeated m times) onto m output pixels (each the
// truncated mean of n samples), channel by channel, with the weights worked out once.
class BoxResampler {
public:
    // Groups of 1 to 64 pixels each way; any other size gives a resampler that is not usable
    // and leaves every output alone.
    BoxResampler(int n, int m);
    static bool fits(int n, int m);
    bool usable() const { return !first_.empty(); }
    // One group; pixels are 3 bytes, `step` bytes apart. The output may overwrite the group.
    void group(const uint8_t* source, int sourceStep, uint8_t* output, int outputStep) const;
    // `groups` groups of adjacent pixels along a line.
    void line(const uint8_t* source, uint8_t* output, int groups) const;

    int n;
    int m;

private:
    struct Share {
        uint8_t pixel;
        uint8_t weight; // samples of that pixel in the output's run
    };
    std::vector<Share> shares_;    // output k's shares from first_[k] to first_[k + 1]
    std::vector<uint16_t> first_;
    uint32_t reciprocal_ = 0; // sum * reciprocal_ >> 22 is sum / n for every sum of one run
};

// A one-eighth frame (90 x 60 or 90 x 72) into the 80 x 60 thumbnail, in place; a one-quarter
// frame (180 x 120 or 180 x 144) likewise into the thumbnail at twice the size, 160 x 120. A
// bitmap of another width is left alone.
void thumbnailReduction(FrameBitmap& bitmap);

// A 720-wide frame as square pixels: the information header with the new width and image
// size, then the rows (bottom-up). Nothing for another width or when memory is short.
std::optional<std::vector<uint8_t>> aspectCopy(const FrameBitmap& bitmap, bool wide);
// The picture an aspect copy holds, top-down.
QImage imageOfAspectCopy(const std::vector<uint8_t>& block);

} // namespace vantrel

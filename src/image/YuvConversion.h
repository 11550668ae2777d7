#pragma once
#include <cstdint>

namespace vantrel {

// Conversions between 24-bit blue-green-red rows and the planar 4:1:1 pictures of 525/60 DV,
// in studio-range BT.601. The plain functions pick SSSE3 where the processor has it; the
// Portable ones are the same arithmetic in plain C++ and give the same bytes.

// Planes of one picture: luma, then the two chroma planes (blue difference, red difference).
struct YuvPlanes {
    uint8_t* data[3];
    int stride[3];
};

// `width` a multiple of 4: each chroma sample is the mean of four pixels side by side.
void bgrToYuv411(const uint8_t* bgr, int bgrStride, int width, int height, const YuvPlanes& out);
void bgrToYuv411Portable(const uint8_t* bgr, int bgrStride, int width, int height,
                         const YuvPlanes& out);

// One chroma plane from 4:1:1 to 4:2:2 (twice as wide): each sample is kept, and the one
// added after it is halfway to the next sample (the last is repeated).
void chroma411To422(const uint8_t* source, int sourceStride, int chromaWidth, int height,
                    uint8_t* out, int outStride);

} // namespace vantrel

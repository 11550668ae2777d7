#pragma once
#include <cstdint>

namespace vantrel {

// Rows between three-byte pixels and 32-bit pixels (0xAARRGGBB, blue first in memory), with
// SSSE3 byte shuffles where the processor has it. Each reads and writes only the pixels of
// its row.

// Blue-green-red bytes to 32-bit pixels with full alpha.
void bgrToPixels(const uint8_t* bgr, int width, uint32_t* pixels);

// 32-bit pixels to blue-green-red bytes (`rgb` false) or red-green-blue bytes (`rgb` true).
void pixelsToThreeBytes(const uint32_t* pixels, int width, bool rgb, uint8_t* out);

// The same in plain C++, for processors without SSSE3.
void bgrToPixelsPortable(const uint8_t* bgr, int from, int width, uint32_t* pixels);
void pixelsToThreeBytesPortable(const uint32_t* pixels, int from, int width, bool rgb, uint8_t* out);

} // namespace vantrel

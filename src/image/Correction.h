#pragma once
#include <cstdint>

namespace vantrel {

// Interlace corrections of a decoded picture: 24-bit pixels, rows top-down, `stride` bytes
// apart. The even lines (one field) are kept; lines of the other field are rebuilt from the
// kept lines above and below.

// Field: every line of the other field is rebuilt.
void correctField(uint8_t* pixels, int width, int height, int stride);
// Movement: a pixel of the other field is rebuilt only where it stands out from both kept
// neighbours the same way (the comb of a moving edge); still parts keep both fields.
// Eight pixels at a time with SSSE3 where the processor has it; the portable form gives the
// same bytes.
void correctMovement(uint8_t* pixels, int width, int height, int stride);
void correctMovementPortable(uint8_t* pixels, int width, int height, int stride);

} // namespace vantrel

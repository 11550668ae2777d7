#pragma once
#include "image/DvCodec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// A still picture for building DV frames without a camera: colour bars, grey and colour
// ramps and a disc, 720 x lines of 24-bit blue-green-red, rows top-down of 2160 bytes.
std::vector<uint8_t> testPattern(DvSystem system);
// The pattern with `timeCode` (digits, ':', '-', up to 11 characters) shown in large
// segment digits on a black box in the grey ramp, as a device shows the tape's counter.
std::vector<uint8_t> testPattern(DvSystem system, const std::string& timeCode);

// The pattern encoded into the frame layout (145000 bytes, header blocks zero) with the DVF
// writer's blocks, as a DVF file reads back; empty if the codec is not loaded.
std::vector<uint8_t> encodedTestFrame(DvSystem system);
std::vector<uint8_t> encodedTestFrame(DvSystem system, const std::string& timeCode);
// The same for any picture of 720 x lines, rows top-down of 2160 bytes.
std::vector<uint8_t> encodedFrame(DvSystem system, const std::vector<uint8_t>& pixels);

} // namespace vantrel

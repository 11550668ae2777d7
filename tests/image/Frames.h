#pragma once
#include "image/DvCodec.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

// The stored sequences of the encoded test pattern, as the DVF writer takes them.
std::vector<uint8_t> storedSequences(DvSystem system);
// A DVF file of the encoded test pattern.
bool writeTestDvf(const std::string& path, DvSystem system, bool wide);
// A 525-line DVF file of the test pattern whose first subcode time-code pack says hh:mm:ss:ff
// (packed decimal, as the pack holds it); returns the path, empty when it cannot be written.
std::string dvfWithTimeCode(const std::string& path, std::array<uint8_t, 4> timeCode);

// Writes the recording date and time packs into every VAUX block of a DVF file, where cameras
// keep them.
void stampRecordingPacks(const std::string& path, const std::array<uint8_t, 5>& date,
                         const std::array<uint8_t, 5>& time);

std::vector<uint8_t> fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace vantrel::test

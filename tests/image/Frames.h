#pragma once
#include "image/DvCodec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::test {

// The stored sequences of the encoded test pattern, as the DVF writer takes them.
std::vector<uint8_t> storedSequences(DvSystem system);
// A DVF file of the encoded test pattern.
bool writeTestDvf(const std::string& path, DvSystem system, bool wide);

std::vector<uint8_t> fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace vantrel::test

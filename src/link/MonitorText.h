#pragma once
#include "link/Quobio.h"

#include <cstdint>
#include <string>

namespace vantrel {

// A packet as the protocol monitor shows it: 11 groups of two upper-case hexadecimal digits,
// each followed by ':' (33 characters).
std::string packetText(const QuobPacket& packet);

// The last `digits` decimal digits of `value`, with leading zeros.
std::string lastDigits(uint64_t value, int digits);

} // namespace vantrel

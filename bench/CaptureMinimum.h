#pragma once
// The shortest capture the SPTP protocol allows for a picture, the yardstick of the capture
// figures.
#include "SptpSide.h"

namespace vantrel::bench {

constexpr int Layout = 6;
constexpr int RateIndex = 3;
constexpr int SettlingSenses = 2;
constexpr double BitsPerByte = 10;

// Every byte at the line rate of its moment and every wait the protocol prescribes.
double protocolMinimum(const quobsim::SptpPicture& picture);
// The same bytes and waits simply added up, without the overlaps.
double plainSum(const quobsim::SptpPicture& picture);

} // namespace vantrel::bench

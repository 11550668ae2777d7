#include "CaptureMinimum.h"

#include "capture/SptpFrame.h"

#include <algorithm>
#include <vector>

namespace vantrel::bench {

namespace {

double seconds(double bytes, int rate)
{
    return bytes * BitsPerByte / rate;
}

// The stuffed length of every block frame of the picture just sent.
std::vector<double> blockFrameBytes(const quobsim::SptpPicture& picture)
{
    const size_t blocks = picture.data.size() / sptp::BlockDataLength;
    std::vector<double> lengths;
    uint8_t frame[4000];
    for (size_t b = 0; b < blocks; ++b) {
        sptp::BlockHeader header;
        header.number = static_cast<uint16_t>(b);
        header.totalSize = static_cast<uint32_t>(picture.data.size());
        header.layout = picture.layoutByte;
        lengths.push_back(static_cast<double>(sptp::buildBlockFrame(
            1, header, &picture.data[b * sptp::BlockDataLength], sptp::BlockDataLength,
            b + 1 == blocks, frame, sizeof frame)));
    }
    return lengths;
}

} // namespace

// The shortest capture the protocol allows, step by step along its own timeline: every byte at
// the line rate of its moment and every wait it prescribes. Where the protocol overlaps the
// two (the block is on the line during the 150 ms wait after its request; the broadcast to 127
// is on the line during its 80 ms spacing) the longer one counts.
double protocolMinimum(const quobsim::SptpPicture& picture)
{
    constexpr double quobExchange = 22; // packet and answer, 9600 bit/s
    const int rate = sptp::transferRateFor(RateIndex).bitRate;
    const double pollS = sptp::transferRateFor(RateIndex).pollIntervalMs / 1000.0;
    double total = seconds(quobExchange * (1 + SettlingSenses + 2), 9600); // freeze, senses, pause, prepare
    total += std::max(0.080, seconds(11, 9600));                           // broadcast and spacing
    total += seconds(quobExchange, 9600) + 0.050;                          // SPTP1, mode settles
    total += seconds(14 + 11, 9600);                                       // rate command
    bool first = true;
    for (double frame : blockFrameBytes(picture)) {
        total += seconds(first ? 12 + 11 : 11, rate);        // start command or block request
        total += std::max(0.150, seconds(frame, rate));      // the block during the wait
        total += 2 * pollS;                                  // the empty reads that end a block
        first = false;
    }
    total += 1.0;                                            // after the picture is announced
    total += seconds(11 + 11, rate) + seconds(quobExchange, 9600); // end command, back in Quob
    return total;
}

// The same bytes and waits simply added up, without the overlaps.
double plainSum(const quobsim::SptpPicture& picture)
{
    const auto frames = blockFrameBytes(picture);
    double blockBytes = 0;
    for (double frame : frames)
        blockBytes += frame;
    const double blocks = static_cast<double>(frames.size());
    const int rate = sptp::transferRateFor(RateIndex).bitRate;
    return seconds(22 * (1 + SettlingSenses + 4) + 11 + 25, 9600)
           + seconds(23 + blockBytes + (blocks - 1) * 11 + 22, rate)
           + 0.080 + 0.050 + 0.150 * blocks + 1.0;
}

} // namespace vantrel::bench

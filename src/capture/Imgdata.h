#pragma once
#include "image/DvFrame.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Frame assembly: how the picture data of a transfer is laid out and how it is rebuilt into a
// DV frame of 10 or 12 DIF sequences.
namespace vantrel::imgdata {

// The DV frame facts under the names the assembly uses.
constexpr size_t DifBlockBytes = dvBlockBytes;
constexpr size_t BlocksPerSequence = dvBlocksPerSequence;
constexpr size_t SequenceBytes = dvSequenceBytes;
constexpr size_t Sequences525 = dvSequences525;
constexpr size_t Sequences625 = dvSequences625;
constexpr size_t MaxFrameBytes = dvMaxFrameBytes;
constexpr size_t TimeCodePackBytes = 5;

using TimeCodePack = std::array<uint8_t, TimeCodePackBytes>;
using BlockKind = DifBlockKind;
using vantrel::blockIdentifier;
using vantrel::kindOfBlock;

// Where a sequence's DIF blocks come from: the 80-byte unit of the sequence's picture data,
// or NoSource for a block filled with 0xFF.
constexpr int16_t NoSource = -1;
using BlockSources = std::array<int16_t, BlocksPerSequence>;

struct PictureLayout {
    uint8_t code;                 // high four bits of the layout byte
    size_t sequenceDataBytes;     // picture data per DIF sequence
    size_t above625;              // a picture longer than this is a 625/50 frame
    bool timeCodeInSubcode;       // the capture's time code pack goes into the subcode
    bool lengthIsFrame;           // the picture length becomes the frame's length
    BlockSources sources;
};

// The layouts a device sends, one row each.
extern const std::array<PictureLayout, 3> PictureLayouts;

// The row for a layout byte; nullptr for a layout that is not known.
const PictureLayout* layoutOf(uint8_t layoutByte);

// Number of DIF sequences of a picture of `pictureLength` bytes in `layout`.
size_t sequencesOf(const PictureLayout& layout, size_t pictureLength);

// Builds the DV frame from the picture data. `frame` holds at least MaxFrameBytes. The
// picture must hold the data of every sequence; false for an unknown layout or short data.
struct Assembled {
    bool ok = false;
    size_t sequences = 0;
    size_t pictureLength = 0; // the picture length after assembly
};
Assembled Assemble(const uint8_t* picture, size_t pictureLength, uint8_t layoutByte,
                   const TimeCodePack& timeCodePack, uint8_t* frame);

// Writes the time code pack into subcode blocks 1 and 2 of every sequence at byte 30 and, in
// the first half of the sequences, also at bytes 38 and 46.
void putTimeCodePacks(uint8_t* frame, size_t sequences, const TimeCodePack& pack);

// The time code pack of a position in frames at `framesPerSecond`.
TimeCodePack timeCodePack(int32_t position, int framesPerSecond);
// The pack of the picture frozen at `position` while the transport is in `state`: a playing
// tape (state 6) stops a few frames later than the position polled.
TimeCodePack MakeTimeCodePack(int32_t position, int framesPerSecond, uint8_t state);

} // namespace vantrel::imgdata

#include "capture/Imgdata.h"

#include <cstdlib>
#include <cstring>

namespace vantrel::imgdata {

namespace {

constexpr size_t FirstGroupBlock = difFirstGroupBlock;
constexpr size_t GroupBlocks = difGroupBlocks;
constexpr size_t Groups = 9;
constexpr size_t GroupUnits = 18;      // 1440 bytes of picture data per group
constexpr uint8_t Fill = 0xFF;

// One run of blocks within a group of layouts 4 and 6: `count` blocks from group block
// `block` (0 is the audio block, 1 to 15 the video blocks) come from consecutive units of the
// group's data starting at `unit`.
struct GroupPiece {
    uint8_t block;
    uint8_t count;
    uint8_t unit;
};

constexpr BlockSources groupedSources(const std::array<GroupPiece, 4>& pieces)
{
    BlockSources sources{};
    for (size_t b = 0; b < FirstGroupBlock; ++b)
        sources[b] = static_cast<int16_t>(b);
    for (size_t g = 0; g < Groups; ++g)
        for (const auto& piece : pieces)
            for (size_t i = 0; i < piece.count; ++i)
                sources[FirstGroupBlock + g * GroupBlocks + piece.block + i] =
                    static_cast<int16_t>(FirstGroupBlock + g * GroupUnits + piece.unit + i);
    return sources;
}

// Layout 7 sends the 135 video blocks first, then VAUX, then subcode; header and audio
// blocks are not sent.
constexpr BlockSources videoFirstSources()
{
    constexpr int16_t firstVaux = 135;
    constexpr int16_t firstSubcode = 138;
    BlockSources sources{};
    int16_t video = 0;
    for (size_t b = 0; b < BlocksPerSequence; ++b) {
        switch (kindOfBlock(b)) {
        case BlockKind::Header:
        case BlockKind::Audio: sources[b] = NoSource; break;
        case BlockKind::Subcode: sources[b] = static_cast<int16_t>(firstSubcode + b - 1); break;
        case BlockKind::Vaux: sources[b] = static_cast<int16_t>(firstVaux + b - 3); break;
        case BlockKind::Video: sources[b] = video++; break;
        }
    }
    return sources;
}

// Offsets in subcode blocks 1 and 2 where the time code pack is written: the first in every
// sequence, the other two only in the first half of the sequences.
constexpr size_t TimeCodeEverySequence = 30;
constexpr std::array<size_t, 2> TimeCodeFirstHalf{38, 46};

uint8_t* blockAt(uint8_t* frame, size_t sequence, size_t block)
{
    return frame + sequence * SequenceBytes + block * DifBlockBytes;
}

void copyBlocks(const PictureLayout& layout, const uint8_t* sequenceData, uint8_t* sequence)
{
    for (size_t b = 0; b < BlocksPerSequence; ++b) {
        uint8_t* block = sequence + b * DifBlockBytes;
        const int16_t unit = layout.sources[b];
        if (unit == NoSource)
            std::memset(block, Fill, DifBlockBytes);
        else
            std::memcpy(block, sequenceData + unit * DifBlockBytes, DifBlockBytes);
    }
}

void writeIdentifiers(uint8_t* frame, size_t sequence)
{
    for (size_t b = 1; b < BlocksPerSequence; ++b) {
        const auto id = blockIdentifier(sequence, b);
        std::memcpy(blockAt(frame, sequence, b), id.data(), id.size());
    }
}

uint8_t packedDecimal(int value, uint8_t marks)
{
    return static_cast<uint8_t>((value / 10) << 4 | value % 10 | marks);
}

} // namespace

const std::array<PictureLayout, 3> PictureLayouts{{
    {4, 13440, 140000, false, false,
     groupedSources({{{1, 5, 0}, {0, 1, 5}, {6, 5, 6}, {11, 5, 12}}})},
    {6, 13440, 140000, true, false,
     groupedSources({{{0, 1, 0}, {1, 5, 1}, {6, 5, 7}, {11, 5, 13}}})},
    {7, 11520, 120000, false, true, videoFirstSources()},
}};

const PictureLayout* layoutOf(uint8_t layoutByte)
{
    for (const auto& layout : PictureLayouts)
        if (layout.code == layoutByte >> 4)
            return &layout;
    return nullptr;
}

size_t sequencesOf(const PictureLayout& layout, size_t pictureLength)
{
    return pictureLength > layout.above625 ? Sequences625 : Sequences525;
}

Assembled Assemble(const uint8_t* picture, size_t pictureLength, uint8_t layoutByte,
                   const TimeCodePack& timeCodePack, uint8_t* frame)
{
    Assembled result;
    const PictureLayout* layout = layoutOf(layoutByte);
    if (!layout)
        return result;
    const size_t sequences = sequencesOf(*layout, pictureLength);
    // Picture data shorter than its sequences would be read past its end.
    if (pictureLength < sequences * layout->sequenceDataBytes)
        return result;
    for (size_t s = 0; s < sequences; ++s) {
        copyBlocks(*layout, picture + s * layout->sequenceDataBytes, blockAt(frame, s, 0));
        writeIdentifiers(frame, s);
    }
    if (layout->timeCodeInSubcode)
        putTimeCodePacks(frame, sequences, timeCodePack);
    result.ok = true;
    result.sequences = sequences;
    result.pictureLength = layout->lengthIsFrame ? sequences * SequenceBytes : pictureLength;
    return result;
}

void putTimeCodePacks(uint8_t* frame, size_t sequences, const TimeCodePack& pack)
{
    for (size_t s = 0; s < sequences; ++s)
        for (size_t b = 1; b <= 2; ++b) {
            uint8_t* block = blockAt(frame, s, b);
            std::memcpy(block + TimeCodeEverySequence, pack.data(), pack.size());
            if (s < sequences / 2)
                for (size_t offset : TimeCodeFirstHalf)
                    std::memcpy(block + offset, pack.data(), pack.size());
        }
}

TimeCodePack timeCodePack(int32_t position, int framesPerSecond)
{
    const int f = framesPerSecond > 0 ? framesPerSecond : 30;
    // A negative tape position packs as its magnitude: packed digits have no sign.
    const int p = std::abs(position);
    const int hours = p / (f * 3600);
    const int minutes = p % (f * 3600) / (f * 60);
    const int seconds = p % (f * 60) / f;
    const int frames = p % f;
    return {0x13, packedDecimal(frames, 0xC0), packedDecimal(seconds, 0x80),
            packedDecimal(minutes, 0x80), packedDecimal(hours % 100, 0xC0)};
}

TimeCodePack MakeTimeCodePack(int32_t position, int framesPerSecond, uint8_t state)
{
    constexpr uint8_t Play = 6;
    constexpr int32_t PlayLead = 6;
    return timeCodePack(state == Play ? position + PlayLead : position, framesPerSecond);
}

} // namespace vantrel::imgdata

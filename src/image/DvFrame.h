#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The facts of a DV frame and of the DVF file that stores one: block and sequence sizes, the
// DIF block identifiers, the header blocks, frame and file sizes and the system digit.
namespace vantrel {

enum DvSystem : int32_t { dvSystem525 = 0, dvSystem625 = 1 };

constexpr int dvBlockBytes = 80;
constexpr int dvBlocksPerSequence = 150;
constexpr int dvSequenceBytes = dvBlockBytes * dvBlocksPerSequence;       // 12000
constexpr int dvStoredSequenceBytes = dvSequenceBytes - dvBlockBytes;     // without block 0
constexpr int dvSequences525 = 10;
constexpr int dvSequences625 = 12;
constexpr int dvMaxFrameBytes = dvSequences625 * dvSequenceBytes;         // 144000
// The frame layout of a read file: sequence s at s * 12000, its header block zero, with room
// to spare after the last sequence.
constexpr int frameLayoutBytes = 145000;

// DVF files: a 32-byte header ("DVF 1.00SD" and the system digit), then the stored sequences.
constexpr int dvfHeaderBytes = 32;
constexpr size_t dvfDigitOffset = 10;

enum class DvChroma : uint8_t { Yuv411, Yuv420 };

// A frame of the system shown with square pixels: `squareWidth` columns for the 720 stored,
// each group of `storedGroup` columns resampled into `squareGroup`.
struct DvAspect {
    int squareWidth;
    int storedGroup;
    int squareGroup;
};

// Everything that tells the two systems apart.
struct DvSystemFacts {
    DvSystem system;
    const char* name;              // "525" or "625", as the command line prints it
    int lines;
    int sequences;
    int frameRateNumerator;        // frames per second as a fraction
    int frameRateDenominator;
    int timeCodeFramesPerSecond;
    int frameBytes;
    uint32_t dvfFileBytes;
    uint32_t dvfDataBytes;         // the stored sequences, without their header blocks
    DvChroma chroma;
    DvAspect narrow;
    DvAspect wide;
    char digit;                    // the DVF header's system digit
    uint8_t headerFlag;            // byte 3 of every header block: the top bit marks 625/50
    uint8_t sourceControlSystem;   // byte 3 of the VAUX source-control pack
    uint8_t sourceControlWide;     // byte 2 of that pack for a wide picture
};

inline constexpr DvSystemFacts dvSystems[] = {
    {dvSystem525, "525", 480, dvSequences525, 30000, 1001, 30, dvSequences525 * dvSequenceBytes,
     dvfHeaderBytes + dvSequences525 * dvStoredSequenceBytes, dvSequences525 * dvStoredSequenceBytes,
     DvChroma::Yuv411, {640, 9, 8}, {848, 45, 53}, '5', 0x3F, 0xFC, 0xCA},
    {dvSystem625, "625", 576, dvSequences625, 25, 1, 25, dvSequences625 * dvSequenceBytes,
     dvfHeaderBytes + dvSequences625 * dvStoredSequenceBytes, dvSequences625 * dvStoredSequenceBytes,
     DvChroma::Yuv420, {768, 15, 16}, {1024, 45, 64}, '6', 0xBF, 0xFF, 0xCF},
};
static_assert(dvSystems[dvSystem525].system == dvSystem525 && dvSystems[dvSystem625].system == dvSystem625);
static_assert(dvSystems[0].dvfFileBytes == 119232 && dvSystems[1].dvfFileBytes == 143072);

// The facts of `system`; a value of neither system reads as 525/60.
constexpr const DvSystemFacts& factsOf(DvSystem system)
{
    for (const auto& facts : dvSystems)
        if (facts.system == system)
            return facts;
    return dvSystems[0];
}
constexpr int sequencesOf(DvSystem system) { return factsOf(system).sequences; }
constexpr int frameBytesOf(DvSystem system) { return factsOf(system).frameBytes; }
constexpr int linesOf(DvSystem system) { return factsOf(system).lines; }
constexpr DvSystem systemOfSequences(size_t sequences)
{
    return sequences == dvSequences625 ? dvSystem625 : dvSystem525;
}
// The system of `lines` picture lines, if either has as many.
const DvSystemFacts* systemOfLines(int lines);

// The kind of a DIF block by its place in the sequence: 0 header, 1-2 subcode, 3-5 VAUX, then
// groups of 16 from block 6 on: one audio block and 15 video blocks.
enum class DifBlockKind : uint8_t { Header, Subcode, Vaux, Audio, Video };
constexpr size_t difFirstGroupBlock = 6;
constexpr size_t difGroupBlocks = 16;
constexpr DifBlockKind kindOfBlock(size_t block)
{
    return block == 0 ? DifBlockKind::Header
         : block < 3  ? DifBlockKind::Subcode
         : block < difFirstGroupBlock ? DifBlockKind::Vaux
         : (block - difFirstGroupBlock) % difGroupBlocks == 0 ? DifBlockKind::Audio
         : DifBlockKind::Video;
}

// The first identifier byte of each kind.
constexpr uint8_t identifierOf(DifBlockKind kind)
{
    switch (kind) {
    case DifBlockKind::Subcode: return 0x3F;
    case DifBlockKind::Vaux: return 0x5F;
    case DifBlockKind::Audio: return 0x7F;
    case DifBlockKind::Video: return 0x9F;
    case DifBlockKind::Header: break;
    }
    return 0x1F;
}

constexpr size_t difIdentifierBytes = 3;
// The identifier of block `block` (0 to 149) of sequence `sequence`: kind, sequence number
// times 16 plus 7, the block's number within its kind in the sequence.
std::array<uint8_t, difIdentifierBytes> blockIdentifier(size_t sequence, size_t block);

// The first four bytes of a sequence's header block: its identifier and the system flag.
void putHeaderBlockStart(uint8_t* block, size_t sequence, DvSystem system);

// The system a DVF header's digit names: '5' is 525/60, '6' 625/50; any other digit is not a
// DVF picture.
std::optional<DvSystem> systemOfDigit(uint8_t digit);
// The system of a digit's low four bits as pictures keep it (5 or 6); any other reads as 525/60.
DvSystem systemOfNumber(int number);

} // namespace vantrel

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

constexpr int sequencesOf(DvSystem system) { return system == dvSystem625 ? dvSequences625 : dvSequences525; }
constexpr int frameBytesOf(DvSystem system) { return sequencesOf(system) * dvSequenceBytes; }
constexpr DvSystem systemOfSequences(size_t sequences)
{
    return sequences == dvSequences625 ? dvSystem625 : dvSystem525;
}

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

// DVF files: a 32-byte header ("DVF 1.00SD" and the system digit), then the stored sequences.
constexpr int dvfHeaderBytes = 32;
constexpr size_t dvfDigitOffset = 10;

struct DvfFormat {
    DvSystem system;
    char digit;
    uint32_t fileBytes;
    uint32_t dataBytes;
};

inline constexpr DvfFormat dvfFormats[] = {
    {dvSystem525, '5', dvfHeaderBytes + dvSequences525 * dvStoredSequenceBytes,
     dvSequences525 * dvStoredSequenceBytes},
    {dvSystem625, '6', dvfHeaderBytes + dvSequences625 * dvStoredSequenceBytes,
     dvSequences625 * dvStoredSequenceBytes},
};
static_assert(dvfFormats[0].fileBytes == 119232 && dvfFormats[1].fileBytes == 143072);

const DvfFormat& dvfFormatOf(DvSystem system);
// The system a DVF header's digit names: '5' is 525/60, '6' 625/50; any other digit is not a
// DVF picture.
std::optional<DvSystem> systemOfDigit(uint8_t digit);

} // namespace vantrel

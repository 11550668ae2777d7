#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The SPTP wire format: command frames, answers, block frames and DLE stuffing. Both the host
// side (CSptpIO, QuobCpt) and the simulated device read these tables.
namespace vantrel::sptp {

constexpr uint8_t DLE = 0x10;
constexpr uint8_t SYN = 0x16;
constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t BlockMark = 0x01;  // fifth byte of a block frame
constexpr uint8_t MoreBlocks = 0x03; // end byte: more blocks follow
constexpr uint8_t LastBlock = 0x17;  // end byte: the picture is complete
constexpr uint8_t Accepted = 0x31;   // answer byte 6 of an accepted command

constexpr size_t MaxCommandBytes = 4;  // the command byte and at most three arguments
constexpr size_t MaxFrameLength = 14;
constexpr size_t AnswerLength = 11;
constexpr size_t BlockStartLength = 5;  // DLE SYN ID DLE 01
constexpr size_t BlockHeaderLength = 14;
constexpr size_t BlockSeparatorLength = 2;
constexpr size_t BlockEndLength = 4;    // DLE, end byte, two check bytes
constexpr size_t BlockDataLength = 1920;

// The block requests are acted on without an answer; every other command is answered.
constexpr bool expectsAnswer(uint8_t commandByte)
{
    return commandByte != 0x31 && commandByte != 0x35;
}

// One SPTP command: the command byte followed by its arguments.
struct Command {
    uint8_t length;
    std::array<uint8_t, MaxCommandBytes> bytes;
};

namespace Cmd {
inline constexpr Command Rate9600{3, {0x32, 0x00, 0x96}};
inline constexpr Command Rate19200{3, {0x32, 0x01, 0x92}};
inline constexpr Command Rate38400{3, {0x32, 0x03, 0x84}};
inline constexpr Command Rate57600{3, {0x32, 0x05, 0x60}};  // never sent
inline constexpr Command Rate76800{3, {0x32, 0x07, 0x68}};  // never sent
inline constexpr Command Rate115200{3, {0x32, 0x11, 0x52}};
inline constexpr Command Start{2, {0x3A, 0x00}};
inline constexpr Command NextBlock{1, {0x31}};
inline constexpr Command RepeatBlock{1, {0x35}};
inline constexpr Command End{1, {0x3B}};
inline constexpr Command Unused36{1, {0x36}};               // never sent
inline constexpr Command Unused37{1, {0x37}};               // never sent
inline constexpr Command Unused38{1, {0x38}};               // never sent
inline constexpr Command Unused3D{4, {0x3D, 0x08, 0x08, 0x01}}; // never sent
} // namespace Cmd

// The picture transfer rates the device window offers, by rate index.
struct TransferRate {
    int index;
    int bitRate;
    Command command;
    int pollIntervalMs; // between reads while a block arrives
};

inline constexpr std::array<TransferRate, 4> TransferRates{{
    {0, 9600, Cmd::Rate9600, 100},
    {1, 19200, Cmd::Rate19200, 100},
    {2, 38400, Cmd::Rate38400, 50},
    {3, 115200, Cmd::Rate115200, 10},
}};

// The row of a rate index; index 2 stands for every index outside the table.
const TransferRate& transferRateFor(int index);
// The row whose rate command is `command`; nullptr for a command that sets no known rate.
const TransferRate* transferRateOfCommand(const uint8_t* command, size_t length);

// Fills `frame` (at least MaxFrameLength bytes) with the frame of `command` for device `id`
// and returns its length, n + 11 for n argument bytes.
size_t buildFrame(uint8_t id, const Command& command, uint8_t* frame);
// The 16-bit sum of `length` bytes.
uint16_t checkSum(const uint8_t* bytes, size_t length);

// What a device-side reader makes of a host frame: the device ID and the command bytes.
struct ParsedFrame {
    uint8_t id = 0;
    uint8_t length = 0;
    std::array<uint8_t, MaxCommandBytes> bytes{};
};
// True when `frame` is a complete, correctly summed command frame.
bool parseFrame(const uint8_t* frame, size_t length, ParsedFrame& out);
// Bytes still needed before `partial` (the first `length` bytes of a frame) is complete;
// 0 when it is complete, -1 when it cannot start a frame.
int frameBytesMissing(const uint8_t* partial, size_t length);

// The 11-byte answer of a device: 10 16 ID 10 02 00, then the accepting byte or another.
void buildAnswer(uint8_t id, bool accepted, uint8_t* answer);
bool answerStartsRight(const uint8_t* answer, uint8_t id);
bool answerAccepts(const uint8_t* answer);

// The header of a block frame after unstuffing; numbers are stored high byte first.
struct BlockHeader {
    uint16_t number = 0;     // 0 marks the first block of a picture
    uint8_t byte2 = 0;
    uint32_t totalSize = 0;  // bytes of picture data in all blocks
    uint8_t layout = 0;      // high four bits select the frame layout
    uint8_t byte8 = 0;
    uint8_t byte9 = 0;
    uint16_t word10 = 0;
    uint16_t word12 = 0;
};
BlockHeader readBlockHeader(const uint8_t* header);
void writeBlockHeader(const BlockHeader& header, uint8_t* out);

// DLE unstuffing of `source` (length bytes): 10 10 gives one 0x10 and a single 0x10 is
// dropped. Stops when `capacity` bytes were produced or the source is used up.
struct Unstuffed {
    size_t consumed = 0; // source bytes read
    size_t produced = 0; // bytes written to the output
};
Unstuffed unstuff(const uint8_t* source, size_t length, uint8_t* out, size_t capacity);

// DLE stuffing (the device's side): every 0x10 is doubled. Returns the bytes written, or 0
// when `capacity` is too small.
size_t stuff(const uint8_t* source, size_t length, uint8_t* out, size_t capacity);

// The whole block frame a device sends for one block: start, stuffed header, separator,
// stuffed data, end. Returns its length, or 0 when `capacity` is too small.
size_t buildBlockFrame(uint8_t id, const BlockHeader& header, const uint8_t* data,
                       size_t dataLength, bool last, uint8_t* out, size_t capacity);

} // namespace vantrel::sptp

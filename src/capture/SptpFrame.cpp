#include "capture/SptpFrame.h"

#include <algorithm>

namespace vantrel::sptp {

namespace {

constexpr uint8_t Refused = 0x15;
constexpr size_t FrameFixedPart = 10; // DLE SYN ID DLE STX 00, DLE ETX and the sum

void putWord(uint8_t* out, uint16_t value)
{
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value);
}

uint16_t wordAt(const uint8_t* in)
{
    return static_cast<uint16_t>(in[0] << 8 | in[1]);
}

// DLE SYN ID DLE: the first four bytes of everything a device sends and of every host frame.
void putLead(uint8_t id, uint8_t* out)
{
    out[0] = DLE;
    out[1] = SYN;
    out[2] = id;
    out[3] = DLE;
}

bool leadIs(const uint8_t* in, uint8_t id)
{
    return in[0] == DLE && in[1] == SYN && in[2] == id && in[3] == DLE;
}

// The frame around `length` command bytes: lead, STX 00, the bytes, DLE ETX, the sum.
size_t frameAround(uint8_t id, const uint8_t* bytes, size_t length, uint8_t* frame)
{
    putLead(id, frame);
    frame[4] = STX;
    frame[5] = 0x00;
    std::copy(bytes, bytes + length, frame + 6);
    size_t at = 6 + length;
    frame[at++] = DLE;
    frame[at++] = ETX;
    putWord(frame + at, checkSum(frame, at));
    return at + 2;
}

} // namespace

const TransferRate& transferRateFor(int index)
{
    for (const auto& rate : TransferRates)
        if (rate.index == index)
            return rate;
    return TransferRates[2];
}

const TransferRate* transferRateOfCommand(const uint8_t* command, size_t length)
{
    for (const auto& rate : TransferRates)
        if (length == rate.command.length
            && std::equal(command, command + length, rate.command.bytes.begin()))
            return &rate;
    return nullptr;
}

uint16_t checkSum(const uint8_t* bytes, size_t length)
{
    uint16_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum = static_cast<uint16_t>(sum + bytes[i]);
    return sum;
}

size_t buildFrame(uint8_t id, const Command& command, uint8_t* frame)
{
    return frameAround(id, command.bytes.data(), command.length, frame);
}

int frameBytesMissing(const uint8_t* partial, size_t length)
{
    static constexpr uint8_t start[] = {DLE, SYN};
    for (size_t i = 0; i < std::min(length, sizeof start); ++i)
        if (partial[i] != start[i])
            return -1;
    // The frame ends with DLE ETX and two sum bytes; command bytes never hold a DLE.
    for (size_t i = 6; i + 1 < length; ++i)
        if (partial[i] == DLE && partial[i + 1] == ETX)
            return i + 4 <= length ? 0 : static_cast<int>(i + 4 - length);
    return length >= MaxFrameLength ? -1 : 1;
}

bool parseFrame(const uint8_t* frame, size_t length, ParsedFrame& out)
{
    if (length < FrameFixedPart + 1 || length > MaxFrameLength)
        return false;
    const size_t commandLength = length - FrameFixedPart;
    if (frame[0] != DLE || frame[1] != SYN || frame[3] != DLE || frame[4] != STX
        || frame[5] != 0x00 || frame[6 + commandLength] != DLE
        || frame[7 + commandLength] != ETX)
        return false;
    if (wordAt(frame + length - 2) != checkSum(frame, length - 2))
        return false;
    out.id = frame[2];
    out.length = static_cast<uint8_t>(commandLength);
    std::copy(frame + 6, frame + 6 + commandLength, out.bytes.begin());
    return true;
}

void buildAnswer(uint8_t id, bool accepted, uint8_t* answer)
{
    const uint8_t verdict = accepted ? Accepted : Refused;
    frameAround(id, &verdict, 1, answer);
}

bool answerStartsRight(const uint8_t* answer, uint8_t id)
{
    return leadIs(answer, id);
}

bool answerAccepts(const uint8_t* answer)
{
    return answer[6] == Accepted;
}

BlockHeader readBlockHeader(const uint8_t* h)
{
    BlockHeader header;
    header.number = wordAt(h);
    header.byte2 = h[2];
    header.totalSize = static_cast<uint32_t>(h[3]) << 24 | h[4] << 16 | h[5] << 8 | h[6];
    header.layout = h[7];
    header.byte8 = h[8];
    header.byte9 = h[9];
    header.word10 = wordAt(h + 10);
    header.word12 = wordAt(h + 12);
    return header;
}

void writeBlockHeader(const BlockHeader& header, uint8_t* h)
{
    putWord(h, header.number);
    h[2] = header.byte2;
    putWord(h + 3, static_cast<uint16_t>(header.totalSize >> 16));
    putWord(h + 5, static_cast<uint16_t>(header.totalSize));
    h[7] = header.layout;
    h[8] = header.byte8;
    h[9] = header.byte9;
    putWord(h + 10, header.word10);
    putWord(h + 12, header.word12);
}

Unstuffed unstuff(const uint8_t* source, size_t length, uint8_t* out, size_t capacity)
{
    Unstuffed result;
    size_t& i = result.consumed;
    while (i < length && result.produced < capacity) {
        if (source[i] != DLE) {
            out[result.produced++] = source[i++];
        } else if (i + 1 < length && source[i + 1] == DLE) {
            out[result.produced++] = DLE;
            i += 2;
        } else {
            ++i; // a single DLE carries no data
        }
    }
    return result;
}

size_t stuff(const uint8_t* source, size_t length, uint8_t* out, size_t capacity)
{
    size_t at = 0;
    for (size_t i = 0; i < length; ++i) {
        const size_t need = source[i] == DLE ? 2 : 1;
        if (at + need > capacity)
            return 0;
        out[at++] = source[i];
        if (need == 2)
            out[at++] = DLE;
    }
    return at;
}

size_t buildBlockFrame(uint8_t id, const BlockHeader& header, const uint8_t* data,
                       size_t dataLength, bool last, uint8_t* out, size_t capacity)
{
    if (capacity < BlockStartLength)
        return 0;
    putLead(id, out);
    out[4] = BlockMark;
    size_t at = BlockStartLength;

    uint8_t rawHeader[BlockHeaderLength];
    writeBlockHeader(header, rawHeader);
    const size_t headerBytes = stuff(rawHeader, sizeof rawHeader, out + at, capacity - at);
    if (headerBytes == 0)
        return 0;
    at += headerBytes;

    if (at + BlockSeparatorLength > capacity)
        return 0;
    out[at++] = DLE;
    out[at++] = STX;

    const size_t dataBytes = stuff(data, dataLength, out + at, capacity - at);
    if (dataBytes == 0 && dataLength != 0)
        return 0;
    at += dataBytes;

    if (at + BlockEndLength > capacity)
        return 0;
    const uint16_t sum = checkSum(data, dataLength);
    out[at++] = DLE;
    out[at++] = last ? LastBlock : MoreBlocks;
    putWord(out + at, sum);
    return at + 2;
}

} // namespace vantrel::sptp

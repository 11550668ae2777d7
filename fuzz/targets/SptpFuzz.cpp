// What the line carries during a picture transfer: a series of chunks, each two bytes of length
// (high byte first) and the bytes read for one block. Each chunk goes through the block parse
// with its unstuffing as the capture thread does it, and through the frame and answer parsers;
// at the end the picture collected is assembled into a DV frame.
#include "../FuzzTarget.h"

#include "capture/Imgdata.h"
#include "capture/Quobcpt.h"
#include "capture/SptpFrame.h"
#include "link/Quobio.h"
#include "link/Quobvtr.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

namespace sptp = vantrel::sptp;
using vantrel::fuzz::check;

void checkFrameParsers(const uint8_t* bytes, size_t length)
{
    sptp::ParsedFrame parsed;
    const int missing = sptp::frameBytesMissing(bytes, length);
    check(missing >= -1 && missing <= int(sptp::MaxFrameLength), "missing bytes stay within a frame");
    if (sptp::parseFrame(bytes, length, parsed)) {
        sptp::Command command{parsed.length, parsed.bytes};
        uint8_t rebuilt[sptp::MaxFrameLength];
        const size_t rebuiltLength = sptp::buildFrame(parsed.id, command, rebuilt);
        check(rebuiltLength == length && std::memcmp(rebuilt, bytes, length) == 0,
              "a parsed frame builds back to the same bytes");
    }
    if (length >= sptp::AnswerLength) {
        sptp::answerStartsRight(bytes, bytes[2]);
        sptp::answerAccepts(bytes);
    }
}

void checkStuffing(const uint8_t* bytes, size_t length)
{
    std::vector<uint8_t> stuffed(2 * length + 1);
    const size_t stuffedLength = sptp::stuff(bytes, length, stuffed.data(), stuffed.size());
    std::vector<uint8_t> back(length + 1);
    const auto unstuffed = sptp::unstuff(stuffed.data(), stuffedLength, back.data(), back.size());
    check(unstuffed.produced == length && std::equal(bytes, bytes + length, back.begin()),
          "unstuffing undoes stuffing");
}

void parseBlock(vantrel::QuobCpt& capture, const uint8_t* bytes, size_t length)
{
    const int before = capture.pictureLength;
    capture.receiveBuffer.fill(0);
    const size_t kept = std::min(length, capture.receiveBuffer.size());
    std::copy(bytes, bytes + kept, capture.receiveBuffer.begin());
    capture.receiveCount = static_cast<int>(kept);
    const bool whole = capture.ParseBlock();
    check(capture.pictureLength >= 0 &&
              size_t(capture.pictureLength) <= vantrel::QuobCpt::PictureBufferBytes,
          "the picture stays inside its buffer");
    if (whole && capture.header.number != 0)
        check(capture.pictureLength == before + int(sptp::BlockDataLength), "a whole block adds 1920 bytes");
}

void assemble(vantrel::QuobCpt& capture)
{
    const auto assembled = vantrel::imgdata::Assemble(capture.pictureBuffer.get(), capture.pictureLength,
                                                      capture.header.layout, capture.timeCodePack,
                                                      capture.frameBuffer.get());
    if (assembled.ok)
        check(assembled.sequences == 10 || assembled.sequences == 12, "a frame has 10 or 12 sequences");
}

} // namespace

VANTREL_FUZZ_TARGET(sptp)
{
    static vantrel::CQuobIO io;
    static vantrel::QuobVtr vtr(io);
    auto capture = std::make_unique<vantrel::QuobCpt>(io, vtr);
    size_t at = 0;
    while (at + 2 <= size) {
        const size_t length = std::min<size_t>(size - at - 2, data[at] << 8 | data[at + 1]);
        const uint8_t* chunk = data + at + 2;
        checkFrameParsers(chunk, length);
        checkStuffing(chunk, std::min<size_t>(length, 64));
        parseBlock(*capture, chunk, length);
        at += 2 + length;
    }
    assemble(*capture);
}

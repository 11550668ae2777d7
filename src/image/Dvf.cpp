#include "Dvf.h"

#include "image/WholeFile.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace vantrel {

namespace {

struct WidePack {
    uint8_t disp;
    uint8_t bcsys;
};

// (7, 3) is the writer's own wide 625/50 pack, which must read back as wide.
constexpr WidePack widePacks[] = {{2, 0}, {7, 1}, {2, 1}, {7, 3}};

constexpr uint8_t sourceControlHeader = 0x61;
constexpr int wideSearchFirst = 403;
constexpr int wideSearchLast = 478;
constexpr int packBytes = 5;

constexpr uint8_t timeCodeHeader = 0x13;
constexpr int timeCodeSearchFirst = 86;
constexpr int timeCodeSearchLast = 238;
constexpr int subcodePackStep = 8;

void putBigEndian(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Block j (1 to 149) of the sequence is stored at (j - 1) * 80: block 0 is not stored.
void rewriteBlocks(uint8_t* sequence, int sequenceNumber, DvSystem system, bool wide)
{
    for (size_t j = 1; j < dvBlocksPerSequence; ++j) {
        uint8_t* block = sequence + (j - 1) * dvBlockBytes;
        const auto id = blockIdentifier(static_cast<size_t>(sequenceNumber), j);
        std::memcpy(block, id.data(), id.size());
        if (kindOfBlock(j) != DifBlockKind::Video)
            std::memset(block + id.size(), 0, dvBlockBytes - id.size());
    }
    const auto pack = sourceControlPack(system, wide);
    std::memcpy(sequence + sourceControlPackOffset, pack.data(), pack.size());
}

char digitOf(uint8_t nibble) { return static_cast<char>('0' + nibble); }

// Fills the parts in order, in one system call where the file allows (a read per part, or a
// buffered stream's read per four kilobytes, costs a call each); the bytes read, fewer than
// the parts hold when the file ends first or cannot be read.
size_t readIntoParts(int descriptor, iovec* parts, int count)
{
    size_t total = 0;
    while (count > 0) {
        const ssize_t got = ::readv(descriptor, parts, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += static_cast<size_t>(got);
        auto left = static_cast<size_t>(got);
        for (; count > 0 && left >= parts->iov_len; ++parts, --count)
            left -= parts->iov_len;
        if (count > 0) {
            parts->iov_base = static_cast<uint8_t*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
    return total;
}

} // namespace

std::array<uint8_t, dvfHeaderBytes> dvfHeader(DvSystem system)
{
    const DvSystemFacts& format = factsOf(system);
    std::array<uint8_t, dvfHeaderBytes> header{};
    std::memcpy(header.data(), "DVF 1.00SD", dvfDigitOffset);
    header[dvfDigitOffset] = static_cast<uint8_t>(format.digit);
    header[11] = 0;
    putBigEndian(&header[12], format.dvfFileBytes);
    putBigEndian(&header[16], format.dvfDataBytes);
    putBigEndian(&header[20], dvfHeaderBytes);
    std::memset(&header[24], 0xFF, 8);
    return header;
}

std::array<uint8_t, 5> sourceControlPack(DvSystem system, bool wide)
{
    const DvSystemFacts& facts = factsOf(system);
    const uint8_t display = wide ? facts.sourceControlWide : 0xC8;
    return {sourceControlHeader, 0x3F, display, facts.sourceControlSystem, 0xFF};
}

bool writeDvfFile(const uint8_t* sequences, const std::string& path, DvSystem system, bool wide)
{
    if (!sequences)
        return false;
    const int count = sequencesOf(system);
    std::vector<uint8_t> bytes(dvfHeaderBytes + static_cast<size_t>(count) * dvStoredSequenceBytes);
    const auto header = dvfHeader(system);
    std::memcpy(bytes.data(), header.data(), header.size());
    std::memcpy(bytes.data() + dvfHeaderBytes, sequences, bytes.size() - dvfHeaderBytes);
    rewriteStoredSequences(bytes.data() + dvfHeaderBytes, system, wide);
    return replaceFileWhole(path, {{bytes.data(), bytes.size()}});
}

void rewriteStoredSequences(uint8_t* sequences, DvSystem system, bool wide)
{
    for (int s = 0; s < sequencesOf(system); ++s)
        rewriteBlocks(sequences + s * dvStoredSequenceBytes, s, system, wide);
}

namespace {

bool readFrameFrom(int descriptor, std::array<uint8_t, dvfHeaderBytes>& header, uint8_t* frame)
{
    header.fill(0);
    iovec headerPart{header.data(), header.size()};
    const size_t headerRead = readIntoParts(descriptor, &headerPart, 1);
    if (headerRead < 3 || std::memcmp(header.data(), "DVF", 3) != 0)
        return false;
    const auto system = systemOfDigit(header[dvfDigitOffset]);
    if (!system)
        return false; // no picture of either system: decoding it could not be right
    const int sequences = sequencesOf(*system);
    std::array<iovec, dvSequences625> parts{};
    for (int s = 0; s < sequences; ++s)
        parts[static_cast<size_t>(s)] = {frame + s * dvSequenceBytes + dvBlockBytes, dvStoredSequenceBytes};
    size_t got = readIntoParts(descriptor, parts.data(), sequences);
    // A file that ends early leaves the rest of the frame zero.
    for (int s = 0; s < sequences; ++s) {
        const size_t filled = std::min<size_t>(got, dvStoredSequenceBytes);
        std::memset(frame + s * dvSequenceBytes + dvBlockBytes + filled, 0, dvStoredSequenceBytes - filled);
        got -= filled;
    }
    return true;
}

} // namespace

bool readPictureFrame(const std::string& path, std::array<uint8_t, dvfHeaderBytes>& header,
                      uint8_t* frame)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool read = readFrameFrom(descriptor, header, frame);
    ::close(descriptor);
    return read;
}

bool readPictureFile(PictureRecord& record)
{
    record.frame.reset();
    // Only what the file does not fill is cleared: the header blocks before, the room after
    // the last sequence once the system is known (clearing all of it cost a tenth of a read).
    std::unique_ptr<uint8_t[]> frame(new (std::nothrow) uint8_t[frameLayoutBytes]);
    if (!frame)
        return false;
    for (int s = 0; s < dvSequences625; ++s)
        std::memset(frame.get() + s * dvSequenceBytes, 0, dvBlockBytes);
    if (!readPictureFrame(record.path, record.header, frame.get()))
        return false;
    const int sequences = sequencesOf(*systemOfDigit(record.header[dvfDigitOffset]));
    std::memset(frame.get() + sequences * dvSequenceBytes, 0, frameLayoutBytes - sequences * dvSequenceBytes);
    record.system = record.header[dvfDigitOffset] & 0x0F;
    record.wide = isWideFrame(frame.get());
    record.timeCode = frameTimeCode(frame.get(), sequences);
    record.recorded = frameRecordingDate(frame.get(), sequences);
    record.frame = std::move(frame);
    return true;
}

bool isWideFrame(const uint8_t* frameLayout)
{
    for (int offset = wideSearchFirst; offset <= wideSearchLast; offset += packBytes) {
        const uint8_t* pack = frameLayout + offset;
        if (pack[0] != sourceControlHeader)
            continue;
        const uint8_t disp = pack[2] & 7;
        const uint8_t bcsys = pack[3] & 3;
        for (const auto& wide : widePacks)
            if (wide.disp == disp && wide.bcsys == bcsys)
                return true;
        return false;
    }
    return false;
}

const uint8_t* frameTimeCodePack(const uint8_t* frameLayout, int sequences)
{
    for (int s = 0; s < sequences; ++s) {
        const uint8_t* sequence = frameLayout + s * dvSequenceBytes;
        for (int offset = timeCodeSearchFirst; offset <= timeCodeSearchLast;
             offset += subcodePackStep)
            if (sequence[offset] == timeCodeHeader)
                return sequence + offset;
    }
    return nullptr;
}

std::string frameTimeCode(const uint8_t* frameLayout, int sequences)
{
    const uint8_t* pack = frameTimeCodePack(frameLayout, sequences);
    return pack ? packTimeCodeText(pack) : timeCodeText(0, 0, 0, 0);
}

std::string packTimeCodeText(const uint8_t* pack)
{
    return timeCodeText(pack[4] & 0x3F, pack[3] & 0x7F, pack[2] & 0x7F, pack[1] & 0x3F);
}

std::string timeCodeText(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t frames)
{
    // Highest digit allowed in each place, tens then units: hours, minutes, seconds, frames.
    static constexpr char highest[8] = {'9', '9', '6', '9', '6', '9', '2', '9'};
    const uint8_t parts[4] = {hours, minutes, seconds, frames};
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char tens = digitOf(parts[i] >> 4);
        const char units = digitOf(parts[i] & 0x0F);
        if (tens > highest[2 * i] || units > highest[2 * i + 1])
            return invalidTimeCode;
        if (i > 0)
            text += ':';
        text += tens;
        text += units;
    }
    return text;
}

} // namespace vantrel

#include "SptpPicture.h"

#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <algorithm>
#include <cstring>

namespace vantrel::quobsim {

namespace {

using namespace imgdata;

constexpr uint8_t Fill = 0xFF;
constexpr uint8_t UnusedData = 0xA5; // picture data that no layout takes into the frame
constexpr uint8_t LayoutLowBits = 0x01;

void prepareFrame(uint8_t* frame, size_t sequences, const PictureLayout& layout,
                  const TimeCodePack& pack)
{
    const bool pal = sequences == Sequences625;
    for (size_t s = 0; s < sequences; ++s) {
        uint8_t* sequence = frame + s * SequenceBytes;
        writeHeaderBlock(sequence, s, pal);
        for (size_t b = 1; b < BlocksPerSequence; ++b) {
            uint8_t* block = sequence + b * DifBlockBytes;
            const auto id = blockIdentifier(s, b);
            std::memcpy(block, id.data(), id.size());
            if (layout.sources[b] == NoSource)
                std::memset(block + id.size(), Fill, DifBlockBytes - id.size());
        }
        if (layout.sources[0] == NoSource)
            std::memset(sequence, Fill, DifBlockBytes);
    }
    putTimeCodePacks(frame, sequences, pack);
}

std::vector<uint8_t> sequencesOfLayout(const uint8_t* frameLayout, size_t sequences)
{
    return {frameLayout, frameLayout + sequences * SequenceBytes};
}

} // namespace

void writeHeaderBlock(uint8_t* block, size_t sequence, bool pal)
{
    std::memset(block, Fill, DifBlockBytes);
    putHeaderBlockStart(block, sequence, pal ? dvSystem625 : dvSystem525);
    block[4] = 0x68;
    block[5] = block[6] = block[7] = 0x78;
}

RecordingDate simulatedRecordingDate(int64_t position, int framesPerSecond)
{
    constexpr int64_t shotAt = 10 * 3600 + 20 * 60 + 30;
    const int64_t seconds = shotAt + (position < 0 ? 0 : position) / std::max(framesPerSecond, 1);
    RecordingDate date{2004, 7, 18, 0, 0, 0};
    date.hour = static_cast<int>(seconds / 3600 % 24);
    date.minute = static_cast<int>(seconds / 60 % 60);
    date.second = static_cast<int>(seconds % 60);
    return date;
}

RecordingPacks recordingPacksAt(int64_t position, int framesPerSecond)
{
    const RecordingDate date = simulatedRecordingDate(position, framesPerSecond);
    return {recordingDatePack(date), recordingTimePack(date)};
}

bool makeSptpPicture(const uint8_t* frame, size_t sequences, int layoutCode,
                     const TimeCodePack& pack, SptpPicture& out,
                     const std::optional<RecordingPacks>& recording)
{
    const uint8_t layoutByte = static_cast<uint8_t>(layoutCode << 4 | LayoutLowBits);
    const PictureLayout* layout = layoutOf(layoutByte);
    if (!layout || (sequences != Sequences525 && sequences != Sequences625))
        return false;
    out.sequences = sequences;
    out.layoutByte = layoutByte;
    out.frame.assign(frame, frame + sequences * SequenceBytes);
    prepareFrame(out.frame.data(), sequences, *layout, pack);
    if (recording)
        putRecordingPacks(out.frame.data(), static_cast<int>(sequences), recording->date,
                          recording->time);

    out.data.assign(sequences * layout->sequenceDataBytes, UnusedData);
    for (size_t s = 0; s < sequences; ++s)
        for (size_t b = 0; b < BlocksPerSequence; ++b)
            if (layout->sources[b] != NoSource)
                std::memcpy(out.data.data() + s * layout->sequenceDataBytes
                                + layout->sources[b] * DifBlockBytes,
                            out.frame.data() + s * SequenceBytes + b * DifBlockBytes,
                            DifBlockBytes);
    return true;
}

std::vector<uint8_t> patternFrame(bool pal, const TimeCodePack& pack)
{
    if (!DvcLoaded() && !DvcLoad())
        return {};
    const DvSystem system = pal ? dvSystem625 : dvSystem525;
    const std::string shown = packTimeCodeText(pack.data());
    const auto frame = encodedTestFrame(system, shown);
    if (frame.empty())
        return {};
    return sequencesOfLayout(frame.data(), sequencesOf(system));
}

std::vector<uint8_t> dvfFileFrame(const std::string& path, bool& pal)
{
    PictureRecord record;
    record.path = path;
    if (!readPictureFile(record))
        return {};
    pal = record.videoSystem() == dvSystem625;
    return sequencesOfLayout(record.frame.get(), sequencesOf(record.videoSystem()));
}

} // namespace vantrel::quobsim

#include "Frames.h"

#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vantrel::test {

std::vector<uint8_t> storedSequences(DvSystem system)
{
    const auto frame = encodedTestFrame(system);
    std::vector<uint8_t> sequences;
    if (frame.empty())
        return sequences;
    for (int s = 0; s < sequencesOf(system); ++s) {
        const auto start = frame.begin() + s * dvSequenceBytes + dvBlockBytes;
        sequences.insert(sequences.end(), start, start + dvStoredSequenceBytes);
    }
    return sequences;
}

bool writeTestDvf(const std::string& path, DvSystem system, bool wide)
{
    const auto sequences = storedSequences(system);
    return !sequences.empty() && writeDvfFile(sequences.data(), path, system, wide);
}

void stampRecordingPacks(const std::string& path, const std::array<uint8_t, 5>& date,
                         const std::array<uint8_t, 5>& time)
{
    auto bytes = fileBytes(path);
    const int sequences = static_cast<int>((bytes.size() - dvfHeaderBytes) / dvStoredSequenceBytes);
    // The frame layout's sequences are the stored ones behind an 80-byte header block.
    std::vector<uint8_t> frame(frameLayoutBytes, 0);
    for (int s = 0; s < sequences; ++s)
        std::copy_n(&bytes[dvfHeaderBytes + s * dvStoredSequenceBytes], dvStoredSequenceBytes,
                    &frame[s * dvSequenceBytes + dvBlockBytes]);
    putRecordingPacks(frame.data(), sequences, date, time);
    for (int s = 0; s < sequences; ++s)
        std::copy_n(&frame[s * dvSequenceBytes + dvBlockBytes], dvStoredSequenceBytes,
                    &bytes[dvfHeaderBytes + s * dvStoredSequenceBytes]);
    writeBytes(path, bytes);
}

std::string dvfWithTimeCode(const std::string& path, std::array<uint8_t, 4> timeCode)
{
    if (!writeTestDvf(path, dvSystem525, false))
        return {};
    auto bytes = fileBytes(path);
    const uint8_t pack[5] = {0x13, timeCode[3], timeCode[2], timeCode[1], timeCode[0]};
    std::copy(pack, pack + 5, bytes.begin() + dvfHeaderBytes + 6);
    writeBytes(path, bytes);
    return path;
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace vantrel::test

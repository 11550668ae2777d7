#include "AlbumFile.h"

#include "image/DvCodec.h"
#include "image/Dvf.h"

#include <cstdio>
#include <cstring>

namespace vantrel {

std::array<uint8_t, albumHeaderBytes> albumFileHeader(int pictures)
{
    std::array<uint8_t, albumHeaderBytes> header{};
    std::memcpy(header.data(), "ZAL", 3);
    header[3] = 1;
    header[4] = static_cast<uint8_t>(pictures);
    header[5] = static_cast<uint8_t>(albumFirstRecordOffset >> 8);
    header[6] = static_cast<uint8_t>(albumFirstRecordOffset & 0xFF);
    return header;
}

AlbumFileHeader parseAlbumHeader(const uint8_t* bytes, size_t size)
{
    AlbumFileHeader header;
    if (size < 7 || std::memcmp(bytes, "ZAL", 3) != 0)
        return header;
    header.isAlbum = true;
    header.pictures = static_cast<int8_t>(bytes[4]);
    header.firstRecord = bytes[5] << 8 | bytes[6];
    return header;
}

int recordFrameBytes(uint8_t digit)
{
    return frameBytesOf(systemOfDigit(digit).value_or(dvSystem525));
}

std::string cutListText(const std::vector<std::string>& timeCodes)
{
    std::string text = "\r\n";
    text.reserve(2 + cutListLineBytes * timeCodes.size());
    for (const std::string& timeCode : timeCodes)
        text += timeCode + "F-" + timeCode + "F\r\n";
    return text;
}

bool writeSideFileOfRecord(const std::string& path, const uint8_t* header, const uint8_t* frame)
{
    const int sequences = recordFrameBytes(header[10]) / dvSequenceBytes;
    std::vector<FilePart> parts{{header, dvfHeaderBytes}};
    for (int s = 0; s < sequences; ++s)
        parts.push_back({frame + s * dvSequenceBytes + dvBlockBytes, dvStoredSequenceBytes});
    return replaceFileWhole(path, parts.data(), parts.size());
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

} // namespace vantrel

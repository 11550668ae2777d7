#pragma once
#include "image/WholeFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Album files: a 32-byte header ("ZAL", version 1, picture count, first record offset,
// big-endian) and per picture the DVF header followed by the frame in frame layout.

constexpr int albumHeaderBytes = 32;
constexpr int albumFirstRecordOffset = 32;
constexpr int cutListLineBytes = 27;

std::array<uint8_t, albumHeaderBytes> albumFileHeader(int pictures);

struct AlbumFileHeader {
    bool isAlbum = false; // begins with "ZAL"
    int pictures = 0;     // a signed byte
    int firstRecord = 0;
};
AlbumFileHeader parseAlbumHeader(const uint8_t* bytes, size_t size);

// Bytes of frame data in a record whose DVF header carries `digit` at byte 10.
int recordFrameBytes(uint8_t digit);

// The cut list: "\r\n", then per time code "tc" + "F-" + "tc" + "F\r\n".
std::string cutListText(const std::vector<std::string>& timeCodes);

// The side file of a record: its DVF header, then each sequence's 11920 bytes after the
// 80-byte header block of the frame.
bool writeSideFileOfRecord(const std::string& path, const uint8_t* header, const uint8_t* frame);

// The whole content of a file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

} // namespace vantrel

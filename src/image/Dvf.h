#pragma once
#include "image/DvCodec.h"
#include "image/RecordingDate.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vantrel {

// DVF still-picture files: a 32-byte header, then 10 or 12 stored sequences of 11920 bytes
// (each DIF sequence without its header block).

constexpr int sourceControlPackOffset = 373; // in every stored sequence
constexpr int timeCodeTextLength = 11;
inline constexpr char invalidTimeCode[] = "--:--:--:--";

// "DVF 1.00SD5" or "DVF 1.00SD6", 0, file size, data size, 32 (big-endian), eight 0xFF.
std::array<uint8_t, dvfHeaderBytes> dvfHeader(DvSystem system);
// The VAUX source-control pack the writer stores for the system and aspect.
std::array<uint8_t, 5> sourceControlPack(DvSystem system, bool wide);

// What reading a DVF file yields.
struct PictureRecord {
    std::unique_ptr<uint8_t[]> frame; // frame layout, frameLayoutBytes; released after decoding
    int system = 0;                   // the system digit's low four bits: 5 or 6
    std::string timeCode;             // "hh:mm:ss:ff" or "--:--:--:--"
    std::string path;
    std::array<uint8_t, dvfHeaderBytes> header{};
    bool wide = false;
    std::optional<RecordingDate> recorded; // when the frame's packs say it was shot

    DvSystem videoSystem() const { return systemOfNumber(system); }
    void releaseFrame() { frame.reset(); }
};

// Writes `sequences` (10 or 12 stored sequences of 11920 bytes, as DvcEncode leaves them from
// byte 32 on) with fresh block identifiers, silent subcode, VAUX and audio, and the
// source-control pack. The file appears whole or not at all (written beside and renamed).
bool writeDvfFile(const uint8_t* sequences, const std::string& path, DvSystem system, bool wide);
// The writer's block rewriting of 10 or 12 stored sequences, in place: fresh identifiers,
// subcode, VAUX and audio blocks silenced, the source-control pack at offset 373.
void rewriteStoredSequences(uint8_t* sequences, DvSystem system, bool wide);
// Fills `record` from the file at record.path; fails without keeping frame data when the file
// cannot be opened, does not begin with "DVF", names neither system ('5' or '6') or no buffer
// can be had. A short file reads, the
// missing bytes staying zero.
bool readPictureFile(PictureRecord& record);
// The reading step of readPictureFile into a frame buffer the caller keeps (frameLayoutBytes):
// the header, then each stored sequence after its 80-byte header block, which is left as it
// is; what a short file lacks is zeroed.
bool readPictureFrame(const std::string& path, std::array<uint8_t, dvfHeaderBytes>& header,
                      uint8_t* frame);

// The wide test on sequence 0's third VAUX block of a frame layout.
bool isWideFrame(const uint8_t* frameLayout);
// The first time-code pack in the subcode of the frame layout's sequences, as text.
std::string frameTimeCode(const uint8_t* frameLayout, int sequences);
// That pack itself (five bytes from its header 0x13); nullptr when no sequence has one.
const uint8_t* frameTimeCodePack(const uint8_t* frameLayout, int sequences);
// A time code pack (header 0x13, frames, seconds, minutes, hours) as "hh:mm:ss:ff".
std::string packTimeCodeText(const uint8_t* pack);
// Packed-decimal time code bytes (already masked) as "hh:mm:ss:ff", or "--:--:--:--" when a
// digit is out of range.
std::string timeCodeText(uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t frames);

} // namespace vantrel

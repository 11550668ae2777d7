#pragma once
#include "capture/Imgdata.h"
#include "image/RecordingDate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::quobsim {

// A frozen still as the simulated device sends it over SPTP.
struct SptpPicture {
    std::vector<uint8_t> frame; // the DV frame a host rebuilds: sequences of 12000 bytes
    size_t sequences = 0;
    std::vector<uint8_t> data;  // the picture data in the layout, whole blocks of 1920 bytes
    uint8_t layoutByte = 0;
};

// A DV header block: its identifier, the system flag, the track application IDs.
void writeHeaderBlock(uint8_t* block, size_t sequence, bool pal);
struct RecordingPacks {
    DvPack date;
    DvPack time;
};
// The day the simulated tape was shot, 2004-07-18 from 10:20:30 on, at tape position
// `position`: the time of day moves with the tape.
RecordingDate simulatedRecordingDate(int64_t position, int framesPerSecond);
RecordingPacks recordingPacksAt(int64_t position, int framesPerSecond);

// Lays out `sequences` DIF sequences of 12000 bytes (header blocks may be zero) in layout
// `layoutCode` (4, 6 or 7) with the time code pack of the frozen picture and, when given, the
// recording date and time packs in its VAUX. False for an unknown layout.
bool makeSptpPicture(const uint8_t* frame, size_t sequences, int layoutCode,
                     const imgdata::TimeCodePack& pack, SptpPicture& out,
                     const std::optional<RecordingPacks>& recording = std::nullopt);

// The device's own picture: the test pattern showing the time code of `pack`, encoded for
// 525/60 or 625/50, as sequences of 12000 bytes; empty when the DV codec cannot be loaded.
std::vector<uint8_t> patternFrame(bool pal, const imgdata::TimeCodePack& pack);
// The frame of a DVF file, as sequences of 12000 bytes; empty when it cannot be read.
std::vector<uint8_t> dvfFileFrame(const std::string& path, bool& pal);

} // namespace vantrel::quobsim

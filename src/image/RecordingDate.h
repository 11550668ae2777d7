#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// When a frame was shot, as the camera wrote it into the recording date (0x62) and recording
// time (0x63) packs of its VAUX and subcode.
struct RecordingDate {
    int year = 0; // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const RecordingDate&) const = default;
};

constexpr uint8_t recordingDatePackHeader = 0x62;
constexpr uint8_t recordingTimePackHeader = 0x63;
using DvPack = std::array<uint8_t, 5>;

// The first valid recording date pack and the first valid recording time pack found in any
// VAUX or subcode pack place of the frame layout's sequences; nothing when either is missing,
// holds the unset pattern (all 0xFF) or is no real date or time of day.
std::optional<RecordingDate> frameRecordingDate(const uint8_t* frameLayout, int sequences);

// One pack's fields, for a date or time pack in its place; nothing when not valid.
std::optional<RecordingDate> recordingDateOfPack(const DvPack& pack);
std::optional<RecordingDate> recordingTimeOfPack(const DvPack& pack);

// The packs a camera writes for `date` (reserved bits set, as cameras leave them).
DvPack recordingDatePack(const RecordingDate& date);
DvPack recordingTimePack(const RecordingDate& date);
inline constexpr DvPack unsetRecordingDatePack{recordingDatePackHeader, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr DvPack unsetRecordingTimePack{recordingTimePackHeader, 0xFF, 0xFF, 0xFF, 0xFF};

// Where a frame's packs lie, from its start: 15 in each VAUX block, then 6 in each subcode
// block, sequence by sequence.
std::vector<size_t> framePackOffsets(int sequences);
// Writes the two packs into every VAUX block after its source and source-control packs, where
// cameras keep them.
void putRecordingPacks(uint8_t* frame, int sequences, const DvPack& datePack, const DvPack& timePack);

// "2004:07:18 10:20:30", as EXIF dates are written.
std::string exifDateTimeText(const RecordingDate& date);
// "2004-07-18 10:20:30" as the program shows it, or with another separator ('T').
std::string recordingDateText(const RecordingDate& date, char separator = ' ');

} // namespace vantrel

#include "image/DvFrame.h"
#include "image/RecordingDate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace vantrel;

namespace {

std::string shown(const std::optional<RecordingDate>& date)
{
    return date ? recordingDateText(*date) : "none";
}

TEST(RecordingDate, PacksReadUnderTheirReservedBits)
{
    const struct {
        DvPack date;
        DvPack time;
        const char* expected;
    } cases[] = {
        {{0x62, 0xFF, 0xD8, 0xE7, 0x04}, {0x63, 0xFF, 0xB0, 0xA0, 0xD0}, "2004-07-18 10:20:30"},
        {{0x62, 0x00, 0x18, 0x07, 0x04}, {0x63, 0x00, 0x30, 0x20, 0x10}, "2004-07-18 10:20:30"},
        {{0x62, 0xFF, 0x01, 0x01, 0x74}, {0x63, 0xFF, 0x00, 0x00, 0x00}, "2074-01-01 00:00:00"},
        {{0x62, 0xFF, 0x31, 0x12, 0x75}, {0x63, 0xFF, 0x59, 0x59, 0x23}, "1975-12-31 23:59:59"},
        {{0x62, 0xFF, 0x09, 0x12, 0x26}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "2026-12-09 12:00:00"},
        {{0x62, 0xFF, 0x29, 0x02, 0x04}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "2004-02-29 12:00:00"},
        {{0x62, 0xFF, 0x29, 0x02, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // no leap year
        {{0x62, 0xFF, 0x31, 0x04, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // 31 April
        {{0x62, 0xFF, 0x00, 0x04, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // day 0
        {{0x62, 0xFF, 0x01, 0x13, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // month 13
        {{0x62, 0xFF, 0x01, 0x00, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // month 0
        {{0x62, 0xFF, 0x1A, 0x01, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // digit A
        {{0x62, 0xFF, 0x01, 0x01, 0x0A}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"},
        {{0x62, 0xFF, 0x01, 0x01, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x24}, "none"}, // hour 24
        {{0x62, 0xFF, 0x01, 0x01, 0x03}, {0x63, 0xFF, 0x60, 0x00, 0x12}, "none"}, // second 60
        {{0x62, 0xFF, 0x01, 0x01, 0x03}, {0x63, 0xFF, 0x00, 0x60, 0x12}, "none"}, // minute 60
        {unsetRecordingDatePack, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"},
        {{0x62, 0xFF, 0x01, 0x01, 0x03}, unsetRecordingTimePack, "none"},
        {{0x61, 0xFF, 0x01, 0x01, 0x03}, {0x63, 0xFF, 0x00, 0x00, 0x12}, "none"}, // not a date pack
    };
    for (const auto& c : cases) {
        std::optional<RecordingDate> date = recordingDateOfPack(c.date);
        const auto time = recordingTimeOfPack(c.time);
        if (date && time) {
            date->hour = time->hour;
            date->minute = time->minute;
            date->second = time->second;
        } else {
            date.reset();
        }
        EXPECT_EQ(shown(date), c.expected) << int(c.date[2]) << " " << int(c.date[3]) << " " << int(c.date[4]);
    }
    const RecordingDate written{1999, 12, 31, 23, 59, 58};
    EXPECT_EQ(recordingDateOfPack(recordingDatePack(written))->day, 31);
    EXPECT_EQ(recordingTimeOfPack(recordingTimePack(written))->second, 58);
}

// A frame of the system with the packs written at the given pack places (indices into
// framePackOffsets), later places overwriting earlier ones.
std::vector<uint8_t> frameWith(int sequences, const std::vector<std::pair<size_t, DvPack>>& packs)
{
    std::vector<uint8_t> frame(frameLayoutBytes, 0);
    const auto offsets = framePackOffsets(sequences);
    for (const auto& [place, pack] : packs)
        std::memcpy(&frame[offsets.at(place)], pack.data(), pack.size());
    return frame;
}

TEST(RecordingDate, FoundInAnyVauxOrSubcodePackOfAnySequence)
{
    const RecordingDate shot{2004, 7, 18, 10, 20, 30};
    const DvPack date = recordingDatePack(shot);
    const DvPack time = recordingTimePack(shot);
    constexpr size_t perSequence = 45 + 12; // VAUX, then subcode
    const struct {
        const char* what;
        int sequences;
        std::vector<std::pair<size_t, DvPack>> packs;
        const char* expected;
    } cases[] = {
        {"VAUX of sequence 0", 10, {{2, date}, {3, time}}, "2004-07-18 10:20:30"},
        {"subcode only", 10, {{45 + 1, date}, {45 + 7, time}}, "2004-07-18 10:20:30"},
        {"last VAUX pack of the last 625 sequence", 12,
         {{11 * perSequence + 44, date}, {11 * perSequence + 43, time}}, "2004-07-18 10:20:30"},
        {"unset first, real ones later", 10,
         {{2, unsetRecordingDatePack}, {3, unsetRecordingTimePack}, {perSequence + 2, date},
          {perSequence + 3, time}}, "2004-07-18 10:20:30"},
        {"date without time", 10, {{2, date}}, "none"},
        {"only the unset pattern", 10, {{2, unsetRecordingDatePack}, {3, unsetRecordingTimePack}}, "none"},
        {"beyond the 525 frame's sequences", 10, {{10 * perSequence + 2, date}, {10 * perSequence + 3, time}}, "none"},
    };
    for (const auto& c : cases) {
        const auto frame = frameWith(c.sequences == 10 ? 12 : c.sequences, c.packs);
        EXPECT_EQ(shown(frameRecordingDate(frame.data(), c.sequences)), c.expected) << c.what;
    }
    EXPECT_EQ(framePackOffsets(1).at(0), 3u * 80 + 3) << "the first VAUX pack";
    EXPECT_EQ(framePackOffsets(1).at(45), 80u + 6) << "the first subcode pack";
}

} // namespace

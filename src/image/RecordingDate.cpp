#include "RecordingDate.h"

#include "image/DvFrame.h"

#include <cstdio>
#include <cstring>

namespace vantrel {

namespace {

constexpr size_t vauxFirstBlock = 3;
constexpr size_t vauxBlocks = 3;
constexpr size_t vauxPacksPerBlock = 15;
constexpr size_t vauxPackStart = 3;
constexpr size_t packBytes = 5;
constexpr size_t subcodeFirstBlock = 1;
constexpr size_t subcodeBlocks = 2;
constexpr size_t subcodePacksPerBlock = 6;
constexpr size_t subcodePackStart = 6; // after the DIF identifier and the sync block's three
constexpr size_t subcodePackStep = 8;
constexpr size_t cameraDatePack = 2;   // after source (0) and source control (1)

// Two packed decimal digits under `mask`; -1 when a digit is beyond 9.
int decimal(uint8_t byte, uint8_t mask)
{
    const uint8_t value = byte & mask;
    const int tens = value >> 4;
    const int units = value & 0x0F;
    return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

uint8_t packed(int value, uint8_t reserved)
{
    return static_cast<uint8_t>((value / 10) << 4 | value % 10 | reserved);
}

bool isUnset(const DvPack& pack)
{
    return pack[1] == 0xFF && pack[2] == 0xFF && pack[3] == 0xFF && pack[4] == 0xFF;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// DV tapes are not older than 1995: two-digit years up to 74 are of this century.
int fullYear(int twoDigits) { return twoDigits < 75 ? 2000 + twoDigits : 1900 + twoDigits; }

} // namespace

std::optional<RecordingDate> recordingDateOfPack(const DvPack& pack)
{
    if (pack[0] != recordingDatePackHeader || isUnset(pack))
        return std::nullopt;
    const int day = decimal(pack[2], 0x3F);
    const int month = decimal(pack[3], 0x1F);
    const int year = decimal(pack[4], 0xFF);
    if (day < 1 || month < 1 || month > 12 || year < 0)
        return std::nullopt;
    RecordingDate date;
    date.year = fullYear(year);
    date.month = month;
    date.day = day;
    if (day > daysInMonth(date.year, month))
        return std::nullopt;
    return date;
}

std::optional<RecordingDate> recordingTimeOfPack(const DvPack& pack)
{
    if (pack[0] != recordingTimePackHeader || isUnset(pack))
        return std::nullopt;
    RecordingDate time;
    time.second = decimal(pack[2], 0x7F);
    time.minute = decimal(pack[3], 0x7F);
    time.hour = decimal(pack[4], 0x3F);
    if (time.second < 0 || time.second > 59 || time.minute < 0 || time.minute > 59 ||
        time.hour < 0 || time.hour > 23)
        return std::nullopt;
    return time;
}

std::vector<size_t> framePackOffsets(int sequences)
{
    std::vector<size_t> offsets;
    for (int s = 0; s < sequences; ++s) {
        const size_t sequence = static_cast<size_t>(s) * dvSequenceBytes;
        for (size_t b = 0; b < vauxBlocks; ++b)
            for (size_t p = 0; p < vauxPacksPerBlock; ++p)
                offsets.push_back(sequence + (vauxFirstBlock + b) * dvBlockBytes + vauxPackStart +
                                  p * packBytes);
        for (size_t b = 0; b < subcodeBlocks; ++b)
            for (size_t p = 0; p < subcodePacksPerBlock; ++p)
                offsets.push_back(sequence + (subcodeFirstBlock + b) * dvBlockBytes +
                                  subcodePackStart + p * subcodePackStep);
    }
    return offsets;
}

std::optional<RecordingDate> frameRecordingDate(const uint8_t* frameLayout, int sequences)
{
    std::optional<RecordingDate> date;
    std::optional<RecordingDate> time;
    for (const size_t offset : framePackOffsets(sequences)) {
        DvPack pack;
        std::memcpy(pack.data(), frameLayout + offset, pack.size());
        if (!date)
            date = recordingDateOfPack(pack);
        if (!time)
            time = recordingTimeOfPack(pack);
        if (date && time)
            break;
    }
    if (!date || !time)
        return std::nullopt;
    date->hour = time->hour;
    date->minute = time->minute;
    date->second = time->second;
    return date;
}

DvPack recordingDatePack(const RecordingDate& date)
{
    // The first byte is the time zone, left unknown.
    return {recordingDatePackHeader, 0xFF, packed(date.day, 0xC0), packed(date.month, 0xE0),
            packed(date.year % 100, 0)};
}

DvPack recordingTimePack(const RecordingDate& date)
{
    return {recordingTimePackHeader, 0xFF, packed(date.second, 0x80), packed(date.minute, 0x80),
            packed(date.hour, 0xC0)};
}

void putRecordingPacks(uint8_t* frame, int sequences, const DvPack& datePack, const DvPack& timePack)
{
    for (int s = 0; s < sequences; ++s)
        for (size_t b = 0; b < vauxBlocks; ++b) {
            uint8_t* packs = frame + static_cast<size_t>(s) * dvSequenceBytes +
                             (vauxFirstBlock + b) * dvBlockBytes + vauxPackStart;
            std::memcpy(packs + cameraDatePack * packBytes, datePack.data(), packBytes);
            std::memcpy(packs + (cameraDatePack + 1) * packBytes, timePack.data(), packBytes);
        }
}

std::string exifDateTimeText(const RecordingDate& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, date.hour, date.minute, date.second);
    return text;
}

std::string recordingDateText(const RecordingDate& date, char separator)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", date.year, date.month,
                  date.day, separator, date.hour, date.minute, date.second);
    return text;
}

} // namespace vantrel

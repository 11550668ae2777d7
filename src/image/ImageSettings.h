#pragma once
#include <cstdint>
#include <limits>
#include <string>

namespace vantrel {

class CProfile;

// The thirteen image settings, kept in section "Setup" of wyb30.ini.
struct ImageSettings {
    int Format = 0;       // 0 JPEG, 1 bitmap, 2 DVF
    int JpegQ = 75;       // 0 to 100
    int BmpColor = 24;    // 24, 8, 4, 1
    int ImgSize = 1;      // 0 Origin, 1 to 4
    int EncFormat = 0;    // imported pictures: 0 NTSC (525/60), 1 PAL (625/50)
    int IntervalTime = 0; // slide show, seconds
    int IntervalMin = 1;
    int Revision = 1;     // correction when saving: 0 None, 1 Movement, 2 Field
    int FrmNum = 5;
    int FrmInt = 1;
    int ViewRev = 1;      // correction in the viewer and slide show
    int fSqeeze = 0;      // 16:9 import: 0 Squeeze, 1 Letter Box
    int fMskBlk = 0;      // mask colour: 0 Black, 1 White
};

// The values a setting takes; anything else stored is read as the setting's default.
struct SettingValues {
    int low;
    int high;
    bool bitmapDepth = false; // only 24, 8, 4 and 1 within low..high

    constexpr bool holds(int value) const
    {
        if (value < low || value > high)
            return false;
        return !bitmapDepth || value == 24 || value == 8 || value == 4 || value == 1;
    }
};

struct ImageSettingKey {
    const char* key;
    int ImageSettings::*field;
    SettingValues values;
};

inline constexpr const char* imageSettingsSection = "Setup";
inline constexpr int lastSaveFormat = 3; // PNG
inline constexpr int longestSlideInterval = 30;
inline constexpr SettingValues anyInteger{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};

// In record order; their defaults are those of a default-made ImageSettings. FrmNum and
// FrmInt are kept as read: nothing uses them.
inline constexpr ImageSettingKey imageSettingKeys[] = {
    {"Format", &ImageSettings::Format, {0, lastSaveFormat}},
    {"JpegQ", &ImageSettings::JpegQ, {0, 100}},
    {"BmpColor", &ImageSettings::BmpColor, {1, 24, true}},
    {"ImgSize", &ImageSettings::ImgSize, {0, 4}},
    {"EncFormat", &ImageSettings::EncFormat, {0, 1}},
    {"IntervalTime", &ImageSettings::IntervalTime, {0, longestSlideInterval}},
    {"IntervalMin", &ImageSettings::IntervalMin, {0, 1}},
    {"Revision", &ImageSettings::Revision, {0, 2}},
    {"FrmNum", &ImageSettings::FrmNum, anyInteger},
    {"FrmInt", &ImageSettings::FrmInt, anyInteger},
    {"ViewRev", &ImageSettings::ViewRev, {0, 2}},
    {"fSqeeze", &ImageSettings::fSqeeze, {0, 1}},
    {"fMskBlk", &ImageSettings::fMskBlk, {0, 1}},
};

// Every key read as an integer from "Setup"; a missing key, or a value the setting does not
// take, gives its default.
ImageSettings loadImageSettings(const CProfile& profile);
// `value` when the setting takes it, else `fallback`.
int imageSettingOr(int ImageSettings::*field, int value, int fallback);

// The codec's correction mode for a Revision or ViewRev value: Movement 2, Field 1, else 0.
int32_t correctionModeOf(int revision);

// The HTML export's colours from the back colour (0x00BBGGRR, or a system colour with a
// non-zero top byte): background and text as six upper-case hexadecimal digits.
struct HtmlColourPair {
    std::string background;
    std::string text;
};
HtmlColourPair htmlColourPair(uint32_t backColour);
// The index area's colour when "Setup"/"BackColor" is missing (red 32, green 164, blue 191).
constexpr uint32_t defaultBackColour = 12559392;

} // namespace vantrel

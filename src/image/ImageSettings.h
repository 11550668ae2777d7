#pragma once
#include <cstdint>
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

struct ImageSettingKey {
    const char* key;
    int ImageSettings::*field;
};

inline constexpr const char* imageSettingsSection = "Setup";

// In record order; their defaults are those of a default-made ImageSettings.
inline constexpr ImageSettingKey imageSettingKeys[] = {
    {"Format", &ImageSettings::Format},       {"JpegQ", &ImageSettings::JpegQ},
    {"BmpColor", &ImageSettings::BmpColor},   {"ImgSize", &ImageSettings::ImgSize},
    {"EncFormat", &ImageSettings::EncFormat}, {"IntervalTime", &ImageSettings::IntervalTime},
    {"IntervalMin", &ImageSettings::IntervalMin}, {"Revision", &ImageSettings::Revision},
    {"FrmNum", &ImageSettings::FrmNum},       {"FrmInt", &ImageSettings::FrmInt},
    {"ViewRev", &ImageSettings::ViewRev},     {"fSqeeze", &ImageSettings::fSqeeze},
    {"fMskBlk", &ImageSettings::fMskBlk},
};

// Every key read as an integer from "Setup"; a missing key gives its default.
ImageSettings loadImageSettings(const CProfile& profile);

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

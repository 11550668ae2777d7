#include "ImageSettings.h"

#include "image/DvCodec.h"
#include "platform/Profile.h"

#include <cstdio>

namespace vantrel {

ImageSettings loadImageSettings(const CProfile& profile)
{
    ImageSettings settings;
    for (const auto& entry : imageSettingKeys) {
        const int value = profile.intOr(imageSettingsSection, entry.key, settings.*entry.field);
        settings.*entry.field = imageSettingOr(entry.field, value, settings.*entry.field);
    }
    return settings;
}

int imageSettingOr(int ImageSettings::*field, int value, int fallback)
{
    for (const auto& entry : imageSettingKeys)
        if (entry.field == field)
            return entry.values.holds(value) ? value : fallback;
    return fallback;
}

int32_t correctionModeOf(int revision)
{
    if (revision == 1)
        return correctionMovement;
    if (revision == 2)
        return correctionField;
    return correctionNone;
}

HtmlColourPair htmlColourPair(uint32_t backColour)
{
    constexpr uint32_t systemColourMask = 0xFF000000;
    constexpr uint32_t buttonFaceBits = 0x0F;
    if (backColour & systemColourMask) {
        const bool buttonFace = (backColour & buttonFaceBits) == buttonFaceBits;
        return {buttonFace ? "C0C0C0" : "FFFFFF", "000000"};
    }
    const unsigned red = backColour & 0xFF;
    const unsigned green = (backColour >> 8) & 0xFF;
    const unsigned blue = (backColour >> 16) & 0xFF;
    char background[7];
    std::snprintf(background, sizeof background, "%02X%02X%02X", red, green, blue);
    const bool light = (red + green + blue) / 3 > 127;
    return {background, light ? "000000" : "FFFFFF"};
}

} // namespace vantrel

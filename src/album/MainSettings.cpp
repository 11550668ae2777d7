#include "MainSettings.h"

#include <cstdlib>

namespace vantrel {

MainSettings readMainSettings(const CProfile& profile, const std::string& folder, int slowTimer)
{
    std::string text;
    auto readPath = [&](const char* key) {
        return profile.ReadString("Directories", key, text) && !text.empty() ? text : folder;
    };
    MainSettings settings;
    settings.albumPath = readPath("Album");
    settings.imagePath = readPath("Image");
    settings.htmlPath = readPath("HTML");
    if (profile.ReadString("Setup", "BackColor", text) && !text.empty())
        settings.backColor = static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
    settings.slowTimer = profile.intOr("Setup", "SlowTimer", slowTimer);
    settings.image = loadImageSettings(profile);
    const int encodeFormat = profile.intOr("Setup", "EncodeFormat", 0);
    settings.image.EncFormat = imageSettingOr(&ImageSettings::EncFormat, encodeFormat, 0);
    return settings;
}

void writeMainSettings(CProfile& profile, const MainSettings& settings)
{
    profile.WriteString("Directories", "Album", settings.albumPath);
    profile.WriteString("Directories", "Image", settings.imagePath);
    profile.WriteString("Directories", "HTML", settings.htmlPath);
    profile.WriteInt("Setup", "SlowTimer", settings.slowTimer);
    profile.WriteInt("Setup", "EncodeFormat", settings.image.EncFormat);
    if (settings.backColor)
        profile.WriteString("Setup", "BackColor", std::to_string(*settings.backColor));
}

} // namespace vantrel

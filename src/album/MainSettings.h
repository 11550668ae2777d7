#pragma once
#include "image/ImageSettings.h"
#include "platform/Profile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

// What the main window keeps in the settings file: the last album, image and HTML folders,
// the index colour, the controller's slow-play timer and the image settings (of which it
// writes only the encode format; the settings window writes the rest).
struct MainSettings {
    std::string albumPath;
    std::string imagePath;
    std::string htmlPath;
    std::optional<uint32_t> backColor; // none when the file holds none
    int slowTimer = 0;
    ImageSettings image;
};

// The stored settings; a folder not stored is `folder`, a timer not stored is `slowTimer`.
MainSettings readMainSettings(const CProfile& profile, const std::string& folder, int slowTimer);
void writeMainSettings(CProfile& profile, const MainSettings& settings);

} // namespace vantrel

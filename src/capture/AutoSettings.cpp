#include "capture/AutoSettings.h"

#include "platform/Profile.h"

namespace vantrel {

namespace {

constexpr const char* section = "AUTO";
constexpr int shortestSeconds = 30;

struct AutoKey {
    const char* key;
    int32_t AutoSettings::*field;
};

// In the order they are written.
constexpr AutoKey autoKeys[] = {
    {"MODE", &AutoSettings::mode},
    {"TIMECODE", &AutoSettings::target},
    {"INTERVAL", &AutoSettings::interval},
    {"NUM_PICT", &AutoSettings::pictureCount},
};

} // namespace

AutoSettings loadAutoSettings(const CProfile& profile)
{
    AutoSettings settings;
    for (const AutoKey& key : autoKeys)
        settings.*key.field = profile.intOr(section, key.key, settings.*key.field);
    return settings;
}

bool saveAutoSettings(CProfile& profile, const AutoSettings& settings)
{
    bool written = true;
    for (const AutoKey& key : autoKeys)
        written = profile.WriteInt(section, key.key, settings.*key.field) && written;
    return written;
}

int32_t framesOf(int hours, int minutes, int seconds, int frames, int framesPerSecond)
{
    return ((hours * 3600 + minutes * 60 + seconds) * framesPerSecond) + frames;
}

bool pausedOrPlaying(uint8_t state)
{
    const int kind = state & 0x0F;
    return kind == 5 || kind == 6;
}

ExecuteRule executeRule(int mode, uint8_t state, int32_t timeCode, int32_t target, int framesPerSecond)
{
    if (!pausedOrPlaying(state))
        return ExecuteRule::Disabled;
    const int32_t shortest = shortestSeconds * framesPerSecond;
    switch (mode) {
    case AutoSettings::TimeCode:
        return target >= shortest ? ExecuteRule::Enabled : ExecuteRule::Disabled;
    case AutoSettings::Interval:
        return timeCode >= shortest ? ExecuteRule::Enabled : ExecuteRule::Disabled;
    default:
        return ExecuteRule::Unchanged;
    }
}

} // namespace vantrel

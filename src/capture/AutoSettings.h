#pragma once
#include <cstdint>

namespace vantrel {

class CProfile;

// The settings of an automatic capture: one picture at a time code, or a series of pictures
// at a fixed interval. Time codes and the interval are frame counts at the device's rate.
struct AutoSettings {
    enum Mode : int { TimeCode = 0, Interval = 1 };

    int32_t mode = Interval;
    int32_t target = 1500;
    int32_t interval = 1500;
    int32_t pictureCount = 5;
    int32_t spare = 0;
    int32_t leadIn = 20; // seconds before a target from which the tape plays at normal speed
    int32_t runUp = 5;   // seconds before a target where the final approach starts
};

// Section "AUTO" of wyb30.ini; a missing key keeps the default.
AutoSettings loadAutoSettings(const CProfile& profile);
// Writes MODE, TIMECODE, INTERVAL and NUM_PICT in that order; false when a write failed.
bool saveAutoSettings(CProfile& profile, const AutoSettings& settings);

// A time code in frames from its fields.
int32_t framesOf(int hours, int minutes, int seconds, int frames, int framesPerSecond);

// Whether Execute may start a run in `mode`: only with the tape paused or playing, and then
// for a target (time-code mode) or a tape position (interval mode) of at least 00:00:30:00.
enum class ExecuteRule { Disabled, Enabled, Unchanged };
ExecuteRule executeRule(int mode, uint8_t state, int32_t timeCode, int32_t target, int framesPerSecond);
// Paused or playing: the low nibble of the state code is 5 or 6.
bool pausedOrPlaying(uint8_t state);

} // namespace vantrel

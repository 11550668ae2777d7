#pragma once
#include "Line.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vantrel::quobsim {

enum class Motion {
    Stop,
    Pause,
    Play,
    ReversePlay,
    FastForward,
    Rewind,
    SlowForward,
    SlowReverse,
    SearchForward,
    SearchReverse,
};

// How the tape moves in each motion and how the device reports it: the state nibble of the
// status answer and the first bytes of the variable-speed answer (direction code, speed as
// whole and 1/256 parts).
struct MotionRow {
    Motion motion;
    const char* name;
    uint8_t stateNibble;
    double speed; // tape speed as a multiple of normal play
    uint8_t variableCode;
    uint8_t speedWhole;
    uint8_t speedFraction;
};

constexpr MotionRow motionTable[] = {
    {Motion::Stop, "stop", 1, 0.0, 0x60, 0, 0},
    {Motion::Pause, "pause", 5, 0.0, 0x65, 0, 0},
    {Motion::Play, "play", 6, 1.0, 0x75, 1, 0},
    {Motion::ReversePlay, "revplay", 7, -1.0, 0x67, 1, 0},
    {Motion::FastForward, "ff", 2, 24.0, 0x62, 0, 0},
    {Motion::Rewind, "rew", 3, -24.0, 0x63, 0, 0},
    {Motion::SlowForward, "slow", 6, 0.2, 0x77, 0, 51},
    {Motion::SlowReverse, "slowrev", 7, -0.2, 0x67, 0, 51},
    {Motion::SearchForward, "search", 6, 9.0, 0x77, 9, 0},
    {Motion::SearchReverse, "searchrev", 7, -9.0, 0x67, 9, 0},
};

const MotionRow& motionRow(Motion motion);

// A cassette in the transport: a position in frames that moves with the motion in real time
// and stops at either end of the tape.
class Tape {
public:
    explicit Tape(int framesPerSecond = 30, int64_t position = 0);

    void setMotion(Motion motion, Clock::time_point now);
    Motion motion(Clock::time_point now);
    int64_t position(Clock::time_point now);
    void setPosition(int64_t frames, Clock::time_point now);
    // Moves one frame and leaves the tape paused.
    void step(bool forward, Clock::time_point now);
    // A tape of `frames` frames from position 0, as a recorded file is.
    void setLength(int64_t frames);
    // The time code reported at `position`: the recorded one where there is one, else the
    // position itself.
    int64_t timeCodeAt(int64_t position) const;

    // Data bytes 4 to 9 of a status answer: state nibble, system flag, time code.
    std::array<uint8_t, 6> statusData(Clock::time_point now);
    // The frame a freeze holds. In play the transport settles six frames past the position it
    // last reported, the frame a host stamps for a picture frozen during play.
    int64_t frozenPosition(Clock::time_point now);

    int framesPerSecond;
    bool hasTimeCode = true;
    int64_t beginning; // first frame on the tape (may lie before 00:00:00:00)
    int64_t end;       // last frame
    // The time code recorded at a position, when the tape reports recorded time codes.
    std::function<std::optional<int64_t>(int64_t)> recordedTimeCode;

private:
    void advance(Clock::time_point now);

    Motion motion_ = Motion::Stop;
    double exact_ = 0;
    std::optional<int64_t> reported_;
    Clock::time_point since_{};
};

} // namespace vantrel::quobsim

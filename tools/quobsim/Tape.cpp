#include "Tape.h"

#include <algorithm>
#include <cmath>

namespace vantrel::quobsim {

namespace {
constexpr int64_t tapeMinutes = 80;
constexpr uint8_t sixBits = 0x3F;
constexpr uint8_t flagBit = 0x40;
constexpr int64_t playFreezeLead = 6;
} // namespace

const MotionRow& motionRow(Motion motion)
{
    for (const auto& row : motionTable)
        if (row.motion == motion)
            return row;
    return motionTable[0];
}

Tape::Tape(int fps, int64_t position)
    : framesPerSecond(fps), beginning(0), end(tapeMinutes * 60 * fps), exact_(double(position))
{
    if (position < beginning)
        beginning = position;
}

void Tape::advance(Clock::time_point now)
{
    const double seconds = std::chrono::duration<double>(now - since_).count();
    since_ = now;
    const double speed = motionRow(motion_).speed;
    if (speed == 0.0 || seconds <= 0)
        return;
    exact_ += speed * framesPerSecond * seconds;
    if (exact_ <= double(beginning)) {
        exact_ = double(beginning);
        motion_ = Motion::Stop;
    } else if (exact_ >= double(end)) {
        exact_ = double(end);
        motion_ = Motion::Stop;
    }
}

void Tape::setMotion(Motion motion, Clock::time_point now)
{
    advance(now);
    motion_ = motion;
}

Motion Tape::motion(Clock::time_point now)
{
    advance(now);
    return motion_;
}

int64_t Tape::position(Clock::time_point now)
{
    advance(now);
    return static_cast<int64_t>(std::floor(exact_));
}

void Tape::setPosition(int64_t frames, Clock::time_point now)
{
    advance(now);
    if (frames < beginning)
        beginning = frames;
    exact_ = double(frames);
}

void Tape::step(bool forward, Clock::time_point now)
{
    const int64_t frame = position(now) + (forward ? 1 : -1);
    exact_ = double(std::clamp(frame, beginning, end));
    motion_ = Motion::Pause;
}

void Tape::setLength(int64_t frames)
{
    beginning = 0;
    end = std::max<int64_t>(0, frames - 1);
    exact_ = std::clamp(exact_, double(beginning), double(end));
}

int64_t Tape::timeCodeAt(int64_t frame) const
{
    if (recordedTimeCode)
        if (const auto recorded = recordedTimeCode(frame))
            return *recorded;
    return frame;
}

std::array<uint8_t, 6> Tape::statusData(Clock::time_point now)
{
    reported_ = position(now);
    const int64_t frames = timeCodeAt(*reported_);
    const int64_t magnitude = frames < 0 ? -frames : frames;
    const int64_t fps = framesPerSecond;
    const auto hours = static_cast<uint8_t>((magnitude / (fps * 3600)) & sixBits);
    const auto minutes = static_cast<uint8_t>((magnitude / (fps * 60)) % 60);
    const auto seconds = static_cast<uint8_t>((magnitude / fps) % 60);
    const auto frame = static_cast<uint8_t>(magnitude % fps);
    return {
        motionRow(motion_).stateNibble,
        static_cast<uint8_t>(framesPerSecond == 25 ? flagBit : 0),
        hours,
        static_cast<uint8_t>(minutes | (frames < 0 ? flagBit : 0)),
        static_cast<uint8_t>(seconds | (hasTimeCode ? 0 : flagBit)),
        frame,
    };
}

int64_t Tape::frozenPosition(Clock::time_point now)
{
    const int64_t here = position(now);
    if (motion_ != Motion::Play || !reported_)
        return here;
    return std::clamp(std::max(here, *reported_ + playFreezeLead), beginning, end);
}

} // namespace vantrel::quobsim

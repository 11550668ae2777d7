#include "capture/AutoRun.h"

#include "capture/CaptureCommands.h"
#include "capture/CaptureWindows.h"
#include "capture/Quobcpt.h"
#include "link/Defvtrcmd.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QThread>

namespace vantrel {

namespace {

constexpr int32_t absurdTimeCode = 2700000; // 25 hours at 30 frames a second
constexpr int32_t stableFrames = 100;       // a larger jump between steps is not trusted yet
constexpr int32_t captureLead = 6;          // frames before the target where the capture starts
constexpr uint32_t afterSearchMs = 100;
constexpr uint32_t afterReverseSearchMs = 500;
constexpr int landingSteps = 30;
constexpr uint32_t playUpToPollMs = 10;
constexpr uint32_t playUpToLimitMs = 5000; // the tape plays toward the target from six frames

// Marks a step in progress: the commands of a step decode statuses, which must not step again.
class SteppingGuard {
public:
    explicit SteppingGuard(bool& stepping) : stepping_(stepping) { stepping_ = true; }
    ~SteppingGuard() { stepping_ = false; }
    SteppingGuard(const SteppingGuard&) = delete;
    SteppingGuard& operator=(const SteppingGuard&) = delete;

private:
    bool& stepping_;
};

} // namespace

bool pictureDelivered(int outcome)
{
    return (outcome & 0xF0) == 0 && outcome != CaptureOutcome::Stopped;
}

AutoRun::AutoRun(QuobVtr& vtr, AutoRunHost& host) : vtr_(vtr), host_(host) {}

AutoRun::~AutoRun()
{
    if (vtr_.autoCapture == this) {
        vtr_.autoRunStarted = 0;
        vtr_.autoCapture = nullptr;
    }
}

void AutoRun::begin(const AutoSettings& settings, int framesPerSecond)
{
    settings_ = settings;
    framesPerSecond_ = framesPerSecond;
    vtr_.autoPicturesTaken = 0;
    vtr_.autoApproach = 0;
    vtr_.autoPreviousTimeCode = vtr_.timeCode.load();
    host_.abortFlag() = false;
    if (settings_.mode == AutoSettings::TimeCode) {
        firstMove(settings_.target);
        return;
    }
    // The first picture of a series is the one where the tape stands now.
    vtr_.autoBasePosition = vtr_.timeCode.load();
    if (pausedOrPlaying(vtr_.state) && host_.sendTransport(VtrState::SearchReverse))
        noteState(VtrState::SearchReverse);
}

void AutoRun::activate()
{
    vtr_.autoCapture = this;
    vtr_.autoRunStarted = 1;
}

// Compared without sign, as the move always did: a target less than the lead-in from zero
// searches forward.
void AutoRun::firstMove(int32_t target)
{
    if (!pausedOrPlaying(vtr_.state))
        return;
    const auto now = static_cast<uint32_t>(vtr_.timeCode.load());
    const auto lead = static_cast<uint32_t>(settings_.leadIn * framesPerSecond_);
    const auto runUp = static_cast<uint32_t>(settings_.runUp * framesPerSecond_);
    const auto to = static_cast<uint32_t>(target);
    uint8_t code = VtrState::Play;
    if (to - lead > now)
        code = VtrState::SearchForward;
    else if (to - runUp < now)
        code = VtrState::SearchReverse;
    if (host_.sendTransport(code))
        noteState(code);
}

// The status tells play, search and slow apart only through the variable-speed sense, which
// comes many polls later; a command the device has taken tells it at once. The notice goes
// out now: the poll after a step may already bring the next move, and a light shown only
// after it would never be seen.
void AutoRun::noteState(uint8_t code)
{
    if (vtr_.state == code)
        return;
    vtr_.state = code;
    vtr_.stateChanged = 1;
    vtr_.notifyWindow.post(Msg::StatusChanged);
}

bool AutoRun::command(uint8_t code, uint32_t settleMs)
{
    if (!vtr_.SetState(code, true))
        return false;
    noteState(code);
    Delay(settleMs);
    return true;
}

bool AutoRun::onPollThread() const
{
    return vtr_.pollThread && QThread::currentThread() == vtr_.pollThread.get();
}

void AutoRun::step(QuobVtr&)
{
    // Only the poll thread steps, and never inside its own step's commands.
    if (stepping_ || !onPollThread())
        return;
    SteppingGuard guard(stepping_);
    if (host_.abortFlag()) {
        end();
        return;
    }
    if (!host_.waitShowing()) {
        host_.showWait();
        serviceEvents();
    }
    if (settings_.mode == AutoSettings::TimeCode) {
        if (approach(settings_.target) && active())
            end();
    } else if (settings_.mode == AutoSettings::Interval) {
        intervalStep();
    }
}

void AutoRun::intervalStep()
{
    const int taken = vtr_.autoPicturesTaken;
    const int32_t base = vtr_.autoBasePosition;
    if (!approach(base + settings_.interval * taken) || !active())
        return;
    vtr_.autoPicturesTaken = taken + 1;
    if (taken + 1 >= settings_.pictureCount) {
        end();
        return;
    }
    firstMove(base + settings_.interval * (taken + 1));
    vtr_.autoApproach = 0;
}

// The device went off: its status no longer decodes, so no step would come to end the run.
void AutoRun::stop(QuobVtr&)
{
    if (stepping_ || !onPollThread()) {
        host_.abortFlag() = true;
        return;
    }
    SteppingGuard guard(stepping_);
    end();
}

bool AutoRun::approach(int32_t target)
{
    const int32_t now = vtr_.timeCode;
    const int32_t fps = vtr_.framesPerSecond;
    const int32_t lead = settings_.leadIn * fps;
    const int32_t runUp = settings_.runUp * fps;
    const uint8_t state = vtr_.state;
    if (state == VtrState::Stop || !vtr_.power) {
        host_.abortFlag() = true; // the next step ends the run
        return false;
    }
    if (now > absurdTimeCode)
        return false;
    const int32_t previous = vtr_.autoPreviousTimeCode;
    vtr_.autoPreviousTimeCode = now;
    if (now < previous - stableFrames || now > previous + stableFrames)
        return false;
    const bool armed = vtr_.autoApproach != 0;
    switch (state) {
    case VtrState::SearchForward:
        if (!armed && target - lead <= now)
            arm(afterSearchMs);
        return false;
    case VtrState::SearchReverse:
        if (!armed && target - runUp >= now)
            arm(afterReverseSearchMs);
        return false;
    case VtrState::Play:
        return approachInPlay(target, now, lead, runUp);
    default:
        return false;
    }
}

// Play for the final approach: a capture happens only while armed.
void AutoRun::arm(uint32_t settleMs)
{
    if (command(VtrState::Play, settleMs))
        vtr_.autoApproach = 1;
}

bool AutoRun::approachInPlay(int32_t target, int32_t now, int32_t lead, int32_t runUp)
{
    const bool armed = vtr_.autoApproach != 0;
    if (!armed && target - lead > now) {
        command(VtrState::SearchForward, afterSearchMs);
        vtr_.autoApproach = 0;
        return false;
    }
    if (!armed && target - runUp < now) {
        command(VtrState::SearchReverse, afterSearchMs);
        vtr_.autoApproach = 0;
        return false;
    }
    if (!armed || now < target - captureLead)
        return false;
    vtr_.autoApproach = 0;
    return captureAt(target);
}

bool AutoRun::captureAt(int32_t target)
{
    if (!landOn(target) && !playUpTo(target)) {
        end();
        return false;
    }
    if (!host_.capture()) {
        end();
        return false;
    }
    if (host_.pictureCount() >= albumMaxPictures) {
        end();
        return true;
    }
    const bool morePictures = settings_.mode == AutoSettings::Interval
                              && vtr_.autoPicturesTaken + 1 < settings_.pictureCount;
    if (morePictures)
        command(VtrState::Play, 0);
    return true;
}

// The status comes a few frames apart while the tape plays, so the capture point is reached
// from a pause: frame steps put the tape on the target itself, and a still picture carries
// the time code it stands at.
bool AutoRun::landOn(int32_t target)
{
    if (!vtr_.SetState(VtrState::Pause, true))
        return false;
    noteState(VtrState::Pause);
    if (!vtr_.Poll())
        return false;
    for (int steps = 0; steps < landingSteps && vtr_.timeCode != target; ++steps)
        if (!vtr_.Step(vtr_.timeCode < target))
            return false;
    return vtr_.timeCode == target;
}

// A device that refuses the pause or the frame step is caught in play instead, as an approach
// without a pause is: a picture taken in play is stamped six frames on, so the capture waits
// for a status of the moving tape six frames before the target or later.
bool AutoRun::playUpTo(int32_t target)
{
    const int32_t stoodAt = vtr_.timeCode;
    if (!command(VtrState::Play, 0))
        return false;
    const uint32_t start = tickCount();
    while (ticksSince(start) < playUpToLimitMs) {
        if (host_.abortFlag())
            return false;
        const bool moved = vtr_.Poll() && vtr_.timeCode > stoodAt;
        if (moved && vtr_.timeCode >= target - captureLead)
            return true;
        Delay(playUpToPollMs);
    }
    return false;
}

// The counters are cleared before the run shows as ended, so whoever sees it ended sees them
// cleared; the stop and the wait's close follow.
void AutoRun::end()
{
    vtr_.autoPicturesTaken = 0;
    vtr_.autoApproach = 0;
    vtr_.autoRunStarted = 0;
    if (vtr_.SetState(VtrState::Stop, true))
        noteState(VtrState::Stop);
    host_.abortFlag() = false;
    host_.closeWait();
}

bool PlainAutoHost::sendTransport(uint8_t code)
{
    return vtr_.SetState(code, false);
}

bool PlainAutoHost::capture()
{
    cpt_.SetId(vtr_.deviceId);
    lastOutcome = cpt_.Capture();
    return pictureDelivered(lastOutcome);
}

int PlainAutoHost::pictureCount()
{
    return cpt_.album ? cpt_.album->pictureCount() : 0;
}

} // namespace vantrel

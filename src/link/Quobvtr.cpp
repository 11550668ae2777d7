#include "Quobvtr.h"

#include "link/Defvtrcmd.h"
#include "link/LinkFlags.h"
#include "platform/Sync.h"
#include "platform/Ticks.h"

#include <QThread>

#include <cstdio>

namespace vantrel {

namespace {

constexpr uint8_t pendingBit = 0x40;
constexpr uint8_t flagBit = 0x40;
constexpr uint8_t sixBits = 0x3F;
constexpr int refused = 1;
constexpr int notAvailable = 5;

struct SpeedDirection {
    uint8_t code;
    uint8_t search;
    uint8_t slow;
    uint8_t normal;
};

// Variable-speed answers: direction code and the states it gives.
constexpr SpeedDirection speedDirections[] = {
    {0x77, VtrState::SearchForward, VtrState::SlowForward, VtrState::Play},
    {0x67, VtrState::SearchReverse, VtrState::SlowReverse, VtrState::ReversePlay},
};

bool isVariableSpeedNibble(uint8_t nibble)
{
    return nibble == VtrState::Play || nibble == VtrState::ReversePlay;
}

} // namespace

LinkFlags& linkFlags()
{
    static LinkFlags flags;
    return flags;
}

CommandLockGuard::CommandLockGuard(uint32_t waitMs)
{
    const uint32_t start = tickCount();
    while (!(owns_ = linkFlags().tryTakeCommandLock()) && ticksSince(start) < waitMs)
        Delay(1);
}

CommandLockGuard::~CommandLockGuard()
{
    if (owns_)
        linkFlags().releaseCommandLock();
}

QuobVtr::QuobVtr(CQuobIO& packetObject) : io(packetObject)
{
    setTimeCodeText(false, 0, 0, 0, 0);
}

QuobVtr::~QuobVtr()
{
    StopPolling();
}

void QuobVtr::SetNotifyWindow(QObject* window)
{
    notifyWindow.set(window);
}

bool QuobVtr::SetId(int id)
{
    if (!isDeviceId(id))
        return false;
    deviceId = id;
    return true;
}

void QuobVtr::StartPolling()
{
    LinkFlags& flags = linkFlags();
    if (flags.pollRunning || stopsWaiting_ > 0)
        return;
    pollThread.reset();
    // Cleared here, not in the thread, so a stop asked right after the start is not lost.
    flags.pollStopRequest = false;
    flags.pollRunning = true;
    pollThread = std::make_unique<DefVtrCmd>(*this);
    pollThread->start();
}

void QuobVtr::StopPolling()
{
    LinkFlags& flags = linkFlags();
    if (!pollThread)
        return;
    flags.pollStopRequest = true;
    if (QThread::currentThread() == pollThread.get())
        return; // asked from the poll thread itself (an automatic-capture step): it ends on return
    // The wait serves events, so a handler may stop polling again inside it: only the
    // outermost stop lets the thread object go.
    ++stopsWaiting_;
    waitForThread(pollThread.get());
    if (--stopsWaiting_ > 0)
        return;
    pollThread.reset();
    flags.pollRunning = false;
}

void QuobVtr::noteLineLost()
{
    if (AutoCaptureHook* hook = runningAutoCapture())
        hook->stop(*this);
    power = 0;
    powerChanged = 1;
    state = VtrState::Unknown;
    stateChanged = 1;
    notifyWindow.post(Msg::StatusChanged);
}

bool QuobVtr::Poll()
{
    CQuobIO::LineGuard guard(io);
    if (!guard.owns())
        return false; // the line is in use: this poll is left out
    io.SetCommand(deviceId, QuobCmd::StatusSense);
    // A garbled answer is zeroed; decoding it would report stop at 00:00:00:00.
    if (io.Transact() != QuobResult::Ok || io.completionCode() == notAvailable) {
        idle = 1;
        return false;
    }
    DecodeStatus();
    return true;
}

bool QuobVtr::DecodeStatus()
{
    QuobPacket send;
    QuobPacket answer;
    io.copyBuffers(send, answer);
    if (answer[3] & pendingBit) {
        idle = 0;
    } else {
        const uint8_t nibble = answer[4] & 0x0F;
        rawState = nibble;
        if (isVariableSpeedNibble(nibble)) {
            variableSpeed = 1;
        } else {
            if (nibble != state) {
                state = nibble;
                stateChanged = 1;
            }
            variableSpeed = 0;
            if (nibble == VtrState::Stop)
                idle = 1;
        }
    }
    if (answer[8] & flagBit)
        return false; // the device has no time code here
    const bool moved = decodeTimeCode(answer);
    if (AutoCaptureHook* hook = runningAutoCapture())
        hook->step(*this);
    return moved;
}

bool QuobVtr::decodeTimeCode(const QuobPacket& answer)
{
    const int fps = framesPerSecondOfStatus(answer[5]);
    framesPerSecond = fps;
    const int hours = answer[6] & sixBits;
    const int minutes = answer[7] & sixBits;
    const int seconds = answer[8] & sixBits;
    const int frames = answer[9] & sixBits;
    const bool negative = (answer[7] & flagBit) != 0;
    const int magnitude = hours * fps * 3600 + minutes * fps * 60 + seconds * fps + frames;
    const int position = negative ? -magnitude : magnitude;
    if (position == timeCode) {
        idle = 1;
        return false;
    }
    if (!power) { // a moving time code means the device is on
        power = 1;
        powerChanged = 1;
    }
    timeCode = position;
    setTimeCodeText(negative, hours, minutes, seconds, frames);
    timeCodeChanged = 1;
    return true;
}

void QuobVtr::setTimeCodeText(bool negative, int hours, int minutes, int seconds, int frames)
{
    std::lock_guard lock(textMutex_);
    std::snprintf(timeCodeText_.data(), timeCodeText_.size(), "%c%02d:%02d:%02d:%02d",
                  negative ? '-' : ' ', hours, minutes, seconds, frames);
}

std::string QuobVtr::timeCodeText() const
{
    std::lock_guard lock(textMutex_);
    return timeCodeText_.data();
}

bool QuobVtr::SetState(uint8_t code, bool wait)
{
    const TransportCommand* row = transportCommandFor(code);
    if (!row)
        return false;
    CommandLockGuard lock;
    if (!lock.owns())
        return false;
    {
        CQuobIO::LineGuard guard(io);
        io.SetCommand(deviceId, row->command);
        if (!guard.owns() || !io.Command(5))
            return false;
        DecodeStatus();
    }
    return !wait || waitUntilSettled();
}

// Status senses until the pending bit is clear; the 202nd is not looked at.
bool QuobVtr::waitUntilSettled()
{
    for (int exchanges = 1;; ++exchanges) {
        CQuobIO::LineGuard guard(io);
        io.SetCommand(deviceId, QuobCmd::StatusSense);
        if (io.Transact() != QuobResult::Ok || exchanges >= settleExchangeLimit)
            return false;
        if (!io.answerPending())
            return true;
    }
}

bool QuobVtr::Step(bool forward)
{
    CommandLockGuard lock;
    if (!lock.owns())
        return false;
    CQuobIO::LineGuard guard(io);
    io.SetCommand(deviceId, forward ? QuobCmd::StepForward : QuobCmd::StepReverse);
    if (io.Transact() != QuobResult::Ok || io.completionCode() == refused)
        return false;
    DecodeStatus();
    return true;
}

bool QuobVtr::ExtendedSense()
{
    variableSpeed = 0;
    const uint8_t nibble = rawState;
    if (!isVariableSpeedNibble(nibble))
        return false;
    CQuobIO::LineGuard guard(io);
    io.SetCommand(deviceId, QuobCmd::VariableSpeedSense);
    if (!io.Command(5))
        return false;
    const uint8_t direction = io.answerData(4);
    const uint8_t high = io.answerData(5);
    const uint8_t whole = io.answerData(6);
    const uint8_t fraction = io.answerData(7);
    uint8_t decided = VtrState::Play;
    if (direction != 0x75) {
        const SpeedDirection* row = nullptr;
        for (const auto& candidate : speedDirections)
            if (candidate.code == direction)
                row = &candidate;
        if (!row)
            return false;
        if (high > 0 || whole > 1)
            decided = row->search;
        else if (whole == 0)
            decided = row->slow;
        else if (fraction == 0)
            decided = row->normal;
        else
            decided = nibble;
    }
    if (decided != state) {
        state = decided;
        stateChanged = 1;
    }
    return true;
}

bool QuobVtr::PowerSense()
{
    idle = 0;
    uint8_t sensed = 0;
    {
        CQuobIO::LineGuard guard(io);
        io.SetCommand(deviceId, QuobCmd::PowerSense);
        if (io.Command(5))
            sensed = io.answerData(4) & 0x01;
    }
    if (sensed != power) {
        power = sensed;
        powerChanged = 1;
        AutoCaptureHook* hook = runningAutoCapture();
        if (!sensed && hook)
            hook->stop(*this);
    }
    return true;
}

} // namespace vantrel

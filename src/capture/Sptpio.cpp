#include "capture/Sptpio.h"

#include "link/Quobio.h"
#include "platform/Ticks.h"

namespace vantrel {

namespace {

// A command that got no valid answer holds the next one back this long.
constexpr uint32_t SpacingMs = 2000;
constexpr uint32_t BusySliceMs = 1;

} // namespace

void CSptpIO::waitWhileBusy() const
{
    while (busy.load())
        Delay(BusySliceMs);
}

void CSptpIO::takeBusy()
{
    while (busy.exchange(1))
        Delay(BusySliceMs);
}

void CSptpIO::Build(int id, const sptp::Command& command)
{
    waitWhileBusy();
    // An ID that does not fit the frame's byte is stored as 0, which Send refuses.
    const uint8_t idByte = id >= 0 && id <= 0xFF ? static_cast<uint8_t>(id) : 0;
    frameLength = static_cast<uint8_t>(sptp::buildFrame(idByte, command, frame.data()));
}

int CSptpIO::Send()
{
    const uint8_t id = frame[2];
    if (!isDeviceId(id))
        return lastResult = SptpResult::BadId;
    CQuobIO::LineGuard guard(port_);
    if (!guard.owns())
        return lastResult = SptpResult::Busy;
    takeBusy();
    lastResult = exchange();
    busy = 0;
    return lastResult;
}

int CSptpIO::exchange()
{
    if (port_.lineLost())
        return SptpResult::LineLost;
    if (lastSendTime != 0) {
        const uint32_t since = ticksSince(lastSendTime);
        if (since < SpacingMs)
            Delay(SpacingMs - since);
    }
    lastSendTime = tickCount();
    if (!port_.Write(frame.data(), frameLength))
        return port_.lineLost() ? SptpResult::LineLost : SptpResult::WriteFailed;
    if (!sptp::expectsAnswer(frame[6])) {
        lastSendTime = 0;
        return SptpResult::Ok;
    }
    if (!port_.ReadExact(answer.data(), answer.size())) {
        answer.fill(0);
        return port_.lineLost() ? SptpResult::LineLost : SptpResult::NoAnswer;
    }
    lastSendTime = 0;
    if (!sptp::answerStartsRight(answer.data(), frame[2])) {
        answer.fill(0);
        return SptpResult::BadStart;
    }
    return SptpResult::Ok;
}

bool CSptpIO::SendTries(int tries)
{
    for (int i = 0; i < tries; ++i) {
        const int result = Send();
        if (result == SptpResult::Ok && sptp::answerAccepts(answer.data()))
            return true;
        if (result == SptpResult::LineLost)
            return false;
    }
    return false;
}

} // namespace vantrel

#include "capture/Cptth.h"

#include "capture/CaptureWindows.h"
#include "capture/Quobcpt.h"
#include "link/Quobio.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

namespace vantrel {

namespace {

constexpr int StartTries = 3;
constexpr int FirstBlockTimeoutMs = 5000;
constexpr int NextBlockTimeoutMs = 4000;
constexpr int IdleTimeoutMs = 2000;
constexpr uint32_t AnnouncedPauseMs = 1000;

} // namespace

CaptTh::CaptTh(QuobCpt& capture) : capture_(capture)
{
    start();
}

CaptTh::~CaptTh()
{
    wait();
}

void CaptTh::run()
{
    // Reads only while the capture that started this thread owns the line.
    CQuobIO::LineBorrow borrow(capture_.io);
    capture_.transferResult = borrow.owns() && Execute() ? 1 : 0;
    capture_.captureDone.set();
}

bool CaptTh::Execute()
{
    capture_.sptpIO.Build(capture_.deviceId, sptp::Cmd::Start);
    if (!capture_.sptpIO.SendTries(StartTries))
        return false;
    capture_.io.SetTimeouts(FirstBlockTimeoutMs);
    capture_.sendToWait(Msg::WaitStopEnabled, 1);
    serviceEvents();
    // The start command makes the device send the first block unasked.
    capture_.firstBlockRequested = 1;
    const bool received = receivePicture();
    capture_.io.SetTimeouts(IdleTimeoutMs);
    capture_.io.Purge();
    return received;
}

bool CaptTh::receivePicture()
{
    for (;;) {
        if (!capture_.ReceiveBlock())
            return false;
        sendProgress();
        if (capture_.endByte == sptp::LastBlock)
            return finishPicture();
        if (stopRequested())
            return false;
        capture_.io.SetTimeouts(NextBlockTimeoutMs);
    }
}

bool CaptTh::finishPicture()
{
    if (!capture_.album
        || static_cast<uint32_t>(capture_.pictureLength) != capture_.header.totalSize)
        return false;
    // A full album has no place for the picture; its side file name would not be one.
    const int place = capture_.album->pictureCount() + 1;
    if (place > albumMaxPictures || !capture_.SavePicture(place))
        return false;
    sendMessage(capture_.album->albumWindow(), Msg::PictureCaptured, place, 1);
    serviceEvents();
    Delay(AnnouncedPauseMs);
    return true;
}

void CaptTh::sendProgress()
{
    const uint32_t total = capture_.header.totalSize;
    if (total == 0)
        return;
    const auto percent = static_cast<intptr_t>(uint64_t(capture_.pictureLength) * 100 / total);
    capture_.sendToWait(Msg::WaitPercent, percent);
    serviceEvents();
}

bool CaptTh::stopRequested() const
{
    return capture_.windows && capture_.windows->stopRequested();
}

} // namespace vantrel

#include "capture/Quobcpt.h"

#include "capture/CaptureCommands.h"
#include "capture/Cptth.h"
#include "i18n/LanguageTable.h"
#include "image/Dvf.h"
#include "image/WholeFile.h"
#include "link/LinkFlags.h"
#include "link/Defvtrcmd.h"
#include "link/Quobio.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QString>
#include <QThread>

namespace vantrel {

namespace {

constexpr int PrepareTries = 3;
constexpr int SptpTries = 3;
constexpr int FreezeFailed = 0x100;
constexpr int FreezeNoSignal = 0x101;
constexpr uint8_t AnswerRefused = 1;
constexpr uint32_t ModeSettleMs = 50;
constexpr uint32_t FallBackMs = 3500;
constexpr uint32_t BlockRequestWaitMs = 150;
constexpr uint32_t QuietMs = 500;
constexpr int BlockAttempts = 4;
constexpr size_t MinimumBlockFrame = 800;
constexpr intptr_t WaitFlagsTransfer = WaitShowFlag::Gauge | WaitShowFlag::Stop | WaitShowFlag::StopDisabled;
constexpr uint32_t ThreadWaitSliceMs = 100;

} // namespace

std::string CaptureOutcome::describe(int outcome)
{
    for (const auto& row : Rows)
        if (row.code == outcome)
            return row.meaning;
    for (const auto& row : Rows)
        if (row.code != LeaveFailed && (row.code | LeaveFailed) == outcome)
            return std::string(row.meaning) + "; " + describe(LeaveFailed);
    return "unknown outcome";
}

QuobCpt::QuobCpt(CQuobIO& quobIO, QuobVtr& quobVtr)
    : pictureBuffer(new uint8_t[PictureBufferBytes]()),
      frameBuffer(new uint8_t[FrameBufferBytes]()),
      sptpIO(quobIO),
      io(quobIO),
      vtr(quobVtr)
{
}

QuobCpt::~QuobCpt() = default;

bool QuobCpt::SetId(int id)
{
    if (!isDeviceId(id))
        return false;
    deviceId = id;
    return true;
}

void QuobCpt::sendToWait(int number, intptr_t wParam, intptr_t lParam)
{
    sendMessage(waitDialog_, number, wParam, lParam);
}

void QuobCpt::setControllerEnabled(bool enabled)
{
    if (windows)
        windows->setControllerEnabled(enabled);
}

// A status poll on another thread would compete with the capture for the line. The poll
// thread itself captures from inside its own poll (an automatic capture step).
bool QuobCpt::pollCompetes() const
{
    return linkFlags().pollRunning && QThread::currentThread() != vtr.pollThread.get();
}

int QuobCpt::Capture()
{
    if (pollCompetes())
        return CaptureOutcome::EnterFailed;
    waitDialog_ = windows ? windows->waitDialog() : nullptr;
    // The capture owns the line from the freeze to the closing command.
    CQuobIO::LineGuard guard(io);
    if (!guard.owns())
        return CaptureOutcome::EnterFailed;
    int outcome = CaptureOutcome::Captured;
    const int frozen = Freeze();
    if (frozen != 0)
        outcome = frozen == FreezeNoSignal ? CaptureOutcome::NoSignal
                                           : CaptureOutcome::FreezeFailed;
    else
        outcome = Transfer();
    sendToWait(Msg::WaitClose);
    setControllerEnabled(true);
    serviceEvents();
    return outcome;
}

int QuobCpt::Transfer()
{
    const QString title = textForKey("MSG_FSTRANS");
    sendToWait(Msg::WaitShow, reinterpret_cast<intptr_t>(&title), WaitFlagsTransfer);
    if (!EnterTransfer())
        return CaptureOutcome::EnterFailed;
    if (!SetTransferRate())
        return CaptureOutcome::RateFailed;
    setControllerEnabled(false);
    int outcome = RunCaptureThread();
    sendToWait(Msg::WaitStopEnabled, 0);
    if (!LeaveTransfer())
        outcome |= CaptureOutcome::LeaveFailed;
    if (io.lineLost())
        return outcome; // no device to resume
    io.SetCommand(deviceId, CaptureCmd::Resume);
    io.Command(PrepareTries);
    return outcome;
}

int QuobCpt::RunCaptureThread()
{
    captureDone.reset();
    transferResult = 0;
    {
        CQuobIO::LineLoan loan(io); // the capture thread reads the port in the capture's name
        CaptTh thread(*this);
        while (!captureDone.waitServicing(ThreadWaitSliceMs)) {
        }
        waitForThread(&thread);
    }
    if (transferResult)
        return CaptureOutcome::Captured;
    const bool stopped = windows && windows->stopRequested();
    if (stopped)
        windows->clearStopRequest();
    return stopped ? CaptureOutcome::Stopped : CaptureOutcome::TransferFailed;
}

// One exchange of the freeze; false with `result` set when it did not go through.
bool QuobCpt::freezeExchange(const QuobCommand& command, int& result)
{
    io.SetCommand(deviceId, command);
    result = io.Transact();
    return result == 0;
}

int QuobCpt::Freeze()
{
    int result = 0;
    if (!freezeExchange(CaptureCmd::Freeze, result))
        return result;
    if (io.answerBuffer[3] == AnswerRefused)
        return FreezeFailed;
    if (io.answerData(4) & FreezeBits::NoSignal)
        return FreezeNoSignal;
    for (int senses = 0; io.answerData(4) & FreezeBits::Settling; ++senses) {
        if (senses == settleExchangeLimit)
            return FreezeFailed;
        if (!freezeExchange(CaptureCmd::FreezeSense, result))
            return result;
    }
    MakeTimeCodePack();
    if (stopsTape) {
        vtr.SetState(VtrState::Stop, true);
    } else {
        io.SetCommand(deviceId, QuobCmd::Pause);
        io.Transact();
    }
    return 0;
}

void QuobCpt::MakeTimeCodePack()
{
    timeCodePack = imgdata::MakeTimeCodePack(vtr.timeCode, vtr.framesPerSecond, vtr.state);
}

bool QuobCpt::EnterTransfer()
{
    io.SetCommand(deviceId, CaptureCmd::Prepare);
    if (!io.Command(PrepareTries))
        return false;
    io.SetCommand(CaptureCmd::AnnounceId, CaptureCmd::Announce);
    if (io.Transact() != 0)
        return false;
    io.SetCommand(deviceId, CaptureCmd::EnterSptp);
    if (!io.Command(PrepareTries))
        return false;
    if (!io.SetTransferMode())
        return false;
    Delay(ModeSettleMs);
    return true;
}

bool QuobCpt::SetTransferRate()
{
    const sptp::TransferRate& rate = sptp::transferRateFor(rateIndex);
    pollInterval = rate.pollIntervalMs;
    sptpIO.Build(deviceId, rate.command);
    return sptpIO.SendTries(SptpTries) && io.SetRate(rate.bitRate);
}

bool QuobCpt::LeaveTransfer()
{
    sptpIO.Build(deviceId, sptp::Cmd::End);
    const bool ended = sptpIO.SendTries(SptpTries);
    io.SetControlMode();
    // A device that missed the end command falls back to Quob on its own; one that has gone
    // is not waited for.
    if (!ended && !io.lineLost())
        Delay(FallBackMs);
    return ended;
}

bool QuobCpt::ReceiveBlock()
{
    for (int attempt = 0; attempt < BlockAttempts; ++attempt) {
        if (receiveAttempt(attempt))
            return true;
        // No repetition brings a picture that cannot fit into the picture buffer, nor a
        // block over a line that hung up.
        if (pictureTooLarge() || io.lineLost())
            return false;
    }
    return false;
}

bool QuobCpt::receiveAttempt(int attempt)
{
    CQuobIO::LineGuard guard(io);
    if (!guard.owns())
        return false; // the line is not the capture's: nothing is read or purged
    repeatAsked_ = false;
    if (!firstBlockRequested) {
        repeatAsked_ = attempt > 0 && !nextBlockAgain_;
        sptpIO.Build(deviceId, repeatAsked_ ? sptp::Cmd::RepeatBlock : sptp::Cmd::NextBlock);
        sptpIO.Send();
    }
    nextBlockAgain_ = false;
    firstBlockRequested = 0;
    Delay(BlockRequestWaitMs);
    if (!io.ReadExact(receiveBuffer.data(), sptp::BlockStartLength)
        || receiveBuffer[4] != sptp::BlockMark) {
        io.Purge();
        return false;
    }
    readBlockBody();
    io.Purge();
    return ParseBlock();
}

// Reads what follows the block start until the line has been quiet after a block's worth of
// bytes, or for about half a second.
void QuobCpt::readBlockBody()
{
    receiveBuffer.fill(0);
    receiveCount = static_cast<int>(sptp::BlockStartLength);
    receiveOverflow_ = false;
    io.SetTimeouts(pollInterval);
    const int quietLimit = static_cast<int>(QuietMs) / pollInterval;
    int quiet = 0;
    bool previousEmpty = false;
    for (;;) {
        const size_t room = receiveBuffer.size() - receiveCount;
        if (room == 0) {
            // A block frame this long is not one the device sends.
            receiveOverflow_ = true;
            return;
        }
        const bool got = io.ReadAvailable(receiveBuffer.data() + receiveCount, room)
                         && io.bytesRead > 0;
        if (got) {
            receiveCount += static_cast<int>(io.bytesRead);
            quiet = 0;
        } else if (io.lineLost()) {
            return;
        } else {
            if (receiveCount > static_cast<int>(sptp::BlockDataLength) && previousEmpty)
                return;
            if (++quiet > quietLimit)
                return;
        }
        previousEmpty = !got;
        Delay(static_cast<uint32_t>(pollInterval));
    }
}

bool QuobCpt::ParseBlock()
{
    if (receiveOverflow_ || receiveCount < static_cast<int>(MinimumBlockFrame))
        return false;
    const uint8_t end = receiveBuffer[receiveCount - 3];
    if (end != sptp::MoreBlocks && end != sptp::LastBlock)
        return false;
    const size_t bodyEnd = receiveCount - sptp::BlockEndLength;

    uint8_t rawHeader[sptp::BlockHeaderLength];
    const size_t headerStart = sptp::BlockStartLength;
    const auto head = sptp::unstuff(receiveBuffer.data() + headerStart, bodyEnd - headerStart,
                                    rawHeader, sizeof rawHeader);
    if (head.produced != sptp::BlockHeaderLength)
        return false;
    header = sptp::readBlockHeader(rawHeader);
    headerLength = static_cast<int>(head.produced);
    endByte = end;
    if (header.number == 0)
        pictureLength = 0;
    if (pictureTooLarge())
        return false;
    // A request for the next block that the device never took is answered, when repeated,
    // with the block already kept: it is not kept twice, and the next one is asked again. A
    // late copy of that block answering a request for the next is dropped the same way, and
    // the block it came before is asked for with a repeat.
    const int expected = pictureLength / static_cast<int>(sptp::BlockDataLength);
    if (header.number != expected) {
        nextBlockAgain_ = repeatAsked_ && header.number + 1 == expected;
        return false;
    }

    const size_t dataStart = headerStart + head.consumed + sptp::BlockSeparatorLength;
    if (dataStart > bodyEnd)
        return false;
    const size_t room = PictureBufferBytes - pictureLength;
    const auto data = sptp::unstuff(receiveBuffer.data() + dataStart, bodyEnd - dataStart,
                                    pictureBuffer.get() + pictureLength, room);
    // Nothing is kept of a block of the wrong length, so its repetition lands at the same place.
    const bool whole = data.produced == sptp::BlockDataLength && data.consumed == bodyEnd - dataStart;
    if (whole)
        pictureLength += static_cast<int>(data.produced);
    return whole;
}

bool QuobCpt::SavePicture(int place)
{
    const auto assembled = imgdata::Assemble(pictureBuffer.get(), pictureLength, header.layout,
                                             timeCodePack, frameBuffer.get());
    if (!assembled.ok || !album)
        return false;
    pictureLength = static_cast<int>(assembled.pictureLength);
    const bool written = writeSideFile(album->sideFileName(place), assembled.sequences);
    serviceEvents();
    return written;
}

// The side file holds each sequence's blocks 1 to 149; block 0 is not stored. It appears
// whole or not at all: a program killed while writing leaves no half picture to come back.
bool QuobCpt::writeSideFile(const std::string& path, size_t sequences)
{
    const auto fileHeader = dvfHeader(systemOfSequences(sequences));
    std::array<FilePart, 1 + imgdata::Sequences625> parts{};
    parts[0] = {fileHeader.data(), fileHeader.size()};
    for (size_t s = 0; s < sequences; ++s)
        parts[1 + s] = {frameBuffer.get() + s * dvSequenceBytes + dvBlockBytes,
                        static_cast<size_t>(dvStoredSequenceBytes)};
    return replaceFileWhole(path, parts.data(), 1 + sequences);
}

} // namespace vantrel

#pragma once
#include "capture/CaptureWindows.h"
#include "capture/Imgdata.h"
#include "capture/Sptpio.h"
#include "link/QuobCommands.h"
#include "platform/Sync.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace vantrel {

class CQuobIO;
class QuobVtr;

// The capture object: freezes the picture in the device, switches device and line into SPTP,
// runs the capture thread that fetches the blocks and switches everything back.
class QuobCpt {
public:
    static constexpr size_t ReceiveBufferBytes = 4000;
    static constexpr size_t PictureBufferBytes = 200000;
    static constexpr size_t FrameBufferBytes = 150000;

    QuobCpt(CQuobIO& io, QuobVtr& vtr);
    ~QuobCpt();
    QuobCpt(const QuobCpt&) = delete;
    QuobCpt& operator=(const QuobCpt&) = delete;

    bool SetId(int id);
    // The whole capture; the outcome is one of CaptureOutcome.
    int Capture();

    // Steps of a capture. Freeze answers 0, 0x100 (failed) or 0x101 (no picture signal), or
    // the exchange result that failed.
    int Freeze();
    bool EnterTransfer();
    bool SetTransferRate();
    bool LeaveTransfer();
    // On the capture thread: one block into the picture buffer, with its repetitions.
    bool ReceiveBlock();
    bool ParseBlock();
    void MakeTimeCodePack();

    // Assemble and write the side file of `place`.
    bool SavePicture(int place);
    // A message to the wait dialog of the capture that runs, when it has one.
    void sendToWait(int number, intptr_t wParam = 0, intptr_t lParam = 0);

    int deviceId = 1;
    int receiveCount = 0;
    sptp::BlockHeader header;
    int headerLength = 0;
    uint8_t endByte = 0;
    std::array<uint8_t, ReceiveBufferBytes> receiveBuffer{};
    std::unique_ptr<uint8_t[]> pictureBuffer;
    std::unique_ptr<uint8_t[]> frameBuffer;
    int pictureLength = 0;
    imgdata::TimeCodePack timeCodePack{};
    std::atomic<uint8_t> firstBlockRequested{0};
    int pollInterval = 50;

    // Set by the owner before a capture.
    int rateIndex = 2;           // the device window's transfer rate
    bool stopsTape = false;      // model group B: the tape is stopped instead of paused
    CaptureWindows* windows = nullptr;
    CaptureAlbum* album = nullptr;

    CSptpIO sptpIO;
    AutoResetEvent captureDone;
    std::atomic<uint8_t> transferResult{0}; // 1 when the last transfer succeeded

    CQuobIO& io;
    QuobVtr& vtr;

private:
    bool pollCompetes() const;
    int Transfer();
    int RunCaptureThread();
    bool receiveAttempt(int attempt);
    void readBlockBody();
    bool pictureTooLarge() const { return header.totalSize > PictureBufferBytes; }
    bool freezeExchange(const QuobCommand& command, int& result);
    bool writeSideFile(const std::string& path, size_t sequences);
    void setControllerEnabled(bool enabled);

    QObject* waitDialog_ = nullptr; // the windows' wait dialog, taken once per capture
    bool receiveOverflow_ = false;
    bool nextBlockAgain_ = false; // the device answered a repeat with a block already kept
    bool repeatAsked_ = false;    // the last request was a repeat
};

} // namespace vantrel

#pragma once
#include "Simulator.h"
#include "SptpPicture.h"

#include "capture/SptpFrame.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

namespace vantrel::quobsim {

// What the simulated device does wrong during a capture, on request. Block numbers count from
// 0; -1 leaves the fault out.
struct SptpFaults {
    bool noSignal = false;      // the freeze reports no picture signal
    bool refuseFreeze = false;  // the freeze is answered with completion code 1
    bool refuseSptp = false;    // the switch into SPTP is refused
    bool refuseRate = false;    // the rate command is refused
    bool refuseStart = false;   // the start command is refused
    int shortBlock = -1;        // sent once with 1919 data bytes
    int longBlock = -1;         // sent once with 1921 data bytes
    int droppedBlock = -1;      // not sent the first time it is asked for
    int unheardNext = -1;       // the first request for this block is not heard at all
    int lineDiesAt = -1;        // from this block on the device neither sends nor hears
    int garbageBlock = -1;      // sent once as noise of a block frame's length
    int switchedOffAt = -1;     // the device is switched off instead of sending this block
    int lateCopy = -1;          // sent again, late, before the block after it
    int hangUpAt = -1;          // the line hangs up (adapter pulled out) instead of this block
    bool endUnanswered = false; // the end command gets no answer
    int extraBlocks = 0;        // blocks beyond the picture: a picture larger than it should be
};

struct SptpOptions {
    int layout = 6;             // 4, 6 or 7
    std::string picturePath;    // a DVF file to send instead of the test pattern
    int settlingSenses = 2;     // freeze senses that still report the picture settling
    // Frames carry recording date and time packs: the day the tape was shot, the time moving
    // with the tape. Left out, or written with the unset pattern, on request.
    bool noRecordingDate = false;
    bool unsetRecordingDate = false;
    SptpFaults faults;
};

// What one capture looked like from the device's side.
struct SptpLog {
    int freezes = 0;
    int transfers = 0;          // start commands accepted
    int blocksSent = 0;
    int repeatsAsked = 0;       // 35 commands received
    int lastRate = 9600;        // the rate the line was set to
    bool ended = false;         // the end command was received
    std::string order;          // the capture commands in arrival order, by their first byte
};

// The SPTP side of a simulated device: the freeze, the switch from Quob into SPTP, the rate
// change, the picture blocks and the return to Quob.
class SptpSide : public TransferMode {
public:
    explicit SptpSide(SptpOptions options = {});

    std::optional<Answer> quobCommand(Device& device, const Command& command, bool& enter) override;
    void quobBroadcast(Device& device, const Command& command) override;
    void serve(Simulator& simulator, Device& device) override;

    void setOptions(const SptpOptions& options);
    // The picture of the last freeze, as the host should rebuild it.
    SptpPicture frozenPicture();
    SptpLog log() const;

private:
    struct Session;
    Answer freeze(Device& device);
    // The moment a freeze took: its picture is made only after the freeze has been answered,
    // since encoding it could miss the answer's time limit on a slow (or sanitized) host.
    struct FrozenMoment {
        int32_t position;
        int32_t timeCode;
        int framesPerSecond;
        std::shared_ptr<TapeFile> tape; // the picture is the tape's frame at the position
    };
    bool freezePicture(const FrozenMoment& moment);
    void makeDuePicture();
    bool readFrame(Line& line, sptp::ParsedFrame& frame, Clock::time_point& firstByte);
    bool act(Simulator& simulator, Session& session, const sptp::ParsedFrame& frame);
    void answer(Line& line, uint8_t id, bool accepted);
    void sendBlock(Line& line, Session& session);
    void switchOff(Simulator& simulator, Device& device);
    void makeNoise(uint8_t* bytes, size_t count);
    void note(char what);

    mutable std::mutex mutex_;
    SptpOptions options_;
    SptpPicture picture_;
    std::optional<FrozenMoment> pictureDue_;
    SptpLog log_;
    int settlingLeft_ = 0;
    bool prepared_ = false;
    bool announced_ = false;
    std::vector<uint8_t> sourceFrame_;
    bool sourcePal_ = false;
    unsigned noise_ = 0x2545F491u;
};

// "layout=6,short=3,dropped=5,..." style options of the quobsim command; false on a bad word.
bool parseSptpOptions(const std::string& text, SptpOptions& options, std::string& error);
extern const char* const SptpOptionsHelp;

} // namespace vantrel::quobsim

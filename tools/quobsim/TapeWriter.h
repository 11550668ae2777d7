#pragma once
#include "image/DvFrame.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::quobsim {

// Writes DV frames into a file, frame by frame: a raw DV stream, or through libavformat an
// AVI (".avi") or QuickTime (".mov") file.
class TapeWriter {
public:
    enum class Container { Raw, Avi, QuickTime };
    static Container containerOfName(const std::string& path);

    TapeWriter(const std::string& path, DvSystem system, Container container);
    ~TapeWriter();
    TapeWriter(const TapeWriter&) = delete;
    TapeWriter& operator=(const TapeWriter&) = delete;

    bool ok() const { return ok_; }
    // One whole frame of the system (header blocks included).
    bool add(const uint8_t* frame);
    // Finishes the file (the container's index); false when any write failed.
    bool finish();

private:
    struct Muxer;
    DvSystem system_;
    std::unique_ptr<Muxer> muxer_;
    std::FILE* raw_ = nullptr;
    int64_t frames_ = 0;
    bool ok_ = false;
};

// A picture that changes every frame, made for a tape: moving colour bands and a disc going
// round, with the frame's time code in large digits; 720 x lines, rows top-down of 2160 bytes.
std::vector<uint8_t> movingPicture(DvSystem system, int64_t frame);
// Frame `frame` of such a tape encoded by the DV codec: a whole DV frame with its header
// blocks and the time code `timeCode` (in frames) in its subcode; empty when encoding fails.
std::vector<uint8_t> movingTapeFrame(DvSystem system, int64_t frame, int64_t timeCode);
// The frame layout of an encoded picture made whole: header blocks written, the time code
// pack of `timeCode` in the subcode.
void completeTapeFrame(std::vector<uint8_t>& frameLayout, DvSystem system, int64_t timeCode);

// A file of `frames` moving pictures whose recorded time codes start at `firstTimeCode`;
// false with `error` when it cannot be written.
bool writeMovingTape(const std::string& path, DvSystem system, int64_t frames,
                     int64_t firstTimeCode, std::string& error);

} // namespace vantrel::quobsim

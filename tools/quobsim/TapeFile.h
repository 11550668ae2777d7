#pragma once
#include "image/DvFrame.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::quobsim {

// Where a tape file's frames come from: a raw DV stream or a container read through
// libavformat. Each read fills one whole frame of `frameBytes`.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Frame `index` (0 to count - 1) into `frame`; a frame recorded short is padded with 0xFF.
    virtual bool read(int64_t index, uint8_t* frame) = 0;
};

// What a file's frames are, as the first of them says.
struct TapeFormat {
    DvSystem system = dvSystem525;
    int64_t frames = 0;
};

// A DV file as the camcorder's tape: raw DV streams of 525/60 or 625/50 frames, or DV in AVI
// or QuickTime. Frames are read one at a time when asked for, never the whole file.
class TapeFile {
public:
    // Nullptr and a one-line `error` when the file cannot be read, is empty, is not DV or is
    // cut short.
    static std::shared_ptr<TapeFile> open(const std::string& path, std::string& error);

    TapeFile(std::unique_ptr<FrameSource> source, TapeFormat format);

    DvSystem system() const { return format_.system; }
    int framesPerSecond() const { return factsOf(format_.system).timeCodeFramesPerSecond; }
    int64_t frameCount() const { return format_.frames; }
    size_t frameBytes() const { return static_cast<size_t>(frameBytesOf(format_.system)); }

    // Frame `index` as sequences of 12000 bytes, as recorded; empty when it cannot be read.
    std::vector<uint8_t> frame(int64_t index);
    // The time code recorded in the subcode of frame `index`, in frames; none when the frame
    // carries none.
    std::optional<int64_t> recordedTimeCode(int64_t index);

private:
    bool load(int64_t index);

    std::mutex mutex_;
    std::unique_ptr<FrameSource> source_;
    TapeFormat format_;
    std::vector<uint8_t> loaded_; // the last frame read
    int64_t loadedIndex_ = -1;
};

// The system a frame's first header block names; none when the bytes are not a DV frame's
// start (a header block followed by subcode, VAUX, audio and video blocks).
std::optional<DvSystem> systemOfFrameStart(const uint8_t* bytes, size_t count);

// The time code pack 0x13 in the subcode of a frame of `sequences`, in frames; none when no
// sequence carries a valid one.
std::optional<int64_t> subcodeTimeCode(const uint8_t* frame, size_t sequences, int framesPerSecond);

// A container file read through libavformat (TapeContainer.cpp).
std::unique_ptr<FrameSource> openContainer(const std::string& path, TapeFormat& format,
                                           std::string& error);

} // namespace vantrel::quobsim

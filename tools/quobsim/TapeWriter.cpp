#include "TapeWriter.h"

#include "SptpPicture.h"

#include "capture/Imgdata.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixfmt.h>
}

#include <cmath>
#include <cstdio>

namespace vantrel::quobsim {

namespace {

constexpr int PictureWidth = 720;
constexpr int PixelBytes = 3;
constexpr int RowBytes = PictureWidth * PixelBytes;
constexpr int BandShiftPerFrame = 6;   // pixels the colour bands move each frame
constexpr int DiscRadius = 44;
constexpr double DiscTurnFrames = 90.0; // frames for one round of the disc

AVRational frameTimeOf(DvSystem system)
{
    return AVRational{factsOf(system).frameRateDenominator, factsOf(system).frameRateNumerator};
}

int framesPerSecondOf(DvSystem system)
{
    return factsOf(system).timeCodeFramesPerSecond;
}

// A fully saturated colour of hue `hue` (0 to 1535), blue-green-red.
void hueColour(int hue, uint8_t* pixel)
{
    const int sector = hue / 256;
    const auto rise = static_cast<uint8_t>(hue % 256);
    const auto fall = static_cast<uint8_t>(255 - rise);
    const uint8_t rgb[6][3] = {{255, rise, 0}, {fall, 255, 0}, {0, 255, rise},
                               {0, fall, 255}, {rise, 0, 255}, {255, 0, fall}};
    pixel[0] = static_cast<uint8_t>(rgb[sector][2] * 3 / 4 + 16);
    pixel[1] = static_cast<uint8_t>(rgb[sector][1] * 3 / 4 + 16);
    pixel[2] = static_cast<uint8_t>(rgb[sector][0] * 3 / 4 + 16);
}

std::string timeCodeOfFrame(int64_t frame, int fps)
{
    return packTimeCodeText(imgdata::timeCodePack(static_cast<int32_t>(frame), fps).data());
}

} // namespace

struct TapeWriter::Muxer {
    ~Muxer()
    {
        av_packet_free(&packet);
        if (!context)
            return;
        avio_closep(&context->pb);
        avformat_free_context(context);
    }
    bool open(const std::string& path, DvSystem system, Container container)
    {
        const char* name = container == Container::Avi ? "avi" : "mov";
        if (avformat_alloc_output_context2(&context, nullptr, name, path.c_str()) < 0 || !context)
            return false;
        stream = avformat_new_stream(context, nullptr);
        packet = av_packet_alloc();
        if (!stream || !packet)
            return false;
        AVCodecParameters* parameters = stream->codecpar;
        parameters->codec_type = AVMEDIA_TYPE_VIDEO;
        parameters->codec_id = AV_CODEC_ID_DVVIDEO;
        parameters->width = PictureWidth;
        parameters->height = linesOf(system);
        parameters->format = factsOf(system).chroma == DvChroma::Yuv420 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
        frameTime = frameTimeOf(system);
        stream->time_base = frameTime;
        stream->avg_frame_rate = av_inv_q(frameTime);
        return avio_open(&context->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0
               && avformat_write_header(context, nullptr) >= 0;
    }
    bool add(const uint8_t* frame, int bytes, int64_t number)
    {
        av_packet_unref(packet);
        packet->data = const_cast<uint8_t*>(frame);
        packet->size = bytes;
        packet->pts = packet->dts = av_rescale_q(number, frameTime, stream->time_base);
        packet->duration = av_rescale_q(1, frameTime, stream->time_base);
        packet->flags = AV_PKT_FLAG_KEY;
        packet->stream_index = stream->index;
        const bool written = av_write_frame(context, packet) >= 0;
        packet->data = nullptr;
        packet->size = 0;
        return written;
    }

    AVFormatContext* context = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = nullptr;
    AVRational frameTime{};
};

TapeWriter::Container TapeWriter::containerOfName(const std::string& path)
{
    const auto endsWith = [&](const char* ending) {
        const std::string tail(ending);
        return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (endsWith(".avi"))
        return Container::Avi;
    if (endsWith(".mov"))
        return Container::QuickTime;
    return Container::Raw;
}

TapeWriter::TapeWriter(const std::string& path, DvSystem system, Container container) : system_(system)
{
    if (container == Container::Raw) {
        raw_ = std::fopen(path.c_str(), "wb");
        ok_ = raw_ != nullptr;
        return;
    }
    av_log_set_level(AV_LOG_QUIET);
    muxer_ = std::make_unique<Muxer>();
    ok_ = muxer_->open(path, system, container);
}

TapeWriter::~TapeWriter()
{
    if (raw_)
        std::fclose(raw_);
}

bool TapeWriter::add(const uint8_t* frame)
{
    if (!ok_)
        return false;
    const int bytes = frameBytesOf(system_);
    ok_ = raw_ ? std::fwrite(frame, 1, size_t(bytes), raw_) == size_t(bytes)
               : muxer_->add(frame, bytes, frames_);
    ++frames_;
    return ok_;
}

bool TapeWriter::finish()
{
    if (muxer_ && ok_)
        ok_ = av_write_trailer(muxer_->context) >= 0;
    if (raw_) {
        ok_ = std::fclose(raw_) == 0 && ok_;
        raw_ = nullptr;
    }
    muxer_.reset();
    return ok_;
}

std::vector<uint8_t> movingPicture(DvSystem system, int64_t frame)
{
    const int lines = linesOf(system);
    auto pixels = testPattern(system, timeCodeOfFrame(frame, framesPerSecondOf(system)));
    const int shift = static_cast<int>(frame % (PictureWidth * 2)) * BandShiftPerFrame;
    const double angle = 2 * M_PI * double(frame) / DiscTurnFrames;
    const int discX = PictureWidth / 2 + static_cast<int>(std::lround(std::cos(angle) * PictureWidth / 4));
    const int discY = lines / 4 + static_cast<int>(std::lround(std::sin(angle) * lines / 8));
    for (int y = 0; y < lines / 2; ++y)
        for (int x = 0; x < PictureWidth; ++x) {
            uint8_t* pixel = &pixels[size_t(y) * RowBytes + size_t(x) * PixelBytes];
            hueColour(((x + shift) * 1536 / PictureWidth + y * 2) % 1536, pixel);
            const int dx = x - discX, dy = y - discY;
            if (dx * dx + dy * dy < DiscRadius * DiscRadius)
                pixel[0] = pixel[1] = pixel[2] = 235;
        }
    return pixels;
}

void completeTapeFrame(std::vector<uint8_t>& frameLayout, DvSystem system, int64_t timeCode)
{
    const size_t sequences = size_t(sequencesOf(system));
    for (size_t s = 0; s < sequences; ++s)
        writeHeaderBlock(&frameLayout[s * dvSequenceBytes], s, system == dvSystem625);
    imgdata::putTimeCodePacks(frameLayout.data(), sequences,
                              imgdata::timeCodePack(static_cast<int32_t>(timeCode), framesPerSecondOf(system)));
    frameLayout.resize(size_t(frameBytesOf(system)));
}

std::vector<uint8_t> movingTapeFrame(DvSystem system, int64_t frame, int64_t timeCode)
{
    auto layout = encodedFrame(system, movingPicture(system, frame));
    if (!layout.empty())
        completeTapeFrame(layout, system, timeCode);
    return layout;
}

bool writeMovingTape(const std::string& path, DvSystem system, int64_t frames, int64_t firstTimeCode,
                     std::string& error)
{
    if (!DvcLoaded() && !DvcLoad()) {
        error = "the DV codec cannot be loaded";
        return false;
    }
    TapeWriter writer(path, system, TapeWriter::containerOfName(path));
    for (int64_t i = 0; i < frames && writer.ok(); ++i) {
        const auto frame = movingTapeFrame(system, i, firstTimeCode + i);
        if (frame.empty()) {
            error = "a picture could not be encoded";
            return false;
        }
        writer.add(frame.data());
    }
    if (!writer.finish()) {
        error = path + ": cannot be written";
        return false;
    }
    return true;
}

} // namespace vantrel::quobsim

// DV in AVI, QuickTime and the other containers libavformat reads: the video stream's
// packets are the frames.
#include "TapeFile.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <cstring>

namespace vantrel::quobsim {

namespace {

constexpr uint8_t PaddingByte = 0xFF;

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

class ContainerSource : public FrameSource {
public:
    ContainerSource(Input input, int stream)
        : input_(std::move(input)), stream_(input_->streams[stream]), packet_(av_packet_alloc())
    {
        const AVRational rate = stream_->avg_frame_rate.num > 0 ? stream_->avg_frame_rate
                                                                 : stream_->r_frame_rate;
        frameDuration_ = av_inv_q(rate);
        start_ = stream_->start_time == AV_NOPTS_VALUE ? 0 : stream_->start_time;
    }

    void setFrameBytes(size_t bytes) { frameBytes_ = bytes; }
    // Bytes of the last frame read as the file holds them.
    size_t recordedBytes() const { return recordedBytes_; }

    bool read(int64_t index, uint8_t* frame) override
    {
        if (index != next_ && !seek(index))
            return false;
        for (;;) {
            if (!nextPacket())
                return false;
            const int64_t at = indexOfPacket();
            if (at < index)
                continue;
            next_ = at + 1;
            recordedBytes_ = size_t(packet_->size);
            const size_t have = std::min(frameBytes_, recordedBytes_);
            std::memcpy(frame, packet_->data, have);
            std::memset(frame + have, PaddingByte, frameBytes_ - have);
            return at == index;
        }
    }

    // The first packet of the stream, without moving the reading position for later reads.
    bool firstPacket(std::vector<uint8_t>& bytes)
    {
        if (!nextPacket())
            return false;
        bytes.assign(packet_->data, packet_->data + packet_->size);
        next_ = indexOfPacket() + 1;
        return true;
    }

private:
    bool nextPacket()
    {
        for (;;) {
            av_packet_unref(packet_.get());
            if (av_read_frame(input_.get(), packet_.get()) < 0)
                return false;
            if (packet_->stream_index == stream_->index)
                return true;
        }
    }

    int64_t timestampOf(int64_t index) const
    {
        // An index of every frame gives each frame's own time stamp.
        if (const AVIndexEntry* entry = avformat_index_get_entry(stream_, int(index));
            entry && avformat_index_get_entries_count(stream_) == stream_->nb_frames)
            return entry->timestamp;
        return start_ + av_rescale_q(index, frameDuration_, stream_->time_base);
    }

    int64_t indexOfPacket() const
    {
        const int64_t stamp = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
        if (stamp == AV_NOPTS_VALUE)
            return next_;
        return av_rescale_q_rnd(stamp - start_, stream_->time_base, frameDuration_,
                                AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    }

    bool seek(int64_t index)
    {
        next_ = -1;
        return av_seek_frame(input_.get(), stream_->index, timestampOf(index), AVSEEK_FLAG_BACKWARD) >= 0;
    }

    Input input_;
    AVStream* stream_;
    Packet packet_;
    size_t frameBytes_ = dvMaxFrameBytes;
    size_t recordedBytes_ = 0;
    AVRational frameDuration_{};
    int64_t start_ = 0;
    int64_t next_ = 0;
};

Input openInput(const std::string& path)
{
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    Input input(context);
    if (avformat_find_stream_info(context, nullptr) < 0)
        return nullptr;
    return input;
}

int dvStream(const AVFormatContext* context)
{
    for (unsigned i = 0; i < context->nb_streams; ++i)
        if (context->streams[i]->codecpar->codec_id == AV_CODEC_ID_DVVIDEO)
            return int(i);
    return -1;
}

int64_t framesByDuration(const AVFormatContext* context, const AVStream* stream)
{
    const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (stream->duration != AV_NOPTS_VALUE && rate.num > 0)
        return av_rescale_q(stream->duration, stream->time_base, av_inv_q(rate));
    if (context->duration != AV_NOPTS_VALUE && rate.num > 0)
        return av_rescale_q(context->duration, AV_TIME_BASE_Q, av_inv_q(rate));
    return 0;
}

} // namespace

std::unique_ptr<FrameSource> openContainer(const std::string& path, TapeFormat& format, std::string& error)
{
    Input input = openInput(path);
    const int stream = input ? dvStream(input.get()) : -1;
    if (stream < 0) {
        error = "not a DV file";
        return nullptr;
    }
    int64_t frames = input->streams[stream]->nb_frames;
    if (frames <= 0)
        frames = framesByDuration(input.get(), input->streams[stream]);
    auto source = std::make_unique<ContainerSource>(std::move(input), stream);
    std::vector<uint8_t> first;
    if (frames <= 0 || !source->firstPacket(first)) {
        error = "not a DV file: it holds no DV frames";
        return nullptr;
    }
    const auto system = systemOfFrameStart(first.data(), first.size());
    if (!system || first.size() != size_t(frameBytesOf(*system))) {
        error = "not a DV file of 525/60 or 625/50 frames";
        return nullptr;
    }
    format.system = *system;
    format.frames = frames;
    source->setFrameBytes(first.size());
    std::vector<uint8_t> last(first.size());
    if (!source->read(frames - 1, last.data()) || source->recordedBytes() != first.size()) {
        error = "cut short: it names " + std::to_string(frames) + " frames, the last of them is not there whole";
        return nullptr;
    }
    return source;
}

} // namespace vantrel::quobsim

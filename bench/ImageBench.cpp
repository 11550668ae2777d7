// Figures of the picture paths, each next to a bare libavcodec / toolkit baseline measured in
// the same run: the thumbnail path, saving as JPEG at size 1, importing a 640 x 480 JPEG.
// The table gives each one's time; the figures come from rounds that run a path and its
// baseline by turns, so that the machine's slower and quicker spells fall on both.
#include "Figures.h"

#include "image/TargetPath.h"
#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/Resampling.h"
#include "image/TestPattern.h"
#include "image/WholeFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <QImage>
#include <QImageReader>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

constexpr int lines = 480;

// The files every benchmark works on, in a program folder of its own.
struct Scene {
    std::string folder;
    std::string dvf;
    std::string jpeg;
    std::vector<uint8_t> rawFrame; // the DVF file's frame with the header blocks the decoder needs
    QuietPrompts prompts;
    TargetPathCheck check;
    ImageSettings settings;

    std::string file(const char* name) const { return folder + "/" + name; }
};

Scene& scene()
{
    static Scene s;
    return s;
}

AVCodecContext* openCodec(bool encoder, int lowres)
{
    const AVCodec* codec = encoder ? avcodec_find_encoder(AV_CODEC_ID_DVVIDEO)
                                   : avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->lowres = lowres;
    if (encoder) {
        context->width = 720;
        context->height = lines;
        context->pix_fmt = AV_PIX_FMT_YUV411P;
        context->time_base = {1001, 30000};
        context->flags |= AV_CODEC_FLAG_INTERLACED_DCT; // as the program encodes
    }
    if (avcodec_open2(context, codec, nullptr) < 0)
        std::abort();
    return context;
}

// One converter kept from call to call, as the program keeps its own.
SwsContext* cachedScaler(SwsContext*& scaler, int width, int height, AVPixelFormat from, int toWidth,
                         int toHeight, AVPixelFormat to)
{
    scaler = sws_getCachedContext(scaler, width, height, from, toWidth, toHeight, to, SWS_BILINEAR,
                                  nullptr, nullptr, nullptr);
    return scaler;
}

// Fills the frame from a top-down picture of `width` x `height` (scaled to 720 x 480 in the
// colour conversion) and encodes it.
std::vector<uint8_t> bareEncode(AVCodecContext* context, AVFrame* frame, SwsContext*& scaler,
                                const uint8_t* pixels, int width, int height, int stride,
                                AVPixelFormat format)
{
    cachedScaler(scaler, width, height, format, 720, lines, AV_PIX_FMT_YUV411P);
    const uint8_t* source[4] = {pixels, nullptr, nullptr, nullptr};
    const int sourceStride[4] = {stride, 0, 0, 0};
    av_frame_make_writable(frame);
    sws_scale(scaler, source, sourceStride, 0, height, frame->data, frame->linesize);
    AVPacket* packet = av_packet_alloc();
    avcodec_send_frame(context, frame);
    avcodec_receive_packet(context, packet);
    std::vector<uint8_t> out(packet->data, packet->data + packet->size);
    av_packet_free(&packet);
    return out;
}

AVFrame* encoderFrame()
{
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV411P;
    frame->width = 720;
    frame->height = lines;
    av_frame_get_buffer(frame, 0);
    return frame;
}

void setUpScene()
{
    Scene& s = scene();
    s.folder = benchProgramFolder();
    s.check = [](const std::string& path, const std::string& extension, uint64_t bytes, bool ask) {
        return targetPathCheck(path, extension, bytes, ask, scene().prompts);
    };
    s.dvf = s.file("picture.dvf");
    const auto frame = encodedTestFrame(dvSystem525);
    const auto sequences = storedSequences525(frame);
    if (!writeDvfFile(sequences.data(), s.dvf, dvSystem525, false))
        std::abort();
    const auto pixels = testPattern(dvSystem525);
    const QImage picture(pixels.data(), 720, lines, 2160, QImage::Format_BGR888);
    s.jpeg = s.file("picture.jpg");
    picture.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(QString::fromStdString(s.jpeg), "JPEG", 90);
    // The frame the DVF file holds, with the header blocks of a 525/60 frame: the bare
    // decoder works on the same data as the program.
    s.rawFrame.assign(frame.begin(), frame.begin() + frameBytesOf(dvSystem525));
    putHeaderBlocks525(s.rawFrame.data());
    s.rawFrame.resize(s.rawFrame.size() + AV_INPUT_BUFFER_PADDING_SIZE);
}

// Plain reads of the DVF file into the frame the bare decoders work on: the file every
// program path reads first.
bool readDvfIntoRawFrame()
{
    Scene& s = scene();
    FilePtr file(std::fopen(s.dvf.c_str(), "rb"));
    uint8_t header[dvfHeaderBytes];
    bool read = file && std::fread(header, 1, sizeof header, file.get()) == sizeof header;
    for (int q = 0; read && q < 10; ++q)
        read = std::fread(&s.rawFrame[q * dvSequenceBytes + dvBlockBytes], 1, dvStoredSequenceBytes,
                          file.get()) == dvStoredSequenceBytes;
    return read;
}

bool decodeRaw(AVCodecContext* context, AVFrame* frame)
{
    AVPacket* packet = av_packet_alloc();
    packet->data = scene().rawFrame.data();
    packet->size = frameBytesOf(dvSystem525);
    const bool ok = avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0;
    packet->data = nullptr;
    av_packet_free(&packet);
    return ok;
}

class ThumbnailPath : public Task {
public:
    bool run() override
    {
        PictureRecord record;
        record.path = scene().dvf;
        FrameBitmap bitmap;
        if (!readPictureFile(record) || decodeIntoBitmap(record, bitmap, true, correctionNone) != dvcOk)
            return false;
        thumbnailReduction(bitmap);
        benchmark::DoNotOptimize(bitmap.pixels());
        return bitmap.width == 80;
    }
};

class BareLowresDecode : public Task {
public:
    BareLowresDecode() : context_(openCodec(false, 3)), frame_(av_frame_alloc()) {}
    ~BareLowresDecode() override
    {
        av_frame_free(&frame_);
        avcodec_free_context(&context_);
    }
    bool run() override { return decodeRaw(context_, frame_); }

private:
    AVCodecContext* context_;
    AVFrame* frame_;
};

// The bare decode after plain reads of the DVF file into the frame, as the thumbnail path
// reads it: like with like.
class BareReadLowresDecode : public BareLowresDecode {
public:
    bool run() override { return readDvfIntoRawFrame() && BareLowresDecode::run(); }
};

// The work file's round trip with plain calls: the bytes of a 720-wide 24-bit bitmap written
// to a file in the program folder, read back whole and the file removed, as a convert and an
// import do between their steps.
class BareWorkFile {
public:
    explicit BareWorkFile(const char* name) : path_(scene().file(name)) {}
    bool roundTrip()
    {
        const bool done = writeWholeFile(path_, {{rows_.data(), rows_.size()}}) && readBack();
        std::filesystem::remove(path_);
        return done;
    }

private:
    bool readBack()
    {
        FilePtr file(std::fopen(path_.c_str(), "rb"));
        return file && std::fread(rows_.data(), 1, rows_.size(), file.get()) == rows_.size();
    }

    std::string path_;
    std::vector<uint8_t> rows_ = std::vector<uint8_t>(54 + 2160 * lines, 0x40);
};

class ConvertJpegSize1 : public Task {
public:
    // Settings as they come: JPEG, quality 75, 640 x 480, movement correction.
    explicit ConvertJpegSize1(int revision = ImageSettings().Revision)
    {
        settings_.Revision = revision;
    }
    bool run() override
    {
        Scene& s = scene();
        return convertPictureFile(s.dvf, out_, saveAsJpeg, false, settings_, s.check);
    }

private:
    ImageSettings settings_;
    std::string out_ = scene().file("convert.jpg");
};

// The bare baseline corrects nothing: without correction is the like-for-like comparison.
class ConvertJpegSize1NoCorrection : public ConvertJpegSize1 {
public:
    ConvertJpegSize1NoCorrection() : ConvertJpegSize1(0) {}
};

// The DVF file read, decode, colour conversion straight to 640 x 480 red-green-blue (the rows
// the JPEG writer takes without converting), JPEG write at the same quality. No correction, no
// work file of the decoded picture.
class BareDecodeJpegNoWorkFile : public Task {
public:
    BareDecodeJpegNoWorkFile() : context_(openCodec(false, 0)), frame_(av_frame_alloc()) {}
    ~BareDecodeJpegNoWorkFile() override
    {
        sws_freeContext(scaler_);
        av_frame_free(&frame_);
        avcodec_free_context(&context_);
    }
    bool run() override { return decodeToRgb() && save(); }

protected:
    bool decodeToRgb()
    {
        if (!readDvfIntoRawFrame() || !decodeRaw(context_, frame_))
            return false;
        cachedScaler(scaler_, 720, lines, AV_PIX_FMT_YUV411P, 640, 480, AV_PIX_FMT_RGB24);
        uint8_t* destination[4] = {picture_.bits(), nullptr, nullptr, nullptr};
        const int stride[4] = {int(picture_.bytesPerLine()), 0, 0, 0};
        sws_scale(scaler_, frame_->data, frame_->linesize, 0, lines, destination, stride);
        return true;
    }
    // Written beside the last picture and renamed over it, as every picture save replaces its
    // target: a failed save leaves the file that was there.
    bool save()
    {
        return picture_.save(QString::fromStdString(workFile_), "JPEG", 75) &&
               std::rename(workFile_.c_str(), out_.c_str()) == 0;
    }

private:
    AVCodecContext* context_;
    AVFrame* frame_;
    SwsContext* scaler_ = nullptr;
    QImage picture_{640, 480, QImage::Format_RGB888};
    std::string out_ = scene().file("bare.jpg");
    std::string workFile_ = out_ + partSuffix;
};

// The same with the work file every convert writes after the decode, reads back and deletes
// before the save: like with like.
class BareDecodeJpeg : public BareDecodeJpegNoWorkFile {
public:
    bool run() override { return decodeToRgb() && workFile_.roundTrip() && save(); }

private:
    BareWorkFile workFile_{"bare.bmp"};
};

class ImportJpeg : public Task {
public:
    // An import writes a new side file; replacing the last run's file instead would add the
    // file system's truncation of it to every run.
    void prepare() override { std::filesystem::remove(out_); }
    bool run() override
    {
        Scene& s = scene();
        return importToDvf(s.jpeg, out_, settings_, s.check);
    }

private:
    ImageSettings settings_; // NTSC, squeeze, black
    std::string out_ = scene().file("import.dvf");
};

// An encoder with the program's settings, its frame and converter.
class BareEncoder {
public:
    BareEncoder() : context_(openCodec(true, 0)), frame_(encoderFrame()) {}
    ~BareEncoder()
    {
        sws_freeContext(scaler_);
        av_frame_free(&frame_);
        avcodec_free_context(&context_);
    }
    std::vector<uint8_t> encode(const uint8_t* pixels, int width, int height, int stride, AVPixelFormat format)
    {
        return bareEncode(context_, frame_, scaler_, pixels, width, height, stride, format);
    }

private:
    AVCodecContext* context_;
    AVFrame* frame_;
    SwsContext* scaler_ = nullptr;
};

// The picture of the JPEG file, read once: the bare encode works on what the import encodes.
QImage jpegPicture()
{
    return QImageReader(QString::fromStdString(scene().jpeg)).read();
}

// Scale the picture to 720 x 480 in the colour conversion and encode it, the reading left out.
class BareEncode : public Task {
public:
    bool run() override
    {
        // The reader gives 32-bit pixels, blue-green-red-alpha in memory: converted as they are.
        return !encoder_.encode(picture_.constBits(), picture_.width(), picture_.height(),
                                int(picture_.bytesPerLine()), AV_PIX_FMT_BGRA).empty();
    }

private:
    BareEncoder encoder_;
    QImage picture_ = jpegPicture();
};

// The same with the reading of the JPEG file: an import cannot do less.
class BareJpegReadEncode : public Task {
public:
    bool run() override
    {
        const QImage picture = jpegPicture();
        return !encoder_.encode(picture.constBits(), picture.width(), picture.height(),
                                int(picture.bytesPerLine()), AV_PIX_FMT_BGRA).empty();
    }

private:
    BareEncoder encoder_;
};

// What an import must do at the least with bare calls: read the JPEG, write the 720-wide
// picture to the work file and read it back (as the import does: one write, one read, then
// the file removed), encode. The encoder's own scaling stands in for the import's resize.
class BareImportFloor : public Task {
public:
    bool run() override
    {
        const QImage picture = jpegPicture();
        return workFile_.roundTrip() &&
               !encoder_.encode(picture.constBits(), picture.width(), picture.height(),
                                int(picture.bytesPerLine()), AV_PIX_FMT_BGRA).empty();
    }

private:
    BareEncoder encoder_;
    BareWorkFile workFile_{"floor.bmp"};
};

BENCHMARK_TEMPLATE(timed, ThumbnailPath)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareLowresDecode)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareReadLowresDecode)->Apply(measured);
BENCHMARK_TEMPLATE(timed, ConvertJpegSize1)->Apply(measured);
BENCHMARK_TEMPLATE(timed, ConvertJpegSize1NoCorrection)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareDecodeJpegNoWorkFile)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareDecodeJpeg)->Apply(measured);
BENCHMARK_TEMPLATE(timed, ImportJpeg)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareEncode)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareJpegReadEncode)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareImportFloor)->Apply(measured);

// The import is held against bare calls that do what every import must: read the JPEG, and
// also pass the picture through the work file (the floor). The bare encode alone leaves both
// out, and the floor itself takes half as long again as the encode: no import can come within
// 1.3 of it, so that line shows what the reading and the work file add and has no goal.
const std::vector<Figure> figures = {
    {"thumbnail_vs_bare_lowres", make<ThumbnailPath>(), make<BareLowresDecode>()},
    {"thumbnail_vs_bare_read_lowres", make<ThumbnailPath>(), make<BareReadLowresDecode>()},
    {"convert_jpeg_size1_vs_bare_decode_jpeg", make<ConvertJpegSize1>(), make<BareDecodeJpeg>()},
    {"convert_jpeg_size1_no_correction_vs_bare_decode_jpeg", make<ConvertJpegSize1NoCorrection>(),
     make<BareDecodeJpeg>()},
    // Not a goal: what the work file adds to the bare decode and JPEG write.
    {"bare_decode_jpeg_vs_no_work_file", make<BareDecodeJpeg>(), make<BareDecodeJpegNoWorkFile>(),
     "what the work file costs"},
    {"import_jpeg_vs_bare_jpeg_read_encode", make<ImportJpeg>(), make<BareJpegReadEncode>()},
    // Not goals: how far above the bare encode the import, and any import, must be.
    {"import_jpeg_vs_bare_encode", make<ImportJpeg>(), make<BareEncode>(), "the JPEG read and work file added"},
    {"bare_import_floor_vs_bare_encode", make<BareImportFloor>(), make<BareEncode>(), "the least an import can be"},
    {"import_jpeg_vs_bare_import_floor", make<ImportJpeg>(), make<BareImportFloor>(), "goal<=1.3"},
};

} // namespace

int main(int argc, char** argv)
{
    return runBenchProgram(argc, argv, setUpScene, figures, scene().folder);
}

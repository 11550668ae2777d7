// Figures of the picture paths, each next to a bare libavcodec / toolkit baseline measured in
// the same run: the thumbnail path, saving as JPEG at size 1, importing a 640 x 480 JPEG.
#include "album/TargetPath.h"
#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/Resampling.h"
#include "image/TestPattern.h"

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
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

constexpr int lines = 480;

struct QuietPrompts : PathPrompts {
    bool askYesNo(const QString&, const QString&) override { return true; }
    void warn(std::string_view key, const QString&, const QString&) override
    {
        std::fprintf(stderr, "bench: target path check refused (%s)\n", std::string(key).c_str());
    }
};

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
    char pattern[] = "/tmp/vantrel-bench-XXXXXX";
    s.folder = mkdtemp(pattern);
    setenv("VANTREL_HOME", s.folder.c_str(), 1);
    if (!DvcLoad())
        std::abort();
    s.check = [](const std::string& path, const std::string& extension, uint64_t bytes, bool ask) {
        return targetPathCheck(path, extension, bytes, ask, scene().prompts);
    };
    s.dvf = s.file("picture.dvf");
    const auto frame = encodedTestFrame(dvSystem525);
    std::vector<uint8_t> sequences;
    for (int q = 0; q < 10; ++q)
        sequences.insert(sequences.end(), frame.begin() + q * 12000 + 80, frame.begin() + (q + 1) * 12000);
    if (!writeDvfFile(sequences.data(), s.dvf, dvSystem525, false))
        std::abort();
    const auto pixels = testPattern(dvSystem525);
    const QImage picture(pixels.data(), 720, lines, 2160, QImage::Format_BGR888);
    s.jpeg = s.file("picture.jpg");
    picture.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(QString::fromStdString(s.jpeg), "JPEG", 90);
    // The frame the DVF file holds, with the header blocks of a 525/60 frame: the bare
    // decoder works on the same data as the program.
    s.rawFrame.assign(frame.begin(), frame.begin() + 120000);
    for (int q = 0; q < 10; ++q) {
        uint8_t* header = &s.rawFrame[q * 12000];
        header[0] = 0x1F;
        header[1] = static_cast<uint8_t>(q << 4 | 7);
        header[2] = 0;
        header[3] = 0x3F;
    }
    s.rawFrame.resize(s.rawFrame.size() + AV_INPUT_BUFFER_PADDING_SIZE);
}

bool decodeRaw(AVCodecContext* context, AVFrame* frame)
{
    AVPacket* packet = av_packet_alloc();
    packet->data = scene().rawFrame.data();
    packet->size = 120000;
    const bool ok = avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0;
    packet->data = nullptr;
    av_packet_free(&packet);
    return ok;
}

void ThumbnailPath(benchmark::State& state)
{
    for (auto _ : state) {
        PictureRecord record;
        record.path = scene().dvf;
        readPictureFile(record);
        FrameBitmap bitmap;
        decodeIntoBitmap(record, bitmap, true, correctionNone);
        thumbnailReduction(bitmap);
        benchmark::DoNotOptimize(bitmap.pixels());
    }
}

void BareLowresDecode(benchmark::State& state)
{
    AVCodecContext* context = openCodec(false, 3);
    AVFrame* frame = av_frame_alloc();
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeRaw(context, frame));
    av_frame_free(&frame);
    avcodec_free_context(&context);
}

void convertJpegSize1With(benchmark::State& state, int revision)
{
    Scene& s = scene();
    ImageSettings settings; // JPEG, quality 75, 640 x 480
    settings.Revision = revision;
    const std::string out = s.file("convert.jpg");
    for (auto _ : state)
        benchmark::DoNotOptimize(convertPictureFile(s.dvf, out, saveAsJpeg, false, settings, s.check));
}

// With the default movement correction, and without correction: the bare baseline corrects
// nothing, so the second is the like-for-like comparison.
void ConvertJpegSize1(benchmark::State& state)
{
    convertJpegSize1With(state, ImageSettings().Revision);
}

void ConvertJpegSize1NoCorrection(benchmark::State& state)
{
    convertJpegSize1With(state, 0);
}

// Decode, colour conversion straight to 640 x 480 red-green-blue (the rows the JPEG writer
// takes without converting), JPEG write at the same quality. No correction, no work file.
void BareDecodeJpeg(benchmark::State& state)
{
    AVCodecContext* context = openCodec(false, 0);
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    QImage picture(640, 480, QImage::Format_RGB888);
    const QString out = QString::fromStdString(scene().file("bare.jpg"));
    for (auto _ : state) {
        decodeRaw(context, frame);
        cachedScaler(scaler, 720, lines, AV_PIX_FMT_YUV411P, 640, 480, AV_PIX_FMT_RGB24);
        uint8_t* destination[4] = {picture.bits(), nullptr, nullptr, nullptr};
        const int stride[4] = {int(picture.bytesPerLine()), 0, 0, 0};
        sws_scale(scaler, frame->data, frame->linesize, 0, lines, destination, stride);
        benchmark::DoNotOptimize(picture.save(out, "JPEG", 75));
    }
    sws_freeContext(scaler);
    av_frame_free(&frame);
    avcodec_free_context(&context);
}

void ImportJpeg(benchmark::State& state)
{
    Scene& s = scene();
    ImageSettings settings; // NTSC, squeeze, black
    const std::string out = s.file("import.dvf");
    for (auto _ : state) {
        // An import writes a new side file; replacing the last run's file instead would add
        // the file system's truncation of it to every run.
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
        benchmark::DoNotOptimize(importToDvf(s.jpeg, out, settings, s.check));
    }
}

// Encode only: the 720 x 480 pattern into one DV frame, with the program's encoder settings.
void BareEncode(benchmark::State& state)
{
    AVCodecContext* context = openCodec(true, 0);
    AVFrame* frame = encoderFrame();
    SwsContext* scaler = nullptr;
    const auto pixels = testPattern(dvSystem525);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bareEncode(context, frame, scaler, pixels.data(), 720, lines, 2160, AV_PIX_FMT_BGR24));
    sws_freeContext(scaler);
    av_frame_free(&frame);
    avcodec_free_context(&context);
}

// Read the 640 x 480 JPEG, scale it to 720 x 480 in the colour conversion, encode. An import
// cannot do less: its input is the JPEG file, whose reading costs about a third of the encode.
void BareJpegReadEncode(benchmark::State& state)
{
    AVCodecContext* context = openCodec(true, 0);
    AVFrame* frame = encoderFrame();
    SwsContext* scaler = nullptr;
    const QString path = QString::fromStdString(scene().jpeg);
    for (auto _ : state) {
        // The reader gives 32-bit pixels, blue-green-red-alpha in memory: converted as they are.
        const QImage picture = QImageReader(path).read();
        benchmark::DoNotOptimize(bareEncode(context, frame, scaler, picture.constBits(), picture.width(),
                                            picture.height(), int(picture.bytesPerLine()),
                                            AV_PIX_FMT_BGRA));
    }
    sws_freeContext(scaler);
    av_frame_free(&frame);
    avcodec_free_context(&context);
}

// Five runs each; the figures take the quickest, the run least disturbed by the other work
// on the machine.
void measured(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime()->Repetitions(5)
        ->DisplayAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        });
}

BENCHMARK(ThumbnailPath)->Apply(measured);
BENCHMARK(BareLowresDecode)->Apply(measured);
BENCHMARK(ConvertJpegSize1)->Apply(measured);
BENCHMARK(ConvertJpegSize1NoCorrection)->Apply(measured);
BENCHMARK(BareDecodeJpeg)->Apply(measured);
BENCHMARK(ImportJpeg)->Apply(measured);
BENCHMARK(BareEncode)->Apply(measured);
BENCHMARK(BareJpegReadEncode)->Apply(measured);

// The console table, and each benchmark's time per iteration kept for the figures.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    // Without colours, so that every FIGURE line starts its line.
    FigureReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
    }
    std::map<std::string, double> times;    // wall clock, what the user waits
    std::map<std::string, double> cpuTimes; // all threads of the process, steadier on a busy machine
};

struct Figure {
    const char* name;
    const char* path;
    const char* baseline;
};

// The import is held against reading and encoding: a bare encode alone leaves out the JPEG
// reading that no import can skip. Its ratio to the bare encode is printed as well.
constexpr Figure figures[] = {
    {"thumbnail_vs_bare_lowres", "ThumbnailPath", "BareLowresDecode"},
    {"convert_jpeg_size1_vs_bare_decode_jpeg", "ConvertJpegSize1", "BareDecodeJpeg"},
    {"convert_jpeg_size1_no_correction_vs_bare_decode_jpeg", "ConvertJpegSize1NoCorrection",
     "BareDecodeJpeg"},
    {"import_jpeg_vs_bare_jpeg_read_encode", "ImportJpeg", "BareJpegReadEncode"},
    {"import_jpeg_vs_bare_encode", "ImportJpeg", "BareEncode"},
};

void printFigure(const std::string& name, const std::map<std::string, double>& times, const Figure& figure)
{
    const auto path = times.find(figure.path);
    const auto baseline = times.find(figure.baseline);
    if (path == times.end() || baseline == times.end() || baseline->second <= 0)
        return;
    std::printf("FIGURE %s %.2f ratio goal<=1.3\n", name.c_str(), path->second / baseline->second);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    setUpScene();
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& figure : figures) {
        printFigure(figure.name, reporter.times, figure);
        printFigure(std::string(figure.name) + "_cpu", reporter.cpuTimes, figure);
    }
    std::error_code error;
    std::filesystem::remove_all(scene().folder, error);
    DvcRelease();
    return 0;
}

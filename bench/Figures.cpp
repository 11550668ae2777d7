#include "Figures.h"

#include "image/DvCodec.h"
#include "image/DvFrame.h"
#include "image/WholeFile.h"
#include "image/Dvf.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vantrel::bench {

using Clock = std::chrono::steady_clock;

std::optional<double> secondsFor(Task& task, int runs)
{
    Clock::duration total{};
    for (int i = 0; i < runs; ++i) {
        task.prepare();
        const auto start = Clock::now();
        const bool done = task.run();
        total += Clock::now() - start;
        if (!done)
            return std::nullopt;
    }
    return std::chrono::duration<double>(total).count();
}

bool printFigure(const Figure& figure, int rounds, int runsPerTurn)
{
    const auto path = figure.path();
    const auto baseline = figure.baseline();
    // Warm both: first runs open codecs and fault buffers in.
    bool done = secondsFor(*path, runsPerTurn) && secondsFor(*baseline, runsPerTurn);
    std::vector<double> ratios;
    for (int r = 0; done && r < rounds; ++r) {
        const auto pathSeconds = secondsFor(*path, runsPerTurn);
        const auto baselineSeconds = secondsFor(*baseline, runsPerTurn);
        done = pathSeconds && baselineSeconds;
        if (done)
            ratios.push_back(*pathSeconds / *baselineSeconds);
    }
    if (!done) {
        std::fprintf(stderr, "%s: a run failed, no figure\n", figure.name);
        return false;
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("FIGURE %s %.2f ratio %s (rounds %d, lowest %.2f, highest %.2f)\n", figure.name,
                ratios[ratios.size() / 2], figure.goal, rounds, ratios.front(), ratios.back());
    return true;
}

void measured(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(0.2)->Repetitions(5)
        ->DisplayAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        });
}

void QuietPrompts::warn(std::string_view key, const QString&, const QString&)
{
    std::fprintf(stderr, "bench: target path check refused (%s)\n", std::string(key).c_str());
}

std::string benchProgramFolder()
{
    char pattern[] = "/tmp/vantrel-bench-XXXXXX";
    if (!mkdtemp(pattern) || !DvcLoad())
        std::abort();
    setenv("VANTREL_HOME", pattern, 1);
    return pattern;
}

std::vector<uint8_t> storedSequences525(const std::vector<uint8_t>& frame)
{
    std::vector<uint8_t> sequences;
    for (int q = 0; q < 10; ++q)
        sequences.insert(sequences.end(), frame.begin() + q * dvSequenceBytes + dvBlockBytes,
                         frame.begin() + (q + 1) * dvSequenceBytes);
    return sequences;
}

void putHeaderBlocks525(uint8_t* frame)
{
    for (int q = 0; q < dvSequences525; ++q)
        putHeaderBlockStart(frame + q * dvSequenceBytes, q, dvSystem525);
}

BareDecoder::BareDecoder(int lowres)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    context_ = avcodec_alloc_context3(codec);
    context_->lowres = lowres;
    if (avcodec_open2(context_, codec, nullptr) < 0)
        std::abort();
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
}

BareDecoder::~BareDecoder()
{
    av_packet_free(&packet_);
    av_frame_free(&picture_);
    avcodec_free_context(&context_);
}

std::vector<uint8_t> BareDecoder::frameBuffer()
{
    std::vector<uint8_t> frame(frameBytesOf(dvSystem525) + AV_INPUT_BUFFER_PADDING_SIZE);
    putHeaderBlocks525(frame.data());
    return frame;
}

bool BareDecoder::decode(uint8_t* frame)
{
    packet_->data = frame;
    packet_->size = frameBytesOf(dvSystem525);
    const bool ok = avcodec_send_packet(context_, packet_) == 0 &&
                    avcodec_receive_frame(context_, picture_) == 0;
    packet_->data = nullptr;
    packet_->size = 0;
    return ok;
}

bool readSideFile(const std::string& path, uint8_t* header, uint8_t* frame)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    bool read = file && std::fread(header, 1, dvfHeaderBytes, file.get()) == dvfHeaderBytes;
    for (int q = 0; read && q < dvSequences525; ++q)
        read = std::fread(frame + q * dvSequenceBytes + dvBlockBytes, 1, dvStoredSequenceBytes,
                          file.get()) == dvStoredSequenceBytes;
    return read;
}

int runBenchProgram(int argc, char** argv, void (*setUp)(), const std::vector<Figure>& figures,
                    const std::string& folder, int rounds, int runsPerTurn)
{
    benchmark::Initialize(&argc, argv);
    setUp();
    benchmark::RunSpecifiedBenchmarks();
    bool allPrinted = true;
    for (const auto& figure : figures)
        allPrinted = printFigure(figure, rounds, runsPerTurn) && allPrinted;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    DvcRelease();
    return allPrinted ? 0 : 1;
}

} // namespace vantrel::bench

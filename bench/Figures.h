#pragma once
// The figures of the bench programs: a path and its bare baseline run by turns in rounds, so
// that the machine's slower and quicker spells fall on both; the median ratio is the figure.
#include "image/TargetPath.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace vantrel::bench {

// One measured piece of work: `prepare` runs untimed before every `run`, which answers
// whether the work was done.
class Task {
public:
    virtual ~Task() = default;
    virtual void prepare() {}
    virtual bool run() = 0;
};

struct Figure {
    const char* name;
    std::function<std::unique_ptr<Task>()> path;
    std::function<std::unique_ptr<Task>()> baseline;
    const char* goal = "goal<=1.3";
};

template <class T>
std::function<std::unique_ptr<Task>()> make()
{
    return [] { return std::make_unique<T>(); };
}

// Seconds for `runs` runs of the task, its preparation left out; nothing when a run failed.
std::optional<double> secondsFor(Task& task, int runs);

// Prints "FIGURE name ratio unit goal" from the median over `rounds` rounds of path time /
// baseline time, each turn `runsPerTurn` runs, with the lowest and highest ratio.
// A figure whose work failed in any run is not printed (false).
bool printFigure(const Figure& figure, int rounds = 21, int runsPerTurn = 10);

// The Google Benchmark table's entry for a task.
template <class T>
void timed(benchmark::State& state)
{
    T task;
    for (auto _ : state) {
        state.PauseTiming();
        task.prepare();
        state.ResumeTiming();
        if (!task.run()) {
            state.SkipWithError("the task failed");
            return;
        }
    }
}

// Five runs of at least a fifth of a second each, the quickest shown beside the mean.
void measured(benchmark::internal::Benchmark* b);

// Answers Yes and reports a refusal on stderr.
struct QuietPrompts : PathPrompts {
    bool askYesNo(const QString&, const QString&) override { return true; }
    void warn(std::string_view key, const QString&, const QString&) override;
};

// A fresh program folder below /tmp (VANTREL_HOME points at it) with the codec loaded.
std::string benchProgramFolder();
// The ten stored sequences (11920 bytes each) of a 525/60 frame of 12000-byte sequences.
std::vector<uint8_t> storedSequences525(const std::vector<uint8_t>& frame);
// Gives the ten sequences of a 525/60 frame the header blocks a bare decoder needs.
void putHeaderBlocks525(uint8_t* frame);

// libavcodec's DV decoder on its own (`lowres` 3: one eighth), for 525/60 frames whose header
// blocks it is given.
class BareDecoder {
public:
    explicit BareDecoder(int lowres = 3);
    ~BareDecoder();
    BareDecoder(const BareDecoder&) = delete;
    BareDecoder& operator=(const BareDecoder&) = delete;
    // A frame buffer with the decoder's padding, its header blocks those of a 525/60 frame.
    static std::vector<uint8_t> frameBuffer();
    bool decode(uint8_t* frame);
    const AVFrame* picture() const { return picture_; }

private:
    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
};

// Plain reads of a 525/60 DVF file's header and sequences into a frame buffer.
bool readSideFile(const std::string& path, uint8_t* header, uint8_t* frame);

// Runs the table, then prints the figures; removes `folder` and releases the codec.
int runBenchProgram(int argc, char** argv, void (*setUp)(), const std::vector<Figure>& figures,
                    const std::string& folder, int rounds = 21, int runsPerTurn = 10);

} // namespace vantrel::bench

#include "Figures.h"

#include "image/DvCodec.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vantrel::bench {

using Clock = std::chrono::steady_clock;

double secondsFor(Task& task, int runs)
{
    Clock::duration total{};
    for (int i = 0; i < runs; ++i) {
        task.prepare();
        const auto start = Clock::now();
        task.run();
        total += Clock::now() - start;
    }
    return std::chrono::duration<double>(total).count();
}

void printFigure(const Figure& figure, int rounds, int runsPerTurn)
{
    const auto path = figure.path();
    const auto baseline = figure.baseline();
    secondsFor(*path, runsPerTurn); // warm both: first runs open codecs and fault buffers in
    secondsFor(*baseline, runsPerTurn);
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        const double pathSeconds = secondsFor(*path, runsPerTurn);
        ratios.push_back(pathSeconds / secondsFor(*baseline, runsPerTurn));
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("FIGURE %s %.2f ratio %s (rounds %d, lowest %.2f, highest %.2f)\n", figure.name,
                ratios[ratios.size() / 2], figure.goal, rounds, ratios.front(), ratios.back());
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
    for (int q = 0; q < 10; ++q) {
        uint8_t* header = frame + q * dvSequenceBytes;
        header[0] = 0x1F;
        header[1] = static_cast<uint8_t>(q << 4 | 7);
        header[2] = 0;
        header[3] = 0x3F;
    }
}

int runBenchProgram(int argc, char** argv, void (*setUp)(), const std::vector<Figure>& figures,
                    const std::string& folder, int rounds, int runsPerTurn)
{
    benchmark::Initialize(&argc, argv);
    setUp();
    benchmark::RunSpecifiedBenchmarks();
    for (const auto& figure : figures)
        printFigure(figure, rounds, runsPerTurn);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    DvcRelease();
    return 0;
}

} // namespace vantrel::bench

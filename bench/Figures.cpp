#include "Figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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

} // namespace vantrel::bench

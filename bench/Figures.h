#pragma once
// The figures of the bench programs: a path and its bare baseline run by turns in rounds, so
// that the machine's slower and quicker spells fall on both; the median ratio is the figure.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace vantrel::bench {

// One measured piece of work: `prepare` runs untimed before every `run`.
class Task {
public:
    virtual ~Task() = default;
    virtual void prepare() {}
    virtual void run() = 0;
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

// Seconds for `runs` runs of the task, its preparation left out.
double secondsFor(Task& task, int runs);

// Prints "FIGURE name ratio unit goal" from the median over `rounds` rounds of path time /
// baseline time, each turn `runsPerTurn` runs, with the lowest and highest ratio.
void printFigure(const Figure& figure, int rounds = 21, int runsPerTurn = 10);

// The Google Benchmark table's entry for a task.
template <class T>
void timed(benchmark::State& state)
{
    T task;
    for (auto _ : state) {
        state.PauseTiming();
        task.prepare();
        state.ResumeTiming();
        task.run();
    }
}

// Five runs of at least a fifth of a second each, the quickest shown beside the mean.
void measured(benchmark::internal::Benchmark* b);

} // namespace vantrel::bench

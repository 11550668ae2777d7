// Status polls per second against `quobsim --realtime` at 9600 bit/s, next to the line-rate
// limit of one exchange: 11 bytes out and 11 back at 10 bits a byte.
#include "SimulatorProcess.h"
#include "link/Quobvtr.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

using namespace vantrel;

namespace {

constexpr double lineRate = 9600;
constexpr double bytesPerExchange = 22;
constexpr double bitsPerByte = 10;
constexpr double goalShare = 0.9;

double measuredPollsPerSecond = 0;

void BM_StatusPollRealtime9600(benchmark::State& state)
{
    bench::SimulatorProcess simulator({"--realtime", "--device", "1:camcorder"});
    CQuobIO io;
    if (!simulator.ready() || !io.OpenDevice(simulator.link()) || !io.SetControlMode()) {
        state.SkipWithError("cannot start quobsim --realtime");
        return;
    }
    QuobVtr vtr(io);
    vtr.SetId(1);
    vtr.Poll(); // the first exchange settles the line
    int answered = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        answered += vtr.Poll() ? 1 : 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (answered != static_cast<int>(state.iterations())) {
        state.SkipWithError("polls went unanswered");
        return;
    }
    measuredPollsPerSecond = static_cast<double>(state.iterations()) / seconds;
    state.counters["polls_per_s"] = measuredPollsPerSecond;
}
BENCHMARK(BM_StatusPollRealtime9600)->Iterations(300)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (measuredPollsPerSecond <= 0)
        return 1; // the run failed: no figure
    const double limit = lineRate / (bytesPerExchange * bitsPerByte);
    std::printf("line-rate limit of one status exchange at 9600 bit/s: %.2f polls/s\n", limit);
    std::printf("FIGURE status_polls_per_second %.2f polls/s goal>=%.2f\n", measuredPollsPerSecond, goalShare * limit);
    std::printf("FIGURE status_polls_vs_line_limit %.3f ratio goal>=%.2f\n", measuredPollsPerSecond / limit, goalShare);
    return 0;
}

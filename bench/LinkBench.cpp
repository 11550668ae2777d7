// Status polls per second against `quobsim --realtime` at 9600 bit/s, next to the line-rate
// limit of one exchange: 11 bytes out and 11 back at 10 bits a byte.
#include "link/Quobvtr.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

extern char** environ;

using namespace vantrel;

namespace {

constexpr double lineRate = 9600;
constexpr double bytesPerExchange = 22;
constexpr double bitsPerByte = 10;
constexpr double goalShare = 0.9;

double measuredPollsPerSecond = 0;

// The quobsim command beside this program, serving a realtime line under a temporary name.
class SimulatorProcess {
public:
    SimulatorProcess()
    {
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        link_ = (std::filesystem::temp_directory_path() / ("quobsim-bench-" + std::to_string(getpid()))).string();
        const std::string program = (folder / "quobsim").string();
        const char* argv[] = {program.c_str(), "--realtime", "--link", link_.c_str(), "--device", "1:camcorder", nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = 0;
        for (int i = 0; i < 100 && pid_ && !std::filesystem::exists(link_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~SimulatorProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool ready() const { return pid_ > 0 && std::filesystem::exists(link_); }
    const std::string& link() const { return link_; }

private:
    pid_t pid_ = 0;
    std::string link_;
};

void BM_StatusPollRealtime9600(benchmark::State& state)
{
    SimulatorProcess simulator;
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

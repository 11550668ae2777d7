// The simulator's peak memory while its tape is a 10-minute DV file (about 2 GB, made for the
// run in a temporary folder and removed after it), next to the same simulator showing its
// test pattern for as long. The file is read a frame at a time, so the two should differ
// by little more than the file reader's buffers.
#include "SimulatorProcess.h"
#include "TapeWriter.h"

#include "image/DvCodec.h"
#include "image/TestPattern.h"
#include "link/QuobCommands.h"
#include "link/Quobvtr.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace vantrel;

namespace {

constexpr int framesPerSecond = 30;
constexpr int64_t tapeFrames = 10 * 60 * framesPerSecond;
constexpr int distinctPictures = 30;
constexpr double playSeconds = 2;
constexpr double windLimitSeconds = 120;
constexpr double megabyte = 1024.0 * 1024.0;
constexpr double goalMegabytes = 50;
constexpr uintmax_t spaceNeeded = uintmax_t(3) << 30;

std::string tapePath;
double windSeconds = 0;
double tapePeak = 0;
double patternPeak = 0;

// 10 minutes of 525/60 frames in an AVI: a few moving pictures over and over, each frame
// with its own time code.
bool writeTenMinuteFile(const std::string& path)
{
    if (!DvcLoad())
        return false;
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < distinctPictures; ++i)
        pictures.push_back(encodedFrame(dvSystem525, quobsim::movingPicture(dvSystem525, i)));
    quobsim::TapeWriter writer(path, dvSystem525, quobsim::TapeWriter::Container::Avi);
    for (int64_t frame = 0; frame < tapeFrames && writer.ok(); ++frame) {
        auto layout = pictures[size_t(frame % distinctPictures)];
        quobsim::completeTapeFrame(layout, dvSystem525, frame);
        writer.add(layout.data());
    }
    return writer.finish();
}

bool pollUntilStopped(QuobVtr& vtr, double limitSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < limitSeconds) {
        vtr.Poll();
        if (vtr.state == VtrState::Stop)
            return true;
    }
    return false;
}

// Plays the tape a little, then winds it to its end while polling its status; without a tape
// file, polls for as long as the tape took.
double drive(const std::vector<std::string>& arguments, bool wind, benchmark::State& state)
{
    bench::SimulatorProcess simulator(arguments);
    CQuobIO io;
    if (!simulator.ready() || !io.OpenDevice(simulator.link()) || !io.SetControlMode()) {
        state.SkipWithError("cannot start quobsim");
        return 0;
    }
    QuobVtr vtr(io);
    vtr.SetId(1);
    vtr.SetState(VtrState::Play, true);
    const auto start = std::chrono::steady_clock::now();
    pollUntilStopped(vtr, playSeconds);
    if (wind) {
        vtr.SetState(VtrState::FastForward, true);
        if (!pollUntilStopped(vtr, windLimitSeconds)) {
            state.SkipWithError("the tape did not reach its end");
            return 0;
        }
        windSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } else {
        vtr.SetState(VtrState::FastForward, true);
        pollUntilStopped(vtr, windSeconds);
    }
    return simulator.peakMemoryBytes();
}

void TenMinuteTapeFile(benchmark::State& state)
{
    for (auto _ : state)
        tapePeak = drive({"--device", "1:camcorder", "--tape", tapePath, "--recorded-timecode"}, true, state);
    state.counters["peak_MB"] = tapePeak / megabyte;
    state.counters["seconds"] = windSeconds;
}
BENCHMARK(TenMinuteTapeFile)->Iterations(1)->Unit(benchmark::kSecond);

void TestPatternAsLong(benchmark::State& state)
{
    for (auto _ : state)
        patternPeak = drive({"--device", "1:camcorder"}, false, state);
    state.counters["peak_MB"] = patternPeak / megabyte;
}
BENCHMARK(TestPatternAsLong)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    const auto folder = std::filesystem::temp_directory_path() / ("vantrel-tape-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    tapePath = (folder / "ten-minutes.avi").string();
    const bool made = std::filesystem::space(folder).available > spaceNeeded && writeTenMinuteFile(tapePath);
    if (made) {
        std::printf("tape file: %.0f MB\n", double(std::filesystem::file_size(tapePath)) / megabyte);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    std::filesystem::remove_all(folder);
    if (!made || tapePeak <= 0 || patternPeak <= 0) {
        std::fprintf(stderr, "no 10-minute tape file could be made or played (3 GB free needed)\n");
        return 1;
    }
    std::printf("FIGURE simulator_tape_peak_memory_above_pattern %.1f MB goal<=%.0f\n",
                (tapePeak - patternPeak) / megabyte, goalMegabytes);
    return 0;
}

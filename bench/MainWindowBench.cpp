// The main window's first show restoring 99 side files while a 10 ms timer ticks on the
// window thread: the longest gap between two ticks is how long the window stopped serving
// its events.
#include "album/Cptmain.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string folder;
std::string picture;
std::vector<double> longestGaps;

void setUpFolder()
{
    char pattern[] = "/tmp/vantrel-bench-XXXXXX";
    folder = mkdtemp(pattern);
    setenv("VANTREL_HOME", folder.c_str(), 1);
    if (!DvcLoad())
        std::abort();
    const auto frame = encodedTestFrame(dvSystem525);
    std::vector<uint8_t> sequences;
    for (int q = 0; q < 10; ++q)
        sequences.insert(sequences.end(), frame.begin() + q * dvSequenceBytes + dvBlockBytes,
                         frame.begin() + (q + 1) * dvSequenceBytes);
    picture = folder + "/picture.dvf";
    if (!writeDvfFile(sequences.data(), picture, dvSystem525, false))
        std::abort();
}

void writeSideFiles()
{
    for (int place = 1; place <= albumMaxPictures; ++place)
        fs::copy_file(picture, folder + "/" + sideFileName(place), fs::copy_options::overwrite_existing);
}

// One first show over 99 side files; the longest gap between ticks in milliseconds.
double restoreWithTicks()
{
    TfrmCptMain window;
    Clock::time_point last = Clock::now();
    double longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    tick.start(10);
    last = Clock::now();
    window.show();
    while (!window.firstShowDone())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    if (window.album.count() != albumMaxPictures)
        std::abort();
    return longest;
}

void BM_FirstShowRestoring99(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        writeSideFiles();
        state.ResumeTiming();
        longestGaps.push_back(restoreWithTicks());
    }
}
BENCHMARK(BM_FirstShowRestoring99)->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    setUpFolder();
    benchmark::RunSpecifiedBenchmarks();
    std::sort(longestGaps.begin(), longestGaps.end());
    if (!longestGaps.empty())
        std::printf("FIGURE ui_stall_restore_99_ms %.1f ms goal<=50 (runs %zu, lowest %.1f, highest %.1f)\n",
                    longestGaps[longestGaps.size() / 2], longestGaps.size(), longestGaps.front(),
                    longestGaps.back());
    std::error_code error;
    fs::remove_all(folder, error);
    DvcRelease();
    return 0;
}

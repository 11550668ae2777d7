// A whole capture at 115200 bit/s against the simulator pacing its bytes in real time,
// next to the protocol's own minimum: every byte at its line rate plus the fixed waits the
// protocol prescribes.
#include "CaptureMinimum.h"
#include "Simulator.h"
#include "SptpSide.h"

#include "capture/CaptureWindows.h"
#include "capture/Quobcpt.h"
#include "image/DvCodec.h"
#include "link/Quobio.h"
#include "link/Quobvtr.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

class QuietWindows : public QObject, public CaptureWindows, public CaptureAlbum {
public:
    QObject* waitDialog() override { return this; }
    bool stopRequested() override { return false; }
    void clearStopRequest() override {}
    void setControllerEnabled(bool) override {}
    QObject* albumWindow() override { return this; }
    int pictureCount() override { return 0; }
    std::string sideFileName(int) override { return folder.filePath("lum001.dat").toStdString(); }
    bool event(QEvent* event) override { return asWindowMessage(event) || QObject::event(event); }

    QTemporaryDir folder;
};

double lastMeasured = 0;
double lastMinimum = 0;

void WholeCaptureAt115200(benchmark::State& state)
{
    quobsim::SptpOptions options;
    options.layout = Layout;
    options.settlingSenses = SettlingSenses;
    auto side = std::make_shared<quobsim::SptpSide>(options);
    quobsim::Simulator sim({quobsim::camcorder(1)}, quobsim::Options{true, {}});
    sim.setTransferMode(side);
    CQuobIO io;
    if (!sim.start() || !io.OpenDevice(sim.slavePath()) || !io.SetControlMode()) {
        state.SkipWithError("no simulated line");
        return;
    }
    QuobVtr vtr(io);
    if (!vtr.Poll()) {
        state.SkipWithError("the simulated device does not answer");
        return;
    }
    QuietWindows windows;
    QuobCpt capture(io, vtr);
    capture.rateIndex = RateIndex;
    capture.windows = &windows;
    capture.album = &windows;
    double total = 0;
    for (auto _ : state) {
        const uint32_t start = tickCount();
        const int outcome = capture.Capture();
        const double elapsed = ticksSince(start) / 1000.0;
        if (outcome != 0) {
            state.SkipWithError("capture failed");
            return;
        }
        state.SetIterationTime(elapsed);
        total += elapsed;
    }
    lastMeasured = total / static_cast<double>(state.iterations());
    lastMinimum = protocolMinimum(side->frozenPicture());
    state.counters["protocol_minimum_s"] = lastMinimum;
    state.counters["plain_sum_s"] = plainSum(side->frozenPicture());
    state.counters["ratio"] = lastMeasured / lastMinimum;
}

BENCHMARK(WholeCaptureAt115200)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!DvcLoad()) {
        std::fprintf(stderr, "the DV codec cannot be loaded\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (lastMinimum <= 0)
        return 1; // the capture failed: no figure
    std::printf("capture at 115200 bit/s: %.2f s measured, protocol minimum %.2f s\n",
                lastMeasured, lastMinimum);
    std::printf("FIGURE capture_115200_vs_protocol_minimum %.3f ratio goal<=1.1\n",
                lastMeasured / lastMinimum);
    return 0;
}

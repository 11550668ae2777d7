// A whole capture at 115200 bit/s against the simulator pacing its bytes in real time,
// next to the protocol's own minimum: every byte at its line rate plus the fixed waits the
// protocol prescribes.
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

namespace {

constexpr int Layout = 6;
constexpr int RateIndex = 3;
constexpr int SettlingSenses = 2;
constexpr double BitsPerByte = 10;

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

double seconds(double bytes, int rate)
{
    return bytes * BitsPerByte / rate;
}

// The stuffed length of every block frame of the picture just sent.
std::vector<double> blockFrameBytes(const quobsim::SptpPicture& picture)
{
    const size_t blocks = picture.data.size() / sptp::BlockDataLength;
    std::vector<double> lengths;
    uint8_t frame[4000];
    for (size_t b = 0; b < blocks; ++b) {
        sptp::BlockHeader header;
        header.number = static_cast<uint16_t>(b);
        header.totalSize = static_cast<uint32_t>(picture.data.size());
        header.layout = picture.layoutByte;
        lengths.push_back(static_cast<double>(sptp::buildBlockFrame(
            1, header, &picture.data[b * sptp::BlockDataLength], sptp::BlockDataLength,
            b + 1 == blocks, frame, sizeof frame)));
    }
    return lengths;
}

// The shortest capture the protocol allows, step by step along its own timeline: every byte at
// the line rate of its moment and every wait it prescribes. Where the protocol overlaps the
// two (the block is on the line during the 150 ms wait after its request; the broadcast to 127
// is on the line during its 80 ms spacing) the longer one counts.
double protocolMinimum(const quobsim::SptpPicture& picture)
{
    constexpr double quobExchange = 22; // packet and answer, 9600 bit/s
    const int rate = sptp::transferRateFor(RateIndex).bitRate;
    const double pollS = sptp::transferRateFor(RateIndex).pollIntervalMs / 1000.0;
    double total = seconds(quobExchange * (1 + SettlingSenses + 2), 9600); // freeze, senses, pause, prepare
    total += std::max(0.080, seconds(11, 9600));                           // broadcast and spacing
    total += seconds(quobExchange, 9600) + 0.050;                          // SPTP1, mode settles
    total += seconds(14 + 11, 9600);                                       // rate command
    bool first = true;
    for (double frame : blockFrameBytes(picture)) {
        total += seconds(first ? 12 + 11 : 11, rate);        // start command or block request
        total += std::max(0.150, seconds(frame, rate));      // the block during the wait
        total += 2 * pollS;                                  // the empty reads that end a block
        first = false;
    }
    total += 1.0;                                            // after the picture is announced
    total += seconds(11 + 11, rate) + seconds(quobExchange, 9600); // end command, back in Quob
    return total;
}

// The same bytes and waits simply added up, without the overlaps.
double plainSum(const quobsim::SptpPicture& picture)
{
    const auto frames = blockFrameBytes(picture);
    double blockBytes = 0;
    for (double frame : frames)
        blockBytes += frame;
    const double blocks = static_cast<double>(frames.size());
    const int rate = sptp::transferRateFor(RateIndex).bitRate;
    return seconds(22 * (1 + SettlingSenses + 4) + 11 + 25, 9600)
           + seconds(23 + blockBytes + (blocks - 1) * 11 + 22, rate)
           + 0.080 + 0.050 + 0.150 * blocks + 1.0;
}

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

// The DV controller against the simulator pacing its bytes in real time: Capture pressed to
// the thumbnail in the album next to the protocol's minimum, and how soon a button's light
// follows a change of the tape.
#include "CaptureMinimum.h"
#include "Simulator.h"

#include "album/AlbumSlot.h"
#include "album/Cptmain.h"
#include "control/AvCtl.h"
#include "image/DvCodec.h"
#include "platform/Profile.h"
#include "platform/Ticks.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

// A program folder with the language files, COM1 on the simulated camcorder at ID 1, the main
// window and the controller running the link.
struct ControllerProgram {
    ControllerProgram()
        : side(std::make_shared<quobsim::SptpSide>(sptpOptions())),
          sim({quobsim::camcorder(1)}, quobsim::Options{true, {}})
    {
        sim.setTransferMode(side);
        qputenv("VANTREL_HOME", folder.path().toUtf8());
        for (const char* name : {"wyb.cpt", "wyb.sty"})
            std::filesystem::copy_file(std::string(VANTREL_RESOURCE_DIR) + "/" + name,
                                       folder.filePath(name).toStdString());
        ready = sim.start();
        CProfile settings(folder.filePath("wyb30.ini").toStdString());
        settings.WriteString("Ports", "COM1", sim.slavePath());
        settings.WriteInt("INIT", "COM", 1);
        settings.WriteInt("INIT", "ID", 1);
        settings.WriteInt("INIT", "BAUD_RATE", RateIndex);
        main = std::make_unique<TfrmCptMain>();
        frmCptMain = main.get();
        controller = std::make_unique<TfrmAvCtl>(main->profile);
        controller->setMainWindow(main.get());
        controller->show();
        ready = ready && shows(1, 10000);
    }
    ~ControllerProgram()
    {
        controller->close();
        controller.reset();
        frmCptMain = nullptr;
    }
    static quobsim::SptpOptions sptpOptions()
    {
        quobsim::SptpOptions options;
        options.layout = Layout;
        options.settlingSenses = SettlingSenses;
        return options;
    }
    // Looks every millisecond while serving events (a 10 ms sleep between looks would be
    // latency of the bench's own).
    bool shows(uint8_t code, uint32_t ms = 5000)
    {
        const uint32_t start = tickCount();
        while (controller->shownState() != code) {
            if (ticksSince(start) > ms)
                return false;
            Delay(1);
        }
        return true;
    }
    void setMotion(quobsim::Motion motion)
    {
        sim.withDevice(1, [&](quobsim::Device& device) { device.tape.setMotion(motion, quobsim::Clock::now()); });
    }

    QTemporaryDir folder;
    std::shared_ptr<quobsim::SptpSide> side;
    quobsim::Simulator sim;
    std::unique_ptr<TfrmCptMain> main;
    std::unique_ptr<TfrmAvCtl> controller;
    bool ready = false;
};

ControllerProgram* program = nullptr;
double captureRatio = 0;
double lightLatencyMs = 0;

void ControllerCaptureAt115200(benchmark::State& state)
{
    TfrmAvCtl& controller = *program->controller;
    program->setMotion(quobsim::Motion::Pause);
    if (!program->shows(5) || !QTest::qWaitFor([&] { return controller.btnCapt->isEnabled(); }, 5000)) {
        state.SkipWithError("the controller did not enable Capture");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        const int place = program->main->album.count() + 1;
        const uint32_t start = tickCount();
        controller.btnCapt->click();
        const bool shown = QTest::qWaitFor([&] {
            const AlbumSlot* slot = program->main->slotAt(place);
            return slot && program->main->album.count() >= place;
        }, 5000);
        const double elapsed = ticksSince(start) / 1000.0;
        if (!shown) {
            state.SkipWithError("no picture in the album");
            return;
        }
        state.SetIterationTime(elapsed);
        total += elapsed;
        program->shows(5);
        QTest::qWaitFor([&] { return controller.btnCapt->isEnabled(); }, 5000);
    }
    const double minimum = protocolMinimum(program->side->frozenPicture());
    captureRatio = total / static_cast<double>(state.iterations()) / minimum;
    state.counters["protocol_minimum_s"] = minimum;
    state.counters["ratio"] = captureRatio;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The tape changes at a moment of its own, anywhere in the status exchange under way (the
// light's notice comes right after a poll, so changing at once would always hit the same
// point of it). One exchange at 9600 bit/s: 22 bytes of 10 bits.
void LightFollowsTheTape(benchmark::State& state)
{
    const quobsim::Motion motions[] = {quobsim::Motion::Play, quobsim::Motion::Pause};
    const uint8_t codes[] = {6, 5};
    constexpr uint32_t exchangeMs = 22 * 10 * 1000 / 9600;
    std::minstd_rand moments(12);
    std::vector<double> latencies[2];
    size_t turn = 0;
    for (auto _ : state) {
        const size_t i = turn++ % 2;
        Delay(moments() % (exchangeMs + 1));
        const uint32_t start = tickCount();
        program->setMotion(motions[i]);
        if (!program->shows(codes[i])) {
            state.SkipWithError("the light did not follow");
            return;
        }
        const double elapsed = ticksSince(start) / 1000.0;
        state.SetIterationTime(elapsed);
        latencies[i].push_back(elapsed * 1000);
    }
    std::vector<double> all = latencies[0];
    all.insert(all.end(), latencies[1].begin(), latencies[1].end());
    lightLatencyMs = medianOf(all);
    state.counters["median_ms"] = lightLatencyMs;
    state.counters["play_median_ms"] = medianOf(latencies[0]);
    state.counters["pause_median_ms"] = medianOf(latencies[1]);
}

BENCHMARK(ControllerCaptureAt115200)->Iterations(2)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(LightFollowsTheTape)->Iterations(40)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (!DvcLoad()) {
        std::fprintf(stderr, "the DV codec cannot be loaded\n");
        return 1;
    }
    ControllerProgram controllerProgram;
    if (!controllerProgram.ready) {
        std::fprintf(stderr, "the controller did not reach the simulated camcorder\n");
        return 1;
    }
    program = &controllerProgram;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (captureRatio > 0)
        std::printf("FIGURE controller_capture_vs_protocol_minimum %.3f ratio goal<=1.1\n", captureRatio);
    if (lightLatencyMs > 0)
        std::printf("FIGURE light_latency_ms %.1f ms goal<=60\n", lightLatencyMs);
    program = nullptr;
    return 0;
}

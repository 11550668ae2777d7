// The main window's first show restoring 99 side files on a screen of twice the pixels
// (QT_SCALE_FACTOR=2: thumbnails decoded at one quarter, 160 x 120), next to the bare
// libavcodec quarter-size decodes of the same files.
#include "Figures.h"

#include "album/Cptmain.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace vantrel;
using namespace vantrel::bench;
namespace fs = std::filesystem;

namespace {

constexpr int pictures = 99;
constexpr int quarterLowres = 2;

std::string folder;
std::string picture;

std::string sideFile(int place)
{
    return folder + "/" + sideFileName(place);
}

void setUpFolder()
{
    folder = benchProgramFolder();
    picture = folder + "/picture.dvf";
    const auto stored = storedSequences525(encodedTestFrame(dvSystem525));
    if (!writeDvfFile(stored.data(), picture, dvSystem525, false))
        std::abort();
}

class RestoreAtRatio2 : public Task {
public:
    void prepare() override
    {
        window_.reset();
        for (int place = 1; place <= pictures; ++place)
            fs::copy_file(picture, sideFile(place), fs::copy_options::overwrite_existing);
        window_ = std::make_unique<TfrmCptMain>();
    }
    bool run() override
    {
        window_->show();
        while (!window_->firstShowDone())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return window_->album.count() == pictures && window_->album.place(1).thumbnail.width() == 160;
    }

private:
    std::unique_ptr<TfrmCptMain> window_;
};

class BareQuarterRestore : public Task {
public:
    bool run() override
    {
        uint8_t header[dvfHeaderBytes];
        bool done = true;
        for (int place = 1; place <= pictures; ++place)
            done = readSideFile(picture, header, frame_.data()) && decoder_.decode(frame_.data()) && done;
        return done;
    }

private:
    BareDecoder decoder_{quarterLowres};
    std::vector<uint8_t> frame_ = BareDecoder::frameBuffer();
};

BENCHMARK(timed<RestoreAtRatio2>)->Name("RestoreWindow99AtRatio2")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(timed<BareQuarterRestore>)->Name("BareQuarterDecodes99")->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_SCALE_FACTOR", "2", 1);
    QApplication app(argc, argv);
    return runBenchProgram(argc, argv, setUpFolder,
                           {{"restore_99_ratio2_vs_bare_quarter_decode", make<RestoreAtRatio2>(),
                             make<BareQuarterRestore>()}},
                           folder, 7, 1);
}

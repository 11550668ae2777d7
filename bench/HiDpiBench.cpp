// The main window's first show restoring 99 side files on a screen of twice the pixels
// (QT_SCALE_FACTOR=2: thumbnails decoded at one quarter, 160 x 120), next to bare reads,
// libavcodec quarter-size decodes and libswscale conversions of the same files.
#include "Figures.h"

#include "album/Cptmain.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

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
constexpr int thumbnailWidth = 160;
constexpr int thumbnailHeight = 120;

std::string folder;
std::string picture;

std::string sideFile(int place)
{
    return folder + "/" + sideFileName(place);
}

// The 99 side files an abnormal end leaves; the restore keeps them where they are.
void copySideFiles()
{
    for (int place = 1; place <= pictures; ++place)
        fs::copy_file(picture, sideFile(place), fs::copy_options::overwrite_existing);
}

void setUpFolder()
{
    folder = benchProgramFolder();
    picture = folder + "/picture.dvf";
    const auto stored = storedSequences525(encodedTestFrame(dvSystem525));
    if (!writeDvfFile(stored.data(), picture, dvSystem525, false))
        std::abort();
    copySideFiles();
}

class RestoreAtRatio2 : public Task {
public:
    void prepare() override
    {
        window_.reset();
        copySideFiles();
        window_ = std::make_unique<TfrmCptMain>();
    }
    bool run() override
    {
        window_->show();
        while (!window_->firstShowDone())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return window_->album.count() == pictures && window_->album.place(1).thumbnail.width() == thumbnailWidth;
    }

private:
    std::unique_ptr<TfrmCptMain> window_;
};

// What every thumbnail of the restore takes at the least, with bare calls: its side file read,
// the quarter-size decode, and the colour conversion to square pixels, 180 x 120 into
// 160 x 120 (the path's reduction of nine pixels onto eight) in one libswscale call.
class BareQuarterRestore : public Task {
public:
    ~BareQuarterRestore() override { sws_freeContext(scaler_); }
    bool run() override
    {
        uint8_t header[dvfHeaderBytes];
        bool done = true;
        for (int place = 1; place <= pictures; ++place)
            done = readSideFile(sideFile(place), header, frame_.data()) && decoder_.decode(frame_.data()) &&
                   convert() && done;
        return done;
    }

private:
    bool convert()
    {
        const AVFrame* picture = decoder_.picture();
        scaler_ = sws_getCachedContext(scaler_, picture->width, picture->height,
                                       static_cast<AVPixelFormat>(picture->format), thumbnailWidth,
                                       thumbnailHeight, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
        uint8_t* destination[4] = {pixels_.data(), nullptr, nullptr, nullptr};
        const int stride[4] = {thumbnailWidth * 3, 0, 0, 0};
        return scaler_ && sws_scale(scaler_, picture->data, picture->linesize, 0, picture->height, destination,
                                    stride) == thumbnailHeight;
    }

    BareDecoder decoder_{quarterLowres};
    std::vector<uint8_t> frame_ = BareDecoder::frameBuffer();
    SwsContext* scaler_ = nullptr;
    std::vector<uint8_t> pixels_ = std::vector<uint8_t>(thumbnailWidth * thumbnailHeight * 3);
};

BENCHMARK(timed<RestoreAtRatio2>)->Name("RestoreWindow99AtRatio2")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(timed<BareQuarterRestore>)->Name("BareQuarterRestore99")->Unit(benchmark::kMillisecond)->Iterations(5);

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

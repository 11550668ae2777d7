// Figures of the HTML album: exporting 99 pictures next to 99 bare full decodes with two
// scales and two JPEG writes each, and the longest pause a 10 ms timer sees during an export.
#include "Figures.h"

#include "album/Album.h"
#include "album/HtmlExport.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

constexpr int pictures = 99;
constexpr int lines = 480;

struct Scene {
    std::string folder;
    HtmlAlbumSource source;
    QuietPrompts prompts;
    double longestStallMs = 0;

    std::string file(const std::string& name) const { return folder + "/" + name; }
};

Scene& scene()
{
    static Scene s;
    return s;
}

bool exportAlbum(SaveProgress& progress)
{
    Scene& s = scene();
    return exportHtmlAlbum(s.file("site/Album00.htm"), "Bench", false, defaultBackColour, s.source,
                           s.prompts, progress);
}

class Export : public Task {
public:
    bool run() override
    {
        SaveProgress quiet;
        return exportAlbum(quiet);
    }
};

// Plain reads of each side file, libavcodec's full decode, libswscale straight to 160 x 120
// and 640 x 480 red-green-blue, and Qt's JPEG writer at quality 75: no correction, no work file.
class BareExport : public Task {
public:
    ~BareExport() override
    {
        for (SwsContext* scaler : scalers_)
            sws_freeContext(scaler);
    }
    bool run() override
    {
        uint8_t header[dvfHeaderBytes];
        for (int k = 0; k < pictures; ++k)
            if (!readSideFile(scene().source.sideFiles[k], header, frame_.data()) ||
                !decoder_.decode(frame_.data()) || !save(0, thumbnail_, "tn.jpg") ||
                !save(1, full_, ".jpg"))
                return false;
        return true;
    }

private:
    bool save(int which, QImage& image, const char* suffix)
    {
        scalers_[which] = sws_getCachedContext(scalers_[which], 720, lines, AV_PIX_FMT_YUV411P,
                                               image.width(), image.height(), AV_PIX_FMT_RGB24,
                                               SWS_BILINEAR, nullptr, nullptr, nullptr);
        uint8_t* destination[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int stride[4] = {int(image.bytesPerLine()), 0, 0, 0};
        const AVFrame* picture = decoder_.picture();
        sws_scale(scalers_[which], picture->data, picture->linesize, 0, lines, destination, stride);
        return image.save(QString::fromStdString(scene().file("bare")) + suffix, "JPEG", 75);
    }

    BareDecoder decoder_{0};
    SwsContext* scalers_[2] = {nullptr, nullptr};
    std::vector<uint8_t> frame_ = BareDecoder::frameBuffer();
    QImage thumbnail_{160, 120, QImage::Format_RGB888};
    QImage full_{640, 480, QImage::Format_RGB888};
};

// The export as the main window runs it: pending events are served between pictures.
struct ServingProgress : SaveProgress {
    void serviceEvents() override { QCoreApplication::processEvents(); }
};

double longestTimerGapDuringExport()
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ServingProgress progress;
    clock.start();
    timer.start();
    if (!exportAlbum(progress))
        std::abort();
    longest = std::max(longest, clock.elapsed() - last);
    return static_cast<double>(longest);
}

void setUpScene()
{
    Scene& s = scene();
    s.folder = benchProgramFolder();
    const auto stored = storedSequences525(encodedTestFrame(dvSystem525));
    for (int p = 1; p <= pictures; ++p) {
        s.source.sideFiles.push_back(s.file(sideFileName(p)));
        if (!writeDvfFile(stored.data(), s.source.sideFiles.back(), dvSystem525, false))
            std::abort();
    }
    s.longestStallMs = longestTimerGapDuringExport();
}

BENCHMARK_TEMPLATE(timed, Export)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareExport)->Apply(measured);

const std::vector<Figure> figures = {
    {"html_export_99_vs_bare", make<Export>(), make<BareExport>()},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int status = runBenchProgram(argc, argv, setUpScene, figures, scene().folder, 5, 1);
    std::printf("FIGURE ui_stall_export_99_ms %.0f ms goal<=50\n", scene().longestStallMs);
    return status;
}

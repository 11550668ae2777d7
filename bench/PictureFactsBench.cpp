// Saving a picture as PNG, and the facts written into every JPEG and PNG: the program's PNG
// save at size 1 next to a bare decode, scale and PNG write of the toolkit; the facts' write
// next to the whole JPEG save they are part of (a share, not a ratio of like with like).
#include "Figures.h"

#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/PictureFacts.h"
#include "image/TestPattern.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

// The picture every task saves, in a program folder of its own.
struct Picture {
    std::string folder;
    std::string dvf;
    QuietPrompts prompts;
    TargetPathCheck check = targetPathCheckWith(prompts);
    std::string file(const char* name) const { return folder + "/" + name; }
};

Picture& scene()
{
    static Picture picture;
    return picture;
}

void setUpScene()
{
    Picture& picture = scene();
    picture.folder = benchProgramFolder();
    picture.dvf = picture.file("picture.dvf");
    const auto pattern = storedSequences525(encodedTestFrame(dvSystem525));
    if (!writeDvfFile(pattern.data(), picture.dvf, dvSystem525, false))
        std::abort();
}

// Settings as they come (640 x 480, movement correction), in a format of the task's.
class ConvertSize1 : public Task {
public:
    ConvertSize1(int format, const char* out) : format_(format), out_(scene().file(out)) {}
    bool run() override
    {
        return convertPictureFile(scene().dvf, out_, format_, false, settings_, scene().check);
    }

private:
    int format_;
    std::string out_;
    ImageSettings settings_;
};

class ConvertPngSize1 : public ConvertSize1 {
public:
    ConvertPngSize1() : ConvertSize1(saveAsPng, "convert.png") {}
};

class ConvertJpegSize1 : public ConvertSize1 {
public:
    ConvertJpegSize1() : ConvertSize1(saveAsJpeg, "convert.jpg") {}
};

// The toolkit's own: the frame decoded, scaled to 640 x 480 in the colour conversion and
// written as a PNG of the same pixels. No correction, no work file, no facts.
class BareDecodePng : public Task {
public:
    BareDecodePng() : decoder_(0), frame_(BareDecoder::frameBuffer())
    {
        uint8_t header[dvfHeaderBytes];
        if (!readSideFile(scene().dvf, header, frame_.data()))
            std::abort();
    }
    ~BareDecodePng() override { sws_freeContext(scaler_); }
    bool run() override
    {
        if (!decoder_.decode(frame_.data()))
            return false;
        const AVFrame* decoded = decoder_.picture();
        scaler_ = sws_getCachedContext(scaler_, 720, 480, AV_PIX_FMT_YUV411P, 640, 480,
                                       AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        uint8_t* destination[4] = {picture_.bits(), nullptr, nullptr, nullptr};
        const int stride[4] = {int(picture_.bytesPerLine()), 0, 0, 0};
        sws_scale(scaler_, decoded->data, decoded->linesize, 0, 480, destination, stride);
        return picture_.save(out_, "PNG");
    }

private:
    BareDecoder decoder_;
    std::vector<uint8_t> frame_;
    SwsContext* scaler_ = nullptr;
    QImage picture_{640, 480, QImage::Format_RGB32};
    QString out_ = QString::fromStdString(scene().file("bare.png"));
};

// The facts alone, put into the bytes of a JPEG the program saved without them: a save puts
// them into its encoded bytes before the one write.
class FactsIntoJpeg : public Task {
public:
    FactsIntoJpeg()
    {
        ImageSettings settings;
        if (!convertPictureFileToSizes(scene().dvf, {{plain_, 1}}, saveAsJpeg, false, settings,
                                       scene().check))
            std::abort();
        QFile file(QString::fromStdString(plain_));
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        plainBytes_ = file.readAll();
        PictureRecord record;
        record.path = scene().dvf;
        if (!readPictureFile(record))
            std::abort();
        facts_ = pictureFactsOf(record);
    }
    bool run() override
    {
        QByteArray bytes = plainBytes_;
        return putPictureFacts(bytes, facts_);
    }

private:
    std::string plain_ = scene().file("plain.jpg");
    QByteArray plainBytes_;
    PictureFacts facts_;
};

BENCHMARK_TEMPLATE(timed, ConvertPngSize1)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareDecodePng)->Apply(measured);
BENCHMARK_TEMPLATE(timed, ConvertJpegSize1)->Apply(measured);
BENCHMARK_TEMPLATE(timed, FactsIntoJpeg)->Apply(measured);

const std::vector<Figure> figures = {
    {"convert_png_size1_vs_bare_decode_png", make<ConvertPngSize1>(), make<BareDecodePng>()},
    {"facts_write_share_of_jpeg_save", make<FactsIntoJpeg>(), make<ConvertJpegSize1>(), "goal<=0.1"},
};

} // namespace

int main(int argc, char** argv)
{
    return runBenchProgram(argc, argv, setUpScene, figures, scene().folder);
}

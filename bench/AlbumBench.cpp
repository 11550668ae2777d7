// Figures of the album: restoring 99 side files, saving and opening a 99-picture album file,
// each next to bare file reads and writes plus bare libavcodec low-resolution decodes of the
// same pictures.
#include "Figures.h"

#include "album/Album.h"
#include "album/AlbumFile.h"
#include "album/TargetPath.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace vantrel;
using namespace vantrel::bench;

namespace {

constexpr int pictures = 99;
constexpr int sequences = 10;
constexpr int frameBytes = sequences * dvSequenceBytes;

struct Scene {
    std::string folder;
    std::string sideHome; // 99 side files, as an abnormal end leaves them
    std::string openHome; // where opened albums unpack, emptied before every run
    std::string album;    // a 99-picture album file
    QuietPrompts prompts;

    std::string file(const std::string& name) const { return folder + "/" + name; }
    std::string sideFile(const std::string& home, int place) const
    {
        return home + "/" + sideFileName(place);
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

void makeFolder(const std::string& path)
{
    std::filesystem::create_directories(path);
}

void setUpScene()
{
    Scene& s = scene();
    s.folder = benchProgramFolder();
    s.sideHome = s.file("sides");
    s.openHome = s.file("opened");
    makeFolder(s.sideHome);
    makeFolder(s.openHome);
    const auto stored = storedSequences525(encodedTestFrame(dvSystem525));
    for (int p = 1; p <= pictures; ++p)
        if (!writeDvfFile(stored.data(), s.sideFile(s.sideHome, p), dvSystem525, false))
            std::abort();
    s.album = s.file("album99.zal");
    Album album(s.sideHome);
    if (album.restoreFromSideFiles() != pictures || !album.saveAlbum(s.album, false, s.prompts))
        std::abort();
}

void emptyOpenHome()
{
    for (int p = 1; p <= pictures; ++p)
        std::remove(scene().sideFile(scene().openHome, p).c_str());
}

class RestoreModel : public Task {
public:
    void prepare() override { album_ = std::make_unique<Album>(scene().sideHome); }
    bool run() override { return album_->restoreFromSideFiles() == pictures; }

private:
    std::unique_ptr<Album> album_;
};

class BareRestore : public Task {
public:
    bool run() override
    {
        uint8_t header[dvfHeaderBytes];
        bool done = true;
        for (int p = 1; p <= pictures; ++p)
            done = readSideFile(scene().sideFile(scene().sideHome, p), header, frame_.data()) &&
                   decoder_.decode(frame_.data()) && done;
        return done;
    }

private:
    BareDecoder decoder_;
    std::vector<uint8_t> frame_ = BareDecoder::frameBuffer();
};

class SaveModel : public Task {
public:
    SaveModel() { album_.restoreFromSideFiles(); }
    bool run() override { return album_.saveAlbum(scene().file("saved.zal"), false, scene().prompts); }

private:
    Album album_{scene().sideHome};
};

class BareSave : public Task {
public:
    bool run() override
    {
        FilePtr out(std::fopen(scene().file("copied.zal").c_str(), "wb"));
        const auto header = albumFileHeader(pictures);
        std::fwrite(header.data(), 1, header.size(), out.get());
        uint8_t pictureHeader[dvfHeaderBytes];
        for (int p = 1; p <= pictures; ++p) {
            readSideFile(scene().sideFile(scene().sideHome, p), pictureHeader, frame_.data());
            std::fwrite(pictureHeader, 1, sizeof pictureHeader, out.get());
            std::fwrite(frame_.data(), 1, frameBytes, out.get());
        }
        return out && std::fflush(out.get()) == 0 && !std::ferror(out.get());
    }

private:
    std::vector<uint8_t> frame_ = std::vector<uint8_t>(frameBytes);
};

class OpenModel : public Task {
public:
    void prepare() override
    {
        album_.reset();
        emptyOpenHome();
        album_ = std::make_unique<Album>(scene().openHome);
    }
    bool run() override { return album_->openAlbum(scene().album, scene().prompts); }

private:
    std::unique_ptr<Album> album_;
};

class BareOpen : public Task {
public:
    void prepare() override { emptyOpenHome(); }
    bool run() override
    {
        FilePtr in(std::fopen(scene().album.c_str(), "rb"));
        uint8_t header[albumHeaderBytes];
        bool done = in && std::fread(header, 1, sizeof header, in.get()) == sizeof header;
        for (int p = 1; done && p <= pictures; ++p) {
            done = std::fread(header, 1, dvfHeaderBytes, in.get()) == size_t(dvfHeaderBytes) &&
                   std::fread(frame_.data(), 1, frameBytes, in.get()) == size_t(frameBytes);
            FilePtr side(std::fopen(scene().sideFile(scene().openHome, p).c_str(), "wb"));
            done = done && side && std::fwrite(header, 1, dvfHeaderBytes, side.get()) == size_t(dvfHeaderBytes);
            for (int q = 0; done && q < sequences; ++q)
                done = std::fwrite(frame_.data() + q * dvSequenceBytes + dvBlockBytes, 1,
                                   dvStoredSequenceBytes, side.get()) == size_t(dvStoredSequenceBytes);
            side.reset();
            done = done && decoder_.decode(withHeaderBlocks());
        }
        return done;
    }

private:
    // The decoder's header blocks over the zeroed ones of the record.
    uint8_t* withHeaderBlocks()
    {
        for (int q = 0; q < sequences; ++q)
            std::copy_n(&headers_[q * dvSequenceBytes], 4, &frame_[q * dvSequenceBytes]);
        return frame_.data();
    }

    BareDecoder decoder_;
    std::vector<uint8_t> frame_ = BareDecoder::frameBuffer();
    std::vector<uint8_t> headers_ = BareDecoder::frameBuffer();
};

BENCHMARK_TEMPLATE(timed, RestoreModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareRestore)->Apply(measured);
BENCHMARK_TEMPLATE(timed, SaveModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareSave)->Apply(measured);
BENCHMARK_TEMPLATE(timed, OpenModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareOpen)->Apply(measured);

const std::vector<Figure> figures = {
    {"restore_99_vs_bare", make<RestoreModel>(), make<BareRestore>()},
    {"album_save_99_vs_copy", make<SaveModel>(), make<BareSave>()},
    {"album_open_99_vs_bare", make<OpenModel>(), make<BareOpen>()},
};

constexpr int rounds = 21;
constexpr int runsPerTurn = 1;

} // namespace

int main(int argc, char** argv)
{
    return runBenchProgram(argc, argv, setUpScene, figures, scene().folder, rounds, runsPerTurn);
}

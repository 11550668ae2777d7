// Figures of the album: restoring 99 side files, saving and opening a 99-picture album file,
// each next to bare file reads and writes plus bare libavcodec low-resolution decodes of the
// same pictures (the bare save replaces its files whole, as the save does); and a drop moving every other picture of 99 to the end, next to the bare
// file copies and renames that move makes.
#include "Figures.h"

#include "album/Album.h"
#include "album/AlbumFile.h"
#include "album/IndexEditing.h"
#include "image/TargetPath.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"
#include "image/WholeFile.h"
#include "platform/Paths.h"

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
    std::string moveHome; // 99 side files whose pictures the drops reorder
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
    s.moveHome = s.file("moving");
    makeFolder(s.sideHome);
    makeFolder(s.openHome);
    makeFolder(s.moveHome);
    const auto stored = storedSequences525(encodedTestFrame(dvSystem525));
    for (int p = 1; p <= pictures; ++p)
        if (!writeDvfFile(stored.data(), s.sideFile(s.sideHome, p), dvSystem525, false))
            std::abort();
    for (int p = 1; p <= pictures; ++p)
        std::filesystem::copy_file(s.sideFile(s.sideHome, p), s.sideFile(s.moveHome, p));
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

// The save's file work done bare: the album file's bytes from plain reads of the side files,
// then the cut list of their time codes.
class BareSaveWrites : public Task {
protected:
    // Writes the album's bytes to `path` and gathers the time codes of its pictures.
    bool writeAlbumBytes(const std::string& path)
    {
        FilePtr out(std::fopen(path.c_str(), "wb"));
        const auto header = albumFileHeader(pictures);
        bool done = out && std::fwrite(header.data(), 1, header.size(), out.get()) == header.size();
        uint8_t pictureHeader[dvfHeaderBytes];
        timeCodes_.clear();
        for (int p = 1; done && p <= pictures; ++p) {
            done = readSideFile(scene().sideFile(scene().sideHome, p), pictureHeader, frame_.data()) &&
                   std::fwrite(pictureHeader, 1, sizeof pictureHeader, out.get()) == sizeof pictureHeader &&
                   std::fwrite(frame_.data(), 1, frameBytes, out.get()) == size_t(frameBytes);
            timeCodes_.push_back(frameTimeCode(frame_.data(), sequences));
        }
        return done && std::fflush(out.get()) == 0;
    }

    bool writeCutList(const std::string& path) const
    {
        const std::string text = cutListText(timeCodes_);
        FilePtr out(std::fopen(path.c_str(), "wb"));
        return out && std::fwrite(text.data(), 1, text.size(), out.get()) == text.size() &&
               std::fflush(out.get()) == 0;
    }

    // The work file written beside `path` renamed over it.
    static bool putInPlaceOf(const std::string& path)
    {
        return std::rename((path + partSuffix).c_str(), path.c_str()) == 0;
    }

private:
    std::vector<uint8_t> frame_ = std::vector<uint8_t>(frameBytes);
    std::vector<std::string> timeCodes_;
};

// Both files replaced whole, as the save replaces them: each written to a work file renamed over
// the last copy, so that a crash half way leaves the old files.
class BareSave : public BareSaveWrites {
public:
    bool run() override
    {
        const std::string album = scene().file("copied.zal");
        const std::string cutList = scene().file("copied.qob");
        return writeAlbumBytes(album + partSuffix) && putInPlaceOf(album) &&
               writeCutList(cutList + partSuffix) && putInPlaceOf(cutList);
    }
};

// The album file written over the last copy in place, without the cut list: what a save would
// cost that a crash half way could leave with no album at all.
class BareSaveInPlace : public BareSaveWrites {
public:
    bool run() override { return writeAlbumBytes(scene().file("in-place.zal")); }
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

// Places 1, 3, .. 99: 50 pictures, the 49 others between them.
bool movedByTheDrop(int place)
{
    return place % 2 == 1;
}

class DropMoveModel : public Task {
public:
    DropMoveModel() { album_.restoreFromSideFiles(); }
    void prepare() override
    {
        for (int p = 1; p <= album_.count(); ++p)
            album_.setSelected(p, movedByTheDrop(p));
    }
    bool run() override
    {
        editing_.dropOnIndex(1);
        return album_.count() == pictures && album_.selectedCount() == 0 &&
               !fileExists(album_.temporarySlotPath(0));
    }

private:
    Album album_{scene().moveHome};
    IndexEditing editing_{album_};
};

// The move's file work done bare: the moved pictures' files to temporary files, the others'
// down to their new places, then the temporary files renamed to the last places.
class BareMoveCopies : public Task {
public:
    bool run() override
    {
        const std::string& home = scene().moveHome;
        bool done = true;
        int parked = 0;
        int write = 1;
        for (int p = 1; p <= pictures; ++p) {
            if (movedByTheDrop(p))
                done = copy(scene().sideFile(home, p), temporary(parked++)) && done;
            else if (write++ != p)
                done = copy(scene().sideFile(home, p), scene().sideFile(home, write - 1)) && done;
        }
        for (int j = 0; j < parked; ++j)
            done = std::rename(temporary(j).c_str(), scene().sideFile(home, write + j).c_str()) == 0 && done;
        return done;
    }

private:
    static std::string temporary(int slot) { return scene().moveHome + "/" + temporarySlotFileName(slot); }
    bool copy(const std::string& from, const std::string& to)
    {
        FilePtr in(std::fopen(from.c_str(), "rb"));
        const size_t size = in ? std::fread(buffer_.data(), 1, buffer_.size(), in.get()) : 0;
        FilePtr out(std::fopen(to.c_str(), "wb"));
        return size > 0 && out && std::fwrite(buffer_.data(), 1, size, out.get()) == size &&
               std::fflush(out.get()) == 0;
    }

    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(2 * frameBytes);
};

BENCHMARK_TEMPLATE(timed, RestoreModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareRestore)->Apply(measured);
BENCHMARK_TEMPLATE(timed, SaveModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareSave)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareSaveInPlace)->Apply(measured);
BENCHMARK_TEMPLATE(timed, OpenModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareOpen)->Apply(measured);
BENCHMARK_TEMPLATE(timed, DropMoveModel)->Apply(measured);
BENCHMARK_TEMPLATE(timed, BareMoveCopies)->Apply(measured);

const std::vector<Figure> figures = {
    {"restore_99_vs_bare", make<RestoreModel>(), make<BareRestore>()},
    {"album_save_99_vs_copy", make<SaveModel>(), make<BareSave>()},
    // Not a goal: what replacing the files whole costs over writing the album file in place.
    {"copy_replaced_whole_vs_in_place", make<BareSave>(), make<BareSaveInPlace>(),
     "what a crash-safe save costs"},
    {"album_open_99_vs_bare", make<OpenModel>(), make<BareOpen>()},
    {"drop_move_50_of_99_vs_file_copies", make<DropMoveModel>(), make<BareMoveCopies>(), "goal<=1.5"},
};

constexpr int rounds = 21;
constexpr int runsPerTurn = 1;

} // namespace

int main(int argc, char** argv)
{
    return runBenchProgram(argc, argv, setUpScene, figures, scene().folder, rounds, runsPerTurn);
}

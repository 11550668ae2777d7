// Writes the fuzz targets' seed files: what the program's own writers and the simulated device
// produce. Run as `fuzz-seeds FOLDER` with the fuzz/corpus folder to renew them.
#include "Device.h"
#include "SilentPrompts.h"
#include "Simulator.h"
#include "SptpPicture.h"

#include "album/Album.h"

#include "capture/Imgdata.h"
#include "capture/SptpFrame.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"
#include "link/QuobCommands.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void save(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

const imgdata::TimeCodePack pack = imgdata::timeCodePack(12345, 30);

// A capture's side file: the DVF header, then each sequence without its header block.
Bytes sideFile(const quobsim::SptpPicture& picture)
{
    Bytes frame(imgdata::MaxFrameBytes);
    const auto assembled = imgdata::Assemble(picture.data.data(), picture.data.size(),
                                             picture.layoutByte, pack, frame.data());
    const auto header = dvfHeader(assembled.sequences == 12 ? dvSystem625 : dvSystem525);
    Bytes file(header.begin(), header.end());
    for (size_t s = 0; s < assembled.sequences; ++s) {
        const auto* sequence = frame.data() + s * dvSequenceBytes;
        file.insert(file.end(), sequence + dvBlockBytes, sequence + dvSequenceBytes);
    }
    return file;
}

quobsim::SptpPicture sptpPicture(bool pal, int layout)
{
    const Bytes frame = quobsim::patternFrame(pal, pack);
    quobsim::SptpPicture picture;
    quobsim::makeSptpPicture(frame.data(), pal ? 12 : 10, layout, pack, picture);
    return picture;
}

void addChunk(Bytes& out, const uint8_t* bytes, size_t length)
{
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), bytes, bytes + length);
}

// Blocks `first` to `last` of the picture as the device frames them, each a chunk.
Bytes blockChunks(const quobsim::SptpPicture& picture, size_t first, size_t last)
{
    Bytes out;
    const size_t blocks = picture.data.size() / sptp::BlockDataLength;
    std::vector<uint8_t> frame(2 * sptp::BlockDataLength + 64);
    for (size_t b = first; b <= last && b < blocks; ++b) {
        sptp::BlockHeader header;
        header.number = static_cast<uint16_t>(b);
        header.totalSize = static_cast<uint32_t>(picture.data.size());
        header.layout = picture.layoutByte;
        const size_t length = sptp::buildBlockFrame(1, header, &picture.data[b * sptp::BlockDataLength],
                                                    sptp::BlockDataLength, b + 1 == blocks,
                                                    frame.data(), frame.size());
        addChunk(out, frame.data(), length);
    }
    return out;
}

// The host's command frames and both answers, each a chunk.
Bytes commandChunks()
{
    Bytes out;
    uint8_t frame[sptp::MaxFrameLength];
    for (const auto& command : {sptp::Cmd::Rate115200, sptp::Cmd::Start, sptp::Cmd::NextBlock,
                                sptp::Cmd::RepeatBlock, sptp::Cmd::End})
        addChunk(out, frame, sptp::buildFrame(1, command, frame));
    for (const bool accepted : {true, false}) {
        sptp::buildAnswer(1, accepted, frame);
        addChunk(out, frame, sptp::AnswerLength);
    }
    return out;
}

// An album of one captured picture, saved by the album itself.
void writeAlbumSeed(const fs::path& folder, const fs::path& picture)
{
    const fs::path home = fs::temp_directory_path() / "vantrel-fuzz-seeds";
    fs::create_directories(home);
    Album album(home.string());
    fuzz::SilentPrompts prompts;
    fs::create_directories(folder / "album");
    if (!album.addPicture(picture.string()) ||
        !album.saveAlbum((folder / "album" / "one-picture.zal").string(), false, prompts))
        std::fprintf(stderr, "fuzz-seeds: the album seed was not written\n");
    album.clear();
    fs::remove_all(home);
    fs::remove(folder / "album" / "one-picture.qob");
}

void writeSptpAndDvfSeeds(const fs::path& folder)
{
    const auto picture525 = sptpPicture(false, 7);
    save(folder / "sptp" / "transfer-525-layout7", blockChunks(picture525, 0, 1000));
    save(folder / "sptp" / "blocks-625-layout4", blockChunks(sptpPicture(true, 4), 0, 1));
    save(folder / "sptp" / "commands-and-answers", commandChunks());
    save(folder / "dvf" / "capture-525-layout6.dvf", sideFile(sptpPicture(false, 6)));
    writeAlbumSeed(folder, folder / "dvf" / "capture-525-layout6.dvf");
    // An imported 625/50 wide picture, cut after its second sequence.
    Bytes encoded(dvEncodeBufferBytes);
    const auto pixels = testPattern(dvSystem625);
    DvcEncodeParams params;
    params.height = linesOf(dvSystem625);
    const DvcHandle encoder = DvcOpenEncoder(dvSystem625);
    DvcEncode(encoder, encoded.data(), pixels.data(), &params);
    DvcCloseEncoder(encoder);
    const fs::path cut = folder / "dvf" / "import-625-wide-cut.dvf";
    writeDvfFile(&encoded[dvEncodedDataOffset], cut.string(), dvSystem625, true);
    fs::resize_file(cut, dvfHeaderBytes + 2 * dvStoredSequenceBytes);
}

// Answers of a camcorder and a 25-frame deck to the commands the program polls with.
void writeQuobSeeds(const fs::path& folder)
{
    Bytes out;
    const auto now = quobsim::Clock::now();
    for (const auto& setup : {quobsim::camcorder(1), quobsim::deck(5, 25)}) {
        quobsim::Device device(setup);
        for (const auto& command : {QuobCmd::StatusSense, QuobCmd::Play, QuobCmd::StatusSense,
                                    QuobCmd::VariableSpeedSense, QuobCmd::PowerSense,
                                    QuobCmd::ReadNameFirst, QuobCmd::StatusSense}) {
            const quobsim::Answer answer = device.answer(command, now);
            quobsim::Packet packet{0xFC, 0xFF, static_cast<uint8_t>(setup.id), answer.code};
            std::copy(answer.data.begin(), answer.data.end(), packet.begin() + 4);
            packet[10] = quobsim::packetChecksum(packet);
            out.insert(out.end(), packet.begin(), packet.end());
        }
    }
    save(folder / "quob" / "camcorder-and-deck", out);
}

// The test pattern at 80 x 60 in every depth the program writes bitmaps in, and as JPEG.
void writePictureSeeds(const fs::path& folder)
{
    fs::create_directories(folder / "picture");
    const auto pixels = testPattern(dvSystem525);
    const QImage pattern = QImage(pixels.data(), 720, 480, 2160, QImage::Format_BGR888).scaled(80, 60);
    const auto file = [&](const char* name) { return QString::fromStdString((folder / "picture" / name).string()); };
    pattern.convertToFormat(QImage::Format_RGB32).save(file("pattern-24.bmp"), "BMP");
    pattern.convertToFormat(QImage::Format_Indexed8).save(file("pattern-8.bmp"), "BMP");
    pattern.convertToFormat(QImage::Format_Mono).save(file("pattern-1.bmp"), "BMP");
    pattern.save(file("pattern.jpg"), "JPEG", 75);
    pattern.convertToFormat(QImage::Format_Grayscale8).save(file("pattern-grey.jpg"), "JPEG", 50);
    // 16:9, the other aspect the import handles on its own.
    pattern.scaled(64, 36).save(file("pattern-wide.jpg"), "JPEG", 75);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2 || !DvcLoad()) {
        std::fprintf(stderr, "usage: fuzz-seeds FOLDER (needs the DV codec)\n");
        return 1;
    }
    const fs::path folder(argv[1]);
    writeSptpAndDvfSeeds(folder);
    writeQuobSeeds(folder);
    writePictureSeeds(folder);
    return 0;
}

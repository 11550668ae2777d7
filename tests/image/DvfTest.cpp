#include "Fidelity.h"
#include "Frames.h"
#include "support/TempFolder.h"

#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "image/TestPattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

using namespace vantrel;

namespace {

using test::fileBytes;
using test::storedSequences;
using test::writeBytes;

class Dvf : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DvcLoad()); }
    test::TempFolder folder;
};

const uint8_t* blockOf(const std::vector<uint8_t>& file, int sequence, int j)
{
    return &file[dvfHeaderBytes + sequence * dvStoredSequenceBytes + (j - 1) * dvBlockBytes];
}

} // namespace

TEST_F(Dvf, HeaderBytesOfBothSystems)
{
    const uint8_t sd5[32] = {'D', 'V', 'F', ' ', '1', '.', '0', '0', 'S', 'D', '5', 0,
                             0x00, 0x01, 0xD1, 0xC0, 0x00, 0x01, 0xD1, 0xA0, 0, 0, 0, 0x20,
                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint8_t sd6[32] = {'D', 'V', 'F', ' ', '1', '.', '0', '0', 'S', 'D', '6', 0,
                             0x00, 0x02, 0x2E, 0xE0, 0x00, 0x02, 0x2E, 0xC0, 0, 0, 0, 0x20,
                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto path = folder.file("a.dvf");
    ASSERT_TRUE(writeDvfFile(storedSequences(dvSystem525).data(), path, dvSystem525, false));
    auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 119232u);
    EXPECT_EQ(std::memcmp(bytes.data(), sd5, 32), 0);
    ASSERT_TRUE(writeDvfFile(storedSequences(dvSystem625).data(), path, dvSystem625, false));
    bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 143072u);
    EXPECT_EQ(std::memcmp(bytes.data(), sd6, 32), 0);
}

TEST_F(Dvf, BlockIdentifiersAndSilentAuxiliaryBlocks)
{
    const auto sequences = storedSequences(dvSystem625);
    const auto path = folder.file("b.dvf");
    ASSERT_TRUE(writeDvfFile(sequences.data(), path, dvSystem625, false));
    const auto file = fileBytes(path);
    for (int s = 0; s < 12; ++s) {
        const uint8_t seq = uint8_t(s * 16 + 7);
        const struct { int j; uint8_t kind, number; } expected[] = {
            {1, 0x3F, 0}, {2, 0x3F, 1}, {3, 0x5F, 0}, {5, 0x5F, 2}, {6, 0x7F, 0}, {7, 0x9F, 0},
            {21, 0x9F, 14}, {22, 0x7F, 1}, {23, 0x9F, 15}, {134, 0x7F, 8}, {149, 0x9F, 134}};
        for (const auto& e : expected) {
            const uint8_t* block = blockOf(file, s, e.j);
            EXPECT_EQ(block[0], e.kind) << "sequence " << s << " block " << e.j;
            EXPECT_EQ(block[1], seq);
            EXPECT_EQ(block[2], e.number);
        }
        int videoBlocks = 0;
        for (int j = 1; j <= 149; ++j) {
            const uint8_t* block = blockOf(file, s, j);
            const uint8_t* original = &sequences[s * dvStoredSequenceBytes + (j - 1) * dvBlockBytes];
            if (block[0] == 0x9F) {
                ++videoBlocks;
                EXPECT_EQ(std::memcmp(block + 3, original + 3, 77), 0) << "video data kept";
                continue;
            }
            for (int i = 3; i < 80; ++i) {
                const int inSequence = (j - 1) * 80 + i;
                if (inSequence >= sourceControlPackOffset && inSequence < sourceControlPackOffset + 5)
                    continue;
                ASSERT_EQ(block[i], 0) << "sequence " << s << " block " << j << " byte " << i;
            }
        }
        EXPECT_EQ(videoBlocks, 135);
    }
}

TEST_F(Dvf, SourceControlPacksAndWideFlagReadBack)
{
    const struct { DvSystem system; bool wide; uint8_t pack[5]; } cases[] = {
        {dvSystem525, false, {0x61, 0x3F, 0xC8, 0xFC, 0xFF}},
        {dvSystem525, true, {0x61, 0x3F, 0xCA, 0xFC, 0xFF}},
        {dvSystem625, false, {0x61, 0x3F, 0xC8, 0xFF, 0xFF}},
        {dvSystem625, true, {0x61, 0x3F, 0xCF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        const auto path = folder.file("c.dvf");
        ASSERT_TRUE(writeDvfFile(storedSequences(c.system).data(), path, c.system, c.wide));
        const auto file = fileBytes(path);
        for (int s = 0; s < sequencesOf(c.system); ++s)
            EXPECT_EQ(std::memcmp(&file[32 + s * 11920 + 373], c.pack, 5), 0) << "sequence " << s;
        PictureRecord record;
        record.path = path;
        ASSERT_TRUE(readPictureFile(record));
        EXPECT_EQ(record.wide, c.wide) << "system " << c.system;
        EXPECT_EQ(record.system, c.system == dvSystem625 ? 6 : 5);
        EXPECT_EQ(record.timeCode, "00:00:00:00");
        EXPECT_EQ(std::memcmp(record.header.data(), file.data(), 32), 0);
    }
}

// Frees a block of a frame's size full of other bytes: a frame buffer taken next is then not
// zero by chance.
static void leaveUsedBlock()
{
    auto* block = new uint8_t[frameLayoutBytes];
    std::memset(block, 0xA5, frameLayoutBytes);
    asm volatile("" : : "r"(block) : "memory"); // the bytes are written before the block goes
    delete[] block;
}

TEST_F(Dvf, ReadBackFrameLayoutDecodesLikeTheSource)
{
    for (const DvSystem system : {dvSystem525, dvSystem625}) {
        const auto path = folder.file("d.dvf");
        ASSERT_TRUE(writeDvfFile(storedSequences(system).data(), path, system, false));
        const auto file = fileBytes(path);
        PictureRecord record;
        record.path = path;
        leaveUsedBlock();
        ASSERT_TRUE(readPictureFile(record));
        ASSERT_TRUE(record.frame);
        for (int s = 0; s < sequencesOf(system); ++s) {
            const uint8_t* sequence = record.frame.get() + s * dvSequenceBytes;
            EXPECT_EQ(std::count(sequence, sequence + 80, 0), 80);
            EXPECT_EQ(std::memcmp(sequence + 80, &file[32 + s * 11920], 11920), 0);
        }
        const uint8_t* after = record.frame.get() + sequencesOf(system) * dvSequenceBytes;
        const uint8_t* end = record.frame.get() + frameLayoutBytes;
        EXPECT_EQ(std::count(after, end, 0), end - after) << "the room after the last sequence is zero";
        const int lines = linesOf(system);
        std::vector<uint8_t> pixels(2160 * lines);
        const DvcHandle decoder = DvcOpenDecoder(system);
        const uint32_t dib = DvcGetDibInfo(720, lines);
        DvcDecodeParams params;
        params.width = 720;
        params.height = lines;
        ASSERT_EQ(DvcDecode(decoder, record.frame.get(), frameBytesOf(system), pixels.data(), &dib,
                            &params), dvcOk);
        DvcCloseDecoder(decoder);
        const auto source = test::fromTopDown(testPattern(system).data(), 720, lines, 2160);
        EXPECT_GT(test::psnr(test::fromBottomUp(pixels.data(), 720, lines), source), 30.0);
    }
}

TEST(DvfTimeCode, FirstPackOfAnySequenceGivesTheText)
{
    std::vector<uint8_t> frame(frameLayoutBytes, 0);
    EXPECT_EQ(frameTimeCode(frame.data(), 10), "00:00:00:00") << "no pack";
    // A pack in sequence 3, second subcode block, masked bits set as a camera writes them.
    const uint8_t pack[5] = {0x13, 0xC4, 0x83, 0x82, 0xC1};
    std::memcpy(&frame[3 * 12000 + 174], pack, 5);
    EXPECT_EQ(frameTimeCode(frame.data(), 10), "01:02:03:04");
    const uint8_t earlier[5] = {0x13, 0x22, 0x59, 0x59, 0x23};
    std::memcpy(&frame[1 * 12000 + 86], earlier, 5);
    EXPECT_EQ(frameTimeCode(frame.data(), 10), "23:59:59:22");
    EXPECT_EQ(frameTimeCode(frame.data(), 1), "00:00:00:00") << "only the sequences asked for";
}

TEST(DvfTimeCode, DigitLimits)
{
    EXPECT_EQ(timeCodeText(0x00, 0x65, 0x69, 0x29), "00:65:69:29") << "tens up to 6 pass";
    EXPECT_EQ(timeCodeText(0x00, 0x70, 0x00, 0x00), invalidTimeCode);
    EXPECT_EQ(timeCodeText(0x00, 0x00, 0x70, 0x00), invalidTimeCode);
    EXPECT_EQ(timeCodeText(0x00, 0x00, 0x00, 0x30), invalidTimeCode);
    EXPECT_EQ(timeCodeText(0x0A, 0x00, 0x00, 0x00), invalidTimeCode);
    EXPECT_EQ(timeCodeText(0x00, 0x0F, 0x00, 0x00), invalidTimeCode);
    EXPECT_EQ(timeCodeText(0x3F, 0x00, 0x00, 0x00), invalidTimeCode);
}

TEST_F(Dvf, BrokenFilesFailWithoutFrameData)
{
    PictureRecord record;
    record.path = folder.file("missing.dvf");
    EXPECT_FALSE(readPictureFile(record));
    EXPECT_FALSE(record.frame);
    writeBytes(folder.file("bitmap.dvf"), {'B', 'M', 0, 0, 0, 0});
    record.path = folder.file("bitmap.dvf");
    EXPECT_FALSE(readPictureFile(record));
    EXPECT_FALSE(record.frame);
    writeBytes(folder.file("empty.dvf"), {});
    record.path = folder.file("empty.dvf");
    EXPECT_FALSE(readPictureFile(record));
    record.path = folder.path();
    EXPECT_FALSE(readPictureFile(record)) << "a folder is no picture file";

    // A system digit other than 5 and 6 names no picture the decoder could show right.
    const auto good = folder.file("good.dvf");
    ASSERT_TRUE(writeDvfFile(storedSequences(dvSystem625).data(), good, dvSystem625, false));
    for (const uint8_t digit : std::initializer_list<uint8_t>{'7', '0', '4', 'D', ' ', 0x36 | 0x80}) {
        auto bytes = fileBytes(good);
        bytes[10] = digit;
        writeBytes(folder.file("digit.dvf"), bytes);
        record.path = folder.file("digit.dvf");
        EXPECT_FALSE(readPictureFile(record)) << int(digit);
        EXPECT_FALSE(record.frame);
    }
}

TEST_F(Dvf, ShortFileReads)
{
    const auto path = folder.file("e.dvf");
    ASSERT_TRUE(writeDvfFile(storedSequences(dvSystem525).data(), path, dvSystem525, true));
    auto bytes = fileBytes(path);
    bytes.resize(50000);
    writeBytes(path, bytes);
    PictureRecord record;
    record.path = path;
    ASSERT_TRUE(readPictureFile(record));
    EXPECT_EQ(record.system, 5);
    EXPECT_EQ(record.videoSystem(), dvSystem525);
    EXPECT_TRUE(record.wide);
    const uint8_t* frame = record.frame.get();
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(std::memcmp(frame + s * 12000 + 80, &bytes[32 + s * 11920], 11920), 0);
    const int partial = 50000 - 32 - 4 * 11920; // of sequence 4
    EXPECT_EQ(std::memcmp(frame + 4 * 12000 + 80, &bytes[32 + 4 * 11920], partial), 0);
    const uint8_t* rest = frame + 4 * 12000 + 80 + partial;
    EXPECT_EQ(std::count(rest, frame + frameLayoutBytes, 0), frame + frameLayoutBytes - rest)
        << "past the end of the file the frame stays zero";
}

TEST_F(Dvf, WriterRefusesMissingDataAndUnwritablePaths)
{
    const auto path = folder.file("f.dvf");
    EXPECT_FALSE(writeDvfFile(nullptr, path, dvSystem525, false));
    EXPECT_FALSE(std::ifstream(path).good()) << "no file written";
    const auto nowhere = folder.file("no/such/folder/f.dvf");
    EXPECT_FALSE(writeDvfFile(storedSequences(dvSystem525).data(), nowhere, dvSystem525, false));
}

extern "C" {
#include <libavcodec/avcodec.h>
}

// Each row of the system table against the file the writer makes of it and against what
// libavcodec's own DV profile reads from that frame.
TEST_F(Dvf, SystemTableAgreesWithTheWrittenFileAndTheDecoder)
{
    for (const DvSystemFacts& facts : dvSystems) {
        for (const bool wide : {false, true}) {
            SCOPED_TRACE(std::string(facts.name) + (wide ? " wide" : ""));
            EXPECT_EQ(&factsOf(facts.system), &facts);
            EXPECT_EQ(systemOfSequences(facts.sequences), facts.system);
            EXPECT_EQ(systemOfLines(facts.lines), &facts);
            const DvAspect& aspect = wide ? facts.wide : facts.narrow;
            EXPECT_EQ(720 % aspect.storedGroup, 0);
            EXPECT_EQ(720 / aspect.storedGroup * aspect.squareGroup, aspect.squareWidth);
            EXPECT_NEAR(double(aspect.squareWidth) / facts.lines, wide ? 16.0 / 9 : 4.0 / 3, 0.02);

            const auto path = folder.file("t.dvf");
            ASSERT_TRUE(writeDvfFile(storedSequences(facts.system).data(), path, facts.system, wide));
            EXPECT_EQ(fileBytes(path).size(), facts.dvfFileBytes);
            PictureRecord record;
            record.path = path;
            ASSERT_TRUE(readPictureFile(record));
            EXPECT_EQ(record.header[dvfDigitOffset], facts.digit);
            EXPECT_EQ(record.videoSystem(), facts.system);
            EXPECT_EQ(record.wide, wide);

            std::vector<uint8_t> frame(facts.frameBytes + AV_INPUT_BUFFER_PADDING_SIZE);
            std::memcpy(frame.data(), record.frame.get(), facts.frameBytes);
            for (int s = 0; s < facts.sequences; ++s)
                putHeaderBlockStart(&frame[s * dvSequenceBytes], s, facts.system);
            const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
            ASSERT_NE(codec, nullptr);
            AVCodecContext* context = avcodec_alloc_context3(codec);
            ASSERT_EQ(avcodec_open2(context, codec, nullptr), 0);
            AVPacket* packet = av_packet_alloc();
            AVFrame* picture = av_frame_alloc();
            packet->data = frame.data();
            packet->size = facts.frameBytes;
            ASSERT_EQ(avcodec_send_packet(context, packet), 0);
            ASSERT_EQ(avcodec_receive_frame(context, picture), 0);
            EXPECT_EQ(picture->height, facts.lines);
            EXPECT_EQ(picture->format, facts.chroma == DvChroma::Yuv420 ? AV_PIX_FMT_YUV420P
                                                                        : AV_PIX_FMT_YUV411P);
            EXPECT_EQ(context->framerate.num * facts.frameRateDenominator,
                      context->framerate.den * facts.frameRateNumerator);
            EXPECT_EQ((context->framerate.num + context->framerate.den - 1) / context->framerate.den,
                      facts.timeCodeFramesPerSecond);
            EXPECT_NEAR(av_q2d(picture->sample_aspect_ratio),
                        double(aspect.squareGroup) / aspect.storedGroup, 0.01);
            av_frame_free(&picture);
            av_packet_free(&packet);
            avcodec_free_context(&context);
        }
    }
}

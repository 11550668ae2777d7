#include "capture/Imgdata.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using namespace vantrel::imgdata;

namespace {

constexpr size_t Block = 80;

// Picture data whose every 80-byte unit carries its own index in bytes 3 and 4, so the
// source of an assembled block can be read back from it.
std::vector<uint8_t> numberedPicture(size_t length)
{
    std::vector<uint8_t> data(200000);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(i * 13 + i / Block);
    for (size_t unit = 0; unit * Block < length; ++unit) {
        data[unit * Block + 3] = static_cast<uint8_t>(unit >> 8);
        data[unit * Block + 4] = static_cast<uint8_t>(unit);
    }
    return data;
}

const uint8_t* blockOf(const std::vector<uint8_t>& frame, size_t sequence, size_t block)
{
    return frame.data() + sequence * SequenceBytes + block * Block;
}

// Byte offset within a group of 1440 bytes of group block k (0 audio, 1 to 15 video).
size_t groupOffset(int layout, size_t k)
{
    if (layout == 4)
        return k == 0 ? 400 : k <= 5 ? (k - 1) * 80 : k <= 10 ? 480 + (k - 6) * 80
                                                           : 960 + (k - 11) * 80;
    return k == 0 ? 0 : k <= 5 ? 80 + (k - 1) * 80 : k <= 10 ? 560 + (k - 6) * 80
                                                         : 1040 + (k - 11) * 80;
}

size_t groupedSourceByte(int layout, size_t sequence, size_t block)
{
    const size_t sequenceStart = sequence * 13440;
    if (block < 6)
        return sequenceStart + block * Block;
    const size_t group = (block - 6) / 16;
    return sequenceStart + 480 + group * 1440 + groupOffset(layout, (block - 6) % 16);
}

bool isTimeCodeByte(size_t block, size_t byte)
{
    return (block == 1 || block == 2) && byte >= 30 && byte < 51;
}

void expectGroupedFrame(int layout, const std::vector<uint8_t>& picture,
                        const std::vector<uint8_t>& frame, size_t sequences)
{
    for (size_t s = 0; s < sequences; ++s)
        for (size_t b = 0; b < BlocksPerSequence; ++b) {
            const uint8_t* got = blockOf(frame, s, b);
            const uint8_t* want = picture.data() + groupedSourceByte(layout, s, b);
            const size_t from = b == 0 ? 0 : 3;
            for (size_t i = from; i < Block; ++i) {
                if (layout == 6 && isTimeCodeByte(b, i))
                    continue;
                ASSERT_EQ(got[i], want[i]) << "sequence " << s << " block " << b << " byte " << i;
            }
        }
}

void expectIdentifiers(const std::vector<uint8_t>& frame, size_t sequences)
{
    for (size_t s = 0; s < sequences; ++s)
        for (size_t b = 1; b < BlocksPerSequence; ++b) {
            const auto id = blockIdentifier(s, b);
            ASSERT_EQ(std::memcmp(blockOf(frame, s, b), id.data(), 3), 0) << s << "/" << b;
        }
}

const TimeCodePack Pack{0x13, 0xC4, 0x83, 0x82, 0xC1};

} // namespace

TEST(BlockIdentifier, KindsAndNumbersAcrossASequence)
{
    EXPECT_EQ(blockIdentifier(0, 1), (std::array<uint8_t, 3>{0x3F, 0x07, 0}));
    EXPECT_EQ(blockIdentifier(11, 2), (std::array<uint8_t, 3>{0x3F, 0xB7, 1}));
    EXPECT_EQ(blockIdentifier(3, 5), (std::array<uint8_t, 3>{0x5F, 0x37, 2}));
    EXPECT_EQ(blockIdentifier(0, 6), (std::array<uint8_t, 3>{0x7F, 0x07, 0}));
    EXPECT_EQ(blockIdentifier(0, 7), (std::array<uint8_t, 3>{0x9F, 0x07, 0}));
    EXPECT_EQ(blockIdentifier(0, 21), (std::array<uint8_t, 3>{0x9F, 0x07, 14}));
    EXPECT_EQ(blockIdentifier(0, 22), (std::array<uint8_t, 3>{0x7F, 0x07, 1}));
    EXPECT_EQ(blockIdentifier(0, 134), (std::array<uint8_t, 3>{0x7F, 0x07, 8}));
    EXPECT_EQ(blockIdentifier(9, 149), (std::array<uint8_t, 3>{0x9F, 0x97, 134}));
    int audio = 0, video = 0;
    for (size_t b = 6; b < BlocksPerSequence; ++b)
        (kindOfBlock(b) == BlockKind::Audio ? audio : video)++;
    EXPECT_EQ(audio, 9);
    EXPECT_EQ(video, 135);
}

TEST(Assemble, Layout4SeventyBlocksGiveTenSequences)
{
    const size_t length = 70 * 1920;
    const auto picture = numberedPicture(length);
    std::vector<uint8_t> frame(MaxFrameBytes, 0xEE);
    const Assembled result = Assemble(picture.data(), length, 0x40, Pack, frame.data());
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.sequences, 10u);
    EXPECT_EQ(result.pictureLength, length);
    expectGroupedFrame(4, picture, frame, 10);
    expectIdentifiers(frame, 10);
    // Layout 4 takes its subcode from the picture, not from the capture's time code.
    EXPECT_EQ(std::memcmp(blockOf(frame, 0, 1) + 30, picture.data() + Block + 30, 5), 0);
    EXPECT_EQ(frame[10 * SequenceBytes], 0xEE) << "the eleventh sequence was written";
}

TEST(Assemble, Layout6EightyFourBlocksCarryTheTimeCodePack)
{
    const size_t length = 84 * 1920;
    const auto picture = numberedPicture(length);
    std::vector<uint8_t> frame(MaxFrameBytes);
    const Assembled result = Assemble(picture.data(), length, 0x6A, Pack, frame.data());
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.sequences, 12u);
    expectGroupedFrame(6, picture, frame, 12);
    expectIdentifiers(frame, 12);
    int packs = 0;
    for (size_t s = 0; s < 12; ++s)
        for (size_t b : {1, 2}) {
            const uint8_t* block = blockOf(frame, s, b);
            EXPECT_EQ(std::memcmp(block + 30, Pack.data(), 5), 0);
            packs++;
            for (size_t offset : {38, 46}) {
                const bool packHere = std::memcmp(block + offset, Pack.data(), 5) == 0;
                EXPECT_EQ(packHere, s < 6) << "sequence " << s << " offset " << offset;
            }
        }
    EXPECT_EQ(packs, 24);
}

TEST(Assemble, Layout7SendsVideoFirstAndFillsTheRest)
{
    const size_t length = 72 * 1920; // 138240 bytes: 12 sequences of 11520
    const auto picture = numberedPicture(length);
    std::vector<uint8_t> frame(MaxFrameBytes);
    const Assembled result = Assemble(picture.data(), length, 0x70, Pack, frame.data());
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.sequences, 12u);
    EXPECT_EQ(result.pictureLength, 144000u);
    expectIdentifiers(frame, 12);
    for (size_t s = 0; s < 12; ++s) {
        size_t video = 0;
        for (size_t b = 0; b < BlocksPerSequence; ++b) {
            const uint8_t* got = blockOf(frame, s, b);
            size_t unit = 0;
            switch (kindOfBlock(b)) {
            case BlockKind::Header:
            case BlockKind::Audio:
                for (size_t i = b == 0 ? 0 : 3; i < Block; ++i)
                    ASSERT_EQ(got[i], 0xFF) << s << "/" << b;
                continue;
            case BlockKind::Subcode: unit = 138 + b - 1; break;
            case BlockKind::Vaux: unit = 135 + b - 3; break;
            case BlockKind::Video: unit = video++; break;
            }
            const uint8_t* want = picture.data() + s * 11520 + unit * Block;
            ASSERT_EQ(std::memcmp(got + 3, want + 3, Block - 3), 0) << s << "/" << b;
        }
        EXPECT_EQ(video, 135u);
    }
    EXPECT_EQ(Assemble(picture.data(), 60 * 1920, 0x70, Pack, frame.data()).sequences, 10u);
}

TEST(Assemble, UnknownLayoutAndShortPictureFail)
{
    const auto picture = numberedPicture(84 * 1920);
    std::vector<uint8_t> frame(MaxFrameBytes);
    for (uint8_t layout : {0x00, 0x50, 0x80, 0xF0})
        EXPECT_FALSE(Assemble(picture.data(), 84 * 1920, layout, Pack, frame.data()).ok);
    // 50 blocks cannot fill the 10 sequences of a layout 4 frame.
    EXPECT_FALSE(Assemble(picture.data(), 50 * 1920, 0x40, Pack, frame.data()).ok);
}

TEST(TimeCodePackTest, PackedDigitsWithMarksAndPlayLead)
{
    const int32_t position = ((1 * 60 + 2) * 60 + 3) * 25 + 4;
    EXPECT_EQ(MakeTimeCodePack(position, 25, 5), Pack);
    EXPECT_EQ(MakeTimeCodePack(position, 25, 6), (TimeCodePack{0x13, 0xD0, 0x83, 0x82, 0xC1}));
    const int32_t late = ((23 * 60 + 59) * 60 + 59) * 30 + 29;
    EXPECT_EQ(MakeTimeCodePack(late, 30, 1), (TimeCodePack{0x13, 0xE9, 0xD9, 0xD9, 0xE3}));
    EXPECT_EQ(MakeTimeCodePack(-position, 25, 5), Pack);
}

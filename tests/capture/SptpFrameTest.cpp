#include "capture/SptpFrame.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel::sptp;

namespace {

std::vector<uint8_t> frameOf(uint8_t id, const Command& command)
{
    std::vector<uint8_t> frame(MaxFrameLength);
    frame.resize(buildFrame(id, command, frame.data()));
    return frame;
}

std::vector<uint8_t> unstuffAll(const std::vector<uint8_t>& stuffed, size_t capacity = 4000)
{
    std::vector<uint8_t> out(capacity);
    out.resize(unstuff(stuffed.data(), stuffed.size(), out.data(), out.size()).produced);
    return out;
}

const Command AllCommands[] = {Cmd::Rate9600, Cmd::Rate19200, Cmd::Rate38400, Cmd::Rate57600,
                               Cmd::Rate76800, Cmd::Rate115200, Cmd::Start, Cmd::NextBlock,
                               Cmd::RepeatBlock, Cmd::End, Cmd::Unused36, Cmd::Unused37,
                               Cmd::Unused38, Cmd::Unused3D};

} // namespace

TEST(SptpFrame, RateCommandFrameWithSumHighByteFirst)
{
    const std::vector<uint8_t> expected{0x10, 0x16, 0x01, 0x10, 0x02, 0x00, 0x32,
                                        0x11, 0x52, 0x10, 0x03, 0x00, 0xE1};
    EXPECT_EQ(frameOf(1, Cmd::Rate115200), expected);
}

TEST(SptpFrame, CommandWithoutArgumentsIsElevenBytes)
{
    const std::vector<uint8_t> expected{0x10, 0x16, 0x05, 0x10, 0x02, 0x00,
                                        0x31, 0x10, 0x03, 0x00, 0x81};
    EXPECT_EQ(frameOf(5, Cmd::NextBlock), expected);
    EXPECT_EQ(frameOf(99, Cmd::Unused3D).size(), MaxFrameLength);
}

TEST(SptpFrame, EveryCommandParsesBackAndIsCompleteWhenWhole)
{
    for (const auto& command : AllCommands) {
        auto frame = frameOf(0x10, command);
        ParsedFrame parsed;
        ASSERT_TRUE(parseFrame(frame.data(), frame.size(), parsed));
        EXPECT_EQ(parsed.id, 0x10);
        ASSERT_EQ(parsed.length, command.length);
        EXPECT_TRUE(std::equal(parsed.bytes.begin(), parsed.bytes.begin() + parsed.length,
                               command.bytes.begin()));
        EXPECT_EQ(frameBytesMissing(frame.data(), frame.size()), 0);
        EXPECT_GT(frameBytesMissing(frame.data(), frame.size() - 2), 0);

        frame.back() ^= 1;
        EXPECT_FALSE(parseFrame(frame.data(), frame.size(), parsed));
    }
    const uint8_t quobPacket[] = {0xFF, 0xFF, 0x01, 0x08};
    EXPECT_EQ(frameBytesMissing(quobPacket, sizeof quobPacket), -1);
}

TEST(SptpFrame, AnswersAreCheckedForLeadAndVerdict)
{
    uint8_t answer[AnswerLength];
    buildAnswer(7, true, answer);
    EXPECT_TRUE(answerStartsRight(answer, 7));
    EXPECT_FALSE(answerStartsRight(answer, 8));
    EXPECT_TRUE(answerAccepts(answer));
    buildAnswer(7, false, answer);
    EXPECT_TRUE(answerStartsRight(answer, 7));
    EXPECT_FALSE(answerAccepts(answer));
}

TEST(SptpFrame, RateTableByIndexWithThirtyEightKiloForAnythingElse)
{
    for (const auto& row : TransferRates)
        EXPECT_EQ(&transferRateFor(row.index), &row);
    EXPECT_EQ(transferRateFor(3).bitRate, 115200);
    EXPECT_EQ(transferRateFor(3).pollIntervalMs, 10);
    for (int odd : {-1, 4, 99}) {
        EXPECT_EQ(transferRateFor(odd).bitRate, 38400);
        EXPECT_EQ(transferRateFor(odd).pollIntervalMs, 50);
    }
    EXPECT_EQ(transferRateOfCommand(Cmd::Rate19200.bytes.data(), 3)->bitRate, 19200);
    EXPECT_EQ(transferRateOfCommand(Cmd::Rate57600.bytes.data(), 3), nullptr);
}

TEST(DleStuffing, PairsGiveOneDleAndASingleDleIsDropped)
{
    EXPECT_EQ(unstuffAll({0x01, 0x10, 0x10, 0x02}), (std::vector<uint8_t>{0x01, 0x10, 0x02}));
    EXPECT_EQ(unstuffAll({0x01, 0x10, 0x02}), (std::vector<uint8_t>{0x01, 0x02}));
    EXPECT_EQ(unstuffAll({0x10, 0x10, 0x10, 0x10, 0x10}), (std::vector<uint8_t>{0x10, 0x10}));
    EXPECT_EQ(unstuffAll({0x01, 0x02, 0x03}, 2), (std::vector<uint8_t>{0x01, 0x02}));
}

TEST(DleStuffing, EveryByteValueSurvivesTheRoundTrip)
{
    std::vector<uint8_t> all(512);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> stuffed(all.size() * 2);
    stuffed.resize(stuff(all.data(), all.size(), stuffed.data(), stuffed.size()));
    EXPECT_EQ(stuffed.size(), all.size() + 2);
    EXPECT_EQ(unstuffAll(stuffed), all);
    uint8_t tooSmall[3];
    EXPECT_EQ(stuff(all.data() + 15, 2, tooSmall, 2), 0u);
    EXPECT_EQ(stuff(all.data() + 15, 2, tooSmall, 3), 3u);
}

TEST(BlockFrame, LayoutOfABlockWithDlesInHeaderAndData)
{
    BlockHeader header;
    header.number = 0x0010;
    header.totalSize = 0x00021000;
    header.layout = 0x60;
    header.word12 = 0x1010;
    std::vector<uint8_t> data(BlockDataLength);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> frame(4000);
    frame.resize(buildBlockFrame(3, header, data.data(), data.size(), true, frame.data(),
                                 frame.size()));
    ASSERT_GT(frame.size(), BlockDataLength);
    EXPECT_EQ((std::vector<uint8_t>(frame.begin(), frame.begin() + 5)),
              (std::vector<uint8_t>{0x10, 0x16, 0x03, 0x10, 0x01}));
    EXPECT_EQ(frame[frame.size() - 4], DLE);
    EXPECT_EQ(frame[frame.size() - 3], LastBlock);

    uint8_t rawHeader[BlockHeaderLength];
    const auto head = unstuff(frame.data() + 5, frame.size() - 5, rawHeader, sizeof rawHeader);
    ASSERT_EQ(head.produced, BlockHeaderLength);
    const BlockHeader back = readBlockHeader(rawHeader);
    EXPECT_EQ(back.number, 0x10);
    EXPECT_EQ(back.totalSize, 0x00021000u);
    EXPECT_EQ(back.layout, 0x60);
    EXPECT_EQ(back.word12, 0x1010);

    const size_t dataStart = 5 + head.consumed + BlockSeparatorLength;
    const std::vector<uint8_t> stuffedData(frame.begin() + dataStart, frame.end() - 4);
    EXPECT_EQ(unstuffAll(stuffedData), data);

    std::vector<uint8_t> small(1000);
    EXPECT_EQ(buildBlockFrame(3, header, data.data(), data.size(), false, small.data(),
                              small.size()), 0u);
}

#include "capture/CaptureCommands.h"
#include "capture/Quobcpt.h"
#include "link/Quobvtr.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

// A capture object that is never connected: ParseBlock works on its buffers alone.
struct Parser {
    CQuobIO io;
    QuobVtr vtr{io};
    QuobCpt cpt{io, vtr};

    // Puts a block frame into the receive buffer as ReceiveBlock leaves it, and parses it.
    bool parse(uint16_t number, const std::vector<uint8_t>& data, bool last = false,
               uint32_t total = 84 * 1920)
    {
        sptp::BlockHeader header;
        header.number = number;
        header.totalSize = total;
        header.layout = 0x61;
        const size_t length = sptp::buildBlockFrame(1, header, data.data(), data.size(), last,
                                                    cpt.receiveBuffer.data(),
                                                    cpt.receiveBuffer.size());
        cpt.receiveCount = static_cast<int>(length);
        return length != 0 && cpt.ParseBlock();
    }
};

std::vector<uint8_t> blockData(uint8_t seed, size_t length = 1920)
{
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(seed + i * 3); // 0x10 turns up often
    return data;
}

} // namespace

TEST(ParseBlock, BlocksAppendInOrderAndBlockZeroStartsAgain)
{
    Parser p;
    ASSERT_TRUE(p.parse(0, blockData(1)));
    EXPECT_EQ(p.cpt.pictureLength, 1920);
    EXPECT_EQ(p.cpt.header.totalSize, 84u * 1920);
    EXPECT_EQ(p.cpt.header.layout, 0x61);
    EXPECT_EQ(p.cpt.endByte, sptp::MoreBlocks);
    EXPECT_FALSE(p.parse(2, blockData(4))) << "a block after a missing one";
    ASSERT_TRUE(p.parse(1, blockData(2), true));
    EXPECT_EQ(p.cpt.pictureLength, 3840);
    EXPECT_EQ(p.cpt.endByte, sptp::LastBlock);
    const auto second = blockData(2);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), p.cpt.pictureBuffer.get() + 1920));
    EXPECT_FALSE(p.parse(1, blockData(5))) << "a late copy of a block already taken";
    EXPECT_EQ(p.cpt.pictureLength, 3840);

    ASSERT_TRUE(p.parse(0, blockData(3)));
    EXPECT_EQ(p.cpt.pictureLength, 1920);
    EXPECT_EQ(p.cpt.pictureBuffer[0], 3);
}

TEST(ParseBlock, WrongLengthKeepsNothingSoTheRepetitionLandsInPlace)
{
    Parser p;
    ASSERT_TRUE(p.parse(0, blockData(1)));
    EXPECT_FALSE(p.parse(1, blockData(9, 1919)));
    EXPECT_EQ(p.cpt.pictureLength, 1920);
    EXPECT_FALSE(p.parse(1, blockData(9, 1921)));
    EXPECT_EQ(p.cpt.pictureLength, 1920);
    ASSERT_TRUE(p.parse(1, blockData(2)));
    EXPECT_EQ(p.cpt.pictureLength, 3840);
    EXPECT_EQ(p.cpt.pictureBuffer[1920], 2);
}

TEST(ParseBlock, ShortFramesAndBadEndBytesAreMalformed)
{
    Parser p;
    EXPECT_FALSE(p.parse(0, blockData(1, 700)));
    ASSERT_TRUE(p.parse(0, blockData(1)));
    p.cpt.receiveBuffer[p.cpt.receiveCount - 3] = 0x04;
    EXPECT_FALSE(p.cpt.ParseBlock());
    EXPECT_EQ(p.cpt.pictureLength, 1920);
}

TEST(ParseBlock, PictureLargerThanTheBufferIsNeverWritten)
{
    Parser p;
    EXPECT_FALSE(p.parse(0, blockData(1), false, QuobCpt::PictureBufferBytes + 1));
    EXPECT_EQ(p.cpt.pictureLength, 0);
    // A device that lies about the size cannot push the data past the buffer either.
    p.cpt.pictureLength = static_cast<int>(QuobCpt::PictureBufferBytes) - 1000;
    EXPECT_FALSE(p.parse(103, blockData(1), false, QuobCpt::PictureBufferBytes));
    EXPECT_EQ(p.cpt.pictureLength, static_cast<int>(QuobCpt::PictureBufferBytes) - 1000);
}

TEST(CaptureOutcomeText, CombinedOutcomesNameBothParts)
{
    EXPECT_EQ(CaptureOutcome::describe(0x90), "the transfer failed");
    EXPECT_EQ(CaptureOutcome::describe(0xB0),
              "the transfer failed; switching back to Quob failed");
    EXPECT_EQ(CaptureOutcome::describe(0xA1),
              "stopped by the user during the transfer; switching back to Quob failed");
    EXPECT_EQ(CaptureOutcome::describe(0xA0), "switching back to Quob failed");
    EXPECT_EQ(CaptureOutcome::describe(0x42), "unknown outcome");
}

TEST(QuobCptSetId, OnlyOneToNinetyNine)
{
    Parser p;
    EXPECT_FALSE(p.cpt.SetId(0));
    EXPECT_FALSE(p.cpt.SetId(100));
    EXPECT_TRUE(p.cpt.SetId(99));
    EXPECT_EQ(p.cpt.deviceId, 99);
}

#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/PreviewBitmap.h"
#include "image/TestPattern.h"
#include "support/TempFolder.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace vantrel;

namespace {

uint32_t word(const uint8_t* bytes)
{
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

bool near(QRgb pixel, int red, int green, int blue)
{
    return std::abs(qRed(pixel) - red) < 20 && std::abs(qGreen(pixel) - green) < 20 &&
           std::abs(qBlue(pixel) - blue) < 20;
}

} // namespace

TEST(FrameBitmap, HeadersAndRoom)
{
    FrameBitmap bitmap;
    ASSERT_TRUE(bitmap.setUp(90, 72));
    EXPECT_EQ(word(bitmap.header()), 40u);
    EXPECT_EQ(word(bitmap.header() + 4), 90u);
    EXPECT_EQ(word(bitmap.header() + 8), 72u);
    EXPECT_EQ(bitmap.header()[14], 24);
    EXPECT_EQ(word(bitmap.header() + 20), 90u * 72 * 3);
    EXPECT_EQ(bitmap.blockBytes, 40u + 1024 + 93 * 72 * 3);
    EXPECT_EQ(bitmap.decodeParams.width, 90);
    EXPECT_EQ(bitmap.decodeParams.version, 2);
    const auto file = bitmap.fileHeader();
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(word(&file[2]), 90u * 72 * 3 + 54);
    EXPECT_EQ(word(&file[10]), 54u);
    ASSERT_TRUE(bitmap.setUp(640, 480));
    EXPECT_EQ(bitmap.blockBytes, 40u + 1024 + 723 * 576 * 3) << "640 x 480 reserves as 720 x 576";
}

TEST(FrameBitmap, DrawsTheDecodedFrameUpright)
{
    ASSERT_TRUE(DvcLoad());
    const auto frame = encodedTestFrame(dvSystem625);
    PictureRecord record;
    record.system = 6;
    record.frame.reset(new uint8_t[frameLayoutBytes]);
    std::memcpy(record.frame.get(), frame.data(), frameLayoutBytes);
    FrameBitmap bitmap;
    ASSERT_EQ(decodeIntoBitmap(record, bitmap, false, correctionNone), dvcOk);
    QImage target(360, 288, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    EXPECT_TRUE(bitmap.draw(&painter, 0, 0, 360, 288));
    painter.end();
    EXPECT_TRUE(near(target.pixel(10, 10), 191, 191, 191)) << "white bar at the top left";
    EXPECT_TRUE(near(target.pixel(350, 10), 16, 16, 16)) << "black bar at the top right";
    EXPECT_TRUE(near(target.pixel(350, 180), 230, 230, 230)) << "bright end of the grey ramp";
    FrameBitmap empty;
    EXPECT_FALSE(empty.draw(&painter, 0, 0, 10, 10));
    EXPECT_FALSE(bitmap.draw(nullptr, 0, 0, 10, 10));
}

// The settings window's preview file: a 24-bit picture that fits the room is taken, anything
// else refused, and the file goes either way. A width whose row size wraps in 32 bits must not
// pass for a small picture.
TEST(PreviewBitmap, TakesOnlyA24BitPictureThatFits)
{
    struct Case {
        uint32_t headerBytes;
        int32_t width;
        int32_t height;
        uint16_t bits;
        size_t pixelBytes;
        bool taken;
    };
    const Case cases[] = {
        {40, 4, 2, 24, 24, true},
        {40, 960, 432, 24, 960 * 3 * 432, true}, // wider than the room's 720, but it fits
        {40, 1024, 576, 24, 0, false},
        {40, 4, 2, 8, 8, false},
        {12, 4, 2, 24, 24, false},
        {40, 0, 2, 24, 0, false},
        {40, 4, -2, 24, 24, false},
        {40, 0x55555556, 1, 24, 4, false},
    };
    test::TempFolder folder;
    const std::string path = folder.file("preview.bmp");
    for (const Case& c : cases) {
        std::vector<uint8_t> file(bitmapFileHeaderBytes + bitmapInfoHeaderBytes, 0);
        uint8_t* info = file.data() + bitmapFileHeaderBytes;
        putLittleEndian32(info, c.headerBytes);
        putLittleEndian32(info + 4, uint32_t(c.width));
        putLittleEndian32(info + 8, uint32_t(c.height));
        info[12] = 1;
        info[14] = uint8_t(c.bits);
        file.resize(file.size() + c.pixelBytes, 0x80);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
        FrameBitmap bitmap;
        EXPECT_EQ(readPreviewBitmap(path, bitmap), c.taken) << c.width << " x " << c.height << " x " << c.bits;
        if (c.taken) {
            EXPECT_EQ(QSize(bitmap.width, bitmap.height), QSize(c.width, c.height));
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    FrameBitmap bitmap;
    EXPECT_FALSE(readPreviewBitmap(path, bitmap)) << "no file";
}

// Pictures whose header declares more than the image kit reads are refused before they are
// decoded; real photos, even above the toolkit's own allocation limit, still load.
#include "Frames.h"
#include "support/TempFolder.h"

#include "image/ImageDocument.h"
#include "image/ImageKit.h"
#include "image/PictureLimits.h"
#include "image/Scaler.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// A 24-bit bitmap header declaring width x height, padded with zeros to `fileBytes`.
std::vector<uint8_t> declaredBitmap(uint32_t width, uint32_t height, size_t fileBytes)
{
    std::vector<uint8_t> bytes(fileBytes, 0);
    const auto put = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = uint8_t(value >> 8 * i);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, uint32_t(fileBytes));
    put(10, 54);
    put(14, 40);
    put(18, width);
    put(22, height);
    bytes[26] = 1;
    bytes[28] = 24;
    return bytes;
}

// A small real JPEG whose frame header is made to declare width x height.
std::vector<uint8_t> declaredJpeg(uint16_t width, uint16_t height)
{
    QImage grey(16, 16, QImage::Format_RGB32);
    grey.fill(qRgb(90, 90, 90));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    grey.save(&buffer, "JPEG", 75);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) { // start of frame: height, then width
            bytes[i + 5] = uint8_t(height >> 8);
            bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8);
            bytes[i + 8] = uint8_t(width);
        }
    return bytes;
}

} // namespace

TEST(PictureLimits, DeclaredSizesBeyondTheLimitsAreRefusedFromTheHeader)
{
    test::TempFolder folder;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"tall.bmp", declaredBitmap(9, 2633216, 186), "declares 9 x 2633216 pixels; at most 32768 pixels a side"},
        {"wide.bmp", declaredBitmap(40000, 2, 240054), "40000 x 2 pixels; at most"},
        {"short.bmp", declaredBitmap(8000, 6000, 4000), "too short for the 8000 x 6000 pixels"},
        {"many.jpg", declaredJpeg(30000, 30000), "30000 x 30000 pixels; at most 32768 pixels a side and 268435456"},
        {"short.jpg", declaredJpeg(16000, 12000), "too short for the 16000 x 12000 pixels"},
    };
    for (const auto& row : cases) {
        const std::string path = folder.file(row.name);
        test::writeBytes(path, row.bytes);
        EXPECT_EQ(ImgKitFileType(path, nullptr), 0) << row.name;
        const ImgKitHandle image = ImgKitFileLoad(path);
        EXPECT_EQ(image, nullptr) << row.name;
        ImgKitMemFree(image);
        EXPECT_NE(ImgKitSizeRefusal(path).find(row.message), std::string::npos) << ImgKitSizeRefusal(path);
    }
}

TEST(PictureLimits, PhotosAboveTheToolkitsOwnLimitStillLoad)
{
    // 6000 x 6000 is 144 MB at four bytes a pixel: more than the toolkit reads by default.
    test::TempFolder folder;
    QImage photo(6000, 6000, QImage::Format_RGB32);
    photo.fill(qRgb(30, 120, 200));
    const std::string path = folder.file("photo.jpg");
    ASSERT_TRUE(photo.save(QString::fromStdString(path), "JPEG", 75));
    EXPECT_EQ(ImgKitSizeRefusal(path), "");
    ImageDocument picture;
    ASSERT_TRUE(picture.load(path));
    EXPECT_EQ(picture.width, 6000);
    ASSERT_TRUE(picture.resize(640, 480));
}

TEST(PictureLimits, TallAndWidePicturesScaleAlongBothAxes)
{
    // A grey ramp along the long side, shrunk along it and grown across it: each output line
    // is the average of the stretch it covers.
    for (const bool tall : {true, false}) {
        const int length = 3000;
        QImage ramp(tall ? 3 : length, tall ? length : 3, QImage::Format_RGB32);
        for (int i = 0; i < length; ++i)
            for (int j = 0; j < 3; ++j) {
                const int grey = i * 250 / length;
                ramp.setPixel(tall ? j : i, tall ? i : j, qRgb(grey, grey, grey));
            }
        const QImage scaled = scaledPicture(ramp, tall ? 300 : 10, tall ? 10 : 300);
        ASSERT_EQ(scaled.size(), tall ? QSize(300, 10) : QSize(10, 300));
        for (int k = 0; k < 10; ++k) {
            const QRgb pixel = tall ? scaled.pixel(150, k) : scaled.pixel(k, 150);
            EXPECT_NEAR(qRed(pixel), 12 + 25 * k, 1) << (tall ? "tall " : "wide ") << k;
        }
    }
}

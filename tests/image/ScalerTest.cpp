#include "Fidelity.h"

#include "image/Scaler.h"
#include "image/TestPattern.h"

#include <QImage>
#include <gtest/gtest.h>

#include <vector>

using namespace vantrel;

namespace {

QImage row(const std::vector<int>& greys)
{
    QImage picture(static_cast<int>(greys.size()), 1, QImage::Format_RGB32);
    for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, 0, qRgb(greys[x], greys[x], greys[x]));
    return picture;
}

std::vector<int> greysOf(const QImage& picture)
{
    std::vector<int> greys;
    for (int x = 0; x < picture.width(); ++x)
        greys.push_back(qRed(picture.pixel(x, 0)));
    return greys;
}

} // namespace

TEST(Scaler, OneColourStaysThatColourAtEverySize)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(qRgb(12, 200, 77));
    // Shrinking and growing, with an odd width for the last pixel of a pair.
    for (const QSize size : {QSize(720, 480), QSize(848, 480), QSize(321, 240), QSize(106, 60), QSize(7, 3)}) {
        const QImage scaled = scaledPicture(picture, size.width(), size.height());
        ASSERT_EQ(scaled.size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_EQ(scaled.pixel(x, y), qRgb(12, 200, 77)) << x << "," << y << " at " << size.width();
    }
}

TEST(Scaler, ShrinkingAveragesTheCoveredPixelsGrowingInterpolates)
{
    EXPECT_EQ(greysOf(scaledPicture(row({0, 100, 200, 50, 10, 30}), 3, 1)), (std::vector<int>{50, 125, 20}));
    // Three into two: the middle pixel is shared half and half.
    EXPECT_EQ(greysOf(scaledPicture(row({0, 90, 180}), 2, 1)), (std::vector<int>{30, 150}));
    const std::vector<int> grown = greysOf(scaledPicture(row({0, 200}), 5, 1));
    EXPECT_EQ(grown.front(), 0);
    EXPECT_EQ(grown.back(), 200);
    for (size_t i = 1; i < grown.size(); ++i)
        EXPECT_GT(grown[i], grown[i - 1]);
}

TEST(Scaler, TheSaveSizesKeepThePicture)
{
    const auto pixels = testPattern(dvSystem525);
    const QImage pattern = QImage(pixels.data(), 720, 480, 2160, QImage::Format_BGR888).convertToFormat(QImage::Format_RGB32);
    const QImage there = scaledPicture(pattern, 640, 480);
    const QImage back = scaledPicture(there, 720, 480).convertToFormat(QImage::Format_BGR888);
    EXPECT_GT(test::psnr(test::fromTopDown(back.constBits(), 720, 480, int(back.bytesPerLine())),
                         test::fromTopDown(pixels.data(), 720, 480, 2160)),
              30.0);
}

TEST(Scaler, NoPictureForEmptySizesOrOtherDepths)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    EXPECT_TRUE(scaledPicture(picture, 0, 4).isNull());
    EXPECT_TRUE(scaledPicture(picture, 4, -1).isNull());
    EXPECT_TRUE(scaledPicture(picture.convertToFormat(QImage::Format_RGB888), 2, 2).isNull());
}

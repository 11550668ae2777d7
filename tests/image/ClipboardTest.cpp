// The viewer's copy: the aspect copy of a decoded frame on the clipboard, the right way up.
#include "image/FrameBitmap.h"
#include "image/Clipboard.h"
#include "image/Resampling.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <cstring>

using namespace vantrel;

namespace {

// Rows are stored bottom-up: the last stored rows are the top of the picture.
void paintTopAndBottom(FrameBitmap& bitmap, QRgb top, QRgb bottom)
{
    for (int row = 0; row < bitmap.height; ++row) {
        const QRgb colour = row >= bitmap.height / 2 ? top : bottom;
        uint8_t* p = bitmap.pixels() + static_cast<size_t>(row) * bitmap.rowBytes();
        for (int x = 0; x < bitmap.width; ++x, p += 3) {
            p[0] = static_cast<uint8_t>(qBlue(colour));
            p[1] = static_cast<uint8_t>(qGreen(colour));
            p[2] = static_cast<uint8_t>(qRed(colour));
        }
    }
}

} // namespace

TEST(Clipboard, CopyPutsTheAspectCopyUpright)
{
    const struct { int height; bool wide; QSize size; } cases[] = {
        {480, false, {640, 480}}, {576, true, {1024, 576}}};
    for (const auto& c : cases) {
        FrameBitmap bitmap;
        ASSERT_TRUE(bitmap.setUp(720, c.height));
        paintTopAndBottom(bitmap, qRgb(200, 30, 10), qRgb(10, 40, 220));
        ASSERT_TRUE(copyAspectToClipboard(bitmap, c.wide));
        const QImage copied = QGuiApplication::clipboard()->image();
        ASSERT_EQ(copied.size(), c.size);
        EXPECT_EQ(copied.pixel(c.size.width() / 2, 0), qRgb(200, 30, 10)) << "top row";
        EXPECT_EQ(copied.pixel(c.size.width() - 1, c.size.height() - 1), qRgb(10, 40, 220)) << "bottom row";
    }
}

TEST(Clipboard, ThumbnailIsNotCopiedAndTheClipboardKeepsItsPicture)
{
    QImage earlier(3, 2, QImage::Format_RGB32);
    earlier.fill(qRgb(1, 2, 3));
    QGuiApplication::clipboard()->setImage(earlier);
    FrameBitmap thumbnail;
    ASSERT_TRUE(thumbnail.setUp(90, 60));
    EXPECT_FALSE(copyAspectToClipboard(thumbnail, false));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(3, 2));
}

// The facts of a picture read back by an outside tool after its way through the program: a
// capture from the simulated camcorder, or an imported JPEG, saved as JPEG and PNG.
#include "CaptureLine.h"
#include "SptpPicture.h"

#include "image/PictureFacts.h"
#include "support/CliRun.h"
#include "support/PictureTags.h"
#include "support/TempFolder.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <vector>

using namespace vantrel;

namespace {

test::CliRun cli(const QStringList& arguments)
{
    return test::runCli(arguments);
}

std::string modifiedAt(const std::string& path)
{
    struct stat facts {};
    stat(path.c_str(), &facts);
    std::tm local{};
    localtime_r(&facts.st_mtime, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

// Captures the picture at `position` (25 frames a second) into `dvf`.
bool capture(const quobsim::SptpOptions& options, int64_t position, const std::string& dvf)
{
    test::CaptureLine line(options, quobsim::camcorder(1, 25));
    if (!line.ready)
        return false;
    line.sim.withDevice(1, [position](quobsim::Device& device) {
        device.tape.setPosition(position, quobsim::Clock::now());
    });
    line.io.Close();
    const test::CliRun run = cli({"capture", "--device", QString::fromStdString(line.sim.slavePath()),
                                  "--rate", "3", "-o", QString::fromStdString(dvf)});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.status == 0;
}

} // namespace

TEST(PictureFacts, CapturedImportedAndUnsetPicturesReadBackByExiftool)
{
    test::TempProgramFolder folder;
    const int64_t position = ((1 * 60 + 2) * 60 + 3) * 25 + 4; // 01:02:03:04
    const std::string shotAt =
        exifDateTimeText(quobsim::simulatedRecordingDate(position, 25));
    quobsim::SptpOptions stamped;
    quobsim::SptpOptions unset;
    unset.unsetRecordingDate = true;
    ASSERT_TRUE(capture(stamped, position, folder.file("shot.dvf")));
    ASSERT_TRUE(capture(unset, position, folder.file("unset.dvf")));
    ASSERT_TRUE(QImage(320, 240, QImage::Format_RGB32).save(QString::fromStdString(folder.file("in.jpg"))));
    test::CliRun run = cli({"import", QString::fromStdString(folder.file("in.jpg")), "-o",
                            QString::fromStdString(folder.file("imported.dvf"))});
    ASSERT_EQ(run.status, 0) << run.err;

    const struct {
        const char* dvf;
        const char* timeCode;
        const char* timeFormat;
        std::string original; // empty: none
    } cases[] = {
        {"shot", "01:02:03:04", "25Timecode", shotAt},
        {"unset", "01:02:03:04", "25Timecode", ""},
        {"imported", "00:00:00:00", "30Timecode", ""},
    };
    for (const auto& c : cases) {
        const std::string dvf = folder.file(std::string(c.dvf) + ".dvf");
        run = cli({"info", QString::fromStdString(dvf)});
        EXPECT_EQ(run.out.find("recorded=") != std::string::npos, !c.original.empty()) << run.out;
        for (const char* format : {"jpeg", "png"}) {
            const std::string out = folder.file(std::string(c.dvf) + "-" + format);
            run = cli({"convert", QString::fromStdString(dvf), "-o", QString::fromStdString(out),
                       "--format", format});
            ASSERT_EQ(run.status, 0) << run.err;
            const std::string written = run.out.substr(0, run.out.find('\n'));
            auto tags = test::pictureTags(written);
            const std::string what = written;
            EXPECT_EQ(tags["XMP-xmpDM:StartTimeCodeTimeValue"], c.timeCode) << what;
            EXPECT_EQ(tags["XMP-xmpDM:StartTimeCodeTimeFormat"], c.timeFormat) << what;
            EXPECT_EQ(tags["ExifIFD:UserComment"], std::string("Time code ") + c.timeCode) << what;
            EXPECT_EQ(tags["ExifIFD:DateTimeOriginal"], c.original) << what;
            EXPECT_EQ(tags["ExifIFD:CreateDate"], modifiedAt(dvf)) << what << ": captured or imported";
            EXPECT_EQ(tags["IFD0:Software"], softwareName()) << what;
        }
    }
}

// The facts go into a picture's bytes in memory; bytes that are no JPEG or PNG picture are
// refused and left as they were.
TEST(PictureFacts, PutIntoPictureBytesOrRefusedWithoutChange)
{
    PictureFacts facts;
    facts.timeCode = "01:02:03:04";
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    struct Case {
        const char* format; // null: bytes of no picture
        QByteArray bytes;
    };
    std::vector<Case> cases = {{nullptr, QByteArray("no picture at all")}, {nullptr, QByteArray()}};
    for (const char* format : {"JPEG", "PNG"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format));
        cases.push_back({format, bytes});
    }
    for (Case& c : cases) {
        const QByteArray before = c.bytes;
        EXPECT_EQ(putPictureFacts(c.bytes, facts), c.format != nullptr) << (c.format ? c.format : "none");
        if (!c.format) {
            EXPECT_EQ(c.bytes, before);
            continue;
        }
        // The XMP packet is stored as text in both (PNG compresses its EXIF).
        EXPECT_GT(c.bytes.size(), before.size()) << c.format;
        EXPECT_TRUE(c.bytes.contains("01:02:03:04")) << c.format;
        EXPECT_FALSE(QImage::fromData(c.bytes, c.format).isNull()) << c.format << " still reads as a picture";
    }
}

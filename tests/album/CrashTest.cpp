// kill -9 of the program in the middle of its file operations, at several points of each: the
// next start finds every picture it held plus any whose side file was complete, and no
// side file, album file or settings file half written.
#include "../capture/CaptureLine.h"
#include "../image/Frames.h"
#include "support/TempFolder.h"

#include "album/AlbumFile.h"
#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "image/Dvf.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <QProcess>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr int seeded = 3;

// Counts what happens in folders (files made, written, renamed, removed) as it happens.
class ChangeWatch {
public:
    explicit ChangeWatch(const std::vector<std::string>& folders)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        for (const std::string& folder : folders)
            inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_DELETE);
    }
    ~ChangeWatch() { ::close(fd_); }
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Waits for `count` changes in all, or until `child` ended or `limitMs` passed.
    void waitFor(int count, QProcess& child, int limitMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (seen_ < count && std::chrono::steady_clock::now() < end && !child.waitForFinished(0)) {
            pollfd changes{fd_, POLLIN, 0};
            if (::poll(&changes, 1, 20) > 0)
                countChanges();
        }
    }

private:
    void countChanges()
    {
        alignas(inotify_event) char buffer[16384];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got; ++seen_)
            at += static_cast<ssize_t>(sizeof(inotify_event) + reinterpret_cast<inotify_event*>(buffer + at)->len);
    }

    int fd_;
    int seen_ = 0;
};

// Where a kill lands: after so many changes in the watched folders, or after a delay.
struct KillPoint {
    int changes;
    int delayMs;
};
const std::vector<KillPoint> killPoints = {{0, 250}, {1, 0}, {5, 0}, {30, 0}, {150, 0}};
// A capture takes some 12 s over the line: once in the middle of the transfer, once in the
// side file's write.
const std::vector<KillPoint> captureKillPoints = {{0, 4000}, {3, 0}};

enum class Stage { capture, albumSave, albumOpen, htmlExport, indexDrop };

// Answers nothing: the start after a kill has no question to ask.
struct NoQuestions : MainDialogs {
    bool askYesNo(const QString&, const QString& text) override
    {
        ADD_FAILURE() << "question at start: " << text.toStdString();
        return false;
    }
    void warn(std::string_view key, const QString&, const QString&) override
    {
        ADD_FAILURE() << "warning at start: " << key;
    }
    QStringList chooseFilesToOpen(const QString&, const QString&) override { return {}; }
    QString chooseAlbumToSave(const QString&, const QString&, const QString&) override { return {}; }
};

bool endsWithLineEnd(const std::string& path)
{
    const auto bytes = test::fileBytes(path);
    return bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n';
}

class CrashTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DvcLoad());
        seedPictures();
    }

    void seedPictures()
    {
        for (const auto& entry : fs::directory_iterator(home.path()))
            if (entry.path().extension() == ".dat")
                fs::remove(entry.path());
        for (uint8_t place = 1; place <= seeded; ++place)
            ASSERT_FALSE(test::dvfWithTimeCode(home.file(sideFileName(place)), {0, 0, place, 0}).empty());
    }

    // Kills the child at each point, looks at what it left and starts the album again.
    void killAtEachPoint(Stage stage, const std::vector<std::string>& watched,
                         const std::function<void(QProcess&)>& start, const char* name)
    {
        const auto& points = stage == Stage::capture ? captureKillPoints : killPoints;
        int midWrite = 0;
        for (const KillPoint& point : points) {
            SCOPED_TRACE(std::string(name) + " after " + std::to_string(point.changes) + " changes, " +
                         std::to_string(point.delayMs) + " ms");
            ChangeWatch watch(watched);
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("VANTREL_HOME", QString::fromStdString(home.path()));
            environment.insert("QT_QPA_PLATFORM", "offscreen");
            child.setProcessEnvironment(environment);
            start(child);
            ASSERT_TRUE(child.waitForStarted());
            if (point.delayMs > 0)
                child.waitForFinished(point.delayMs);
            watch.waitFor(point.changes, child, 30000);
            if (const qint64 pid = child.processId(); pid > 0) // 0 once it ended by itself
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            child.waitForFinished();
            midWrite += leftUnfinished();
            const std::vector<std::string> kept = sideFileTimeCodes();
            expectNothingLost(stage, kept);
            EXPECT_EQ(restartedTimeCodes(stage), kept);
            if (stage == Stage::indexDrop)
                seedPictures();
            EXPECT_EQ(unfinishedSideFiles(), 0) << "swept at the start";
        }
        std::printf("crash stage=%s kills=%zu mid-write=%d\n", name, points.size(), midWrite);
    }

    // The time codes of the side files the kill left, in place order, then those of the
    // pictures an edit had parked; each file whole.
    std::vector<std::string> sideFileTimeCodes()
    {
        std::vector<std::string> names;
        for (int place = 1; place <= 99; ++place)
            names.push_back(sideFileName(place));
        for (int slot = 0; slot < temporarySlots; ++slot)
            names.push_back(temporarySlotFileName(slot));
        std::vector<std::string> codes;
        for (const std::string& name : names) {
            PictureRecord record;
            record.path = home.file(name);
            if (!fileExists(record.path))
                continue;
            const uint32_t size = fileSizeOf(record.path);
            EXPECT_TRUE(size == dvSystems[0].dvfFileBytes || size == dvSystems[1].dvfFileBytes)
                << record.path << " holds " << size;
            EXPECT_TRUE(readPictureFile(record)) << record.path;
            codes.push_back(record.timeCode);
        }
        return codes;
    }

    // What writes in progress left: counted; the album's and the settings' own temporary
    // files are removed (the start sweeps only the side files').
    int leftUnfinished()
    {
        int unfinished = unfinishedSideFiles();
        std::vector<fs::path> settingsCopies;
        for (const auto& entry : fs::directory_iterator(home.path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".ini.") != std::string::npos || name.find(".INI.") != std::string::npos)
                settingsCopies.push_back(entry.path());
        }
        for (const fs::path& copy : settingsCopies)
            unfinished += fs::remove(copy);
        unfinished += std::remove((album + partSuffix).c_str()) == 0;
        if (fileExists(album)) {
            const auto bytes = test::fileBytes(album);
            EXPECT_EQ(bytes.size(), 32u + seeded * (32 + 120000)) << "album file";
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "ZAL");
        }
        if (fileExists(cutList)) {
            EXPECT_EQ(fileSizeOf(cutList), 2u + 27 * seeded) << "cut list";
        }
        for (const char* settings : {"wyb30.ini", "TAMRO01.INI"}) {
            const std::string path = home.file(settings);
            if (fileExists(path)) {
                EXPECT_TRUE(endsWithLineEnd(path)) << settings << " written half";
            }
        }
        if (fileExists(home.file("wyb30.ini"))) {
            EXPECT_TRUE(IniFile(home.file("wyb30.ini")).read("History", "Index").has_value());
        }
        if (fileExists(home.file("TAMRO01.INI"))) {
            EXPECT_EQ(IniFile(home.file("TAMRO01.INI")).read("Directories", "Album"), source);
        }
        return unfinished;
    }

    int unfinishedSideFiles() const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(home.path()))
            count += entry.path().extension() == partSuffix;
        return count;
    }

    // A capture, a save and an export keep the seeded pictures, a capture adds at most its
    // own; an open that was killed holds some of the album's pictures (New had begun to
    // empty the album, or the unpacking had not ended).
    void expectNothingLost(Stage stage, const std::vector<std::string>& kept) const
    {
        if (stage == Stage::albumOpen) {
            for (const std::string& code : kept)
                EXPECT_EQ(code.substr(0, 7), "00:00:4") << code;
            return;
        }
        std::vector<std::string> expected;
        for (int place = 1; place <= seeded; ++place)
            expected.push_back("00:00:0" + std::to_string(place) + ":00");
        if (stage == Stage::indexDrop) {
            // In any order, and a picture both parked and still at its place comes twice.
            for (const std::string& code : expected)
                EXPECT_NE(std::find(kept.begin(), kept.end(), code), kept.end()) << code << " lost";
            return;
        }
        if (stage == Stage::capture && kept.size() > seeded)
            expected.push_back(capturedTimeCode);
        EXPECT_EQ(kept, expected);
    }

    // The program started again: the time codes of its album. The next round starts from
    // the seeded pictures.
    std::vector<std::string> restartedTimeCodes(Stage stage)
    {
        std::vector<std::string> codes;
        {
            TfrmCptMain window;
            window.setDialogs(std::make_unique<NoQuestions>());
            window.show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.firstShowDone(); }, 20000));
            for (int place = 1; place <= window.album.count(); ++place)
                codes.push_back(window.album.place(place).timeCode);
            if (stage == Stage::albumOpen)
                window.album.clear();
        }
        std::remove(home.file(sideFileName(seeded + 1)).c_str());
        return codes;
    }

    test::TempProgramFolder home;
    test::TempFolder files;
    const std::string album = files.file("trip.zal");
    const std::string cutList = files.file("trip.qob");
    const std::string source = files.file("source.zal");
    const std::string capturedTimeCode = "02:30:15:07";
};

const QString driver = QString::fromStdString(CRASH_DRIVER_PATH);

TEST_F(CrashTest, KilledWhileCapturing)
{
    std::unique_ptr<test::CaptureLine> line;
    killAtEachPoint(Stage::capture, {home.path()}, [&](QProcess& child) {
        quobsim::SptpOptions options;
        options.layout = 7;
        line = std::make_unique<test::CaptureLine>(options, quobsim::camcorder(1, 25));
        ASSERT_TRUE(line->ready);
        line->sim.withDevice(1, [](quobsim::Device& device) {
            device.tape.setPosition(((2 * 60 + 30) * 60 + 15) * 25 + 7, quobsim::Clock::now());
        });
        line->io.Close(); // the command opens the line itself
        const QString output = QString::fromStdString(home.file(sideFileName(seeded + 1)));
        child.start(VANTREL_CLI_PATH, {"capture", "--device", QString::fromStdString(line->sim.slavePath()),
                                       "--rate", "3", "-o", output});
    }, "capture");
}

TEST_F(CrashTest, KilledWhileSavingTheAlbum)
{
    killAtEachPoint(Stage::albumSave, {files.path()}, [&](QProcess& child) {
        child.start(driver, {"save", QString::fromStdString(album)});
    }, "album-save");
}

TEST_F(CrashTest, KilledWhileOpeningAnAlbum)
{
    {
        Album made(files.path());
        for (uint8_t i = 1; i <= 4; ++i)
            ASSERT_TRUE(made.addPicture(test::dvfWithTimeCode(files.file("p.dvf"), {0, 0, uint8_t(0x40 + i), 0})));
        NoQuestions none;
        ASSERT_TRUE(made.saveAlbum(source, false, none));
        made.clear();
    }
    for (int place = 1; place <= seeded; ++place)
        std::remove(home.file(sideFileName(place)).c_str());
    killAtEachPoint(Stage::albumOpen, {home.path()}, [&](QProcess& child) {
        child.start(driver, {"open", QString::fromStdString(source)});
    }, "album-open");
}

TEST_F(CrashTest, KilledWhileMakingAnHtmlAlbum)
{
    killAtEachPoint(Stage::htmlExport, {files.path(), home.path()}, [&](QProcess& child) {
        child.start(driver, {"html", QString::fromStdString(files.file("trip.htm"))});
    }, "html-export");
}

TEST_F(CrashTest, KilledWhileDroppingInTheIndex)
{
    killAtEachPoint(Stage::indexDrop, {home.path()}, [&](QProcess& child) {
        child.start(driver, {"drop", "-"});
    }, "index-drop");
}

} // namespace

namespace {

// What a kill in the middle of a write leaves in the program folder goes at the next start;
// the album and the program's other files stay.
TEST_F(CrashTest, TheStartSweepsTheWorkFilesKilledWritesLeft)
{
    const struct {
        const char* killed;
        const char* left; // in the program folder
        bool swept;
    } cases[] = {
        {"a settings write", "wyb30.ini.Xy12Zq", true},
        {"the album path's write", "TAMRO01.INI.a0B1c2", true},
        {"a conversion", "temp.bmp", true},
        {"a side file's copy", "lum004.dat.part", true},
        {"an edit's parking", "temp07.dat.part", true},
        {"nothing: a file of the user's", "notes.ini.backup", false},
    };
    const std::vector<uint8_t> half(30000, 0x42);
    for (const auto& row : cases)
        test::writeBytes(home.file(row.left), half);
    EXPECT_EQ(restartedTimeCodes(Stage::albumSave), sideFileTimeCodes());
    for (const auto& row : cases)
        EXPECT_EQ(fs::exists(home.file(row.left)), !row.swept) << row.killed;
}

} // namespace

// An automatic capture run without windows, stepped by the real poll thread against the
// simulated camcorder whose tape moves at real speed; and vantrel-cli auto on the same run.
#include "CaptureRig.h"
#include "TapeFile.h"
#include "TapeWriter.h"

#include "capture/AutoRun.h"
#include "capture/CaptureCommands.h"
#include "image/DvCodec.h"
#include "image/Dvf.h"
#include "link/LinkFlags.h"
#include "platform/WindowMessage.h"
#include "support/TempFolder.h"
#include "support/Waiting.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <chrono>

#include <csignal>
#include <regex>

using namespace vantrel;

namespace {

constexpr int fps = 30;
constexpr uint32_t runLimitMs = 120000;

// An album that fills: each announced picture adds one to its count.
struct FillingAlbum : test::RecordingAlbum {
    int pictureCount() override { return pictures; }
    bool event(QEvent* event) override
    {
        const WindowMessage* message = asWindowMessage(event);
        if (message && message->number() == Msg::PictureCaptured)
            pictures = static_cast<int>(message->wParam);
        return RecordingAlbum::event(event);
    }
    std::atomic<int> pictures{0};
};

std::string timeCodeOf(const std::string& path)
{
    PictureRecord record;
    record.path = path;
    return readPictureFile(record) ? record.timeCode : "unreadable";
}

std::string timeCodeText(int frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", frames / (fps * 3600), frames / (fps * 60) % 60,
                  frames / fps % 60, frames % fps);
    return text;
}

quobsim::Motion motionOn(quobsim::Simulator& sim)
{
    quobsim::Motion motion = quobsim::Motion::Play;
    sim.withDevice(1, [&](quobsim::Device& device) { motion = device.tape.motion(quobsim::Clock::now()); });
    return motion;
}

int frameOfTimeCode(const std::string& text)
{
    int h = 0, m = 0, s = 0, f = 0;
    std::sscanf(text.c_str(), "%d:%d:%d:%d", &h, &m, &s, &f);
    return ((h * 60 + m) * 60 + s) * fps + f;
}

// A run without windows on the capture rig: series of pictures 6 s apart into an album
// that fills.
struct RunRig {
    explicit RunRig(quobsim::SptpOptions options = {}) : rig(std::move(options)) { prepare(); }
    explicit RunRig(const quobsim::DeviceSetup& device) : rig({}, device) { prepare(); }
    void prepare()
    {
        rig.cpt.album = &album;
        series.interval = 6 * fps;
    }
    // Parks the tape at `seconds` and starts a series of `count` pictures there.
    bool start(int seconds, int count)
    {
        series.pictureCount = count;
        return start(seconds, series);
    }
    bool start(int seconds, const AutoSettings& settings)
    {
        rig.vtr.StopPolling();
        if (!rig.parkTape(seconds * fps))
            return false;
        run.begin(settings, fps);
        run.activate();
        rig.vtr.StartPolling();
        return true;
    }
    bool ended() { return test::serveUntil([&] { return !run.active(); }, runLimitMs); }
    quobsim::Motion motion() { return motionOn(rig.line.sim); }

    test::CaptureRig rig;
    FillingAlbum album;
    PlainAutoHost host{rig.vtr, rig.cpt};
    AutoRun run{rig.vtr, host};
    AutoSettings series;
};

} // namespace

TEST(AutoRun, AFullAlbumEndsTheRunAndTheNextRunCountsFromNothing)
{
    RunRig r;
    struct Case {
        int tapeSeconds;
        int picturesBefore;
        int count;
        int picturesTaken; // before the album is full
    };
    // Three wanted, one place left; then two wanted, two left: the second run starts at its base.
    const Case cases[] = {{40, 98, 3, 1}, {50, 97, 2, 2}};
    for (const Case& test : cases) {
        r.album.pictures = test.picturesBefore;
        ASSERT_TRUE(r.start(test.tapeSeconds, test.count));
        ASSERT_TRUE(r.ended()) << test.tapeSeconds;
        EXPECT_EQ(r.album.pictures, test.picturesBefore + test.picturesTaken);
        EXPECT_EQ(r.rig.vtr.autoPicturesTaken, 0);
        for (int k = 0; k < test.picturesTaken; ++k)
            EXPECT_EQ(timeCodeOf(r.album.sideFileName(test.picturesBefore + 1 + k)),
                      timeCodeText((test.tapeSeconds + 6 * k) * fps));
        EXPECT_TRUE(test::serveUntil([&] { return r.motion() == quobsim::Motion::Stop; }));
        // The run is over before its end has stopped the tape and closed the wait.
        EXPECT_TRUE(test::serveUntil([&] { return !r.host.waitShowing(); }));
    }
}

TEST(AutoRun, AFailedCaptureOrThePowerGoingOffEndsTheRun)
{
    struct Case {
        bool refuseFreeze;
        bool switchOff;
    };
    for (const Case& test : {Case{true, false}, Case{false, true}}) {
        quobsim::SptpOptions options;
        options.faults.refuseFreeze = test.refuseFreeze;
        RunRig r(options);
        ASSERT_TRUE(r.start(40, 3));
        if (test.switchOff) {
            ASSERT_TRUE(test::serveUntil([&] { return r.motion() == quobsim::Motion::SearchReverse; }));
            r.rig.line.sim.withDevice(1, [](quobsim::Device& device) { device.powered = false; });
        }
        ASSERT_TRUE(r.ended()) << test.switchOff;
        EXPECT_EQ(r.album.pictures, 0);
        EXPECT_EQ(r.host.lastOutcome, test.refuseFreeze ? CaptureOutcome::FreezeFailed : CaptureOutcome::Captured);
        EXPECT_TRUE(test::serveUntil([&] { return !r.host.waitShowing() && !r.host.abortFlag(); }));
        if (test.refuseFreeze)
            EXPECT_TRUE(test::serveUntil([&] { return r.motion() == quobsim::Motion::Stop; }));
        else
            EXPECT_EQ(r.rig.vtr.power, 0);
    }
}

// A device that refuses the frame step onto the target: the picture is taken in play, at or
// after its target, never where the pause before the step left the tape.
TEST(AutoRun, ARefusedFrameStepCapturesAtOrAfterTheTarget)
{
    constexpr uint16_t frameStep = 0x4846; // forward and reverse
    struct Case {
        AutoSettings::Mode mode;
        int tapeSeconds;
    };
    for (const Case& test : {Case{AutoSettings::TimeCode, 37}, Case{AutoSettings::Interval, 40}}) {
        SCOPED_TRACE(test.mode == AutoSettings::TimeCode ? "time code" : "interval");
        RunRig r;
        r.rig.line.sim.withDevice(1, [&](quobsim::Device& device) {
            device.setFault({quobsim::Fault::Refuse, 0, -1, 0, frameStep});
        });
        AutoSettings settings = r.series;
        settings.mode = test.mode;
        settings.target = 40 * fps;
        settings.pictureCount = 1;
        ASSERT_TRUE(r.start(test.tapeSeconds, settings));
        ASSERT_TRUE(r.ended());
        ASSERT_EQ(r.album.pictures, 1);
        const int stamped = frameOfTimeCode(timeCodeOf(r.album.sideFileName(1)));
        EXPECT_GE(stamped, 40 * fps);
        EXPECT_LE(stamped, 40 * fps + fps / 2);
    }
}

// The adapter pulled out while the run searches, or in the middle of its capture's transfer:
// the run ends at once with nothing taken, the poll thread stops.
TEST(AutoRun, AHangUpEndsTheRunWithinASecond)
{
    for (const bool duringTransfer : {false, true}) {
        quobsim::SptpOptions options;
        if (duringTransfer)
            options.faults.hangUpAt = 5;
        RunRig r(options);
        ASSERT_TRUE(r.start(40, 3));
        if (!duringTransfer) {
            ASSERT_TRUE(test::serveUntil([&] { return r.motion() == quobsim::Motion::SearchReverse; }));
            r.rig.line.sim.hangUp();
        }
        ASSERT_TRUE(test::serveUntil([&] { return r.rig.line.sim.hungUp(); }, runLimitMs)) << duringTransfer;
        ASSERT_TRUE(test::serveUntil([&] { return !r.run.active(); }, 3000));
        EXPECT_LT(quobsim::Clock::now() - r.rig.line.sim.hungUpAt(), std::chrono::seconds(1)) << duringTransfer;
        EXPECT_EQ(r.album.pictures, 0);
        EXPECT_TRUE(test::serveUntil([&] { return !linkFlags().pollRunning; })) << "no poll on a dead line";
        EXPECT_TRUE(r.rig.line.io.lineLost());
    }
}

// A tape file instead of the test pattern: each picture of a series is the file's frame at its
// time code.
TEST(AutoRun, SeriesOverATapeFileTakesTheFramesAtItsTimeCodes)
{
    ASSERT_TRUE(DvcLoad());
    test::TempFolder folder;
    const std::string path = folder.file("tape.avi");
    std::string error;
    ASSERT_TRUE(quobsim::writeMovingTape(path, dvSystem525, 28 * fps, 0, error)) << error;
    const auto tape = quobsim::TapeFile::open(path, error);
    ASSERT_TRUE(tape) << error;
    auto camcorder = quobsim::camcorder(1, fps);
    camcorder.tapeFile = tape;
    RunRig r(camcorder);
    ASSERT_TRUE(r.start(8, 3));
    ASSERT_TRUE(r.ended());
    ASSERT_EQ(r.album.pictures, 3);
    for (int k = 0; k < 3; ++k) {
        const std::string sideFile = r.album.sideFileName(k + 1);
        const int frame = (8 + 6 * k) * fps;
        EXPECT_EQ(timeCodeOf(sideFile), timeCodeText(frame));
        EXPECT_EQ(test::blocksDifferingFromTape(sideFile, tape->frame(frame), 6), 0u) << "picture " << k + 1;
    }
}

// vantrel-cli auto against the simulator: refusals, a series of five, and Ctrl+C.
struct CliAuto {
    CliAuto()
    {
        line.io.Close(); // the command opens the line itself
        environment.insert("VANTREL_HOME", QString::fromStdString(home.path()));
    }
    void park(int seconds)
    {
        line.sim.withDevice(1, [&](quobsim::Device& device) {
            device.tape.setPosition(int64_t(seconds) * fps, quobsim::Clock::now());
            device.tape.setMotion(quobsim::Motion::Play, quobsim::Clock::now());
        });
    }
    void start(QStringList arguments)
    {
        arguments << "--device" << QString::fromStdString(line.sim.slavePath()) << "--rate" << "3"
                  << "-o" << QString::fromStdString(home.file("pictures"));
        process.setProcessEnvironment(environment);
        process.start(VANTREL_CLI_PATH, QStringList{"auto"} + arguments);
    }
    int finish()
    {
        if (!process.waitForFinished(runLimitMs))
            return -1;
        out = QString::fromLocal8Bit(process.readAllStandardOutput()).toStdString();
        err = QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
        return process.exitCode();
    }
    quobsim::Motion motion() { return motionOn(line.sim); }

    test::CaptureLine line;
    test::TempFolder home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess process;
    std::string out;
    std::string err;
};

TEST(CliAuto, RefusesWhatExecuteRefuses)
{
    struct Case {
        int tapeSeconds;
        QStringList arguments;
        const char* message;
    };
    const Case cases[] = {
        {20, {"--interval", "5", "--count", "3"}, "00:00:30:00"},
        {40, {"--timecode", "00:00:29:29"}, "00:00:30:00"},
        {40, {"--timecode", "00:00:30:30"}, "frames below 30"},
        {40, {"--interval", "5"}, "--count"},
    };
    for (const Case& test : cases) {
        CliAuto cli;
        cli.park(test.tapeSeconds);
        cli.start(test.arguments);
        EXPECT_EQ(cli.finish(), 1) << test.arguments.join(' ').toStdString();
        EXPECT_NE(cli.err.find(test.message), std::string::npos) << cli.err;
        EXPECT_TRUE(cli.out.empty());
    }
}

TEST(CliAuto, SeriesOfFiveLandsOnItsTimeCodesAndCtrlCStopsTheTape)
{
    CliAuto cli;
    cli.park(40);
    cli.start({"--interval", "6", "--count", "5"});
    ASSERT_EQ(cli.finish(), 0) << cli.err;
    // Paused where it stood: the base is the tape's position then, a whole number of frames.
    const std::regex line(R"(picture=(\d+) timecode=(\d\d:\d\d:\d\d:\d\d))");
    std::vector<std::string> timeCodes;
    for (std::sregex_iterator at(cli.out.begin(), cli.out.end(), line), end; at != end; ++at) {
        EXPECT_EQ(std::stoi((*at)[1]), int(timeCodes.size()) + 1);
        timeCodes.push_back((*at)[2]);
    }
    ASSERT_EQ(timeCodes.size(), 5u) << cli.out;
    const int base = frameOfTimeCode(timeCodes[0]);
    int worst = 0;
    for (int k = 0; k < 5; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "lum%03d.dvf", k + 1);
        EXPECT_EQ(timeCodeOf(cli.home.file("pictures/" + std::string(name))), timeCodes[k]);
        worst = std::max(worst, std::abs(frameOfTimeCode(timeCodes[k]) - (base + k * 6 * fps)));
    }
    std::printf("FIGURE auto_capture_timecode_error_frames %d frames goal<=0\n", worst);
    EXPECT_EQ(worst, 0);
    EXPECT_EQ(cli.motion(), quobsim::Motion::Stop);

    // Ctrl+C in the middle of a run ends it and stops the tape.
    cli.park(40);
    cli.start({"--timecode", "00:02:00:00"});
    ASSERT_TRUE(test::serveUntil([&] { return cli.motion() == quobsim::Motion::SearchForward; }, 10000));
    ::kill(static_cast<pid_t>(cli.process.processId()), SIGINT);
    EXPECT_EQ(cli.finish(), 1);
    EXPECT_NE(cli.err.find("0 of 1"), std::string::npos) << cli.err;
    EXPECT_EQ(cli.motion(), quobsim::Motion::Stop);
}

TEST(CliAuto, HangUpEndsTheRunWithinASecondWithTheLineLost)
{
    CliAuto cli;
    cli.park(40);
    cli.start({"--timecode", "00:02:00:00"});
    ASSERT_TRUE(test::serveUntil([&] { return cli.motion() == quobsim::Motion::SearchForward; }, 10000));
    cli.line.sim.hangUp();
    EXPECT_EQ(cli.finish(), 1);
    const auto ended = quobsim::Clock::now();
    EXPECT_EQ(cli.err, "vantrel-cli: auto: the line was lost\n");
    ASSERT_TRUE(cli.line.sim.hungUp());
    EXPECT_LT(ended - cli.line.sim.hungUpAt(), std::chrono::seconds(1));
}

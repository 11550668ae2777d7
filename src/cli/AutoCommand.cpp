// vantrel-cli auto: an automatic capture run, one picture at a time code or a series at an
// interval, on the run the Auto Capture dialog starts.
#include "CaptureOptions.h"
#include "Cli.h"
#include "LineOptions.h"

#include "capture/AutoRun.h"
#include "capture/AutoSettings.h"
#include "capture/CaptureCommands.h"
#include "capture/CaptureWindows.h"
#include "capture/DeviceSession.h"
#include "image/Dvf.h"
#include "platform/Ticks.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>

namespace vantrel::cli {

namespace {

constexpr int settlePolls = 10;
constexpr uint32_t loopSliceMs = 10;
constexpr uint32_t interruptGraceMs = 10000;

std::atomic<bool>* interruptFlag = nullptr;

void interrupted(int)
{
    if (interruptFlag)
        *interruptFlag = true;
}

// Ctrl+C raises the run's abort flag while it lives.
class InterruptToAbort {
public:
    explicit InterruptToAbort(std::atomic<bool>& flag)
    {
        interruptFlag = &flag;
        previous_ = std::signal(SIGINT, interrupted);
    }
    ~InterruptToAbort()
    {
        std::signal(SIGINT, previous_);
        interruptFlag = nullptr;
    }
    InterruptToAbort(const InterruptToAbort&) = delete;
    InterruptToAbort& operator=(const InterruptToAbort&) = delete;

private:
    void (*previous_)(int) = SIG_DFL;
};

// The album of the run: DIR/lum001.dvf, lum002.dvf ...; each new picture is read back and
// printed with its time code.
class PictureFolder : public QObject, public CaptureAlbum {
public:
    explicit PictureFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}
    QObject* albumWindow() override { return this; }
    int pictureCount() override { return count_; }
    std::string sideFileName(int place) override
    {
        char name[16];
        std::snprintf(name, sizeof name, "lum%03d.dvf", place);
        return (folder_ / name).string();
    }
    bool event(QEvent* event) override
    {
        WindowMessage* message = asWindowMessage(event);
        if (!message)
            return QObject::event(event);
        if (message->number() == Msg::PictureCaptured)
            announce(static_cast<int>(message->wParam));
        return true;
    }

private:
    void announce(int place)
    {
        PictureRecord record;
        record.path = sideFileName(place);
        const bool read = readPictureFile(record);
        std::printf("picture=%d timecode=%s\n", place, read ? record.timeCode.c_str() : "--:--:--:--");
        std::fflush(stdout);
        count_ = place;
    }

    std::filesystem::path folder_;
    std::atomic<int> count_{0};
};

// A run's captures tell no progress; Ctrl+C during a transfer stops it.
class QuietCapture : public CaptureWindows {
public:
    explicit QuietCapture(std::atomic<bool>& abort) : abort_(abort) {}
    QObject* waitDialog() override { return nullptr; }
    bool stopRequested() override { return abort_; }
    void clearStopRequest() override {}
    void setControllerEnabled(bool) override {}

private:
    std::atomic<bool>& abort_;
};

// HH:MM:SS:FF into frames; the frames are checked against the rate later.
bool parseTimeCode(const std::string& text, int fields[4])
{
    char end = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d:%d%c", &fields[0], &fields[1], &fields[2], &fields[3], &end) != 4)
        return false;
    return fields[0] >= 0 && fields[0] <= 9 && fields[1] >= 0 && fields[1] <= 59 && fields[2] >= 0
           && fields[2] <= 59 && fields[3] >= 0;
}

// The settings of the run from the command line; false with `error` set when they are wrong.
bool settingsOf(const Arguments& args, int fps, AutoSettings& settings, std::string& error)
{
    const auto timeCode = args.value("timecode");
    std::optional<int> seconds;
    std::optional<int> count;
    if (!args.intValue("interval", 1, 59 * 60 + 59, seconds) || !args.intValue("count", 2, 99, count)) {
        error = "--interval takes 1 to 3599 seconds and --count 2 to 99 pictures";
        return false;
    }
    if (timeCode.has_value() == (seconds.has_value() || count.has_value())) {
        error = "auto needs either --timecode HH:MM:SS:FF or --interval SECONDS --count N";
        return false;
    }
    if (timeCode) {
        int fields[4];
        if (!parseTimeCode(*timeCode, fields) || fields[3] >= fps) {
            error = "--timecode takes HH:MM:SS:FF (hours 0 to 9, frames below " + std::to_string(fps) + ")";
            return false;
        }
        settings.mode = AutoSettings::TimeCode;
        settings.target = framesOf(fields[0], fields[1], fields[2], fields[3], fps);
        return true;
    }
    if (!seconds || !count) {
        error = "an interval run needs both --interval and --count";
        return false;
    }
    settings.mode = AutoSettings::Interval;
    settings.interval = *seconds * fps;
    settings.pictureCount = *count;
    return true;
}

// Pauses the tape where it stands, as the Auto Capture button does, and reads its status.
void pauseTape(QuobVtr& vtr)
{
    vtr.SetState(VtrState::Pause, true);
    for (int poll = 0; poll < settlePolls && vtr.state != VtrState::Pause; ++poll)
        vtr.Poll();
}

std::string refusal(const AutoSettings& settings)
{
    if (settings.mode == AutoSettings::TimeCode)
        return "the target must be 00:00:30:00 or later";
    return "the tape must stand at 00:00:30:00 or later for an interval run";
}

// Serves the run until it ends; after Ctrl+C it waits a while for the run to stop the tape,
// then stops it itself.
void serveRun(AutoRun& run, QuobVtr& vtr, std::atomic<bool>& abort)
{
    uint32_t abortedAt = 0;
    while (run.active()) {
        Delay(loopSliceMs);
        if (abort && abortedAt == 0)
            abortedAt = tickCount();
        if (abortedAt != 0 && ticksSince(abortedAt) > interruptGraceMs)
            break;
    }
    const bool stillActive = run.active();
    vtr.StopPolling();
    if (stillActive) {
        vtr.autoRunStarted = 0;
        vtr.SetState(VtrState::Stop, true);
    }
}

int autoCapture(const Arguments& args)
{
    const auto output = args.value("o");
    if (!output || output->empty())
        return fail("auto needs -o DIR");
    std::error_code made;
    std::filesystem::create_directories(*output, made);
    if (!std::filesystem::is_directory(*output))
        return fail("cannot make the folder " + *output);
    const auto application = eventApplication();
    DeviceSession session;
    std::string error;
    if (!openCaptureSession(args, session, error))
        return fail(error);
    QuobVtr& vtr = session.vtr;
    QuobCpt& cpt = session.cpt;
    pauseTape(vtr);

    const int fps = vtr.framesPerSecond;
    AutoSettings settings;
    if (!settingsOf(args, fps, settings, error))
        return fail(error);
    if (!pausedOrPlaying(vtr.state))
        return fail("the tape cannot be paused: is the device on and a cassette in?");
    if (executeRule(settings.mode, vtr.state, vtr.timeCode, settings.target, fps) != ExecuteRule::Enabled)
        return fail(refusal(settings));

    PlainAutoHost host(vtr, cpt);
    QuietCapture windows(host.abortFlag());
    PictureFolder album(*output);
    session.setAlbum(&album);
    session.prepareCapture(windows);
    AutoRun run(vtr, host);
    InterruptToAbort interrupt(host.abortFlag());
    run.begin(settings, fps);
    run.activate();
    vtr.StartPolling();
    serveRun(run, vtr, host.abortFlag());
    serviceEvents();
    if (session.io.lineLost())
        return fail(std::string("auto: ") + lineLostText);
    if (!pictureDelivered(host.lastOutcome))
        return fail("capture failed: outcome " + std::to_string(host.lastOutcome) + " ("
                    + CaptureOutcome::describe(host.lastOutcome) + ")");
    const int wanted = settings.mode == AutoSettings::TimeCode ? 1 : settings.pictureCount;
    if (album.pictureCount() < wanted)
        return fail("the run ended after " + std::to_string(album.pictureCount()) + " of "
                    + std::to_string(wanted) + " pictures; the tape is stopped");
    return 0;
}

const Registration autoCommand({
    "auto",
    "auto (--timecode HH:MM:SS:FF | --interval SECONDS --count N) [--device PATH | --port N] [--id N] [--rate 0-3] -o DIR",
    "Automatic capture: pauses the tape where it stands, then takes one picture at the time\n"
    "code, or N pictures SECONDS apart from where the tape stands, into DIR/lum001.dvf,\n"
    "lum002.dvf ... The target, or the tape for an interval run, must be at 00:00:30:00 or later.\n"
    "  --rate   transfer rate: 0 9600, 1 19200, 2 38400, 3 115200 bit/s\n"
    "  --id, --device, --port  as for capture\n"
    "Prints picture=N timecode=hh:mm:ss:ff for each picture; Ctrl+C ends the run and stops the tape.",
    "timecode interval count device port id rate o",
    autoCapture,
});

} // namespace

} // namespace vantrel::cli

// vantrel-cli capture: one whole picture capture into a DVF file.
#include "Cli.h"
#include "CaptureOptions.h"
#include "LineOptions.h"

#include "capture/CaptureCommands.h"
#include "capture/CaptureWindows.h"
#include "capture/DeviceSession.h"
#include "image/Dvf.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace vantrel::cli {

std::unique_ptr<QCoreApplication> eventApplication()
{
    static int argc = 1;
    static char name[] = "vantrel-cli";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return nullptr;
    return std::make_unique<QCoreApplication>(argc, argv);
}

bool openCaptureSession(const Arguments& args, DeviceSession& session, std::string& error)
{
    std::optional<int> rate;
    if (!args.intValue("rate", 0, 3, rate)) {
        error = "--rate takes 0 to 3";
        return false;
    }
    if (!openSession(args, session, error))
        return false;
    session.addressDevice(session.vtr.deviceId);
    const int wanted = rate.value_or(session.savedRateIndex());
    session.setRateIndex(wanted);
    if (session.rateIndex() != wanted)
        std::fprintf(stderr, "vantrel-cli: this device does not take 115200 bit/s; using 38400\n");
    return true;
}

namespace {

// The wait dialog of the command line: a progress line on a terminal, nothing else.
class ProgressLine : public QObject, public CaptureWindows {
public:
    QObject* waitDialog() override { return this; }
    bool stopRequested() override { return false; }
    void clearStopRequest() override {}
    void setControllerEnabled(bool) override {}

    bool event(QEvent* event) override
    {
        WindowMessage* message = asWindowMessage(event);
        if (!message)
            return QObject::event(event);
        if (message->number() == Msg::WaitPercent && showing_) {
            std::fprintf(stderr, "\rreceiving blocks: %3d%%", static_cast<int>(message->wParam));
            shown_ = true;
        }
        if (message->number() == Msg::WaitClose && shown_) {
            std::fputc('\n', stderr);
            shown_ = false;
        }
        return true;
    }

private:
    bool showing_ = isatty(STDERR_FILENO) != 0;
    bool shown_ = false;
};

// The album of the command line: one place, the file named by -o.
class OutputFile : public QObject, public CaptureAlbum {
public:
    explicit OutputFile(std::string path) : path_(std::move(path)) {}
    QObject* albumWindow() override { return this; }
    int pictureCount() override { return 0; }
    std::string sideFileName(int) override { return path_; }
    bool event(QEvent* event) override { return asWindowMessage(event) || QObject::event(event); }

private:
    std::string path_;
};

int capture(const Arguments& args)
{
    const auto output = args.value("o");
    if (!output || output->empty())
        return fail("capture needs -o FILE.dvf");
    // The capture thread's messages are served by this thread's event loop.
    const auto application = eventApplication();
    DeviceSession session;
    std::string error;
    if (!openCaptureSession(args, session, error))
        return fail(error);
    session.vtr.Poll(); // the time code of the picture comes from the last status

    ProgressLine progress;
    OutputFile album(*output);
    session.setAlbum(&album);
    const int outcome = session.capture(progress);
    if (outcome != CaptureOutcome::Captured)
        return fail(lineFailure("capture", session.io,
                                "capture failed: outcome " + std::to_string(outcome) + " ("
                                    + CaptureOutcome::describe(outcome) + ")"));
    PictureRecord record;
    record.path = *output;
    if (!readPictureFile(record))
        return fail("the picture was captured but " + *output + " cannot be read back");
    std::printf("outcome=0 timecode=%s\n", record.timeCode.c_str());
    return 0;
}

const Registration captureCommand({
    "capture",
    "capture [--device PATH | --port N] [--id N] [--rate 0-3] -o FILE.dvf",
    "Freezes the device's picture, fetches it over SPTP and writes it as a DVF file.\n"
    "  --rate   transfer rate: 0 9600, 1 19200, 2 38400, 3 115200 bit/s\n"
    "           (default: INIT/BAUD_RATE of wyb30.ini, else 2)\n"
    "  --id     the device (default: INIT/ID of wyb30.ini, else 1)\n"
    "  --device, --port  the line (default: INIT/COM of wyb30.ini)\n"
    "Prints outcome=0 timecode=hh:mm:ss:ff; on failure the outcome and its meaning.",
    "device port id rate o",
    capture,
});

} // namespace

} // namespace vantrel::cli

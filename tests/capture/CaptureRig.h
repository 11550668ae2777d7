#pragma once
#include "CaptureLine.h"

#include "capture/CaptureWindows.h"
#include "capture/Quobcpt.h"
#include "link/Quobvtr.h"
#include "support/TempFolder.h"

#include <QObject>
#include <atomic>
#include <string>
#include <vector>

namespace vantrel::test {

// Stands in for the wait dialog and the controller: records the messages it is sent and
// presses Stop when told to.
class RecordingWindows : public QObject, public CaptureWindows {
public:
    struct Message {
        int number;
        intptr_t wParam;
        intptr_t lParam;
    };

    QObject* waitDialog() override { return this; }
    bool stopRequested() override { return stop; }
    void clearStopRequest() override { stop = false; }
    void setControllerEnabled(bool enabled) override { controllerStates.push_back(enabled); }
    bool event(QEvent* event) override;

    std::vector<int> numbers() const;
    std::vector<int> percents() const;

    std::vector<Message> messages;
    std::vector<bool> controllerStates;
    QString lastTitle;
    int stopAtPercent = -1; // presses Stop when a percentage at least this high arrives
    std::atomic<bool> stop{false};
};

// Stands in for the main window: side files in a temporary program folder, message 1139.
class RecordingAlbum : public QObject, public CaptureAlbum {
public:
    QObject* albumWindow() override { return this; }
    int pictureCount() override { return count; }
    std::string sideFileName(int place) override;
    bool event(QEvent* event) override;

    TempFolder folder;
    std::string folderOverride; // side files go here when set
    int count = 0;
    std::vector<std::pair<intptr_t, intptr_t>> announced;
};

// A device on a pty with the SPTP side, and the host's capture object on it.
struct CaptureRig {
    explicit CaptureRig(quobsim::SptpOptions options = {}, bool pal = false, int rateIndex = 3,
                        quobsim::Options lineOptions = {});
    // The same with a device of its own (a tape file, say) at the fastest rate.
    CaptureRig(quobsim::SptpOptions options, const quobsim::DeviceSetup& device);

    // Sets the tape to `position` frames, paused, and polls it once.
    bool parkTape(int64_t position);

    CaptureLine line;
    QuobVtr vtr;
    QuobCpt cpt;
    RecordingWindows windows;
    RecordingAlbum album;
};

// The side file is the DVF header, then blocks 1 to 149 of every sequence of the device's
// frame, identifiers and time code pack included.
void expectSideFileHoldsFrame(const std::string& path, const quobsim::SptpPicture& picture);

// Blocks 1 to 149 of `frame` (a frame layout) whose contents after their identifiers differ
// from the same blocks of `tapeFrame`, counting only the blocks layout `layoutCode` carries
// (its others are filled).
size_t blocksDifferingFromTape(const uint8_t* frame, const std::vector<uint8_t>& tapeFrame, int layoutCode);
// The same for the frame of a side file.
size_t blocksDifferingFromTape(const std::string& sideFile, const std::vector<uint8_t>& tapeFrame,
                               int layoutCode);
// The frame number of a "hh:mm:ss:ff" time code; -1 for any other text.
int64_t framesOfTimeCode(const std::string& text, int framesPerSecond);

} // namespace vantrel::test

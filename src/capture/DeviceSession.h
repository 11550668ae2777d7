#pragma once
#include "capture/CaptureWindows.h"
#include "capture/PictureRoom.h"
#include "capture/Quobcpt.h"
#include "link/DeviceListLink.h"
#include "link/Quobio.h"
#include "link/Quobsys.h"
#include "link/Quobvtr.h"

#include <QString>

#include <memory>
#include <string_view>

namespace vantrel {

class CProfile;

// What the user is told about a capture: a message key and its text; no key for nothing.
struct CaptureMessage {
    std::string_view key;
    QString text;
};

// The device link of the whole run, without a window: the packet line, the transport with
// its status poll, the device commands and the capture object; the saved port, device and
// rate; the selected device's model-group rules; the refusal of a capture and the message of
// its outcome. The controller creates it and owns it; the device list, the auto-capture
// dialog and vantrel-cli drive it too.
class DeviceSession : public DeviceListLink {
public:
    // On the program folder's settings file (vantrel-cli).
    DeviceSession();
    explicit DeviceSession(CProfile& profile);
    ~DeviceSession() override;
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // The link objects, created in this order and kept for the session's life.
    CQuobIO io;
    QuobVtr vtr{io};
    QuobSys sys{io};
    QuobCpt cpt{io, vtr};

    // The device addressed: its ID, codes and name as far as they were read.
    DeviceEntry selectedEntry;

    // The saved link, section "INIT" of wyb30.ini.
    // "BAUD_RATE" when it is 0 to 3, else 2 (38400 bit/s).
    int savedRateIndex() const;
    // Opens the port "COM" names (1 to 4) in the control configuration, or keeps it when it
    // is open already; false, with the port closed, when there is none or it does not open.
    bool openSavedPort();
    // The device "ID" names (1 to 99) when it identifies itself on the open port, its entry
    // then selected; else 0 with the selection cleared.
    int identifySavedDevice();

    // Addresses device `id` and reads its model codes, for a session without the device
    // list (vantrel-cli); false for an ID outside 1 to 99.
    bool addressDevice(int id);
    // The transfer rate of the next capture, as far as the selected device takes it.
    void setRateIndex(int rateIndex);
    int rateIndex() const { return cpt.rateIndex; }

    // Starts the status poll on device `deviceId` (1 to 99; false for any other) in the
    // control configuration; the next status is taken as a change.
    bool startLink(int deviceId);
    // Stops the status poll and waits for it; the device counts as off until it is heard.
    void stopLink();
    // Stops the link and closes the port.
    void closeLink();
    bool linkStarted() const { return vtr.pollThread != nullptr; }
    // The Power button works unless the device is of model group B.
    bool powerSwitchable() const;

    // The album the pictures go to (the main window), and the check that finds room for a
    // side file in the program folder (it tells the user when there is none).
    void setAlbum(CaptureAlbum* album) { album_ = album; }
    CaptureAlbum* album() const { return album_; }
    void setSideFileCheck(TargetPathCheck check) { sideFileCheck_ = std::move(check); }
    // Whether the album takes the picture of a capture now.
    PictureRoom roomForCapture();
    // Readies the capture object for captures from the selected device into the album with
    // `windows` around them.
    void prepareCapture(CaptureWindows& windows);
    // One capture from the selected device into the album, `windows` around it; the poll
    // must be stopped, unless this is the poll thread's own step. The outcome is one of
    // CaptureOutcome.
    int capture(CaptureWindows& windows);
    // The message of an outcome: "MSG_NOSIG", "MSG_CANTCPT", "MSG_COMERR" with the outcome
    // in brackets, or nothing for a picture and a stop.
    static CaptureMessage outcomeMessage(int outcome);

    // A lost line (a hang-up: an adapter pulled out). The poll thread stops on it by itself;
    // the window thread then takes the loss: the link stops, the port closes, and its path is
    // kept for reopening. True only for the first call after the hang-up, so the user is told
    // once.
    bool takeLineLoss();
    bool lineLost() const { return !lostPath_.empty(); }
    const std::string& lostPath() const { return lostPath_; }
    // One try to open the lost path again; when it opens, the link runs again with the device
    // addressed before. True when the line is back.
    bool reopenLostLine();
    // Gives the lost line up (another port is chosen).
    void forgetLostLine() { lostPath_.clear(); }
    static constexpr int reopenIntervalMs = 2000;

    // DeviceListLink
    int portInUse() const override;
    bool usePort(int port) override;
    void releasePort() override { io.Close(); }
    QString portRefusal() const override { return portRefusal_; }
    QuobSys& devices() override { return sys; }

private:
    std::unique_ptr<CProfile> ownSettings_;
    CProfile& profile_;
    CaptureAlbum* album_ = nullptr;
    TargetPathCheck sideFileCheck_;
    std::string lostPath_;
    QString portRefusal_;
    int lostPort_ = 0;
};

} // namespace vantrel

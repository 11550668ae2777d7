#pragma once

#include "capture/CaptureWindows.h"
#include "capture/Quobcpt.h"
#include "link/Quobio.h"
#include "link/Quobsys.h"
#include "link/Quobvtr.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace vantrel {

class CProfile;
class TfrmQuobDev;

// The DV controller: counter, power, the transport grid with its lights, Capture and Auto
// Capture. It owns the device link for the whole program (packet line, transport, device
// commands, capture object) and runs the status poll while it shows.
class TfrmAvCtl : public QMainWindow, public CaptureWindows {
    Q_OBJECT
public:
    static constexpr uint8_t stateUnknown = 15;

    explicit TfrmAvCtl(CProfile& profile, QWidget* parent = nullptr);
    ~TfrmAvCtl() override;

    // The link objects, created in this order and kept for the program's lifetime.
    CQuobIO io;
    QuobVtr vtr;
    QuobSys sys;
    QuobCpt cpt;

    // The device list shown when the saved port or device is not usable and by Devices.
    void setDeviceList(TfrmQuobDev* dialog) { deviceList_ = dialog; }
    // The album the pictures go to and whose count limits Capture (the main window).
    void setAlbum(CaptureAlbum* album) { album_ = album; }
    CaptureAlbum* album() const { return album_; }
    // The auto-capture dialog, shown modally; true when the user started a run there.
    std::function<bool()> runAutoCaptureDialog;
    // The auto-capture dialog while it shows; it receives the status notices too.
    QPointer<QWidget> autoCaptureWindow;

    bool sendTransport(uint8_t code);
    void setTransportEnabled(bool enabled);
    void setCaptureEnabled(bool enabled);
    void showState(uint8_t code);
    bool capture();
    // One capture with `windows` around it (an automatic run's own, on the poll thread);
    // the outcome is told by tellCaptureOutcome.
    int captureWith(CaptureWindows& windows);
    void tellCaptureOutcome(int outcome);
    void startLink(int deviceId);
    void stopLink();

    uint8_t shownState() const { return shownState_; }
    bool transportEnabled() const { return transportEnabled_; }
    // The light of a transport button: 0 unlit, 1 lit (btnPlay: 2 lit for reverse).
    int lightOf(const QToolButton* button) const;
    // The device the controller addresses, from the device list when there is one.
    DeviceEntry& selectedEntry();

    // CaptureWindows
    QObject* waitDialog() override;
    bool stopRequested() override;
    void clearStopRequest() override;
    void setControllerEnabled(bool enabled) override { setTransportEnabled(enabled); }

    QLabel* pnlCounter;
    QWidget* pnlPower;
    QToolButton* btnPower;
    QToolButton* btnRev;
    QToolButton* btnPlay;
    QToolButton* btnFF;
    QToolButton* btnSlowR;
    QToolButton* btnPause;
    QToolButton* btnSlow;
    QToolButton* btnStepR;
    QToolButton* btnStop;
    QToolButton* btnStep;
    QToolButton* btnCapt;
    QToolButton* btnAuto;
    QTimer* TimerCpt;
    QTimer* TimerSlow;
    QAction* mnuClose;
    QAction* mnuCapt;
    QAction* mnuDev;
    QAction* mnuTop;
    QAction* mnuMon;
    QAction* mnuCont;
    QAction* mnuKeyword;
    QAction* mnuAbout;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Light {
        QToolButton* button;
        const char* unlit;
        const char* lit;
        int tag = 0;
    };

    void createControls();
    void createTransportGrid(QWidget* client);
    void createMenus();
    void connectControls();
    void nameControlsForScreenReaders();
    QToolButton* makeButton(QWidget* client, const char* name, const QRect& place, const char* picture);

    void FormShow();
    void openLinkOnShow();
    int deviceIdFromSettings();
    int chooseDevice();
    void statusChangedMessage();
    void showPower(bool on);
    void setLight(size_t index, int value);
    void setCounterColour(const QColor& colour);
    bool keypadKey(int key);
    void transportAction(QToolButton* button);

    void btnFFClick();
    void btnRevClick();
    void stepClick(bool forward);
    void TimerSlowTimer();
    void TimerCptTimer();
    void btnPowerClick();
    void btnCaptClick();
    void btnAutoClick();
    void mnuDevClick();
    void mnuTopClick();
    void mnuMonClick();
    bool refuseWhenFull();
    bool refuseWithoutRoom();
    void warnUser(std::string_view key, const QString& text);

    CProfile& profile_;
    TfrmQuobDev* deviceList_ = nullptr;
    CaptureAlbum* album_ = nullptr;
    DeviceEntry ownEntry_;
    std::array<Light, 7> lights_{};
    std::vector<QToolButton*> transportButtons_;
    uint8_t shownState_ = 0;
    bool transportEnabled_ = true;
};

extern TfrmAvCtl* frmAvCtl;

} // namespace vantrel

#pragma once

#include "capture/CaptureWindows.h"
#include "capture/DeviceSession.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace vantrel {

class CProfile;
class TfrmCptMain;
class TfrmQuobDev;
class TfrmWait;

// The DV controller: counter, power, the transport grid with its lights, Capture and Auto
// Capture. It owns the device session for the whole program and runs the status poll while
// it shows.
class TfrmAvCtl : public QMainWindow, public CaptureWindows {
    Q_OBJECT
public:
    explicit TfrmAvCtl(CProfile& profile, QWidget* parent = nullptr);
    ~TfrmAvCtl() override;

    // The device link of the whole program.
    DeviceSession& session() { return session_; }

    // The device list shown when the saved port or device is not usable and by Devices.
    void setDeviceList(TfrmQuobDev* dialog) { deviceList_ = dialog; }
    // The main window: the album the pictures go to, whose count and room limit Capture; the
    // owner of the message boxes; the help.
    void setMainWindow(TfrmCptMain* window);
    // The wait dialog of a capture, with its Stop button.
    void setWaitDialog(TfrmWait* dialog);
    // The auto-capture dialog, shown modally; true when the user started a run there.
    std::function<bool()> runAutoCaptureDialog;
    // The auto-capture dialog while it shows; it receives the status notices too.
    QPointer<QWidget> autoCaptureWindow;

    bool sendTransport(uint8_t code);
    void setTransportEnabled(bool enabled);
    void setCaptureEnabled(bool enabled);
    void showState(uint8_t code);
    bool capture();
    // A warning with the message of a capture's outcome, when it has one.
    void tellCaptureOutcome(int outcome);
    void startLink(int deviceId);
    void stopLink();

    uint8_t shownState() const { return shownState_; }
    bool transportEnabled() const { return transportEnabled_; }
    // The light of a transport button: 0 unlit, 1 lit (btnPlay: 2 lit for reverse).
    int lightOf(const QToolButton* button) const;

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
    QTimer* TimerReopen; // tries a lost line again while the window shows
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
    int chooseDevice();
    void statusChangedMessage();
    bool takeLineLoss();
    void showLineLost();
    void TimerReopenTimer();
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
    void mnuCloseClick();
    void mnuDevClick();
    void mnuTopClick();
    void mnuMonClick();
    void mnuContClick();
    void mnuKeywordClick();
    void mnuAboutClick();
    bool refuseCapture();
    void warnUser(std::string_view key, const QString& text);

    CProfile& profile_;
    DeviceSession session_;
    TfrmQuobDev* deviceList_ = nullptr;
    QPointer<TfrmCptMain> mainWindow_;
    QPointer<TfrmWait> wait_;
    std::array<Light, 7> lights_{};
    std::vector<QToolButton*> transportButtons_;
    // What each transport button and the power button do, for clicks and keys alike.
    std::vector<std::pair<QToolButton*, std::function<void()>>> buttonActions_;
    uint8_t shownState_ = 0;
    bool transportEnabled_ = true;
};

extern TfrmAvCtl* frmAvCtl;

} // namespace vantrel

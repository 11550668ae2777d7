#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vantrel {

class WindowMessage;

// The wait dialog: the one progress window of the program. Long operations show it with a
// title, optionally a gauge and a Stop button; while it shows, the guarded windows are
// disabled. Stop only raises abortRequested, which the running operation polls and clears.
//
// On the UI thread call the operations below directly. Other threads use the messages, always
// with sendMessage (only Msg::WaitClose may be posted):
//   Msg::WaitShow (1134)        wParam: address of a QString title that lives until the send
//                               returns, or 0 / -1 to keep the caption; lParam: WaitShowFlag bits
//   Msg::WaitStopEnabled (1143) wParam: 0 disables Stop, non-zero enables it, 1 also focuses it
//   Msg::WaitPercent (1144)     wParam: progress 0..100
//   Msg::WaitClose (1132)       closes the dialog if it is showing
class TfrmWait : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWait(QWidget* parent = nullptr);

    // The windows whose enabled states the dialog remembers at show and gives back at close
    // (controller, viewer, main window, device list).
    void setGuardedWindows(const std::vector<QWidget*>& windows);

    void showWithTitle(const QString& title, bool gaugeVisible, bool stopVisible);
    void setGaugeVisible(bool visible);
    // The caller serves events afterwards.
    void setProgress(int percent);
    void closeIfVisible();
    // Readable from any thread.
    bool shown() const { return shown_; }
    // Escape does not close the dialog: only the operation or Stop does.
    void reject() override;

    // Set by Stop, cleared whenever the dialog is shown; the operation reads and clears it.
    std::atomic<bool> abortRequested{false};

    QLabel* lblWait;
    QLabel* Image1;
    QFrame* Panel1;
    QProgressBar* Gauge1;
    QPushButton* btnAbort;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct GuardedWindow {
        QPointer<QWidget> window;
        bool enabled = true;
    };

    void createControls();
    void showDialog();
    void FormShow();
    void FormClose();
    void btnAbortClick();
    void handleMessage(WindowMessage& message);
    void WaitShowMessage(intptr_t title, intptr_t flags);
    void WaitStopEnabledMessage(intptr_t enabled);

    std::vector<GuardedWindow> guarded_;
    std::atomic<bool> shown_{false};
};

extern TfrmWait* frmWait;

} // namespace vantrel

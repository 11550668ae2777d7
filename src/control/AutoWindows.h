#pragma once
#include "capture/AutoRun.h"
#include "capture/CaptureWindows.h"

#include <atomic>

namespace vantrel {

class TfrmAvCtl;
class TfrmWait;

// The windows around an automatic capture run. The run steps on the poll thread, which never
// touches a widget: the controller's lights and buttons and the wait dialog are changed on
// the window thread, and the step waits for each change where it needs it done (the wait
// dialog, the controller disabled during a transfer). The line work of a command or a
// capture stays on the poll thread, which holds the line during its step.
class AutoRunWindows : public AutoRunHost, public CaptureWindows {
public:
    AutoRunWindows(TfrmAvCtl& controller, TfrmWait* waitDialog);

    // AutoRunHost
    bool sendTransport(uint8_t code) override;
    bool capture() override;
    int pictureCount() override;
    bool waitShowing() override;
    void showWait() override;
    void closeWait() override;
    std::atomic<bool>& abortFlag() override;

    // CaptureWindows, for the captures of a run
    QObject* waitDialog() override;
    bool stopRequested() override { return abortFlag(); }
    void clearStopRequest() override { abortFlag() = false; }
    void setControllerEnabled(bool enabled) override;

private:
    TfrmAvCtl& controller_;
    TfrmWait* const wait_;
    std::atomic<bool> noDialogAbort_{false};
};

} // namespace vantrel

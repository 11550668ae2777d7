#pragma once
#include <QThread>

namespace vantrel {

class QuobCpt;

// The capture thread: one per capture, created started once the device sends SPTP at the
// chosen rate. It fetches the blocks, writes the side file of the next album place, stores the
// transfer result in the capture object and signals its capture-done event.
class CaptTh : public QThread {
public:
    explicit CaptTh(QuobCpt& capture);
    ~CaptTh() override;

protected:
    void run() override;

private:
    bool Execute();
    bool receivePicture();
    bool finishPicture();
    void sendProgress();
    bool stopRequested() const;

    QuobCpt& capture_;
};

} // namespace vantrel

#pragma once
#include <QWidget>

class QLabel;

namespace vantrel {

class CQuobIO;

// The protocol monitor: the last command packet, the last answer, the exchange result and
// the port's last OS error, refreshed by the exchange notice 1124.
class TfrmMonitor : public QWidget {
public:
    explicit TfrmMonitor(QWidget* parent = nullptr);

    // The packet object whose buffers the panels show; notices change nothing before it is set.
    void setPacketObject(CQuobIO* io) { io_ = io; }
    CQuobIO* packetObject() const { return io_; }

    QLabel* pnlTD = nullptr;
    QLabel* pnlRD = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* pnlCErr = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* pnlJErr = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void FormCreate();
    void fitLabels();
    void exchangeNotice(uintptr_t osError, intptr_t result);

    CQuobIO* io_ = nullptr;
};

extern TfrmMonitor* frmMonitor;

} // namespace vantrel

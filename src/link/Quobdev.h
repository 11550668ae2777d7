#pragma once

#include "link/DeviceListLink.h"
#include "platform/SerialDevices.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QTableWidget;

namespace vantrel {

class CProfile;

// The device list: the serial port, the devices found on it (ID, category, name), Change ID,
// the picture transfer rate and the device to control. Shown modally by the controller, which
// reads selectedEntry.id (0 for none) and rateIndex afterwards. It works on the port and the
// devices of the device session.
class TfrmQuobDev : public QDialog {
    Q_OBJECT
public:
    static constexpr int maxEntries = 100;

    TfrmQuobDev(DeviceListLink& link, CProfile& profile, QWidget* parent = nullptr);

    // The windows disabled during a scan and enabled again on close (controller, main, viewer).
    void setGuardedWindows(std::vector<QWidget*> windows) { guarded_ = std::move(windows); }
    // The wait dialog a scan shows with its gauge (messages 1134, 1144, 1132); none when null.
    QObject* waitWindow = nullptr;

    // Modal show; afterwards selectedEntry and rateIndex hold the choice.
    int exec() override;

    void Refresh();
    void Rebuild();
    void Select(int row);
    void Scan();
    void beginIdChange();
    void endIdChange(bool confirm);
    bool editing() const { return editing_; }

    bool cancelled = true;
    int currentPort = 0;
    int previousPort = 0;
    int selectedId = 0;
    int rateIndex = 3;
    DeviceEntry selectedEntry;
    std::array<DeviceEntry, maxEntries> entries{};
    int deviceCount = 0;

    QLabel* Label1;
    QComboBox* cbCom;
    QLabel* Label2;
    QLineEdit* edSel;
    QTableWidget* SG1;
    QPushButton* btnScan;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QLabel* Label3;
    QComboBox* cbRate;
    QLabel* Label4;
    QComboBox* cbDevice;   // the adapters found; the choice becomes the chosen COM name's
    QLabel* lblPortState;  // why the chosen port cannot be used
    QMenu* PopupMenu1;
    QAction* mnuScan;
    QAction* mnuChID;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void createControls();
    void FormShow();
    void FormClose();
    void showNoDevice();
    void readSavedChoice();
    void readDeviceKeys();
    void writeDeviceKeys();
    void cbComChange(int index);
    void cbDeviceChange(int index);
    void listPorts();
    void showPortDevice();
    void cbRateChange(int index);
    void SG1SetEditText(const QString& text);
    void PopupMenu1Popup(const QPoint& at);
    void setRowSelection(bool on);
    void setEditLocks(bool editing);
    void fillRow(int row, int number, const DeviceEntry& entry);
    DeviceEntry* entryOfRow(int row);
    DeviceEntry* entryWithId(int id);
    int rowOfSelection() const;
    bool clashes(int id) const;

    DeviceListLink& link_;
    QuobSys& sys_;
    CProfile& profile_;
    std::vector<QWidget*> guarded_;
    bool editing_ = false;
    bool freshEdit_ = false; // the first key typed replaces the cell
    bool closed_ = false;
    QString rememberedId_;
    int editRow_ = -1;
    int shownPortIndex_ = 0;
    int savedId_ = 0;
    int savedPort_ = 0;
    std::vector<SerialDevice> devicesFound_;
    bool editKey(int key, const QString& typed);
    void setWindowsEnabled(bool enabled);
};

extern TfrmQuobDev* frmQuobDev;

} // namespace vantrel

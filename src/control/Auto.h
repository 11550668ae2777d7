#pragma once
#include "capture/AutoRun.h"
#include "capture/AutoSettings.h"
#include "control/AutoWindows.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace vantrel {

class CProfile;
class TfrmAvCtl;
class TfrmWait;

// The auto-capture dialog: one picture at a time code or a series at an interval. It keeps
// its settings in section "AUTO" of wyb30.ini, and Execute makes the run's first move; the
// run itself is stepped by the poll thread.
class TfrmAuto : public QDialog {
    Q_OBJECT
public:
    TfrmAuto(CProfile& profile, TfrmAvCtl& controller, TfrmWait* waitDialog, QWidget* parent = nullptr);
    ~TfrmAuto() override;

    // Shows the dialog modally and, when Execute was chosen, marks the run active.
    bool runModal();

    AutoRun& run() { return run_; }

    AutoSettings saved;
    AutoSettings edited;
    bool executeChosen = false;
    int framesPerSecond = 30;

    QRadioButton* rbTimecode;
    QGroupBox* gbTime;
    QSpinBox* seH;
    QSpinBox* seM;
    QSpinBox* seS;
    QSpinBox* seF;
    QLabel* lblH;
    QLabel* lblM;
    QLabel* lblS;
    QLabel* lblF;
    QRadioButton* rbInterval;
    QGroupBox* gbInt;
    QSpinBox* seNum;
    QSpinBox* seM2;
    QSpinBox* seS2;
    QLabel* lblIntvNum;
    QLabel* lblM1;
    QLabel* lblS1;
    QPushButton* btnExR;
    QPushButton* btnCancel;
    QTimer* Timer1;
    QRadioButton* rbPhoto;
    QGroupBox* GroupBox3;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void createTimeGroup();
    void createIntervalGroup();
    void connectControls();
    void nameControlsForScreenReaders();
    QSpinBox* makeSpin(QWidget* parent, const char* name, int maximum, const QRect& place);

    void FormShow();
    void fillSpinEdits();
    void radioClick();
    void spinChange();
    void Timer1Timer();
    void applyExecuteRule(int mode);
    int32_t targetFromSpinEdits() const;
    void btnExRClick();
    void btnCancelClick();

    CProfile& profile_;
    TfrmAvCtl& controller_;
    AutoRunWindows windows_;
    AutoRun run_;
};

extern TfrmAuto* frmAuto;

} // namespace vantrel

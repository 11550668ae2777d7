#pragma once
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace vantrel {

class PathPrompts;

// The title window: at start a splash that stays up while the DV codec loads (Timer1 after
// 55 ms loads it, Timer2 ends the splash after 4 s); every later show is the About box with
// the revision and OK. Shown modally with exec(). A title picture that cannot be read is
// told through `messages` (a message box of its own without) and the window goes on without it.
class TfrmTitle : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTitle(QWidget* parent = nullptr, PathPrompts* messages = nullptr);

    bool splashMode() const { return splashMode_; }
    // The file the title picture comes from, by language.
    static QString pictureFileFor(bool japanese);
    // "Rev." and the build number's low eight bits read as a signed byte.
    static QString revisionText(int buildNumber);

    QLabel* Image1;
    QLabel* lblVer;
    QLabel* lblInfo;
    QLabel* lblCpyRt;
    QLabel* lblComp;
    QFrame* Panel1;
    QLabel* lblVerNum;
    QPushButton* btnOk;
    QTimer* Timer1;
    QTimer* Timer2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void createControls();
    void FormCreate();
    void tellPictureMissing(const QString& source);
    bool loadPicture(const QString& source);
    void Timer1Timer();
    void Timer2Timer();
    void btnOkClick();
    void endSplash();
    bool mayClose() const;

    PathPrompts* messages_;
    bool splashMode_ = false;
};

extern TfrmTitle* frmTitle;

} // namespace vantrel

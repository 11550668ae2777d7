#pragma once
#include "image/ImageSettings.h"

#include <QColor>
#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace vantrel {

class ImageWindowsHost;
class RadioGroup;
class TfrmFullImage;

// The image settings window: how pictures are saved, how the slide show runs, the back
// colour, how wide pictures are imported. Modeless; OK makes the edited settings the active
// ones and writes them to section "Setup" of wyb30.ini.
class TfrmImageType : public QDialog {
    Q_OBJECT
public:
    // Pages by the tag the Settings menu items carry.
    enum Page { SaveImagePage = 1, SlideShowPage = 3, BackColorPage = 4, OpenImagePage = 5 };

    // `active` is the program's active image settings record (the main window keeps it); the
    // window reads it from the settings file at creation.
    TfrmImageType(ImageWindowsHost& host, ImageSettings& active, QWidget* parent = nullptr);

    // Turns to the page of `tag` and shows the window.
    void showOnPage(int tag);
    void setViewer(TfrmFullImage* viewer) { viewer_ = viewer; }

    // Read by every image operation; changed only by OK (and the main window's
    // "EncodeFormat").
    ImageSettings& active;
    // What the controls show; copied over the active settings by OK.
    ImageSettings edited;

    // The colour dialog: the colour it starts with in, the chosen colour out (invalid when
    // cancelled). Tests answer it without a modal loop.
    std::function<QColor(const QColor& initial)> colourDialog;

    void btnOkClick();
    void btnPreviewClick();
    void rgFmtClick();

    QTabWidget* PC = nullptr;
    QWidget* Sheet1 = nullptr;
    QWidget* Sheet3 = nullptr;
    QWidget* Sheet4 = nullptr;
    QWidget* Sheet5 = nullptr;
    RadioGroup* rgFmt = nullptr;
    RadioGroup* rgSize = nullptr;
    RadioGroup* rgColor = nullptr;
    QGroupBox* gbJpegQ = nullptr;
    QSlider* tb1 = nullptr;
    QLabel* lblQ = nullptr;
    RadioGroup* rgRevImage = nullptr;
    QPushButton* btnPreview = nullptr;
    QGroupBox* gbIntv = nullptr;
    QSpinBox* seIntv = nullptr;
    QLabel* lblSec = nullptr;
    QCheckBox* cbMin = nullptr;
    RadioGroup* rgSSC = nullptr;
    QGroupBox* gbBack = nullptr;
    QFrame* pnlColor1 = nullptr;
    QListWidget* lbColor1 = nullptr;
    QGroupBox* gbWide = nullptr;
    QRadioButton* rbSqz = nullptr;
    QRadioButton* rbLB = nullptr;
    QGroupBox* gbMask = nullptr;
    QRadioButton* rbBlk = nullptr;
    QRadioButton* rbWht = nullptr;
    RadioGroup* rgEncFormat = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createSaveImagePage();
    void createSlideShowPage();
    void createBackColorPage();
    void createOpenImagePage();
    void createButtons();
    void connectControls();
    void setItemsFromLanguage();
    void FormShow();
    void cbMinClick();
    void lbColor1Click(int row);
    void setPanelColour(uint32_t colour);
    void writeSettings();

    ImageWindowsHost& host_;
    TfrmFullImage* viewer_ = nullptr;
    uint32_t panelColour_ = 0;
    QColor dialogColour_;
};

extern TfrmImageType* frmImageType;

} // namespace vantrel

#include "ImageType.h"

#include "i18n/Localiser.h"
#include "i18n/RadioGroup.h"
#include "image/BackColour.h"
#include "image/Conversions.h"
#include "image/FullImage.h"
#include "image/ImageDocument.h"
#include "image/ImageWindowsHost.h"
#include "image/ImageWindowsText.h"
#include "image/TargetPath.h"
#include "platform/Profile.h"
#include "platform/Paths.h"
#include "platform/WindowMessage.h"
#include "platform/WindowPosition.h"
#include "platform/Widgets.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <filesystem>
#include <string_view>

namespace vantrel {

TfrmImageType* frmImageType = nullptr;

namespace {

constexpr QSize clientSize(440, 330);
constexpr int bitmapColours[] = {24, 8, 4, 1}; // rgColor's items
constexpr int backColourRows = 4;
enum BackColourRow { rowWindow = 0, rowButtonFace = 1, rowDefined = 2, rowDefault = 3 };

RadioGroup* newRadioGroup(QWidget* parent, const char* name, const char* caption, QRect at)
{
    auto* group = new RadioGroup(parent);
    group->setObjectName(name);
    group->setTitle(QString::fromUtf8(caption));
    group->setGeometry(at);
    return group;
}

QGroupBox* newGroupBox(QWidget* parent, const char* name, const char* caption, QRect at)
{
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    group->setObjectName(name);
    group->setGeometry(at);
    return group;
}

template <typename Control>
Control* newControl(QWidget* parent, const char* name, QRect at)
{
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(at);
    return control;
}

QWidget* newPage(QTabWidget* pages, const char* name, const char* caption)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    pages->addTab(page, QString::fromUtf8(caption));
    return page;
}

int colourIndexOf(int bmpColor)
{
    switch (bmpColor) {
    case 1:
        return 3;
    case 4:
        return 2;
    case 8:
        return 1;
    default:
        return 0;
    }
}

// The small pictures of the Open Image page: how a wide picture lands in 4:3, the mask colour.
QPixmap openImagePicture(std::string_view kind)
{
    QPixmap picture(52, 38);
    picture.fill(kind == "white" ? Qt::white : Qt::black);
    QPainter painter(&picture);
    const QColor scene(32, 164, 191);
    if (kind == "squeeze") {
        painter.fillRect(picture.rect(), scene);
        painter.setBrush(QColor(250, 210, 60));
        painter.drawEllipse(QRect(18, 7, 16, 24)); // a circle squeezed sideways
    } else if (kind == "letterbox") {
        painter.fillRect(QRect(0, 7, 52, 24), scene);
        painter.setBrush(QColor(250, 210, 60));
        painter.drawEllipse(QRect(18, 9, 20, 20));
    } else {
        painter.fillRect(QRect(0, 7, 52, 24), scene);
    }
    painter.setPen(Qt::gray);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

void addPicture(QWidget* parent, const char* name, std::string_view kind, QPoint at)
{
    QLabel* label = makeLabel(parent, name, QString(), {at.x(), at.y(), 52, 38});
    label->setPixmap(openImagePicture(kind));
}

} // namespace

TfrmImageType::TfrmImageType(ImageWindowsHost& host, ImageSettings& activeSettings, QWidget* parent)
    : QDialog(parent), active(activeSettings), host_(host)
{
    setObjectName("frmImageType");
    colourDialog = [this](const QColor& initial) {
        return QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
    };
    createControls();
    connectControls();
    localise(languageTable(), this);
    setWindowTitle(textForKey("TI_PREFER"));
    setItemsFromLanguage();
    nameControlsForAccessibility(this);
    active = loadImageSettings(CProfile());
    edited = active;
}

void TfrmImageType::createControls()
{
    setFixedSize(clientSize);
    PC = newControl<QTabWidget>(this, "PC", {8, 8, 424, 280});
    Sheet1 = newPage(PC, "Sheet1", "Save Image");
    Sheet3 = newPage(PC, "Sheet3", "Slide Show");
    Sheet4 = newPage(PC, "Sheet4", "Back Color");
    Sheet5 = newPage(PC, "Sheet5", "Open Image");
    createSaveImagePage();
    createSlideShowPage();
    createBackColorPage();
    createOpenImagePage();
    createButtons();
}

void TfrmImageType::createSaveImagePage()
{
    rgFmt = newRadioGroup(Sheet1, "rgFmt", "Image Format", {6, 4, 128, 116});
    rgColor = newRadioGroup(Sheet1, "rgColor", "Bitmap Colors", {6, 124, 128, 116});
    rgSize = newRadioGroup(Sheet1, "rgSize", "Image Size (wide)", {140, 4, 130, 160});
    gbJpegQ = newGroupBox(Sheet1, "gbJpegQ", "JPEG Quality", {140, 168, 130, 72});
    tb1 = newControl<QSlider>(gbJpegQ, "tb1", {8, 24, 80, 30});
    tb1->setOrientation(Qt::Horizontal);
    tb1->setRange(0, 100);
    tb1->setSingleStep(5);
    tb1->setPageStep(5);
    tb1->setTickInterval(5);
    tb1->setTickPosition(QSlider::TicksBelow);
    lblQ = newControl<QLabel>(gbJpegQ, "lblQ", {92, 28, 30, 18});
    rgRevImage = newRadioGroup(Sheet1, "rgRevImage", "Image Correction", {276, 4, 140, 100});
    btnPreview = newControl<QPushButton>(Sheet1, "btnPreview", {276, 212, 140, 28});
    btnPreview->setText("Preview");
    btnPreview->setEnabled(false); // the album starts empty
}

void TfrmImageType::createSlideShowPage()
{
    gbIntv = newGroupBox(Sheet3, "gbIntv", "Interval Time", {6, 4, 170, 96});
    seIntv = newControl<QSpinBox>(gbIntv, "seIntv", {12, 26, 60, 24});
    seIntv->setRange(0, longestSlideInterval);
    lblSec = newControl<QLabel>(gbIntv, "lblSec", {80, 30, 80, 18});
    lblSec->setText("sec.");
    cbMin = newControl<QCheckBox>(gbIntv, "cbMin", {12, 62, 150, 22});
    cbMin->setText("Set Minimum");
    rgSSC = newRadioGroup(Sheet3, "rgSSC", "Image Correction", {184, 4, 150, 100});
}

void TfrmImageType::createBackColorPage()
{
    gbBack = newGroupBox(Sheet4, "gbBack", "Index/Image Viewer", {6, 4, 330, 130});
    pnlColor1 = newControl<QFrame>(gbBack, "pnlColor1", {12, 26, 64, 64});
    pnlColor1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlColor1->setAutoFillBackground(true);
    lbColor1 = newControl<QListWidget>(gbBack, "lbColor1", {88, 26, 230, 90});
}

namespace {

// A group of two choices side by side, each with its small picture below it.
struct TwoChoices {
    const char* group;
    const char* caption;
    int left;
    struct Choice {
        const char* name;
        const char* caption;
        const char* picture;
        const char* pictureKind;
    } choices[2];
};

QGroupBox* addTwoChoices(QWidget* page, const TwoChoices& look, QRadioButton*& first, QRadioButton*& second)
{
    QGroupBox* group = newGroupBox(page, look.group, look.caption, {look.left, 4, 202, 100});
    for (int i = 0; i < 2; ++i) {
        const TwoChoices::Choice& choice = look.choices[i];
        auto* button = newControl<QRadioButton>(group, choice.name, {10 + 96 * i, 24, 94, 20});
        button->setText(QString::fromUtf8(choice.caption));
        addPicture(group, choice.picture, choice.pictureKind, {10 + 96 * i, 50});
        (i == 0 ? first : second) = button;
    }
    return group;
}

} // namespace

void TfrmImageType::createOpenImagePage()
{
    gbWide = addTwoChoices(Sheet5, {"gbWide", "Wide Image Format", 6,
                                    {{"rbSqz", "Sqeeze", "imgSqz", "squeeze"}, {"rbLB", "Letter Box", "imgLB", "letterbox"}}},
                           rbSqz, rbLB);
    gbMask = addTwoChoices(Sheet5, {"gbMask", "Mask Collor", 214,
                                    {{"rbBlk", "Black", "imgBlk", "black"}, {"rbWht", "White", "imgWht", "white"}}},
                           rbBlk, rbWht);
    // Kept for the settings record, outside the visible client area.
    rgEncFormat = newRadioGroup(this, "rgEncFormat", "Video System", {clientSize.width() + 40, 0, 120, 80});
}

void TfrmImageType::createButtons()
{
    btnOk = newControl<QPushButton>(this, "btnOk", {252, 296, 86, 28});
    btnOk->setText("OK");
    btnCancel = newControl<QPushButton>(this, "btnCancel", {346, 296, 86, 28});
    btnCancel->setText("Cancel");
    for (QPushButton* button : {btnOk, btnCancel, btnPreview})
        button->setAutoDefault(false);
}

void TfrmImageType::setItemsFromLanguage()
{
    rgFmt->setItems(textsOf({{"RI_JPEG", "JPEG"}, {"RI_BITMAP", "Bitmap"}, {"RI_DVF", "DVF"},
                             {"RI_PNG", "PNG (lossless)"}}));
    rgSize->setItems(textsOf({{"RI_ORG", "Origin"}, {nullptr, "640(848)x480"}, {nullptr, "320(424)x240"},
                              {nullptr, "160(212)x120"}, {nullptr, "80(106)x60"}}));
    rgColor->setItems(textsOf({{"RI_FULL", "Full"}, {nullptr, "256"}, {nullptr, "16"}, {nullptr, "2"}}));
    const QStringList corrections = textsOf({{"RI_NONE", "None"}, {"RI_MOVE", "Movement"}, {"RI_FIELD", "Field"}});
    rgRevImage->setItems(corrections);
    rgSSC->setItems(corrections);
    rgEncFormat->setItems({"NTSC", "PAL"});
    lbColor1->clear();
    lbColor1->addItems(textsOf({{"LI_WINDOW", "Window (System)"}, {"LI_BTN", "Button Face (System)"},
                                {"LI_DEFINED", "Defined"}, {"LI_DEFAULT", "Default"}}));
}

void TfrmImageType::connectControls()
{
    connect(rgFmt, &RadioGroup::itemClicked, this, [this](int index) {
        edited.Format = index;
        rgFmtClick();
    });
    connect(rgSize, &RadioGroup::itemClicked, this, [this](int index) { edited.ImgSize = index; });
    connect(rgColor, &RadioGroup::itemClicked, this, [this](int index) { edited.BmpColor = bitmapColours[index]; });
    connect(tb1, &QSlider::valueChanged, this, [this](int value) {
        edited.JpegQ = value;
        lblQ->setNum(value);
    });
    connect(rgRevImage, &RadioGroup::itemClicked, this, [this](int index) { edited.Revision = index; });
    connect(rgSSC, &RadioGroup::itemClicked, this, [this](int index) { edited.ViewRev = index; });
    connect(rgEncFormat, &RadioGroup::itemClicked, this, [this](int index) { edited.EncFormat = index; });
    connect(cbMin, &QCheckBox::clicked, this, &TfrmImageType::cbMinClick);
    connect(PC, &QTabWidget::currentChanged, this, &TfrmImageType::cbMinClick);
    connect(rbSqz, &QRadioButton::clicked, this, [this] { edited.fSqeeze = 0; });
    connect(rbLB, &QRadioButton::clicked, this, [this] { edited.fSqeeze = 1; });
    connect(rbBlk, &QRadioButton::clicked, this, [this] { edited.fMskBlk = 0; });
    connect(rbWht, &QRadioButton::clicked, this, [this] { edited.fMskBlk = 1; });
    connect(lbColor1, &QListWidget::currentRowChanged, this, &TfrmImageType::lbColor1Click);
    connect(btnPreview, &QPushButton::clicked, this, &TfrmImageType::btnPreviewClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmImageType::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    seIntv->installEventFilter(this);
}

void TfrmImageType::showOnPage(int tag)
{
    const std::pair<int, QWidget*> pages[] = {
        {SaveImagePage, Sheet1}, {SlideShowPage, Sheet3}, {BackColorPage, Sheet4}, {OpenImagePage, Sheet5}};
    for (const auto& [pageTag, page] : pages)
        if (pageTag == tag)
            PC->setCurrentWidget(page);
    show();
    raise();
    activateWindow();
}

void TfrmImageType::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmImageType::FormShow()
{
    edited = active;
    seIntv->setValue(active.IntervalTime);
    cbMin->setChecked(active.IntervalMin == 1);
    seIntv->setEnabled(active.IntervalMin != 1);
    rgFmt->setItemIndex(active.Format);
    tb1->setValue(active.JpegQ);
    lblQ->setNum(active.JpegQ);
    rgSize->setItemIndex(active.ImgSize);
    rgEncFormat->setItemIndex(active.EncFormat);
    rgRevImage->setItemIndex(active.Revision);
    rgSSC->setItemIndex(active.ViewRev);
    rgColor->setItemIndex(colourIndexOf(active.BmpColor));
    (active.fSqeeze == 1 ? rbLB : rbSqz)->setChecked(true);
    (active.fMskBlk == 1 ? rbWht : rbBlk)->setChecked(true);
    const uint32_t back = host_.backColour();
    setPanelColour(back);
    dialogColour_ = colourOfValue(back);
    {
        const QSignalBlocker quiet(lbColor1);
        lbColor1->setCurrentRow(-1);
    }
    rgFmtClick();
    if (host_.album().count() == 0)
        btnPreview->setEnabled(false);
    centreOnScreen(*this);
}

void TfrmImageType::rgFmtClick()
{
    const bool jpeg = edited.Format == saveAsJpeg;
    const bool bitmap = edited.Format == saveAsBitmap;
    const bool png = edited.Format == saveAsPng;
    gbJpegQ->setEnabled(jpeg);
    tb1->setVisible(jpeg);
    lblQ->setVisible(jpeg);
    rgColor->setEnabled(bitmap);
    for (QWidget* control : {static_cast<QWidget*>(rgSize), static_cast<QWidget*>(rgRevImage),
                             static_cast<QWidget*>(btnPreview)})
        control->setEnabled(jpeg || bitmap || png);
}

void TfrmImageType::cbMinClick()
{
    edited.IntervalMin = cbMin->isChecked() ? 1 : 0;
    seIntv->setEnabled(!cbMin->isChecked());
}

void TfrmImageType::lbColor1Click(int row)
{
    switch (row) {
    case rowWindow:
        setPanelColour(systemWindowColour);
        break;
    case rowButtonFace:
        setPanelColour(systemButtonFaceColour);
        break;
    case rowDefined: {
        // A cancelled dialog still leaves the colour it held.
        const QColor chosen = colourDialog(dialogColour_);
        if (chosen.isValid())
            dialogColour_ = chosen;
        setPanelColour(valueOfColour(dialogColour_));
        break;
    }
    case rowDefault:
        setPanelColour(defaultBackColour);
        break;
    default:
        break;
    }
}

void TfrmImageType::setPanelColour(uint32_t colour)
{
    panelColour_ = colour;
    QPalette colours = pnlColor1->palette();
    colours.setColor(QPalette::Window, colourOfValue(colour));
    pnlColor1->setPalette(colours);
}

void TfrmImageType::btnOkClick()
{
    if (edited.ViewRev != active.ViewRev) {
        active.ViewRev = edited.ViewRev;
        if (viewer_ && viewer_->currentPlace() > 0)
            viewer_->showImage(viewer_->currentPlace());
    }
    edited.IntervalTime = seIntv->value();
    active = edited;
    writeSettings();
    host_.setBackColour(panelColour_);
    if (viewer_)
        viewer_->setBackColour(panelColour_);
    accept();
}

void TfrmImageType::writeSettings()
{
    CProfile profile;
    for (const ImageSettingKey& entry : imageSettingKeys) {
        // The frame count and interval are only ever read.
        if (entry.field == &ImageSettings::FrmNum || entry.field == &ImageSettings::FrmInt)
            continue;
        profile.WriteInt(imageSettingsSection, entry.key, active.*entry.field);
    }
}

void TfrmImageType::btnPreviewClick()
{
    btnPreview->setEnabled(false);
    const ViewerAlbum& album = host_.album();
    int place = 1;
    if (viewer_ && viewer_->isVisible() && viewer_->currentPlace() > 0)
        place = viewer_->currentPlace();
    else if (album.firstSelectedPlace() > 0)
        place = album.firstSelectedPlace();
    if (viewer_)
        viewer_->setCurrentPlace(place);
    const bool jpeg = edited.Format == saveAsJpeg;
    const std::string written = programFile(jpeg ? "preview.jpg" : "preview.bmp");
    // A PNG holds the 24-bit bitmap's pixels, so its preview is that bitmap.
    ImageSettings previewed = edited;
    if (edited.Format == saveAsPng)
        previewed.BmpColor = 24;
    const TargetPathCheck check = targetPathCheckWith(host_.prompts());
    ImageDocument picture;
    if (convertPictureFile(album.sideFilePath(place), written, jpeg ? saveAsJpeg : saveAsBitmap, false,
                           previewed, check) &&
        picture.load(written)) {
        std::error_code error;
        std::filesystem::remove(written, error);
        if (picture.saveBitmap(programFile("preview.bmp"), 24) && viewer_)
            postMessage(viewer_, Msg::PreviewReady);
    }
    picture.release();
    btnPreview->setEnabled(true);
}

bool TfrmImageType::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == seIntv && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnOkClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmImageType::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        host_.setDeleteShortcutEnabled(!isActiveWindow());
    QDialog::changeEvent(event);
}

} // namespace vantrel

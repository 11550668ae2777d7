#pragma once
#include "image/FrameBitmap.h"
#include "image/ImageSettings.h"
#include "image/SlideShow.h"

#include <QMainWindow>
#include <QSize>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;

namespace vantrel {

class ImageWindowsHost;
struct PictureRecord;
class TfrmImageType;
class TfrmViewBtn;
class ViewerPaintBox;

// The image viewer: one album picture at a time, decoded at full size with the view
// correction; navigation, slide show, saving, copying and handing a picture to an editor.
// Window message: Msg::PreviewReady (1135), posted by the settings window, shows
// "preview.bmp" of the program folder.
class TfrmFullImage : public QMainWindow, public SlideShowViewer {
    Q_OBJECT
public:
    // `settings` is the active image settings record, which outlives the window.
    TfrmFullImage(ImageWindowsHost& host, TfrmViewBtn& buttonBar, const ImageSettings& settings,
                  QWidget* parent = nullptr);
    ~TfrmFullImage() override;

    // Every display path goes through here; false leaves picture, caption and place alone.
    bool showImage(int place) override;
    // Shows the place, then restores the window when minimised or shows it when hidden.
    bool openAt(int place);
    void stopSlideShow() override;
    bool slideShowRunning() const;

    int currentPlace() const override { return currentPlace_; }
    void setCurrentPlace(int place) { currentPlace_ = place; }
    QSize displaySize() const { return displaySize_; }
    bool shownWide() const { return shownWide_; }
    // How often showing a picture laid the window out anew.
    int relayouts() const { return relayouts_; }
    const FrameBitmap& frameBitmap() const { return bitmap_; }
    void setBackColour(uint32_t colour);

    // The handlers the button bar shares.
    void btnFirstClick();
    void btnPrevClick();
    void btnSSClick();
    void btnStopClick();
    void btnNextClick();
    void btnLastClick();

    void mnuSaveImageClick();
    void mnuCopyClick();
    void mnuOpenEditClick();
    void mnuEditClick();
    void mnuSize0Click(int tag);
    void mnuBrdrClick();
    void mnuToolBarClick();

    // The keys image viewers on the desktop share, beside the menu's own.
    void spaceKeyPress();
    void backspaceKeyPress();
    void fullScreenKeyPress();
    void escapeKeyPress();
    bool windowFullScreen() const { return windowFullScreen_; }

    // The save dialog: folder, offered name, filter and default extension in; the chosen
    // path out, empty when cancelled. Tests answer it without a modal loop.
    std::function<QString(const QString& folder, const QString& name, const QString& filter,
                          const QString& extension)>
        saveDialog;
    // The desktop's "open" of a file.
    std::function<bool(const QUrl&)> openUrl;

    // The settings window its Settings items open.
    TfrmImageType* settingsWindow = nullptr;

    QFrame* pnlToolbar = nullptr;
    QToolButton* btnFirst = nullptr;
    QToolButton* btnPrev = nullptr;
    QToolButton* btnSS = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnLast = nullptr;
    QPushButton* btnLogoEng = nullptr;
    QPushButton* btnLogoJpn = nullptr;
    QLabel* lblFacts = nullptr; // the shown picture's time code and recording date
    QScrollArea* ScrollBox1 = nullptr;
    ViewerPaintBox* PaintBox1 = nullptr;
    QLabel* imgPlay = nullptr;
    QLabel* imgPlayL = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void createToolbar(QWidget* client);
    void createMenus();
    void createPictureMenu();
    void createSharedKeys();
    void enterWindowFullScreen();
    void leaveWindowFullScreen();
    QAction* action(const char* name) const;
    void setChecked(std::initializer_list<const char*> names, bool checked);
    void FormCreate();

    bool decodePlace(int place, PictureRecord& record);
    void showFacts(const PictureRecord& record);
    void sizePaintBox(bool wide);
    QSize normalOrFullDisplaySize() const;
    void layoutWindow();
    void fitWindowToPicture();
    void setCaptions();
    int pictureCount() const override;
    void Timer1Timer();
    void setSlideShowGlyph(bool running);
    void setSaveAndCopyEnabled(bool enabled);
    void showButtonBar();
    bool toolbarShown() const;
    std::string convertCurrentPlace(const std::string& path, bool ask);
    void previewReady();

    ImageWindowsHost& host_;
    TfrmViewBtn& buttonBar_;
    const ImageSettings& settings_;
    std::unique_ptr<SlideShow> slideShow_;
    FrameBitmap bitmap_;
    int currentPlace_ = 0;
    QSize displaySize_{768, 576};
    bool fullScreenSize_ = false;
    bool shownWide_ = false;
    bool relayout_ = false;
    bool toggled_ = false;
    bool toolbarShown_ = true;
    bool border_ = true;
    bool windowFullScreen_ = false;
    bool fullScreenSizeBefore_ = false;
    bool busy_ = false;
    int toolbarHeight_ = 41;
    int relayouts_ = 0;
};

extern TfrmFullImage* frmFullImage;

} // namespace vantrel

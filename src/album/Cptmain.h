#pragma once
#include "album/Album.h"
#include "album/AlbumIndex.h"
#include "album/IndexEditing.h"
#include "album/MainToolbar.h"
#include "capture/CaptureWindows.h"
#include "i18n/LanguageTable.h"
#include "image/BackColour.h"
#include "image/ImageSettings.h"
#include "platform/Profile.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>


class QLabel;
class QMenu;
class QScrollBar;
class QToolButton;

namespace vantrel {

class EmptyAlbumHint;

class IndexDragging;
class MainDialogs;
class OpenBatch;
class TfrmHelp;
class WindowMessage;

// The main window: the album index and the program's menus. It owns the program's language
// table (its constructor, which runs before any other window is created, chooses the
// language, loads wyb.sty and wyb.cpt from the program folder and registers the table), the
// settings file and the album. Message 1139 adds captured pictures; 52772 scrolls the index.
class TfrmCptMain : public QMainWindow, public CaptureAlbum, public SlotMouseHandler {
    Q_OBJECT
public:
    explicit TfrmCptMain(QWidget* parent = nullptr);
    ~TfrmCptMain() override;

    LanguageTable language;
    CProfile profile;
    Album album;
    // The selection, the keyboard cursor and the drops of the index.
    IndexEditing editing{album};
    ImageSettings imageSettings;
    // The text of "TI_MAIN": the window title and the caption of message boxes.
    QString title;

    // Opens each file in turn with the wait dialog up, stopping at the first that says stop
    // (files dropped from the file manager, the command line of a second start).
    void openFiles(const QStringList& paths);
    // The Image Viewer item; nothing until the viewer exists.
    void openViewer();
    // The Settings items by tag (1 Save Image, 3 Slide Show, 4 Back Color, 5 Open Image);
    // nothing until the settings window exists.
    void showSettings(int tag);
    // The files named on the command line, opened at first show.
    void setCommandLine(const QStringList& paths) { commandLine_ = paths; }
    // The controller window (shown by DV Controller, closed at the end), once it exists.
    void setControllerWindow(QWidget* window) { controller_ = window; }
    QWidget* controllerWindow() const { return controller_; }
    // The last image path, shared by Save Image As here and in the viewer.
    const std::string& lastImagePath() const { return lastImagePath_; }
    void setLastImagePath(const std::string& path) { lastImagePath_ = path; }
    // The wait dialog (messages 1132 and 1134) and the title window (splash and About).
    void setWaitDialog(QWidget* dialog);
    // The wait dialog's Stop request, read and cleared by the saving loops.
    void setWaitStopFlag(std::atomic<bool>* flag) { waitStop_ = flag; }
    void setTitleWindow(QDialog* window) { titleWindow_ = window; }
    // True once the first show (splash, settings, restore, command line) has run.
    bool firstShowDone() const { return firstShowDone_; }
    // The slow-play timer value of the controller window ("Setup", "SlowTimer").
    int slowTimer = 300;
    // The questions and file dialogs; tests put their own answers in.
    void setDialogs(std::unique_ptr<MainDialogs> dialogs);
    MainDialogs& dialogs() { return *dialogs_; }

    // New with its save question; false when the user cancelled the save.
    bool newAlbum();
    bool saveAlbumAs();
    void updateCaption();
    // The tool bar and the index laid out on the window's width; then the index's end shown.
    void layoutIndex();
    void scrollToEnd();
    int columnCount() const { return index->columnCount(); }
    // The empty album's hint, in the middle of the index below the tool bar while it is empty.
    void updateEmptyHint();
    int clientWidth() const;
    AlbumSlot* slotAt(int place) const { return index->slotAt(place); }
    uint32_t backColor() const { return backColor_; }
    void setBackColor(uint32_t colour);
    QString helpFilePath() const;
    TfrmHelp* helpWindow() const { return help_; }
    // Help > Contents, Help > Keyword and About; the controller's Help menu uses them too.
    void mnuContClick();
    void mnuKeywordClick();
    void mnuAboutClick();

    // CaptureAlbum: the capture thread writes side files here and sends 1139.
    QObject* albumWindow() override { return this; }
    int pictureCount() override { return album.count(); }
    std::string sideFileName(int place) override { return album.sideFilePath(place); }

    // The tool bar's buttons are pnlToolbar->btnOpen ... btnEDS.
    MainToolbar* pnlToolbar;
    QLabel* Label1;
    AlbumIndex* index;
    // The index's slot area and scroll bar.
    QWidget* ScrollBox1;
    EmptyAlbumHint* lblEmptyHint;
    QScrollBar* ScrollBar1;
    QMenu* PopupMenu1 = nullptr;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;

    // Clicks, drags and drops on the thumbnails.
    void slotMouseEvent(int place, QWidget* control, QMouseEvent* event) override;

private:
    friend class IndexDragging;
    friend class MainWindowSaves;
    friend class OpenBatch;

    void createControls();
    void createMenus();
    void connectControls();
    void nameControlsForScreenReaders();
    // Found once by name, then kept: the menu states are set after every picture.
    QAction* action(const char* name) const;
    QAction* findAction(const char* name) const;

    void FormShow();
    void readSettings();
    void writeSettings();
    void restoreAlbum();
    bool FormCloseQuery();

    void mnuFileClick();
    void mnuEditClick();
    void mnuWindowClick();
    void updateMenuStates();
    void mnuExitClick();
    void mnuNewClick();
    void mnuOpenClick();
    void mnuSaveClick();
    void mnuSaveAsClick();
    void mnuSaveImageClick();
    void mnuHTMLClick();
    void mnuOpenHTMLClick();
    void mnuToolbarClick();
    void mnuSet1Click();
    void mnuSetOpenClick();
    void mnuBackColorClick();
    void mnuDeleteClick();
    void mnuAllSelClick();
    // Ctrl with the numeric keypad moves the keyboard cursor; false for other keys.
    bool btnKeyDown(QKeyEvent* event);
    // Runs `work` with this window and the controller disabled, under the hourglass.
    void runDisabled(const std::function<void()>& work);
    void mnuVCRClick();

    void pictureCapturedMessage(intptr_t firstPlace, intptr_t count);
    bool addPictureFile(const std::string& path);
    bool waitShowing() const;
    void showWait(const QString& caption);
    void closeWait();
    void setViewerEnabled(bool enabled);
    void setWindowsEnabled(bool enabled);
    void warnOver();
    TfrmHelp* ensureHelpWindow();
    QString openFilter() const;
    QString albumFilter() const;

    std::unique_ptr<MainDialogs> dialogs_;
    QPointer<QWidget> controller_;
    QPointer<QWidget> wait_;
    QPointer<QDialog> titleWindow_;
    TfrmHelp* help_ = nullptr;
    QStringList commandLine_;
    std::unique_ptr<OpenBatch> opens_;
    std::string lastImagePath_;
    std::string lastHtmlPath_;
    QString lastHtmlAlbum_;
    std::atomic<bool>* waitStop_ = nullptr;
    std::unique_ptr<IndexDragging> dragging_;
    mutable std::map<std::string, QPointer<QAction>, std::less<>> actions_; // by object name
    uint32_t backColor_;
    int savedToolbarHeight_ = 0;
    int toolbarHeight_ = 0;
    bool firstShown_ = false;
    bool firstShowDone_ = false;
    bool closing_ = false;
};

extern TfrmCptMain* frmCptMain;

} // namespace vantrel

#pragma once
#include "image/ImageWindowsHost.h"

#include <memory>

namespace vantrel {

class Album;
class TfrmCptMain;
class TfrmFullImage;
class TfrmImageType;
class TfrmViewBtn;

// The album's pictures as the image windows read them.
class AlbumPictures : public ViewerAlbum {
public:
    explicit AlbumPictures(const Album& album) : album_(album) {}
    int count() const override;
    std::string sideFilePath(int place) const override;
    int firstSelectedPlace() const override;

private:
    const Album& album_;
};

// The main window's side of the image windows: its album, prompts, last image path, back
// colour, Delete shortcut, controller, help and position store.
class MainWindowImageHost : public ImageWindowsHost {
public:
    explicit MainWindowImageHost(TfrmCptMain& window);

    const ViewerAlbum& album() const override { return pictures_; }
    PathPrompts& prompts() override;
    std::string lastSavePath() const override;
    void setLastSavePath(const std::string& path) override;
    uint32_t backColour() const override;
    void setBackColour(uint32_t colour) override;
    void setDeleteShortcutEnabled(bool enabled) override;
    void saveWindowPosition(const QWidget& window) override;
    void restoreWindowPosition(QWidget& window, bool sizeable) override;
    void closeController() override;
    void controllerCommand() override;
    void showIndex() override;
    void helpContents() override;
    void helpKeyword() override;
    void about() override;

private:
    void trigger(const char* item);

    TfrmCptMain& window_;
    AlbumPictures pictures_;
};

// The settings window, the button bar and the viewer, created in that order after the main
// window and published as frmImageType, frmViewBtn and frmFullImage while they live.
class ImageWindows {
public:
    explicit ImageWindows(TfrmCptMain& window);
    ~ImageWindows();

    MainWindowImageHost host;
    std::unique_ptr<TfrmImageType> settings;
    std::unique_ptr<TfrmViewBtn> buttonBar;
    std::unique_ptr<TfrmFullImage> viewer;
};

} // namespace vantrel

#include "ImageWindowsLink.h"

#include "album/Album.h"
#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "platform/WindowPosition.h"
#include "image/FullImage.h"
#include "image/ImageType.h"
#include "image/ViewBtn.h"

#include <QAction>
#include <QKeySequence>

namespace vantrel {

int AlbumPictures::count() const
{
    return album_.count();
}

std::string AlbumPictures::sideFilePath(int place) const
{
    return album_.sideFilePath(place);
}

int AlbumPictures::firstSelectedPlace() const
{
    for (int place = 1; place <= album_.count(); ++place)
        if (album_.place(place).selected)
            return place;
    return 0;
}

MainWindowImageHost::MainWindowImageHost(TfrmCptMain& window) : window_(window), pictures_(window.album)
{
}

PathPrompts& MainWindowImageHost::prompts()
{
    return window_.dialogs();
}

std::string MainWindowImageHost::lastSavePath() const
{
    return window_.lastImagePath();
}

void MainWindowImageHost::setLastSavePath(const std::string& path)
{
    window_.setLastImagePath(path);
}

uint32_t MainWindowImageHost::backColour() const
{
    return window_.backColor();
}

void MainWindowImageHost::setBackColour(uint32_t colour)
{
    window_.setBackColor(colour);
}

void MainWindowImageHost::setDeleteShortcutEnabled(bool enabled)
{
    if (QAction* item = window_.findChild<QAction*>("mnuDelete"))
        item->setShortcut(enabled ? QKeySequence(QKeySequence::Delete) : QKeySequence());
}

void MainWindowImageHost::saveWindowPosition(const QWidget& window)
{
    vantrel::saveWindowPosition(window_.profile, window);
}

void MainWindowImageHost::restoreWindowPosition(QWidget& window, bool sizeable)
{
    vantrel::restoreWindowPosition(window_.profile, window, sizeable);
}

void MainWindowImageHost::closeController()
{
    if (QWidget* controller = window_.controllerWindow(); controller && controller->isVisible())
        controller->close();
}

void MainWindowImageHost::trigger(const char* item)
{
    if (QAction* action = window_.findChild<QAction*>(item))
        action->trigger();
}

void MainWindowImageHost::controllerCommand()
{
    trigger("mnuVCR");
}

void MainWindowImageHost::showIndex()
{
    if (window_.isMinimized())
        window_.showNormal();
    else
        window_.show();
    window_.raise();
    window_.activateWindow();
}

void MainWindowImageHost::helpContents()
{
    trigger("mnuCont");
}

void MainWindowImageHost::helpKeyword()
{
    trigger("mnuKeyword");
}

void MainWindowImageHost::about()
{
    trigger("mnuAbout");
}

ImageWindows::ImageWindows(TfrmCptMain& window)
    : host(window), settings(std::make_unique<TfrmImageType>(host, window.imageSettings)),
      buttonBar(std::make_unique<TfrmViewBtn>()),
      viewer(std::make_unique<TfrmFullImage>(host, *buttonBar, window.imageSettings))
{
    settings->setViewer(viewer.get());
    viewer->settingsWindow = settings.get();
    frmImageType = settings.get();
    frmViewBtn = buttonBar.get();
    frmFullImage = viewer.get();
}

ImageWindows::~ImageWindows()
{
    frmFullImage = nullptr;
    frmViewBtn = nullptr;
    frmImageType = nullptr;
}

} // namespace vantrel

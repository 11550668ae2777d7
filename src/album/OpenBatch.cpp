#include "OpenBatch.h"

#include "album/Cptmain.h"
#include "album/MainDialogs.h"
#include "capture/PictureRoom.h"
#include "i18n/LanguageTable.h"
#include "image/Conversions.h"
#include "image/TargetPath.h"
#include "platform/Paths.h"
#include "platform/TextCompare.h"
#include "platform/Widgets.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <cstdio>

namespace vantrel {

namespace {

constexpr int maxDroppedNameLength = 300;

} // namespace

QStringList droppedFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile() && url.toLocalFile().size() <= maxDroppedNameLength)
            paths << url.toLocalFile();
    return paths;
}

void OpenBatch::run(const QStringList& paths)
{
    pending_ << paths;
    if (running_ || pending_.isEmpty())
        return;
    running_ = true;
    window_.showWait(textForKey("MB_TI_FILEREAD"));
    albumsInBatch_ = 0;
    while (!pending_.isEmpty())
        if (!openFile(QFileInfo(pending_.takeFirst()).absoluteFilePath()))
            pending_.clear();
    window_.closeWait();
    albumsInBatch_ = 0;
    running_ = false;
    window_.setWindowsEnabled(true);
}

void OpenBatch::release(const QStringList& first)
{
    pending_ = first + pending_;
    running_ = false;
    run({});
}

bool OpenBatch::openFile(const QString& path)
{
    HourGlass hourGlass;
    const std::string file = path.toStdString();
    const std::string extension = extensionOf(file);
    Album& album = window_.album;
    if (equalsIgnoringCase(extension, "dvf")) {
        const std::string side = album.sideFilePath(album.count() + 1);
        const PictureRoom room = roomForNewPicture(album.count(), side, targetPathCheckWith(window_.dialogs()));
        if (room == PictureRoom::albumFull)
            window_.warnOver();
        if (room != PictureRoom::free)
            return false;
        window_.addPictureFile(file);
    } else if (equalsIgnoringCase(extension, "zal")) {
        openAlbumFile(file);
    } else if (equalsIgnoringCase(extension, "jpg") || equalsIgnoringCase(extension, "bmp")) {
        if (refuseWhenFull())
            return false;
        importPicture(file);
    }
    window_.index->showAllSlots();
    window_.scrollToEnd();
    return true;
}

bool OpenBatch::refuseWhenFull()
{
    if (!window_.album.full())
        return false;
    window_.warnOver();
    return true;
}

// The first album of a batch replaces the pictures (New, with its question) and names the
// album; later ones are appended.
bool OpenBatch::openAlbumFile(const std::string& path)
{
    Album& album = window_.album;
    if (albumsInBatch_ == 0)
        window_.newAlbum();
    // The side files take about as much as the album file.
    const uint64_t unpacked = fileSizeOf(albumPathToOpen(path));
    if (!roomForSideFiles(album.sideFilePath(album.count() + 1), unpacked, window_.dialogs()))
        return false;
    if (!album.openAlbum(path, window_.dialogs()))
        return false;
    if (albumsInBatch_ == 0)
        album.setCurrentName(path);
    window_.updateCaption();
    album.setModified(false);
    ++albumsInBatch_;
    return true;
}

// A picture file is converted into the side file of the next place, then added.
bool OpenBatch::importPicture(const std::string& path)
{
    const std::string side = window_.album.sideFilePath(window_.album.count() + 1);
    if (!importToDvf(path, side, window_.imageSettings, targetPathCheckWith(window_.dialogs())))
        return false;
    if (window_.addPictureFile(side))
        return true;
    std::remove(side.c_str()); // a side file without its place would come back next start
    return false;
}

} // namespace vantrel

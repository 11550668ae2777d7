#pragma once
#include <QString>
#include <QStringList>
#include <string>

class QMimeData;

namespace vantrel {

class TfrmCptMain;

// Files opened into the main window's album, one after the other with the wait dialog up:
// DVF pictures, album files (the first of a batch replaces the album) and JPEG or bitmap
// pictures imported. Files handed in while a batch runs join it at its end; until the first
// show has restored the album they wait, as their pictures would overwrite side files not
// yet read.
class OpenBatch {
public:
    explicit OpenBatch(TfrmCptMain& window) : window_(window) {}

    // Opens `paths` after those waiting, stopping at the first file that says stop.
    void run(const QStringList& paths);
    // The album is restored: `first` (the command line) goes before what waited.
    void release(const QStringList& first);
    // One file by its extension (dvf, zal, jpg, bmp; others are ignored); false stops the batch.
    bool openFile(const QString& path);

private:
    bool refuseWhenFull();
    bool openAlbumFile(const std::string& path);
    bool importPicture(const std::string& path);

    TfrmCptMain& window_;
    QStringList pending_;
    bool running_ = true;
    int albumsInBatch_ = 0;
};

// The files dropped from the file manager: local ones, with names of up to 300 characters.
QStringList droppedFiles(const QMimeData& data);

} // namespace vantrel

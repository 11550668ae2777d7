#pragma once
#include "capture/CaptureWindows.h"

#include <QImage>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantrel {

class PathPrompts;
struct PictureRecord;

constexpr int sideFilePlaces = 100; // New and the stale-file sweep clear lum001 .. lum100
constexpr uint64_t albumBytesPerPicture = 150000;
constexpr int thumbnailWidth = 80;
constexpr int thumbnailHeight = 60;
constexpr int temporarySlots = 100;

// "temp00.dat" for temporary slot 0; empty outside 0..99.
std::string temporarySlotFileName(int slot);

// "lum001.dat" for place 1; empty outside 0..999.
std::string sideFileName(int place);

// The album file Open looks for: `path` itself when its extension is "ZAL" or "zal" (exactly
// these), else `path` + ".ZAL".
std::string albumPathToOpen(const std::string& path);

// One picture of the album as the index shows it.
struct AlbumPlace {
    std::string timeCode; // "hh:mm:ss:ff" or "--:--:--:--"
    bool selected = false;    // the committed selection
    bool highlighted = false; // the selection as drawn
    int system = 5;           // the system digit's low four bits: 5 (525 lines) or 6 (625)
    bool wide = false;
    QImage thumbnail;         // 80 x 60 on the screen: at a thumbnail scale of 2, 160 x 120 pixels
};

// How the album tells its window about changes. Every call comes on the album's thread.
class AlbumObserver {
public:
    virtual ~AlbumObserver() = default;
    // A picture now sits at `place`, which is the new picture count; the last notice of an
    // added picture, where a window serves its events during a long open.
    virtual void pictureAdded(int place) { (void)place; }
    // The album was emptied (New); the count is 0.
    virtual void albumCleared() {}
    // The modified flag, the current album name or the selection changed.
    virtual void albumStateChanged() {}
    // Place `place` took another picture (an edit); it may be a new last place.
    virtual void placeChanged(int place) { (void)place; }
    // The last places were dropped; `count` pictures remain.
    virtual void placesRemoved(int count) { (void)count; }
    // The highlighted flag of a place changed.
    virtual void highlightChanged(int place) { (void)place; }
};

// The album: pictures at places 1..count(), each kept as a side file lumNNN.dat in the
// program folder, with its thumbnail and time code in memory.
class Album {
public:
    // Side files and TAMRO01.INI live in `programFolder` (the program's folder by default).
    explicit Album(std::string programFolder = {});

    void setObserver(AlbumObserver* observer) { observer_ = observer; }
    // Thumbnails decoded from now on have `scale` times the pixels each way (1 or 2, the
    // screen's device pixel ratio), so they are drawn sharp on a screen of small pixels.
    void setThumbnailScale(int scale) { thumbnailScale_ = scale == 2 ? 2 : 1; }
    int thumbnailScale() const { return thumbnailScale_; }

    int count() const { return static_cast<int>(places_.size()); }
    bool full() const { return count() >= albumMaxPictures; }
    // Place 1..count().
    const AlbumPlace& place(int place) const { return places_.at(static_cast<size_t>(place - 1)); }
    int selectedCount() const;
    void setSelected(int place, bool selected);
    // Setting the flag it already has does nothing.
    void setHighlighted(int place, bool highlighted);

    bool modified() const { return modified_; }
    void setModified(bool modified);
    // The album file the album came from or was last saved as; empty when none.
    const std::string& currentName() const { return currentName_; }
    void setCurrentName(const std::string& name);
    // The album file most recently read or written.
    const std::string& lastAlbumPath() const { return lastAlbumPath_; }
    void setLastAlbumPath(const std::string& path) { lastAlbumPath_ = path; }

    const std::string& programFolder() const { return programFolder_; }
    // The side file of a place in the program folder; empty outside 0..999.
    std::string sideFilePath(int place) const;

    // Appends a DVF file as place count() + 1: reads it (three tries 100 ms apart), decodes
    // the thumbnail and copies the file to the side file unless it already is that file.
    // Nothing is added when the album is full, the file cannot be read or does not decode.
    bool addPicture(const std::string& path);

    // Writes the album file (extension forced to "zal", through a temporary file renamed over
    // the target) and its cut list; clears the modified flag. Fails, leaving an existing file
    // as it was, when the target path check refuses or a side file cannot be read.
    bool saveAlbum(const std::string& path, bool ask, PathPrompts& prompts);
    // The cut list beside `path` (extension "qob").
    bool writeCutList(const std::string& path, PathPrompts& prompts);
    // Appends the pictures of an album file after the current ones. A record that is not a
    // usable picture is passed over and "MSG_INPUT" said once after the others are in. Stops,
    // keeping what was added before, at 99 pictures ("MSG_OVER") and at a truncated record
    // ("MSG_INPUT").
    bool openAlbum(const std::string& path, PathPrompts& prompts);

    // The side files lum001 .. lum099 that exist, in place order, then the pictures an edit
    // that never ended left parked.
    std::vector<std::string> filesToRestore() const;
    // Adds the picture of one of those files at the next place, its file moving there; false
    // when the album is full or the file does not read (it goes with the stale side files).
    bool restorePicture(const std::string& file);
    // Restores every file of filesToRestore(); gaps close up. Returns the count.
    int restoreFromSideFiles();
    // Editing primitives. Nothing is decoded again: the thumbnail's pixels and the side file
    // are copied. Destinations past place 99 are ignored.
    // Copies the picture of place `source` over place `destination`, growing the album to it;
    // the source and the destination's flags stay as they are.
    void movePlace(int destination, int source);
    // Keeps the picture of place `source` in temporary slot `slot`, with its side file copied
    // to the slot's temporary file.
    void park(int slot, int source);
    // Puts the picture of temporary slot `slot` at place `destination` and deletes the slot's
    // temporary file.
    void unpark(int slot, int destination);
    // Drops the last `pictures` places with their flags and side files.
    void removeLastPlaces(int pictures);
    std::string temporarySlotPath(int slot) const;

    // New: forgets every picture, deletes the side files 1..100, clears the name and the
    // modified flag.
    void clear();
    // Deletes the side files of places count() + 1 .. 100 and the temporary files of
    // interrupted writes.
    void deleteStaleSideFiles();
    // Removes what writes killed on the way left in the program folder: work files (".part")
    // of side files and the like, those of the settings files ("wyb30.ini.XXXXXX") and the
    // conversions' work file "temp.bmp".
    void removeStaleWorkFiles() const;

private:
    enum SaveOutcome { saveWritten, saveNotCreated, saveSideFileUnreadable, saveWriteFailed };
    enum UnpackOutcome { unpackWritten, unpackNoPicture, unpackTruncated, unpackNotWritten };

    bool readWithRetries(PictureRecord& record);
    QImage decodeThumbnail(PictureRecord& record) const;
    // Appends a picture read into `record` (from record.path), copying that file to the side
    // file unless it already is it.
    bool addRecord(PictureRecord& record);
    bool copySideFile(const std::string& from, const std::string& to) const;
    // The picture of a place without its flags: what moves and parks carry.
    static void copyPicture(AlbumPlace& to, const AlbumPlace& from);
    AlbumPlace& placeAt(int place) { return places_.at(static_cast<size_t>(place - 1)); }
    SaveOutcome writeAlbumFile(const std::string& path) const;
    SaveOutcome writeAlbumRecords(std::FILE* file) const;
    bool unpackRecords(std::FILE* file, int pictures, const std::string& albumPath,
                       PathPrompts& prompts);
    UnpackOutcome unpackRecord(std::FILE* file, PictureRecord& picture);
    void notifyState();
    void markModified();

    std::string programFolder_;
    std::vector<AlbumPlace> places_;
    std::vector<AlbumPlace> parked_ = std::vector<AlbumPlace>(temporarySlots);
    std::string currentName_;
    std::string lastAlbumPath_;
    bool modified_ = false;
    AlbumObserver* observer_ = nullptr;
    int thumbnailScale_ = 1;
};

} // namespace vantrel

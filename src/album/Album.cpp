#include "Album.h"

#include "album/AlbumFile.h"
#include "image/TargetPath.h"
#include "image/Dvf.h"
#include "image/FrameBitmap.h"
#include "image/Resampling.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Ticks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <set>

namespace fs = std::filesystem;

namespace vantrel {

namespace {

constexpr int readAttempts = 3;
constexpr uint32_t retryDelayMs = 100;
constexpr const char* albumExtension = "zal";
constexpr const char* cutListExtension = "qob";
constexpr const char* albumIniName = "TAMRO01.INI";
constexpr const char* settingsFileName = "wyb30.ini";

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

void warnWith(PathPrompts& prompts, std::string_view key)
{
    prompts.closeWaitDialog();
    prompts.warn(key, messageText("TI_MAIN"), messageText(key));
}

bool readExactly(std::FILE* file, uint8_t* into, size_t bytes)
{
    return std::fread(into, 1, bytes, file) == bytes;
}

// The names of the folder's entries, read in one listing: most of the hundred places have no
// file, and asking the system about each of them costs a call apiece. A folder that cannot be
// listed answers that any name may be there.
class FolderNames {
public:
    explicit FolderNames(const std::string& folder)
    {
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
            names_.insert(entry->path().filename().string());
        listed_ = !error;
    }
    bool mayHave(const std::string& name) const { return !listed_ || names_.count(name) > 0; }

private:
    std::set<std::string> names_;
    bool listed_ = false;
};

} // namespace

std::string sideFileName(int place)
{
    if (place < 0 || place > 999)
        return {};
    char name[16];
    std::snprintf(name, sizeof name, "lum%03d.dat", place);
    return name;
}

std::string temporarySlotFileName(int slot)
{
    if (slot < 0 || slot >= temporarySlots)
        return {};
    char name[16];
    std::snprintf(name, sizeof name, "temp%02d.dat", slot);
    return name;
}

Album::Album(std::string folder)
    : programFolder_(folder.empty() ? vantrel::programFolder() : std::move(folder))
{
    places_.reserve(albumMaxPictures); // no moving of every picture while an album fills
}

int Album::selectedCount() const
{
    int selected = 0;
    for (const AlbumPlace& p : places_)
        selected += p.selected ? 1 : 0;
    return selected;
}

void Album::setSelected(int p, bool selected)
{
    places_.at(static_cast<size_t>(p - 1)).selected = selected;
    notifyState();
}

void Album::setHighlighted(int p, bool highlighted)
{
    bool& flag = placeAt(p).highlighted;
    if (flag == highlighted)
        return;
    flag = highlighted;
    if (observer_)
        observer_->highlightChanged(p);
}

void Album::setModified(bool modified)
{
    modified_ = modified;
    notifyState();
}

void Album::setCurrentName(const std::string& name)
{
    currentName_ = name;
    notifyState();
}

std::string Album::sideFilePath(int p) const
{
    const std::string name = sideFileName(p);
    if (name.empty())
        return {};
    return programFolder_ + "/" + name;
}

std::string Album::temporarySlotPath(int slot) const
{
    const std::string name = temporarySlotFileName(slot);
    return name.empty() ? std::string() : programFolder_ + "/" + name;
}

void Album::copyPicture(AlbumPlace& to, const AlbumPlace& from)
{
    to.timeCode = from.timeCode;
    to.system = from.system;
    to.wide = from.wide;
    to.thumbnail = from.thumbnail;
}

void Album::movePlace(int destination, int source)
{
    if (destination < 1 || destination > albumMaxPictures || source < 1 || source > count() ||
        destination == source)
        return;
    if (destination > count())
        places_.resize(static_cast<size_t>(destination));
    AlbumPlace& to = placeAt(destination);
    const AlbumPlace& from = place(source);
    to.timeCode = from.timeCode;
    if (!from.thumbnail.isNull()) {
        copyPicture(to, from);
        copySideFile(sideFilePath(source), sideFilePath(destination));
        markModified();
    }
    if (observer_)
        observer_->placeChanged(destination);
}

void Album::park(int slot, int source)
{
    if (slot < 0 || slot >= temporarySlots || source < 1 || source > count())
        return;
    const AlbumPlace& from = place(source);
    copyPicture(parked_[static_cast<size_t>(slot)], from);
    if (!from.thumbnail.isNull())
        copySideFile(sideFilePath(source), temporarySlotPath(slot));
}

void Album::unpark(int slot, int destination)
{
    if (slot < 0 || slot >= temporarySlots)
        return;
    const std::string parkedFile = temporarySlotPath(slot);
    if (destination < 1 || destination > albumMaxPictures) {
        std::remove(parkedFile.c_str());
        return;
    }
    if (destination > count())
        places_.resize(static_cast<size_t>(destination));
    copyPicture(placeAt(destination), parked_[static_cast<size_t>(slot)]);
    // Renaming is the copy and the deletion in one step.
    std::rename(parkedFile.c_str(), sideFilePath(destination).c_str());
    markModified();
    if (observer_)
        observer_->placeChanged(destination);
}

void Album::removeLastPlaces(int pictures)
{
    pictures = std::clamp(pictures, 0, count());
    if (pictures == 0)
        return;
    for (int p = count() - pictures + 1; p <= count(); ++p) {
        const std::string side = sideFilePath(p);
        resetAttributes(side);
        std::remove(side.c_str());
    }
    places_.resize(static_cast<size_t>(count() - pictures));
    if (observer_)
        observer_->placesRemoved(count());
    markModified();
}

void Album::markModified()
{
    if (modified_)
        return;
    modified_ = true;
    notifyState();
}

void Album::notifyState()
{
    if (observer_)
        observer_->albumStateChanged();
}

bool Album::readWithRetries(PictureRecord& record)
{
    for (int attempt = 1; attempt <= readAttempts; ++attempt) {
        if (readPictureFile(record) && record.frame)
            return true;
        if (attempt < readAttempts)
            Delay(retryDelayMs);
    }
    return false;
}

// The thumbnail of a record's frame at the album's scale (one eighth of the frame, or one
// quarter at scale 2, reduced to square pixels); a null image when the frame does not decode.
QImage Album::decodeThumbnail(PictureRecord& record) const
{
    FrameBitmap bitmap;
    if (decodeIntoBitmapAt(record, bitmap, 8 / thumbnailScale_, correctionNone) != dvcOk)
        return {};
    thumbnailReduction(bitmap);
    QImage thumbnail = bitmap.toImage();
    thumbnail.setDevicePixelRatio(thumbnailScale_);
    return thumbnail;
}

bool Album::addPicture(const std::string& path)
{
    if (full())
        return false;
    PictureRecord record;
    record.path = path;
    return readWithRetries(record) && addRecord(record);
}

bool Album::addRecord(PictureRecord& record)
{
    AlbumPlace added;
    added.timeCode = record.timeCode;
    added.system = record.system;
    added.wide = record.wide;
    added.thumbnail = decodeThumbnail(record);
    if (added.thumbnail.isNull())
        return false;
    const std::string side = sideFilePath(count() + 1);
    // A restored picture is its own side file: the same name needs no asking the system.
    if (record.path != side && !sameFile(record.path, side) && !copySideFile(record.path, side))
        return false;
    places_.push_back(std::move(added));
    modified_ = true;
    notifyState();
    if (observer_)
        observer_->pictureAdded(count());
    return true;
}

bool Album::copySideFile(const std::string& from, const std::string& to) const
{
    resetAttributes(from);
    std::vector<uint8_t> bytes;
    if (!readWholeFile(from, bytes))
        return false;
    const FilePart part{bytes.data(), bytes.size()};
    if (!replaceFileWhole(to, &part, 1))
        return false;
    copyModificationTime(from, to); // the copy stays as old as the picture
    return true;
}

bool Album::saveAlbum(const std::string& path, bool ask, PathPrompts& prompts)
{
    // A work file left by a save that was killed would hold disk space the check counts.
    std::remove((pathWithForcedExtension(path, albumExtension) + partSuffix).c_str());
    const std::string target = targetPathCheck(path, albumExtension,
                                               count() * albumBytesPerPicture, ask, prompts);
    if (target.empty())
        return false;
    SaveOutcome outcome = saveNotCreated;
    const bool replaced = replaceFileThrough(target, [&](const std::string& workFile) {
        outcome = writeAlbumFile(workFile);
        return outcome == saveWritten;
    });
    if (!replaced) {
        warnWith(prompts, outcome == saveWriteFailed ? "MSG_NODISK" : "MSG_INPUT");
        return false;
    }
    lastAlbumPath_ = target;
    modified_ = false;
    notifyState();
    // The album is saved whatever becomes of its cut list, which reports its own failure.
    writeCutList(target, prompts);
    return true;
}

Album::SaveOutcome Album::writeAlbumFile(const std::string& path) const
{
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return saveNotCreated;
    const SaveOutcome outcome = writeAlbumRecords(file.get());
    return std::fclose(file.release()) == 0 ? outcome : saveWriteFailed;
}

Album::SaveOutcome Album::writeAlbumRecords(std::FILE* file) const
{
    const auto header = albumFileHeader(count());
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size())
        return saveWriteFailed;
    // One frame buffer for every record: its header blocks stay zero.
    std::unique_ptr<uint8_t[]> frame(new (std::nothrow) uint8_t[frameLayoutBytes]());
    if (!frame)
        return saveWriteFailed;
    std::array<uint8_t, dvfHeaderBytes> pictureHeader{};
    for (int p = 1; p <= count(); ++p) {
        if (!readPictureFrame(sideFilePath(p), pictureHeader, frame.get()))
            return saveSideFileUnreadable;
        const size_t frameBytes = static_cast<size_t>(recordFrameBytes(pictureHeader[10]));
        if (std::fwrite(pictureHeader.data(), 1, dvfHeaderBytes, file) != dvfHeaderBytes ||
            std::fwrite(frame.get(), 1, frameBytes, file) != frameBytes)
            return saveWriteFailed;
    }
    return saveWritten;
}

bool Album::writeCutList(const std::string& path, PathPrompts& prompts)
{
    const std::string target = targetPathCheck(
        path, cutListExtension, static_cast<uint64_t>(cutListLineBytes) * count() + 4, false, prompts);
    if (target.empty())
        return false;
    std::vector<std::string> timeCodes;
    for (const AlbumPlace& p : places_)
        timeCodes.push_back(p.timeCode);
    const std::string text = cutListText(timeCodes);
    const FilePart part{reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    if (replaceFileWhole(target, &part, 1))
        return true;
    warnWith(prompts, "MSG_NODISK");
    return false;
}

std::string albumPathToOpen(const std::string& path)
{
    const std::string extension = extensionOf(path);
    return extension == "ZAL" || extension == "zal" ? path : path + ".ZAL";
}

bool Album::openAlbum(const std::string& requested, PathPrompts& prompts)
{
    const std::string path = albumPathToOpen(requested);
    if (!folderCheck(path) || !fileExists(path)) {
        prompts.warn("MSG_INPUT", messageText("TI_MAIN"), messageText("MSG_INPUT"));
        return false;
    }
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    uint8_t headerBytes[albumHeaderBytes] = {};
    const AlbumFileHeader header =
        parseAlbumHeader(headerBytes, std::fread(headerBytes, 1, sizeof headerBytes, file.get()));
    if (!header.isAlbum || std::fseek(file.get(), header.firstRecord, SEEK_SET) != 0)
        return false;
    if (!unpackRecords(file.get(), header.pictures, path, prompts))
        return false;
    IniFile(programFolder_ + "/" + albumIniName).write("Directories", "Album", path);
    lastAlbumPath_ = path;
    return true;
}

// A record that is no usable picture is passed over, so the pictures after it still come in;
// "MSG_INPUT" says so once at the end. Only a file that ends inside a record stops the open.
// An album file keeps no time for its pictures: each takes the album file's, the latest moment
// it can have been captured or imported.
bool Album::unpackRecords(std::FILE* file, int pictures, const std::string& albumPath,
                          PathPrompts& prompts)
{
    bool skipped = false;
    for (int record = 0; record < pictures; ++record) {
        if (full()) {
            warnWith(prompts, "MSG_OVER");
            return false;
        }
        PictureRecord picture;
        picture.path = sideFilePath(count() + 1);
        switch (unpackRecord(file, picture)) {
        case unpackTruncated:
            warnWith(prompts, "MSG_INPUT");
            return false;
        case unpackNotWritten:
            return false;
        case unpackNoPicture:
            skipped = true;
            break;
        case unpackWritten:
            copyModificationTime(albumPath, picture.path);
            if (!addRecord(picture)) {
                std::remove(picture.path.c_str());
                skipped = true;
            }
        }
    }
    if (skipped)
        warnWith(prompts, "MSG_INPUT");
    return true;
}

// Reads one record whole into `picture` (frame layout, time code, aspect) and writes it as the
// side file picture.path. A record cut short, or one without a DVF header (read whole, by the
// size its header gives, so the next record is found), writes nothing.
Album::UnpackOutcome Album::unpackRecord(std::FILE* file, PictureRecord& picture)
{
    picture.frame.reset(new (std::nothrow) uint8_t[frameLayoutBytes]());
    if (!picture.frame)
        return unpackNotWritten;
    uint8_t* frame = picture.frame.get();
    const uint8_t* header = picture.header.data();
    if (!readExactly(file, picture.header.data(), picture.header.size()) ||
        !readExactly(file, frame, static_cast<size_t>(recordFrameBytes(header[10]))))
        return unpackTruncated;
    if (std::memcmp(header, "DVF", 3) != 0)
        return unpackNoPicture;
    if (!writeSideFileOfRecord(picture.path, header, frame))
        return unpackNotWritten;
    picture.system = header[10] & 0x0F;
    picture.wide = isWideFrame(frame);
    picture.timeCode = frameTimeCode(frame, recordFrameBytes(header[10]) / dvSequenceBytes);
    return unpackWritten;
}

std::vector<std::string> Album::filesToRestore() const
{
    const FolderNames names(programFolder_);
    std::vector<std::string> files;
    for (int p = 1; p <= albumMaxPictures; ++p)
        if (names.mayHave(sideFileName(p)) && fileExists(sideFilePath(p)))
            files.push_back(sideFilePath(p));
    // Pictures parked by an edit that never ended come back after the others.
    for (int slot = 0; slot < temporarySlots; ++slot)
        if (names.mayHave(temporarySlotFileName(slot)) && fileExists(temporarySlotPath(slot)))
            files.push_back(temporarySlotPath(slot));
    return files;
}

bool Album::restorePicture(const std::string& file)
{
    if (full())
        return false;
    // A gap closes up: the file moves down to the next free place. One that does not read is
    // passed over, so that the pictures after it still come back.
    const std::string place = sideFilePath(count() + 1);
    return (file == place || std::rename(file.c_str(), place.c_str()) == 0) && addPicture(place);
}

int Album::restoreFromSideFiles()
{
    for (const std::string& file : filesToRestore())
        restorePicture(file);
    return count();
}

void Album::clear()
{
    places_.clear();
    currentName_.clear();
    modified_ = false;
    deleteStaleSideFiles();
    if (observer_)
        observer_->albumCleared();
    notifyState();
}

namespace {

// "wyb30.ini.Ab12Cd": a settings file's name, a '.', the six characters of a unique work file.
bool isSettingsWorkFile(const std::string& name)
{
    constexpr size_t uniqueTail = 7;
    if (name.size() <= uniqueTail || name[name.size() - uniqueTail] != '.')
        return false;
    const std::string replaced = name.substr(0, name.size() - uniqueTail);
    return replaced == settingsFileName || replaced == albumIniName;
}

bool isWorkFile(const std::string& name)
{
    return name.ends_with(partSuffix) || isSettingsWorkFile(name) || name == conversionWorkFile;
}

} // namespace

void Album::removeStaleWorkFiles() const
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder_, error)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored) && isWorkFile(entry.path().filename().string()))
            std::filesystem::remove(entry.path(), ignored);
    }
}

void Album::deleteStaleSideFiles()
{
    const FolderNames names(programFolder_);
    const auto removeIfThere = [&](const std::string& name) {
        if (names.mayHave(name))
            std::remove((programFolder_ + "/" + name).c_str());
    };
    for (int p = 1; p <= sideFilePlaces; ++p) {
        const std::string side = sideFileName(p);
        removeIfThere(side + partSuffix); // left by a copy that never ended
        removeIfThere(temporarySlotFileName(p - 1) + partSuffix);
        if (p > count() && names.mayHave(side)) {
            resetAttributes(sideFilePath(p));
            removeIfThere(side);
        }
    }
}

} // namespace vantrel

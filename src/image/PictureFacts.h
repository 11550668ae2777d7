#pragma once
#include "image/DvFrame.h"
#include "image/RecordingDate.h"

#include <ctime>
#include <optional>
#include <string>

class QByteArray;

namespace vantrel {

struct PictureRecord;

// What a saved picture carries of the DV frame it came from, so that it still tells where on
// which tape it was taken once it has left the album.
struct PictureFacts {
    std::string timeCode; // "hh:mm:ss:ff"; "--:--:--:--" writes no time code
    DvSystem system = dvSystem525;
    bool wide = false;
    std::optional<std::time_t> digitized;  // when the picture was captured or imported
    std::optional<RecordingDate> recorded; // when it was shot, from the frame's packs
};

// The facts of a read picture. The picture's file was written when it was captured or
// imported, and the album keeps that time on its side files: the file's modification time.
PictureFacts pictureFactsOf(const PictureRecord& record);

// The frames of a second of the system's time code: 30 or 25.
int timeCodeRate(DvSystem system);
// "Time code 01:02:03:04", as the EXIF user comment holds it.
std::string timeCodeComment(const std::string& timeCode);
// "Vantrel 3.0.0.1"
std::string softwareName();

// Puts the facts into the bytes of a whole JPEG or PNG file as EXIF and XMP, replacing what
// metadata it had, so that the file is written once with them. False when the bytes are no
// such picture; they are then left as they were.
bool putPictureFacts(QByteArray& picture, const PictureFacts& facts);

} // namespace vantrel

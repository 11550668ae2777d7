#pragma once
#include "SaveProgress.h"
#include "image/Conversions.h"
#include "image/ImageSettings.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class PathPrompts;

// What the save dialog is prepared with for one picture.
struct ImageSaveDialog {
    std::string folder;           // the starting folder
    std::string proposedName;     // "lum07.jpg"; empty for an unknown format
    std::string defaultExtension; // "jpg", "bmp" or "dvf"
    QString filter;               // "JPEG Files (*.jpg)"
};

// The windows Save Image As talks to: the main window's save dialog and questions, the wait
// dialog of the batch, and the main and controller windows disabled while it runs.
class ImageSaveWindows : public SaveProgress {
public:
    // The chosen file, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> chooseImageFile(const ImageSaveDialog& dialog) = 0;
    // A Yes/No question captioned with the window title; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    virtual void setWindowsEnabled(bool) {}
};

// "lum07.jpg": image files carry the place in two digits, with the format's extension.
std::string imageFileName(int place, int format);

// How the pictures of a batch are named: by place (lum07.png), by time code
// (lum07_00-01-02-03.png) or by recording date (lum07_2004-07-18_10-20-30.png, by place alone
// for a picture without one).
enum class ImageNaming { number, timeCode, recorded };
std::string batchImageName(const std::string& sideFile, int place, int format, ImageNaming naming);

struct ImageBatch {
    std::string folder;
    ImageNaming naming = ImageNaming::number;
    bool ask = false; // ask before replacing a file (the batch of Save Image As does not)
    // Where a failed write is told (the windows); without, the caller tells it (the command line).
    PathPrompts* failures = nullptr;
};
// Pictures saved before the batch and the whole count, for the gauge.
struct BatchCount {
    int done = 0;
    int total = 0;
};
// Saves the side files of `places` into the batch's folder in the settings' format, showing
// progress; stops at Stop or at the first picture that fails. Returns the pictures saved.
int saveImageBatch(const std::vector<std::string>& sideFiles, const std::vector<int>& places,
                   const ImageSettings& settings, const ImageBatch& batch, SaveProgress& progress,
                   const TargetPathCheck& check, BatchCount count);

// The dialog for album place `place` in the save format `format`, starting in `folder`.
ImageSaveDialog imageSaveDialog(int place, int format, const std::string& folder);

// Saves the side files of the selected places (ascending), each through the dialog, offering
// the rest as one batch when the first kept its proposed name. `lastImagePath` starts the
// dialogs and takes each file chosen. Returns the number of pictures saved.
int saveAlbumImages(const std::vector<std::string>& sideFiles, const std::vector<int>& selectedPlaces,
                    const ImageSettings& settings, std::string& lastImagePath,
                    ImageSaveWindows& windows, PathPrompts& prompts);

} // namespace vantrel

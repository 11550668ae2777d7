#pragma once
#include "SaveProgress.h"
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

// The dialog for album place `place` in the save format `format`, starting in `folder`.
ImageSaveDialog imageSaveDialog(int place, int format, const std::string& folder);

// Saves the side files of the selected places (ascending), each through the dialog, offering
// the rest as one batch when the first kept its proposed name. `lastImagePath` starts the
// dialogs and takes each file chosen. Returns the number of pictures saved.
int saveAlbumImages(const std::vector<std::string>& sideFiles, const std::vector<int>& selectedPlaces,
                    const ImageSettings& settings, std::string& lastImagePath,
                    ImageSaveWindows& windows, PathPrompts& prompts);

} // namespace vantrel

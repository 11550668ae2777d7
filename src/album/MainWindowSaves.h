#pragma once
#include "album/ImageSaving.h"

namespace vantrel {

class TfrmCptMain;

// Save Image As and Make HTML Album as the main window runs them: its dialogs and questions,
// the wait dialog with gauge and Stop, and the main and controller windows disabled.
class MainWindowSaves : public ImageSaveWindows {
public:
    explicit MainWindowSaves(TfrmCptMain& window) : window_(window) {}

    // The selected pictures, each through the save dialog, or as one batch.
    void saveSelectedImages();
    // The index page chosen in the save dialog, the title from the title dialog, then the
    // export of the selected pictures (all when none is selected).
    void makeHtmlAlbum();

    std::optional<std::string> chooseImageFile(const ImageSaveDialog& dialog) override;
    bool askYesNo(const QString& text) override;
    void setWindowsEnabled(bool enabled) override;
    void begin() override;
    void setPercent(int percent) override;
    bool takeStopRequest() override;
    void serviceEvents() override;
    void end() override;

private:
    std::vector<std::string> sideFiles() const;
    std::vector<int> selectedPlaces() const;

    TfrmCptMain& window_;
};

} // namespace vantrel

#pragma once
#include "image/TargetPath.h"
#include "i18n/LanguageTable.h"
#include "image/BackColour.h"
#include "image/DvCodec.h"
#include "image/FullImage.h"
#include "image/ImageType.h"
#include "image/ImageWindowsHost.h"
#include "image/ViewBtn.h"
#include "support/TempFolder.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {

// An album of DVF side files in the temporary program folder.
struct FolderAlbum : ViewerAlbum {
    int count() const override { return pictures; }
    std::string sideFilePath(int place) const override;
    int firstSelectedPlace() const override { return selected; }

    std::string folder;
    int pictures = 0;
    int selected = 0;
};

struct YesPrompts : PathPrompts {
    bool askYesNo(const QString&, const QString&) override { return true; }
    void warn(std::string_view key, const QString&, const QString&) override { warnings.emplace_back(key); }
    std::vector<std::string> warnings;
};

struct RecordingHost : ImageWindowsHost {
    const ViewerAlbum& album() const override { return pictures; }
    PathPrompts& prompts() override { return answers; }
    uint32_t backColour() const override { return colour; }
    void setBackColour(uint32_t value) override { colour = value; }
    void setDeleteShortcutEnabled(bool enabled) override { deleteShortcut.push_back(enabled); }
    void closeController() override { ++controllerClosed; }
    void saveWindowPosition(const QWidget& window) override;
    void restoreWindowPosition(QWidget& window, bool sizeable) override;

    FolderAlbum pictures;
    YesPrompts answers;
    uint32_t colour = defaultBackColour;
    std::vector<bool> deleteShortcut;
    int controllerClosed = 0;
};

// The three image windows over a program folder with the shipped language files; `ini` is
// written as wyb30.ini before the settings window reads it.
class ImageWindowsRig {
public:
    explicit ImageWindowsRig(const std::string& ini = "");
    ~ImageWindowsRig();

    // Appends a picture of the test pattern as the next place's side file.
    void addPicture(DvSystem system, bool wide);
    std::string file(const std::string& name) const { return folder.file(name); }
    std::string iniText() const;

    TempProgramFolder folder;
    LanguageTable language;
    RecordingHost host;
    ImageSettings activeSettings;
    std::unique_ptr<TfrmImageType> settings;
    std::unique_ptr<TfrmViewBtn> buttonBar;
    std::unique_ptr<TfrmFullImage> viewer;

private:
    LanguageTable* previous_ = nullptr;
};

} // namespace vantrel::test

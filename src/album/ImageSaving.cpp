#include "ImageSaving.h"

#include "image/TargetPath.h"
#include "image/Conversions.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vantrel {

namespace {

struct SaveFormatRow {
    int format;
    const char* extension;
    const char* filterKey;
};

constexpr SaveFormatRow saveFormatRows[] = {
    {saveAsJpeg, "jpg", "FL_JPG"},
    {saveAsBitmap, "bmp", "FL_BMP"},
    {saveAsDvf, "dvf", "FL_DVF"},
};

const SaveFormatRow* saveFormatRow(int format)
{
    for (const auto& row : saveFormatRows)
        if (row.format == format)
            return &row;
    return nullptr;
}

// Image files carry the place in two digits: lum07.jpg.
std::string imageName(int place, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "lum%02d.%s", place, extension);
    return name;
}

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool sameWithoutCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

class AlbumImageSave {
public:
    AlbumImageSave(const std::vector<std::string>& sideFiles, const std::vector<int>& selected,
                   const ImageSettings& settings, ImageSaveWindows& windows, PathPrompts& prompts)
        : sideFiles(sideFiles), selected(selected), settings(settings), windows(windows),
          check(targetPathCheckWith(prompts))
    {
    }

    int run(std::string& lastImagePath)
    {
        for (size_t i = 0; i < selected.size(); ++i) {
            const int place = selected[i];
            const ImageSaveDialog dialog =
                imageSaveDialog(place, settings.Format, folderOf(lastImagePath));
            const auto chosen = windows.chooseImageFile(dialog);
            if (!chosen) {
                if (selected.size() == 1 || askToStop())
                    break;
                continue;
            }
            windows.serviceEvents();
            if (!save(place, *chosen, true))
                break;
            lastImagePath = *chosen;
            if (selected.size() == 1)
                break;
            if (sameWithoutCase(fileNameOf(*chosen), dialog.proposedName) &&
                windows.askYesNo(messageText("MSG_IMG_SAVE"))) {
                saveBatch(i, folderOf(*chosen));
                break;
            }
        }
        return saved;
    }

private:
    bool askToStop()
    {
        windows.serviceEvents();
        return windows.askYesNo(messageText("MSG_STOP_SAVE"));
    }

    bool save(int place, const std::string& target, bool ask)
    {
        if (!convertPictureFile(sideFiles[place - 1], target, settings.Format, ask, settings, check))
            return false;
        ++saved;
        return true;
    }

    // The selected places after selected[first], each as folder/lumNN.ext without a question.
    void saveBatch(size_t first, const std::string& folder)
    {
        const SaveFormatRow* row = saveFormatRow(settings.Format);
        windows.setPercent(0);
        windows.begin();
        int batch = 1;
        for (size_t i = first + 1; i < selected.size(); ++i) {
            windows.serviceEvents();
            if (windows.takeStopRequest())
                break;
            if (!save(selected[i], folder + "/" + imageName(selected[i], row->extension), false))
                break;
            windows.setPercent(++batch * 100 / static_cast<int>(selected.size()));
            windows.serviceEvents();
        }
        windows.end();
        windows.serviceEvents();
    }

    const std::vector<std::string>& sideFiles;
    const std::vector<int>& selected;
    const ImageSettings& settings;
    ImageSaveWindows& windows;
    const TargetPathCheck check;
    int saved = 0;
};

} // namespace

ImageSaveDialog imageSaveDialog(int place, int format, const std::string& folder)
{
    ImageSaveDialog dialog{folder, {}, {}, {}};
    if (const SaveFormatRow* row = saveFormatRow(format)) {
        dialog.proposedName = imageName(place, row->extension);
        dialog.defaultExtension = row->extension;
        dialog.filter = messageText(row->filterKey) + QString(" (*.%1)").arg(row->extension);
    }
    return dialog;
}

int saveAlbumImages(const std::vector<std::string>& sideFiles, const std::vector<int>& selectedPlaces,
                    const ImageSettings& settings, std::string& lastImagePath,
                    ImageSaveWindows& windows, PathPrompts& prompts)
{
    if (!folderCheck(lastImagePath))
        lastImagePath = programFolder() + "/";
    windows.setWindowsEnabled(false);
    AlbumImageSave action(sideFiles, selectedPlaces, settings, windows, prompts);
    const int saved = action.run(lastImagePath);
    windows.setWindowsEnabled(true);
    return saved;
}

} // namespace vantrel

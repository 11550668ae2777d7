#include "ImageSaving.h"

#include "image/TargetPath.h"
#include "image/Conversions.h"
#include "image/Dvf.h"
#include "platform/Paths.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vantrel {

namespace {

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// One picture in the settings' format; a failure the check did not tell is told through
// `failures` when there are any.
bool savePictureOf(const std::string& sideFile, const std::string& target, bool ask,
                   const ImageSettings& settings, const TargetPathCheck& check, PathPrompts* failures)
{
    const auto convert = [&](const TargetPathCheck& asked) {
        return convertPictureFile(sideFile, target, settings.Format, ask, settings, asked);
    };
    return failures ? saveTellingFailure(check, *failures, convert) : convert(check);
}

class AlbumImageSave {
public:
    AlbumImageSave(const std::vector<std::string>& sideFiles, const std::vector<int>& selected,
                   const ImageSettings& settings, ImageSaveWindows& windows, PathPrompts& prompts)
        : sideFiles(sideFiles), selected(selected), settings(settings), windows(windows),
          prompts(prompts), check(targetPathCheckWith(prompts))
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
            if (equalsIgnoringCase(fileNameOf(*chosen), dialog.proposedName) &&
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
        if (!savePictureOf(sideFiles[place - 1], target, ask, settings, check, &prompts))
            return false;
        ++saved;
        return true;
    }

    // The selected places after selected[first], each as folder/lumNN.ext without a question.
    void saveBatch(size_t first, const std::string& folder)
    {
        const std::vector<int> rest(selected.begin() + static_cast<long>(first) + 1, selected.end());
        const ImageBatch batch{folder, ImageNaming::number, false, &prompts};
        saved += saveImageBatch(sideFiles, rest, settings, batch, windows, check,
                                {1, static_cast<int>(selected.size())});
    }

    const std::vector<std::string>& sideFiles;
    const std::vector<int>& selected;
    const ImageSettings& settings;
    ImageSaveWindows& windows;
    PathPrompts& prompts;
    const TargetPathCheck check;
    int saved = 0;
};

// "_00-01-02-03": no colons, which file systems and web servers mishandle.
std::string timeCodeSuffix(const std::string& timeCode)
{
    std::string suffix = "_" + timeCode;
    std::replace(suffix.begin(), suffix.end(), ':', '-');
    return suffix;
}

std::string recordingSuffix(const RecordingDate& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "_%04d-%02d-%02d_%02d-%02d-%02d", date.year, date.month,
                  date.day, date.hour, date.minute, date.second);
    return text;
}

std::string namingSuffix(const std::string& sideFile, ImageNaming naming)
{
    if (naming == ImageNaming::number)
        return {};
    PictureRecord record;
    record.path = sideFile;
    if (!readPictureFile(record))
        return {};
    if (naming == ImageNaming::timeCode)
        return timeCodeSuffix(record.timeCode);
    return record.recorded ? recordingSuffix(*record.recorded) : std::string();
}

} // namespace

std::string imageFileName(int place, int format)
{
    char name[32];
    std::snprintf(name, sizeof name, "lum%02d", place);
    const SaveFormatRow* row = saveFormatRow(format);
    return std::string(name) + "." + (row ? row->extension : "");
}

std::string batchImageName(const std::string& sideFile, int place, int format, ImageNaming naming)
{
    const std::string byNumber = imageFileName(place, format);
    const size_t dot = byNumber.rfind('.');
    // The place stays in every name, so two pictures of the same facts never share one.
    return byNumber.substr(0, dot) + namingSuffix(sideFile, naming) + byNumber.substr(dot);
}

int saveImageBatch(const std::vector<std::string>& sideFiles, const std::vector<int>& places,
                   const ImageSettings& settings, const ImageBatch& batch, SaveProgress& progress,
                   const TargetPathCheck& check, BatchCount count)
{
    progress.setPercent(0);
    progress.begin();
    int saved = 0;
    for (const int place : places) {
        progress.serviceEvents();
        if (progress.takeStopRequest())
            break;
        const std::string& side = sideFiles[place - 1];
        const std::string target =
            batch.folder + "/" + batchImageName(side, place, settings.Format, batch.naming);
        if (!savePictureOf(side, target, batch.ask, settings, check, batch.failures))
            break;
        ++saved;
        progress.setPercent((count.done + saved) * 100 / std::max(count.total, 1));
        progress.serviceEvents();
    }
    progress.end();
    progress.serviceEvents();
    return saved;
}

ImageSaveDialog imageSaveDialog(int place, int format, const std::string& folder)
{
    ImageSaveDialog dialog{folder, {}, {}, {}};
    if (const SaveFormatRow* row = saveFormatRow(format)) {
        dialog.proposedName = imageFileName(place, format);
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

#include "MainWindowSaves.h"

#include "album/Cptmain.h"
#include "album/HtmlExport.h"
#include "album/MainDialogs.h"
#include "i18n/LanguageTable.h"
#include "platform/Paths.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>

namespace vantrel {

std::vector<std::string> MainWindowSaves::sideFiles() const
{
    std::vector<std::string> files;
    for (int place = 1; place <= window_.album.count(); ++place)
        files.push_back(window_.album.sideFilePath(place));
    return files;
}

std::vector<int> MainWindowSaves::selectedPlaces() const
{
    std::vector<int> places;
    for (int place = 1; place <= window_.album.count(); ++place)
        if (window_.album.place(place).selected)
            places.push_back(place);
    return places;
}

void MainWindowSaves::saveSelectedImages()
{
    const std::vector<int> selected = selectedPlaces();
    if (selected.empty())
        return;
    saveAlbumImages(sideFiles(), selected, window_.imageSettings, window_.lastImagePath_, *this,
                    window_.dialogs());
}

void MainWindowSaves::makeHtmlAlbum()
{
    if (window_.album.count() == 0)
        return;
    std::string& lastHtmlPath = window_.lastHtmlPath_;
    if (!folderCheck(lastHtmlPath))
        lastHtmlPath = programFolder() + "/";
    const std::string proposed = freeAlbumName(folderOf(lastHtmlPath) + "/Album00.htm");
    const QString chosen = window_.dialogs().chooseHtmlIndex(
        QString::fromStdString(folderOf(lastHtmlPath)),
        QString::fromStdString(proposed.substr(proposed.rfind('/') + 1)));
    if (chosen.isEmpty())
        return;
    lastHtmlPath = chosen.toStdString();
    window_.lastHtmlAlbum_ = chosen;
    window_.updateMenuStates();
    const std::optional<QString> title = window_.dialogs().askHtmlTitle();
    QCoreApplication::processEvents();
    if (!title)
        return;
    const HtmlAlbumSource source{sideFiles(), selectedPlaces()};
    window_.setWindowsEnabled(false);
    exportHtmlAlbum(lastHtmlPath, title->toStdString(), true, window_.backColor(), source,
                    window_.dialogs(), *this);
    window_.setWindowsEnabled(true);
}

std::optional<std::string> MainWindowSaves::chooseImageFile(const ImageSaveDialog& dialog)
{
    const QString chosen = window_.dialogs().chooseImageToSave(dialog);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

bool MainWindowSaves::askYesNo(const QString& text)
{
    return window_.dialogs().askYesNo(window_.title, text);
}

void MainWindowSaves::setWindowsEnabled(bool enabled)
{
    window_.setWindowsEnabled(enabled);
}

void MainWindowSaves::begin()
{
    if (!window_.wait_)
        return;
    const QString caption = textForKey("MB_TI_SAVE");
    takeStopRequest();
    sendMessage(window_.wait_, Msg::WaitShow, reinterpret_cast<intptr_t>(&caption),
                WaitShowFlag::Gauge | WaitShowFlag::Stop);
}

void MainWindowSaves::setPercent(int percent)
{
    if (window_.wait_)
        sendMessage(window_.wait_, Msg::WaitPercent, percent);
}

bool MainWindowSaves::takeStopRequest()
{
    return window_.waitStop_ && window_.waitStop_->exchange(false);
}

void MainWindowSaves::serviceEvents()
{
    QCoreApplication::processEvents();
}

void MainWindowSaves::end()
{
    window_.closeWait();
}

} // namespace vantrel

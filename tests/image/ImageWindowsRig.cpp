#include "ImageWindowsRig.h"

#include "Frames.h"

#include "platform/WindowPosition.h"
#include "platform/Profile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel::test {

std::string FolderAlbum::sideFilePath(int place) const
{
    char name[16];
    std::snprintf(name, sizeof name, "lum%03d.dat", place);
    return folder + "/" + name;
}

void RecordingHost::saveWindowPosition(const QWidget& window)
{
    CProfile profile;
    vantrel::saveWindowPosition(profile, window);
}

void RecordingHost::restoreWindowPosition(QWidget& window, bool sizeable)
{
    vantrel::restoreWindowPosition(CProfile(), window, sizeable);
}

ImageWindowsRig::ImageWindowsRig(const std::string& ini)
{
    for (const char* name : {"wyb.cpt", "wyb.sty"})
        std::filesystem::copy_file(std::string(VANTREL_RESOURCE_DIR) + "/" + name, folder.file(name));
    if (!ini.empty())
        std::ofstream(folder.file("wyb30.ini")) << ini;
    language.loadFromProgramFolder();
    previous_ = setLanguageTable(&language);
    DvcLoad();
    host.pictures.folder = folder.path();
    settings = std::make_unique<TfrmImageType>(host, activeSettings);
    buttonBar = std::make_unique<TfrmViewBtn>();
    viewer = std::make_unique<TfrmFullImage>(host, *buttonBar, settings->active);
    settings->setViewer(viewer.get());
    viewer->settingsWindow = settings.get();
}

ImageWindowsRig::~ImageWindowsRig()
{
    viewer.reset();
    buttonBar.reset();
    settings.reset();
    setLanguageTable(previous_);
}

void ImageWindowsRig::addPicture(DvSystem system, bool wide)
{
    ++host.pictures.pictures;
    writeTestDvf(host.pictures.sideFilePath(host.pictures.pictures), system, wide);
}

std::string ImageWindowsRig::iniText() const
{
    std::ifstream in(folder.file("wyb30.ini"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace vantrel::test

#include "Album.h"

#include "album/TargetPath.h"
#include "image/Dvf.h"
#include "platform/Paths.h"

#include <cstdio>

namespace vantrel {

std::string sideFileName(int place)
{
    if (place < 0 || place > 999)
        return {};
    char name[16];
    std::snprintf(name, sizeof name, "lum%03d.dat", place);
    return name;
}

Album::Album(std::string folder)
    : programFolder_(folder.empty() ? vantrel::programFolder() : std::move(folder))
{
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
    places_.at(static_cast<size_t>(p - 1)).highlighted = highlighted;
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

void Album::notifyState()
{
    if (observer_)
        observer_->albumStateChanged();
}

bool Album::addPicture(const std::string&) { return false; }
bool Album::saveAlbum(const std::string&, bool, PathPrompts&) { return false; }
bool Album::writeCutList(const std::string&, PathPrompts&) { return false; }
bool Album::openAlbum(const std::string&, PathPrompts&) { return false; }
int Album::restoreFromSideFiles() { return count(); }
void Album::clear() {}
void Album::deleteStaleSideFiles() {}

} // namespace vantrel

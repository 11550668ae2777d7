#pragma once
#include <cstdint>
#include <string>

class QWidget;

namespace vantrel {

class PathPrompts;

// What the viewer and the settings window read of the album: the picture count, the side
// file of a place and the selection.
class ViewerAlbum {
public:
    virtual ~ViewerAlbum() = default;
    virtual int count() const = 0;
    // The side file of place 1..count().
    virtual std::string sideFilePath(int place) const = 0;
    // The first selected place; 0 when no picture is selected.
    virtual int firstSelectedPlace() const = 0;
};

// What the image windows ask of the main window. The defaults do nothing, so the windows
// also run without one (tests, the start before the main window is wired).
class ImageWindowsHost {
public:
    virtual ~ImageWindowsHost() = default;
    virtual const ViewerAlbum& album() const = 0;
    // The questions and warnings of the target path check, owned by the main window.
    virtual PathPrompts& prompts() = 0;

    // The last path an image was saved to, shared with the main window's Save Image As.
    virtual std::string lastSavePath() const { return lastSavePath_; }
    virtual void setLastSavePath(const std::string& path) { lastSavePath_ = path; }
    // The colour of the index area: a colour value 0x00BBGGRR or a system colour.
    virtual uint32_t backColour() const = 0;
    virtual void setBackColour(uint32_t colour) = 0;
    // Delete in the settings window must never delete album pictures.
    virtual void setDeleteShortcutEnabled(bool) {}
    // The window position store of the settings file, under the window's name.
    virtual void saveWindowPosition(const QWidget&) {}
    virtual void restoreWindowPosition(QWidget&, bool /*sizeable*/) {}

    virtual void closeController() {}
    virtual void controllerCommand() {}
    virtual void showIndex() {}
    virtual void helpContents() {}
    virtual void helpKeyword() {}
    virtual void about() {}

private:
    std::string lastSavePath_;
};

} // namespace vantrel

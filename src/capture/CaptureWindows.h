#pragma once
#include <string>

class QObject;

namespace vantrel {

// What a capture needs from the windows around it: the wait dialog with its Stop button and
// the controller's buttons. The controller implements it; vantrel-cli and tests have their own.
class CaptureWindows {
public:
    virtual ~CaptureWindows() = default;
    // Receives 1132, 1134, 1143 and 1144; nullptr when nothing shows the progress.
    virtual QObject* waitDialog() = 0;
    // The wait dialog's abort request; read by the capture thread between blocks.
    virtual bool stopRequested() = 0;
    virtual void clearStopRequest() = 0;
    virtual void setControllerEnabled(bool enabled) = 0;
};

// An album holds up to 99 pictures; a capture takes place count + 1.
constexpr int albumMaxPictures = 99;

// The window that owns the album: it names the side file of a place and takes message 1139
// when the picture of a new place has been written.
class CaptureAlbum {
public:
    virtual ~CaptureAlbum() = default;
    virtual QObject* albumWindow() = 0;
    virtual int pictureCount() = 0;
    virtual std::string sideFileName(int place) = 0;
};

} // namespace vantrel

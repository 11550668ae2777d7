#pragma once
#include "image/ImageSettings.h"

class QTimer;

namespace vantrel {

// What the slide show asks of the viewer it runs in.
class SlideShowViewer {
public:
    virtual ~SlideShowViewer() = default;
    virtual int pictureCount() const = 0;
    virtual int currentPlace() const = 0;
    // Shows `place`; false leaves the shown picture as it was.
    virtual bool showImage(int place) = 0;
    // The viewer's own stop, taken when the show cannot go on.
    virtual void stopSlideShow() = 0;
};

// The viewer's slide show: one picture after the other (after the last the first), each
// for the interval of the settings, on the viewer's timer.
class SlideShow {
public:
    SlideShow(QTimer& timer, const ImageSettings& settings, SlideShowViewer& viewer);

    bool running() const;
    void start();
    // No tick is due any more; one that is running sees the request and does not go on.
    void stop();
    // `step` places on or back from the shown one; a running show goes on from there.
    void step(int step);
    // The timer's tick: the next picture.
    void tick();

private:
    int interval() const;
    void goOn();

    QTimer& timer_;
    const ImageSettings& settings_;
    SlideShowViewer& viewer_;
    bool stop_ = false;
};

} // namespace vantrel

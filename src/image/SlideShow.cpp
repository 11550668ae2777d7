#include "SlideShow.h"

#include "platform/Ticks.h"

#include <QTimer>

namespace vantrel {

namespace {

constexpr int minimumInterval = 100;

} // namespace

SlideShow::SlideShow(QTimer& timer, const ImageSettings& settings, SlideShowViewer& viewer)
    : timer_(timer), settings_(settings), viewer_(viewer)
{
}

int SlideShow::interval() const
{
    if (settings_.IntervalMin == 1 || settings_.IntervalTime == 0)
        return minimumInterval;
    return settings_.IntervalTime * 1000;
}

bool SlideShow::running() const
{
    return timer_.isActive();
}

void SlideShow::start()
{
    stop_ = false;
    timer_.start(interval());
}

void SlideShow::stop()
{
    stop_ = true;
    timer_.stop();
}

void SlideShow::goOn()
{
    if (!stop_)
        timer_.start(interval());
}

void SlideShow::step(int step)
{
    const int count = viewer_.pictureCount();
    if (count == 0)
        return;
    const int place = (viewer_.currentPlace() - 1 + step + count) % count + 1;
    timer_.stop();
    if (!viewer_.showImage(place)) {
        viewer_.stopSlideShow();
        return;
    }
    goOn();
}

void SlideShow::tick()
{
    timer_.stop();
    const int count = viewer_.pictureCount();
    if (count == 0) {
        viewer_.stopSlideShow();
        return;
    }
    if (stop_) {
        stop_ = false;
        return;
    }
    const int next = viewer_.currentPlace() >= count ? 1 : viewer_.currentPlace() + 1;
    if (!viewer_.showImage(next)) {
        viewer_.stopSlideShow();
        return;
    }
    serviceEvents();
    goOn();
}

} // namespace vantrel

#include "Clipboard.h"

#include "image/Resampling.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

namespace vantrel {

bool copyAspectToClipboard(const FrameBitmap& bitmap, bool wide)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const auto block = aspectCopy(bitmap, wide);
    if (!block)
        return false;
    QGuiApplication::clipboard()->setImage(imageOfAspectCopy(*block));
    return true;
}

} // namespace vantrel

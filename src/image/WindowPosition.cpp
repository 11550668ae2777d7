#include "WindowPosition.h"

#include "link/Profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantrel {

namespace {

QRect screenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect workArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : screenArea();
}

QPoint centredTopLeft(const QSize& size)
{
    const QRect screen = screenArea();
    return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2};
}

QSize restoredSize(const CProfile& profile, const std::string& section)
{
    int width = -1;
    int height = -1;
    if (profile.ReadInt(section, "Width", width) && profile.ReadInt(section, "Height", height) &&
        width >= 0 && height >= 0)
        return {width, height};
    return screenArea().size() / 2;
}

// Top and left as read, moved into the work area; false means the default.
bool restoredTopLeft(const CProfile& profile, const std::string& section, QPoint& at)
{
    int top = 0;
    int left = 0;
    if (!profile.ReadInt(section, "Top", top) || !profile.ReadInt(section, "Left", left))
        return false;
    const QRect area = workArea();
    if (top > area.bottom() || left > area.right())
        return false;
    at = {std::max(left, area.left()), std::max(top, area.top())};
    return true;
}

} // namespace

void saveWindowPosition(const QWidget& window, CProfile& profile)
{
    const std::string section = window.objectName().toStdString();
    const QRect frame = window.frameGeometry();
    profile.WriteInt(section, "Top", frame.top());
    profile.WriteInt(section, "Left", frame.left());
    profile.WriteInt(section, "Height", window.height());
    profile.WriteInt(section, "Width", window.width());
}

void restoreWindowPosition(QWidget& window, const CProfile& profile, bool sizeable)
{
    const std::string section = window.objectName().toStdString();
    if (sizeable)
        window.resize(restoredSize(profile, section));
    QPoint at;
    if (!restoredTopLeft(profile, section, at))
        at = centredTopLeft(window.size());
    window.move(at);
}

} // namespace vantrel

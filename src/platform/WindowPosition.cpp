#include "WindowPosition.h"

#include "platform/Profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantrel {

namespace {

std::optional<int> readValue(const CProfile& profile, const std::string& section, const char* key)
{
    int value = 0;
    if (profile.ReadInt(section, key, value))
        return value;
    return std::nullopt;
}

QPoint centred(QSize size, const QRect& screen)
{
    return {screen.left() + (screen.width() - size.width()) / 2,
            screen.top() + (screen.height() - size.height()) / 2};
}

} // namespace

QRect restoredGeometry(const StoredPosition& stored, bool sizeable, QSize currentSize,
                       const QRect& screen, const QRect& workArea)
{
    QSize size = currentSize;
    const QSize defaultSize = sizeable ? QSize(screen.width() / 2, screen.height() / 2) : currentSize;
    const QRect defaultGeometry(centred(defaultSize, screen), defaultSize);
    if (!stored.top || !stored.left)
        return defaultGeometry;
    if (sizeable) {
        if (!stored.width || !stored.height || *stored.width < 0 || *stored.height < 0)
            return defaultGeometry;
        size = QSize(*stored.width, *stored.height);
    }
    int top = *stored.top;
    int left = *stored.left;
    if (top > workArea.bottom() || left > workArea.right())
        return defaultGeometry;
    top = std::max(top, workArea.top());
    left = std::max(left, workArea.left());
    return QRect(QPoint(left, top), size);
}

void saveWindowPosition(CProfile& profile, const QWidget& window)
{
    const std::string section = window.objectName().toStdString();
    profile.WriteInt(section, "Top", window.y());
    profile.WriteInt(section, "Left", window.x());
    profile.WriteInt(section, "Height", window.height());
    profile.WriteInt(section, "Width", window.width());
}

void restoreWindowPosition(const CProfile& profile, QWidget& window, bool sizeable)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const std::string section = window.objectName().toStdString();
    const StoredPosition stored{readValue(profile, section, "Top"), readValue(profile, section, "Left"),
                                readValue(profile, section, "Width"), readValue(profile, section, "Height")};
    const QRect geometry = restoredGeometry(stored, sizeable, window.size(), screen->geometry(),
                                            screen->availableGeometry());
    window.resize(geometry.size());
    window.move(geometry.topLeft());
}

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize free = area.size() - window.size();
    window.move(area.left() + free.width() / 2, area.top() + free.height() / 2);
}

} // namespace vantrel

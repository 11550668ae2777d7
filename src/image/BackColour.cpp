#include "BackColour.h"

#include <QGuiApplication>
#include <QPalette>

namespace vantrel {

QColor colourOfValue(uint32_t value)
{
    if (value == systemButtonFaceColour)
        return QGuiApplication::palette().color(QPalette::Button);
    if (value & 0xFF000000)
        return QGuiApplication::palette().color(QPalette::Base);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

uint32_t valueOfColour(const QColor& colour)
{
    return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
           static_cast<uint32_t>(colour.blue()) << 16;
}

} // namespace vantrel

#include "TransportArt.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace vantrel {

namespace {

enum class Glyph { Rewind, Play, PlayReverse, Forward, SlowReverse, Pause, Slow, Stop, Step,
                   StepReverse, Power, Camera, AutoCamera };

struct Art {
    std::string_view name;
    Glyph glyph;
    bool lit;
    QSize size;
};

constexpr QSize transportSize{32, 22};
constexpr QSize wideSize{40, 22};
constexpr QSize functionSize{37, 37};
constexpr QSize powerSize{28, 22};

constexpr std::array<Art, 21> arts{{
    {"REVG", Glyph::Rewind, false, transportSize},
    {"REVL", Glyph::Rewind, true, transportSize},
    {"PLAYG", Glyph::Play, false, wideSize},
    {"PLAYL", Glyph::Play, true, wideSize},
    {"PLAYRL", Glyph::PlayReverse, true, wideSize},
    {"FFG", Glyph::Forward, false, transportSize},
    {"FFL", Glyph::Forward, true, transportSize},
    {"SLOWRG", Glyph::SlowReverse, false, transportSize},
    {"SLOWRL", Glyph::SlowReverse, true, transportSize},
    {"PAUSEG", Glyph::Pause, false, wideSize},
    {"PAUSEL", Glyph::Pause, true, wideSize},
    {"SLOWG", Glyph::Slow, false, transportSize},
    {"SLOWL", Glyph::Slow, true, transportSize},
    {"STOPG", Glyph::Stop, false, wideSize},
    {"STOPL", Glyph::Stop, true, wideSize},
    {"STEP", Glyph::Step, false, transportSize},
    {"STEPR", Glyph::StepReverse, false, transportSize},
    {"POWERON", Glyph::Power, true, powerSize},
    {"POWEROFF", Glyph::Power, false, powerSize},
    {"CAPT", Glyph::Camera, false, functionSize},
    {"AUTO", Glyph::AutoCamera, false, functionSize},
}};

const QColor unlitInk(72, 72, 72);
const QColor litInk(0, 200, 60);
const QColor powerOnInk(230, 40, 30);

// A triangle pointing right (or left) inside `box`.
QPolygonF triangle(const QRectF& box, bool right)
{
    if (right)
        return QPolygonF({box.topLeft(), QPointF(box.right(), box.center().y()), box.bottomLeft()});
    return QPolygonF({box.topRight(), QPointF(box.left(), box.center().y()), box.bottomRight()});
}

void drawTriangles(QPainter& painter, const QRectF& area, int count, bool right)
{
    const qreal width = area.width() / count;
    for (int i = 0; i < count; ++i)
        painter.drawPolygon(triangle(QRectF(area.left() + i * width, area.top(), width, area.height()), right));
}

// A triangle with a bar: the bar after the triangle for forward, before it for reverse.
void drawTriangleAndBar(QPainter& painter, const QRectF& area, bool right, qreal barWidth)
{
    const qreal triangleWidth = area.width() - barWidth - 2;
    if (right) {
        painter.drawPolygon(triangle(QRectF(area.left(), area.top(), triangleWidth, area.height()), true));
        painter.drawRect(QRectF(area.right() - barWidth, area.top(), barWidth, area.height()));
    } else {
        painter.drawRect(QRectF(area.left(), area.top(), barWidth, area.height()));
        painter.drawPolygon(triangle(QRectF(area.right() - triangleWidth, area.top(), triangleWidth, area.height()), false));
    }
}

void drawPower(QPainter& painter, const QRectF& area, const QColor& ink)
{
    const qreal side = std::min(area.width(), area.height());
    const QRectF ring(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, 120 * 16, -300 * 16);
    painter.drawLine(QPointF(ring.center().x(), ring.top() - 1), ring.center());
}

void drawCamera(QPainter& painter, const QRectF& area, bool automatic)
{
    const QRectF body(area.left(), area.top() + area.height() * 0.25, area.width(), area.height() * 0.6);
    painter.drawRoundedRect(body, 3, 3);
    painter.drawRect(QRectF(body.left() + body.width() * 0.3, area.top() + area.height() * 0.1,
                            body.width() * 0.4, area.height() * 0.16));
    painter.setBrush(Qt::white);
    const qreal lens = body.height() * 0.62;
    painter.drawEllipse(QPointF(body.center()), lens / 2, lens / 2);
    if (automatic) {
        painter.setPen(QPen(QColor(0, 90, 200), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(area.right() - 11, area.top() - 1, 11, 11), 0, 270 * 16);
    }
}

void drawGlyph(QPainter& painter, const Art& art, const QRectF& area)
{
    switch (art.glyph) {
    case Glyph::Rewind: drawTriangles(painter, area, 2, false); break;
    case Glyph::Forward: drawTriangles(painter, area, 2, true); break;
    case Glyph::Play: drawTriangles(painter, area, 1, true); break;
    case Glyph::PlayReverse: drawTriangles(painter, area, 1, false); break;
    case Glyph::SlowReverse: drawTriangleAndBar(painter, area, false, area.width() * 0.4); break;
    case Glyph::Slow: drawTriangleAndBar(painter, area, true, area.width() * 0.4); break;
    case Glyph::Step: drawTriangleAndBar(painter, area, true, 3); break;
    case Glyph::StepReverse: drawTriangleAndBar(painter, area, false, 3); break;
    case Glyph::Pause: {
        const qreal bar = area.width() / 3;
        painter.drawRect(QRectF(area.left(), area.top(), bar, area.height()));
        painter.drawRect(QRectF(area.right() - bar, area.top(), bar, area.height()));
        break;
    }
    case Glyph::Stop: painter.drawRect(area); break;
    case Glyph::Power: drawPower(painter, area, art.lit ? powerOnInk : unlitInk); break;
    case Glyph::Camera: drawCamera(painter, area, false); break;
    case Glyph::AutoCamera: drawCamera(painter, area, true); break;
    }
}

// The glyph's area: square for most, centred in the picture with a margin.
QRectF glyphArea(const Art& art)
{
    const qreal height = art.size.height() - 10;
    qreal width = height;
    if (art.glyph == Glyph::Rewind || art.glyph == Glyph::Forward)
        width = height * 1.6;
    if (art.glyph == Glyph::Camera || art.glyph == Glyph::AutoCamera || art.glyph == Glyph::Power)
        width = art.size.width() - 10;
    if (art.glyph == Glyph::Pause || art.glyph == Glyph::Stop)
        width = height * 0.9;
    return QRectF((art.size.width() - width) / 2, 5, width, height);
}

} // namespace

QPixmap transportPicture(std::string_view resource)
{
    for (const Art& art : arts) {
        if (art.name != resource)
            continue;
        QPixmap picture(art.size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = art.lit ? litInk : unlitInk;
        painter.setPen(Qt::NoPen);
        painter.setBrush(art.glyph == Glyph::Camera || art.glyph == Glyph::AutoCamera ? QColor(60, 60, 70) : ink);
        drawGlyph(painter, art, glyphArea(art));
        return picture;
    }
    return {};
}

} // namespace vantrel

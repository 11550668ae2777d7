#include "ViewerGlyphs.h"

#include <QPainter>
#include <QPolygonF>
#include <QToolButton>

namespace vantrel {

namespace {

constexpr int glyphSize = 24;
const QColor ink(32, 32, 96);
const QColor runningInk(0, 128, 0);

void triangle(QPainter& painter, qreal left, qreal right)
{
    const qreal top = 5;
    const qreal bottom = glyphSize - 5;
    painter.drawPolygon(QPolygonF({QPointF(left, top), QPointF(right, glyphSize / 2.0), QPointF(left, bottom)}));
}

void bar(QPainter& painter, qreal x)
{
    painter.drawRect(QRectF(x, 5, 3, glyphSize - 10));
}

void drawGlyph(QPainter& painter, ViewerGlyph glyph)
{
    switch (glyph) {
    case ViewerGlyph::First:
        bar(painter, 4);
        triangle(painter, 19, 8);
        break;
    case ViewerGlyph::Previous:
        triangle(painter, 17, 7);
        break;
    case ViewerGlyph::Play:
        triangle(painter, 7, 18);
        break;
    case ViewerGlyph::Playing:
        painter.setBrush(runningInk);
        triangle(painter, 4, 12);
        triangle(painter, 12, 20);
        break;
    case ViewerGlyph::Stop:
        painter.drawRect(QRectF(6, 6, glyphSize - 12, glyphSize - 12));
        break;
    case ViewerGlyph::Next:
        triangle(painter, 7, 17);
        break;
    case ViewerGlyph::Last:
        triangle(painter, 5, 16);
        bar(painter, 17);
        break;
    }
}

} // namespace

QPixmap viewerGlyph(ViewerGlyph glyph)
{
    QPixmap picture(glyphSize, glyphSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    drawGlyph(painter, glyph);
    return picture;
}

QPixmap viewerLogo(bool japanese)
{
    QPixmap picture(209, 23);
    picture.fill(QColor(32, 164, 191));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont font(japanese ? "IPAGothic" : "Liberation Sans");
    font.setBold(true);
    font.setPixelSize(15);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter,
                     japanese ? QString::fromUtf8("Vantrel ビューア") : QStringLiteral("Vantrel Viewer"));
    return picture;
}

QToolButton* newNavigationButton(QWidget* parent, const NavigationButton& look)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(look.name);
    button->setToolTip(look.hint);
    button->setIcon(viewerGlyph(look.glyph));
    button->setIconSize({glyphSize, glyphSize});
    button->resize(navigationButtonSize, navigationButtonSize);
    return button;
}

} // namespace vantrel

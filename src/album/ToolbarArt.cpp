#include "ToolbarArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstring>

namespace vantrel {

namespace {

constexpr int iconSize = 28;
constexpr QSize logoSize(209, 23);

QPixmap blankPicture(QSize size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    return picture;
}

// A yellow folder opening, with a picture peeking out.
void drawOpen(QPainter& p)
{
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(QColor(230, 180, 40));
    p.drawRect(3, 8, 20, 15);
    p.setBrush(Qt::white);
    p.drawRect(7, 5, 14, 11);
    p.fillRect(9, 7, 10, 7, QColor(80, 160, 220));
    p.setBrush(QColor(250, 210, 80));
    p.drawPolygon(QPolygon({QPoint(3, 23), QPoint(8, 13), QPoint(27, 13), QPoint(22, 23)}));
}

// A blue disk with its label and shutter.
void drawSave(QPainter& p)
{
    p.setPen(QPen(QColor(10, 30, 80), 1));
    p.setBrush(QColor(40, 90, 180));
    p.drawRoundedRect(4, 4, 20, 20, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(8, 4, 12, 8);
    p.fillRect(15, 5, 3, 6, QColor(40, 90, 180));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(8, 16, 12, 8);
}

// A camcorder with its lens and the red record light.
void drawController(QPainter& p)
{
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(3, 9, 17, 12, 2, 2);
    p.drawPolygon(QPolygon({QPoint(20, 12), QPoint(26, 8), QPoint(26, 22), QPoint(20, 18)}));
    p.setBrush(QColor(150, 200, 255));
    p.drawEllipse(QPoint(11, 15), 4, 4);
    p.setBrush(QColor(230, 30, 30));
    p.drawEllipse(QPoint(17, 6), 2, 2);
}

// A framed landscape: the picture seen whole.
void drawViewer(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(120, 190, 240));
    p.drawRect(3, 5, 22, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 60));
    p.drawPolygon(QPolygon({QPoint(4, 22), QPoint(11, 13), QPoint(16, 18), QPoint(20, 14), QPoint(24, 22)}));
    p.setBrush(QColor(250, 220, 60));
    p.drawEllipse(QPoint(19, 10), 3, 3);
}

QPixmap icon(void (*draw)(QPainter&))
{
    QPixmap picture = blankPicture(QSize(iconSize, iconSize));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return picture;
}

// The program's name on a band from night blue to the index's teal, with a film strip.
QPixmap logo(const QString& subtitle, const char* subtitleFamily)
{
    QPixmap picture(logoSize);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, logoSize.width(), 0);
    band.setColorAt(0, QColor(16, 32, 80));
    band.setColorAt(1, QColor(32, 164, 191));
    p.fillRect(picture.rect(), band);
    for (int x = 4; x < 30; x += 6) {
        p.fillRect(x, 2, 3, 3, Qt::white);
        p.fillRect(x, 18, 3, 3, Qt::white);
    }
    p.fillRect(4, 7, 26, 9, QColor(250, 200, 60));
    QFont name("DejaVu Sans");
    name.setPixelSize(15);
    name.setBold(true);
    name.setItalic(true);
    p.setFont(name);
    p.setPen(Qt::white);
    p.drawText(QRect(36, 0, 80, logoSize.height()), Qt::AlignVCenter | Qt::AlignLeft, "Vantrel");
    QFont small(subtitleFamily);
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(255, 236, 160));
    p.drawText(QRect(112, 0, 94, logoSize.height()), Qt::AlignVCenter | Qt::AlignRight, subtitle);
    return picture;
}

constexpr int cursorSize = 32;

// The arrow, white with a black edge, its tip at (0, 0).
void drawArrow(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(0, 16), QPoint(4, 12), QPoint(7, 19), QPoint(9, 18),
                            QPoint(6, 11), QPoint(11, 11)}));
}

// Two thumbnails, one behind the other, carried below the arrow.
void drawCarriedPictures(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(12, 12, 14, 11);
    p.setBrush(Qt::white);
    p.drawRect(9, 15, 14, 11);
    p.fillRect(11, 17, 11, 5, QColor(80, 160, 220));
    p.fillRect(11, 22, 11, 3, QColor(60, 150, 60));
}

// The plus of a copy, on a white square.
void drawPlus(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(21, 21, 10, 10);
    p.fillRect(23, 25, 7, 2, Qt::black);
    p.fillRect(25, 23, 2, 7, Qt::black);
}

} // namespace

QCursor dragCursor(const char* resource)
{
    const bool moving = std::strcmp(resource, "CURIMG") == 0;
    const bool copying = std::strcmp(resource, "CURIMGP") == 0;
    if (!moving && !copying)
        return QCursor(Qt::ArrowCursor);
    QPixmap picture = blankPicture(QSize(cursorSize, cursorSize));
    QPainter painter(&picture);
    drawCarriedPictures(painter);
    drawArrow(painter);
    if (copying)
        drawPlus(painter);
    painter.end();
    return QCursor(picture, 0, 0);
}

QPixmap toolbarPicture(const char* name)
{
    if (std::strcmp(name, "btnOpen") == 0)
        return icon(drawOpen);
    if (std::strcmp(name, "btnSave") == 0)
        return icon(drawSave);
    if (std::strcmp(name, "btnVCR") == 0)
        return icon(drawController);
    if (std::strcmp(name, "btnEDS") == 0)
        return icon(drawViewer);
    if (std::strcmp(name, "btnLogoEng") == 0)
        return logo("DV Still Album", "DejaVu Sans");
    if (std::strcmp(name, "btnLogoJpn") == 0)
        return logo(QString::fromUtf8("DV静止画アルバム"), "IPAGothic");
    return {};
}

} // namespace vantrel

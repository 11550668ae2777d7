#include "ViewerPaintBox.h"

#include "image/FrameBitmap.h"

#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

ViewerPaintBox::ViewerPaintBox(const FrameBitmap& bitmap, QWidget* parent) : QWidget(parent), bitmap_(bitmap)
{
    // The picture covers the whole box: nothing beneath it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage ViewerPaintBox::picture() const
{
    return bitmap_.toImage();
}

void ViewerPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!bitmap_.pixels()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    // The rows stay where the decoder put them; the painter turns the picture upright.
    const QImage bottomUp(bitmap_.pixels(), bitmap_.width, bitmap_.height, bitmap_.rowBytes(),
                          QImage::Format_BGR888);
    painter.translate(0, height());
    painter.scale(1, -1);
    painter.drawImage(QRect(0, 0, width(), height()), bottomUp);
}

void ViewerPaintBox::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    QWidget::mousePressEvent(event);
}

void ViewerPaintBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit pressed();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace vantrel

#include "ViewerPaintBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

ViewerPaintBox::ViewerPaintBox(QWidget* parent) : QWidget(parent)
{
}

void ViewerPaintBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ViewerPaintBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), picture_);
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

#pragma once
#include <QImage>
#include <QWidget>

namespace vantrel {

class FrameBitmap;

// The viewer's picture area: the frame bitmap stretched over the whole box, drawn from its
// bottom-up rows as they are.
class ViewerPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit ViewerPaintBox(const FrameBitmap& bitmap, QWidget* parent = nullptr);

    // The shown picture, top-down (a copy).
    QImage picture() const;

signals:
    // A press or double click on the picture.
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const FrameBitmap& bitmap_;
};

} // namespace vantrel

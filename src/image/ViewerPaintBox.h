#pragma once
#include <QImage>
#include <QWidget>

namespace vantrel {

// The viewer's picture area: the shown picture stretched over the whole box.
class ViewerPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit ViewerPaintBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

signals:
    // A press or double click on the picture.
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

} // namespace vantrel

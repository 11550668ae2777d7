#pragma once
#include <QWidget>

#include <array>

class QToolButton;

namespace vantrel {

// The viewer's button bar: a small always-on-top window repeating the navigation buttons
// while the viewer's tool bar is hidden. The viewer connects the buttons to its handlers.
class TfrmViewBtn : public QWidget {
    Q_OBJECT
public:
    static constexpr int buttonSize = 34; // navigationButtonSize

    explicit TfrmViewBtn(QWidget* parent = nullptr);

    // 100 pixels above the viewer's bottom edge and 10 right of its left edge; near the
    // screen's bottom left when the viewer's bottom is off the screen or close to its top.
    void placeBeside(const QRect& viewerFrame);

    QToolButton* btnFirst = nullptr;
    QToolButton* btnPrev = nullptr;
    QToolButton* btnSS = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnLast = nullptr;

signals:
    // A key other than line feed, space and backspace was typed on a button.
    void slideShowStopKey();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
};

// True for a typed key that stops the slide show: any character but line feed, space and
// backspace.
bool stopsSlideShow(const QKeyEvent& key);

extern TfrmViewBtn* frmViewBtn;

} // namespace vantrel
